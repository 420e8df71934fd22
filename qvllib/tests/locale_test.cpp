// The library in a program that runs in the user's locale, as a desktop's toolkit makes it run: numbers
// come out with the decimal separator of the Notes settings, never with the locale's, in the values of
// number items and in the texts that the formulas of views make of numbers while the program runs.
#include "libfixture.h"
#include "testsupport/child_program.h"

#include <clocale>
#include <sys/wait.h>

namespace qvltest {
namespace {

// Switches the program's numbers to a locale made for the test (LOCPATH) and back again.
class InLocale {
public:
    InLocale(const std::string& folder, const std::string& name) {
        const char* path = std::getenv("LOCPATH");
        hadPath_ = path != nullptr;
        if (hadPath_) previousPath_ = path;
        previous_ = std::setlocale(LC_NUMERIC, nullptr);
        setenv("LOCPATH", folder.c_str(), 1);
        entered_ = std::setlocale(LC_NUMERIC, name.c_str()) != nullptr;
    }
    ~InLocale() {
        std::setlocale(LC_NUMERIC, previous_.c_str());
        if (hadPath_)
            setenv("LOCPATH", previousPath_.c_str(), 1);
        else
            unsetenv("LOCPATH");
    }
    InLocale(const InLocale&) = delete;
    InLocale& operator=(const InLocale&) = delete;

    bool Entered() const { return entered_; }

private:
    std::string previous_, previousPath_;
    bool hadPath_ = false, entered_ = false;
};

using LocaleTest = LibraryTest;

TEST_F(LocaleTest, NumbersReadAlikeInALocaleWithADecimalComma) {
    const std::string locales = area_.Root() + "/locales";
    std::filesystem::create_directory(locales);
    testsupport::ChildProgram localedef("/usr/bin/localedef",
                                        {"-i", "de_DE", "-f", "ISO-8859-1", locales + "/de_DE.ISO-8859-1"});
    if (!localedef.Started() || localedef.Wait() != 0)
        GTEST_SKIP() << "no localedef to make de_DE.ISO-8859-1 with";

    Build(DataSourceDatabase(kServer, DataSource("Numbers", "numbers.nsf", "Numbers")));
    Build(R"json({"path": "numbers.nsf", "views": [{"name": "Numbers", "columns": [
        {"title": "Name", "item": "Name", "sorted": true}, {"title": "Score", "item": "Score"},
        {"title": "Text", "formula": "@If(MergeHistory = \"\"; @Text(Score + 0.25); @Text(Score + 0.75))"}]}],
      "documents": [{"Name": "Ann", "Score": 3.5}, {"Name": "Bob", "Score": -0.125}]})json");
    UseServer(kServer);
    ASSERT_EQ(LibOpen(), 1) << LastErrorText();
    {
        InLocale german(locales, "de_DE.ISO-8859-1");
        ASSERT_TRUE(german.Entered());
        char separator[8];
        std::snprintf(separator, sizeof separator, "%.1f", 0.5);
        ASSERT_STREQ(separator, "0,5") << "the locale has a decimal comma";

        ASSERT_EQ(DSOpen("Numbers"), 3);
        EXPECT_EQ(Row(3), "Ann|3.5|3.75");
        ASSERT_EQ(GotoNext(), 1);
        EXPECT_EQ(Row(3), "Bob|-0.125|0.125");
        // Saved while the program is in the locale: the view's formula is worked out again.
        UpdateDocument("MergeHistory", "letter", GetNoteID());
        ASSERT_EQ(DSOpen("Numbers"), 3);
        EXPECT_EQ(Row(3), "Ann|3.5|3.75");
        ASSERT_EQ(GotoNext(), 1);
        EXPECT_EQ(Row(3), "Bob|-0.125|0.625");
    }
    ASSERT_EQ(DSOpen("Numbers"), 3);
    EXPECT_EQ(Row(3), "Ann|3.5|3.75");
    ASSERT_EQ(GotoNext(), 1);
    EXPECT_EQ(Row(3), "Bob|-0.125|0.625");
}

} // namespace
} // namespace qvltest
