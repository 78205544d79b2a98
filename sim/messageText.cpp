#include "sim/messageText.h"

namespace sim {

namespace {
// Reads one quoted line from pos; pos ends after the closing quote.
std::optional<std::string> quotedLine(std::string_view text, std::size_t& pos) {
    if (pos >= text.size() || text[pos] != '"') return std::nullopt;
    std::string line;
    for (++pos; pos < text.size(); ++pos) {
        char c = text[pos];
        if (c == '"') {
            ++pos;
            return line;
        }
        if (c == '\\') {
            if (++pos >= text.size()) return std::nullopt;
            c = text[pos];
        }
        line.push_back(c);
    }
    return std::nullopt;
}
} // namespace

std::optional<std::vector<std::string>> unescapeMessage(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t pos = 0;
    while (true) {
        std::optional<std::string> line = quotedLine(text, pos);
        if (!line) return std::nullopt;
        lines.push_back(*line);
        if (pos == text.size()) return lines;
        if (text[pos] != ',') return std::nullopt;
        ++pos;
    }
}

} // namespace sim
