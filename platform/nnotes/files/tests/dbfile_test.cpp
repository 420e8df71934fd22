#include "testing/store_fixture.h"

#include <filesystem>
#include <fstream>

namespace nnotes::testing {
namespace {

using DatabaseFileTest = StoreTest;

TEST_F(DatabaseFileTest, CreateRefusesAnExistingFileUnlessForced) {
    DBHANDLE db = MakeDatabase("sub/one.nsf"); // folders are made as needed
    ASSERT_NE(db, 0u);
    const NOTEID id = SaveNote(db, {{"Subject", "kept"}});
    ASSERT_EQ(CloseDatabase(db), NOERROR);
    EXPECT_EQ(CreateDatabase("sub/one.nsf", 0, false, 0, 0, 0), ERR_DB_EXISTS);
    ASSERT_EQ(OpenDatabase("sub/one.nsf", &db), NOERROR);
    EXPECT_EQ(TextOf(db, id, "Subject"), "kept");
    EXPECT_EQ(CreateDatabase("sub/one.nsf", 0, true, 0, 0, 0), ERR_DB_IN_USE);
    ASSERT_EQ(CloseDatabase(db), NOERROR);
    ASSERT_EQ(CreateDatabase("sub/one.nsf", 0, true, 0, 0, 0), NOERROR);
    ASSERT_EQ(OpenDatabase("sub/one.nsf", &db), NOERROR);
    EXPECT_EQ(TextOf(db, id, "Subject"), "<missing>");
    EXPECT_EQ(CloseDatabase(db), NOERROR);
    EXPECT_EQ(CloseDatabase(db), ERR_DB_HANDLE); // handles are not reused
}

TEST_F(DatabaseFileTest, MissingForeignAndDamagedFilesGiveStatuses) {
    DBHANDLE db = 0;
    EXPECT_EQ(OpenDatabase("missing.nsf", &db), ERR_NOEXIST);
    std::ofstream(data_ + "/empty.nsf");
    std::ofstream(data_ + "/text.nsf")
        << "This is not a database at all, but it is long enough to have a header "
           "of a hundred bytes or more, so that only its content tells.";
    EXPECT_EQ(OpenDatabase("empty.nsf", &db), ERR_NOT_A_DATABASE);
    EXPECT_EQ(OpenDatabase("text.nsf", &db), ERR_NOT_A_DATABASE);
    EXPECT_EQ(DeleteDatabase("text.nsf"), ERR_NOT_A_DATABASE);
    EXPECT_TRUE(std::filesystem::exists(data_ + "/text.nsf"));
    EXPECT_EQ(CreateDatabase("text.nsf", 0, true, 0, 0, 0), ERR_NOT_A_DATABASE); // never replaced
    // Nor by a copy: it was renamed over the file like over one of ours.
    ASSERT_EQ(CloseDatabase(MakeDatabase("source.nsf")), NOERROR);
    EXPECT_EQ(CopyDatabase("source.nsf", "text.nsf", NOTE_CLASS_ALL, 0, 0, nullptr), ERR_NOT_A_DATABASE);
    EXPECT_EQ(CopyDatabase("source.nsf", "empty.nsf", NOTE_CLASS_ALL, 0, 0, nullptr), ERR_NOT_A_DATABASE);
    {
        std::ifstream in(data_ + "/text.nsf", std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), {});
        EXPECT_TRUE(text.rfind("This is not a database at all", 0) == 0);
        EXPECT_EQ(std::filesystem::file_size(data_ + "/empty.nsf"), 0u);
    }

    // Our header, then garbage: every operation answers with a status.
    db = MakeDatabase("damaged.nsf");
    for (int i = 0; i < 50; ++i)
        SaveNote(db, {{"Body", "some text to fill a few pages of the file"}});
    ASSERT_EQ(CloseDatabase(db), NOERROR);
    {
        std::fstream f(data_ + "/damaged.nsf", std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(4096);
        const std::string junk(8192, '\x5A');
        f.write(junk.data(), static_cast<std::streamsize>(junk.size()));
    }
    const STATUS opened = OpenDatabase("damaged.nsf", &db);
    if (opened == NOERROR) {
        NOTEHANDLE note = 0;
        STATUS worst = NOERROR;
        for (NOTEID id = 1; id < 60; ++id) {
            const STATUS s = OpenNote(db, id, 0, &note);
            if (s == NOERROR)
                CloseNote(note);
            else if (s != ERR_NOTE_NOT_FOUND)
                worst = s;
        }
        EXPECT_TRUE(worst == ERR_DB_DAMAGED || worst == ERR_NOTE_DAMAGED || worst == NOERROR) << worst;
        CloseDatabase(db);
    } else {
        EXPECT_TRUE(opened == ERR_DB_DAMAGED || opened == ERR_NOT_A_DATABASE) << opened;
    }
}

TEST_F(DatabaseFileTest, DirectoriesOpenButAreNoDatabases) {
    std::filesystem::create_directories(data_ + "/folder");
    DBHANDLE dir = 0;
    ASSERT_EQ(OpenDatabase("folder", &dir), NOERROR);
    NOTEHANDLE note = 0;
    EXPECT_EQ(CreateNote(dir, &note), ERR_DB_IS_DIRECTORY);
    char info[DBINFO_SIZE];
    EXPECT_EQ(GetDatabaseInfo(dir, info), ERR_DB_IS_DIRECTORY);
    EXPECT_EQ(DeleteDatabase("folder"), ERR_DB_IS_DIRECTORY);
    EXPECT_EQ(CloseDatabase(dir), NOERROR);
}

TEST_F(DatabaseFileTest, DeleteRemovesOnlyOurClosedDatabases) {
    DBHANDLE db = MakeDatabase("gone.nsf");
    EXPECT_EQ(DeleteDatabase("gone.nsf"), ERR_DB_IN_USE);
    ASSERT_EQ(CloseDatabase(db), NOERROR);
    ASSERT_EQ(DeleteDatabase("gone.nsf"), NOERROR);
    EXPECT_FALSE(std::filesystem::exists(data_ + "/gone.nsf"));
    EXPECT_EQ(DeleteDatabase("gone.nsf"), ERR_NOEXIST);
}

TEST_F(DatabaseFileTest, CopyTakesTheClassesAskedForAndANewIdentifier) {
    DBHANDLE db = MakeDatabase("source.nsf");
    const NOTEID doc = SaveNote(db, {{"Subject", "a document"}});
    const NOTEID form = SaveNote(db, {{"$TITLE", "Memo"}}, NOTE_CLASS_FORM);
    char info[DBINFO_SIZE] = {};
    ASSERT_EQ(SetInfoField(info, INFOFIELD_TITLE, "Source"), NOERROR);
    ASSERT_EQ(SetDatabaseInfo(db, info), NOERROR);
    Instant sourceId{};
    ASSERT_EQ(GetDatabaseId(db, &sourceId), NOERROR);

    DBHANDLE copy = 0;
    ASSERT_EQ(CopyDatabase("source.nsf", "copy.nsf", NOTE_CLASS_DOCUMENT, 0, 0, &copy), NOERROR);
    EXPECT_EQ(TextOf(copy, doc, "Subject"), "a document"); // ids are kept
    EXPECT_EQ(TextOf(copy, form, "$TITLE"), "<missing>");
    Instant copyId{};
    ASSERT_EQ(GetDatabaseId(copy, &copyId), NOERROR);
    EXPECT_NE(std::memcmp(&sourceId, &copyId, sizeof copyId), 0);
    char title[DBINFO_SIZE];
    ASSERT_EQ(GetDatabaseInfo(copy, info), NOERROR);
    ASSERT_EQ(GetInfoField(info, INFOFIELD_TITLE, title, sizeof title), NOERROR);
    EXPECT_STREQ(title, "Source");
    // A new note of the copy gets an id above every copied one.
    EXPECT_GT(SaveNote(copy, {{"Subject", "new"}}), form);
    EXPECT_EQ(CopyDatabase("source.nsf", "copy.nsf", NOTE_CLASS_ALL, 0, 0, nullptr), ERR_DB_IN_USE);
    ASSERT_EQ(CloseDatabase(copy), NOERROR);
    ASSERT_EQ(CopyDatabase("source.nsf", "copy.nsf", NOTE_CLASS_ALL, 0, 0, nullptr), NOERROR);
    ASSERT_EQ(OpenDatabase("copy.nsf", &copy), NOERROR);
    EXPECT_EQ(TextOf(copy, form, "$TITLE"), "Memo");
    EXPECT_EQ(CloseDatabase(copy), NOERROR);
    EXPECT_EQ(CloseDatabase(db), NOERROR);
    EXPECT_EQ(CopyDatabase("missing.nsf", "copy2.nsf", NOTE_CLASS_ALL, 0, 0, nullptr), ERR_NOEXIST);
    EXPECT_FALSE(std::filesystem::exists(data_ + "/copy2.nsf"));
}

TEST_F(DatabaseFileTest, InformationBufferFieldsAndOptionWords) {
    DBHANDLE db = MakeDatabase("info.nsf");
    char info[DBINFO_SIZE];
    ASSERT_EQ(GetDatabaseInfo(db, info), NOERROR);
    EXPECT_STREQ(info, "");
    ASSERT_EQ(SetInfoField(info, INFOFIELD_CATEGORIES, "Sales,Marketing"), NOERROR);
    ASSERT_EQ(SetInfoField(info, INFOFIELD_TITLE, "Data sources"), NOERROR);
    ASSERT_EQ(SetInfoField(info, INFOFIELD_INHERIT_FROM, "StdTemplate"), NOERROR);
    EXPECT_EQ(SetInfoField(info, 4, "x"), ERR_DB_INFO_FIELD);
    EXPECT_EQ(SetInfoField(info, INFOFIELD_TITLE, "two\nlines"), ERR_DB_INFO_FIELD);
    EXPECT_EQ(SetInfoField(info, INFOFIELD_DESIGN_CLASS, std::string(120, 'x').c_str()),
              ERR_DB_INFO_TOO_LONG);
    ASSERT_EQ(SetDatabaseInfo(db, info), NOERROR);
    char again[DBINFO_SIZE], field[DBINFO_SIZE];
    ASSERT_EQ(GetDatabaseInfo(db, again), NOERROR);
    const std::pair<uint16_t, const char*> expected[] = {
        {INFOFIELD_TITLE, "Data sources"},
        {INFOFIELD_CATEGORIES, "Sales,Marketing"},
        {INFOFIELD_DESIGN_CLASS, ""},
        {INFOFIELD_INHERIT_FROM, "StdTemplate"},
    };
    for (const auto& [n, text] : expected) {
        ASSERT_EQ(GetInfoField(again, n, field, sizeof field), NOERROR);
        EXPECT_STREQ(field, text);
    }

    uint32_t first = 1, second = 1;
    ASSERT_EQ(GetDatabaseOptions(db, &first, &second), NOERROR);
    EXPECT_EQ(first, 0u);
    EXPECT_EQ(second, 0u);
    ASSERT_EQ(SetDatabaseOptions(db, 0x1234), NOERROR);
    ASSERT_EQ(SetDatabaseOptionBits(db, 0x0200, 0x0200), NOERROR);
    ASSERT_EQ(SetDatabaseOptionBits(db, 0, 0x0004), NOERROR);
    ASSERT_EQ(GetDatabaseOptions(db, &first, nullptr), NOERROR);
    EXPECT_EQ(first, 0x1230u | 0x0200u);
    EXPECT_EQ(CloseDatabase(db), NOERROR);
}

TEST_F(DatabaseFileTest, ModifiedTimesAndSpaceFollowTheNotes) {
    DBHANDLE db = MakeDatabase("times.nsf");
    Instant data0, design0, data1, design1;
    ASSERT_EQ(GetModifiedTimes(db, &data0, &design0), NOERROR);
    SaveNote(db, {{"Subject", "x"}});
    ASSERT_EQ(GetModifiedTimes(db, &data1, &design1), NOERROR);
    int order = 0;
    ASSERT_EQ(CompareInstants(&data1, &data0, &order), NOERROR);
    EXPECT_GE(order, 0);
    EXPECT_EQ(std::memcmp(&design0, &design1, sizeof design0), 0);
    uint32_t used = 0, unused = 0;
    ASSERT_EQ(GetDatabaseSpace(db, &used, &unused), NOERROR);
    EXPECT_GT(used, 0u);
    ASSERT_EQ(CloseDatabase(db), NOERROR);
    uint32_t fileUsed = 0;
    ASSERT_EQ(GetDatabaseFileInfo("times.nsf", 0, &fileUsed, nullptr), NOERROR);
    EXPECT_GT(fileUsed, 0u);
    EXPECT_EQ(GetDatabaseFileInfo("missing.nsf", 0, &fileUsed, nullptr), ERR_NOEXIST);
}

// Saves faster than the clock's hundredths stamp ahead of it; a deletion afterwards must not set the
// modified time back to the clock, or a caller searching from that time would miss the saves after it.
TEST_F(DatabaseFileTest, DeletingNotesNeverSetsTheModifiedTimeBack) {
    DBHANDLE db = MakeDatabase("ahead.nsf");
    std::vector<NOTEID> ids;
    Instant data{}, design{}, now{};
    int ahead = 0;
    for (int i = 0; i < 20000 && ahead <= 0; ++i) {
        ids.push_back(SaveNote(db, {{"Subject", "x"}}));
        ASSERT_EQ(GetModifiedTimes(db, &data, &design), NOERROR);
        ASSERT_EQ(CurrentTime(&now), NOERROR);
        ASSERT_EQ(AdvanceInstant(&now, 20), NOERROR);
        ASSERT_EQ(CompareInstants(&data, &now, &ahead), NOERROR);
    }
    ASSERT_GT(ahead, 0) << "the saves never ran ahead of the clock";
    DHANDLE table = NULLHANDLE;
    ASSERT_EQ(CreateIDTable(&table), NOERROR);
    ASSERT_EQ(InsertID(table, ids[0], nullptr), NOERROR);
    ASSERT_EQ(DeleteNotes(db, table, 0), NOERROR);
    DestroyIDTable(table);
    Instant afterMany{}, afterOne{};
    ASSERT_EQ(GetModifiedTimes(db, &afterMany, nullptr), NOERROR);
    int order = 0;
    ASSERT_EQ(CompareInstants(&afterMany, &data, &order), NOERROR);
    EXPECT_GT(order, 0);
    ASSERT_EQ(DeleteNote(db, ids[1], 0), NOERROR);
    ASSERT_EQ(GetModifiedTimes(db, &afterOne, nullptr), NOERROR);
    ASSERT_EQ(CompareInstants(&afterOne, &afterMany, &order), NOERROR);
    EXPECT_GT(order, 0);
    ASSERT_EQ(CloseDatabase(db), NOERROR);
}

// A handle keeps the latest stamp it gave from one save to its next; saves through another handle of the
// file in between (here run ahead of the clock) must still make its next stamp later than all of theirs.
TEST_F(DatabaseFileTest, ASaveAfterAnotherHandlesSavesIsStampedLaterThanTheirs) {
    DBHANDLE a = MakeDatabase("two.nsf");
    DBHANDLE b = 0;
    ASSERT_EQ(OpenDatabase("two.nsf", &b), NOERROR);
    SaveNote(a, {{"Subject", "a"}});
    Instant theirs{}, now{};
    int ahead = 0;
    for (int i = 0; i < 20000 && ahead <= 0; ++i) {
        SaveNote(b, {{"Subject", "b"}});
        ASSERT_EQ(GetModifiedTimes(b, &theirs, nullptr), NOERROR);
        ASSERT_EQ(CurrentTime(&now), NOERROR);
        ASSERT_EQ(AdvanceInstant(&now, 20), NOERROR);
        ASSERT_EQ(CompareInstants(&theirs, &now, &ahead), NOERROR);
    }
    ASSERT_GT(ahead, 0) << "the saves never ran ahead of the clock";
    const NOTEID id = SaveNote(a, {{"Subject", "a again"}});
    const ORIGINATORID oid = OidOf(a, id);
    Instant data{};
    ASSERT_EQ(GetModifiedTimes(a, &data, nullptr), NOERROR);
    int order = 0;
    ASSERT_EQ(CompareInstants(&oid.sequenceTime, &theirs, &order), NOERROR);
    EXPECT_GT(order, 0);
    ASSERT_EQ(CompareInstants(&data, &theirs, &order), NOERROR);
    EXPECT_GT(order, 0);
    ASSERT_EQ(CloseDatabase(b), NOERROR);
    ASSERT_EQ(CloseDatabase(a), NOERROR);
}

// Inside a batch every save is stamped later than the one before, and so is the first save after the
// batch; a batch that was never committed leaves no stamp of its own behind for the next save to go on
// from.
TEST_F(DatabaseFileTest, StampsRunOnThroughBatchesCommittedOrNot) {
    DBHANDLE db = MakeDatabase("batch.nsf");
    auto stampOf = [&](NOTEID id) { return OidOf(db, id).sequenceTime; };
    auto later = [](Instant x, Instant y) {
        int order = 0;
        EXPECT_EQ(CompareInstants(&x, &y, &order), NOERROR);
        return order > 0;
    };
    Instant last = stampOf(SaveNote(db, {{"Subject", "before"}}));
    ASSERT_EQ(BeginBatch(db), NOERROR);
    for (int i = 0; i < 5; ++i) {
        const Instant stamp = stampOf(SaveNote(db, {{"Subject", "inside"}}));
        EXPECT_TRUE(later(stamp, last)) << i;
        last = stamp;
    }
    ASSERT_EQ(CommitBatch(db), NOERROR);
    Instant data{};
    ASSERT_EQ(GetModifiedTimes(db, &data, nullptr), NOERROR);
    EXPECT_EQ(std::memcmp(&data, &last, sizeof data), 0);
    const Instant after = stampOf(SaveNote(db, {{"Subject", "after"}}));
    EXPECT_TRUE(later(after, last));

    // A batch dropped with its handle: the next handle's stamps follow the file, not the dropped saves.
    ASSERT_EQ(BeginBatch(db), NOERROR);
    for (int i = 0; i < 200; ++i)
        SaveNote(db, {{"Subject", "dropped"}});
    ASSERT_EQ(CloseDatabase(db), NOERROR);
    ASSERT_EQ(OpenDatabase("batch.nsf", &db), NOERROR);
    ASSERT_EQ(GetModifiedTimes(db, &data, nullptr), NOERROR);
    EXPECT_EQ(std::memcmp(&data, &after, sizeof data), 0);
    EXPECT_TRUE(later(stampOf(SaveNote(db, {{"Subject", "next"}})), after));
    ASSERT_EQ(CloseDatabase(db), NOERROR);
}

TEST_F(DatabaseFileTest, CallsAfterTermProcessAnswerWithAStatus) {
    DBHANDLE db = MakeDatabase("late.nsf");
    ASSERT_EQ(TermProcess(), NOERROR);
    char info[DBINFO_SIZE];
    NOTEHANDLE note;
    EXPECT_EQ(OpenDatabase("late.nsf", &db), ERR_NOT_INITIALIZED);
    EXPECT_EQ(CloseDatabase(db), ERR_NOT_INITIALIZED);
    EXPECT_EQ(CreateDatabase("x.nsf", 0, false, 0, 0, 0), ERR_NOT_INITIALIZED);
    EXPECT_EQ(DeleteDatabase("late.nsf"), ERR_NOT_INITIALIZED);
    EXPECT_EQ(GetDatabaseInfo(db, info), ERR_NOT_INITIALIZED);
    EXPECT_EQ(CreateNote(db, &note), ERR_NOT_INITIALIZED);
    EXPECT_EQ(OpenNote(db, 1, 0, &note), ERR_NOT_INITIALIZED);
    EXPECT_EQ(UpdateNote(1, 0), ERR_NOT_INITIALIZED);
    EXPECT_EQ(DeleteNote(db, 1, 0), ERR_NOT_INITIALIZED);
    EXPECT_EQ(FindItemByName(1, "a", 1, nullptr, nullptr, nullptr, nullptr), ERR_NOT_INITIALIZED);
    EXPECT_EQ(GetInfoField(info, INFOFIELD_TITLE, info, sizeof info), ERR_NOT_INITIALIZED);
    EXPECT_EQ(SetInfoField(info, INFOFIELD_TITLE, "x"), ERR_NOT_INITIALIZED);
    DHANDLE table;
    EXPECT_EQ(GetModifiedNoteTable(db, NOTE_CLASS_ALL, nullptr, nullptr, &table), ERR_NOT_INITIALIZED);
    EXPECT_EQ(SearchDatabase(db, NULLHANDLE, 0, NOTE_CLASS_ALL, nullptr, nullptr, nullptr, nullptr),
              ERR_NOT_INITIALIZED);
    ASSERT_EQ(InitProcess(0, nullptr), NOERROR);
    // Handles from before are dead.
    EXPECT_EQ(GetDatabaseInfo(db, info), ERR_DB_HANDLE);
}

} // namespace
} // namespace nnotes::testing
