#include "terminalList.h"

#include "link/catalogue.h"
#include "link/replyReader.h"
#include "surveyLines.h"
#include "unitQuery.h"

#include <algorithm>
#include <vector>

namespace {

// Entries are read from the reply's data only: an entry the reply announces but does not hold
// reads as zeros, never as the CRC that ends the reply.
std::vector<SurveyRecord> listedTerminals(const std::string& listReply) {
    const std::string_view body =
        std::string_view(listReply).substr(0, listReply.size() - reply::CrcWidth);
    std::vector<SurveyRecord> terminals;
    for (const reply::ListEntry& entry : reply::readList(body)) {
        SurveyRecord& terminal = terminals.emplace_back();
        terminal.la = entry.la;
        terminal.fixedAddress = static_cast<std::int32_t>(entry.fixedAddress);
        terminal.productId = entry.productId;
    }
    return terminals;
}

// Any two entries with the same LA, whether or not the reply held them.
void flagListDuplicates(std::vector<SurveyRecord>& terminals) {
    for (std::size_t j = 0; j < terminals.size(); ++j)
        for (std::size_t i = 0; i < j; ++i)
            if (terminals[i].la == terminals[j].la)
                terminals[i].duplicate = terminals[j].duplicate = true;
}

// What the survey knows of a terminal; the comms test's fields of the record stay.
void store(SurveyRecord& record, const SurveyRecord& terminal) {
    record.la = terminal.la;
    record.fixedAddress = terminal.fixedAddress;
    record.productId = terminal.productId;
    record.version = terminal.version;
    record.secondVersion = terminal.secondVersion;
    record.duplicate = terminal.duplicate;
    record.status = terminal.status;
}

} // namespace

void displayTermInfo(OperationContext& context, SurveyTable& table, int row,
                     const std::string& listReply) {
    if (listReply.size() < reply::TerminalListMinimum) return;
    SurveyRecord* controller = table.find(row, 0);
    if (controller == nullptr) return;

    std::vector<SurveyRecord> terminals = listedTerminals(listReply);
    flagListDuplicates(terminals);
    for (SurveyRecord& terminal : terminals) {
        if (context.ended()) break;
        reportUnit(context, terminal, addr::terminal(controller->la, terminal.la),
                   kListedTerminalQuery);
    }
    const std::size_t stored = std::min<std::size_t>(terminals.size(), SurveyTable::kGroupSize);
    for (std::size_t i = 0; i < stored; ++i)
        store(table.at(row, static_cast<int>(i) + 1), terminals[i]);
    context.console.report(totalUnitsLine(static_cast<int>(terminals.size())));
    context.console.report("");
}
