#include "docx_cut.h"

#include "docx_text.h"
#include "word/word.h"

#include <charconv>

namespace word {
namespace {

// The marks are processing instructions, which the part keeps none of its own of (word processors ignore
// them), so no text of the template can be taken for one: in text and attribute values "<" is escaped, and
// CDATA sections (which would write it as it stands) become plain text first.
constexpr std::string_view kMarkStart = "<?qvl-";
constexpr std::string_view kFieldMark = "field";
constexpr std::string_view kAttributeMark = "attr";
constexpr std::string_view kBreakBeginMark = "break-begin";
constexpr std::string_view kBreakEndMark = "break-end";
constexpr std::string_view kContentMark = "content";

// A mark that does not read as the cut wrote it: the part was not cut as it should have been.
[[noreturn]] void MarkUnreadable() {
    throw AutomationError("A part of the template could not be read for the merge");
}

// The number a mark carries between from and end (the mark's "?>"), below limit.
size_t SlotOf(const std::string& text, size_t from, size_t end, size_t limit) {
    size_t number = limit;
    if (end != std::string::npos && end > from) {
        const char* first = text.data() + from;
        while (first < text.data() + end && *first == ' ')
            ++first;
        const auto [last, error] = std::from_chars(first, text.data() + end, number);
        if (error != std::errc() || last != text.data() + end) number = limit;
    }
    if (number >= limit) MarkUnreadable();
    return number;
}

pugi::xml_node InsertMark(pugi::xml_node parent, pugi::xml_node before, std::string_view name,
                          const std::string& value = "") {
    pugi::xml_node mark =
        before ? parent.insert_child_before(pugi::node_pi, before) : parent.append_child(pugi::node_pi);
    mark.set_name(("qvl-" + std::string(name)).c_str());
    if (!value.empty()) mark.set_value(value.c_str());
    return mark;
}

std::string MarkText(std::string_view name) {
    return std::string(kMarkStart) + std::string(name);
}

// A field while its runs are read: a complex field's runs are those from its begin run to its end run, a
// simple field's result is the runs inside its element.
struct OpenField {
    size_t begin; // index in the part's field items
    FieldCode code;
    bool separated = false;
    bool simple = false;
    std::optional<std::string> resultProperties;
};

// A merge field's items, to be replaced by its value.
struct Replacement {
    size_t begin;
    size_t end;
    size_t slot;
};

// A field that ended inside another: part of its instruction, or of its result.
void Nest(FieldCode code, OpenField& parent, size_t depth) {
    if (parent.separated) {
        // Below the nesting bound results are left out, or each level would copy all those within it.
        if (depth <= kMaxFieldNesting) parent.code.result += code.result;
        return;
    }
    if (depth > kMaxFieldNesting) code = {"", {}, std::move(code.result)};
    parent.code.instruction += kNestedField;
    parent.code.nested.push_back(std::move(code));
}

pugi::xml_node Paragraph(pugi::xml_node node, const WordNames& w) {
    while (node && !w.Is(node, "p"))
        node = node.parent();
    return node;
}

} // namespace

PartCutter::PartCutter(pugi::xml_document& document, pugi::xml_node container)
    : w_(document.document_element()), prefix_(w_("")) {
    std::vector<pugi::xml_node> instructions;
    for (pugi::xpath_node node : document.select_nodes("//processing-instruction()"))
        instructions.push_back(node.node());
    for (pugi::xml_node node : instructions)
        node.parent().remove_child(node);
    std::vector<pugi::xml_node> sections;
    for (pugi::xpath_node node : document.select_nodes("//text()"))
        if (node.node().type() == pugi::node_cdata) sections.push_back(node.node());
    for (pugi::xml_node node : sections) {
        node.parent().insert_child_before(pugi::node_pcdata, node).set_value(node.value());
        node.parent().remove_child(node);
    }
    pugi::xml_node declaration = document.first_child();
    if (declaration.type() == pugi::node_declaration && declaration.attribute("encoding"))
        declaration.attribute("encoding").set_value("UTF-8");

    // Bookmark names must be unique in a document, so the copies carry none.
    std::vector<pugi::xml_node> bookmarks;
    for (pugi::xpath_node node :
         container.select_nodes((".//" + w_("bookmarkStart") + " | .//" + w_("bookmarkEnd")).c_str()))
        bookmarks.push_back(node.node());
    for (pugi::xml_node node : bookmarks)
        node.parent().remove_child(node);

    IsolateFieldCharacters(container);
    ReplaceFields(container);
}

// A field is replaced run by run, so a run that holds a field character besides other content (text
// before or after the field, as some programs write) is first split into runs of its own, each with the
// run's properties: a field character alone, and what lies between field characters.
void PartCutter::IsolateFieldCharacters(pugi::xml_node container) {
    std::vector<pugi::xml_node> runs;
    for (pugi::xpath_node node :
         container.select_nodes((".//" + w_("r") + "[" + w_("fldChar") + "]").c_str()))
        runs.push_back(node.node());
    for (pugi::xml_node run : runs) {
        std::vector<pugi::xml_node> content;
        for (pugi::xml_node child : run.children())
            if (!w_.Is(child, "rPr")) content.push_back(child);
        if (content.size() < 2) continue;
        pugi::xml_node properties = run.child(w_("rPr").c_str());
        pugi::xml_node piece;
        bool afterFieldCharacter = false;
        for (pugi::xml_node child : content) {
            bool fieldCharacter = w_.Is(child, "fldChar");
            if (!piece || fieldCharacter || afterFieldCharacter) {
                piece = run.parent().insert_child_before(w_("r").c_str(), run);
                for (pugi::xml_attribute attribute : run.attributes())
                    piece.append_copy(attribute);
                if (properties) piece.append_copy(properties);
            }
            piece.append_move(child);
            afterFieldCharacter = fieldCharacter;
        }
        run.parent().remove_child(run);
    }
}

// Fields nest: the runs of one may hold whole other fields, complex or simple. A field met while a
// complex field's instruction is read is part of that instruction (Word writes the fields inside an IF
// as simple fields there); one met in a result is part of that result. Merge fields inside a merge field
// go with it, so the replacements left are disjoint ranges of items, and every run is looked at a
// bounded number of times however the fields nest.
void PartCutter::ReplaceFields(pugi::xml_node container) {
    enum class Kind { Run, SimpleBegin, SimpleEnd };
    struct Item {
        pugi::xml_node node;
        Kind kind;
    };
    std::vector<Item> items; // in document order
    Walk(
        container,
        [&](pugi::xml_node node) {
            if (w_.Is(node, "r")) items.push_back({node, Kind::Run});
            if (w_.Is(node, "fldSimple")) items.push_back({node, Kind::SimpleBegin});
        },
        [&](pugi::xml_node node) {
            if (w_.Is(node, "fldSimple")) items.push_back({node, Kind::SimpleEnd});
        });

    std::vector<OpenField> open;
    std::vector<Replacement> replacements; // ordered by their begin items
    const auto endField = [&](size_t endItem) {
        OpenField field = std::move(open.back());
        open.pop_back();
        if (std::optional<MergeField> merge = ParseField(field.code)) {
            pugi::xml_node begin = items[field.begin].node;
            if (Paragraph(begin, w_) != Paragraph(items[endItem].node, w_))
                throw AutomationError("The merge field " + merge->name + " spans several paragraphs");
            std::string properties;
            pugi::xml_node codeProperties = field.simple
                                                ? begin.child(w_("r").c_str()).child(w_("rPr").c_str())
                                                : begin.child(w_("rPr").c_str());
            if (field.resultProperties && !field.simple) {
                properties = *field.resultProperties;
            } else if (codeProperties) {
                properties = XmlText(codeProperties);
            }
            while (!replacements.empty() && replacements.back().begin > field.begin)
                replacements.pop_back(); // a merge field inside this one goes with it
            replacements.push_back({field.begin, endItem, slots_.size()});
            slots_.push_back({std::move(*merge), std::move(properties)});
        }
        if (!open.empty()) Nest(std::move(field.code), open.back(), open.size());
    };
    for (size_t index = 0; index < items.size(); ++index) {
        const Item& item = items[index];
        if (item.kind == Kind::SimpleBegin) {
            std::string instruction = item.node.attribute(w_("instr").c_str()).value();
            std::erase(instruction, kNestedField);
            open.push_back({index, {std::move(instruction), {}, ""}, true, true, std::nullopt});
            continue;
        }
        if (item.kind == Kind::SimpleEnd) {
            // Complex fields begun in the simple field's result and not ended there never end.
            while (!open.empty() && !(open.back().simple && items[open.back().begin].node == item.node))
                open.pop_back();
            if (!open.empty()) endField(index);
            continue;
        }
        pugi::xml_node run = item.node;
        for (pugi::xml_node child : run.children()) {
            // A complex field's characters act on complex fields only: a simple field ends with its element.
            const bool complexOpen = !open.empty() && !open.back().simple;
            if (w_.Is(child, "fldChar")) {
                std::string_view type = child.attribute(w_("fldCharType").c_str()).value();
                if (type == "begin") {
                    open.push_back({index, {}, false, false, std::nullopt});
                } else if (type == "separate" && complexOpen) {
                    open.back().separated = true;
                } else if (type == "end" && complexOpen) {
                    endField(index);
                }
            } else if (w_.Is(child, "instrText") && complexOpen && !open.back().separated) {
                std::string text = child.text().get();
                std::erase(text, kNestedField);
                open.back().code.instruction += text;
            } else if ((w_.Is(child, "t") || w_.Is(child, "instrText")) && !open.empty() &&
                       open.back().separated) {
                // A field nested in another's instruction has its result as instruction text.
                open.back().code.result += child.text().get();
                if (open.back().resultProperties) continue;
                pugi::xml_node properties = run.child(w_("rPr").c_str());
                open.back().resultProperties = properties ? XmlText(properties) : "";
            }
        }
    }
    // Last first: a run may hold others (in a text box), and a simple field holds its result's runs, which
    // come after it in document order, so no node is removed after an ancestor of it.
    for (auto replacement = replacements.rbegin(); replacement != replacements.rend(); ++replacement) {
        pugi::xml_node begin = items[replacement->begin].node;
        InsertMark(begin.parent(), begin, kFieldMark, std::to_string(replacement->slot));
        for (size_t index = replacement->end + 1; index-- > replacement->begin;)
            if (items[index].kind != Kind::SimpleEnd)
                items[index].node.parent().remove_child(items[index].node);
    }
}

// The attribute's name becomes the mark, which the writer puts before the attribute's value.
void PartCutter::MarkRelationshipId(pugi::xml_attribute attribute) {
    MarkAttribute(attribute, {attribute.name(), attribute.value(), true, {}});
}

void PartCutter::MarkNumber(pugi::xml_attribute attribute, CopyNumber number) {
    MarkAttribute(attribute, {attribute.name(), attribute.value(), false, number});
}

void PartCutter::MarkAttribute(pugi::xml_attribute attribute, AttributeSlot slot) {
    attributes_.push_back(std::move(slot));
    attribute.set_name(
        (MarkText(kAttributeMark) + " " + std::to_string(attributes_.size() - 1) + "?>").c_str());
}

void PartCutter::MarkBreak(pugi::xml_node before, pugi::xml_node parent, bool begin) {
    InsertMark(parent, before, begin ? kBreakBeginMark : kBreakEndMark);
}

CutPart PartCutter::Cut(pugi::xml_document& document, const std::vector<pugi::xml_node>& content) {
    CutPart cut;
    std::string text;
    for (pugi::xml_node node : content)
        text += XmlText(node);
    pugi::xml_node parent = content.empty() ? document.document_element() : content.front().parent();
    pugi::xml_node after = content.empty() ? pugi::xml_node() : content.back().next_sibling();
    for (pugi::xml_node node : content)
        parent.remove_child(node);
    pugi::xml_node mark = InsertMark(parent, after, kContentMark);
    std::string whole = XmlText(document);
    parent.remove_child(mark);
    std::string markText = MarkText(kContentMark) + "?>";
    size_t at = whole.find(markText);
    cut.prefix = whole.substr(0, at);
    cut.suffix = whole.substr(at + markText.size());
    AddToBody(text, *cut.body);
    return cut;
}

void PartCutter::AddToBody(const std::string& text, MergeBody& body) {
    const std::string breakBegin = MarkText(kBreakBeginMark) + "?>";
    const std::string breakEnd = MarkText(kBreakEndMark) + "?>";
    const std::string field = MarkText(kFieldMark) + " ";
    const std::string attribute = MarkText(kAttributeMark) + " ";
    size_t from = 0;
    while (true) {
        size_t at = text.find(kMarkStart, from);
        if (at == std::string::npos) break;
        body.AddLiteral(std::string_view(text).substr(from, at - from));
        if (text.compare(at, breakBegin.size(), breakBegin) == 0) {
            body.BeginRecordBreak();
            from = at + breakBegin.size();
            continue;
        }
        if (text.compare(at, breakEnd.size(), breakEnd) == 0) {
            body.EndRecordBreak();
            from = at + breakEnd.size();
            continue;
        }
        const size_t end = text.find("?>", at);
        if (text.compare(at, field.size(), field) == 0) {
            const size_t slot = SlotOf(text, at + field.size(), end, slots_.size());
            body.AddField(std::move(slots_[slot].field), "<" + prefix_ + "r>" + slots_[slot].runProperties,
                          "</" + prefix_ + "r>");
            from = end + 2;
            continue;
        }
        // An attribute: its mark, then ="value" as the part held it.
        if (text.compare(at, attribute.size(), attribute) != 0) MarkUnreadable();
        const AttributeSlot& slot = attributes_[SlotOf(text, at + attribute.size(), end, attributes_.size())];
        const size_t valueEnd = end + 4 <= text.size() ? text.find('"', end + 4) : std::string::npos;
        if (valueEnd == std::string::npos) MarkUnreadable();
        body.AddLiteral(slot.name + "=\"");
        if (slot.relationshipId) {
            body.BeginRecordBreak();
            body.AddLiteral("qvl");
            body.AddCopyNumber({});
            body.AddLiteral("_");
            body.EndRecordBreak();
            std::string value; // as the part held it, before its entities were read
            AppendXmlEscaped(slot.value, value);
            body.AddLiteral(value);
        } else {
            body.AddCopyNumber(slot.number);
        }
        body.AddLiteral("\"");
        from = valueEnd + 1;
    }
    body.AddLiteral(std::string_view(text).substr(from));
}

} // namespace word
