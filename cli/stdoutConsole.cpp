#include "stdoutConsole.h"

#include "terminal.h"

#include <cstdio>

namespace {

constexpr char kLabelSeparator[] = "  ";
// The engine's words for a second Stop, and the shell's.
constexpr std::string_view kStopAgain = "Stop again to stop at once";
constexpr std::string_view kCtrlCAgain = "Ctrl-C again to stop at once";

bool stdoutIsTerminal() {
    static const bool terminal = isTerminal(stdout);
    return terminal;
}

} // namespace

StdoutConsole::~StdoutConsole() {
    if (statusLineShown_) std::fputc('\n', stderr); // the shell's prompt starts below it
}

void StdoutConsole::printLine(std::string_view line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::string inShellWords(std::string_view line) {
    std::string text(line);
    if (const std::size_t at = text.find(kStopAgain); at != std::string::npos)
        text.replace(at, kStopAgain.size(), kCtrlCAgain);
    return text;
}

std::string asOneLine(std::string_view text) {
    std::string line;
    for (char c : text)
        line += c == '\n' ? std::string(": ") : std::string(1, c);
    return line;
}

void StdoutConsole::refusal(std::string_view line) {
    logLine(line);
    sayOnStandardError(line);
}

// An error box's text (a port that does not open, a lost line) is the script's to see as well.
void StdoutConsole::message(MessageKind kind, std::string_view text) {
    logLine(text);
    if (kind == MessageKind::Error) sayOnStandardError(text);
}

void StdoutConsole::sayOnStandardError(std::string_view text) {
    if (statusLineShown_) std::fputs("\r\x1b[K", stderr);
    std::fprintf(stderr, "nexalo-cli: %s\n", asOneLine(text).c_str());
    std::fflush(stderr);
    if (statusLineShown_) drawStatusLine();
}

bool StdoutConsole::confirm(std::string_view question) {
    logLine(question);
    return assumeYes;
}

void StdoutConsole::setLabel(ConsoleLabel label, std::string_view text) {
    std::string& current = labels_[static_cast<std::size_t>(label)];
    if (current == text) return;
    current = std::string(text);
    if (stdoutIsTerminal())
        drawStatusLine();
    else
        printLine(text);
}

void StdoutConsole::logLine(std::string_view line) {
    lastLine_ = std::string(line);
    if (!statusLineShown_) return printLine(line);
    std::fputs("\r\x1b[K", stderr);
    std::fflush(stderr);
    printLine(line);
    drawStatusLine();
}

void StdoutConsole::drawStatusLine() {
    std::string line;
    for (const std::string& label : labels_) {
        if (label.empty()) continue;
        if (!line.empty()) line += kLabelSeparator;
        line += label;
    }
    // Carriage return, the labels, then erase what an older, longer line left.
    std::fprintf(stderr, "\r%s\x1b[K", line.c_str());
    std::fflush(stderr);
    statusLineShown_ = true;
}

void StdoutConsole::replaceReport(std::string_view text) {
    if (text == lastDisplay_) return;
    lastDisplay_ = std::string(text);
    std::string lines;
    for (char c : text)
        if (c != '\r') lines += c;
    std::fwrite(lines.data(), 1, lines.size(), stdout);
    std::fflush(stdout);
}
