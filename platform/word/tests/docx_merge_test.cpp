// Merging into DOCX templates: field forms, formatting, escaping, one page per record, what the template
// keeps, and templates that cannot be read.

#include "data_source.h"
#include "docx_text.h"
#include "main_document.h"
#include "test_support.h"
#include "util/coding.h"
#include "word/word.h"

#include <pugixml.hpp>
#include <set>
#include <tuple>

namespace word::test {
namespace {

const std::string kSimpleField =
    "<w:fldSimple w:instr=\" MERGEFIELD First_Name \"><w:r><w:rPr><w:b/></w:rPr><w:t>«First_Name»</w:t></w:r>"
    "</w:fldSimple>";

std::string Paragraph(const std::string& runs) {
    return "<w:p>" + runs + "</w:p>";
}
std::string TextRun(const std::string& text) {
    return "<w:r><w:t xml:space=\"preserve\">" + text + "</w:t></w:r>";
}

// A complex field with its instruction and result spread over several runs, as Word writes after edits.
std::string ComplexField(const std::vector<std::string>& instructionPieces,
                         const std::string& resultProperties) {
    std::string runs = "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r>";
    for (const std::string& piece : instructionPieces)
        runs += "<w:r><w:instrText xml:space=\"preserve\">" + piece + "</w:instrText></w:r>";
    runs += "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>";
    runs += "<w:r><w:rPr>" + resultProperties + "</w:rPr><w:t>«</w:t></w:r>";
    runs += "<w:r><w:rPr>" + resultProperties + "</w:rPr><w:t>field»</w:t></w:r>";
    return runs + "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>";
}

DocumentContent Merge(const DocxTemplate& docx, const std::vector<std::vector<std::string>>& data) {
    std::string merged = ReadDocxMainDocument(BuildDocx(docx))->Merge(Data(DataFile(data), "data")).Join();
    return ReadDocxContent(merged);
}

TEST(DocxMerge, SimpleAndComplexFieldsBecomeValuesInTheResultFormatting) {
    DocxTemplate docx;
    docx.body =
        Paragraph(TextRun("Dear ") + kSimpleField + TextRun(" of ") +
                  ComplexField({" MERGE", "FIELD  Town ", "\\* MERGEFORMAT "}, "<w:i/>") + TextRun("."));
    std::string merged = ReadDocxMainDocument(BuildDocx(docx))
                             ->Merge(Data(DataFile({{"First Name", "Town"}, {"Ann", "Leeds"}}), "d"))
                             .Join();
    DocumentContent content = ReadDocxContent(merged);
    EXPECT_EQ(content.text, "Dear Ann of Leeds.\n");
    EXPECT_TRUE(content.fields.empty());

    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(DocumentPart(merged).c_str()));
    pugi::xml_node ann = document.select_node("//w:t[text()='Ann']").node();
    EXPECT_TRUE(ann.parent().child("w:rPr").child("w:b"));
    pugi::xml_node leeds = document.select_node("//w:t[text()='Leeds']").node();
    EXPECT_TRUE(leeds.parent().child("w:rPr").child("w:i"));
}

// Some programs write a field's characters into the runs of the text around it.
TEST(DocxMerge, TextSharingARunWithAFieldIsKept) {
    DocxTemplate docx;
    docx.body = Paragraph(
        "<w:r><w:rPr><w:i/></w:rPr><w:t xml:space=\"preserve\">Dear </w:t><w:fldChar "
        "w:fldCharType=\"begin\"/>"
        "<w:instrText xml:space=\"preserve\"> MERGEFIELD Title </w:instrText>"
        "<w:fldChar w:fldCharType=\"separate\"/><w:t>«Title»</w:t><w:fldChar w:fldCharType=\"end\"/>"
        "<w:t xml:space=\"preserve\"> and </w:t><w:fldChar w:fldCharType=\"begin\"/></w:r>"
        "<w:r><w:instrText>MERGEFIELD Name</w:instrText><w:fldChar w:fldCharType=\"end\"/>"
        "<w:t xml:space=\"preserve\"> friends</w:t><w:tab/><w:t>!</w:t></w:r>");
    std::string merged = ReadDocxMainDocument(BuildDocx(docx))
                             ->Merge(Data(DataFile({{"Title", "Name"}, {"Dr", "Bo"}, {"Ms", "Cy"}}), "d"))
                             .Join();
    EXPECT_EQ(Pages(ReadDocxContent(merged).text),
              (std::vector<std::string>{"Dear Dr and Bo friends\t!\n", "Dear Ms and Cy friends\t!\n"}));
    // The pieces of the split run keep its formatting.
    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(DocumentPart(merged).c_str()));
    for (const char* text : {"Dear ", " and "})
        EXPECT_TRUE(document.select_node((std::string("//w:r[w:t='") + text + "']/w:rPr/w:i").c_str()))
            << text;
}

// An IF with a nested MERGEFIELD, in runs as word processors write it, becomes the chosen text.
TEST(DocxMerge, IfFieldsWithNestedFieldsAreEvaluatedPerRecord) {
    const auto instruction = [](const std::string& text) {
        return "<w:r><w:instrText xml:space=\"preserve\">" + text + "</w:instrText></w:r>";
    };
    const std::string begin = "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r>";
    const std::string separate = "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>";
    const std::string end = "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>";
    const std::string title = begin + instruction(" MERGEFIELD Title ") + separate + TextRun("«Title»") + end;
    DocxTemplate docx;
    docx.body = Paragraph(begin + instruction("IF ") + title + instruction(" = \"Mr\" \"Dear Sir\" \"Dear ") +
                          title + instruction("\" \\* Upper") + separate +
                          "<w:r><w:rPr><w:b/></w:rPr><w:t>Dear Sir</w:t></w:r>" + end + TextRun("!"));
    docx.headerText = "<w:fldSimple w:instr=\"IF 1 = 1 Page\"><w:r><w:t>x</w:t></w:r></w:fldSimple>" +
                      TextRun(" ") +
                      "<w:fldSimple w:instr=\"MERGESEQ\"><w:r><w:t>1</w:t></w:r></w:fldSimple>";
    DocumentContent content = Merge(docx, {{"Title"}, {"Mr"}, {"Ms"}});
    EXPECT_EQ(Pages(content.text), (std::vector<std::string>{"DEAR SIR!\n", "DEAR MS!\n"}));
    EXPECT_TRUE(content.fields.empty());
    EXPECT_EQ(content.sections, (std::vector<std::vector<std::string>>{{"Page 1\n"}, {"Page 2\n"}}));
}

// Word writes the fields nested in an IF's instruction as simple fields: they are the IF's operands and
// texts, never values of their own.
TEST(DocxMerge, SimpleFieldsInAComplexFieldsInstructionAreNestedInIt) {
    const auto instruction = [](const std::string& text) {
        return "<w:r><w:instrText xml:space=\"preserve\">" + text + "</w:instrText></w:r>";
    };
    const auto simple = [](const std::string& instr) {
        return "<w:fldSimple w:instr=\"" + instr + "\"><w:r><w:t>\u00aba\u00bb</w:t></w:r></w:fldSimple>";
    };
    const std::string begin = "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r>";
    const std::string separate = "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>";
    const std::string end = "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>";
    const std::string inner =
        begin + instruction("IF ") + simple(" MERGEFIELD a ") + instruction(" = \"two\" \"two\" \"more: ") +
        simple(" MERGEFIELD a \\* Upper ") + instruction("\"") + separate + TextRun("two") + end;
    const std::string outer = begin + instruction("IF ") + begin + instruction(" MERGEFIELD a ") + separate +
                              TextRun("\u00aba\u00bb") + end + instruction(" &lt;&gt; \"one\" \"") + inner +
                              instruction("\" \"- one -\"") + separate + TextRun("- one -") + end;
    DocxTemplate docx;
    docx.body = Paragraph(TextRun("[") + outer + TextRun("]") + simple("MERGEFIELD a"));
    docx.headerText = begin + instruction("IF ") + simple("MERGEFIELD a") +
                      instruction(" = \"one\" \"1\" \"") + simple("MERGEFIELD a") + instruction("\"") +
                      separate + TextRun("1") + end;
    DocumentContent content = Merge(docx, {{"a"}, {"one"}, {"two"}, {"thr\u00e9e"}});
    EXPECT_EQ(Pages(content.text),
              (std::vector<std::string>{"[- one -]one\n", "[two]two\n", "[more: THR\u00c9E]thr\u00e9e\n"}));
    EXPECT_EQ(content.sections,
              (std::vector<std::vector<std::string>>{{"1\n"}, {"two\n"}, {"thr\u00e9e\n"}}));
    EXPECT_TRUE(content.fields.empty());

    // In a result, a simple field goes with the field whose result it is, or stays a field of its own
    // when that one is not merged.
    docx.body = Paragraph(begin + instruction("MERGEFIELD a") + separate + simple("MERGEFIELD a") + end +
                          begin + instruction("PAGE") + separate + simple("MERGEFIELD a") + end);
    docx.headerText.clear();
    EXPECT_EQ(Pages(Merge(docx, {{"a"}, {"x"}, {"y"}}).text), (std::vector<std::string>{"xx\n", "yy\n"}));
}

// Word writes the result of a field nested in another's instruction as instruction text; a field that is
// not merged (here a page number) gives its operand by that result.
TEST(DocxMerge, ResultsOfFieldsInAnInstructionAreItsInstructionText) {
    const auto instruction = [](const std::string& text) {
        return "<w:r><w:instrText xml:space=\"preserve\">" + text + "</w:instrText></w:r>";
    };
    const std::string begin = "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r>";
    const std::string separate = "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>";
    const std::string end = "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>";
    DocxTemplate docx;
    docx.body = Paragraph(begin + instruction(" IF ") + begin + instruction(" PAGE ") + separate +
                          instruction("7") + end + instruction(" = 7 \"seven ") + begin +
                          instruction(" MERGEFIELD a ") + separate + instruction("\u00aba\u00bb") + end +
                          instruction("\" \"other\" ") + separate + TextRun("seven") + end + TextRun("|"));
    EXPECT_EQ(Pages(Merge(docx, {{"a"}, {"A"}, {"B"}}).text),
              (std::vector<std::string>{"seven A|\n", "seven B|\n"}));
}

TEST(DocxMerge, OtherFieldsStayAsTheyAre) {
    DocxTemplate docx;
    docx.body =
        Paragraph("<w:fldSimple w:instr=\" PAGE \"><w:r><w:t>1</w:t></w:r></w:fldSimple>" + kSimpleField);
    DocumentContent content = Merge(docx, {{"First_Name"}, {"Bo"}});
    EXPECT_EQ(content.text, "1Bo\n");
    EXPECT_EQ(content.fields, std::vector<std::string>{" PAGE "});
}

TEST(DocxMerge, SwitchesShapeTheValue) {
    DocxTemplate docx;
    docx.body = Paragraph(ComplexField({"MERGEFIELD a \\* Upper"}, "") + TextRun("|") +
                          ComplexField({"MERGEFIELD a \\* Lower"}, "") + TextRun("|") +
                          ComplexField({"MERGEFIELD a \\* Caps"}, "") + TextRun("|") +
                          ComplexField({"MERGEFIELD a \\* FirstCap"}, "") + TextRun("|") +
                          ComplexField({"MERGEFIELD a \\b \"[\" \\f \"]\""}, "") + TextRun("|") +
                          ComplexField({"MERGEFIELD b \\b \"[\" \\f \"]\""}, ""));
    DocumentContent content = Merge(docx, {{"a", "b"}, {"élan vital", ""}});
    EXPECT_EQ(content.text, "ÉLAN VITAL|élan vital|Élan Vital|Élan vital|[élan vital]|\n");
}

TEST(DocxMerge, FieldNamesMatchTitlesWithUnderscoresForSpacesIgnoringCase) {
    DocxTemplate docx;
    docx.body = Paragraph(ComplexField({"MERGEFIELD post_CODE"}, "") + TextRun("/") +
                          ComplexField({"MERGEFIELD \"Post Code\""}, ""));
    EXPECT_EQ(Merge(docx, {{"Post Code"}, {"LS1"}}).text, "LS1/LS1\n");
}

TEST(DocxMerge, ValuesAreEscapedWithTabsAndLineBreaksAsMarkup) {
    DocxTemplate docx;
    docx.body = Paragraph(kSimpleField);
    std::string value = "a<b>&\"c\"  {x}\\ \vnext\nline\rthird\x01 \xE2\x82\xAC \xF0\x9F\x98\x80";
    std::string merged =
        ReadDocxMainDocument(BuildDocx(docx))->Merge(Data(DataFile({{"First_Name"}, {value}}), "d")).Join();
    EXPECT_EQ(ReadDocxContent(merged).text, "a<b>&\"c\"  {x}\\ \vnext\vline\vthird € 😀\n");
    std::string part = DocumentPart(merged);
    EXPECT_NE(part.find("<w:t xml:space=\"preserve\">a&lt;b&gt;&amp;\"c\"  {x}\\ </w:t><w:br/>"),
              std::string::npos);
}

// The data file cannot carry a TAB inside a value (it separates values), but every value goes through the
// same run writer, which turns tabs and CR LF into markup.
TEST(DocxMerge, RunContentWritesTabsAndLineBreaksAsMarkup) {
    std::string runs;
    EncodeRunContent("a\tb\r\nc\x7F", "w:", runs);
    EXPECT_EQ(runs, "<w:t xml:space=\"preserve\">a</w:t><w:tab/><w:t xml:space=\"preserve\">b</w:t><w:br/>"
                    "<w:t xml:space=\"preserve\">c</w:t>");
    DocxTemplate docx;
    docx.body = Paragraph("<w:r>" + runs + "</w:r>");
    EXPECT_EQ(ReadDocxContent(BuildDocx(docx)).text, "a\tb\vc\n");
}

// The program writes its data file in the system's ANSI code page: bytes that are not UTF-8 are letters.
TEST(DocxMerge, BytesInValuesThatAreNotUtf8AreTakenAsWindows1252) {
    DocxTemplate docx;
    docx.body = Paragraph(kSimpleField);
    DocumentContent content = Merge(docx, {{"First_Name"}, {"a\xFF\xC0z"}});
    EXPECT_EQ(content.text, "a\xC3\xBF\xC3\x80z\n");
}

TEST(DocxMerge, LongValuesArriveWhole) {
    DocxTemplate docx;
    docx.body = Paragraph(kSimpleField);
    std::string value(70000, 'x');
    for (size_t i = 0; i < value.size(); i += 1000)
        value[i] = '&';
    EXPECT_EQ(Merge(docx, {{"First_Name"}, {value}}).text, value + "\n");
}

TEST(DocxMerge, EachRecordStartsANewPageInRecordOrder) {
    DocxTemplate docx;
    docx.body = Paragraph(TextRun("Dear ") + kSimpleField) + Paragraph(TextRun("Regards"));
    docx.sectionProperties = "<w:type w:val=\"continuous\"/><w:pgSz w:w=\"11906\" w:h=\"16838\"/>";
    std::string merged = ReadDocxMainDocument(BuildDocx(docx))
                             ->Merge(Data(DataFile({{"First_Name"}, {"A"}, {"B"}, {"C"}}), "d"))
                             .Join();
    EXPECT_EQ(Pages(ReadDocxContent(merged).text),
              (std::vector<std::string>{"Dear A\nRegards\n", "Dear B\nRegards\n", "Dear C\nRegards\n"}));
    // The section breaks between the copies are next-page breaks: no continuous type survives.
    EXPECT_EQ(DocumentPart(merged).find("continuous"), std::string::npos);
}

TEST(DocxMerge, ACopyEndingInATableGetsABreakParagraph) {
    DocxTemplate docx;
    docx.body = "<w:tbl><w:tr><w:tc>" + Paragraph(kSimpleField) + "</w:tc></w:tr></w:tbl>";
    EXPECT_EQ(Pages(Merge(docx, {{"First_Name"}, {"A"}, {"B"}}).text),
              (std::vector<std::string>{"A\n\n", "B\n\n"}));
}

TEST(DocxMerge, PageSetupStylesHeadersAndFootersAreKept) {
    DocxTemplate docx;
    docx.body = Paragraph(kSimpleField);
    docx.headerText = "Acme Ltd";
    docx.footerText = "Page footer";
    DocumentContent content = Merge(docx, {{"First_Name"}, {"A"}, {"B"}});
    EXPECT_EQ(content.pageWidth, 11906);
    EXPECT_EQ(content.pageHeight, 16838);
    EXPECT_EQ(content.styles, (std::vector<std::string>{"Normal", "Greeting"}));
    EXPECT_EQ(content.headersAndFooters, (std::vector<std::string>{"Acme Ltd\n", "Page footer\n"}));
    // Every copy's section refers to the same header and footer.
    std::string merged = ReadDocxMainDocument(BuildDocx(docx))
                             ->Merge(Data(DataFile({{"First_Name"}, {"A"}, {"B"}}), "d"))
                             .Join();
    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(DocumentPart(merged).c_str()));
    EXPECT_EQ(document.select_nodes("//w:sectPr/w:headerReference[@r:id='rId2']").size(), 2u);
}

// Each record's pages carry its own header, footer and footnote values; the last record takes the
// template's own parts, to which the body's final section refers.
TEST(DocxMerge, FieldsInHeadersFootersAndFootnotesAreMergedPerRecord) {
    DocxTemplate docx;
    docx.body = Paragraph(TextRun("Dear ") + kSimpleField + "<w:r><w:footnoteReference w:id=\"2\"/></w:r>") +
                Paragraph("<w:pPr><w:sectPr><w:pgSz w:w=\"11906\" w:h=\"16838\"/></w:sectPr></w:pPr>") +
                Paragraph(TextRun("Second section"));
    docx.headerText = TextRun("To ") + ComplexField({"MERGEFIELD Last_Name"}, "<w:b/>");
    docx.footerText = "<w:fldSimple w:instr=\" MERGEFIELD Town \"><w:r><w:t>«Town»</w:t></w:r></w:fldSimple>";
    docx.firstHeaderText =
        "<w:fldSimple w:instr=\"MERGEFIELD First_Name\"><w:r><w:t>x</w:t></w:r></w:fldSimple>";
    docx.footnote = TextRun("Note for ") + ComplexField({"MERGEFIELD Last_Name"}, "");
    std::vector<std::vector<std::string>> records = {{"First Name", "Last Name", "Town"}};
    for (int count : {1, 2, 50}) {
        records.resize(1);
        for (int i = 1; i <= count; ++i)
            records.push_back({"F" + std::to_string(i), "L" + std::to_string(i), "T" + std::to_string(i)});
        std::string merged =
            ReadDocxMainDocument(BuildDocx(docx))->Merge(Data(DataFile(records), "d")).Join();
        DocumentContent content = ReadDocxContent(merged);
        ASSERT_EQ(Pages(content.text).size(), static_cast<size_t>(2 * count)) << count;
        // Two sections per record: the inner one and the one that ends the copy.
        ASSERT_EQ(content.sections.size(), static_cast<size_t>(2 * count)) << count;
        ASSERT_EQ(content.notes.size(), static_cast<size_t>(count));
        for (int i = 1; i <= count; ++i) {
            std::string n = std::to_string(i);
            EXPECT_EQ(Pages(content.text)[2 * (i - 1)], "Dear F" + n + "\n\n");
            EXPECT_EQ(content.sections[2 * (i - 1) + 1],
                      (std::vector<std::string>{"To L" + n + "\n", "T" + n + "\n", "F" + n + "\n"}))
                << count;
            EXPECT_EQ(content.notes[i - 1], "Note for L" + n + "\n");
        }
        // Every note reference finds its own note.
        pugi::xml_document document;
        ASSERT_TRUE(document.load_string(DocumentPart(merged).c_str()));
        std::set<std::string> ids;
        for (pugi::xpath_node reference : document.select_nodes("//w:footnoteReference"))
            ids.insert(reference.node().attribute("w:id").value());
        EXPECT_EQ(ids.size(), static_cast<size_t>(count));
    }
}

// Word processors offer to repair a document whose drawing or paragraph ids repeat.
TEST(DocxMerge, DrawingAndParagraphIdsAreUniqueInTheMergedDocument) {
    const std::string drawing = "<w:r><w:drawing><wp:inline><wp:extent cx=\"10\" cy=\"10\"/>"
                                "<wp:docPr id=\"7\" name=\"Picture 7\"/></wp:inline></w:drawing></w:r>";
    DocxTemplate docx;
    docx.body = "<w:p w14:paraId=\"1A2B3C4D\" w14:textId=\"77777777\">" + kSimpleField + drawing + "</w:p>" +
                "<w:p w14:paraId=\"0000AAAA\">" + TextRun("x") + "</w:p>";
    docx.headerText = "<w:fldSimple w:instr=\"MERGEFIELD First_Name\"><w:r><w:t>x</w:t></w:r></w:fldSimple>" +
                      std::string("<w:r><w:drawing><wp:anchor><wp:docPr id=\"3\" name=\"Logo\"/></wp:anchor>"
                                  "</w:drawing></w:r>");
    std::string merged = ReadDocxMainDocument(BuildDocx(docx))
                             ->Merge(Data(DataFile({{"First_Name"}, {"A"}, {"B"}, {"C"}}), "d"))
                             .Join();
    Package package = Package::Read(merged);
    std::multiset<std::string> drawingIds, paragraphIds;
    for (const std::string& name : package.Names()) {
        if (!name.ends_with(".xml") || name.find("word/") != 0) continue;
        pugi::xml_document part;
        ASSERT_TRUE(part.load_string(package.Find(name)->c_str())) << name;
        for (pugi::xpath_node node : part.select_nodes("//wp:docPr"))
            drawingIds.insert(node.node().attribute("id").value());
        for (pugi::xpath_node id : part.select_nodes("//@w14:paraId | //@w14:textId")) {
            paragraphIds.insert(id.attribute().value());
            EXPECT_EQ(std::string(id.attribute().value()).size(), 8u);
            EXPECT_LT(std::stoul(id.attribute().value(), nullptr, 16), 0x80000000u);
        }
    }
    EXPECT_EQ(drawingIds.size(), 6u); // a picture in each body copy and a logo in each header copy
    EXPECT_EQ(std::set<std::string>(drawingIds.begin(), drawingIds.end()).size(), drawingIds.size());
    EXPECT_EQ(paragraphIds.size(), 9u);
    EXPECT_EQ(std::set<std::string>(paragraphIds.begin(), paragraphIds.end()).size(), paragraphIds.size());
    EXPECT_EQ(Pages(ReadDocxContent(merged).text), (std::vector<std::string>{"A\nx\n", "B\nx\n", "C\nx\n"}));
}

TEST(DocxMerge, TheMergedDocumentIsNoMainDocumentAndCarriesNoBookmarks) {
    DocxTemplate docx;
    docx.body = Paragraph("<w:bookmarkStart w:id=\"0\" w:name=\"here\"/>" + kSimpleField +
                          "<w:bookmarkEnd w:id=\"0\"/>");
    docx.settings =
        "<w:zoom w:percent=\"100\"/><w:mailMerge><w:mainDocumentType w:val=\"formLetters\"/></w:mailMerge>";
    std::string merged = ReadDocxMainDocument(BuildDocx(docx))
                             ->Merge(Data(DataFile({{"First_Name"}, {"A"}, {"B"}}), "d"))
                             .Join();
    Package package = Package::Read(merged);
    EXPECT_EQ(package.Find("word/settings.xml")->find("mailMerge"), std::string::npos);
    EXPECT_NE(package.Find("word/settings.xml")->find("zoom"), std::string::npos);
    EXPECT_EQ(package.Find("word/document.xml")->find("bookmark"), std::string::npos);
}

// The word-processing namespace may be bound to any prefix; merged runs use the part's own.
TEST(DocxMerge, APartWithAnotherPrefixForTheNamespaceMerges) {
    Package package = Package::Read(BuildDocx({}));
    package.Set(
        "word/document.xml",
        "<?xml version=\"1.0\"?><x:document "
        "xmlns:x=\"http://schemas.openxmlformats.org/wordprocessingml/2006/"
        "main\"><x:body><x:p><x:fldSimple x:instr=\"MERGEFIELD a\"><x:r><x:rPr><x:b/></x:rPr><x:t>«a»</x:t>"
        "</x:r></x:fldSimple></x:p><x:sectPr/></x:body></x:document>");
    std::string merged =
        ReadDocxMainDocument(package.Write())->Merge(Data(DataFile({{"a"}, {"1 < 2"}, {"3"}}), "d")).Join();
    EXPECT_EQ(ReadDocxContent(merged).text, "1 < 2\n\f3\n");
    EXPECT_NE(DocumentPart(merged).find(
                  "<x:r><x:rPr><x:b/></x:rPr><x:t xml:space=\"preserve\">1 &lt; 2</x:t></x:r>"),
              std::string::npos);
}

// Many fields that never end, or merge fields inside merge fields, cost no more than reading them once.
TEST(DocxMerge, UnendedAndNestedFieldsAreReadInOnePass) {
    std::string runs;
    for (int i = 0; i < 100000; ++i)
        runs += "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r>";
    DocxTemplate unended;
    unended.body = Paragraph(kSimpleField) + Paragraph(runs);
    EXPECT_EQ(Merge(unended, {{"First_Name"}, {"x"}}).text, "x\n\n");

    std::string open, close;
    for (int i = 0; i < 20000; ++i) {
        open += "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText>MERGEFIELD "
                "a</w:instrText></w:r>"
                "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>";
        close += "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>";
    }
    DocxTemplate nested;
    nested.body = Paragraph(open + close);
    EXPECT_EQ(Merge(nested, {{"a"}, {"x"}}).text, "x\n");
}

TEST(DocxMerge, ABodyWithoutSectionPropertiesGetsTheDefaultPageAndItsBreaks) {
    Package package = Package::Read(BuildDocx({}));
    package.Set(
        "word/document.xml",
        "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>" +
            Paragraph(kSimpleField) + "</w:body></w:document>");
    std::string merged = ReadDocxMainDocument(package.Write())
                             ->Merge(Data(DataFile({{"First_Name"}, {"A"}, {"B"}}), "d"))
                             .Join();
    EXPECT_EQ(Pages(ReadDocxContent(merged).text), (std::vector<std::string>{"A\n", "B\n"}));
}

// Some operations of the XML library recurse once per level, so parts nested deeper than any real document
// are refused instead of risking the stack.
TEST(DocxMerge, NestingIsBounded) {
    const auto nested = [](int depth) {
        std::string open, close;
        for (int i = 0; i < depth; ++i) {
            open += "<w:sdt><w:sdtContent>";
            close += "</w:sdtContent></w:sdt>";
        }
        DocxTemplate docx;
        docx.body = Paragraph(open + kSimpleField + close);
        return docx;
    };
    EXPECT_EQ(Pages(Merge(nested(200), {{"First_Name"}, {"x"}, {"y"}}).text),
              (std::vector<std::string>{"x\n", "y\n"}));
    try {
        Merge(nested(100000), {{"First_Name"}, {"x"}});
        FAIL() << "merged a part nested 200,000 deep";
    } catch (const AutomationError& e) {
        EXPECT_NE(std::string(e.what()).find("word/document.xml nests elements more than 1000 deep"),
                  std::string::npos)
            << e.what();
    }
}

TEST(DocxMerge, TemplateProblemsAreAutomationErrors) {
    const auto read = [](const std::string& content) { ReadDocxMainDocument(content); };
    EXPECT_THROW(read("PK\x03\x04 not really a zip"), AutomationError);

    Package noTypes = Package::Read(BuildDocx({}));
    Package withoutTypes;
    for (const std::string& name : noTypes.Names())
        if (name != "[Content_Types].xml") withoutTypes.Set(name, *noTypes.Find(name));
    EXPECT_THROW(read(withoutTypes.Write()), AutomationError);

    Package broken = Package::Read(BuildDocx({}));
    broken.Set("word/document.xml", "<w:document><w:body><w:p></w:body>");
    EXPECT_THROW(read(broken.Write()), AutomationError);

    DocxTemplate spanning;
    spanning.body =
        "<w:p><w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText>MERGEFIELD a</w:instrText>"
        "</w:r></w:p><w:p><w:r><w:fldChar w:fldCharType=\"end\"/></w:r></w:p>";
    EXPECT_THROW(read(BuildDocx(spanning)), AutomationError);

    DocxTemplate nameless;
    nameless.body = Paragraph("<w:fldSimple w:instr=\" MERGEFIELD \\* Upper \"/>");
    EXPECT_THROW(read(BuildDocx(nameless)), AutomationError);
}

// Raises the size that the zip file states for an entry: in the central directory, and in the local header
// unless that leaves its sizes to a descriptor after the data.
void StateSize(std::string& zip, const std::string& name, std::uint32_t size) {
    for (const auto& [signature, sizeOffset, nameOffset] :
         {std::tuple{std::string("PK\x03\x04", 4), 22, 30},
          std::tuple{std::string("PK\x01\x02", 4), 24, 46}}) {
        for (size_t at = zip.find(signature); at != std::string::npos; at = zip.find(signature, at + 4)) {
            if (zip.compare(at + nameOffset, name.size(), name) != 0) continue;
            if (sizeOffset == 22 && (zip[at + 6] & 0x08)) continue;
            util::EncodeFixed32(zip.data() + at + sizeOffset, size);
        }
    }
}

// A part's stated size is checked before it is inflated: a few hundred kilobytes that unpack to hundreds of
// megabytes cost nothing. The sizes of a small part are raised in both of the zip file's headers.
TEST(DocxMerge, APartUnpackingToMoreThan256MiBIsRefusedBeforeItIsInflated) {
    Package package = Package::Read(BuildDocx({}));
    package.Set("word/media/image1.png", std::string(1000, 'x'));
    std::string zip = package.Write();
    StateSize(zip, "word/media/image1.png", 600u << 20);
    try {
        ReadDocxMainDocument(zip);
        FAIL() << "read a part of 600 MiB";
    } catch (const AutomationError& e) {
        EXPECT_NE(std::string(e.what()).find("word/media/image1.png unpacks to 600 MiB"), std::string::npos)
            << e.what();
    }
}

// Parsing XML costs several times its size, so a part that is parsed may unpack to 32 MiB, and all of them
// together to 64 MiB, far more than any real document holds; the XML parts are told by their names and,
// whatever their names, by how they start.
TEST(DocxMerge, XmlPartsAreCappedBeforeTheyAreInflated) {
    const auto refused = [](const std::string& zip, const std::string& expected) {
        try {
            ReadDocxMainDocument(zip);
            ADD_FAILURE() << "read a template whose XML is too large: " << expected;
        } catch (const AutomationError& e) {
            EXPECT_NE(std::string(e.what()).find(expected), std::string::npos) << e.what();
        }
    };
    std::string paragraphs;
    while (paragraphs.size() < (size_t{40} << 20))
        paragraphs += Paragraph(TextRun("The same words again and again, as a template four hundred times "
                                        "smaller than what it unpacks to holds them."));
    DocxTemplate docx;
    docx.body = Paragraph(kSimpleField);
    const Package small = Package::Read(BuildDocx(docx));
    std::string document = *small.Find("word/document.xml");
    document.insert(document.find("<w:sectPr>"), paragraphs);
    Package large = small;
    large.Set("word/document.xml", document);
    refused(large.Write(),
            "The package part word/document.xml unpacks to 40 MiB of XML, more than the 32 MiB");

    // Named as no XML part, to which the package's relationship points.
    Package renamed;
    for (const std::string& name : small.Names()) {
        std::string data = name == "word/document.xml" ? document : *small.Find(name);
        if (name == "_rels/.rels") data.replace(data.find("word/document.xml"), 17, "word/body.bin");
        renamed.Set(name == "word/document.xml" ? "word/body.bin" : name, data);
    }
    refused(renamed.Write(), "The package part word/body.bin unpacks to 40 MiB of XML");

    // Stated sizes are refused before anything is inflated (these parts are small).
    std::string zip = BuildDocx({});
    StateSize(zip, "word/styles.xml", 40u << 20);
    refused(zip, "word/styles.xml unpacks to 40 MiB of XML");

    Package several = Package::Read(BuildDocx({}));
    for (const char* name : {"customXml/item1.xml", "customXml/item2.xml", "customXml/item3.xml"})
        several.Set(name, "<a>" + paragraphs.substr(0, paragraphs.rfind("<w:p>", size_t{24} << 20)) + "</a>");
    refused(several.Write(), "customXml/item3.xml, more than the 64 MiB");
}

// An entry named to land outside the folder a program unpacks the package into would be carried on into
// the merged document, which would then do the same to the next program that unpacks it.
TEST(DocxMerge, EntriesNamedOutsideThePackageAreRefused) {
    DocxTemplate docx;
    docx.body = Paragraph(kSimpleField);
    for (const std::string name : {"../../x", "/tmp/x", "word/../../x", "word/media/..", "..\\..\\x",
                                   "\\tmp\\x", "C:/x", "c:x", "word\\..\\..\\x"}) {
        Package package = Package::Read(BuildDocx(docx));
        package.Set(name, "x");
        const std::string zip = package.Write();
        for (bool merge : {true, false}) {
            try {
                merge ? static_cast<void>(ReadDocxMainDocument(zip))
                      : static_cast<void>(ReadDocxContent(zip));
                ADD_FAILURE() << "read a package with an entry named " << name;
            } catch (const AutomationError& e) {
                EXPECT_NE(std::string(e.what()).find("entry " + name + " "), std::string::npos) << e.what();
            }
        }
    }
    // Names that only look alike stay.
    Package package = Package::Read(BuildDocx(docx));
    package.Set("word/media/..image.png", "x");
    package.Set("word/media/a..b", "y");
    std::string merged =
        ReadDocxMainDocument(package.Write())->Merge(Data(DataFile({{"First_Name"}, {"A"}}), "d")).Join();
    EXPECT_EQ(*Package::Read(merged).Find("word/media/..image.png"), "x");
    EXPECT_EQ(*Package::Read(merged).Find("word/media/a..b"), "y");
}

TEST(DocxMerge, LargePicturesBelowTheLimitMergeUnchanged) {
    DocxTemplate docx;
    docx.body = Paragraph(kSimpleField);
    Package package = Package::Read(BuildDocx(docx));
    std::string picture(size_t{40} << 20, '\0'); // more than a part of XML may have
    for (size_t i = 0; i < picture.size(); ++i)
        picture[i] = static_cast<char>((i * 2654435761u) >> 13);
    package.Set("word/media/image1.png", picture);
    std::string merged = ReadDocxMainDocument(package.Write())
                             ->Merge(Data(DataFile({{"First_Name"}, {"A"}, {"B"}}), "d"))
                             .Join();
    Package result = Package::Read(merged);
    ASSERT_NE(result.Find("word/media/image1.png"), nullptr);
    EXPECT_TRUE(*result.Find("word/media/image1.png") == picture);
}

// Every XML part that a merge copies or rewrites must be well-formed, or the merged document would not open.
TEST(DocxMerge, ADamagedPartIsAnErrorNamingIt) {
    DocxTemplate docx;
    docx.body = Paragraph(kSimpleField);
    docx.headerText = "Acme";
    for (const char* part : {"word/header1.xml", "customXml/item1.xml", "word/_rels/document.xml.rels"}) {
        Package package = Package::Read(BuildDocx(docx));
        package.Set(part, "<?xml version=\"1.0\"?><w:hdr><w:p></w:hdr>");
        try {
            ReadDocxMainDocument(package.Write());
            ADD_FAILURE() << "read a template with a damaged " << part;
        } catch (const AutomationError& e) {
            EXPECT_NE(std::string(e.what()).find("The package part " + std::string(part) +
                                                 " is not well-formed XML"),
                      std::string::npos)
                << e.what();
        }
    }
}

TEST(DocxMerge, AFieldNamingNoColumnIsAnErrorNamingIt) {
    DocxTemplate docx;
    docx.body = Paragraph(kSimpleField);
    try {
        Merge(docx, {{"Town"}, {"Leeds"}});
        FAIL() << "merged with an unknown field";
    } catch (const AutomationError& e) {
        EXPECT_NE(std::string(e.what()).find("First_Name"), std::string::npos);
    }
}

TEST(DocxMerge, MarkersInTheTemplateAreNotMistakenForFields) {
    DocxTemplate docx;
    docx.body = Paragraph("<?qvl-field 99?>" + kSimpleField + "<?qvl-body?>");
    EXPECT_EQ(Merge(docx, {{"First_Name"}, {"A"}}).text, "A\n");
    // Text in CDATA sections that reads like a mark, unended or naming no slot, stays text.
    for (const std::string fake : {"<?qvl-field 0", "<?qvl-x", "<?qvl-field 99 ?>", "<?qvl-break-end?>"}) {
        docx.body = Paragraph("<w:r><w:t><![CDATA[" + fake + "]]></w:t></w:r>") + Paragraph(kSimpleField);
        EXPECT_EQ(Merge(docx, {{"First_Name"}, {"A"}, {"B"}}).text, fake + "\nA\n\f" + fake + "\nB\n")
            << fake;
    }
}

// Parts with fields that several records copy, named and referred to as other programs may write them.
TEST(DocxMerge, HeaderPartsOfAnyNameAndRelationshipIdAreCopiedWholeAndWellFormed) {
    DocxTemplate docx;
    docx.body = Paragraph(kSimpleField);
    docx.headerText =
        "<w:fldSimple w:instr=\" MERGEFIELD First_Name \"><w:r><w:t>x</w:t></w:r></w:fldSimple>";
    const auto replace = [](std::string text, const std::string& from, const std::string& to) {
        for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
            text.replace(at, from.size(), to);
        return text;
    };
    // No extension, and an id with a character XML escapes.
    const Package built = Package::Read(BuildDocx(docx));
    Package package;
    for (const std::string& name : built.Names())
        package.Set(name == "word/header1.xml" ? "word/header" : name,
                    replace(replace(*built.Find(name), "header1.xml", "header"), "\"rId2\"", "\"r&amp;2\""));
    const std::string merged = ReadDocxMainDocument(package.Write())
                                   ->Merge(Data(DataFile({{"First_Name"}, {"A"}, {"B"}}), "d"))
                                   .Join();
    Package result = Package::Read(merged);
    ASSERT_NE(result.Find("word/header-copy1"), nullptr);
    ASSERT_NE(result.Find("word/header"), nullptr);
    for (const std::string name :
         {"word/_rels/document.xml.rels", "[Content_Types].xml", "word/document.xml"}) {
        pugi::xml_document part;
        EXPECT_TRUE(part.load_string(result.Find(name)->c_str())) << name;
    }
    EXPECT_NE(result.Find("word/_rels/document.xml.rels")->find("Target=\"/word/header-copy1\""),
              std::string::npos);
    DocumentContent content = ReadDocxContent(merged);
    ASSERT_EQ(content.sections.size(), 2u);
    EXPECT_EQ(content.sections[0], std::vector<std::string>{"A\n"});
    EXPECT_EQ(content.sections[1], std::vector<std::string>{"B\n"});
}

// The names of the entries in a zip file's central directory, in order.
std::vector<std::string> EntryNames(const std::string& zip) {
    std::vector<std::string> names;
    const std::string signature("PK\x01\x02", 4);
    for (size_t at = zip.find(signature); at != std::string::npos && at + 46 <= zip.size();
         at = zip.find(signature, at + 4)) {
        const size_t length = util::DecodeFixed16(zip.data() + at + 28);
        names.push_back(zip.substr(at + 46, length));
    }
    return names;
}

// The copies of merged headers never take a name of the template's parts, and a header part that several
// relationships point to is copied once for each copy of the body.
TEST(DocxMerge, CopiesOfHeadersAreNamedApartFromTheTemplatesPartsAndMadeOncePerCopy) {
    DocxTemplate docx;
    docx.body = Paragraph(kSimpleField);
    docx.headerText = "<w:fldSimple w:instr=\"MERGEFIELD First_Name\"><w:r><w:t>x</w:t></w:r></w:fldSimple>";
    docx.firstHeaderText = "y";
    Package package = Package::Read(BuildDocx(docx));
    package.Set("word/header1-copy1.xml", "<kept/>");
    std::string rels = *package.Find("word/_rels/document.xml.rels");
    rels.replace(rels.find("header2.xml"), 11, "header1.xml");
    package.Set("word/_rels/document.xml.rels", rels);
    const std::string merged = ReadDocxMainDocument(package.Write())
                                   ->Merge(Data(DataFile({{"First_Name"}, {"A"}, {"B"}, {"C"}}), "d"))
                                   .Join();
    std::vector<std::string> names = EntryNames(merged);
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
    EXPECT_EQ(package.Names().size() + 2, names.size());
    Package result = Package::Read(merged);
    EXPECT_EQ(*result.Find("word/header1-copy1.xml"), "<kept/>");
    DocumentContent content = ReadDocxContent(merged);
    EXPECT_EQ(content.sections,
              (std::vector<std::vector<std::string>>{{"A\n", "A\n"}, {"B\n", "B\n"}, {"C\n", "C\n"}}));
    pugi::xml_document types;
    ASSERT_TRUE(types.load_string(result.Find("[Content_Types].xml")->c_str()));
    std::multiset<std::string> overrides;
    for (pugi::xpath_node entry : types.select_nodes("//*[local-name()='Override']"))
        overrides.insert(entry.node().attribute("PartName").value());
    EXPECT_EQ(std::set<std::string>(overrides.begin(), overrides.end()).size(), overrides.size());
}

// The notes part of a template with the given notes after the declaration and namespaces.
std::string WithNotes(const DocxTemplate& docx, const std::string& notes) {
    Package package = Package::Read(BuildDocx(docx));
    std::string part = *package.Find("word/footnotes.xml");
    const size_t start = part.find("<w:footnote ");
    part.replace(start, part.find("</w:footnotes>") - start, notes);
    package.Set("word/footnotes.xml", part);
    return package.Write();
}

std::string Note(const std::string& attributes, const std::string& content) {
    return "<w:footnote " + attributes + "><w:p>" + content + "</w:p></w:footnote>";
}

const std::string kSeparators =
    Note("w:type=\"separator\" w:id=\"-1\"", "<w:r><w:separator/></w:r>") +
    Note("w:type=\"continuationSeparator\" w:id=\"0\"", "<w:r><w:continuationSeparator/></w:r>");

// Word numbers its separator notes -1 and 0 and its real notes from 1, and keeps the notes part (with the
// separators alone) once a document has had a note.
TEST(DocxMerge, WordsSeparatorNotesAreKeptOnceAndRealNotesNumberedPerCopy) {
    DocxTemplate docx;
    docx.body = Paragraph(kSimpleField + "<w:r><w:footnoteReference w:id=\"1\"/></w:r>");
    docx.footnote = TextRun("x");
    const std::string notes =
        kSeparators + Note("w:type=\"continuationNotice\" w:id=\"-7\"", "") +
        Note("w:id=\"1\"", TextRun("Note for ") + ComplexField({"MERGEFIELD First_Name"}, ""));
    std::string merged = ReadDocxMainDocument(WithNotes(docx, notes))
                             ->Merge(Data(DataFile({{"First_Name"}, {"A"}, {"B"}, {"C"}}), "d"))
                             .Join();
    DocumentContent content = ReadDocxContent(merged);
    EXPECT_EQ(content.notes, (std::vector<std::string>{"Note for A\n", "Note for B\n", "Note for C\n"}));
    pugi::xml_document part;
    ASSERT_TRUE(part.load_string(Package::Read(merged).Find("word/footnotes.xml")->c_str()));
    std::vector<std::string> ids;
    for (pugi::xpath_node note : part.select_nodes("//w:footnote"))
        ids.push_back(note.node().attribute("w:id").value());
    EXPECT_EQ(ids, (std::vector<std::string>{"-1", "0", "-7", "1", "2", "3"}));
    pugi::xml_document document;
    ASSERT_TRUE(document.load_string(DocumentPart(merged).c_str()));
    std::vector<std::string> references;
    for (pugi::xpath_node reference : document.select_nodes("//w:footnoteReference"))
        references.push_back(reference.node().attribute("w:id").value());
    EXPECT_EQ(references, (std::vector<std::string>{"1", "2", "3"}));

    // Only the separators: the part is written as it is.
    docx.body = Paragraph(kSimpleField);
    std::string separatorsOnly = WithNotes(docx, kSeparators);
    merged = ReadDocxMainDocument(separatorsOnly)
                 ->Merge(Data(DataFile({{"First_Name"}, {"A"}, {"B"}}), "d"))
                 .Join();
    EXPECT_EQ(*Package::Read(merged).Find("word/footnotes.xml"),
              *Package::Read(separatorsOnly).Find("word/footnotes.xml"));
    EXPECT_EQ(Pages(ReadDocxContent(merged).text), (std::vector<std::string>{"A\n", "B\n"}));
}

TEST(DocxMerge, NoteIdsThatAreNoNumbersOutOfRangeOrRepeatedAreRefused) {
    DocxTemplate docx;
    docx.body = Paragraph(kSimpleField + "<w:r><w:footnoteReference w:id=\"1\"/></w:r>");
    docx.footnote = TextRun("x");
    const std::string real = Note("w:id=\"1\"", TextRun("Note"));
    const std::vector<std::string> faults = {
        kSeparators + Note("w:id=\"9223372036854775807\"", TextRun("Note")),
        kSeparators + Note("w:id=\"2147483648\"", TextRun("Note")),
        kSeparators + Note("w:id=\"-2\"", TextRun("Note")),
        kSeparators + Note("w:id=\"one\"", TextRun("Note")),
        kSeparators + Note("w:id=\"1x\"", TextRun("Note")),
        kSeparators + Note("w:id=\"\"", TextRun("Note")),
        kSeparators + Note("", TextRun("Note")),
        Note("w:type=\"separator\" w:id=\"-\"", "") + real,
        Note("w:type=\"separator\" w:id=\"-2147483649\"", "") + real,
        kSeparators + real + real,
        kSeparators + Note("w:type=\"separator\" w:id=\"0\"", "") + real,
    };
    for (const std::string& notes : faults) {
        try {
            ReadDocxMainDocument(WithNotes(docx, notes));
            ADD_FAILURE() << "read the notes " << notes;
        } catch (const AutomationError& e) {
            EXPECT_NE(std::string(e.what()).find("invalid id"), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find("word/footnotes.xml"), std::string::npos) << e.what();
        }
    }
    EXPECT_NO_THROW(
        ReadDocxMainDocument(WithNotes(docx, kSeparators + Note("w:id=\" 1 \"", TextRun("Note")))));
}

// Office programs refuse entries whose local header carries a 64-bit size extension that the central
// directory lacks, which a zip writer adds when it does not know an entry's size beforehand.
TEST(DocxMerge, TheMergedPackageNeedsNoZip64) {
    DocxTemplate docx;
    docx.body = Paragraph(kSimpleField);
    std::string merged =
        ReadDocxMainDocument(BuildDocx(docx))->Merge(Data(DataFile({{"First_Name"}, {"A"}}), "d")).Join();
    const std::string signature("PK\x03\x04", 4);
    int entries = 0;
    for (size_t at = merged.find(signature); at != std::string::npos; at = merged.find(signature, at + 4)) {
        ++entries;
        ASSERT_LE(at + 30, merged.size());
        // A ZIP local header: little-endian fields.
        const int versionNeeded = util::DecodeFixed16(merged.data() + at + 4);
        const int extraLength = util::DecodeFixed16(merged.data() + at + 28);
        EXPECT_EQ(versionNeeded, 20);
        EXPECT_EQ(extraLength, 0);
    }
    EXPECT_EQ(entries, 5);
}

} // namespace
} // namespace word::test
