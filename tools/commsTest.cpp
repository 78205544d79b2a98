#include "commsTest.h"

#include "link/catalogue.h"
#include "link/replyReader.h"

#include <array>
#include <charconv>
#include <utility>
#include <vector>

namespace {

constexpr char kAllLa[] = "FF";
constexpr char kNoTerminals[] = "00";
constexpr int kKinds = SurveyRecord::kCommsKinds;

struct TestKind {
    const char* request;
    int sends;
    bool infoReply; // else a bare status reply
};

// Kinds 1 to 8: short and long status and information requests, sent once or three times.
constexpr std::array<TestKind, kKinds> kTestKinds{{
    {cmd::StatusPoll, 1, false},
    {cmd::StatusPollLong, 1, false},
    {cmd::UnitInfo, 1, true},
    {cmd::UnitInfoLong, 1, true},
    {cmd::StatusPoll, 3, false},
    {cmd::StatusPollLong, 3, false},
    {cmd::UnitInfo, 3, true},
    {cmd::UnitInfoLonger, 3, true},
}};

bool passes(const TestKind& kind, const std::string& answer) {
    return kind.infoReply ? reply::hasUnitInfo(answer, reply::UnitInfoShortThreshold)
                          : reply::isStatusReply(answer);
}

// Blanks of the box's free positions around the digits are allowed; anything else is not a
// number.
std::optional<std::uint32_t> decimalCycles(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::nullopt;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

bool testable(const SurveyRecord& record) {
    return record.la != la::None && record.la <= la::HighestUnit && record.occupied() &&
           !record.duplicate;
}

std::string unitAddress(const SurveyTable& table, int row, int column) {
    const SurveyRecord& record = table.at(row, column);
    if (column == 0) return addr::controller(record.la);
    return addr::terminal(table.at(row, 0).la, record.la);
}

std::string progressText(std::uint32_t passed, std::uint32_t failed) {
    return "Pass rate: " + std::to_string(passRate(passed, failed)) + "%  [" +
           std::to_string(passed) + "/" + std::to_string(failed) + "]";
}

class CommsTest {
public:
    CommsTest(const OperationContext& context, SurveyTable& table)
        : context_(context), table_(table) {}

    void runCycles(std::uint32_t cycles, std::string_view cc, std::string_view tt);
    void report();
    const CommsTestResult& result() const { return result_; }

private:
    void testUnit(int row, int column, const TestKind& kind, int kindIndex);
    bool stop() { return context_.control.stopRequested() || context_.link.lineLost(); }

    const OperationContext& context_;
    SurveyTable& table_;
    CommsTestResult result_;
};

void CommsTest::runCycles(std::uint32_t cycles, std::string_view cc, std::string_view tt) {
    // The table does not change during a run: select once, in row and column order.
    std::vector<std::pair<int, int>> selected;
    for (int row = 0; row < SurveyTable::kRows; ++row)
        for (int column = 0; column < SurveyTable::kColumns; ++column)
            if (commsTestSelects(table_, row, column, cc, tt)) selected.emplace_back(row, column);
    for (std::uint32_t cycle = 1; cycle <= cycles; ++cycle) {
        // Every unit gets one kind before any unit gets the next.
        for (int kind = 0; kind < kKinds && !stop(); ++kind)
            for (const auto& [row, column] : selected) {
                if (stop()) break;
                testUnit(row, column, kTestKinds[kind], kind);
            }
        context_.console.setLabel(ConsoleLabel::Cycle, "Cycles: " + std::to_string(cycle));
        if (stop()) return;
    }
}

void CommsTest::testUnit(int row, int column, const TestKind& kind, int kindIndex) {
    SurveyRecord& record = table_.at(row, column);
    const std::string address = unitAddress(table_, row, column);
    context_.console.setLabel(ConsoleLabel::Cla, "CLA: [" + address + "]");
    record.tested = true;
    CommsCounter& counter = record.commsCounters[static_cast<std::size_t>(kindIndex)];
    for (int send = 0; send < kind.sends && !stop(); ++send) {
        const std::string answer =
            context_.link.TxMessage(address, kind.request, tr::CommsTestRequest).text;
        if (passes(kind, answer)) {
            ++counter.passed;
            ++result_.passed;
        } else {
            ++counter.failed;
            ++result_.failed;
        }
    }
    context_.console.setLabel(ConsoleLabel::Progress, progressText(result_.passed, result_.failed));
}

std::string unitReportLine(const SurveyRecord& record) {
    // The unit's sums are kept in 16 bits, as its totals always were.
    std::uint16_t passed = 0, failed = 0;
    std::string groups;
    for (const CommsCounter& counter : record.commsCounters) {
        passed = static_cast<std::uint16_t>(passed + counter.passed);
        failed = static_cast<std::uint16_t>(failed + counter.failed);
        groups += "[" + std::to_string(counter.passed) + "/" + std::to_string(counter.failed) + "]";
    }
    return "Pass rate: " + std::to_string(passRate(passed, failed)) + "%    " + groups;
}

void CommsTest::report() {
    Console& console = context_.console;
    console.report("");
    console.report(commsTestText::Heading);
    for (int row = 0; row < SurveyTable::kRows; ++row)
        for (int column = 0; column < SurveyTable::kColumns; ++column) {
            const SurveyRecord& record = table_.at(row, column);
            if (!testable(record) || !record.tested) continue;
            if (column == 0) console.report("");
            console.report(commsTestText::UnitPrefix + unitAddress(table_, row, column));
            console.report(unitReportLine(record));
            ++result_.unitsReported;
        }
    if (result_.unitsReported == 0) console.report(commsTestText::NoUnit);
}

Outcome commsTestEnd(const OperationContext& context, const CommsTestResult& result) {
    if (context.ended()) return context.endOfRun();
    if (result.unitsReported == 0) return Outcome::failed(commsTestText::NoUnit);
    if (result.failed > 0)
        return Outcome::failed(std::to_string(result.failed) + " request(s) unanswered");
    return Outcome::completed();
}

} // namespace

int passRate(std::uint32_t passed, std::uint32_t failed) {
    const std::uint64_t total = std::uint64_t{passed} + failed;
    if (total == 0) return 0;
    const std::uint64_t scaled = std::uint64_t{100} * passed;
    std::uint64_t rate = scaled / total;
    const std::uint64_t twiceRest = 2 * (scaled % total);
    if (twiceRest > total || (twiceRest == total && rate % 2 == 1)) ++rate;
    return static_cast<int>(rate);
}

bool commsTestSelects(const SurveyTable& table, int row, int column, std::string_view cc,
                      std::string_view tt) {
    const SurveyRecord& controller = table.at(row, 0);
    const bool anyController = cc == kAllLa;
    if (!anyController && hexText::la(controller.la) != cc) return false;
    const SurveyRecord& record = table.at(row, column);
    if (column == 0) {
        // A named terminal of a named controller: the controller itself is not tested.
        if (!anyController && tt != kNoTerminals && tt != kAllLa) return false;
    } else if (tt != kAllLa && hexText::la(record.la) != tt) {
        return false;
    }
    return testable(record);
}

CommsTestResult runCommsTest(const OperationContext& context, SurveyTable& table,
                             const CommsTestSettings& settings) {
    Console& console = context.console;
    console.setLabel(ConsoleLabel::Cla, "");
    console.setLabel(ConsoleLabel::Cycle, "Cycle: 0");
    console.setLabel(ConsoleLabel::Progress, "Pass rate: [0%]");
    const std::string_view cla(settings.cla);
    const std::string_view cc = cla.substr(0, 2);
    const std::string_view tt = cla.size() >= 2 ? cla.substr(cla.size() - 2) : cla;
    table.clearCommsTest();

    CommsTest test(context, table);
    if (const auto cycles = decimalCycles(settings.cycles))
        test.runCycles(*cycles, cc, tt);
    else
        console.report("No Of Cycles: \"" + settings.cycles +
                       "\" is not a decimal number, no cycle was run.");
    test.report();
    CommsTestResult result = test.result();
    result.end = commsTestEnd(context, result);
    return result;
}
