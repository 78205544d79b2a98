#include "fastPoll.h"

#include "link/catalogue.h"
#include "link/replyReader.h"

#include <cstdio>

namespace {

constexpr int kBitsPerDigit = 4;
constexpr std::size_t kMapLas = 64; // the offline row before any map was read
constexpr std::size_t kRowLas = 16;
constexpr std::size_t kDisplayRows = 4;
constexpr std::size_t kCellWidth = 3;
constexpr std::size_t kRowWidth = kRowLas * kCellWidth - 1; // 47: the last blank is dropped

enum class Cell { Blank, Offline, Online };

std::string repeated(std::string_view text, std::size_t times) {
    std::string out;
    for (std::size_t i = 0; i < times; ++i)
        out += text;
    return out;
}

// Up to width characters from index, none past the end.
std::string slice(const std::string& text, std::size_t index, std::size_t width) {
    return index < text.size() ? text.substr(index, width) : std::string();
}

// Two hex digits then a blank for each counter.
std::string spacedCounters(std::string_view counters) {
    std::string out;
    for (std::size_t i = 0; i + 1 < counters.size(); i += 2) {
        out += counters.substr(i, 2);
        out += ' ';
    }
    return out;
}

std::string rowNumbers(std::size_t row, std::size_t units) {
    std::string out;
    for (std::size_t la = row * kRowLas + 1; la <= (row + 1) * kRowLas && la <= units; ++la)
        out += hexText::la(static_cast<std::uint8_t>(la)) + " ";
    return out;
}

// Nothing is asked once the run is stopped: the reading in progress is given up.
std::string ask(const OperationContext& context, const std::string& address, const char* command) {
    if (context.ended()) return {};
    return context.link.TxMessage(address, command, tr::FastPoll).text;
}

// The online row from "A800" and "A801", or every LA offline when either reply is unusable.
std::string readOnlineRow(const OperationContext& context, const std::string& address) {
    if (const auto first = reply::onlineMapText(ask(context, address, cmd::OnlineMapFirst)))
        if (const auto second = reply::onlineMapText(ask(context, address, cmd::OnlineMapSecond)))
            return formatOnlineStr(*first, *second);
    return repeated("-- ", kMapLas);
}

} // namespace

std::string formatOnlineStr(std::string_view first, std::string_view second) {
    const std::size_t digits = first.size();
    std::vector<Cell> cells(kBitsPerDigit * digits, Cell::Blank);
    for (std::size_t p = 0; p < digits; ++p) {
        const std::uint32_t a = HexToWord(std::string(first.substr(p, 1)));
        const std::uint32_t b = p < second.size() ? HexToWord(std::string(second.substr(p, 1))) : 0;
        for (int bit = 0; bit < kBitsPerDigit; ++bit) {
            const std::uint32_t mask = 0x8u >> bit;
            Cell& cell = cells[kBitsPerDigit * p + static_cast<std::size_t>(bit)];
            if (a & mask) cell = Cell::Online;
            if (b & mask) cell = Cell::Offline;
        }
    }
    std::string row;
    for (auto cell = cells.rbegin(); cell != cells.rend(); ++cell)
        row += *cell == Cell::Online ? "## " : *cell == Cell::Offline ? "-- " : "   ";
    return row;
}

std::string fastPollDisplay(std::string_view counters, std::string_view onlineRow, bool host) {
    using namespace fastPollText;
    const std::size_t units = counters.size() / 2;
    const std::string timeouts = spacedCounters(counters);
    const std::string online(onlineRow);
    std::string display = std::string(Title) + LineBreak;
    for (std::size_t row = 0; row < kDisplayRows && units >= row * kRowLas + 1; ++row) {
        const std::size_t from = row * kRowLas * kCellWidth;
        display +=
            (host ? ControllerHeading : TerminalHeading) + rowNumbers(row, units) + LineBreak;
        if (!host) display += OnlineHeading + slice(online, from, kRowWidth) + LineBreak;
        display += TimeoutHeading + slice(timeouts, from, kRowWidth) + LineBreak + LineBreak;
    }
    return display;
}

Outcome runFastPoll(const OperationContext& context, const std::string& la) {
    Console& console = context.console;
    console.clearReport();
    const bool host = la == hexText::la(la::Host);
    const std::string address = addr::controller(la);

    if (context.ended()) return context.endOfRun(); // nothing asked yet
    const std::string started = ask(context, address, cmd::FastPollStart);
    if (started.empty()) {
        console.report(fastPollText::NoResponse);
        if (context.link.lineLost()) return Outcome::lineLost();
        // The unit had every attempt of its request and never answered: a Stop or the end of
        // the time given that came meanwhile does not make the watch a success.
        return Outcome::failed(fastPollText::NoResponse, address);
    }
    if (reply::statusByte(started) & reply::FastPollUnsupported) {
        console.report(fastPollText::Unsupported);
        return Outcome::refused(fastPollText::Unsupported, address);
    }
    for (;;) {
        if (context.ended()) return context.endOfRun();
        const auto counters =
            reply::fastPollCounterText(ask(context, address, cmd::FastPollCounters));
        const std::string online =
            counters && !host ? readOnlineRow(context, address) : std::string();
        // Redrawn now, the display would wipe the line that says the port failed.
        if (context.link.lineLost()) return Outcome::lineLost();
        if (counters) console.replaceReport(fastPollDisplay(*counters, online, host));
        if (context.control.stopRequested()) return Outcome::stopped();
        // A malformed reading is asked again at once; a good one after the pause.
        if (counters) context.link.pause(delay::FastPollInterval);
    }
}
