// Formulas that do not compile: the status, and a text that names the problem and where it lies.
#include "formula/tests/formula_fixture.h"

namespace nnotes::testing {
namespace {

class FormulaCompile : public FormulaTest {
protected:
    // The status of compiling text; the error text is left in error_.
    STATUS Compile(std::string_view text) {
        std::vector<uint8_t> compiled;
        const STATUS s = formula::Compile(text, &compiled);
        error_ = formula::LastErrorText();
        return s;
    }
    void ExpectError(std::string_view text, STATUS status, const std::string& detail) {
        EXPECT_EQ(Compile(text), status) << text;
        EXPECT_EQ(error_, detail) << text;
    }
    std::string error_;
};

TEST_F(FormulaCompile, ErrorsNameTheProblemAndItsPlace) {
    ExpectError("1 +", ERR_FORMULA_SYNTAX,
                "Missing operand before the end of the formula (line 1, column 4)");
    ExpectError("\"abc", ERR_FORMULA_UNTERMINATED, "Text constant has no closing quote (line 1, column 1)");
    ExpectError("1 + @Foo(1)", ERR_FORMULA_UNKNOWN_FUNCTION, "Unknown @function @Foo (line 1, column 5)");
    ExpectError("@Left(\"a\")", ERR_FORMULA_ARGUMENT_COUNT,
                "@Left takes 2 argument(s), not 1 (line 1, column 1)");
    ExpectError("@Implode()", ERR_FORMULA_ARGUMENT_COUNT,
                "@Implode takes 1 or 2 argument(s), not 0 (line 1, column 1)");
    ExpectError("@If(1; 2)", ERR_FORMULA_ARGUMENT_COUNT,
                "@If needs an odd number of arguments, at least 3, but has 2 (line 1, column 1)");
    ExpectError("(1 + 2", ERR_FORMULA_SYNTAX, "Missing ')' before the end of the formula (line 1, column 7)");
    ExpectError("@Left(\"a\" 1)", ERR_FORMULA_SYNTAX, "Missing ')' or ';' before '1' (line 1, column 11)");
    ExpectError("1 2", ERR_FORMULA_SYNTAX, "Missing operator or ';' before '2' (line 1, column 3)");
    ExpectError("a := 1;\n  b := ;", ERR_FORMULA_SYNTAX, "Missing operand before ';' (line 2, column 8)");
    ExpectError(std::string_view("a := 1;\0b #", 11), ERR_FORMULA_SYNTAX,
                "Unexpected character '#' (line 2, column 3)");
    ExpectError("1 + SELECT", ERR_FORMULA_SYNTAX,
                "SELECT must begin a statement, found 'SELECT' (line 1, column 5)");
    ExpectError("@", ERR_FORMULA_SYNTAX,
                "An @ must be followed by the name of an @function (line 1, column 1)");
    ExpectError("1e999", ERR_FORMULA_SYNTAX, "Number constant is out of range (line 1, column 1)");
    ExpectError("\"ä\" + ) ", ERR_FORMULA_SYNTAX, "Missing operand before ')' (line 1, column 7)");
    ExpectError(std::string_view("1 +\x01", 4), ERR_FORMULA_SYNTAX,
                "Unexpected character code 1 (line 1, column 4)");
}

// Other formula languages have permuted operators that pair every entry of one list with every entry of the
// other ("*+", "*=", ...). This one has none: read as two operators ("1:2 *+ 1:2" as 1:2 * +(1:2)) such a
// formula would compute something else unseen, so the pair is refused by name.
TEST_F(FormulaCompile, PermutedListOperatorsAreRefusedByName) {
    for (const std::string op : {"*+", "*-", "**", "*/", "*=", "*<>", "*!=", "*<", "*>", "*<=", "*>="})
        ExpectError("1:2 " + op + " 1:2", ERR_FORMULA_SYNTAX,
                    "Unknown operator '" + op + "': permuted operators are not supported (line 1, column 5)");
    ExpectError("a := 2*-3; a", ERR_FORMULA_SYNTAX,
                "Unknown operator '*-': permuted operators are not supported (line 1, column 7)");
    // Apart, they are two operators as before.
    EXPECT_EQ(Compile("1:2 * +1:2"), NOERROR);
    EXPECT_EQ(Compile("2 * -3"), NOERROR);
}

// The parity of @If's arguments is that of their true count, however many there are.
TEST_F(FormulaCompile, IfTakesAnyOddNumberOfArguments) {
    for (const size_t count : {999u, 1001u, 1003u, 4001u}) {
        std::string text = "@If(0";
        for (size_t i = 1; i + 1 < count; ++i)
            text += "; 0";
        EXPECT_EQ(Compile(text + "; 7)"), NOERROR) << count << ": " << error_;
        EXPECT_EQ(Compile(text + ")"), ERR_FORMULA_ARGUMENT_COUNT) << count - 1;
        EXPECT_EQ(error_, "@If needs an odd number of arguments, at least 3, but has " +
                              std::to_string(count - 1) + " (line 1, column 1)");
    }
}

TEST_F(FormulaCompile, AFormulaNeedsAMainExpression) {
    const std::string noMain = "No main or selection expression in formula";
    ExpectError("", ERR_FORMULA_NO_MAIN, noMain + " (line 1, column 1)");
    ExpectError("  \n ", ERR_FORMULA_NO_MAIN, noMain + " (line 2, column 2)");
    EXPECT_EQ(Compile("x := 1"), ERR_FORMULA_NO_MAIN);
    EXPECT_EQ(Compile("x := 1; SELECT x"), NOERROR);
}

TEST_F(FormulaCompile, NamesAndKeywordsIgnoreCase) {
    EXPECT_EQ(Compile("SeLeCt @aLL"), NOERROR);
    EXPECT_EQ(Compile("@propercase(@LEFT(\"a\"; 1))"), NOERROR);
}

TEST_F(FormulaCompile, DeepNestingIsRefusedNotOverflowed) {
    for (const char* open : {"(", "-", "!", "@Text("}) {
        std::string text;
        for (int i = 0; i < 5000; ++i)
            text += open;
        EXPECT_EQ(Compile(text + "1"), ERR_FORMULA_TOO_COMPLEX) << open;
    }
    std::string fine;
    for (int i = 0; i < 50; ++i)
        fine += "(";
    fine += "1";
    for (int i = 0; i < 50; ++i)
        fine += ")";
    EXPECT_EQ(Compile(fine), NOERROR);
}

TEST_F(FormulaCompile, TooLongATextIsRefused) {
    EXPECT_EQ(Compile(std::string(formula::kMaxFormulaText + 1, ' ')), ERR_FORMULA_TOO_LONG);
    EXPECT_EQ(Compile(std::string(formula::kMaxFormulaText - 1, ' ') + "1"), NOERROR);
}

} // namespace
} // namespace nnotes::testing
