// @functions, fields, temporaries and statements.
#include "formula/tests/formula_fixture.h"

namespace nnotes::testing {
namespace {

using V = std::vector<double>;
using T = std::vector<std::string>;

class FormulaFunctions : public FormulaTest {
protected:
    void SetUp() override {
        FormulaTest::SetUp();
        note_.Set("Subject", Value::Text("Quarterly report"));
        note_.Set("Form", Value::Text("Memo"));
        note_.Set("Categories", Value::Texts({"HR", "Sales"}));
        note_.Set("Amount", Value::Numbers({10, 20}));
    }
};

TEST_F(FormulaFunctions, FieldsAndTemporaries) {
    EXPECT_EQ(Text("Subject"), "Quarterly report");
    EXPECT_EQ(Text("sUBJECT"), "Quarterly report"); // item names ignore case
    EXPECT_EQ(Text("Nowhere"), "");
    EXPECT_EQ(Numbers("Amount * 2"), (V{20, 40}));
    EXPECT_EQ(Number("x := 2; X * 3"), 6);
    EXPECT_EQ(Text("Subject := \"mine\"; subject"), "mine"); // a temporary hides the field
    EXPECT_EQ(Number("x := 1; x := x + 1; x"), 2);
    EXPECT_EQ(Number("1; 2"), 2);
    EXPECT_EQ(Number("1; 2;"), 2);
}

TEST_F(FormulaFunctions, ReadingAFieldThatFailsStopsTheFormula) {
    note_.Fail("Body", ERR_FORMULA_BAD_VALUE);
    EXPECT_EQ(Status("Body"), ERR_FORMULA_BAD_VALUE);
    EXPECT_NE(formula::LastErrorText().find("Field Body"), std::string::npos);
}

TEST_F(FormulaFunctions, If) {
    EXPECT_EQ(Text("@If(1; \"a\"; \"b\")"), "a");
    EXPECT_EQ(Text("@If(0; \"a\"; \"b\")"), "b");
    EXPECT_EQ(Text("@If(0; \"a\"; 0; \"b\"; \"c\")"), "c");
    EXPECT_EQ(Text("@If(0; \"a\"; 1; \"b\"; \"c\")"), "b");
    EXPECT_EQ(Text("@If(1; @If(0; \"x\"; \"y\"); \"z\")"), "y");
    EXPECT_EQ(Text("@If(Form = \"Memo\"; Subject; \"-\")"), "Quarterly report");
    EXPECT_EQ(Number("@If(1; 2; 1 / 0)"), 2); // the branch not taken is not evaluated
    EXPECT_EQ(Status("@If(\"x\"; 1; 2)"), ERR_FORMULA_TYPE);
    EXPECT_EQ(Number("@IF(1; 2; 3) + @if(0; 2; 3)"), 5);
}

TEST_F(FormulaFunctions, Text) {
    EXPECT_EQ(Text("@Text(12)"), "12");
    EXPECT_EQ(Text("@Text(1.5)"), "1.5");
    EXPECT_EQ(Text("@Text(-0.25)"), "-0.25");
    EXPECT_EQ(Text("@Text(1 / 3)"), "0.333333333333333");
    EXPECT_EQ(Text("@Text(0 * -1)"), "0");
    EXPECT_EQ(Text("@Text(1e20)"), "1E+20");
    EXPECT_EQ(Texts("@Text(1:2)"), (T{"1", "2"}));
    EXPECT_EQ(Text("@Text(Subject)"), "Quarterly report");
    note_.created = {{3600 * 100, 2460000}};
    char expected[80];
    uint16_t length = 0;
    ASSERT_EQ(InstantToText(nullptr, nullptr, &note_.created, expected, sizeof expected, &length), NOERROR);
    EXPECT_EQ(Text("@Text(@Created)"), std::string(expected, length));
}

TEST_F(FormulaFunctions, Trim) {
    EXPECT_EQ(Text("@Trim(\"  a   b  \")"), "a b");
    EXPECT_EQ(Texts("@Trim(\"a\":\"   \":\" b \")"), (T{"a", "b"}));
    EXPECT_EQ(Text("@Trim(\"   \")"), "");
    EXPECT_EQ(Text("@Trim(\"\":\"\")"), "");
    EXPECT_EQ(Status("@Trim(1)"), ERR_FORMULA_TYPE);
}

TEST_F(FormulaFunctions, CaseMapping) {
    EXPECT_EQ(Text("@UpperCase(\"abc\")"), "ABC");
    EXPECT_EQ(Text("@LowerCase(\"ÄBC\")"), "äbc");
    EXPECT_EQ(Text("@ProperCase(\"hello wORLD  again\")"), "Hello World  Again");
    EXPECT_EQ(Texts("@UpperCase(\"a\":\"b\")"), (T{"A", "B"}));
    EXPECT_EQ(Text("@UpperCase(\"\")"), "");
    EXPECT_EQ(Status("@UpperCase(1)"), ERR_FORMULA_TYPE);
    EXPECT_EQ(Status("@ProperCase(@Now)"), ERR_FORMULA_TYPE);
}

TEST_F(FormulaFunctions, LeftAndRight) {
    EXPECT_EQ(Text("@Left(\"abcdef\"; 3)"), "abc");
    EXPECT_EQ(Text("@Left(\"ab\"; 5)"), "ab");
    EXPECT_EQ(Text("@Left(\"abc\"; 0)"), "");
    EXPECT_EQ(Text("@Left(\"abc\"; -1)"), "");
    EXPECT_EQ(Text("@Left(\"abc\"; 1.9)"), "a");
    EXPECT_EQ(Text("@Left(\"äöü\"; 2)"), "äö"); // characters, not bytes
    EXPECT_EQ(Text("@Left(\"Lennard Wallace\"; \" \")"), "Lennard");
    EXPECT_EQ(Text("@Left(\"abc\"; \"x\")"), "");
    EXPECT_EQ(Texts("@Left(\"abc\":\"de\"; 1)"), (T{"a", "d"}));
    EXPECT_EQ(Text("@Right(\"abcdef\"; 2)"), "ef");
    EXPECT_EQ(Text("@Right(\"äöü\"; 1)"), "ü");
    EXPECT_EQ(Text("@Right(\"ab\"; 1e300)"), "ab");
    EXPECT_EQ(Text("@Right(\"Lennard Wallace\"; \" \")"), "Wallace");
    EXPECT_EQ(Text("@Right(\"abc\"; \"x\")"), "");
    EXPECT_EQ(Status("@Left(1; 1)"), ERR_FORMULA_TYPE);
    EXPECT_EQ(Status("@Right(\"a\"; @Now)"), ERR_FORMULA_TYPE);
}

TEST_F(FormulaFunctions, ContainsAndBegins) {
    EXPECT_EQ(Number("@Contains(Subject; \"report\")"), 1);
    EXPECT_EQ(Number("@Contains(Subject; \"Report\")"), 0); // case matters
    EXPECT_EQ(Number("@Contains(Categories; \"x\":\"ale\")"), 1);
    EXPECT_EQ(Number("@Contains(Categories; \"x\":\"y\")"), 0);
    EXPECT_EQ(Number("@Begins(Subject; \"Quart\")"), 1);
    EXPECT_EQ(Number("@Begins(Subject; \"report\")"), 0);
    EXPECT_EQ(Number("@Begins(Categories; \"Sa\")"), 1);
    EXPECT_EQ(Status("@Contains(1; \"1\")"), ERR_FORMULA_TYPE);
    EXPECT_EQ(Status("@Begins(\"1\"; 1)"), ERR_FORMULA_TYPE);
}

TEST_F(FormulaFunctions, ElementsAndImplode) {
    EXPECT_EQ(Number("@Elements(1:2:3)"), 3);
    EXPECT_EQ(Number("@Elements(Categories)"), 2);
    EXPECT_EQ(Number("@Elements(\"a\")"), 1);
    EXPECT_EQ(Number("@Elements(Nowhere)"), 0);
    EXPECT_EQ(Text("@Implode(\"a\":\"b\":\"c\")"), "a b c");
    EXPECT_EQ(Text("@Implode(Categories; \", \")"), "HR, Sales");
    EXPECT_EQ(Text("@Implode(\"a\"; \"-\")"), "a");
    EXPECT_EQ(Status("@Implode(1:2)"), ERR_FORMULA_TYPE);
    EXPECT_EQ(Status("@Implode(\"a\"; 1)"), ERR_FORMULA_TYPE);
}

TEST_F(FormulaFunctions, DocumentFunctions) {
    EXPECT_EQ(Number("@IsResponseDoc"), 0);
    note_.response = true;
    EXPECT_EQ(Number("@IsResponseDoc"), 1);
    note_.created = {{100, 2460000}};
    const Value created = Eval("@Created");
    ASSERT_EQ(created.type(), ValueType::Time);
    EXPECT_EQ(created.times()[0].words[1], 2460000u);
    EXPECT_EQ(Eval("@Modified()").type(), ValueType::Time);
}

TEST_F(FormulaFunctions, NowAndToday) {
    EXPECT_EQ(Eval("@Now").type(), ValueType::Time);
    EXPECT_EQ(Number("@Now >= @Today"), 1);
    const double sinceMidnight = Number("@Now - @Today");
    EXPECT_GE(sinceMidnight, 0);
    EXPECT_LT(sinceMidnight, 25 * 3600); // a day with a daylight-saving change lasts 25 hours
}

TEST_F(FormulaFunctions, ValuesStayWithinTheirBounds) {
    const std::string big = "\"" + std::string(40000, 'a') + "\"";
    EXPECT_EQ(Status("x := " + big + "; x + x"), ERR_FORMULA_RESULT_TOO_LARGE);
    EXPECT_EQ(Status("x := " + big + "; @Implode(x:x)"), ERR_FORMULA_RESULT_TOO_LARGE);
    // Lists that multiply: 8^6 entries, and 200 texts of 40000 bytes.
    std::string lists = "a := 1:1:1:1:1:1:1:1";
    for (char c = 'b'; c <= 'f'; ++c) {
        const char prev = static_cast<char>(c - 1);
        lists += std::string("; ") + c + " := " + prev;
        for (int i = 0; i < 7; ++i)
            lists += std::string(":") + prev;
    }
    EXPECT_EQ(Status(lists + "; f"), ERR_FORMULA_RESULT_TOO_LARGE);
    EXPECT_EQ(Number(lists.substr(0, lists.rfind(';')) + "; @Elements(e)"), 32768);
    std::string empties = "\"\"";
    for (int i = 0; i < 199; ++i)
        empties += ":\"\"";
    EXPECT_EQ(Status("x := " + big + "; (" + empties + ") + x"), ERR_FORMULA_RESULT_TOO_LARGE);
    // Many temporaries of one large value: 3 MB held 20 times over.
    std::string copies = "a := 1:1:1:1:1:1:1:1; b := a:a:a:a:a:a:a:a; c := b:b:b:b:b:b:b:b; "
                         "d := c:c:c:c:c:c:c:c; e := @Text(d:d:d:d:d:d:d:d) + \"" +
                         std::string(95, 'x') + "\"";
    EXPECT_EQ(Number(copies + "; @Elements(e)"), 32768);
    for (int i = 0; i < 20; ++i)
        copies += "; v" + std::to_string(i) + " := e";
    EXPECT_EQ(Status(copies + "; 1"), ERR_FORMULA_RESULT_TOO_LARGE);
    EXPECT_NE(formula::LastErrorText().find("Temporaries take more than 16 MB"), std::string::npos);
}

} // namespace
} // namespace nnotes::testing
