// Operators of formulas: precedence, lists pair by pair, comparisons, logic and their type errors.
#include "formula/tests/formula_fixture.h"

namespace nnotes::testing {
namespace {

using V = std::vector<double>;
using T = std::vector<std::string>;

class FormulaOperators : public FormulaTest {};

TEST_F(FormulaOperators, LiteralsAndLists) {
    EXPECT_EQ(Text("\"abc\""), "abc");
    EXPECT_EQ(Text("\"say \\\"hi\\\" \\\\\""), "say \"hi\" \\");
    EXPECT_EQ(Number("12.5"), 12.5);
    EXPECT_EQ(Number(".5e1"), 5);
    EXPECT_EQ(Numbers("1:2:3"), (V{1, 2, 3}));
    EXPECT_EQ(Texts("\"a\":\"b\""), (T{"a", "b"}));
    EXPECT_EQ(Numbers("-1:2"), (V{-1, -2})); // the sign takes the whole list
    EXPECT_EQ(Numbers("1:-2"), (V{1, -2}));
    EXPECT_EQ(Numbers("(1:2):(3:4)"), (V{1, 2, 3, 4}));
    EXPECT_EQ(Status("1:\"a\""), ERR_FORMULA_TYPE);
}

TEST_F(FormulaOperators, Precedence) {
    EXPECT_EQ(Number("1 + 2 * 3"), 7);
    EXPECT_EQ(Number("(1 + 2) * 3"), 9);
    EXPECT_EQ(Number("10 - 4 - 3"), 3);
    EXPECT_EQ(Number("8 / 2 / 2"), 2);
    EXPECT_EQ(Number("-2 * 3 + +1"), -5);
    EXPECT_EQ(Numbers("1 + 2 : 3"), (V{3, 4})); // ":" binds tightest
    EXPECT_EQ(Number("1 + 1 = 2"), 1);
    EXPECT_EQ(Number("!1 = 2"), 1); // ! applies to the comparison
    EXPECT_EQ(Number("1 = 1 & 2 = 3"), 0);
    EXPECT_EQ(Number("1 | 0 & 0"), 0); // & and | share one level, left to right
    EXPECT_EQ(Number("0 & 0 | 1"), 1);
}

TEST_F(FormulaOperators, ArithmeticPairsListsAndRepeatsTheShorterOnesLastEntry) {
    EXPECT_EQ(Numbers("1:2:3 + 10"), (V{11, 12, 13}));
    EXPECT_EQ(Numbers("1:2 + 10:20:30"), (V{11, 22, 32}));
    EXPECT_EQ(Numbers("2 * 1:2:3"), (V{2, 4, 6}));
    EXPECT_EQ(Numbers("6:9 / 3"), (V{2, 3}));
    EXPECT_EQ(Number("-(2 - 5)"), 3);
}

TEST_F(FormulaOperators, TextConcatenation) {
    EXPECT_EQ(Text("\"a\" + \"b\""), "ab");
    EXPECT_EQ(Texts("\"a\":\"b\" + \"x\""), (T{"ax", "bx"}));
    EXPECT_EQ(Texts("\"a\":\"b\" + \"x\":\"y\":\"z\""), (T{"ax", "by", "bz"}));
    EXPECT_EQ(Text("Missing + \"!\""), "!");
}

TEST_F(FormulaOperators, ArithmeticFailures) {
    EXPECT_EQ(Status("1 / 0"), ERR_FORMULA_DIVIDE_BY_ZERO);
    EXPECT_EQ(Status("4:6 / 2:0"), ERR_FORMULA_DIVIDE_BY_ZERO);
    EXPECT_EQ(Status("1e308 * 10"), ERR_FORMULA_NUMBER_RANGE);
    EXPECT_EQ(Status("\"a\" + 1"), ERR_FORMULA_TYPE);
    EXPECT_EQ(Status("1 + \"a\""), ERR_FORMULA_TYPE);
    EXPECT_EQ(Status("\"a\" - \"b\""), ERR_FORMULA_TYPE);
    EXPECT_EQ(Status("\"a\" * 2"), ERR_FORMULA_TYPE);
    EXPECT_EQ(Status("-\"a\""), ERR_FORMULA_TYPE);
    EXPECT_EQ(Status("+\"a\""), ERR_FORMULA_TYPE);
    EXPECT_EQ(Status("Missing * 2"), ERR_FORMULA_TYPE); // a missing field is text
    EXPECT_EQ(Status("x := 1;\n  x + \"a\""), ERR_FORMULA_TYPE);
    EXPECT_EQ(formula::LastErrorText(),
              "Incorrect data type for operator: + does not take number and text (line 2, column 5)");
    EXPECT_EQ(Status("2 * (1 / 0)"), ERR_FORMULA_DIVIDE_BY_ZERO);
    EXPECT_EQ(formula::LastErrorText(), "Division by zero (line 1, column 8)");
}

TEST_F(FormulaOperators, ComparisonsAreTrueWhenAnyPairMatches) {
    EXPECT_EQ(Number("1 < 2"), 1);
    EXPECT_EQ(Number("2 <= 1"), 0);
    EXPECT_EQ(Number("2 >= 2"), 1);
    EXPECT_EQ(Number("3 > 2"), 1);
    EXPECT_EQ(Number("1 != 1"), 0);
    EXPECT_EQ(Number("1 <> 2"), 1);
    EXPECT_EQ(Number("\"abc\" = \"ABC\""), 1); // texts compare without regard to case
    EXPECT_EQ(Number("\"b\" > \"A\""), 1);
    EXPECT_EQ(Number("\"a\":\"b\" = \"b\""), 1);
    EXPECT_EQ(Number("\"a\":\"b\" = \"c\""), 0);
    EXPECT_EQ(Number("1:2 != 1"), 1);
    EXPECT_EQ(Number("1:2 = 2:1"), 0); // pairs, not every combination
    EXPECT_EQ(Number("Missing = \"\""), 1);
}

TEST_F(FormulaOperators, ComparingDifferentTypesFails) {
    EXPECT_EQ(Status("1 = \"1\""), ERR_FORMULA_TYPE);
    EXPECT_EQ(Status("@Now > 1"), ERR_FORMULA_TYPE);
}

TEST_F(FormulaOperators, Logic) {
    EXPECT_EQ(Number("1 & 0"), 0);
    EXPECT_EQ(Number("1 & 2"), 1);
    EXPECT_EQ(Number("1 | 0"), 1);
    EXPECT_EQ(Number("0 | 0"), 0);
    EXPECT_EQ(Number("!1"), 0);
    EXPECT_EQ(Number("!0"), 1);
    EXPECT_EQ(Number("!!5"), 1);
    EXPECT_EQ(Number("!(0:3)"), 0); // a list is true when any entry is
    EXPECT_EQ(Status("\"a\" & 1"), ERR_FORMULA_TYPE);
    EXPECT_EQ(Status("!\"a\""), ERR_FORMULA_TYPE);
}

TEST_F(FormulaOperators, TimeArithmetic) {
    note_.created = {{100, 2460000}};
    note_.modified = {{100 + 6000, 2460000}};
    EXPECT_EQ(Number("@Modified - @Created"), 60);
    EXPECT_EQ(Number("(@Created + 90) - @Created"), 90);
    EXPECT_EQ(Number("(90 + @Created) - @Created"), 90);
    EXPECT_EQ(Number("(@Created - 86400) - @Created"), -86400);
    EXPECT_EQ(Number("@Modified > @Created"), 1);
    EXPECT_EQ(Status("@Created * 2"), ERR_FORMULA_TYPE);
    EXPECT_EQ(Status("@Created + @Created"), ERR_FORMULA_TYPE);
    EXPECT_EQ(Status("@Created + 1e300"), ERR_FORMULA_NUMBER_RANGE);
    note_.created = {{0xFFFFFFFF, 0xFFFFFFFF}}; // the wildcard has no place in time
    EXPECT_EQ(Status("@Created + 1"), ERR_FORMULA_NUMBER_RANGE);
    EXPECT_EQ(Status("@Modified - @Created"), ERR_FORMULA_NUMBER_RANGE);
}

TEST_F(FormulaOperators, LongChainsNeedNoDeepStack) {
    std::string text = "0";
    for (int i = 0; i < 20000; ++i)
        text += "+1";
    EXPECT_EQ(Number(text), 20000);
}

} // namespace
} // namespace nnotes::testing
