// Log entries: lines gathered, stored on close, dropped on discard.
#include "testing/child_process.h"
#include "testing/store_fixture.h"
#include "testsupport/item_bytes.h"

#include <algorithm>
#include <memory>
#include <string>

namespace nnotes::testing {
namespace {

class LogTest : public StoreTest {
protected:
    // The documents of the log database, oldest first.
    std::vector<NOTEID> LogDocuments(DBHANDLE* log) {
        std::vector<NOTEID> ids;
        if (OpenDatabase(LOG_DATABASE, log) != NOERROR) return ids;
        DHANDLE table = NULLHANDLE;
        if (GetModifiedNoteTable(*log, NOTE_CLASS_DOCUMENT, nullptr, nullptr, &table) != NOERROR) return ids;
        NOTEID id = 0;
        for (bool first = true; IDScan(table, first, &id) == NOERROR; first = false)
            ids.push_back(id);
        DestroyIDTable(table);
        return ids;
    }

    static std::vector<std::string> Lines(DBHANDLE log, NOTEID id) {
        std::vector<std::string> lines;
        NOTEHANDLE note = 0;
        if (OpenNote(log, id, 0, &note) != NOERROR) return lines;
        if (const auto item = testsupport::ReadItem(note, "Lines")) {
            const char* bytes = item->value.data();
            const auto length = static_cast<uint32_t>(item->value.size());
            uint16_t count = 0;
            CountTextListEntries(bytes, length, true, &count);
            for (uint16_t i = 0; i < count; ++i) {
                const char* text = nullptr;
                uint16_t n = 0;
                GetTextListEntry(bytes, length, true, i, &text, &n);
                lines.emplace_back(text, n);
            }
        }
        CloseNote(note);
        return lines;
    }
};

TEST_F(LogTest, AClosedEntryIsStoredWithItsLinesInOrder) {
    LOGHANDLE entry = 0;
    ASSERT_EQ(OpenLogEntry("Merge", &entry), NOERROR);
    EXPECT_NE(entry, 0);
    ASSERT_EQ(LogAddText(entry, 5, "Template", "letter.docx"), NOERROR);
    ASSERT_EQ(LogAddNumber(entry, 5, "Rows", -12), NOERROR);
    Instant when;
    TimeRecord fields = {};
    fields.year = 2024, fields.month = 1, fields.day = 15, fields.hour = 9, fields.minute = 30;
    ASSERT_EQ(FieldsToInstant(&fields), NOERROR);
    when = fields.instant;
    ASSERT_EQ(LogAddTime(entry, 5, "started", &when), NOERROR);
    ASSERT_EQ(CloseLogEntry(entry, 7), NOERROR);
    EXPECT_EQ(LogAddText(entry, 0, "late", "x"), ERR_LOG_HANDLE);
    EXPECT_EQ(CloseLogEntry(entry, 0), ERR_LOG_HANDLE);

    DBHANDLE log = 0;
    const auto ids = LogDocuments(&log);
    ASSERT_EQ(ids.size(), 1u);
    EXPECT_EQ(TextOf(log, ids[0], "Name"), "Merge");
    EXPECT_EQ(TextOf(log, ids[0], "Form"), "Activity");
    const auto lines = Lines(log, ids[0]);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Template: letter.docx");
    EXPECT_EQ(lines[1], "Rows: -12");
    char text[80];
    uint16_t length = 0;
    ASSERT_EQ(InstantToText(nullptr, nullptr, &when, text, sizeof text, &length), NOERROR);
    EXPECT_EQ(lines[2], std::string(text, length) + " started");
    CloseDatabase(log);
}

TEST_F(LogTest, ADiscardedEntryLeavesNothing) {
    LOGHANDLE entry = 0;
    ASSERT_EQ(OpenLogEntry("Scratch", &entry), NOERROR);
    ASSERT_EQ(LogAddText(entry, 0, "a", "b"), NOERROR);
    ASSERT_EQ(DiscardLogEntry(entry, 0), NOERROR);
    EXPECT_EQ(DiscardLogEntry(entry, 0), ERR_LOG_HANDLE);
    DBHANDLE log = 0;
    EXPECT_TRUE(LogDocuments(&log).empty());
    if (log != 0) CloseDatabase(log);
}

TEST_F(LogTest, NamesAndLinesAreBounded) {
    LOGHANDLE entry = 0;
    EXPECT_EQ(OpenLogEntry("", &entry), ERR_LOG_NAME);
    EXPECT_EQ(OpenLogEntry(std::string(MAXPATH, 'n').c_str(), &entry), ERR_LOG_NAME);
    ASSERT_EQ(OpenLogEntry("Big", &entry), NOERROR);
    const std::string line(30000, 'x');
    EXPECT_EQ(LogAddText(entry, 0, line.c_str(), ""), NOERROR);
    EXPECT_EQ(LogAddText(entry, 0, line.c_str(), ""), NOERROR);
    EXPECT_EQ(LogAddText(entry, 0, line.c_str(), ""), ERR_LOG_FULL)
        << "the lines must still fit one text list";
    EXPECT_EQ(CloseLogEntry(entry, 0), NOERROR);
}

// Log entry handles are 16 bits wide: a process that has opened and closed more entries than that goes on
// opening them, and an entry kept open all along keeps its handle and its lines.
TEST_F(LogTest, EntriesKeepOpeningAfterAllHandlesWereUsedOnce) {
    LOGHANDLE kept = 0;
    ASSERT_EQ(OpenLogEntry("Kept", &kept), NOERROR);
    ASSERT_EQ(LogAddText(kept, 0, "first", "line"), NOERROR);
    for (int i = 0; i < 70000; ++i) {
        LOGHANDLE entry = 0;
        ASSERT_EQ(OpenLogEntry("Passing", &entry), NOERROR) << "entry " << i;
        ASSERT_NE(entry, kept) << "entry " << i;
        ASSERT_EQ(DiscardLogEntry(entry, 0), NOERROR) << "entry " << i;
    }
    ASSERT_EQ(LogAddText(kept, 0, "last", "line"), NOERROR);
    ASSERT_EQ(CloseLogEntry(kept, 7), NOERROR);
    DBHANDLE log = 0;
    const std::vector<NOTEID> documents = LogDocuments(&log);
    ASSERT_EQ(documents.size(), 1u);
    EXPECT_EQ(Lines(log, documents[0]), (std::vector<std::string>{"first: line", "last: line"}));
    CloseDatabase(log);

    // Every handle open at once: the next one is refused until one is closed.
    std::vector<LOGHANDLE> open(UINT16_MAX);
    for (LOGHANDLE& entry : open)
        ASSERT_EQ(OpenLogEntry("Open", &entry), NOERROR);
    LOGHANDLE more = 0;
    EXPECT_EQ(OpenLogEntry("More", &more), ERR_LOG_HANDLES);
    ASSERT_EQ(DiscardLogEntry(open[100], 0), NOERROR);
    EXPECT_EQ(OpenLogEntry("More", &more), NOERROR);
    EXPECT_EQ(more, open[100]);
    for (LOGHANDLE entry : open)
        DiscardLogEntry(entry, 0);
}

// Processes that log their first messages at the same moment all create the log database at once: each
// message is stored, once.
TEST_F(LogTest, ProcessesLoggingAtOnceStoreEveryMessage) {
    constexpr int kProcesses = 4, kEach = 25;
    std::vector<std::unique_ptr<ChildProcess>> writers;
    for (int p = 0; p < kProcesses; ++p) {
        writers.push_back(std::make_unique<ChildProcess>(
            std::vector<std::string>{"log-text", "P" + std::to_string(p) + "_", std::to_string(kEach)}));
        ASSERT_EQ(writers.back()->ReadLine(), "ready");
    }
    for (auto& writer : writers)
        writer->Send("go");
    for (auto& writer : writers) {
        EXPECT_EQ(writer->ReadLine(), "logged 0");
        EXPECT_EQ(writer->Wait(), 0);
    }
    DBHANDLE log = 0;
    std::vector<std::string> texts;
    for (NOTEID id : LogDocuments(&log)) {
        NOTEHANDLE note = 0;
        ASSERT_EQ(OpenNote(log, id, 0, &note), NOERROR);
        const auto text = testsupport::ReadItem(note, "Text");
        ASSERT_TRUE(text.has_value());
        texts.push_back(text->value.substr(sizeof(uint16_t)));
        CloseNote(note);
    }
    CloseDatabase(log);
    std::vector<std::string> expected;
    for (int p = 0; p < kProcesses; ++p)
        for (int i = 0; i < kEach; ++i)
            expected.push_back("P" + std::to_string(p) + "_" + std::to_string(i));
    std::sort(texts.begin(), texts.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(texts, expected);
}

} // namespace
} // namespace nnotes::testing
