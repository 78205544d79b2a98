#include "prefixConsole.h"

#include "stdoutConsole.h"

#include <algorithm>
#include <cstdio>

// A message's text may hold several lines: each is prefixed, so that every line says its bus.
void PrefixConsole::printLine(std::string_view text) {
    std::string whole;
    std::size_t start = 0;
    do {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        whole += prefix_;
        whole.append(text.substr(start, end - start));
        whole += '\n';
        start = end + 1;
    } while (start < text.size());
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

void PrefixConsole::status(std::string_view line) {
    printLine(inShellWords(line));
}

void PrefixConsole::refusal(std::string_view line) {
    printLine(line);
    sayOnStandardError(line);
}

void PrefixConsole::message(MessageKind kind, std::string_view text) {
    printLine(text);
    if (kind == MessageKind::Error) sayOnStandardError(text);
}

void PrefixConsole::sayOnStandardError(std::string_view text) {
    const std::lock_guard<std::mutex> lock(output_);
    std::fprintf(stderr, "nexalo-cli: %s%s\n", prefix_.c_str(), asOneLine(text).c_str());
    std::fflush(stderr);
}
