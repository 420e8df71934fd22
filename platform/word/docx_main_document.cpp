// A DOCX main document: the document part is cut at its body; the body's content is written once per
// record and the body's final section properties once at the end. Every copy but the last ends with a
// section break (the final section properties, as a next-page break) in its last paragraph, so each record
// starts a page with the template's page setup. Every MERGEFIELD field, simple or complex (begin,
// instruction, separator, result and end in several runs), becomes one run that holds the value in the
// formatting of the field's result. Headers and footers with fields are merged too: each copy gets parts of
// its own, which its sections refer to; the last copy takes the template's parts and relationships, to
// which the body's final section properties refer. Footnotes and endnotes are written once per copy, with
// ids of their own. The merged package is written as it is read, its parts and their copies made one at a
// time, so that a merge's memory does not grow with its records.

#include "docx_cut.h"
#include "docx_parts.h"
#include "docx_text.h"
#include "main_document.h"
#include "merge_body.h"
#include "word/word.h"
#include "zip_writer.h"

#include <algorithm>
#include <charconv>
#include <set>
#include <tuple>

namespace word {
namespace {

// Text for an attribute value of a part written here.
std::string Escaped(std::string_view text) {
    std::string out;
    AppendXmlEscaped(text, out);
    return out;
}

[[noreturn]] void InvalidNoteId(const std::string& part, const std::string& what) {
    throw AutomationError("A footnote or endnote of the template has an invalid id (" + what + " in " + part +
                          ")");
}

// A note's id as the part gives it: a decimal number (blanks around it allowed) within 32 bits, and for a
// real note, or a reference to one, not negative. Word numbers its separator notes -1 and 0 and its real
// notes from 1; LibreOffice numbers them all from 0.
std::int64_t NoteId(const pugi::xml_attribute& id, bool realNote, const std::string& part) {
    std::string_view text = id.value();
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, value);
    const std::int64_t lowest = realNote ? 0 : INT32_MIN;
    if (!id || text.empty() || error != std::errc() || last != end || value < lowest || value > INT32_MAX)
        InvalidNoteId(part, "\"" + std::string(id.value()) + "\"");
    return value;
}

// A header or footer with fields: one part per copy.
struct MergedPart {
    std::string name; // the template's part, which the last copy takes
    // The relationships of the document part to it (Word writes one, but any number may point to a part).
    std::vector<Relationship> relationships;
    std::string contentType; // the part's own content type, empty when its extension gives it
    // Copy c is named copyStem + (c + 1) + extension, a name the template has no part of.
    std::string copyStem, extension;
    CutPart cut;
};

// The parts of a merged document: the template's, some of them merged, in their order, then the copies
// of the merged headers and footers for every copy of the body but the last (which takes the template's),
// each with the template part's relationships. The copies are made when they are written.
class MergedEntries : public ZipEntries {
public:
    MergedEntries(const Package& package, size_t copies) : copies_(copies) {
        for (const std::string& name : package.Names())
            parts_.push_back({name, package.Shared(name)});
    }

    void Replace(const std::string& name, MergedText text) {
        for (auto& [partName, content] : parts_)
            if (partName == name) content = std::move(text);
    }

    void AddCopies(const MergedPart& part, MergedText text,
                   std::shared_ptr<const std::string> relationships) {
        copied_.push_back({part.copyStem, part.extension, std::move(text), std::move(relationships)});
    }

    size_t Count() const override {
        size_t count = parts_.size();
        for (const Copied& copied : copied_)
            count += (copies_ - 1) * copied.PerCopy();
        return count;
    }

    std::string Name(size_t index) const override {
        if (index < parts_.size()) return parts_[index].first;
        const auto [copied, copy, relationships] = Locate(index);
        const std::string name = copied->copyStem + std::to_string(copy + 1) + copied->extension;
        return relationships ? RelationshipsPart(name) : name;
    }

    ZipContent Content(size_t index) const override {
        if (index < parts_.size()) return parts_[index].second;
        const auto [copied, copy, relationships] = Locate(index);
        if (relationships) return copied->relationships;
        return copied->text.Copy(copy);
    }

private:
    struct Copied {
        std::string copyStem, extension;
        MergedText text;
        std::shared_ptr<const std::string> relationships; // the template part's, or null
        size_t PerCopy() const { return relationships ? 2 : 1; }
    };

    // The part whose copies an index past the template's parts is among, the copy, and whether it is the
    // copy's relationships.
    std::tuple<const Copied*, size_t, bool> Locate(size_t index) const {
        index -= parts_.size();
        for (const Copied& copied : copied_) {
            const size_t count = (copies_ - 1) * copied.PerCopy();
            if (index < count) return {&copied, index / copied.PerCopy(), index % copied.PerCopy() == 1};
            index -= count;
        }
        throw AutomationError("A part of the merged document could not be made");
    }

    size_t copies_;
    std::vector<std::pair<std::string, ZipContent>> parts_;
    std::vector<Copied> copied_;
};

// A footnotes or endnotes part: its notes are written once per copy.
struct NotesPart {
    std::string name;
    std::string referenceName; // the body's reference element, footnoteReference or endnoteReference
    // Copy c's ids are the template's + c * stride: above every id of the template from the second copy on,
    // and each copy's apart from the others'.
    std::int64_t stride = 1;
    CutPart cut;
};

class DocxMainDocument : public MainDocument {
public:
    explicit DocxMainDocument(std::string content) : package_(Package::Read(content)) {
        documentPart_ = MainDocumentPart(package_);
        CheckXmlParts(package_);
        CountIds();
        ReadHeadersAndFooters();
        ReadNotes();
        if (!parts_.empty()) {
            contentTypes_ = CutAtEnd(package_, "[Content_Types].xml");
            documentRelationships_ = CutAtEnd(package_, RelationshipsPart(documentPart_));
        }

        pugi::xml_document document;
        ParsePart(package_, documentPart_, document);
        pugi::xml_node root = document.document_element();
        PartCutter cutter(document, root.child(WordNames(root)("body").c_str()));
        const WordNames& w = cutter.Names();
        prefix_ = w("");
        pugi::xml_node body = root.child(w("body").c_str());
        if (!body) throw AutomationError("The document part " + documentPart_ + " has no body");

        pugi::xml_node finalSection = MarkRecordBreak(body, w);
        std::vector<pugi::xml_node> copied;
        for (pugi::xml_node child : body.children())
            if (child != finalSection) copied.push_back(child);
        MarkReferences(copied, cutter);
        MarkIds(copied, cutter);
        document_ = cutter.Cut(document, copied);
        LeaveOutMailMergeSettings();
    }

    MergedText Merge(std::shared_ptr<const DataSource> data) const override {
        const auto encode = [prefix = prefix_](std::string_view value, std::string& out) {
            EncodeRunContent(value, prefix, out);
        };
        MergedText body(document_.body, data, encode, document_.prefix, document_.suffix);
        auto entries = std::make_shared<MergedEntries>(package_, body.Copies());
        entries->Replace(documentPart_, body);

        auto relationships = std::make_shared<MergeBody>();
        auto types = std::make_shared<MergeBody>();
        for (const MergedPart& part : parts_) {
            MergedText text(part.cut.body, body, encode, part.cut.prefix, part.cut.suffix);
            entries->Replace(part.name, text.Copy(body.Copies() - 1));
            entries->AddCopies(part, text, package_.Shared(RelationshipsPart(part.name)));
            AddCopyReferences(part, *relationships, *types);
        }
        for (const NotesPart& notes : notes_)
            entries->Replace(notes.name,
                             MergedText(notes.cut.body, body, encode, notes.cut.prefix, notes.cut.suffix));
        if (!parts_.empty()) {
            entries->Replace(documentRelationships_.name,
                             MergedText(relationships, body, nullptr, documentRelationships_.prefix,
                                        documentRelationships_.suffix));
            entries->Replace(contentTypes_.name,
                             MergedText(types, body, nullptr, contentTypes_.prefix, contentTypes_.suffix));
        }
        return ZipFile(std::move(entries));
    }

private:
    // A part of the package cut at the end of its root element, where entries for the copies go.
    struct ListPart {
        std::string name;
        std::string prefix, suffix;
    };

    static ListPart CutAtEnd(const Package& package, const std::string& name) {
        pugi::xml_document document;
        ParsePart(package, name, document);
        pugi::xml_node mark = document.document_element().append_child(pugi::node_pi);
        mark.set_name("qvl-end");
        std::string text = XmlText(document);
        size_t at = text.find("<?qvl-end?>");
        return {name, text.substr(0, at), text.substr(at + 11)};
    }

    std::string ContentTypeOverride(const std::string& part) const {
        pugi::xml_document types;
        ParsePart(package_, "[Content_Types].xml", types);
        for (pugi::xml_node entry : types.document_element().children("Override"))
            if (std::string_view(entry.attribute("PartName").value()) == "/" + part)
                return entry.attribute("ContentType").value();
        return "";
    }

    void ReadHeadersAndFooters() {
        for (const Relationship& rel : PartRelationships(package_, documentPart_)) {
            std::string_view type = LastSegment(rel.type);
            if ((type != "header" && type != "footer") || package_.Find(rel.target) == nullptr) continue;
            auto read = std::find_if(parts_.begin(), parts_.end(),
                                     [&](const MergedPart& part) { return part.name == rel.target; });
            if (read != parts_.end()) {
                read->relationships.push_back(rel);
                continue;
            }
            pugi::xml_document document;
            ParsePart(package_, rel.target, document);
            pugi::xml_node root = document.document_element();
            PartCutter cutter(document, root);
            if (!cutter.HasFields()) continue;
            std::vector<pugi::xml_node> content;
            for (pugi::xml_node child : root.children())
                content.push_back(child);
            MarkIds(content, cutter);
            const auto [stem, extension] = SplitExtension(rel.target);
            parts_.push_back({rel.target,
                              {rel},
                              ContentTypeOverride(rel.target),
                              CopyStem(stem),
                              extension,
                              cutter.Cut(document, content)});
        }
    }

    // The stem of the copies' names: the part's own and "-copy", unless a name of the template starts so.
    std::string CopyStem(const std::string& stem) const {
        std::string copyStem = stem + "-copy";
        const std::vector<std::string> names = package_.Names();
        while (std::any_of(names.begin(), names.end(),
                           [&](const std::string& name) { return name.starts_with(copyStem); }))
            copyStem += "-";
        return copyStem;
    }

    void ReadNotes() {
        for (const Relationship& rel : PartRelationships(package_, documentPart_)) {
            std::string_view type = LastSegment(rel.type);
            if ((type != "footnotes" && type != "endnotes") || package_.Find(rel.target) == nullptr) continue;
            std::string note = type == "footnotes" ? "footnote" : "endnote";
            pugi::xml_document document;
            ParsePart(package_, rel.target, document);
            pugi::xml_node root = document.document_element();
            PartCutter cutter(document, root);
            const WordNames& w = cutter.Names();
            NotesPart notes{rel.target, w(note + "Reference"), 1, {}};
            std::vector<pugi::xml_node> content;
            const std::string noteName = w(note);
            std::set<std::int64_t> ids;
            std::int64_t lowestReal = INT32_MAX;
            for (pugi::xml_node child : root.children(noteName.c_str())) {
                std::string_view kind = child.attribute(w("type").c_str()).value();
                const bool real = kind.empty() || kind == "normal";
                const std::int64_t id = NoteId(child.attribute(w("id").c_str()), real, rel.target);
                if (!ids.insert(id).second) InvalidNoteId(rel.target, std::to_string(id) + " given twice");
                if (!real) continue;
                lowestReal = std::min(lowestReal, id);
                content.push_back(child);
            }
            if (content.empty()) continue;
            notes.stride = *ids.rbegin() + 1 - lowestReal;
            MarkIds(content, cutter);
            for (pugi::xml_node child : content) {
                pugi::xml_attribute id = child.attribute(w("id").c_str());
                cutter.MarkNumber(id, {static_cast<std::uint64_t>(NoteId(id, true, rel.target)),
                                       static_cast<std::uint64_t>(notes.stride), false});
            }
            notes.cut = cutter.Cut(document, content);
            notes_.push_back(std::move(notes));
        }
    }

    static std::string_view LocalName(std::string_view name) {
        size_t colon = name.find(':');
        return colon == std::string_view::npos ? name : name.substr(colon + 1);
    }

    // The parts that may be written per copy: the document part, its headers, footers and notes.
    std::vector<std::string> CopiedParts() const {
        std::vector<std::string> parts{documentPart_};
        for (const Relationship& rel : PartRelationships(package_, documentPart_)) {
            std::string_view type = LastSegment(rel.type);
            if ((type == "header" || type == "footer" || type == "footnotes" || type == "endnotes") &&
                package_.Find(rel.target))
                parts.push_back(rel.target);
        }
        return parts;
    }

    // Drawing ids and paragraph ids must be unique in a document: copy c's drawing ids are the template's
    // + c * (the largest + 1), its paragraph and text ids are numbered anew, as many per copy as the parts
    // that may be copied hold.
    void CountIds() {
        for (const std::string& part : CopiedParts()) {
            pugi::xml_document document;
            ParsePart(package_, part, document);
            Walk(
                document,
                [&](pugi::xml_node node) {
                    if (LocalName(node.name()) == "docPr")
                        drawingIdStride_ =
                            std::max<std::uint64_t>(drawingIdStride_, node.attribute("id").as_ullong() + 1);
                    for (pugi::xml_attribute attribute : node.attributes()) {
                        std::string_view name = LocalName(attribute.name());
                        if (name == "paraId" || name == "textId") ++paragraphIds_;
                    }
                },
                [](pugi::xml_node) {});
        }
    }

    void MarkIds(const std::vector<pugi::xml_node>& content, PartCutter& cutter) {
        const auto mark = [&](pugi::xml_node node) {
            if (LocalName(node.name()) == "docPr") {
                pugi::xml_attribute id = node.attribute("id");
                if (id) cutter.MarkNumber(id, {id.as_ullong(), drawingIdStride_, false});
            }
            std::vector<pugi::xml_attribute> ids;
            for (pugi::xml_attribute attribute : node.attributes()) {
                std::string_view name = LocalName(attribute.name());
                if (name == "paraId" || name == "textId") ids.push_back(attribute);
            }
            for (pugi::xml_attribute id : ids)
                cutter.MarkNumber(id, {1 + paragraphIdsMarked_++, paragraphIds_, true});
        };
        for (pugi::xml_node top : content) {
            if (top.type() != pugi::node_element) continue;
            mark(top);
            for (pugi::xpath_node found : top.select_nodes(".//*"))
                mark(found.node());
        }
    }

    // In the body's copies, references to merged headers and footers and to notes get their copy's ids.
    void MarkReferences(const std::vector<pugi::xml_node>& content, PartCutter& cutter) {
        const WordNames& w = cutter.Names();
        for (pugi::xml_node top : content) {
            for (pugi::xpath_node found : top.select_nodes(".//*")) {
                pugi::xml_node node = found.node();
                if (w.Is(node, "headerReference") || w.Is(node, "footerReference")) {
                    for (pugi::xml_attribute attribute : node.attributes()) {
                        std::string_view name = attribute.name();
                        if (!name.ends_with(":id") && name != "id") continue;
                        bool merged = std::any_of(parts_.begin(), parts_.end(), [&](const MergedPart& part) {
                            return std::any_of(
                                part.relationships.begin(), part.relationships.end(),
                                [&](const Relationship& rel) { return rel.id == attribute.value(); });
                        });
                        if (merged && name != w("id")) cutter.MarkRelationshipId(attribute);
                    }
                    continue;
                }
                for (const NotesPart& notes : notes_) {
                    if (node.name() != notes.referenceName) continue;
                    pugi::xml_attribute id = node.attribute(w("id").c_str());
                    cutter.MarkNumber(id, {static_cast<std::uint64_t>(NoteId(id, true, documentPart_)),
                                           static_cast<std::uint64_t>(notes.stride), false});
                }
            }
        }
    }

    // The relationships and content type of a merged part's copy, for every copy but the last.
    static void AddCopyReferences(const MergedPart& part, MergeBody& relationships, MergeBody& types) {
        for (const Relationship& rel : part.relationships) {
            relationships.BeginRecordBreak();
            relationships.AddLiteral("<Relationship Id=\"qvl");
            relationships.AddCopyNumber({});
            relationships.AddLiteral("_" + Escaped(rel.id) + "\" Type=\"" + Escaped(rel.type) +
                                     "\" Target=\"/" + Escaped(part.copyStem));
            relationships.AddCopyNumber({1, 1, false});
            relationships.AddLiteral(Escaped(part.extension) + "\"/>");
            relationships.EndRecordBreak();
        }
        if (part.contentType.empty()) return;
        types.BeginRecordBreak();
        types.AddLiteral("<Override PartName=\"/" + Escaped(part.copyStem));
        types.AddCopyNumber({1, 1, false});
        types.AddLiteral(Escaped(part.extension) + "\" ContentType=\"" + Escaped(part.contentType) + "\"/>");
        types.EndRecordBreak();
    }

    // Puts a copy of the final section properties where a copy's section ends (the properties of its last
    // paragraph), as a record break, and gives the body's final section properties. The copies must each
    // start a page: the section that starts a copy loses any other break type.
    static pugi::xml_node MarkRecordBreak(pugi::xml_node body, const WordNames& w) {
        pugi::xml_node finalSection = body.last_child();
        while (finalSection && finalSection.type() != pugi::node_element)
            finalSection = finalSection.previous_sibling();
        // A body without final section properties has the default page: say so, to have them to repeat.
        if (!finalSection || !w.Is(finalSection, "sectPr"))
            finalSection = body.append_child(w("sectPr").c_str());

        pugi::xml_node firstInner = body.select_node((".//" + w("pPr") + "/" + w("sectPr")).c_str()).node();
        (firstInner ? firstInner : finalSection).remove_child(w("type").c_str());

        pugi::xml_node last = finalSection.previous_sibling();
        while (last && last.type() != pugi::node_element)
            last = last.previous_sibling();
        pugi::xml_node properties;
        if (last && w.Is(last, "p")) {
            properties = last.child(w("pPr").c_str());
            if (!properties) properties = last.prepend_child(w("pPr").c_str());
            if (properties.child(w("sectPr").c_str())) properties = pugi::xml_node();
        }
        if (!properties) {
            pugi::xml_node paragraph = body.insert_child_before(w("p").c_str(), finalSection);
            properties = paragraph.append_child(w("pPr").c_str());
        }
        pugi::xml_node change = properties.child(w("pPrChange").c_str());
        pugi::xml_node copy = change ? properties.insert_copy_before(finalSection, change)
                                     : properties.append_copy(finalSection);
        PartCutter::MarkBreak(copy, properties, true);
        PartCutter::MarkBreak(copy.next_sibling(), properties, false);
        return finalSection;
    }

    // A merged document is no main document: Word would ask for the data source on opening it.
    void LeaveOutMailMergeSettings() {
        std::string settingsPart = RelatedPart(package_, documentPart_, "settings");
        if (settingsPart.empty() || package_.Find(settingsPart) == nullptr) return;
        pugi::xml_document settings;
        ParsePart(package_, settingsPart, settings);
        WordNames w(settings.document_element());
        if (settings.document_element().remove_child(w("mailMerge").c_str()))
            package_.Set(settingsPart, XmlText(settings));
    }

    Package package_;
    std::string documentPart_;
    std::string prefix_;
    CutPart document_;
    std::vector<MergedPart> parts_;
    std::vector<NotesPart> notes_;
    ListPart contentTypes_, documentRelationships_;
    std::uint64_t drawingIdStride_ = 1;
    std::uint64_t paragraphIds_ = 0, paragraphIdsMarked_ = 0;
};

} // namespace

std::unique_ptr<MainDocument> ReadDocxMainDocument(std::string content) {
    return std::make_unique<DocxMainDocument>(std::move(content));
}

} // namespace word
