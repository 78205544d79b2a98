#include "srecWriter.h"

#include "recordText.h"

#include <algorithm>
#include <stdexcept>

namespace fwgen {

namespace {

// Count covers the address bytes, the data and the checksum.
std::string sRecord(char type, std::uint32_t address, int addressBytes, const std::uint8_t* data,
                    std::size_t count) {
    RecordText record(std::string("S") + type);
    record.add(static_cast<std::uint8_t>(addressBytes + count + 1));
    for (int shift = 8 * (addressBytes - 1); shift >= 0; shift -= 8)
        record.add(static_cast<std::uint8_t>((address >> shift) & 0xFF));
    for (std::size_t i = 0; i < count; ++i)
        record.add(data[i]);
    record.add(static_cast<std::uint8_t>(~record.sum()));
    return record.text() + kLineEnd;
}

std::string header(const std::string& moduleName) {
    const std::string name = moduleName.substr(0, kRecordBytes);
    return sRecord('0', 0, 2, reinterpret_cast<const std::uint8_t*>(name.data()), name.size());
}

std::string dataRecords(const std::vector<Segment>& segments, char type, int addressBytes) {
    const std::uint64_t limit = 1ULL << (8 * addressBytes);
    std::string out;
    for (const Segment& segment : segments) {
        if (segment.address + segment.bytes.size() > limit)
            throw std::invalid_argument("segment beyond the record's address range");
        for (std::size_t done = 0; done < segment.bytes.size(); done += kRecordBytes) {
            const std::size_t count = std::min(kRecordBytes, segment.bytes.size() - done);
            out += sRecord(type, segment.address + static_cast<std::uint32_t>(done), addressBytes,
                           segment.bytes.data() + done, count);
        }
    }
    return out;
}

} // namespace

std::string writeS28(const std::vector<Segment>& segments, const std::string& moduleName) {
    std::string out = header(moduleName) + dataRecords(segments, '2', 3);
    out += "S804000000FB";
    out += kLineEnd;
    return out;
}

std::string writeS19(const std::vector<Segment>& segments, const std::string& moduleName,
                     std::uint16_t entry) {
    return header(moduleName) + dataRecords(segments, '1', 2) + sRecord('9', entry, 2, nullptr, 0);
}

} // namespace fwgen
