// The blocks reads of entries are written into: grown in place past the room they started with, cut back
// to the entry that did not fit, handed over at the size of what they hold; and reads whose sizes change
// from one to the next give the bytes a whole view's reads give, in blocks of their length.
#include "memory/memory.h"
#include "testing/view_fixture.h"
#include "views/reply_block.h"

#include <string>

namespace nnotes::testing {
namespace {

using views::ReplyBlock;

std::string Pattern(size_t size, char seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(seed + i * 7 % 251);
    return bytes;
}

class ReplyBlockTest : public ViewTest {};

TEST_F(ReplyBlockTest, GrowsInPlaceAndHandsOverWhatItHolds) {
    ReplyBlock reply;
    ASSERT_EQ(reply.Start(10), NOERROR);
    std::string expected;
    // Far past the room it starts with, in pieces of every size up to more than a page.
    for (size_t piece = 1; expected.size() < 200000; piece = piece * 3 % 5003 + 1) {
        const std::string bytes = Pattern(piece, static_cast<char>(piece));
        reply.append(bytes);
        expected += bytes;
    }
    reply.Put<uint32_t>(0x01020304);
    expected += std::string("\x04\x03\x02\x01", 4);
    const size_t kept = expected.size();
    reply.append(Pattern(3000, 'x'));
    reply.resize(kept);
    reply.resize(kept + 10); // never longer than what it holds
    EXPECT_EQ(reply.size(), kept);
    ASSERT_EQ(reply.Failure(), NOERROR);
    DHANDLE block = NULLHANDLE;
    ASSERT_EQ(reply.Take(&block), NOERROR);
    ASSERT_NE(block, NULLHANDLE);
    uint32_t size = 0;
    ASSERT_EQ(GetBlockSize(block, &size), NOERROR);
    EXPECT_EQ(size, kept);
    const auto* bytes = static_cast<const char*>(LockBlock(block));
    ASSERT_NE(bytes, nullptr);
    EXPECT_EQ(std::string(bytes, size), expected);
    UnlockBlock(block);
    EXPECT_EQ(FreeBlock(block), NOERROR);
}

TEST_F(ReplyBlockTest, CountsWithoutABlockAndHandsNothingOverEmpty) {
    ReplyBlock counting;
    counting.append(Pattern(70000, 'a'));
    counting.Put<uint16_t>(7);
    EXPECT_EQ(counting.size(), 70002u);
    counting.resize(5);
    EXPECT_EQ(counting.size(), 5u);
    DHANDLE block = 1234;
    EXPECT_EQ(counting.Take(&block), NOERROR);
    EXPECT_EQ(block, NULLHANDLE);

    ReplyBlock empty;
    ASSERT_EQ(empty.Start(4096), NOERROR);
    block = 1234;
    EXPECT_EQ(empty.Take(&block), NOERROR);
    EXPECT_EQ(block, NULLHANDLE); // the block it made is freed with it

    ReplyBlock tooLarge;
    ASSERT_EQ(tooLarge.Start(16), NOERROR);
    tooLarge.append(Pattern(100, 'b'));
    const std::string huge(MAXBLOCKSIZE, 'c');
    tooLarge.append(huge);
    EXPECT_EQ(tooLarge.Failure(), ERR_BLOCK_TOO_LARGE);
    EXPECT_EQ(tooLarge.size(), 100u);
    EXPECT_EQ(tooLarge.Take(&block), ERR_BLOCK_TOO_LARGE);
    EXPECT_EQ(block, NULLHANDLE);
}

// Reads of 1, 3, 64 and every entry in turn, each starting from the room the read before needed: each
// gives the entries, counts and signal the view read whole gives, in a block of exactly its length; the same
// reads without a buffer stop where those with one do.
TEST_F(ReplyBlockTest, ReadsOfChangingSizesGiveTheWholeViewsBytesInBlocksOfTheirLength) {
    const std::vector<ColumnSpec> columns = OrderColumns();
    const NOTEID view = SaveView("Orders", columns);
    for (int i = 0; i < 1500; ++i)
        SaveDocument({Text("Region", "Region" + std::to_string(i % 4)),
                      Text("City", "City" + std::to_string(i % 7)),
                      Text("Name", std::string(20 + i % 90, static_cast<char>('a' + i % 26))),
                      Number("Amount", i % 11)});
    const HCOLLECTION whole = OpenApart(SaveViewApart("Orders", columns)), growing = Open(view);
    CollectionPosition a = Position({0}), b = a, c = a;
    const uint32_t counts[] = {1, 64, 0xFFFFFFFF, 3, 0xFFFFFFFF, 1, 64};
    bool more = true;
    for (size_t read = 0; more; ++read) {
        const uint32_t count = counts[read % std::size(counts)];
        const RawRead left = ReadRaw(whole, a, NAVIGATE_NEXT, 1, NAVIGATE_NEXT, count, kEntryMask);
        DHANDLE buffer = NULLHANDLE;
        uint16_t length = 0, signal = 0;
        uint32_t skipped = 0, returned = 0;
        ASSERT_EQ(ReadEntries(growing, &b, NAVIGATE_NEXT, 1, NAVIGATE_NEXT, count, kEntryMask, &buffer,
                              &length, &skipped, &returned, &signal),
                  left.status);
        EXPECT_EQ(returned, left.returned) << "read " << read;
        EXPECT_EQ(signal, left.signal) << "read " << read;
        if (buffer != NULLHANDLE) {
            uint32_t size = 0;
            ASSERT_EQ(GetBlockSize(buffer, &size), NOERROR);
            EXPECT_EQ(size, length) << "read " << read;
            ASSERT_EQ(BlockBytes(buffer, length), left.bytes) << "read " << read;
            FreeBlock(buffer);
        } else {
            EXPECT_TRUE(left.bytes.empty()) << "read " << read;
        }
        uint32_t counted = 0;
        uint16_t countedSignal = 0;
        ASSERT_EQ(ReadEntries(growing, &c, NAVIGATE_NEXT, 1, NAVIGATE_NEXT, count, kEntryMask, nullptr,
                              nullptr, nullptr, &counted, &countedSignal),
                  NOERROR);
        EXPECT_EQ(counted, left.returned) << "read " << read;
        EXPECT_EQ(countedSignal, left.signal) << "read " << read;
        EXPECT_EQ(PathOf(c), PathOf(b)) << "read " << read;
        more = left.returned > 0;
    }
    for (HCOLLECTION h : {whole, growing})
        EXPECT_EQ(CloseCollection(h), NOERROR);
}

} // namespace
} // namespace nnotes::testing
