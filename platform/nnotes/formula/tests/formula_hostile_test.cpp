// Formulas written to break the engine: nesting far beyond any hand-written formula, texts and lists at and
// past their bounds, numbers that overflow, broken constants and names, and fields of every item type. Every
// one must give a value or a status, never a crash or a stack overflow.
#include "formula/tests/formula_fixture.h"
#include "testing/store_fixture.h"

#include <cstring>

namespace nnotes::testing {
namespace {

using Bytes = std::vector<uint8_t>;

class FormulaHostile : public FormulaTest {
protected:
    // The status of compiling text through the library's call.
    static STATUS CompileStatus(const std::string& text) {
        DHANDLE h = NULLHANDLE;
        uint16_t length = 0;
        const STATUS s = CompileFormula(text.data(), static_cast<uint16_t>(text.size()), &h, &length);
        if (s == NOERROR) FreeBlock(h);
        return s;
    }

    // open repeated depth times around "1", each closed by close.
    static std::string Nested(const std::string& open, const std::string& close, int depth) {
        std::string text;
        for (int i = 0; i < depth; ++i)
            text += open;
        text += "1";
        for (int i = 0; i < depth; ++i)
            text += close;
        return text;
    }
};

struct Nesting {
    const char* open;
    const char* close;
};

constexpr Nesting kNestings[] = {
    {"(", ")"},   {"-", ""},           {"+", ""},           {"!", ""},        {"- (", ")"},
    {"!(", ")"},  {"@If(1; ", "; 0)"}, {"@If(0; 0; ", ")"}, {"@Text(", ")"},  {"@Elements(", ")"},
    {"1:(", ")"}, {"1 + (", ")"},      {"1:-(", ")"},       {"(1 = (", "))"}, {"@Trim(@Text(", "))"},
};

TEST_F(FormulaHostile, NestingThousandsDeepIsRefusedWithAStatus) {
    for (const Nesting& n : kNestings) {
        for (const int depth : {1000, 5000, 20000}) {
            const std::string text = Nested(n.open, n.close, depth);
            if (text.size() > formula::kMaxFormulaText) continue;
            EXPECT_EQ(Status(text), ERR_FORMULA_TOO_COMPLEX) << n.open << " x " << depth;
            EXPECT_EQ(CompileStatus(text), ERR_FORMULA_TOO_COMPLEX) << n.open << " x " << depth;
            EXPECT_NE(formula::LastErrorText().find("nested too deeply"), std::string::npos);
        }
    }
}

TEST_F(FormulaHostile, NestingWithinTheLimitEvaluates) {
    EXPECT_EQ(Number(Nested("(", ")", 95)), 1);
    EXPECT_EQ(Number(Nested("-", "", 94)), 1);
    EXPECT_EQ(Number(Nested("-", "", 95)), -1);
    EXPECT_EQ(Number(Nested("!", "", 94)), 1);
    EXPECT_EQ(Number(Nested("@If(0; 0; ", ")", 95)), 1);
    EXPECT_EQ(Number(Nested("1 + (", ")", 95)), 96);
    EXPECT_EQ(Text(Nested("@Text(", ")", 95)), "1");
    EXPECT_EQ(Numbers(Nested("1:(", ")", 95)), std::vector<double>(96, 1));
}

// A stored formula of any depth is parsed again when started, with the same bound.
TEST_F(FormulaHostile, AStoredFormulaNestedTooDeeplyIsRefusedAtStart) {
    const std::string text = Nested("(", ")", 30000);
    Bytes compiled = {'Q',
                      'V',
                      'F',
                      'm',
                      1,
                      0,
                      static_cast<uint8_t>(text.size() & 0xFF),
                      static_cast<uint8_t>(text.size() >> 8)};
    compiled.insert(compiled.end(), text.begin(), text.end());
    HCOMPUTE c = 0;
    EXPECT_EQ(ComputeStart(compiled.data(), static_cast<uint16_t>(compiled.size()), &c), ERR_FORMULA_DAMAGED);
}

TEST_F(FormulaHostile, LongTextsAndListsInTheFormula) {
    const std::string big(65000, 'a');
    EXPECT_EQ(Number("@Elements(\"" + big + "\")"), 1);
    EXPECT_EQ(Text("@Right(\"" + big + "b\"; 2)"), "ab");
    EXPECT_EQ(Text("@Left(\"" + big + "\"; 1e300)"), big);
    std::string list = "1";
    while (list.size() + 2 < formula::kMaxFormulaText - 20)
        list += ":1";
    const double entries = static_cast<double>(list.size() / 2 + 1);
    EXPECT_EQ(Number("@Elements(" + list + ")"), entries);
    EXPECT_EQ(Number("@Elements(@Text(" + list + "))"), entries);
    // Lists doubled by temporaries up to the bound of 65535 entries, and past it.
    std::string doubling = "a := 1:1:1:1:1:1:1:1:1:1:1:1:1:1:1:1";
    for (int i = 0; i < 11; ++i)
        doubling += "; a := a:a";
    EXPECT_EQ(Number(doubling + "; @Elements(a)"), 32768);
    EXPECT_EQ(Status(doubling + "; a := a:a; 1"), ERR_FORMULA_RESULT_TOO_LARGE);
    EXPECT_EQ(Status(doubling + "; a + (1:2:3)"), NOERROR);
}

TEST_F(FormulaHostile, HugeFieldsGiveAStatusOrAValue) {
    note_.Set("Many", Value::Numbers(std::vector<double>(1000000, 1.0)));
    note_.Set("ManyTexts", Value::Texts(std::vector<std::string>(1000000, "x")));
    note_.Set("Long", Value::Text(std::string(1000000, 'a')));
    for (const char* text : {"Many", "@Elements(Many)", "Many + 1", "ManyTexts", "@Implode(ManyTexts)",
                             "@UpperCase(Long)", "@ProperCase(Long)", "@Left(Long; 1)", "@Right(Long; 1)",
                             "Long = \"a\"", "Long + \"b\"", "@Implode(Long : \"a\")"})
        EXPECT_EQ(Status(text), ERR_FORMULA_RESULT_TOO_LARGE) << text;
    EXPECT_EQ(Number("@Contains(Long; \"b\")"), 0);
    EXPECT_EQ(Number("@Elements(Long : \"a\")"), 2);
    EXPECT_EQ(Text("@Left(Long; \"a\")"), "");
    EXPECT_EQ(Text("@Trim(Long)").size(), 1000000u);
}

TEST_F(FormulaHostile, NumbersThatOverflowGiveARangeStatus) {
    for (const char* text : {"1e308 * 10", "-1e308 - 1e308", "1e308 + 1e308", "1.7976931348623157e308 * -2",
                             "1 / 1e-310", "(1:1e308) * (1:1e308)", "x := 1e200; x * x"})
        EXPECT_EQ(Status(text), ERR_FORMULA_NUMBER_RANGE) << text;
    EXPECT_EQ(Number("1e-300 * 1e-300"), 0);
    EXPECT_EQ(Number("1e308 - 1e308"), 0);
    EXPECT_EQ(Status("1e309"), ERR_FORMULA_SYNTAX);
    EXPECT_EQ(Number("4.9e-324"), 4.9e-324); // the least number there is
    EXPECT_EQ(Number("4.9e-324 / 2"), 0);
    EXPECT_EQ(Status("1e-400"), ERR_FORMULA_SYNTAX); // below it, as beyond the greatest
    EXPECT_EQ(Status("1" + std::string(400, '0')), ERR_FORMULA_SYNTAX);
    EXPECT_EQ(Number("1" + std::string(300, '0')), 1e300);
    EXPECT_EQ(Number("0." + std::string(300, '0') + "1"), 1e-301);
    EXPECT_EQ(Number(std::string(1000, '0') + "7"), 7);
}

TEST_F(FormulaHostile, BrokenConstantsAndLoneAts) {
    for (const char* text : {"\"abc", "\"abc\\\"", "\"", "\"a\\", "1 + \"x", "@Left(\"a; 1)"})
        EXPECT_EQ(Status(text), ERR_FORMULA_UNTERMINATED) << text;
    for (const char* text : {"@", "@ If(1; 2; 3)", "1 + @", "@@If(1; 2; 3)", "@1", "@(1)", "@;1"})
        EXPECT_EQ(Status(text), ERR_FORMULA_SYNTAX) << text;
    EXPECT_EQ(Status("@Nothing"), ERR_FORMULA_UNKNOWN_FUNCTION);
}

TEST_F(FormulaHostile, NulsSplitNamesAndEndNothingElse) {
    note_.Set("Subject", Value::Text("s"));
    EXPECT_EQ(Status(std::string("Sub\0ject", 8)), ERR_FORMULA_SYNTAX);
    EXPECT_EQ(Status(std::string("@Le\0ft(\"a\"; 1)", 14)), ERR_FORMULA_UNKNOWN_FUNCTION);
    EXPECT_EQ(Status(std::string("@\0Left(\"a\"; 1)", 14)), ERR_FORMULA_SYNTAX);
    EXPECT_EQ(Text(std::string("Subject\0+\0\"\0\"", 13)), "s\n");
    EXPECT_EQ(Text(std::string("\"a\\\0b\"", 6)), "a\nb");
}

// Fields of every item type of a stored note, and missing ones, through the library's calls.
class FormulaOnStoredItems : public StoreTest {
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

    void Append(const char* name, uint16_t type, const Bytes& data) {
        ASSERT_EQ(AppendItem(note_, ITEM_SUMMARY, name, static_cast<uint16_t>(std::strlen(name)), type,
                             data.data(), static_cast<uint32_t>(data.size()), nullptr),
                  NOERROR)
            << name;
    }

    // The result block of text against the note, or the status.
    STATUS Evaluate(const std::string& text, Bytes* bytes) {
        return EvaluateThroughTheCalls(text, note_, bytes);
    }

    Bytes Result(const std::string& text) {
        Bytes bytes;
        EXPECT_EQ(Evaluate(text, &bytes), NOERROR) << text;
        return bytes;
    }

    DBHANDLE db_ = 0;
    NOTEHANDLE note_ = 0;
};

TEST_F(FormulaOnStoredItems, EveryItemTypeReadsAsItsValueOrAsNothing) {
    const Bytes two = {0, 0, 0, 0, 0, 0, 0, 0x40}; // 2.0
    const Bytes three = {0, 0, 0, 0, 0, 0, 0x08, 0x40};
    const Bytes instant = {0x10, 0, 0, 0, 0x27, 0x8A, 0x25, 0}; // day 2460199
    Append("Text", TYPE_TEXT, {'a', 0, 'b'});
    Append("TextList", TYPE_TEXT_LIST, {2, 0, 1, 0, 0, 0, 'x'});
    Append("Number", TYPE_NUMBER, two);
    Bytes numbers = {2, 0, 1, 0};
    numbers.insert(numbers.end(), two.begin(), two.end());
    numbers.insert(numbers.end(), three.begin(), three.end());
    numbers.insert(numbers.end(), 16, 0); // a range, which formulas leave out
    Append("NumberList", TYPE_NUMBER_RANGE, numbers);
    Append("Time", TYPE_TIME, instant);
    Bytes times = {1, 0, 0, 0};
    times.insert(times.end(), instant.begin(), instant.end());
    Append("TimeList", TYPE_TIME_RANGE, times);
    Append("Empty", TYPE_TEXT_LIST, {0, 0});
    Append("Composite", TYPE_COMPOSITE, {1, 2, 3, 4});
    Append("Refs", TYPE_NOTEREF_LIST, {0, 0});
    Append("Other", 0x7777, {9, 9});

    EXPECT_EQ(Result("Text"), (Bytes{0x00, 0x05, 'a', 0, 'b'}));
    EXPECT_EQ(Result("@Elements(Text)"), (Bytes{0x00, 0x03, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
    EXPECT_EQ(Result("TextList + \"!\""), (Bytes{0x01, 0x05, 2, 0, 2, 0, 1, 0, 'x', '!', '!'}));
    Bytes number = {0x00, 0x03};
    number.insert(number.end(), three.begin(), three.end());
    EXPECT_EQ(Result("Number + 1"), number);
    EXPECT_EQ(Result("@Elements(NumberList)"), Result("2"));
    EXPECT_EQ(Result("NumberList = 3"), Result("1"));
    Bytes time = {0x00, 0x04};
    time.insert(time.end(), instant.begin(), instant.end());
    EXPECT_EQ(Result("Time"), time);
    EXPECT_EQ(Result("TimeList"), time);
    EXPECT_EQ(Result("(Time + 60) - TimeList"), Result("60"));
    for (const char* nothing : {"Empty", "Composite", "Refs", "Other", "Missing", "$REF", "text2"})
        EXPECT_EQ(Result(std::string("@Elements(") + nothing + ")"), Result("0")) << nothing;
    EXPECT_EQ(Result("tExT"), Result("Text"));
    Bytes ignored;
    EXPECT_EQ(Evaluate("Composite + 1", &ignored), ERR_FORMULA_TYPE);
    EXPECT_EQ(Evaluate("Time * 2", &ignored), ERR_FORMULA_TYPE);
    EXPECT_EQ(Evaluate("TextList - 1", &ignored), ERR_FORMULA_TYPE);
}

} // namespace
} // namespace nnotes::testing

namespace nnotes::testing {
namespace {

// 32768 entries: of "" in empties, of a 100-byte text in e (3.3 MB).
const std::string kEmpties = "a := \"\":\"\":\"\":\"\":\"\":\"\":\"\":\"\"; b := a:a:a:a:a:a:a:a; "
                             "c := b:b:b:b:b:b:b:b; d := c:c:c:c:c:c:c:c; empties := d:d:d:d:d:d:d:d";
const std::string kLarge = "a := 1:1:1:1:1:1:1:1; b := a:a:a:a:a:a:a:a; c := b:b:b:b:b:b:b:b; "
                           "d := c:c:c:c:c:c:c:c; e := @Text(d:d:d:d:d:d:d:d) + \"" +
                           std::string(99, 'x') + "\"";

// An entry's text takes memory however short it is: a list of empty texts is no free copy.
TEST_F(FormulaHostile, TemporariesOfEmptyTextsCountTheirEntries) {
    std::string copies = kEmpties;
    for (int i = 0; i < 8; ++i)
        copies += "; v" + std::to_string(i) + " := empties";
    EXPECT_EQ(Number(copies + "; @Elements(v7)"), 32768);
    for (int i = 8; i < 300; ++i)
        copies += "; v" + std::to_string(i) + " := empties";
    EXPECT_EQ(Status(copies + "; 1"), ERR_FORMULA_RESULT_TOO_LARGE);
    EXPECT_NE(formula::LastErrorText().find("Temporaries take more than 16 MB"), std::string::npos);
}

// Each level of a nested expression keeps the operands it has computed while it evaluates the next one;
// their sum is bounded as the temporaries' is, or a hundred levels would each keep a value of 4 MB.
TEST_F(FormulaHostile, NestedLevelsKeepNoLargeValueEach) {
    const auto nested = [](int depth) {
        std::string text = "1";
        for (int i = 0; i < depth; ++i)
            text = "@Left(e; 1 + @Elements(" + text + "))";
        return kLarge + "; @Elements(" + text + ")";
    };
    EXPECT_EQ(Number(nested(2)), 32768);
    EXPECT_EQ(Status(nested(30)), ERR_FORMULA_RESULT_TOO_LARGE);
    EXPECT_NE(formula::LastErrorText().find("kept while the rest is evaluated take more than 16 MB"),
              std::string::npos)
        << formula::LastErrorText();
    std::string chain = "\"\"";
    for (int i = 0; i < 30; ++i)
        chain = "empties + (" + chain + ")";
    EXPECT_EQ(Status(kEmpties + "; " + chain), ERR_FORMULA_RESULT_TOO_LARGE);
    std::string list = "\"\"";
    for (int i = 0; i < 30; ++i)
        list = "@Trim(empties : (" + list + "))";
    EXPECT_EQ(Status(kEmpties + "; " + list), ERR_FORMULA_RESULT_TOO_LARGE);
}

} // namespace
} // namespace nnotes::testing
