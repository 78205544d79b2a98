#include "trust/history.h"
#include "trustFixtures.h"

#include "tests/support/workingFolder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

HistoryRecord record(const std::string& outcome) {
    HistoryRecord r;
    r.time = HistoryTimeNow();
    r.port = "COM1";
    r.address = "0101";
    r.fixedAddress = "20000101";
    r.productId = 3;
    r.before = "1.05";
    r.file = "Terminal-K2.hex";
    r.fileSha256 = std::string(64, 'a');
    r.fileVersion = "2.05";
    r.outcome = outcome;
    if (outcome == "failed") r.reason = "Erase Error 05";
    return r;
}

TEST(History, RecordsGoOutAndComeBackWithEveryField) {
    WorkingFolder folder;
    ASSERT_EQ(AppendHistoryRecord(record(kHistoryStarted)), "");
    ASSERT_EQ(AppendHistoryRecord(record("failed")), "");
    const HistoryRead read = ReadHistory();
    ASSERT_EQ(read.records.size(), 2u);
    EXPECT_TRUE(read.notes.empty());
    const HistoryRecord& last = read.records[1];
    EXPECT_EQ(last.outcome, "failed");
    EXPECT_EQ(last.reason, "Erase Error 05");
    EXPECT_EQ(last.fixedAddress, "20000101");
    EXPECT_EQ(last.productId, 3);
    EXPECT_EQ(last.before, "1.05");
    EXPECT_EQ(last.after, std::nullopt);
    EXPECT_EQ(last.time.size(), 20u); // 2026-12-08T20:15:03Z
    EXPECT_EQ(last.time.back(), 'Z');
}

TEST(History, ALineCutShortOrNotJsonIsSkippedWithANoteAndTheNextRecordStartsAfreshLine) {
    WorkingFolder folder;
    ASSERT_EQ(AppendHistoryRecord(record(kHistoryStarted)), "");
    const std::string whole = HistoryLine(record("completed"));
    {
        std::ofstream out(kHistoryFileName, std::ios::app | std::ios::binary);
        out << "this is not json\n"
            << "[1,2]\n"
            << whole.substr(0, whole.size() / 2);
    }
    EXPECT_EQ(ReadHistory().records.size(), 1u);
    ASSERT_EQ(AppendHistoryRecord(record("completed")), "");
    const HistoryRead read = ReadHistory();
    ASSERT_EQ(read.records.size(), 2u);
    EXPECT_EQ(read.records[1].outcome, "completed");
    ASSERT_EQ(read.notes.size(), 3u);
    EXPECT_NE(read.notes[0].find("line 2"), std::string::npos);
    EXPECT_NE(read.notes[2].find("line 4"), std::string::npos);
}

TEST(History, AFolderThatCannotBeWrittenSaysSo) {
    WorkingFolder folder;
    std::filesystem::create_directory(kHistoryFileName); // a folder in the file's place
    EXPECT_NE(AppendHistoryRecord(record("completed")), "");
    EXPECT_FALSE(ReadHistory().exists && !ReadHistory().records.empty());
}

} // namespace
