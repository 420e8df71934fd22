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

std::string Docx(const std::string& body) {
    const std::string declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";
    const std::string w = "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";
    Package package;
    package.Set("[Content_Types].xml",
                declaration + "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                              "<Default Extension=\"rels\" "
                              "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                              "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                              "<Override PartName=\"/word/document.xml\" "
                              "ContentType=\"application/"
                              "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
                              "</Types>");
    package.Set("_rels/.rels",
                declaration +
                    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                    "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/"
                    "2006/relationships/officeDocument\" Target=\"word/document.xml\"/></Relationships>");
    package.Set("word/document.xml", declaration + "<w:document " + w + "><w:body>" + body +
                                         "<w:sectPr><w:pgSz w:w=\"11906\" w:h=\"16838\"/></w:sectPr></w:body>"
                                         "</w:document>");
    return package.Write();
}

} // namespace

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
