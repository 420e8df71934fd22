#include "test_support.h"

#include "os/os.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace word::test {

void WordTest::SetUp() {
    ResetAutomation();
    std::string pattern = os::TempDirectory() + "/word-test-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    ASSERT_NE(mkdtemp(buffer.data()), nullptr);
    dir_ = buffer.data();
}

void WordTest::TearDown() {
    ResetAutomation();
    std::error_code ignored;
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(dir_, ignored);
}

std::string WordTest::Write(const std::string& name, const std::string& content) const {
    std::ofstream(dir_ / name, std::ios::binary) << content;
    return Path(name);
}

std::string WordTest::Read(const std::string& name) const {
    std::ifstream in(dir_ / name, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<std::string> WordTest::Files() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

std::string DataFile(const std::vector<std::vector<std::string>>& lines) {
    std::string data;
    for (const auto& line : lines) {
        for (size_t i = 0; i < line.size(); ++i)
            data += (i ? "\t" : "") + line[i];
        data += "\r\n";
    }
    return data;
}

std::shared_ptr<const DataSource> Data(const std::string& content, const std::string& name) {
    return std::make_shared<const DataSource>(DataSource::Parse(content, name));
}

namespace {

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";
const std::string kNamespaces =
    "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
    "xmlns:wp=\"http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing\" "
    "xmlns:w14=\"http://schemas.microsoft.com/office/word/2010/wordml\"";
const std::string kRelationships = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

std::string Relationship(const std::string& id, const std::string& type, const std::string& target) {
    return "<Relationship Id=\"" + id + "\" Type=\"" + kRelationships + type + "\" Target=\"" + target +
           "\"/>";
}

std::string Override(const std::string& part, const std::string& type) {
    return "<Override PartName=\"/word/" + part +
           "\" ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml." + type +
           "+xml\"/>";
}

} // namespace

std::string BuildDocx(const DocxTemplate& docx) {
    std::string types = kDeclaration +
                        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                        "<Default Extension=\"rels\" "
                        "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>" +
                        Override("document.xml", "document.main") + Override("styles.xml", "styles");
    std::string rels =
        kDeclaration +
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" +
        Relationship("rId1", "styles", "styles.xml");
    std::string references, trailing;
    Package package;
    const auto part = [&](const std::string& kind, const std::string& text, const std::string& id,
                          const std::string& type, const std::string& file) {
        std::string tag = kind == "header" ? "hdr" : "ftr";
        std::string runs = text[0] == '<' ? text : "<w:r><w:t>" + text + "</w:t></w:r>";
        package.Set("word/" + file, kDeclaration + "<w:" + tag + " " + kNamespaces + "><w:p>" + runs +
                                        "</w:p></w:" + tag + ">");
        types += Override(file, kind);
        rels += Relationship(id, kind, file);
        references += "<w:" + kind + "Reference w:type=\"" + type + "\" r:id=\"" + id + "\"/>";
    };
    if (!docx.headerText.empty()) part("header", docx.headerText, "rId2", "default", "header1.xml");
    if (!docx.footerText.empty()) part("footer", docx.footerText, "rId3", "default", "footer1.xml");
    if (!docx.firstHeaderText.empty()) {
        part("header", docx.firstHeaderText, "rId5", "first", "header2.xml");
        trailing = "<w:titlePg/>";
    }
    if (!docx.footnote.empty()) {
        package.Set("word/footnotes.xml",
                    kDeclaration + "<w:footnotes " + kNamespaces +
                        "><w:footnote w:type=\"separator\" w:id=\"0\"><w:p><w:r><w:separator/></w:r></w:p>"
                        "</w:footnote><w:footnote w:type=\"continuationSeparator\" w:id=\"1\"><w:p><w:r>"
                        "<w:continuationSeparator/></w:r></w:p></w:footnote><w:footnote w:id=\"2\"><w:p>" +
                        docx.footnote + "</w:p></w:footnote></w:footnotes>");
        types += Override("footnotes.xml", "footnotes");
        rels += Relationship("rId6", "footnotes", "footnotes.xml");
    }
    if (!docx.settings.empty()) {
        package.Set("word/settings.xml",
                    kDeclaration + "<w:settings " + kNamespaces + ">" + docx.settings + "</w:settings>");
        types += Override("settings.xml", "settings");
        rels += Relationship("rId4", "settings", "settings.xml");
    }
    package.Set("[Content_Types].xml", types + "</Types>");
    package.Set("_rels/.rels",
                kDeclaration +
                    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" +
                    Relationship("rId1", "officeDocument", "word/document.xml") + "</Relationships>");
    package.Set("word/document.xml", kDeclaration + "<w:document " + kNamespaces + "><w:body>" + docx.body +
                                         "<w:sectPr>" + references + docx.sectionProperties + trailing +
                                         "</w:sectPr></w:body></w:document>");
    package.Set("word/_rels/document.xml.rels", rels + "</Relationships>");
    package.Set("word/styles.xml",
                kDeclaration + "<w:styles " + kNamespaces +
                    "><w:style w:type=\"paragraph\" w:styleId=\"Normal\"><w:name w:val=\"Normal\"/>"
                    "</w:style><w:style w:type=\"paragraph\" w:styleId=\"Greeting\">"
                    "<w:name w:val=\"Greeting\"/></w:style></w:styles>");
    return package.Write();
}

std::string BuildRtf(const std::string& body) {
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0\r\n{\\fonttbl{\\f0\\froman Times New Roman;}}\r\n"
           "{\\stylesheet{\\s0 Normal;}{\\s1 Greeting;}}\r\n\\paperw11906\\paperh16838\r\n" +
           body + "}";
}

std::string DocumentPart(const std::string& docx) {
    return *Package::Read(docx).Find("word/document.xml");
}

std::vector<std::string> Pages(const std::string& text) {
    std::vector<std::string> pages(1);
    for (char c : text) {
        if (c == '\f')
            pages.emplace_back();
        else
            pages.back() += c;
    }
    return pages;
}

} // namespace word::test
