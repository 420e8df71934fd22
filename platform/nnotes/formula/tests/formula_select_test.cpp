// Selection: SELECT and the truth of a formula's value, with and without a document.
#include "formula/tests/formula_fixture.h"

namespace nnotes::testing {
namespace {

class FormulaSelect : public FormulaTest {
protected:
    bool Selects(std::string_view text, const formula::FormulaNote* note) {
        Value v;
        bool selected = false;
        const STATUS s = Run(text, note, &v, &selected);
        EXPECT_EQ(s, NOERROR) << text << ": " << formula::LastErrorText();
        return selected;
    }
};

TEST_F(FormulaSelect, SelectDecides) {
    note_.Set("Form", Value::Text("Memo"));
    note_.Set("Categories", Value::Texts({"HR", "Sales"}));
    EXPECT_TRUE(Selects("SELECT @All", &note_));
    EXPECT_TRUE(Selects("select @all", &note_));
    EXPECT_TRUE(Selects("SELECT Form = \"Memo\"", &note_));
    EXPECT_TRUE(Selects("SELECT Form = \"memo\" & Categories = \"Sales\"", &note_));
    EXPECT_FALSE(Selects("SELECT Form = \"Letter\"", &note_));
    EXPECT_FALSE(Selects("SELECT 0", &note_));
    EXPECT_FALSE(Selects("SELECT Form = \"Memo\" & @IsResponseDoc", &note_));
    note_.response = true;
    EXPECT_TRUE(Selects("SELECT Form = \"Memo\" & @IsResponseDoc", &note_));
    EXPECT_TRUE(Selects("kind := Form; SELECT kind = \"Memo\"; \"value\"", &note_));
    EXPECT_FALSE(Selects("SELECT 0; 1", &note_)); // SELECT decides, not the last value
}

TEST_F(FormulaSelect, WithoutSelectTheValueDecides) {
    EXPECT_TRUE(Selects("1 + 1 = 2", &note_));
    EXPECT_FALSE(Selects("1 = 2", &note_));
    EXPECT_FALSE(Selects("\"text\"", &note_));
}

TEST_F(FormulaSelect, ASelectionMustBeANumber) {
    EXPECT_EQ(Status("SELECT \"yes\""), ERR_FORMULA_TYPE);
    EXPECT_EQ(Status("SELECT Nowhere"), ERR_FORMULA_TYPE);
}

TEST_F(FormulaSelect, WithoutADocument) {
    EXPECT_TRUE(Selects("SELECT @All", nullptr));
    Value v;
    EXPECT_EQ(Run("\"a\" + @Text(1)", nullptr, &v), NOERROR);
    EXPECT_EQ(Run("@If(1; \"a\"; Subject)", nullptr, &v), NOERROR); // the field is never read
    EXPECT_EQ(Run("SELECT Form = \"Memo\"", nullptr, &v), ERR_FORMULA_NEEDS_NOTE);
    EXPECT_NE(formula::LastErrorText().find("Field Form needs a document"), std::string::npos);
    EXPECT_EQ(Run("@IsResponseDoc", nullptr, &v), ERR_FORMULA_NEEDS_NOTE);
    EXPECT_EQ(Run("@Created", nullptr, &v), ERR_FORMULA_NEEDS_NOTE);
    EXPECT_EQ(Run("@Modified", nullptr, &v), ERR_FORMULA_NEEDS_NOTE);
}

} // namespace
} // namespace nnotes::testing
