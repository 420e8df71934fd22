// Formula values as item values, byte for byte, and stored bytes that do not hold a value.
#include "formula/tests/formula_fixture.h"

namespace nnotes::testing {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Encode(const Value& v) {
    Bytes out;
    EXPECT_EQ(formula::EncodeValue(v, &out), NOERROR);
    return out;
}

Value Decode(const Bytes& bytes, STATUS expected = NOERROR) {
    Value v;
    EXPECT_EQ(formula::DecodeValue(bytes.data(), bytes.size(), &v), expected);
    return v;
}

TEST(FormulaValue, LayoutsByteForByte) {
    EXPECT_EQ(Encode(Value::Text("ab\ncd")), (Bytes{0x00, 0x05, 'a', 'b', 0, 'c', 'd'}));
    EXPECT_EQ(Encode(Value::Text("")), (Bytes{0x00, 0x05}));
    EXPECT_EQ(Encode(Value::Texts({"a", "bc"})), (Bytes{0x01, 0x05, 2, 0, 1, 0, 2, 0, 'a', 'b', 'c'}));
    EXPECT_EQ(Encode(Value::Number(2.0)), (Bytes{0x00, 0x03, 0, 0, 0, 0, 0, 0, 0, 0x40}));
    EXPECT_EQ(Encode(Value::Numbers({1.0, -2.0})),
              (Bytes{0x01, 0x03, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 0, 0, 0, 0, 0, 0, 0, 0xC0}));
    EXPECT_EQ(Encode(Value::Time({{0x11223344, 0x00556677}})),
              (Bytes{0x00, 0x04, 0x44, 0x33, 0x22, 0x11, 0x77, 0x66, 0x55, 0x00}));
    EXPECT_EQ(Encode(Value::Times({{{1, 2}}, {{3, 4}}})),
              (Bytes{0x01, 0x04, 2, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0}));
}

TEST(FormulaValue, DecodingReadsWhatEncodingWrites) {
    for (const Value& v :
         {Value::Text("a\nb"), Value::Texts({"x", "", "yz"}), Value::Number(-1.5), Value::Numbers({1, 2, 3}),
          Value::Time({{5, 6}}), Value::Times({{{5, 6}}, {{7, 8}}})}) {
        const Value back = Decode(Encode(v));
        EXPECT_EQ(back.type(), v.type());
        EXPECT_EQ(back.texts(), v.texts());
        EXPECT_EQ(back.numbers(), v.numbers());
        ASSERT_EQ(back.size(), v.size());
        for (size_t i = 0; i < v.times().size(); ++i)
            EXPECT_EQ(back.times()[i].words[1], v.times()[i].words[1]);
    }
}

TEST(FormulaValue, RangesOfATimeListAreLeftOut) {
    const Value v = Decode(
        {0x01, 0x04, 1, 0, 1, 0, 9, 0, 0, 0, 8, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0});
    ASSERT_EQ(v.type(), ValueType::Time);
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v.times()[0].words[0], 9u);
}

TEST(FormulaValue, EmptyListsAndOtherTypesReadAsTheEmptyText) {
    EXPECT_TRUE(Decode({0x01, 0x00, 'x'}).IsEmptyText()); // rich text
    EXPECT_TRUE(Decode({0x01, 0x05, 0, 0}).IsEmptyText());
    EXPECT_TRUE(Decode({0x01, 0x03, 0, 0, 0, 0}).IsEmptyText());
    EXPECT_TRUE(Decode({0x01, 0x04, 0, 0, 0, 0}).IsEmptyText());
}

TEST(FormulaValue, DamagedValuesAreRefused) {
    const Bytes damaged[] = {
        {},
        {0x00},
        {0x01, 0x05, 3, 0, 1, 0},           // fewer lengths than entries
        {0x01, 0x05, 1, 0, 5, 0, 'a', 'b'}, // an entry beyond the value
        {0x01, 0x05, 0xFF, 0xFF},
        {0x00, 0x03, 0, 0, 0, 0, 0, 0, 0}, // a number cut short
        {0x01, 0x03, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {0x00, 0x04, 1, 2, 3},
        {0x01, 0x04, 1, 0},
    };
    for (const Bytes& b : damaged)
        Decode(b, ERR_FORMULA_BAD_VALUE);
    Value v;
    EXPECT_EQ(formula::DecodeValue(nullptr, 4, &v), ERR_FORMULA_BAD_ARGUMENT);
}

TEST(FormulaValue, ValuesBeyondSixteenBitCountsAreRefused) {
    Bytes out;
    EXPECT_EQ(formula::EncodeValue(Value::Texts(std::vector<std::string>(65536, "a")), &out),
              ERR_FORMULA_RESULT_TOO_LARGE);
    EXPECT_EQ(formula::EncodeValue(Value::Text(std::string(65536, 'a')), &out), ERR_FORMULA_RESULT_TOO_LARGE);
    EXPECT_EQ(formula::EncodeValue(Value::Numbers(std::vector<double>(65536, 1.0)), &out),
              ERR_FORMULA_RESULT_TOO_LARGE);
    EXPECT_EQ(formula::EncodeValue(Value::Text(std::string(65535, 'a')), &out), NOERROR);
}

} // namespace
} // namespace nnotes::testing
