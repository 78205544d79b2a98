#include "prefixConsole.h"

#include <cstdio>

void PrefixConsole::printLine(std::string_view line) {
    std::string whole = prefix_;
    whole.append(line);
    whole += '\n';
    const std::lock_guard<std::mutex> lock(output_);
    std::fwrite(whole.data(), 1, whole.size(), stdout);
    std::fflush(stdout);
}

void PrefixConsole::setLabel(ConsoleLabel label, std::string_view text) {
    std::string& current = labels_[static_cast<std::size_t>(label)];
    if (current == text) return;
    current = std::string(text);
    printLine(text);
}

void PrefixConsole::replaceReport(std::string_view text) {
    std::string line;
    for (char c : text) {
        if (c == '\r') continue;
        if (c != '\n') {
            line += c;
            continue;
        }
        printLine(line);
        line.clear();
    }
    if (!line.empty()) printLine(line);
}
