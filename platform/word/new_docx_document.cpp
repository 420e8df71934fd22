#include "docx_package.h"
#include "docx_text.h"
#include "merge_field.h"
#include "new_document.h"

namespace word {
namespace {

constexpr const char* kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
constexpr const char* kWordNamespace = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";

std::string ContentTypes() {
    return std::string(kDeclaration) +
           "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
           "<Default Extension=\"rels\" "
           "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
           "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
           "<Override PartName=\"/word/document.xml\" "
           "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/"
           ">"
           "<Override PartName=\"/word/styles.xml\" "
           "ContentType=\"application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml\"/>"
           "</Types>";
}

std::string PackageRelationships() {
    return std::string(kDeclaration) +
           "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
           "<Relationship Id=\"rId1\" "
           "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
           "Target=\"word/document.xml\"/>"
           "</Relationships>";
}

std::string DocumentRelationships() {
    return std::string(kDeclaration) +
           "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
           "<Relationship Id=\"rId1\" "
           "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
           "Target=\"styles.xml\"/>"
           "</Relationships>";
}

std::string Styles() {
    return std::string(kDeclaration) + "<w:styles xmlns:w=\"" + kWordNamespace +
           "\">"
           "<w:docDefaults><w:rPrDefault><w:rPr>"
           "<w:rFonts w:ascii=\"Times New Roman\" w:hAnsi=\"Times New Roman\" w:cs=\"Times New Roman\"/>"
           "<w:sz w:val=\"24\"/><w:szCs w:val=\"24\"/></w:rPr></w:rPrDefault>"
           "<w:pPrDefault><w:pPr/></w:pPrDefault></w:docDefaults>"
           "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Normal\"><w:name "
           "w:val=\"Normal\"/></w:style>"
           "<w:style w:type=\"character\" w:default=\"1\" w:styleId=\"DefaultParagraphFont\">"
           "<w:name w:val=\"Default Paragraph Font\"/></w:style>"
           "</w:styles>";
}

std::string Document(const std::vector<std::string>& mergeFields) {
    std::string xml = std::string(kDeclaration) + "<w:document xmlns:w=\"" + kWordNamespace + "\"><w:body>";
    if (mergeFields.empty()) xml += "<w:p/>";
    for (const std::string& name : mergeFields) {
        xml += "<w:p><w:fldSimple w:instr=\"";
        AppendXmlEscaped(MergeFieldInstruction(name), xml);
        xml += "\"><w:r><w:rPr><w:noProof/></w:rPr>";
        EncodeRunContent(FieldPlaceholder(name), "w:", xml);
        xml += "</w:r></w:fldSimple></w:p>";
    }
    return xml +
           "<w:sectPr><w:pgSz w:w=\"12240\" w:h=\"15840\"/>"
           "<w:pgMar w:top=\"1440\" w:right=\"1800\" w:bottom=\"1440\" w:left=\"1800\" w:header=\"720\" "
           "w:footer=\"720\" w:gutter=\"0\"/></w:sectPr></w:body></w:document>";
}

} // namespace

std::string NewDocxDocument(const std::vector<std::string>& mergeFields) {
    Package package;
    package.Set("[Content_Types].xml", ContentTypes());
    package.Set("_rels/.rels", PackageRelationships());
    package.Set("word/document.xml", Document(mergeFields));
    package.Set("word/_rels/document.xml.rels", DocumentRelationships());
    package.Set("word/styles.xml", Styles());
    return package.Write();
}

} // namespace word
