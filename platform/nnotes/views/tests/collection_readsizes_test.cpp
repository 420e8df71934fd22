// Reads of entries whose counts change from one to the next, with and without a buffer, against the same
// view read whole.
#include "testing/view_fixture.h"

#include <string>

namespace nnotes::testing {
namespace {

class CollectionReadSizesTest : public ViewTest {};

// Reads of 1, 3, 64 and every entry in turn over a collection that reads its rows as they are asked for: each
// gives the entries, counts and signal the view read whole gives, in a block of exactly its length; the same
// reads without a buffer stop where those with one do.
TEST_F(CollectionReadSizesTest, ReadsOfChangingSizesGiveTheWholeViewsBytesInBlocksOfTheirLength) {
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
