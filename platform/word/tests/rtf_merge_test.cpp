// Merging into RTF templates: fields with split instructions, formatting, escaping, one page per record,
// what the template keeps, and RTF that cannot be read.

#include "data_source.h"
#include "main_document.h"
#include "rtf_text.h"
#include "test_support.h"
#include "word/word.h"

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace word::test {
namespace {

std::string Field(const std::string& instruction, const std::string& result) {
    return "{\\field{\\*\\fldinst {" + instruction + "}}{\\fldrslt {" + result + "}}}";
}

std::string Merge(const std::string& body, const std::vector<std::vector<std::string>>& data) {
    return ReadRtfMainDocument(BuildRtf(body))->Merge(Data(DataFile(data), "data")).Join();
}

DocumentContent MergeAndRead(const std::string& body, const std::vector<std::vector<std::string>>& data) {
    return ReadRtfContent(Merge(body, data));
}

TEST(RtfMerge, FieldsWithSplitInstructionsBecomeValuesInTheResultFormatting) {
    std::string body =
        "\\sectd\\pard\\plain Dear " +
        std::string("{\\field{\\*\\fldinst {\\b MERGE}{FIELD }{First_}{Name}}{\\fldrslt {\\b\\i ") +
        "\\'abFirst_Name\\'bb}}}, welcome.\\par";
    std::string merged = Merge(body, {{"First Name"}, {"Ann"}});
    DocumentContent content = ReadRtfContent(merged);
    EXPECT_EQ(content.text, "Dear Ann, welcome.\n");
    EXPECT_TRUE(content.fields.empty());
    EXPECT_NE(merged.find("{\\b\\i \\uc1 Ann}"), std::string::npos);
}

TEST(RtfMerge, WithoutAResultTheFieldCodeFormattingIsUsed) {
    std::string merged = Merge("\\pard {\\field{\\*\\fldinst {\\ul MERGEFIELD a}}}\\par", {{"a"}, {"x"}});
    EXPECT_NE(merged.find("{\\ul \\uc1 x}"), std::string::npos);
    EXPECT_EQ(ReadRtfContent(merged).text, "x\n");
}

TEST(RtfMerge, OtherFieldsStay) {
    DocumentContent content =
        MergeAndRead("\\pard " + Field("PAGE", "1") + Field("MERGEFIELD a", "«a»") + "\\par", {{"a"}, {"x"}});
    EXPECT_EQ(content.text, "1x\n");
    EXPECT_EQ(content.fields, std::vector<std::string>{"PAGE"});
}

TEST(RtfMerge, SwitchesShapeTheValue) {
    std::string body =
        "\\pard " + Field("MERGEFIELD a \\\\* Upper", "") + "|" + Field("MERGEFIELD a \\\\* Lower", "") +
        "|" + Field("MERGEFIELD a \\\\* Caps \\\\* MERGEFORMAT", "") + "|" +
        Field("MERGEFIELD a \\\\* FirstCap", "") + "|" + Field("MERGEFIELD a \\\\b \"(\" \\\\f \")\"", "") +
        "|" + Field("MERGEFIELD b \\\\b \"(\" \\\\f \")\"", "") + "\\par";
    EXPECT_EQ(MergeAndRead(body, {{"a", "b"}, {"ömer de la cruz", ""}}).text,
              "ÖMER DE LA CRUZ|ömer de la cruz|Ömer De La Cruz|Ömer de la cruz|(ömer de la cruz)|\n");
}

// IF chooses between its texts by its comparison, with nested fields, for each record; SKIPIF leaves a
// record out; MERGEREC and MERGESEQ count the records of the data source and those merged. Every result
// is plain text: no field is left for a reader to show its cached result.
TEST(RtfMerge, IfSkipIfAndRecordNumbersAreEvaluatedPerRecord) {
    std::string title = "{\\field{\\*\\fldinst MERGEFIELD Title}{\\fldrslt \\'abTitle\\'bb}}";
    std::string body = "\\sectd\\pard " +
                       Field("IF " + title + " = \"Mr\" \"Dear Sir\" \"Dear " + title + " " +
                                 "{\\field{\\*\\fldinst MERGEFIELD Name}{\\fldrslt x}}\"",
                             "Dear Sir") +
                       ", " + Field("MERGEREC", "1") + "/" + Field("MERGESEQ", "1") +
                       Field("SKIPIF {\\field{\\*\\fldinst MERGEFIELD Skip}} = yes", "") + "\\par";
    DocumentContent content = MergeAndRead(
        body, {{"Title", "Name", "Skip"}, {"Mr", "Ash", "no"}, {"Ms", "Bell", "yes"}, {"Dr", "Cole", "no"}});
    EXPECT_EQ(Pages(content.text), (std::vector<std::string>{"Dear Sir, 1/1\n", "Dear Dr Cole, 3/2\n"}));
    EXPECT_TRUE(content.fields.empty());
}

// The program may run in the user's locale (the desktop's toolkit sets it), which the merge must not follow.
// Made with localedef in a folder of its own and entered for the life of the object; Entered() is false
// where the locale cannot be made.
class InLocale {
public:
    InLocale(const std::string& source, const std::string& charset) {
        folder_ = std::filesystem::temp_directory_path() / ("word-locales-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder_);
        const std::string name = source + "." + charset;
        const std::string make = "localedef -i " + source + " -f " + charset + " " +
                                 (folder_ / name).string() + " >/dev/null 2>&1";
        if (std::system(make.c_str()) != 0) return;
        const char* path = std::getenv("LOCPATH");
        hadPath_ = path != nullptr;
        if (hadPath_) previousPath_ = path;
        previous_ = std::setlocale(LC_ALL, nullptr);
        setenv("LOCPATH", folder_.c_str(), 1);
        entered_ = std::setlocale(LC_ALL, name.c_str()) != nullptr;
    }
    ~InLocale() {
        if (!previous_.empty()) std::setlocale(LC_ALL, previous_.c_str());
        if (hadPath_)
            setenv("LOCPATH", previousPath_.c_str(), 1);
        else
            unsetenv("LOCPATH");
        std::filesystem::remove_all(folder_);
    }
    InLocale(const InLocale&) = delete;
    InLocale& operator=(const InLocale&) = delete;
    bool Entered() const { return entered_; }

private:
    std::filesystem::path folder_;
    std::string previous_, previousPath_;
    bool hadPath_ = false, entered_ = false;
};

// In a locale with a decimal comma the numbers an IF compares are still read with their point.
TEST(RtfMerge, IfComparesNumbersWithAPointInALocaleWithADecimalComma) {
    InLocale german("de_DE", "ISO-8859-1");
    if (!german.Entered()) GTEST_SKIP() << "no localedef to make de_DE.ISO-8859-1 with";
    const std::string amount = "{\\field{\\*\\fldinst MERGEFIELD Amount}}";
    const std::string body = "\\pard " + Field("IF " + amount + " > 2.5 \"big\" \"small\"", "") + "|" +
                             Field("IF " + amount + " = 2.70 \"same\" \"other\"", "") + "\\par";
    EXPECT_EQ(Pages(MergeAndRead(body, {{"Amount"}, {"2.7"}, {"+2.25"}}).text),
              (std::vector<std::string>{"big|same\n", "small|other\n"}));
}

// In a Turkish locale the C library folds I to a dotless i: field names still match titles that differ from
// them in the case of ASCII letters alone.
TEST(RtfMerge, FieldNamesMatchTitlesOfOtherCaseInATurkishLocale) {
    InLocale turkish("tr_TR", "ISO-8859-9");
    if (!turkish.Entered()) GTEST_SKIP() << "no localedef to make tr_TR.ISO-8859-9 with";
    const std::string body =
        "\\pard " + Field("MERGEFIELD CITY", "") + "|" + Field("mergefield City", "") + "\\par";
    EXPECT_EQ(MergeAndRead(body, {{"city"}, {"Izmir"}}).text, "Izmir|Izmir\n");
}

// NEXT puts the next record on the same page (labels, lists); NEXTIF does when its comparison holds.
// Past the last record the fields are empty.
TEST(RtfMerge, NextAndNextIfTakeFurtherRecordsIntoACopy) {
    std::string name = Field("MERGEFIELD Name", "");
    std::string body = "\\sectd\\pard " + name + Field("NEXT", "") + "|" + name +
                       Field("NEXTIF {\\field{\\*\\fldinst MERGEFIELD Town}} = Leeds", "") + "|" + name +
                       "\\par";
    DocumentContent content = MergeAndRead(
        body, {{"Name", "Town"}, {"A", "York"}, {"B", "Leeds"}, {"C", "York"}, {"D", "Hull"}, {"E", "Hull"}});
    EXPECT_EQ(Pages(content.text), (std::vector<std::string>{"A|B|C\n", "D|E|E\n"}));
    DocumentContent past = MergeAndRead(body, {{"Name", "Town"}, {"A", "x"}, {"B", "Leeds"}});
    EXPECT_EQ(Pages(past.text), (std::vector<std::string>{"A|B|\n"}));
}

TEST(RtfMerge, FieldNamesMatchTitlesWithUnderscoresForSpacesIgnoringCase) {
    std::string body =
        "\\pard " + Field("MERGEFIELD POST_code", "") + "/" + Field("MERGEFIELD \"Post Code\"", "") + "\\par";
    EXPECT_EQ(MergeAndRead(body, {{"Post Code"}, {"LS1"}}).text, "LS1/LS1\n");
}

TEST(RtfMerge, ValuesAreEscaped) {
    std::string value =
        "{brace} back\\slash \\par line\nbreak\r\xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80";
    std::string merged = Merge("\\pard " + Field("MERGEFIELD a", "") + "\\par", {{"a"}, {value}});
    EXPECT_EQ(ReadRtfContent(merged).text,
              "{brace} back\\slash \\par line\vbreak\v\xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\n");
    EXPECT_NE(merged.find("\\{brace\\} back\\\\slash \\\\par line\\line break\\line \\u233?t\\u233? \\u8364? "
                          "\\u-10179?\\u-8704?"),
              std::string::npos);
    for (char c : merged)
        EXPECT_LT(static_cast<unsigned char>(c), 0x80);
}

// A TAB separates values in the data file, so tabs reach the writer only from elsewhere; it writes them
// as \tab all the same.
TEST(RtfMerge, TextWriterWritesTabsAndDropsControlCharacters) {
    std::string rtf;
    EncodeRtfText("a\tb\x01\x7F"
                  "c",
                  rtf);
    EXPECT_EQ(rtf, "a\\tab b"
                   "c");
    EXPECT_EQ(ReadRtfContent(BuildRtf("\\pard " + rtf + "\\par")).text, "a\tbc\n");
}

TEST(RtfMerge, LongValuesArriveWhole) {
    std::string value;
    for (int i = 0; i < 7000; ++i)
        value += "{\\}\xC3\xA9"
                 "abcde";
    ASSERT_EQ(value.size(), 70000u);
    EXPECT_EQ(MergeAndRead("\\pard " + Field("MERGEFIELD a", "") + "\\par", {{"a"}, {value}}).text,
              value + "\n");
}

TEST(RtfMerge, EachRecordStartsANewPageInRecordOrder) {
    std::string body = "\\sectd\\pard\\plain Dear " + Field("MERGEFIELD a", "") + "\\par Regards\\par";
    EXPECT_EQ(Pages(MergeAndRead(body, {{"a"}, {"A"}, {"B"}, {"C"}}).text),
              (std::vector<std::string>{"Dear A\nRegards\n", "Dear B\nRegards\n", "Dear C\nRegards\n"}));
}

// Word processors save the first section as continuous (it follows nothing); repeated per record, that
// would run the records together. Even- and odd-page breaks are left out too: one page per record.
TEST(RtfMerge, EachRecordStartsANewPageWhateverBreakTheFirstSectionCarries) {
    for (std::string kind : {"\\sbknone", "\\sbkcol", "\\sbkodd", "\\sbkeven"}) {
        std::string body = "\\sectd" + kind + "\\pgndec\\pard\\plain Dear " + Field("MERGEFIELD a", "") +
                           "\\par\\sect\\sectd\\sbknone\\pard Second section\\par";
        std::string merged = Merge(body, {{"a"}, {"A"}, {"B"}});
        EXPECT_EQ(Pages(ReadRtfContent(merged).text),
                  (std::vector<std::string>{"Dear A\nSecond section\n", "Dear B\nSecond section\n"}))
            << kind;
        // Only the second sections, which follow the first on its page, keep a continuous break.
        size_t kept = 0;
        for (size_t at = merged.find(kind); at != std::string::npos; at = merged.find(kind, at + 1))
            ++kept;
        EXPECT_EQ(kept, kind == "\\sbknone" ? 2u : 0u) << kind;
    }
}

TEST(RtfMerge, PageSetupStylesHeadersAndFootersAreKept) {
    std::string body = "\\sectd{\\header \\pard Acme Ltd\\par}{\\footer \\pard Page " + Field("PAGE", "1") +
                       "\\par}\\pard\\plain " + Field("MERGEFIELD a", "") + "\\par";
    DocumentContent content = MergeAndRead(body, {{"a"}, {"A"}, {"B"}});
    EXPECT_EQ(content.text, "A\n\fB\n");
    EXPECT_EQ(content.pageWidth, 11906);
    EXPECT_EQ(content.pageHeight, 16838);
    EXPECT_EQ(content.styles, (std::vector<std::string>{"Normal", "Greeting"}));
    EXPECT_EQ(content.headersAndFooters,
              (std::vector<std::string>{"Acme Ltd\n", "Page 1\n", "Acme Ltd\n", "Page 1\n"}));
}

TEST(RtfMerge, BodyTextRightAfterTheHeaderIsKept) {
    EXPECT_EQ(
        MergeAndRead("\\f0\\fs24 Hello " + Field("MERGEFIELD a", "") + "\\par", {{"a"}, {"A"}, {"B"}}).text,
        "Hello A\n\fHello B\n");
}

TEST(RtfMerge, MailMergeSettingsAreLeftOut) {
    std::string merged = ReadRtfMainDocument("{\\rtf1\\ansi{\\*\\mailmerge{\\*\\mmdatasource x.txt}}\\pard " +
                                             Field("MERGEFIELD a", "") + "\\par}")
                             ->Merge(Data(DataFile({{"a"}, {"A"}}), "d"))
                             .Join();
    EXPECT_EQ(merged.find("mailmerge"), std::string::npos);
    EXPECT_EQ(ReadRtfContent(merged).text, "A\n");
}

// As some programs write them: a tab between the words of an instruction, a byte-order mark first.
TEST(RtfMerge, TabsInInstructionsAndAByteOrderMarkAreRead) {
    std::string rtf =
        "\xEF\xBB\xBF" + BuildRtf("\\pard " + Field("MERGEFIELD\\tab Postcode", "\\'abPostcode\\'bb") + " " +
                                  Field("MERGEFIELD\\tab Town\\tab \\\\* Upper", "") + "\\par");
    EXPECT_EQ(DetectFormat(rtf, "letter.rtf"), DocumentFormat::Rtf);
    std::string merged =
        ReadRtfMainDocument(rtf)->Merge(Data(DataFile({{"Postcode", "Town"}, {"LS1", "Leeds"}}), "d")).Join();
    DocumentContent content = ReadRtfContent(merged);
    EXPECT_EQ(content.text, "LS1 LEEDS\n");
    EXPECT_TRUE(content.fields.empty());
    EXPECT_EQ(ReadRtfContent(rtf).fields[0], "MERGEFIELD\tPostcode");
}

TEST(RtfMerge, UnicodeAndCodePageTextInTemplatesIsRead) {
    std::string body = "\\pard \\uc2\\u8364\\'80\\'80 \\'80 " + Field("MERGEFIELD \\'e9t\\'e9", "") + "\\par";
    EXPECT_EQ(MergeAndRead(body, {{"été"}, {"x"}}).text, "€ € x\n");
}

// Fields nested in fields are read once each, however deep.
TEST(RtfMerge, NestedFieldsAreReadInOnePass) {
    std::string open, close;
    for (int i = 0; i < 100000; ++i) {
        open += "{\\field{\\*\\fldinst {IF 1 = 1 ";
        close += "}}{\\fldrslt {y}}}";
    }
    std::string body = "\\pard " + open + Field("MERGEFIELD a", "") + close + "\\par";
    EXPECT_EQ(MergeAndRead(body, {{"a"}, {"x"}}).text, "y\n");
}

TEST(RtfMerge, DeepNestingNeedsNoDeepStack) {
    const size_t depth = 200000;
    std::string body =
        "\\pard " + std::string(depth, '{') + Field("MERGEFIELD a", "") + std::string(depth, '}') + "\\par";
    EXPECT_EQ(MergeAndRead(body, {{"a"}, {"x"}, {"y"}}).text, "x\n\fy\n");
}

TEST(RtfMerge, UnreadableRtfIsAnAutomationErrorNamingTheFault) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"plain text", "not RTF"},
        {"{\\rtf1 {\\b unclosed", "unclosed group"},
        {"{\\rtf1 text}}", ""},
        {"{\\rtf1 \\'4", "\\'hh"},
        {"{\\rtf1 \\bin99 abc}", "\\bin"},
        {"{\\rtf1 \\fs99999999999 x}", "number"},
        {"{\\rtf1 \\", "backslash"},
        {"{\\rtf1 " + Field("MERGEFIELD \\\\* Upper", "") + "}", "names no field"},
    };
    for (const auto& [rtf, fault] : cases) {
        if (fault.empty()) {
            EXPECT_NO_THROW(ReadRtfMainDocument(rtf)) << rtf; // what follows the outer group is ignored
            continue;
        }
        try {
            ReadRtfMainDocument(rtf);
            ADD_FAILURE() << "read " << rtf;
        } catch (const AutomationError& e) {
            EXPECT_NE(std::string(e.what()).find(fault), std::string::npos) << e.what();
        }
    }
}

TEST(RtfMerge, AFieldNamingNoColumnIsAnErrorNamingIt) {
    try {
        Merge("\\pard " + Field("MERGEFIELD Shoe_Size", "") + "\\par", {{"a"}, {"x"}});
        FAIL() << "merged with an unknown field";
    } catch (const AutomationError& e) {
        EXPECT_NE(std::string(e.what()).find("Shoe_Size"), std::string::npos);
    }
}

} // namespace
} // namespace word::test
