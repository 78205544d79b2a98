#include "sim/frameCrc.h"

#include "sim/hexCodec.h"

namespace sim {

std::uint16_t frameCrc(std::string_view text) {
    std::uint16_t crc = 0;
    for (unsigned char c : text) {
        for (int bit = 7; bit >= 0; --bit) {
            bool dataBit = ((c >> bit) & 1) != 0;
            bool topBit = (crc & 0x8000) != 0;
            crc = static_cast<std::uint16_t>(crc << 1);
            if (dataBit != topBit) crc ^= 0x8005;
        }
    }
    return crc;
}

std::string withCrc(std::string_view text) {
    return std::string(text) + hex4(frameCrc(text));
}

} // namespace sim
