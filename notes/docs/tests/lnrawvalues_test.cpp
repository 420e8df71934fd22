// Bodies made from raw item data (as view column values arrive): always held in list form, byte for byte.
#include "apifixture.h"
#include "ln/lndatetimeranges.h"
#include "ln/lndatetimes.h"
#include "ln/lnnumbers.h"
#include "ln/lntext.h"
#include "nnotes/note.h"
#include "nnotes/textlist.h"
#include "nnotes/timedate.h"
#include "util/coding.h"

#include <bit>

using namespace std::string_literals;

namespace {

using RawValuesTest = ApiTest;

template <class Handle, class Body>
Handle Wrap(Body* body) {
    Handle handle;
    handle.SetItemBody(nullptr, body);
    return handle;
}

std::string Held(const LNItem& item) {
    std::string bytes(item.GetValueSize(), '\0');
    EXPECT_EQ(item.ReadValue(0, item.GetValueSize(), bytes.data()), 0u);
    return bytes;
}

} // namespace

TEST_F(RawValuesTest, TextValues) {
    LNText single = Wrap<LNText>(new LNTextBody("ab\0c", nnotes::TYPE_TEXT, 4));
    EXPECT_EQ(Held(single), "\x01\x05\x01\x00\x04\x00"
                            "ab\0c"s);
    EXPECT_EQ(single.GetItemBody()->GetNSFType(), nnotes::TYPE_TEXT);
    EXPECT_EQ(Text(single[0].GetText()), "ab\nc");
    LNText empty = Wrap<LNText>(new LNTextBody("", nnotes::TYPE_TEXT, 0));
    EXPECT_EQ(Held(empty), "\x01\x05\x00\x00"s);
    EXPECT_EQ(empty.GetCount(), 0u);
    const std::string list = "\x02\x00\x01\x00\x02\x00"
                             "xyz"s;
    LNText two = Wrap<LNText>(new LNTextBody(list.data(), nnotes::TYPE_TEXT_LIST, 9));
    EXPECT_EQ(Held(two), "\x01\x05"s + list);
    EXPECT_EQ(Text(two[1].GetText()), "yz");
    // Counts that run past the bytes are refused when read.
    const std::string damaged = "\x02\x00\x01\x00\x09\x00"
                                "xyz"s;
    LNText bad = Wrap<LNText>(new LNTextBody(damaged.data(), nnotes::TYPE_TEXT_LIST, 9));
    EXPECT_EQ(Text(bad[0].GetText()), "x");
    EXPECT_EQ(Thrown([&] { bad[1].GetText(); }), nnotes::ERR_TEXTLIST_DAMAGED);
    EXPECT_EQ(bad.Insert(0, "more"), nnotes::ERR_TEXTLIST_DAMAGED);
    EXPECT_EQ(Held(bad), "\x01\x05"s + damaged);
}

TEST_F(RawValuesTest, NumberAndTimeValues) {
    std::string number;
    util::PutFixed64(&number, std::bit_cast<uint64_t>(3.25));
    LNNumbers one = Wrap<LNNumbers>(new LNNumbersBody(number.data(), nnotes::TYPE_NUMBER, 8));
    EXPECT_EQ(Held(one), "\x01\x03\x01\x00\x00\x00"s + number);
    EXPECT_EQ(one[0].GetValue(), 3.25);
    const nnotes::Instant instants[2] = {{{1, 2460000}}, {{2, 2460000}}};
    std::string stored; // the two instants as stored: each its low word, then its high word
    for (const nnotes::Instant& instant : instants)
        for (uint32_t word : instant.words)
            util::PutFixed32(&stored, word);
    std::string list = "\x02\x00\x00\x00"s + stored;
    LNDatetimes times = Wrap<LNDatetimes>(new LNDatetimesBody(list.data(), nnotes::TYPE_TIME_RANGE, 20));
    EXPECT_EQ(times.GetCount(), 2u);
    EXPECT_EQ(times[1].GetValue().GetRawValue()->words[0], 2u);
    // A header that claims more entries than the value holds is damaged, not read past its end.
    list[0] = 9;
    LNDatetimes damaged = Wrap<LNDatetimes>(new LNDatetimesBody(list.data(), nnotes::TYPE_TIME_RANGE, 20));
    EXPECT_EQ(Thrown([&] { damaged.GetCount(); }), LNERR_CORRUPTED);
    EXPECT_EQ(damaged.Insert(0, LNDatetime(instants[0])), LNERR_CORRUPTED);
    const std::string pairs = "\x00\x00\x01\x00"s + stored;
    LNDatetimeRanges ranges =
        Wrap<LNDatetimeRanges>(new LNDatetimeRangesBody(pairs.data(), nnotes::TYPE_TIME_RANGE, 20));
    EXPECT_EQ(ranges.GetCount(), 1u);
    EXPECT_EQ(ranges[0].GetValue().GetRawValue()->end.words[0], 2u);
    ASSERT_EQ(ranges.Insert(0, LNDatetime(instants[1])), 0u);
    EXPECT_EQ(ranges.GetItemBody()->GetNSFType(), nnotes::TYPE_TIME_RANGE);
    EXPECT_EQ(ranges.GetValueSize(), 6u + 8u + 16u);
    EXPECT_EQ(Thrown([] { LNNumbersBody body(nullptr, nnotes::TYPE_NUMBER, 0); }), LNERR_ASSERTION_FAILED);
    EXPECT_EQ(Thrown([&] { LNNumbers wrong(ranges); }), LNERR_CONVERSION);
}

TEST_F(RawValuesTest, ElementsKeepTheirBodyAlive) {
    LNTextElement element = [] {
        LNText text;
        text << "only";
        return text[0];
    }();
    EXPECT_EQ(Text(element.GetText()), "only");
    LNTextElement copy = element;
    copy = "changed";
    EXPECT_EQ(Text(element.GetText()), "changed");
}
