// The merge data file and the merge field instruction: how titles, records and switches are read.

#include "data_source.h"
#include "field_evaluation.h"
#include "merge_field.h"
#include "word/word.h"

#include <gtest/gtest.h>
#include <tuple>

namespace word {
namespace {

TEST(DataSource, TitlesAndRecordsFromCrLfLines) {
    DataSource data = DataSource::Parse("\xEF\xBB\xBF"
                                        "First Name\tTown\r\nAnn\tLeeds\r\nBo\r\n\t\r\n",
                                        "d");
    EXPECT_EQ(data.Titles(), (std::vector<std::string>{"First Name", "Town"}));
    ASSERT_EQ(data.RecordCount(), 3u);
    EXPECT_EQ(data.Value(0, 1), "Leeds");
    EXPECT_EQ(data.Value(1, 0), "Bo");
    EXPECT_EQ(data.Value(1, 1), ""); // a short record has empty values at its end
    EXPECT_EQ(data.Value(2, 0), "");
}

TEST(DataSource, LoneLineEndsInsideCrLfLinesBelongToTheValue) {
    DataSource data = DataSource::Parse("a\r\nline one\nline two\rthree\r\n", "d");
    ASSERT_EQ(data.RecordCount(), 1u);
    EXPECT_EQ(data.Value(0, 0), "line one\nline two\rthree");
    EXPECT_EQ(DataSource::Parse("a\nx\ny", "d").RecordCount(), 2u); // a file without CR LF splits at LF
}

// Data files from other programs: Windows-1252 bytes, UTF-16 with a byte-order mark, CR-only line ends.
TEST(DataSource, EncodingsAndLineEndsOfOtherProgramsAreRead) {
    DataSource cp1252 = DataSource::Parse("Nom\tVille\r\nJos\xE9\tK\xF6ln \x80\r\n", "d");
    EXPECT_EQ(cp1252.Value(0, 0), "José");
    EXPECT_EQ(cp1252.Value(0, 1), "Köln €");
    // Valid UTF-8 stays, the odd byte among it is taken as Windows-1252.
    EXPECT_EQ(DataSource::Parse("a\r\n\xC3\xA9t\xE9\r\n", "d").Value(0, 0), "été");

    const auto utf16 = [](const std::u16string& text, bool bigEndian) {
        std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (char16_t unit : text) {
            char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
            bytes += bigEndian ? std::string{high, low} : std::string{low, high};
        }
        return bytes;
    };
    for (bool bigEndian : {false, true}) {
        DataSource data =
            DataSource::Parse(utf16(u"First Name\tTown\r\nZo\u00EB\t\U0001F600\r\n", bigEndian), "d");
        EXPECT_EQ(data.Titles(), (std::vector<std::string>{"First Name", "Town"}));
        EXPECT_EQ(data.FindColumn("First_Name"), 0u);
        EXPECT_EQ(data.Value(0, 0), "Zoë");
        EXPECT_EQ(data.Value(0, 1), "\xF0\x9F\x98\x80");
    }

    DataSource cr = DataSource::Parse("a\tb\rx\ty\rz\r", "d");
    EXPECT_EQ(cr.Titles(), (std::vector<std::string>{"a", "b"}));
    ASSERT_EQ(cr.RecordCount(), 2u);
    EXPECT_EQ(cr.Value(0, 1), "y");
    EXPECT_EQ(cr.Value(1, 0), "z");
}

// Some programs write UTF-16 without a byte-order mark: the NUL bytes of the header line tell it, in
// either byte order. A header that holds NUL bytes in any other way names the encoding as the problem.
TEST(DataSource, Utf16WithoutAByteOrderMarkIsRecognisedByItsHeaderLine) {
    const auto utf16 = [](const std::u16string& text, bool bigEndian) {
        std::string bytes;
        for (char16_t unit : text) {
            char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
            bytes += bigEndian ? std::string{high, low} : std::string{low, high};
        }
        return bytes;
    };
    for (bool bigEndian : {false, true}) {
        for (const std::u16string text : {u"Title\tStra\u00DFe\r\nDr\t\u0130stiklal \U0001F600\r\n",
                                          u"Title\tStra\u00DFe\nDr\t\u0130stiklal \U0001F600"}) {
            DataSource data = DataSource::Parse(utf16(text, bigEndian), "d");
            EXPECT_EQ(data.Titles(), (std::vector<std::string>{"Title", "Stra\u00DFe"})) << bigEndian;
            ASSERT_EQ(data.RecordCount(), 1u);
            EXPECT_EQ(data.Value(0, 0), "Dr");
            EXPECT_EQ(data.Value(0, 1), "\u0130stiklal \U0001F600");
        }
        EXPECT_EQ(DataSource::Parse(utf16(u"a", bigEndian), "d").Titles(), std::vector<std::string>{"a"});
    }
    for (const std::string& content :
         {std::string("T\0\0\0i\0\0\0\r\0\0\0\n\0\0\0", 16), std::string("Title\0\tTown\r\nx\ty\r\n", 18)}) {
        try {
            DataSource::Parse(content, "/tmp/mm3.tmp");
            ADD_FAILURE() << "parsed a header with NUL bytes";
        } catch (const AutomationError& e) {
            EXPECT_NE(std::string(e.what()).find("/tmp/mm3.tmp"), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("encoding"), std::string::npos) << e.what();
        }
    }
}

TEST(DataSource, ColumnsAreFoundByTitleWithUnderscoresForSpacesIgnoringCase) {
    DataSource data = DataSource::Parse("First Name\tpost_code\tFirst_Name\r\n", "d");
    EXPECT_EQ(data.FindColumn("first_name"), 0u);
    EXPECT_EQ(data.FindColumn("First Name"), 0u);
    EXPECT_EQ(data.FindColumn("POST CODE"), 1u);
    EXPECT_EQ(data.FindColumn("Town"), std::nullopt);
}

TEST(DataSource, FaultsNameTheFile) {
    for (const char* content : {"", "\r\n", "a\tb\r\nx\ty\tz\r\n"}) {
        try {
            DataSource::Parse(content, "/tmp/mm1.tmp");
            ADD_FAILURE() << "parsed " << content;
        } catch (const AutomationError& e) {
            EXPECT_NE(std::string(e.what()).find("/tmp/mm1.tmp"), std::string::npos) << e.what();
        }
    }
    EXPECT_THROW(DataSource::ReadFile("/nonexistent/mm2.tmp"), AutomationError);
}

TEST(DataSource, HeaderRecordNamesAreSeparatedByCommas) {
    DataSource data = DataSource::FromHeaderRecord("Name,Post_Code");
    EXPECT_EQ(data.Titles(), (std::vector<std::string>{"Name", "Post_Code"}));
    EXPECT_EQ(data.RecordCount(), 0u);
}

TEST(MergeFieldInstruction, NameAndSwitches) {
    std::optional<MergeField> field = ParseMergeField(
        "  mergefield  \"Last \\\"Name\\\"\"  \\b \"Dear \" \\f\t\"!\" \\*Upper \\* MERGEFORMAT \\m");
    ASSERT_TRUE(field);
    EXPECT_EQ(field->name, "Last \"Name\"");
    EXPECT_EQ(field->textBefore, "Dear ");
    EXPECT_EQ(field->textAfter, "!");
    EXPECT_EQ(field->Apply("smith"), "Dear SMITH!");
    EXPECT_EQ(field->Apply(""), ""); // \b and \f text only around a value
    EXPECT_FALSE(ParseMergeField(" PAGE \\* MERGEFORMAT "));
    EXPECT_FALSE(ParseMergeField(""));
    EXPECT_THROW(ParseMergeField("MERGEFIELD"), AutomationError);
    EXPECT_THROW(ParseMergeField("MERGEFIELD \\* Upper"), AutomationError);
}

TEST(MergeFieldInstruction, CaseSwitches) {
    const auto apply = [](const char* format, const char* value) {
        return ParseMergeField(std::string("MERGEFIELD a \\* ") + format)->Apply(value);
    };
    EXPECT_EQ(apply("Upper", "élan ñu"), "ÉLAN ÑU");
    EXPECT_EQ(apply("Lower", "ÉLAN McKay"), "élan mckay");
    EXPECT_EQ(apply("Caps", "mary  o'neil\tjones"), "Mary  O'neil\tJones");
    EXPECT_EQ(apply("FirstCap", "  mary jones"), "  Mary jones");
    EXPECT_EQ(apply("CHARFORMAT", "Mary"), "Mary");
}

// IF compares numbers as numbers and other texts character by character, with wildcards for = and <>.
TEST(MergeFieldInstruction, IfComparisons) {
    DataSource data = DataSource::FromHeaderRecord("a");
    std::vector<size_t> columns;
    const auto result = [&](const std::string& comparison) {
        std::optional<MergeField> field = ParseMergeField("IF " + comparison + " \"yes\" \"no\"");
        return Evaluate(*field, MergeState{data, columns, 0, 1});
    };
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"10 > 9", "yes"},
        {"\"10\" > \"9\"", "yes"},
        {"1,000 = 1000.00", "yes"},
        {"-2.5 < -2", "yes"},
        {"abc < abd", "yes"},
        {"b <= a", "no"},
        {"Smith = \"Sm*\"", "yes"},
        {"Smith = \"S?ith\"", "yes"},
        {"Smith = smith", "no"},
        {"Jones <> \"J?nes\"", "no"},
        {"\"\" = \"\"", "yes"},
        {"x >= x", "yes"},
        {"0", "no"},
        {"x", "yes"},
        {"\"\"", "no"},
    };
    for (const auto& [comparison, expected] : cases)
        EXPECT_EQ(result(comparison), expected) << comparison;
    EXPECT_EQ(Evaluate(*ParseMergeField("IF 1 = 1 yes no \\* Upper"), MergeState{data, columns, 0, 1}),
              "YES");
}

TEST(MergeFieldInstruction, NumericPictures) {
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"1234.5", "#,##0.00", "1,234.50"},
        {"1234567.891", "#,##0.00", "1,234,567.89"},
        {"5", "#,##0.00", "   5.00"},
        {"2.675", "0.00", "2.68"},
        {"0.125", "0.00", "0.13"},
        {"-1234.5", "#,##0.00", "-1,234.50"},
        {"-42", "0;(0)", "(42)"},
        {"0", "0.0;-0.0;'none'", "none"},
        {"7", "-0", " 7"},
        {"7", "+0", "+7"},
        {"-7", "+0", "-7"},
        {"1234", "$#,##0", "$1,234"},
        {"98765", "x00", "765"},
        {"12", "000", "012"},
        {"12.5", "0 'kg'", "13 kg"},
        {"1,500", "0.0", "1500.0"},
        {"twelve", "0.00", "twelve"},
        {"12 apples", "0.00", "12 apples"},
    };
    for (const auto& [value, picture, expected] : cases) {
        std::optional<MergeField> field = ParseMergeField("MERGEFIELD a \\# \"" + picture + "\"");
        ASSERT_TRUE(field);
        EXPECT_EQ(field->Apply(value), expected) << value << " with " << picture;
    }
    EXPECT_EQ(ParseMergeField("MERGEFIELD a \\#0.0")->Apply("3"), "3.0");
}

TEST(MergeFieldInstruction, DatePictures) {
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"2024-03-01", "d MMMM yyyy", "1 March 2024"},
        {"2024-03-01", "dddd, dd/MM/yy", "Friday, 01/03/24"},
        {"03/01/2024", "MMM d, yyyy", "Mar 1, 2024"},
        {"01.03.2024", "yyyy-MM-dd", "2024-03-01"},
        {"2024-03-01T14:05:09", "h:mm:ss am/pm", "2:05:09 pm"},
        {"2024-03-01 00:30", "HH:mm AM/PM 'on' ddd", "00:30 AM on Fri"},
        {"03/01/2024 02:30 PM", "H:mm", "14:30"},
        {"2000-02-29", "d MMM yyyy", "29 Feb 2000"},
        {"1900-02-29", "d MMM yyyy", "1900-02-29"},
        {"2024-13-01", "d MMMM yyyy", "2024-13-01"},
        {"next Tuesday", "d MMMM yyyy", "next Tuesday"},
    };
    for (const auto& [value, picture, expected] : cases) {
        std::optional<MergeField> field = ParseMergeField("MERGEFIELD a \\@ \"" + picture + "\"");
        ASSERT_TRUE(field);
        EXPECT_EQ(field->Apply(value), expected) << value << " with " << picture;
    }
    // Pictures apply before the case and the texts around a value.
    EXPECT_EQ(ParseMergeField("MERGEFIELD a \\@ \"MMMM\" \\* Upper \\b \"in \"")->Apply("2024-03-01"),
              "in MARCH");
}

TEST(MergeFieldInstruction, WrittenInstructionsReadBack) {
    for (const char* name : {"Town", "Post Code", "Odd\"Name\\"}) {
        std::optional<MergeField> field = ParseMergeField(MergeFieldInstruction(name));
        ASSERT_TRUE(field) << name;
        EXPECT_EQ(field->name, name);
    }
}

} // namespace
} // namespace word
