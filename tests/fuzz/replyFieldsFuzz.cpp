// Feeds arbitrary reply texts to the readers of reply fields and to what the survey and the
// fast-poll display make of them. The first byte picks the reader; the rest is the reply as
// the transaction hands it out. Fields are read by position whatever the length, so every read
// must stay inside the text and every result keep the shape its callers count on.

#include "link/replyReader.h"
#include "tools/fastPoll.h"
#include "tools/unitQuery.h"

#include <cstdlib>

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

void unitInfo(std::string_view text, bool terminal) {
    const reply::UnitInfo info = reply::readUnitInfo(text);
    Require(info.text.size() == reply::unitInfo::Text.width);
    SurveyRecord unit;
    unit.productId = info.productId;
    const std::string tail = takeUnitInfo(unit, std::string(text), terminal);
    Require(tail.size() < 32);
    Require(!info.inUpgradeMode() || (unit.version == 0 && unit.secondVersion == 0));
}

void lists(std::string_view text) {
    const std::vector<reply::ListEntry> entries = reply::readList(text);
    Require(entries.size() == reply::listCount(text) && entries.size() <= 0xFF);
    // Entries past the end of the reply read as zeros.
    using reply::unitList::EntryWidth;
    using reply::unitList::FirstEntry;
    const std::size_t firstMissing =
        text.size() < FirstEntry ? 1 : (text.size() - FirstEntry) / EntryWidth + 2;
    const reply::ListEntry beyond = reply::listEntry(text, firstMissing);
    Require(beyond.la == 0 && beyond.fixedAddress == 0 && beyond.productId == 0);
}

void passThrough(std::string_view text) {
    const std::vector<std::uint8_t> bytes = reply::passThroughBytes(text);
    Require(bytes.size() == reply::data(text).size() / 2);
}

void fastPollCounters(std::string_view text, bool host) {
    const std::optional<std::string> counters = reply::fastPollCounterText(text);
    if (!counters) return;
    Require(reply::fastPollCounters(*counters).size() == counters->size() / 2);
    fastPollDisplay(*counters, formatOnlineStr(*counters, *counters), host);
}

// Two maps: the first takes as many characters as the first byte says, the second the rest.
void onlineMaps(std::string_view text) {
    const std::size_t split = text.empty() ? 0 : static_cast<std::uint8_t>(text[0]) % text.size();
    const std::string_view first = text.substr(0, split);
    const std::string_view second = text.substr(split);
    const std::string row = formatOnlineStr(first, second);
    Require(row.size() == 3 * 4 * first.size());
    fastPollDisplay(second, row, false);
    for (const std::string_view map : {first, second}) {
        if (const std::optional<std::string> data = reply::onlineMapText(map)) {
            for (unsigned la = 0; la <= 0xFF; ++la)
                Require(!reply::isOnline(*data, la) || (la >= 1 && la <= 4 * data->size()));
        }
    }
}

void upgradeReplies(std::string_view text) {
    if (const auto versions = reply::readUpgradeMode(text))
        Require(versions->bootVersion.size() == 4 && versions->appVersion.size() == 4);
    reply::readFlashStatus(text);
    reply::readEraseWrite(text);
    reply::readIdentification(text);
}

// Any field at any position: positions and width come from the input.
void anyField(std::string_view text) {
    if (text.size() < 2) return;
    const std::size_t position = static_cast<std::uint8_t>(text[0]);
    const std::size_t width = static_cast<std::uint8_t>(text[1]) % 64;
    Require(reply::field(text.substr(2), position, width).size() == width);
    reply::hexField(text.substr(2), position, width);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 8) {
    case 0:
        unitInfo(text, false);
        break;
    case 1:
        unitInfo(text, true);
        break;
    case 2:
        lists(text);
        break;
    case 3:
        passThrough(text);
        break;
    case 4:
        fastPollCounters(text, data[0] & 0x80);
        break;
    case 5:
        onlineMaps(text);
        break;
    case 6:
        upgradeReplies(text);
        break;
    default:
        anyField(text);
        break;
    }
    return 0;
}
