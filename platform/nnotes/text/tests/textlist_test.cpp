// Text lists: building, reading and editing, the 65535 limits, and damaged stored lists.
#include "nnotes/nnotes.h"
#include "testing/process_fixture.h"
#include "util/coding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace nnotes {
namespace {

class TextLists : public StartedProcess {
protected:
    // The entries of the list in a block, read back through the public readers.
    static std::vector<std::string> Entries(DHANDLE handle, bool prefix) {
        uint32_t size = 0;
        EXPECT_EQ(GetBlockSize(handle, &size), NOERROR);
        const void* list = LockBlock(handle);
        uint16_t count = 0;
        EXPECT_EQ(CountTextListEntries(list, size, prefix, &count), NOERROR);
        uint16_t listSize = 0;
        EXPECT_EQ(GetTextListSize(list, size, prefix, &listSize), NOERROR);
        EXPECT_EQ(listSize, size);
        std::vector<std::string> entries;
        for (uint16_t i = 0; i < count; ++i) {
            const char* text = nullptr;
            uint16_t length = 0;
            EXPECT_EQ(GetTextListEntry(list, size, prefix, i, &text, &length), NOERROR);
            entries.emplace_back(text, length);
        }
        EXPECT_EQ(UnlockBlock(handle), NOERROR);
        return entries;
    }

    static STATUS Insert(DHANDLE handle, bool prefix, uint16_t index, const std::string& text,
                         uint16_t* size = nullptr) {
        return InsertTextListEntry(handle, prefix, index, text.data(), static_cast<uint16_t>(text.size()),
                                   size);
    }
};

TEST_F(TextLists, NewListsAreEmptyWithOrWithoutTypeWord) {
    DHANDLE withType = NULLHANDLE, bare = NULLHANDLE;
    uint16_t size = 0;
    ASSERT_EQ(NewTextList(true, &withType, &size), NOERROR);
    EXPECT_EQ(size, 4);
    const auto* bytes = static_cast<const unsigned char*>(LockBlock(withType));
    EXPECT_EQ(util::DecodeFixed16(bytes), 1281);
    EXPECT_EQ(util::DecodeFixed16(bytes + 2), 0);
    ASSERT_EQ(UnlockBlock(withType), NOERROR);
    EXPECT_TRUE(Entries(withType, true).empty());

    ASSERT_EQ(NewTextList(false, &bare, &size), NOERROR);
    EXPECT_EQ(size, 2);
    EXPECT_TRUE(Entries(bare, false).empty());
}

TEST_F(TextLists, InsertAtEveryPositionKeepsTheAddressAndTheLayout) {
    DHANDLE handle = NULLHANDLE;
    ASSERT_EQ(NewTextList(true, &handle, nullptr), NOERROR);
    void* address = LockBlock(handle);
    uint16_t size = 0;
    ASSERT_EQ(Insert(handle, true, 0, "bb", &size), NOERROR);
    EXPECT_EQ(size, 4 + 2 + 2);
    ASSERT_EQ(Insert(handle, true, 0, "a"), NOERROR);
    ASSERT_EQ(Insert(handle, true, 2, "dddd"), NOERROR);
    ASSERT_EQ(Insert(handle, true, 2, ""), NOERROR);
    ASSERT_EQ(Insert(handle, true, 2, "ccc", &size), NOERROR);
    EXPECT_EQ(Entries(handle, true), (std::vector<std::string>{"a", "bb", "ccc", "", "dddd"}));
    EXPECT_EQ(size, 4 + 5 * 2 + 10);
    EXPECT_EQ(Insert(handle, true, 6, "x"), ERR_TEXTLIST_INDEX);
    EXPECT_EQ(LockBlock(handle), address);

    // The exact bytes: type, count, lengths, then the texts one after another.
    const std::vector<unsigned char> expected = {0x01, 0x05, 5,   0,   1,   0,   2,   0,   3,   0,   0,  0, 4,
                                                 0,    'a',  'b', 'b', 'c', 'c', 'c', 'd', 'd', 'd', 'd'};
    const auto* bytes = static_cast<const unsigned char*>(address);
    EXPECT_EQ(std::vector<unsigned char>(bytes, bytes + size), expected);
}

TEST_F(TextLists, InsertedTextMayComeFromTheListItself) {
    DHANDLE handle = NULLHANDLE;
    ASSERT_EQ(NewTextList(false, &handle, nullptr), NOERROR);
    ASSERT_EQ(Insert(handle, false, 0, "alpha"), NOERROR);
    ASSERT_EQ(Insert(handle, false, 1, "beta"), NOERROR);
    uint32_t size = 0;
    ASSERT_EQ(GetBlockSize(handle, &size), NOERROR);
    const void* list = LockBlock(handle);
    const char* text = nullptr;
    uint16_t length = 0;
    ASSERT_EQ(GetTextListEntry(list, size, false, 1, &text, &length), NOERROR);
    ASSERT_EQ(InsertTextListEntry(handle, false, 0, text, length, nullptr), NOERROR);
    ASSERT_EQ(UnlockBlock(handle), NOERROR);
    EXPECT_EQ(Entries(handle, false), (std::vector<std::string>{"beta", "alpha", "beta"}));
}

TEST_F(TextLists, RemoveAndClear) {
    DHANDLE handle = NULLHANDLE;
    ASSERT_EQ(NewTextList(true, &handle, nullptr), NOERROR);
    EXPECT_EQ(Insert(handle, true, 1, "past the end"), ERR_TEXTLIST_INDEX);
    uint16_t index = 0;
    for (const char* text : {"one", "two", "three", "four"})
        ASSERT_EQ(Insert(handle, true, index++, text), NOERROR);
    uint16_t size = 0;
    ASSERT_EQ(RemoveTextListEntry(handle, true, 1, &size), NOERROR);
    EXPECT_EQ(size, 4 + 3 * 2 + 12);
    EXPECT_EQ(Entries(handle, true), (std::vector<std::string>{"one", "three", "four"}));
    ASSERT_EQ(RemoveTextListEntry(handle, true, 2, nullptr), NOERROR);
    ASSERT_EQ(RemoveTextListEntry(handle, true, 0, nullptr), NOERROR);
    EXPECT_EQ(Entries(handle, true), (std::vector<std::string>{"three"}));
    EXPECT_EQ(RemoveTextListEntry(handle, true, 1, nullptr), ERR_TEXTLIST_INDEX);

    ASSERT_EQ(Insert(handle, true, 1, "again"), NOERROR);
    ASSERT_EQ(ClearTextList(handle, true, &size), NOERROR);
    EXPECT_EQ(size, 4);
    EXPECT_TRUE(Entries(handle, true).empty());
    EXPECT_EQ(RemoveTextListEntry(handle, true, 0, nullptr), ERR_TEXTLIST_INDEX);
}

TEST_F(TextLists, SizesBeyond65535AreRefusedNotWrapped) {
    DHANDLE handle = NULLHANDLE;
    ASSERT_EQ(NewTextList(true, &handle, nullptr), NOERROR);
    const std::string big(65535 - 4 - 2, 'x'); // exactly fills the list
    uint16_t size = 0;
    ASSERT_EQ(Insert(handle, true, 0, big, &size), NOERROR);
    EXPECT_EQ(size, 65535);
    EXPECT_EQ(Insert(handle, true, 1, ""), ERR_TEXTLIST_TOO_LARGE);
    EXPECT_EQ(Entries(handle, true).size(), 1u);

    ASSERT_EQ(ClearTextList(handle, true, nullptr), NOERROR);
    const std::string tooBig(65535 - 4 - 2 + 1, 'y');
    EXPECT_EQ(Insert(handle, true, 0, tooBig), ERR_TEXTLIST_TOO_LARGE);

    // Empty entries reach the byte limit long before the count could wrap: a bare list of 32765 empty
    // entries takes 65532 bytes, one more entry 65534, and the next would take 65536.
    DHANDLE many = NULLHANDLE;
    ASSERT_EQ(AllocateBlock(0, 2 + 2 * 32765, &many), NOERROR);
    auto* bytes = static_cast<unsigned char*>(LockBlock(many));
    util::EncodeFixed16(bytes, 32765);
    ASSERT_EQ(UnlockBlock(many), NOERROR);
    ASSERT_EQ(InsertTextListEntry(many, false, 32765, nullptr, 0, &size), NOERROR);
    EXPECT_EQ(size, 65534);
    EXPECT_EQ(InsertTextListEntry(many, false, 0, nullptr, 0, &size), ERR_TEXTLIST_TOO_LARGE);
    uint16_t count = 0;
    ASSERT_EQ(CountTextListEntries(LockBlock(many), 65534, false, &count), NOERROR);
    ASSERT_EQ(UnlockBlock(many), NOERROR);
    EXPECT_EQ(count, 32766);
}

TEST_F(TextLists, CopyIsIndependentAndKeepsThePrefix) {
    DHANDLE handle = NULLHANDLE;
    ASSERT_EQ(NewTextList(true, &handle, nullptr), NOERROR);
    ASSERT_EQ(Insert(handle, true, 0, "kept"), NOERROR);
    uint32_t size = 0;
    ASSERT_EQ(GetBlockSize(handle, &size), NOERROR);
    DHANDLE copy = NULLHANDLE;
    uint16_t copySize = 0;
    ASSERT_EQ(CopyTextList(LockBlock(handle), size, true, &copy, &copySize), NOERROR);
    ASSERT_EQ(UnlockBlock(handle), NOERROR);
    EXPECT_EQ(copySize, size);
    ASSERT_EQ(Insert(copy, true, 1, "added"), NOERROR);
    EXPECT_EQ(Entries(handle, true), (std::vector<std::string>{"kept"}));
    EXPECT_EQ(Entries(copy, true), (std::vector<std::string>{"kept", "added"}));
}

TEST_F(TextLists, DamagedStoredListsAnswerAStatus) {
    const char* text = nullptr;
    uint16_t length = 0, count = 0, size = 0;
    DHANDLE copy = NULLHANDLE;
    // A count whose length words run past the bytes.
    const unsigned char shortLengths[] = {0x01, 0x05, 3, 0, 1, 0};
    EXPECT_EQ(CountTextListEntries(shortLengths, sizeof shortLengths, true, &count), ERR_TEXTLIST_DAMAGED);
    EXPECT_EQ(GetTextListEntry(shortLengths, sizeof shortLengths, true, 0, &text, &length),
              ERR_TEXTLIST_DAMAGED);
    // An entry whose length runs past the bytes; the one before it is still readable.
    const unsigned char longEntry[] = {2, 0, 1, 0, 9, 0, 'a', 'b', 'c'};
    ASSERT_EQ(GetTextListEntry(longEntry, sizeof longEntry, false, 0, &text, &length), NOERROR);
    EXPECT_EQ(std::string(text, length), "a");
    EXPECT_EQ(GetTextListEntry(longEntry, sizeof longEntry, false, 1, &text, &length), ERR_TEXTLIST_DAMAGED);
    EXPECT_EQ(GetTextListSize(longEntry, sizeof longEntry, false, &size), ERR_TEXTLIST_DAMAGED);
    EXPECT_EQ(CopyTextList(longEntry, sizeof longEntry, false, &copy, &size), ERR_TEXTLIST_DAMAGED);
    EXPECT_EQ(copy, NULLHANDLE);
    // Wrong type word, too few bytes, no list at all.
    const unsigned char wrongType[] = {0x00, 0x05, 0, 0};
    EXPECT_EQ(CountTextListEntries(wrongType, sizeof wrongType, true, &count), ERR_TEXTLIST_DAMAGED);
    EXPECT_EQ(CountTextListEntries(wrongType, 1, false, &count), ERR_TEXTLIST_DAMAGED);
    EXPECT_EQ(CountTextListEntries(nullptr, 4, false, &count), ERR_MISSING_ARGUMENT);
    EXPECT_EQ(GetTextListEntry(longEntry, sizeof longEntry, false, 2, &text, &length), ERR_TEXTLIST_INDEX);

    // A block whose bytes were spoiled is refused by the editors too.
    DHANDLE handle = NULLHANDLE;
    ASSERT_EQ(NewTextList(false, &handle, nullptr), NOERROR);
    static_cast<unsigned char*>(LockBlock(handle))[0] = 7;
    ASSERT_EQ(UnlockBlock(handle), NOERROR);
    EXPECT_EQ(InsertTextListEntry(handle, false, 0, "x", 1, nullptr), ERR_TEXTLIST_DAMAGED);
    EXPECT_EQ(RemoveTextListEntry(handle, false, 0, nullptr), ERR_TEXTLIST_DAMAGED);
    EXPECT_EQ(ClearTextList(handle, false, nullptr), ERR_TEXTLIST_DAMAGED);
}

TEST_F(TextLists, BadHandlesAndEndedProcess) {
    EXPECT_EQ(InsertTextListEntry(12345678, true, 0, "x", 1, nullptr), ERR_BAD_HANDLE);
    EXPECT_EQ(ClearTextList(NULLHANDLE, true, nullptr), ERR_BAD_HANDLE);
    EXPECT_EQ(NewTextList(true, nullptr, nullptr), ERR_MISSING_ARGUMENT);
    DHANDLE handle = NULLHANDLE;
    ASSERT_EQ(NewTextList(true, &handle, nullptr), NOERROR);
    EXPECT_EQ(InsertTextListEntry(handle, true, 0, nullptr, 3, nullptr), ERR_MISSING_ARGUMENT);
    ASSERT_EQ(TermProcess(), NOERROR);
    EXPECT_EQ(InsertTextListEntry(handle, true, 0, "x", 1, nullptr), ERR_NOT_INITIALIZED);
    EXPECT_EQ(NewTextList(true, &handle, nullptr), ERR_NOT_INITIALIZED);
    ASSERT_EQ(InitProcess(0, nullptr), NOERROR);
}

} // namespace
} // namespace nnotes
