#pragma once
// Both text formats write a record as a few upper-case hex pairs behind a fixed prefix, and
// their checksums are both taken over the byte values of those pairs.

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace fwgen {

class RecordText {
public:
    explicit RecordText(std::string prefix) : text_(std::move(prefix)) {}

    void add(std::uint8_t value) {
        static constexpr char digits[] = "0123456789ABCDEF";
        text_ += digits[value >> 4];
        text_ += digits[value & 0x0F];
        sum_ += value;
    }
    void addWord(std::uint16_t value) {
        add(static_cast<std::uint8_t>(value >> 8));
        add(static_cast<std::uint8_t>(value & 0xFF));
    }
    std::uint8_t sum() const { return sum_; }
    const std::string& text() const { return text_; }

private:
    std::string text_;
    std::uint8_t sum_ = 0;
};

// Line ends are LF, as the cross tools of the unit firmware write them on this platform.
inline constexpr char kLineEnd = '\n';

// No record carries more data bytes than this.
inline constexpr std::size_t kRecordBytes = 32;

} // namespace fwgen
