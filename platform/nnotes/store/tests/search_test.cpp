#include "testing/store_fixture.h"

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace nnotes::testing {
namespace {

class SearchTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        db_ = MakeDatabase("search.nsf");
        memo1_ = SaveNote(db_, {{"Form", "Memo"}, {"Subject", "one"}});
        reply_ = SaveNote(db_, {{"Form", "Reply"}, {"Subject", "two"}});
        memo2_ = SaveNote(db_, {{"Form", "Memo"}, {"Subject", "three"}});
        form_ = SaveNote(db_, {{"$TITLE", "Memo|M"}}, NOTE_CLASS_FORM);
    }
    void TearDown() override {
        CloseDatabase(db_);
        StoreTest::TearDown();
    }

    DHANDLE Compile(const std::string& text) {
        DHANDLE formula = NULLHANDLE;
        uint16_t length = 0;
        EXPECT_EQ(CompileFormula(text.c_str(), static_cast<uint16_t>(text.size()), &formula, &length),
                  NOERROR);
        return formula;
    }

    struct Collected {
        std::vector<NOTEID> ids;
        std::vector<std::string> subjects;
        size_t stopAfter = 0; // 0: never
    };

    static STATUS Collect(void* context, const SearchMatch* match, const SearchSummary* summary) {
        auto* c = static_cast<Collected*>(context);
        c->ids.push_back(match->id);
        const void* value = nullptr;
        uint16_t type = 0, length = 0;
        if (summary != nullptr && GetSummaryValue(summary, "subject", &type, &value, &length) == NOERROR &&
            type == TYPE_TEXT)
            c->subjects.emplace_back(static_cast<const char*>(value), length);
        return c->stopAfter != 0 && c->ids.size() == c->stopAfter ? ERR_ITEM_NOT_FOUND : NOERROR;
    }

    DBHANDLE db_ = 0;
    NOTEID memo1_ = 0, reply_ = 0, memo2_ = 0, form_ = 0;
};

TEST_F(SearchTest, FormulaSelectsNotesAndSummariesCarryTheirItems) {
    const DHANDLE formula = Compile("SELECT Form = \"Memo\"");
    Collected c;
    ASSERT_EQ(
        SearchDatabase(db_, formula, SEARCH_SUMMARY, NOTE_CLASS_DOCUMENT, nullptr, Collect, &c, nullptr),
        NOERROR);
    EXPECT_EQ(c.ids, (std::vector<NOTEID>{memo1_, memo2_}));
    EXPECT_EQ(c.subjects, (std::vector<std::string>{"one", "three"}));
    FreeBlock(formula);

    Collected all;
    ASSERT_EQ(SearchDatabase(db_, NULLHANDLE, 0, NOTE_CLASS_DOCUMENT | NOTE_CLASS_FORM, nullptr, Collect,
                             &all, nullptr),
              NOERROR);
    EXPECT_EQ(all.ids, (std::vector<NOTEID>{memo1_, reply_, memo2_, form_}));
}

TEST_F(SearchTest, SinceFindsOnlyLaterSavesAndACallbackCanStopTheSearch) {
    Instant until{};
    Collected first;
    ASSERT_EQ(SearchDatabase(db_, NULLHANDLE, 0, NOTE_CLASS_DOCUMENT, nullptr, Collect, &first, &until),
              NOERROR);
    // A save in a later hundredth of a second than the search began.
    Instant now{};
    int order = 0;
    do {
        ASSERT_EQ(CurrentTime(&now), NOERROR);
        ASSERT_EQ(CompareInstants(&now, &until, &order), NOERROR);
    } while (order <= 0);
    NOTEHANDLE note = 0;
    ASSERT_EQ(OpenNote(db_, reply_, 0, &note), NOERROR);
    ASSERT_EQ(SetItemText(note, "Subject", "changed", 7), NOERROR);
    ASSERT_EQ(UpdateNote(note, 0), NOERROR);
    ASSERT_EQ(CloseNote(note), NOERROR);
    Collected later;
    ASSERT_EQ(SearchDatabase(db_, NULLHANDLE, 0, NOTE_CLASS_DOCUMENT, &until, Collect, &later, nullptr),
              NOERROR);
    EXPECT_EQ(later.ids, (std::vector<NOTEID>{reply_}));

    Collected stopped;
    stopped.stopAfter = 2;
    EXPECT_EQ(SearchDatabase(db_, NULLHANDLE, 0, NOTE_CLASS_DOCUMENT, nullptr, Collect, &stopped, nullptr),
              ERR_ITEM_NOT_FOUND);
    EXPECT_EQ(stopped.ids.size(), 2u);
}

TEST_F(SearchTest, ACallbackThatThrowsLeavesNothingLocked) {
    const DHANDLE formula = Compile("SELECT 1");
    auto thrower = [](void*, const SearchMatch*, const SearchSummary*) -> STATUS {
        throw std::runtime_error("callback failed");
    };
    EXPECT_THROW(
        SearchDatabase(db_, formula, SEARCH_SUMMARY, NOTE_CLASS_DOCUMENT, nullptr, thrower, nullptr, nullptr),
        std::runtime_error);
    // The formula block is unlocked, the database free for a write, and a new search runs.
    EXPECT_EQ(UnlockBlock(formula), ERR_BLOCK_NOT_LOCKED);
    EXPECT_NE(SaveNote(db_, {{"Subject", "after"}}), 0u);
    Collected c;
    EXPECT_EQ(SearchDatabase(db_, formula, 0, NOTE_CLASS_DOCUMENT, nullptr, Collect, &c, nullptr), NOERROR);
    EXPECT_EQ(c.ids.size(), 4u);
    FreeBlock(formula);
}

TEST_F(SearchTest, ModifiedNoteTableIsNeverEmpty) {
    DHANDLE table = NULLHANDLE;
    EXPECT_EQ(GetModifiedNoteTable(db_, NOTE_CLASS_VIEW, nullptr, nullptr, &table), ERR_NO_MODIFIED_NOTES);
    EXPECT_EQ(table, NULLHANDLE);
    Instant until{};
    ASSERT_EQ(GetModifiedNoteTable(db_, NOTE_CLASS_DOCUMENT, nullptr, &until, &table), NOERROR);
    EXPECT_EQ(IDEntries(table), 3u);
    NOTEID id = 0;
    ASSERT_EQ(IDScan(table, true, &id), NOERROR);
    EXPECT_EQ(id, memo1_);
    DestroyIDTable(table);
    EXPECT_EQ(GetModifiedNoteTable(db_, NOTE_CLASS_DOCUMENT, &until, nullptr, &table), ERR_NO_MODIFIED_NOTES);
}

TEST_F(SearchTest, PassingBackTheTimeReachedGivesEverySaveOnceEvenWithinOneHundredth) {
    Instant until{};
    DHANDLE table = NULLHANDLE;
    ASSERT_EQ(GetModifiedNoteTable(db_, NOTE_CLASS_DOCUMENT, nullptr, &until, &table), NOERROR);
    DestroyIDTable(table);
    // Saves follow each call at once, mostly within the hundredth of a second the call ended in.
    for (int round = 0; round < 40; ++round) {
        const NOTEID saved = SaveNote(db_, {{"Subject", "quick"}});
        ASSERT_EQ(GetModifiedNoteTable(db_, NOTE_CLASS_DOCUMENT, &until, &until, &table), NOERROR)
            << "round " << round;
        EXPECT_EQ(IDEntries(table), 1u);
        NOTEID id = 0;
        EXPECT_EQ(IDScan(table, true, &id), NOERROR);
        EXPECT_EQ(id, saved);
        DestroyIDTable(table);
        Collected found;
        ASSERT_EQ(SearchDatabase(db_, NULLHANDLE, 0, NOTE_CLASS_DOCUMENT, &until, Collect, &found, &until),
                  NOERROR);
        EXPECT_EQ(found.ids, std::vector<NOTEID>{});
    }
}

TEST_F(SearchTest, DesignNotesAreFoundByAnyOfTheirNames) {
    NOTEID id = 0;
    ASSERT_EQ(FindDesignNote(db_, "memo", NOTE_CLASS_FORM, &id), NOERROR);
    EXPECT_EQ(id, form_);
    ASSERT_EQ(FindDesignNote(db_, "M", NOTE_CLASS_FORM, &id), NOERROR);
    EXPECT_EQ(id, form_);
    EXPECT_EQ(FindDesignNote(db_, "Memo", NOTE_CLASS_VIEW, &id), ERR_NOTE_NOT_FOUND);
    EXPECT_EQ(FindDesignNote(db_, "Me", NOTE_CLASS_FORM, &id), ERR_NOTE_NOT_FOUND);
}

TEST_F(SearchTest, FormulasReadOpenNotes) {
    NOTEHANDLE note = 0;
    ASSERT_EQ(OpenNote(db_, memo2_, 0, &note), NOERROR);
    const std::string text = "Subject + \"!\"";
    DHANDLE formula = Compile(text);
    uint32_t size = 0;
    ASSERT_EQ(GetBlockSize(formula, &size), NOERROR);
    HCOMPUTE compute = 0;
    ASSERT_EQ(ComputeStart(LockBlock(formula), static_cast<uint16_t>(size), &compute), NOERROR);
    UnlockBlock(formula);
    DHANDLE result = NULLHANDLE;
    uint32_t length = 0;
    ASSERT_EQ(ComputeEvaluate(compute, note, &result, &length, nullptr), NOERROR);
    const std::string value(static_cast<const char*>(LockBlock(result)), length);
    UnlockBlock(result);
    EXPECT_EQ(value.substr(2), "three!");
    FreeBlock(result);
    ComputeStop(compute);
    FreeBlock(formula);
    ASSERT_EQ(CloseNote(note), NOERROR);
}

class DirectorySearchTest : public StoreTest {
protected:
    static STATUS CollectPath(void* context, const SearchMatch*, const SearchSummary* summary) {
        const void* value = nullptr;
        uint16_t type = 0, length = 0;
        if (GetSummaryValue(summary, "$Path", &type, &value, &length) == NOERROR && type == TYPE_TEXT)
            static_cast<std::vector<std::string>*>(context)->emplace_back(static_cast<const char*>(value),
                                                                          length);
        return NOERROR;
    }

    std::vector<std::string> Search(const char* folder, uint16_t fileType) {
        DBHANDLE dir = 0;
        EXPECT_EQ(OpenDatabase(folder, &dir), NOERROR);
        std::vector<std::string> paths;
        EXPECT_EQ(SearchDatabase(dir, NULLHANDLE, SEARCH_SUMMARY | SEARCH_FILETYPE, fileType, nullptr,
                                 CollectPath, &paths, nullptr),
                  NOERROR);
        CloseDatabase(dir);
        return paths;
    }
};

TEST_F(DirectorySearchTest, DatabaseFilesAreReportedWithTheirPaths) {
    for (const char* name : {"b.nsf", "a.NSF", "t.ntf", "mail/m.nsf"})
        ASSERT_EQ(CreateDatabase(name, 0, false, 0, 0, 0), NOERROR);
    std::ofstream(data_ + "/foreign.nsf") << "not ours";
    using Paths = std::vector<std::string>;
    EXPECT_EQ(Search("", FILE_DATABASES), (Paths{"a.NSF", "b.nsf"}));
    EXPECT_EQ(Search("", FILE_TEMPLATES), (Paths{"t.ntf"}));
    EXPECT_EQ(Search("", FILE_DBANY_AND_TEMPLATES), (Paths{"a.NSF", "b.nsf", "t.ntf"}));
    EXPECT_EQ(Search("", FILE_DATABASES | FILE_RECURSE), (Paths{"a.NSF", "b.nsf", "mail/m.nsf"}));
    EXPECT_EQ(Search("mail", FILE_DATABASES), (Paths{"mail/m.nsf"}));

    DBHANDLE db = 0;
    ASSERT_EQ(OpenDatabase("mail/m.nsf", &db), NOERROR);
    Instant id{};
    ASSERT_EQ(GetDatabaseId(db, &id), NOERROR);
    std::vector<std::string> none;
    EXPECT_EQ(
        SearchDatabase(db, NULLHANDLE, SEARCH_FILETYPE, FILE_DATABASES, nullptr, CollectPath, &none, nullptr),
        ERR_DB_NOT_DIRECTORY);
    ASSERT_EQ(CloseDatabase(db), NOERROR);
    DBHANDLE dir = 0;
    ASSERT_EQ(OpenDatabase("", &dir), NOERROR);
    char path[MAXPATH];
    ASSERT_EQ(LocateDatabaseById(dir, &id, path), NOERROR);
    EXPECT_STREQ(path, "mail/m.nsf");
    id.words[1] ^= 0x00100000; // far from every identifier made in this test
    EXPECT_EQ(LocateDatabaseById(dir, &id, path), ERR_DB_ID_NOT_FOUND);
    EXPECT_EQ(CloseDatabase(dir), NOERROR);
}

} // namespace
} // namespace nnotes::testing
