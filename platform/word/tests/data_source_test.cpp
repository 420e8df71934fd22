// The merge data file and the merge field instruction: how titles, records and switches are read.

#include "data_source.h"
#include "field_evaluation.h"
#include "merge_field.h"
#include "word.h"

#include <gtest/gtest.h>

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

TEST(MergeFieldInstruction, WrittenInstructionsReadBack) {
    for (const char* name : {"Town", "Post Code", "Odd\"Name\\"}) {
        std::optional<MergeField> field = ParseMergeField(MergeFieldInstruction(name));
        ASSERT_TRUE(field) << name;
        EXPECT_EQ(field->name, name);
    }
}

} // namespace
} // namespace word
