#include "hexWriter.h"

#include "recordText.h"

#include <algorithm>
#include <stdexcept>

namespace fwgen {

namespace {

enum RecordType : std::uint8_t { kData = 0x00, kLinearAddress = 0x04 };

std::string hexRecord(RecordType type, std::uint16_t offset, const std::uint8_t* data,
                      std::size_t count) {
    RecordText record(":");
    record.add(static_cast<std::uint8_t>(count));
    record.addWord(offset);
    record.add(type);
    for (std::size_t i = 0; i < count; ++i)
        record.add(data[i]);
    record.add(static_cast<std::uint8_t>(-record.sum()));
    return record.text() + kLineEnd;
}

std::string linearAddressRecord(std::uint16_t bank) {
    const std::uint8_t data[] = {static_cast<std::uint8_t>(bank >> 8),
                                 static_cast<std::uint8_t>(bank & 0xFF)};
    return hexRecord(kLinearAddress, 0, data, 2);
}

} // namespace

std::string writeIntelHex(const std::vector<Segment>& segments, bool extended) {
    std::string out;
    long currentBank = -1;
    for (const Segment& segment : segments) {
        std::size_t done = 0;
        while (done < segment.bytes.size()) {
            const std::uint32_t address = segment.address + static_cast<std::uint32_t>(done);
            const auto bank = static_cast<std::uint16_t>(address >> 16);
            if (!extended && bank != 0) throw std::invalid_argument("address above 16 bits");
            if (extended && bank != currentBank) {
                out += linearAddressRecord(bank);
                currentBank = bank;
            }
            // A record never runs over the end of its bank.
            const std::size_t toBankEnd = 0x10000 - (address & 0xFFFF);
            const std::size_t count =
                std::min({kRecordBytes, segment.bytes.size() - done, toBankEnd});
            out += hexRecord(kData, static_cast<std::uint16_t>(address & 0xFFFF),
                             segment.bytes.data() + done, count);
            done += count;
        }
    }
    out += ":00000001FF";
    out += kLineEnd;
    return out;
}

} // namespace fwgen
