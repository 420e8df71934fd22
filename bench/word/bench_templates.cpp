#include "bench_templates.h"

#include "docx_package.h"
#include "merge_field.h"

#include <functional>
#include <vector>

namespace word::bench {
namespace {

constexpr const char* kFiller =
    "We are writing to let you know about the changes to your account that take effect next month. The "
    "new terms keep everything you value about the service and add a few improvements that customers have "
    "asked for over the past year, including clearer statements and quicker answers to your questions. ";

// The letter as paragraphs, each a list of pieces: text, or a field name prefixed with '@'.
std::vector<std::vector<std::string>> Letter() {
    std::vector<std::vector<std::string>> paragraphs = {
        {"@Title", " ", "@First_Name", " ", "@Last_Name"},
        {"@Street"},
        {"@Post_Code", " ", "@Town"},
        {"@Country"},
        {"Dear ", "@Title", " ", "@Last_Name", ","},
    };
    for (int i = 0; i < 4; ++i)
        paragraphs.push_back({kFiller});
    paragraphs.push_back({"Your customer number is ", "@Customer_Id", "."});
    paragraphs.push_back({"Yours sincerely,"});
    return paragraphs;
}

std::string DocxBody(const std::function<std::string(const std::string&)>& field) {
    std::string body;
    for (const auto& paragraph : Letter()) {
        body += "<w:p>";
        for (const std::string& piece : paragraph) {
            body += piece[0] == '@' ? field(piece.substr(1))
                                    : "<w:r><w:t xml:space=\"preserve\">" + piece + "</w:t></w:r>";
        }
        body += "</w:p>";
    }
    return body;
}

// A picture of some kilobytes, its bytes all that matter to a merge.
std::string Picture() {
    std::string png = "\x89PNG\r\n\x1a\n";
    for (int i = 0; png.size() < 24 * 1024; ++i)
        png += static_cast<char>((i * 2654435761u) >> 24);
    return png;
}

std::string ComplexField(const std::string& instruction, const std::string& shown) {
    return "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText xml:space=\"preserve\">" +
           instruction + "</w:instrText></w:r><w:r><w:fldChar w:fldCharType=\"separate\"/></w:r><w:r><w:t>" +
           shown + "</w:t></w:r><w:r><w:fldChar w:fldCharType=\"end\"/></w:r>";
}

std::string MergeRun(const std::string& name) {
    return ComplexField(MergeFieldInstruction(name), "«" + name + "»");
}

// IF {MERGEFIELD Title} = "Ms" "Dear Madam" "Dear Sir", its nested field written between its runs.
std::string IfRuns(const std::string& name, const std::string& value, const std::string& yes,
                   const std::string& no) {
    return "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText xml:space=\"preserve\">IF "
           "</w:instrText></w:r>" +
           MergeRun(name) + "<w:r><w:instrText xml:space=\"preserve\"> = \"" + value + "\" \"" + yes +
           "\" \"" + no +
           "\"</w:instrText></w:r><w:r><w:fldChar w:fldCharType=\"separate\"/></w:r><w:r><w:t>" + yes +
           "</w:t></w:r><w:r><w:fldChar w:fldCharType=\"end\"/></w:r>";
}

std::string Paragraph(const std::string& runs) {
    return "<w:p>" + runs + "</w:p>";
}

std::string Text(const std::string& text) {
    return "<w:r><w:t xml:space=\"preserve\">" + text + "</w:t></w:r>";
}

constexpr const char* kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";

// A package with its content types (the defaults, the document part and the given further entries) and
// its relationship to the document part.
Package BasePackage(const std::string& moreTypes) {
    const std::string declaration = kDeclaration;
    Package package;
    package.Set("[Content_Types].xml",
                declaration +
                    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                    "<Default Extension=\"rels\" "
                    "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                    "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                    "<Override PartName=\"/word/document.xml\" "
                    "ContentType=\"application/"
                    "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>" +
                    moreTypes + "</Types>");
    package.Set("_rels/.rels",
                declaration +
                    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                    "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/"
                    "2006/relationships/officeDocument\" Target=\"word/document.xml\"/></Relationships>");
    return package;
}

std::string Docx(const std::string& body) {
    const std::string declaration = kDeclaration;
    const std::string w = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";
    Package package = BasePackage("");
    package.Set("word/document.xml", declaration + "<w:document " + w + "><w:body>" + body +
                                         "<w:sectPr><w:pgSz w:w=\"11906\" w:h=\"16838\"/></w:sectPr></w:body>"
                                         "</w:document>");
    return package.Write();
}

} // namespace

std::string RichLetterDocx() {
    const std::string declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";
    const std::string namespaces =
        "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
        "xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\" "
        "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
        "xmlns:pic=\"http://schemas.openxmlformats.org/drawingml/2006/picture\"";
    const std::string relationships = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    const std::string picture =
        "<w:r><w:drawing><wp:inline><wp:extent cx=\"1080000\" cy=\"540000\"/><wp:docPr id=\"1\" "
        "name=\"Logo\"/><a:graphic><a:graphicData uri=\"http://schemas.openxmlformats.org/drawingml/2006/"
        "picture\"><pic:pic><pic:nvPicPr><pic:cNvPr id=\"1\" name=\"logo.png\"/><pic:cNvPicPr/></pic:nvPicPr>"
        "<pic:blipFill><a:blip r:embed=\"rIdLogo\"/><a:stretch><a:fillRect/></a:stretch></pic:blipFill>"
        "<pic:spPr><a:xfrm><a:off x=\"0\" y=\"0\"/><a:ext cx=\"1080000\" cy=\"540000\"/></a:xfrm>"
        "<a:prstGeom prst=\"rect\"/></pic:spPr></pic:pic></a:graphicData></a:graphic></wp:inline></w:drawing>"
        "</w:r>";
    std::string table = "<w:tbl><w:tblPr><w:tblW w:w=\"0\" w:type=\"auto\"/></w:tblPr>";
    for (const char* name : {"Customer_Id", "Street", "Post_Code", "Town", "Country"})
        table += "<w:tr><w:tc><w:p>" + Text(name) + "</w:p></w:tc><w:tc><w:p>" + MergeRun(name) +
                 "</w:p></w:tc></w:tr>";
    table += "</w:tbl>";
    std::string body =
        Paragraph(picture) + Paragraph(IfRuns("Title", "Ms", "Dear Madam", "Dear Sir") + Text(",")) + table;
    for (int i = 0; i < 3; ++i)
        body += Paragraph(Text(kFiller));
    body += Paragraph(IfRuns("Country", "United Kingdom", "Postage is paid.", "Please add postage.")) +
            Paragraph(Text("Yours sincerely,"));

    Package package = BasePackage("<Default Extension=\"png\" ContentType=\"image/png\"/>"
                                  "<Override PartName=\"/word/header1.xml\" ContentType=\"application/"
                                  "vnd.openxmlformats-officedocument.wordprocessingml.header+xml\"/>"
                                  "<Override PartName=\"/word/footer1.xml\" ContentType=\"application/"
                                  "vnd.openxmlformats-officedocument.wordprocessingml.footer+xml\"/>");
    package.Set("word/_rels/document.xml.rels",
                declaration +
                    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                    "<Relationship Id=\"rIdLogo\" Type=\"" +
                    relationships +
                    "image\" Target=\"media/logo.png\"/>"
                    "<Relationship Id=\"rIdHeader\" Type=\"" +
                    relationships +
                    "header\" Target=\"header1.xml\"/>"
                    "<Relationship Id=\"rIdFooter\" Type=\"" +
                    relationships +
                    "footer\" Target=\"footer1.xml\"/>"
                    "</Relationships>");
    package.Set("word/header1.xml", declaration + "<w:hdr " + namespaces + ">" +
                                        Paragraph(Text("Account ") + MergeRun("Customer_Id") + Text(" of ") +
                                                  MergeRun("Last_Name")) +
                                        "</w:hdr>");
    package.Set("word/footer1.xml", declaration + "<w:ftr " + namespaces + ">" +
                                        Paragraph(Text("Leeds office, for ") + MergeRun("First_Name")) +
                                        "</w:ftr>");
    package.Set("word/media/logo.png", Picture());
    package.Set("word/document.xml",
                declaration + "<w:document " + namespaces + "><w:body>" + body +
                    "<w:sectPr><w:headerReference w:type=\"default\" r:id=\"rIdHeader\"/>"
                    "<w:footerReference w:type=\"default\" r:id=\"rIdFooter\"/>"
                    "<w:pgSz w:w=\"11906\" w:h=\"16838\"/></w:sectPr></w:body></w:document>");
    return package.Write();
}

std::string RichLetterRtf() {
    const auto field = [](const std::string& name) {
        return "{\\field{\\*\\fldinst {" + MergeFieldInstruction(name) + "}}{\\fldrslt {\\'ab" + name +
               "\\'bb}}}";
    };
    const auto ifField = [&](const std::string& name, const std::string& value, const std::string& yes,
                             const std::string& no) {
        return "{\\field{\\*\\fldinst {IF }" + field(name) + "{ = \"" + value + "\" \"" + yes + "\" \"" + no +
               "\"}}{\\fldrslt {" + yes + "}}}";
    };
    std::string hex;
    for (unsigned char c : Picture()) {
        static constexpr char kDigits[] = "0123456789abcdef";
        hex += kDigits[c >> 4];
        hex += kDigits[c & 15];
        if (hex.size() % 130 == 128) hex += "\r\n";
    }
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}"
                      "\\paperw11906\\paperh16838\r\n\\sectd\\sbknone\r\n";
    rtf += "{\\header\\pard\\plain\\f0\\fs20 Account " + field("Customer_Id") + " of " + field("Last_Name") +
           "\\par}\r\n";
    rtf += "{\\footer\\pard\\plain\\f0\\fs20 Leeds office, for " + field("First_Name") + "\\par}\r\n";
    rtf += "\\pard\\plain\\f0\\fs24 {\\pict\\pngblip\\picw96\\pich48\\picwgoal1440\\pichgoal720\r\n" + hex +
           "}\\par\r\n";
    rtf += "\\pard\\plain\\f0\\fs24 " + ifField("Title", "Ms", "Dear Madam", "Dear Sir") + ",\\par\r\n";
    for (const char* name : {"Customer_Id", "Street", "Post_Code", "Town", "Country"}) {
        rtf += "\\trowd\\cellx3000\\cellx9000\\pard\\plain\\intbl\\f0\\fs24 " + std::string(name) +
               "\\cell " + field(name) + "\\cell\\row\r\n";
    }
    for (int i = 0; i < 3; ++i)
        rtf += "\\pard\\plain\\f0\\fs24 " + std::string(kFiller) + "\\par\r\n";
    rtf += "\\pard\\plain\\f0\\fs24 " +
           ifField("Country", "United Kingdom", "Postage is paid.", "Please add postage.") +
           "\\par\r\n\\pard\\plain\\f0\\fs24 Yours sincerely,\\par\r\n";
    return rtf + "}";
}

std::string LetterDocx() {
    return Docx(DocxBody([](const std::string& name) {
        return "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r><w:r><w:instrText xml:space=\"preserve\">" +
               MergeFieldInstruction(name) +
               "</w:instrText></w:r><w:r><w:fldChar w:fldCharType=\"separate\"/></w:r><w:r><w:t>«" + name +
               "»</w:t></w:r><w:r><w:fldChar w:fldCharType=\"end\"/></w:r>";
    }));
}

std::string LetterDocxTemplater() {
    std::string loopStart = "<w:p><w:r><w:t>{#records}</w:t></w:r></w:p>";
    std::string loopEnd =
        "<w:p><w:r><w:br w:type=\"page\"/></w:r></w:p><w:p><w:r><w:t>{/records}</w:t></w:r></w:p>";
    return Docx(loopStart +
                DocxBody([](const std::string& name) { return "<w:r><w:t>{" + name + "}</w:t></w:r>"; }) +
                loopEnd);
}

std::string LetterRtf() {
    std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}"
                      "\\paperw11906\\paperh16838\r\n\\sectd\r\n";
    for (const auto& paragraph : Letter()) {
        rtf += "\\pard\\plain\\f0\\fs24 ";
        for (const std::string& piece : paragraph) {
            if (piece[0] != '@') {
                rtf += piece;
                continue;
            }
            std::string name = piece.substr(1);
            rtf += "{\\field{\\*\\fldinst {" + MergeFieldInstruction(name) + "}}{\\fldrslt {\\'ab" + name +
                   "\\'bb}}}";
        }
        rtf += "\\par\r\n";
    }
    return rtf + "}";
}

std::string Records(int count) {
    std::string data;
    for (size_t i = 0; i < std::size(kTitles); ++i) {
        if (i > 0) data += '\t';
        data += kTitles[i];
    }
    data += "\r\n";
    for (int r = 1; r <= count; ++r) {
        std::string n = std::to_string(r);
        data += r % 2 ? "Ms" : "Mr";
        data += "\tFirstname" + n + "\tLastname" + n + "\t" + n + " High Street\tLS" + std::to_string(r % 30);
        data += " 1AB\tLeeds\tUnited Kingdom\tC" + n + "\r\n";
    }
    return data;
}

} // namespace word::bench
