#include "store/note.h"
#include "testing/store_fixture.h"
#include "testsupport/item_bytes.h"
#include "util/coding.h"

#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace nnotes::testing {
namespace {

using Bytes = std::vector<unsigned char>;

class ItemTest : public StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        db_ = MakeDatabase("items.nsf");
        ASSERT_EQ(CreateNote(db_, &note_), NOERROR);
    }
    void TearDown() override {
        CloseNote(note_);
        CloseDatabase(db_);
        StoreTest::TearDown();
    }

    // The bytes of a value block id.
    static Bytes ValueBytes(BLOCKID value, uint32_t length) {
        const auto* at = static_cast<const unsigned char*>(LockBlock(value.pool)) + value.block;
        Bytes out(at, at + length);
        UnlockBlock(value.pool);
        return out;
    }

    // The value of the first item of name, type word first.
    Bytes ValueOf(NOTEHANDLE note, const char* name) {
        const auto item = testsupport::ReadItem(note, name);
        EXPECT_TRUE(item.has_value()) << name;
        return item ? Bytes(item->value.begin(), item->value.end()) : Bytes();
    }

    STATUS Append(const char* name, uint16_t type, const Bytes& data, BLOCKID* item = nullptr) {
        return AppendItem(note_, ITEM_SUMMARY, name, static_cast<uint16_t>(std::strlen(name)), type,
                          data.data(), static_cast<uint32_t>(data.size()), item);
    }

    // Saves note_, closes it and opens it again from the file.
    void Reopen() {
        ASSERT_EQ(UpdateNote(note_, 0), NOERROR);
        NOTEID id = 0;
        ASSERT_EQ(GetNoteInfo(note_, NOTE_INFO_ID, &id), NOERROR);
        ASSERT_EQ(CloseNote(note_), NOERROR);
        ASSERT_EQ(CloseDatabase(db_), NOERROR);
        ASSERT_EQ(OpenDatabase("items.nsf", &db_), NOERROR);
        ASSERT_EQ(OpenNote(db_, id, 0, &note_), NOERROR);
    }

    // Another open of note_'s stored note sets item name to text and saves it, as a second writer would.
    void SaveTheirs(const char* name, const char* text) {
        NOTEID id = 0;
        ASSERT_EQ(GetNoteInfo(note_, NOTE_INFO_ID, &id), NOERROR);
        NOTEHANDLE theirs = 0;
        ASSERT_EQ(OpenNote(db_, id, 0, &theirs), NOERROR);
        ASSERT_EQ(SetItemText(theirs, name, text, static_cast<uint16_t>(std::strlen(text))), NOERROR);
        ASSERT_EQ(UpdateNote(theirs, 0), NOERROR);
        ASSERT_EQ(CloseNote(theirs), NOERROR);
    }

    DBHANDLE db_ = 0;
    NOTEHANDLE note_ = 0;
};

TEST_F(ItemTest, ValueLayoutsAreKeptByteForByte) {
    const Bytes text = {'H', 'i', 0, '!'}; // a line feed is stored as NUL
    const Bytes list = {2, 0, 3, 0, 2, 0, 'o', 'n', 'e', 'n', 'o'};
    const Bytes number = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}; // 1.0
    const Bytes numbers = {1, 0, 1, 0, 0, 0, 0, 0,  0,  0,  0,  0x40, 1,  2,
                           3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14,   15, 16};
    const Bytes time = {1, 2, 3, 4, 5, 6, 7, 0};
    const Bytes times = {2, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 0, 8, 7, 6, 5, 4, 3, 2, 0};
    const Bytes composite = {0xFF, 0x00, 0x12};
    const std::pair<const char*, std::pair<uint16_t, Bytes>> cases[] = {
        {"Text", {TYPE_TEXT, text}},           {"List", {TYPE_TEXT_LIST, list}},
        {"Number", {TYPE_NUMBER, number}},     {"Numbers", {TYPE_NUMBER_RANGE, numbers}},
        {"Time", {TYPE_TIME, time}},           {"Times", {TYPE_TIME_RANGE, times}},
        {"Body", {TYPE_COMPOSITE, composite}}, {"Empty", {TYPE_TEXT, {}}},
    };
    for (const auto& [name, value] : cases)
        ASSERT_EQ(Append(name, value.first, value.second), NOERROR) << name;
    Reopen();
    for (const auto& [name, value] : cases) {
        Bytes expected;
        util::PutFixed16(&expected, value.first);
        expected.insert(expected.end(), value.second.begin(), value.second.end());
        EXPECT_EQ(ValueOf(note_, name), expected) << name;
    }
}

TEST_F(ItemTest, ValuesThatBreakTheirLayoutOrLimitsAreRefused) {
    EXPECT_EQ(Append("List", TYPE_TEXT_LIST, {2, 0, 3, 0}), ERR_ITEM_LAYOUT);      // lengths missing
    EXPECT_EQ(Append("List", TYPE_TEXT_LIST, {1, 0, 9, 0, 'a'}), ERR_ITEM_LAYOUT); // text too short
    EXPECT_EQ(Append("Number", TYPE_NUMBER, {1, 2, 3}), ERR_ITEM_LAYOUT);
    EXPECT_EQ(Append("Times", TYPE_TIME_RANGE, {0, 0, 0, 0}), NOERROR); // an empty list
    EXPECT_EQ(Append("Times", TYPE_TIME_RANGE, {1, 0, 0, 0, 1, 2}), ERR_ITEM_LAYOUT);
    EXPECT_EQ(Append("$REF", TYPE_NOTEREF_LIST, {1, 0, 1, 2, 3}), ERR_ITEM_LAYOUT);
    EXPECT_EQ(Append(std::string(MAXITEMNAME, 'n').c_str(), TYPE_TEXT, {'x'}), NOERROR);
    EXPECT_EQ(Append(std::string(MAXITEMNAME + 1, 'n').c_str(), TYPE_TEXT, {'x'}), ERR_ITEM_NAME);
    EXPECT_EQ(Append("", TYPE_TEXT, {'x'}), ERR_ITEM_NAME);
    EXPECT_EQ(AppendItem(note_, 0, "Na\0me", 5, TYPE_TEXT, "x", 1, nullptr), ERR_ITEM_NAME);
    EXPECT_EQ(DeleteItem(note_, "Na\0me", 5), ERR_ITEM_NAME);
    EXPECT_EQ(Append("Big", TYPE_COMPOSITE, Bytes(0xFFFF, 1)), ERR_ITEM_TOO_BIG);
    EXPECT_EQ(Append("Big", TYPE_COMPOSITE, Bytes(40960, 1)), NOERROR);
    EXPECT_EQ(AppendItem(0x7777, 0, "A", 1, TYPE_TEXT, "x", 1, nullptr), ERR_NOTE_HANDLE);
}

TEST_F(ItemTest, ItemsKeepTheirOrderAndValuesLieInsideSixtyFourKilobytes) {
    std::vector<BLOCKID> ids;
    for (int i = 0; i < 6; ++i) {
        BLOCKID id{};
        ASSERT_EQ(Append(("I" + std::to_string(i)).c_str(), TYPE_COMPOSITE,
                         Bytes(20000, static_cast<unsigned char>(i)), &id),
                  NOERROR);
        ids.push_back(id);
    }
    BLOCKID item{}, value{};
    uint32_t length = 0;
    ASSERT_EQ(FindItemByName(note_, nullptr, 0, &item, nullptr, &value, &length), NOERROR);
    for (int i = 0; i < 6; ++i) {
        char name[32];
        uint16_t nameLength = 0;
        ASSERT_EQ(
            QueryItemByBlock(note_, item, name, sizeof name, &nameLength, nullptr, nullptr, &value, &length),
            NOERROR);
        EXPECT_EQ(std::string(name, nameLength), "I" + std::to_string(i));
        EXPECT_EQ(item.pool, ids[i].pool);
        EXPECT_EQ(item.block, ids[i].block);
        EXPECT_NE(value.block, 0);
        EXPECT_LE(uint32_t{value.block} + length, 0xFFFFu);
        const STATUS next = FindNextItemByName(note_, nullptr, 0, item, &item, nullptr, &value, &length);
        EXPECT_EQ(next, i < 5 ? NOERROR : ERR_ITEM_NOT_FOUND);
    }
}

// A new note's items are stored several rows to a statement, as is a note written whole again after
// another handle's save: every item comes back, in its order, with its name, flags, type and value, whatever
// the count (one statement's worth, more, or one over).
TEST_F(ItemTest, NotesOfManyItemsComeBackWholeAndInOrder) {
    const auto fill = [](NOTEHANDLE note, int count, char tag) {
        for (int i = 0; i < count; ++i) {
            const std::string name = "N" + std::to_string(i);
            const std::string value = std::string(1 + i % 5, tag) + std::to_string(i);
            ASSERT_EQ(AppendItem(note, i % 2 ? ITEM_SUMMARY : 0, name.c_str(),
                                 static_cast<uint16_t>(name.size()), i % 3 ? TYPE_TEXT : TYPE_COMPOSITE,
                                 value.data(), static_cast<uint32_t>(value.size()), nullptr),
                      NOERROR);
        }
    };
    const auto expectItems = [&](NOTEID id, int count, char tag) {
        NOTEHANDLE note = 0;
        ASSERT_EQ(OpenNote(db_, id, 0, &note), NOERROR);
        BLOCKID item{}, value{};
        uint32_t length = 0;
        STATUS s = FindItemByName(note, nullptr, 0, &item, nullptr, &value, &length);
        for (int i = 0; i < count; ++i) {
            ASSERT_EQ(s, NOERROR) << count << " items, item " << i;
            char name[32];
            uint16_t nameLength = 0, flags = 0, type = 0;
            ASSERT_EQ(
                QueryItemByBlock(note, item, name, sizeof name, &nameLength, &flags, &type, &value, &length),
                NOERROR);
            EXPECT_EQ(std::string(name, nameLength), "N" + std::to_string(i));
            EXPECT_EQ(flags & ITEM_SUMMARY, i % 2 ? ITEM_SUMMARY : 0);
            EXPECT_EQ(type, i % 3 ? TYPE_TEXT : TYPE_COMPOSITE);
            const Bytes bytes = ValueBytes(value, length);
            const std::string expected = std::string(1 + i % 5, tag) + std::to_string(i);
            EXPECT_EQ(std::string(bytes.begin() + 2, bytes.end()), expected);
            s = FindNextItemByName(note, nullptr, 0, item, &item, nullptr, &value, &length);
        }
        EXPECT_EQ(s, ERR_ITEM_NOT_FOUND) << count;
        ASSERT_EQ(CloseNote(note), NOERROR);
    };
    for (const int count : {1, 2, 15, 16, 17, 33}) {
        NOTEHANDLE note = 0;
        ASSERT_EQ(CreateNote(db_, &note), NOERROR);
        fill(note, count, 'a');
        ASSERT_EQ(UpdateNote(note, 0), NOERROR);
        NOTEID id = 0;
        ASSERT_EQ(GetNoteInfo(note, NOTE_INFO_ID, &id), NOERROR);
        ASSERT_EQ(CloseNote(note), NOERROR);
        expectItems(id, count, 'a');

        // Saved by another handle first: the forced save writes every row again.
        NOTEHANDLE a = 0, b = 0;
        ASSERT_EQ(OpenNote(db_, id, 0, &a), NOERROR);
        ASSERT_EQ(OpenNote(db_, id, 0, &b), NOERROR);
        ASSERT_EQ(UpdateNote(a, 0), NOERROR);
        for (int i = 0; i < count; ++i) {
            const std::string name = "N" + std::to_string(i);
            ASSERT_EQ(DeleteItem(b, name.c_str(), static_cast<uint16_t>(name.size())), NOERROR);
        }
        fill(b, count, 'b');
        ASSERT_EQ(UpdateNote(b, UPDATE_FORCE), NOERROR);
        ASSERT_EQ(CloseNote(a), NOERROR);
        ASSERT_EQ(CloseNote(b), NOERROR);
        expectItems(id, count, 'b');
    }
}

TEST_F(ItemTest, AdoptedBlocksAreGivenBackExactly) {
    DHANDLE block = NULLHANDLE;
    const Bytes value = {0x01, 0x00, 'r', 'i', 'c', 'h'}; // type word 1, then the record bytes
    ASSERT_EQ(AllocateBlock(0, 16, &block), NOERROR);
    std::memcpy(static_cast<char*>(LockBlock(block)) + 8, value.data(), value.size());
    UnlockBlock(block);
    const BLOCKID id{block, 8};
    ASSERT_EQ(
        AppendItemByBlock(note_, ITEM_SIGN, "Body", 4, id, static_cast<uint32_t>(value.size()), nullptr),
        NOERROR);
    BLOCKID found{};
    uint32_t length = 0;
    uint16_t type = 0;
    ASSERT_EQ(FindItemByName(note_, "body", 4, nullptr, &type, &found, &length), NOERROR);
    EXPECT_EQ(found.pool, block);
    EXPECT_EQ(found.block, 8);
    EXPECT_EQ(length, value.size());
    EXPECT_EQ(type, TYPE_COMPOSITE);
    Reopen();
    EXPECT_EQ(ValueOf(note_, "Body"), value);

    EXPECT_EQ(AppendItemByBlock(note_, 0, "Bad", 3, BLOCKID{block + 1000, 0}, 4, nullptr), ERR_VALUE_BLOCK);
    DHANDLE small = NULLHANDLE;
    ASSERT_EQ(AllocateBlock(0, 4, &small), NOERROR);
    EXPECT_EQ(AppendItemByBlock(note_, 0, "Bad", 3, BLOCKID{small, 2}, 4, nullptr), ERR_VALUE_BLOCK);
    FreeBlock(small);
}

TEST_F(ItemTest, DeletingAnItemLeavesTheOthersAlone) {
    BLOCKID a{}, b{}, c{};
    ASSERT_EQ(Append("A", TYPE_TEXT, {'a'}, &a), NOERROR);
    ASSERT_EQ(Append("B", TYPE_TEXT, {'b'}, &b), NOERROR);
    ASSERT_EQ(Append("C", TYPE_TEXT, {'c'}, &c), NOERROR);
    BLOCKID valueC{};
    ASSERT_EQ(QueryItemByBlock(note_, c, nullptr, 0, nullptr, nullptr, nullptr, &valueC, nullptr), NOERROR);
    ASSERT_EQ(DeleteItemByBlock(note_, b), NOERROR);
    EXPECT_EQ(DeleteItemByBlock(note_, b), ERR_ITEM_BLOCK);
    BLOCKID stillC{};
    ASSERT_EQ(QueryItemByBlock(note_, c, nullptr, 0, nullptr, nullptr, nullptr, &stillC, nullptr), NOERROR);
    EXPECT_EQ(stillC.pool, valueC.pool);
    EXPECT_EQ(stillC.block, valueC.block);
    EXPECT_EQ(ValueOf(note_, "C"), (Bytes{0, 5, 'c'}));
    // A new item never takes a deleted one's id.
    BLOCKID d{};
    ASSERT_EQ(Append("D", TYPE_TEXT, {'d'}, &d), NOERROR);
    EXPECT_NE(d.block, b.block);
    Reopen();
    std::string names;
    BLOCKID item{};
    char name[32];
    for (STATUS s = FindItemByName(note_, nullptr, 0, &item, nullptr, nullptr, nullptr); s == NOERROR;
         s = FindNextItemByName(note_, nullptr, 0, item, &item, nullptr, nullptr, nullptr)) {
        ASSERT_EQ(
            QueryItemByBlock(note_, item, name, sizeof name, nullptr, nullptr, nullptr, nullptr, nullptr),
            NOERROR);
        names += name;
    }
    EXPECT_EQ(names, "ACD");
}

TEST_F(ItemTest, SameNamedItemsAreFoundInTurnAndDeletedTogether) {
    ASSERT_EQ(Append("Dup", TYPE_TEXT, {'1'}), NOERROR);
    ASSERT_EQ(Append("Other", TYPE_TEXT, {'x'}), NOERROR);
    ASSERT_EQ(Append("DUP", TYPE_TEXT, {'2'}), NOERROR);
    BLOCKID first{}, second{}, value{};
    uint32_t length = 0;
    ASSERT_EQ(FindItemByName(note_, "dup", 3, &first, nullptr, nullptr, nullptr), NOERROR);
    ASSERT_EQ(FindNextItemByName(note_, "dup", 3, first, &second, nullptr, &value, &length), NOERROR);
    EXPECT_EQ(ValueBytes(value, length), (Bytes{0, 5, '2'}));
    EXPECT_EQ(FindNextItemByName(note_, "dup", 3, second, &second, nullptr, nullptr, nullptr),
              ERR_ITEM_NOT_FOUND);
    ASSERT_EQ(DeleteItem(note_, "Dup", 3), NOERROR);
    EXPECT_EQ(DeleteItem(note_, "Dup", 3), ERR_ITEM_NOT_FOUND);
    EXPECT_EQ(FindItemByName(note_, "Other", 5, nullptr, nullptr, nullptr, nullptr), NOERROR);
}

TEST_F(ItemTest, ItemIdsNameTheirItemWhileOthersMoveAndDeletedOnesNameNone) {
    // Deleting items moves the later ones to lower places: every id must still name its own item, and the
    // id of a deleted one none, even where another item now lies at the place it had.
    const char* names[] = {"N1", "N2", "N3", "N4", "N5", "N6"};
    BLOCKID ids[6]{};
    for (int i = 0; i < 6; ++i)
        ASSERT_EQ(Append(names[i], TYPE_TEXT, {static_cast<unsigned char>('a' + i)}, &ids[i]), NOERROR);
    const auto nameOf = [&](NOTEHANDLE note, BLOCKID id) {
        char name[32] = "";
        const STATUS s =
            QueryItemByBlock(note, id, name, sizeof name, nullptr, nullptr, nullptr, nullptr, nullptr);
        return s == NOERROR ? std::string(name) : "status " + std::to_string(s);
    };
    const std::string gone = "status " + std::to_string(ERR_ITEM_BLOCK);
    ASSERT_EQ(DeleteItemByBlock(note_, ids[0]), NOERROR);
    ASSERT_EQ(DeleteItemByBlock(note_, ids[3]), NOERROR);
    BLOCKID added{};
    ASSERT_EQ(Append("N7", TYPE_TEXT, {'g'}, &added), NOERROR);
    {
        const NOTEHANDLE note = note_;
        EXPECT_EQ(nameOf(note, ids[0]), gone);
        EXPECT_EQ(nameOf(note, ids[3]), gone);
        for (int i : {1, 2, 4, 5})
            EXPECT_EQ(nameOf(note, ids[i]), names[i]);
        EXPECT_EQ(nameOf(note, added), "N7");
        // The walk from each item goes on with the one after it.
        BLOCKID next{};
        ASSERT_EQ(FindNextItemByName(note, nullptr, 0, ids[2], &next, nullptr, nullptr, nullptr), NOERROR);
        EXPECT_EQ(nameOf(note, next), "N5");
        EXPECT_EQ(FindNextItemByName(note, nullptr, 0, ids[3], &next, nullptr, nullptr, nullptr),
                  ERR_ITEM_BLOCK);
    }
    // A copy keeps the ids of its source's items, at their moved places.
    NOTEHANDLE copy = 0;
    ASSERT_EQ(DuplicateNote(note_, 0, &copy), NOERROR);
    for (int i : {1, 2, 4, 5})
        EXPECT_EQ(nameOf(copy, BLOCKID{copy, ids[i].block}), names[i]);
    EXPECT_EQ(nameOf(copy, BLOCKID{copy, ids[3].block}), gone);
    EXPECT_EQ(nameOf(copy, BLOCKID{copy, added.block}), "N7");
    ASSERT_EQ(CloseNote(copy), NOERROR);
}

// A note kept open while one item of it is set again and again (a status, a counter) must go on taking
// changes, in memory that does not grow with their number, and leave the other items, and every value a
// caller holds locked, where they were.
TEST_F(ItemTest, AnItemSetAgainAndAgainInAnOpenNoteNeitherRunsOutNorGrows) {
    BLOCKID kept{}, keptValue{};
    ASSERT_EQ(Append("Kept", TYPE_TEXT, {'k', 'e', 'p', 't'}, &kept), NOERROR);
    ASSERT_EQ(FindItemByName(note_, "Kept", 4, nullptr, nullptr, &keptValue, nullptr), NOERROR);
    const std::string big(30000, 'v');
    ASSERT_EQ(SetItemText(note_, "Status", big.data(), static_cast<uint16_t>(big.size())), NOERROR);
    BLOCKID lockedValue{};
    ASSERT_EQ(FindItemByName(note_, "Status", 6, nullptr, nullptr, &lockedValue, nullptr), NOERROR);
    const char* locked = static_cast<const char*>(LockBlock(lockedValue.pool)) + lockedValue.block;
    std::set<DHANDLE> pools;
    for (int i = 0; i < 70000; ++i) {
        const std::string text = i % 50 == 0 ? big : "status " + std::to_string(i);
        ASSERT_EQ(SetItemText(note_, "Status", text.data(), static_cast<uint16_t>(text.size())), NOERROR)
            << "change " << i;
        BLOCKID value{};
        ASSERT_EQ(FindItemByName(note_, "Status", 6, nullptr, nullptr, &value, nullptr), NOERROR);
        pools.insert(value.pool);
    }
    // The serials came round: the kept item keeps its id and its value.
    char name[16] = "";
    ASSERT_EQ(QueryItemByBlock(note_, kept, name, sizeof name, nullptr, nullptr, nullptr, nullptr, nullptr),
              NOERROR);
    EXPECT_STREQ(name, "Kept");
    EXPECT_EQ(ValueBytes(keptValue, 6), (Bytes{TYPE_TEXT & 0xFF, TYPE_TEXT >> 8, 'k', 'e', 'p', 't'}));
    // The values held locked stayed; of the pools the changes filled, only a few are alive.
    EXPECT_EQ(std::string(locked + 2, 8), "vvvvvvvv");
    EXPECT_EQ(UnlockBlock(lockedValue.pool), NOERROR);
    size_t alive = 0;
    for (DHANDLE pool : pools) {
        uint32_t size = 0;
        alive += GetBlockSize(pool, &size) == NOERROR;
    }
    EXPECT_GT(pools.size(), 100u);
    EXPECT_LE(alive, 3u) << "pools whose values were all replaced are freed";
    ASSERT_EQ(UpdateNote(note_, 0), NOERROR);
    char text[32];
    ASSERT_EQ(GetItemText(note_, "Status", text, sizeof text, nullptr), NOERROR);
    EXPECT_STREQ(text, "status 69999");
}

TEST_F(ItemTest, TextReadingAndReplacing) {
    ASSERT_EQ(Append("List", TYPE_TEXT_LIST, {2, 0, 3, 0, 2, 0, 'o', 'n', 'e', 'n', 'o'}), NOERROR);
    ASSERT_EQ(Append("Number", TYPE_NUMBER, Bytes(8, 0)), NOERROR);
    char buf[8];
    uint16_t length = 0;
    ASSERT_EQ(GetItemText(note_, "List", buf, sizeof buf, &length), NOERROR);
    EXPECT_STREQ(buf, "one");
    EXPECT_EQ(GetItemText(note_, "Number", buf, sizeof buf, &length), ERR_ITEM_TYPE);
    EXPECT_EQ(GetItemText(note_, "Missing", buf, sizeof buf, &length), ERR_ITEM_NOT_FOUND);
    ASSERT_EQ(SetItemText(note_, "List", "a longer text", 13), NOERROR);
    ASSERT_EQ(GetItemText(note_, "List", buf, sizeof buf, &length), NOERROR);
    EXPECT_STREQ(buf, "a longe"); // cut to the buffer
    EXPECT_EQ(length, 7);
    EXPECT_EQ(SetItemText(note_, std::string(40, 'x').c_str(), "x", 1), ERR_ITEM_NAME);
}

TEST_F(ItemTest, ItemsCopyBetweenNotes) {
    BLOCKID item{};
    ASSERT_EQ(Append("Subject", TYPE_TEXT, {'h', 'i'}, &item), NOERROR);
    NOTEHANDLE other = 0;
    ASSERT_EQ(CreateNote(db_, &other), NOERROR);
    BLOCKID copy{};
    ASSERT_EQ(CopyItemToNote(item, other, &copy), NOERROR);
    EXPECT_EQ(copy.pool, other);
    EXPECT_EQ(ValueOf(other, "Subject"), (Bytes{0, 5, 'h', 'i'}));
    ASSERT_EQ(CopyItemToNote(item, note_, nullptr), NOERROR); // into its own note
    ASSERT_EQ(CloseNote(other), NOERROR);
    EXPECT_EQ(CopyItemToNote(copy, note_, nullptr), ERR_ITEM_BLOCK); // its note is closed
}

TEST_F(ItemTest, AValueChangedInItsBlockIsSaved) {
    ASSERT_EQ(Append("Flag", TYPE_TEXT, {'n'}), NOERROR);
    ASSERT_EQ(Append("Other", TYPE_TEXT, {'o'}), NOERROR);
    Reopen();
    BLOCKID value{};
    ASSERT_EQ(FindItemByName(note_, "Flag", 4, nullptr, nullptr, &value, nullptr), NOERROR);
    static_cast<char*>(LockBlock(value.pool))[value.block + 2] = 'y';
    UnlockBlock(value.pool);
    Reopen();
    EXPECT_EQ(ValueOf(note_, "Flag"), (Bytes{0, 5, 'y'}));
    EXPECT_EQ(ValueOf(note_, "Other"), (Bytes{0, 5, 'o'}));
}

// The names and values of note's items in order, as "name=value;" (values after their type word).
std::string ItemsOf(NOTEHANDLE note) {
    std::string out;
    BLOCKID item{}, value{};
    uint32_t length = 0;
    char name[MAXITEMNAME + 1];
    for (STATUS s = FindItemByName(note, nullptr, 0, &item, nullptr, nullptr, nullptr); s == NOERROR;
         s = FindNextItemByName(note, nullptr, 0, item, &item, nullptr, nullptr, nullptr)) {
        uint16_t flags = 0;
        EXPECT_EQ(QueryItemByBlock(note, item, name, sizeof name, nullptr, &flags, nullptr, &value, &length),
                  NOERROR);
        const auto* at = static_cast<const char*>(LockBlock(value.pool)) + value.block;
        out += std::string(name) + (flags & ITEM_SUMMARY ? "=" : ":") + std::string(at + 2, length - 2) + ";";
        UnlockBlock(value.pool);
    }
    return out;
}

// The items of a stored note as ItemsOf gives them; "<cannot open>" when it cannot be opened.
std::string StoredItems(DBHANDLE db, NOTEID id) {
    NOTEHANDLE note = 0;
    if (OpenNote(db, id, 0, &note) != NOERROR) return "<cannot open>";
    std::string items = ItemsOf(note);
    EXPECT_EQ(CloseNote(note), NOERROR);
    return items;
}

TEST_F(ItemTest, ASaveOfReplacedDeletedAndChangedItemsLeavesTheRestAsTheyWere) {
    for (const char* name : {"A", "B", "C", "D", "E"})
        ASSERT_EQ(Append(name, TYPE_TEXT, {static_cast<unsigned char>(name[0] + 32)}), NOERROR);
    Reopen();
    // Replaced (a new item, the old one removed), deleted, changed in its block and added, in one save:
    // three stored rows go, two items are new.
    ASSERT_EQ(SetItemText(note_, "B", "bee", 3), NOERROR);
    ASSERT_EQ(DeleteItem(note_, "D", 1), NOERROR);
    ASSERT_EQ(DeleteItem(note_, "E", 1), NOERROR);
    BLOCKID value{};
    ASSERT_EQ(FindItemByName(note_, "C", 1, nullptr, nullptr, &value, nullptr), NOERROR);
    static_cast<char*>(LockBlock(value.pool))[value.block + 2] = 'C';
    UnlockBlock(value.pool);
    ASSERT_EQ(AppendItem(note_, 0, "F", 1, TYPE_TEXT, "eff", 3, nullptr), NOERROR);
    const std::string expected = "A=a;C=C;B=bee;F:eff;";
    EXPECT_EQ(ItemsOf(note_), expected);
    Reopen();
    EXPECT_EQ(ItemsOf(note_), expected);
    // Fewer rows removed than items added: one row taken over, one written anew; saved twice in turn.
    ASSERT_EQ(SetItemText(note_, "A", "ay", 2), NOERROR);
    ASSERT_EQ(AppendItem(note_, ITEM_SUMMARY, "G", 1, TYPE_TEXT, "gee", 3, nullptr), NOERROR);
    ASSERT_EQ(UpdateNote(note_, 0), NOERROR);
    ASSERT_EQ(SetItemText(note_, "G", "g", 1), NOERROR);
    Reopen();
    EXPECT_EQ(ItemsOf(note_), "C=C;B=bee;F:eff;A=ay;G=g;");
}

TEST_F(ItemTest, AReplacingSaveRefusedForAConflictLeavesTheOtherSave) {
    for (const char* name : {"A", "B", "C"})
        ASSERT_EQ(Append(name, TYPE_TEXT, {static_cast<unsigned char>(name[0] + 32)}), NOERROR);
    Reopen();
    NOTEID id = 0;
    ASSERT_EQ(GetNoteInfo(note_, NOTE_INFO_ID, &id), NOERROR);
    SaveTheirs("B", "theirs");
    ASSERT_EQ(SetItemText(note_, "A", "ours", 4), NOERROR);
    ASSERT_EQ(DeleteItem(note_, "C", 1), NOERROR);
    EXPECT_EQ(UpdateNote(note_, 0), ERR_NOTE_CONFLICT);
    EXPECT_EQ(StoredItems(db_, id), "A=a;C=c;B=theirs;");
    // Forced over it, the note is this handle's items and nothing of the rows it replaced.
    ASSERT_EQ(UpdateNote(note_, UPDATE_FORCE), NOERROR);
    Reopen();
    EXPECT_EQ(ItemsOf(note_), "B=b;A=ours;");
}

// Values of a note read from the file are handed out and hashed only when first asked for: a value first
// handed out late, after other items changed, or only after a save, is still saved when changed in its
// block, and items nobody asked for are left as stored.
class ValueReadTest : public ItemTest {
protected:
    void SetUp() override {
        ItemTest::SetUp();
        for (const char* name : {"A", "B", "C", "D"})
            ASSERT_EQ(Append(name, TYPE_TEXT, {static_cast<unsigned char>(name[0] + 32)}), NOERROR);
        Reopen();
    }

    // Changes the first text byte of item name in its value block.
    void ChangeInBlock(NOTEHANDLE note, const char* name, char to) {
        BLOCKID value{};
        ASSERT_EQ(FindItemByName(note, name, static_cast<uint16_t>(std::strlen(name)), nullptr, nullptr,
                                 &value, nullptr),
                  NOERROR);
        static_cast<char*>(LockBlock(value.pool))[value.block + 2] = to;
        UnlockBlock(value.pool);
    }
};

TEST_F(ValueReadTest, AValueFirstHandedOutAfterOthersChangedIsSavedWithThem) {
    ASSERT_EQ(DeleteItem(note_, "A", 1), NOERROR);
    ASSERT_EQ(SetItemText(note_, "B", "bee", 3), NOERROR);
    ChangeInBlock(note_, "D", 'Z');
    EXPECT_EQ(ItemsOf(note_), "C=c;D=Z;B=bee;");
    Reopen();
    EXPECT_EQ(ItemsOf(note_), "C=c;D=Z;B=bee;");
}

TEST_F(ValueReadTest, AValueChangedInItsBlockAfterASaveIsSavedAgain) {
    // Nothing asked for before the first save; then the same block changed twice, with a save after each.
    ASSERT_EQ(UpdateNote(note_, 0), NOERROR);
    ChangeInBlock(note_, "B", 'x');
    ASSERT_EQ(UpdateNote(note_, 0), NOERROR);
    ChangeInBlock(note_, "B", 'y');
    Reopen();
    EXPECT_EQ(ItemsOf(note_), "A=a;B=y;C=c;D=d;");
    // A value handed out (and so hashed) but left alone is no change: the save writes nothing of it.
    BLOCKID item{}, value{};
    ASSERT_EQ(FindItemByName(note_, "C", 1, nullptr, nullptr, &value, nullptr), NOERROR);
    ASSERT_EQ(FindItemByName(note_, "A", 1, &item, nullptr, nullptr, nullptr), NOERROR);
    ASSERT_EQ(QueryItemByBlock(note_, item, nullptr, 0, nullptr, nullptr, nullptr, &value, nullptr), NOERROR);
    Reopen();
    EXPECT_EQ(ItemsOf(note_), "A=a;B=y;C=c;D=d;");
}

TEST_F(ValueReadTest, DuplicatesAndCopiesMadeBeforeAnyValueWasRead) {
    NOTEHANDLE copy = 0;
    ASSERT_EQ(DuplicateNote(note_, 0, &copy), NOERROR);
    // The copy's blocks are its own: a change there leaves the original's bytes alone.
    ChangeInBlock(copy, "C", 'Q');
    EXPECT_EQ(ItemsOf(note_), "A=a;B=b;C=c;D=d;");
    EXPECT_EQ(ItemsOf(copy), "A=a;B=b;C=Q;D=d;");
    // An item copied into a new note before its value was read carries its stored bytes.
    NOTEHANDLE other = 0;
    ASSERT_EQ(CreateNote(db_, &other), NOERROR);
    BLOCKID item{};
    ASSERT_EQ(FindItemByName(note_, "D", 1, &item, nullptr, nullptr, nullptr), NOERROR);
    ASSERT_EQ(CopyItemToNote(item, other, nullptr), NOERROR);
    ASSERT_EQ(UpdateNote(other, 0), NOERROR);
    NOTEID otherId = 0;
    ASSERT_EQ(GetNoteInfo(other, NOTE_INFO_ID, &otherId), NOERROR);
    ASSERT_EQ(CloseNote(other), NOERROR);
    // The duplicate names the same stored note: its save in place writes the changed item.
    ASSERT_EQ(UpdateNote(copy, 0), NOERROR);
    ASSERT_EQ(CloseNote(copy), NOERROR);
    EXPECT_EQ(UpdateNote(note_, 0), ERR_NOTE_CONFLICT);
    NOTEID id = 0;
    ASSERT_EQ(GetNoteInfo(note_, NOTE_INFO_ID, &id), NOERROR);
    EXPECT_EQ(StoredItems(db_, id), "A=a;B=b;C=Q;D=d;");
    EXPECT_EQ(StoredItems(db_, otherId), "D=d;");
}

TEST_F(ValueReadTest, ValuesChangedInTheirBlocksAroundWholeSavesAndMoves) {
    // Forced over another handle's save, the note is written whole: a value changed in its block before is
    // in it, and values changed in their blocks after it (one handed out before, one never) are saved next.
    NOTEID id = 0;
    ASSERT_EQ(GetNoteInfo(note_, NOTE_INFO_ID, &id), NOERROR);
    SaveTheirs("D", "theirs");
    ChangeInBlock(note_, "B", 'x');
    ASSERT_EQ(UpdateNote(note_, UPDATE_FORCE), NOERROR);
    ChangeInBlock(note_, "B", 'y');
    ChangeInBlock(note_, "C", 'z');
    ASSERT_EQ(UpdateNote(note_, 0), NOERROR);
    Reopen();
    EXPECT_EQ(ItemsOf(note_), "A=a;B=y;C=z;D=d;");

    // Moved into another database as a new note: stored whole there, then saved in place there, each time
    // with a value changed in its block that nobody had been handed before.
    DBHANDLE moved = MakeDatabase("moved.nsf");
    const NOTEID none = 0;
    ASSERT_EQ(SetNoteInfo(note_, NOTE_INFO_DB, &moved), NOERROR);
    ASSERT_EQ(SetNoteInfo(note_, NOTE_INFO_ID, &none), NOERROR);
    ChangeInBlock(note_, "A", 'p');
    ASSERT_EQ(UpdateNote(note_, 0), NOERROR);
    NOTEID there = 0;
    ASSERT_EQ(GetNoteInfo(note_, NOTE_INFO_ID, &there), NOERROR);
    ChangeInBlock(note_, "D", 'q');
    ASSERT_EQ(UpdateNote(note_, 0), NOERROR);
    EXPECT_EQ(StoredItems(moved, there), "A=p;B=y;C=z;D=q;");
    EXPECT_EQ(StoredItems(db_, id), "A=a;B=y;C=z;D=d;");

    // A duplicate of a note whose values were handed out and changed, saved in place of it.
    ChangeInBlock(note_, "C", 'r');
    NOTEHANDLE twin = 0;
    ASSERT_EQ(DuplicateNote(note_, 0, &twin), NOERROR);
    ChangeInBlock(twin, "B", 's');
    ASSERT_EQ(UpdateNote(twin, 0), NOERROR);
    ChangeInBlock(twin, "A", 't');
    ASSERT_EQ(UpdateNote(twin, 0), NOERROR);
    ASSERT_EQ(CloseNote(twin), NOERROR);
    EXPECT_EQ(StoredItems(moved, there), "A=t;B=s;C=r;D=q;");
    ASSERT_EQ(CloseNote(note_), NOERROR);
    note_ = 0;
    ASSERT_EQ(CloseDatabase(moved), NOERROR);
    ASSERT_EQ(OpenNote(db_, id, 0, &note_), NOERROR);
}

TEST_F(ValueReadTest, ValuesReadLateAreThoseOfTheVersionOpened) {
    // Another handle (another connection to the file) saves the note between this open and the first
    // look at its values: what this handle reads is still all of the version it opened, never a mix.
    NOTEID id = 0;
    ASSERT_EQ(GetNoteInfo(note_, NOTE_INFO_ID, &id), NOERROR);
    DBHANDLE second = 0;
    ASSERT_EQ(OpenDatabase("items.nsf", &second), NOERROR);
    NOTEHANDLE theirs = 0;
    ASSERT_EQ(OpenNote(second, id, 0, &theirs), NOERROR);
    ASSERT_EQ(SetItemText(theirs, "B", "theirs", 6), NOERROR);
    ChangeInBlock(theirs, "C", 'T');
    ASSERT_EQ(DeleteItem(theirs, "D", 1), NOERROR);
    ASSERT_EQ(UpdateNote(theirs, 0), NOERROR);
    ASSERT_EQ(CloseNote(theirs), NOERROR);
    EXPECT_EQ(ItemsOf(note_), "A=a;B=b;C=c;D=d;");
    // A change made here to that old version is refused rather than merged into the newer one.
    ChangeInBlock(note_, "A", 'M');
    EXPECT_EQ(UpdateNote(note_, 0), ERR_NOTE_CONFLICT);
    EXPECT_EQ(StoredItems(second, id), "A=a;C=T;B=theirs;");
    ASSERT_EQ(CloseDatabase(second), NOERROR);
}

TEST_F(ItemTest, StoredValuesComeBackWholeAtTheEdgesOfTheirSizes) {
    // A value of its type word alone, one that fills most of a pool, and small ones before and after: each
    // read back with its length and bytes, type word first, in its own place.
    const Bytes big(60000, 'b');
    ASSERT_EQ(Append("Empty", TYPE_TEXT, {}), NOERROR);
    ASSERT_EQ(Append("Small", TYPE_NUMBER, Bytes(8, 7)), NOERROR);
    ASSERT_EQ(Append("Big", TYPE_TEXT, big), NOERROR);
    ASSERT_EQ(Append("After", TYPE_TEXT, {'a', 'b', 'c'}), NOERROR);
    Reopen();
    BLOCKID value{};
    uint32_t length = 0;
    uint16_t type = 0;
    ASSERT_EQ(FindItemByName(note_, "Empty", 5, nullptr, &type, &value, &length), NOERROR);
    EXPECT_EQ(type, TYPE_TEXT);
    EXPECT_EQ(ValueBytes(value, length), (Bytes{0, 5}));
    ASSERT_EQ(FindItemByName(note_, "Small", 5, nullptr, &type, &value, &length), NOERROR);
    EXPECT_EQ(type, TYPE_NUMBER);
    Bytes small{0, 3};
    small.insert(small.end(), 8, 7);
    EXPECT_EQ(ValueBytes(value, length), small);
    ASSERT_EQ(FindItemByName(note_, "Big", 3, nullptr, nullptr, &value, &length), NOERROR);
    ASSERT_EQ(length, big.size() + 2);
    Bytes bigStored{0, 5};
    bigStored.insert(bigStored.end(), big.begin(), big.end());
    EXPECT_EQ(ValueBytes(value, length), bigStored);
    ASSERT_EQ(FindItemByName(note_, "After", 5, nullptr, nullptr, &value, &length), NOERROR);
    EXPECT_EQ(ValueBytes(value, length), (Bytes{0, 5, 'a', 'b', 'c'}));
    EXPECT_EQ(ItemsOf(note_), "Empty=;Small=" + std::string(8, 7) +
                                  ";Big=" + std::string(big.begin(), big.end()) + ";After=abc;");
}

TEST_F(ItemTest, ItemCallsTakingTurnsOnSeveralNotesEachAnswerForTheirOwn) {
    ASSERT_EQ(Append("Mine", TYPE_TEXT, {'m'}), NOERROR);
    NOTEHANDLE other = 0, closed = 0;
    ASSERT_EQ(CreateNote(db_, &other), NOERROR);
    ASSERT_EQ(CreateNote(db_, &closed), NOERROR);
    ASSERT_EQ(CloseNote(closed), NOERROR);
    ASSERT_EQ(AppendItem(other, ITEM_SUMMARY, "Theirs", 6, TYPE_TEXT, "t", 1, nullptr), NOERROR);
    BLOCKID mine{}, theirs{};
    for (int turn = 0; turn < 3; ++turn) {
        ASSERT_EQ(FindItemByName(note_, nullptr, 0, &mine, nullptr, nullptr, nullptr), NOERROR);
        EXPECT_EQ(FindItemByName(closed, nullptr, 0, nullptr, nullptr, nullptr, nullptr), ERR_NOTE_HANDLE);
        ASSERT_EQ(FindItemByName(other, nullptr, 0, &theirs, nullptr, nullptr, nullptr), NOERROR);
        char name[MAXITEMNAME + 1];
        ASSERT_EQ(
            QueryItemByBlock(note_, mine, name, sizeof name, nullptr, nullptr, nullptr, nullptr, nullptr),
            NOERROR);
        EXPECT_STREQ(name, "Mine");
        ASSERT_EQ(
            QueryItemByBlock(other, theirs, name, sizeof name, nullptr, nullptr, nullptr, nullptr, nullptr),
            NOERROR);
        EXPECT_STREQ(name, "Theirs");
        // An item id of one note names nothing in another, nor after the note it names is closed.
        EXPECT_EQ(FindNextItemByName(other, nullptr, 0, mine, nullptr, nullptr, nullptr, nullptr),
                  ERR_ITEM_BLOCK);
        EXPECT_EQ(FindNextItemByName(note_, nullptr, 0, mine, nullptr, nullptr, nullptr, nullptr),
                  ERR_ITEM_NOT_FOUND);
        EXPECT_EQ(QueryItemByBlock(closed, mine, nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr),
                  ERR_NOTE_HANDLE);
    }
    ASSERT_EQ(CloseNote(other), NOERROR);
    EXPECT_EQ(FindNextItemByName(other, nullptr, 0, theirs, nullptr, nullptr, nullptr, nullptr),
              ERR_NOTE_HANDLE);
    EXPECT_EQ(FindItemByName(note_, "Mine", 4, nullptr, nullptr, nullptr, nullptr), NOERROR);
}

// The hash that tells a value changed in its block from one left alone: every byte of a value counts, in
// either of its lanes and in the bytes past the last whole word, and so does its length.
TEST(ValueHashTest, EveryByteAndTheLengthOfAValueCount) {
    for (size_t length = 0; length <= 48; ++length) {
        const std::string value(length, 'x');
        std::set<uint64_t> seen{store::HashOf(value)};
        for (size_t at = 0; at < length; ++at) {
            std::string changed = value;
            changed[at] = 'y';
            EXPECT_TRUE(seen.insert(store::HashOf(changed)).second) << length << " " << at;
            changed[at] = static_cast<char>('x' ^ 0x80);
            EXPECT_TRUE(seen.insert(store::HashOf(changed)).second) << length << " " << at;
        }
        // Two words swapped are another value.
        if (length >= 16) {
            std::string swapped = value;
            swapped[0] = 'a';
            swapped[8] = 'b';
            std::string back = value;
            back[0] = 'b';
            back[8] = 'a';
            EXPECT_NE(store::HashOf(swapped), store::HashOf(back)) << length;
        }
    }
    std::set<uint64_t> lengths;
    for (size_t length = 0; length <= 48; ++length)
        EXPECT_TRUE(lengths.insert(store::HashOf(std::string(length, '\0'))).second) << length;
}

} // namespace
} // namespace nnotes::testing
