#include "docx_parts.h"
#include "word/reader.h"

#include <optional>

namespace word {
namespace {

class DocxReader {
public:
    explicit DocxReader(std::string_view content) : package_(Package::Read(content)) {
        content_.format = DocumentFormat::Docx;
    }

    DocumentContent Read() {
        std::string mainPart = MainDocumentPart(package_);
        pugi::xml_document document;
        ParsePart(package_, mainPart, document);
        WordNames w(document.document_element());
        pugi::xml_node body = document.document_element().child(w("body").c_str());
        relationships_ = PartRelationships(package_, mainPart);
        content_.text = PartText(body, w, true);
        for (pugi::xpath_node section : body.select_nodes((".//" + w("sectPr")).c_str()))
            ReadSection(section.node(), w);

        pugi::xml_node pageSize = body.child(w("sectPr").c_str()).child(w("pgSz").c_str());
        content_.pageWidth = pageSize.attribute(w("w").c_str()).as_int();
        content_.pageHeight = pageSize.attribute(w("h").c_str()).as_int();

        for (const Relationship& rel : PartRelationships(package_, mainPart)) {
            std::string_view type = rel.type;
            if (type.ends_with("/header") || type.ends_with("/footer")) ReadHeaderOrFooter(rel.target);
            if (type.ends_with("/styles")) ReadStyles(rel.target);
            if (type.ends_with("/footnotes")) ReadNotes(rel.target, "footnote");
            if (type.ends_with("/endnotes")) ReadNotes(rel.target, "endnote");
        }
        return std::move(content_);
    }

private:
    std::string PartText(pugi::xml_node root, const WordNames& w, bool collectFields) {
        std::string text;
        std::optional<size_t> instruction; // the field whose instruction is being read
        Walk(
            root,
            [&](pugi::xml_node node) {
                bool inRun = w.Is(node.parent(), "r");
                if (node.type() == pugi::node_pcdata && w.Is(node.parent(), "t")) {
                    text += node.value();
                } else if (node.type() == pugi::node_pcdata && instruction &&
                           w.Is(node.parent(), "instrText")) {
                    content_.fields[*instruction] += node.value();
                } else if (inRun && w.Is(node, "tab")) {
                    text += '\t';
                } else if (inRun && w.Is(node, "br")) {
                    text +=
                        std::string_view(node.attribute(w("type").c_str()).value()) == "page" ? '\f' : '\v';
                } else if (w.Is(node, "pageBreakBefore")) {
                    text += '\f';
                } else if (collectFields && w.Is(node, "fldSimple")) {
                    content_.fields.push_back(node.attribute(w("instr").c_str()).value());
                } else if (collectFields && inRun && w.Is(node, "fldChar")) {
                    std::string_view type = node.attribute(w("fldCharType").c_str()).value();
                    instruction.reset();
                    if (type == "begin") {
                        instruction = content_.fields.size();
                        content_.fields.emplace_back();
                    }
                }
            },
            [&](pugi::xml_node node) {
                if (w.Is(node, "p")) {
                    text += '\n';
                    if (node.child(w("pPr").c_str()).child(w("sectPr").c_str())) text += '\f';
                }
            });
        return text;
    }

    void ReadHeaderOrFooter(const std::string& part) {
        pugi::xml_document document;
        ParsePart(package_, part, document);
        WordNames w(document.document_element());
        content_.headersAndFooters.push_back(PartText(document.document_element(), w, false));
    }

    void ReadSection(pugi::xml_node section, const WordNames& w) {
        std::vector<std::string>& texts = content_.sections.emplace_back();
        for (pugi::xml_node reference : section.children()) {
            if (!w.Is(reference, "headerReference") && !w.Is(reference, "footerReference")) continue;
            std::string id;
            for (pugi::xml_attribute attribute : reference.attributes())
                if (std::string_view(attribute.name()).ends_with(":id")) id = attribute.value();
            for (const Relationship& rel : relationships_) {
                if (rel.id != id) continue;
                pugi::xml_document part;
                ParsePart(package_, rel.target, part);
                texts.push_back(PartText(part.document_element(), WordNames(part.document_element()), false));
            }
        }
    }

    void ReadNotes(const std::string& part, const std::string& kind) {
        pugi::xml_document document;
        ParsePart(package_, part, document);
        WordNames w(document.document_element());
        const std::string noteName = w(kind);
        for (pugi::xml_node note : document.document_element().children(noteName.c_str())) {
            std::string_view type = note.attribute(w("type").c_str()).value();
            if (type.empty() || type == "normal") content_.notes.push_back(PartText(note, w, false));
        }
    }

    void ReadStyles(const std::string& part) {
        pugi::xml_document document;
        ParsePart(package_, part, document);
        WordNames w(document.document_element());
        const std::string styleName = w("style");
        for (pugi::xml_node style : document.document_element().children(styleName.c_str()))
            content_.styles.push_back(style.child(w("name").c_str()).attribute(w("val").c_str()).value());
    }

    Package package_;
    std::vector<Relationship> relationships_;
    DocumentContent content_;
};

} // namespace

DocumentContent ReadDocxContent(std::string_view content) {
    return DocxReader(content).Read();
}

} // namespace word
