// A DOCX main document: the document part is cut at its body; the body's content is written once per
// record and the body's final section properties once at the end. Every copy but the last ends with a
// section break (the final section properties, as a next-page break) in its last paragraph, so each record
// starts a page with the template's page setup, headers and footers. Every MERGEFIELD field, simple or
// complex (begin, instruction, separator, result and end in several runs), becomes one run that holds the
// value in the formatting of the field's result.

#include "docx_parts.h"
#include "docx_text.h"
#include "main_document.h"
#include "merge_body.h"
#include "word.h"

namespace word {
namespace {

constexpr std::string_view kFieldMarker = "qvl-field";
constexpr std::string_view kBreakMarker = "qvl-break";
constexpr std::string_view kBodyMarker = "qvl-body";

struct FieldSlot {
    MergeField field;
    std::string runProperties;
};

// A complex field while its runs are read; its runs are those from its begin run to its end run.
struct OpenField {
    size_t beginRun; // index in the body's runs
    std::string instruction;
    bool separated = false;
    std::optional<std::string> resultProperties;
};

// A merge field's runs, to be replaced by its value.
struct Replacement {
    size_t beginRun;
    size_t endRun;
    size_t slot;
};

class DocxMainDocument : public MainDocument {
public:
    explicit DocxMainDocument(std::string content) : package_(Package::Read(content)) {
        documentPart_ = MainDocumentPart(package_);
        pugi::xml_document document;
        ParsePart(package_, documentPart_, document);
        pugi::xml_node root = document.document_element();
        WordNames w(root);
        prefix_ = w("");
        pugi::xml_node body = root.child(w("body").c_str());
        if (!body) throw AutomationError("The document part " + documentPart_ + " has no body");

        RemoveProcessingInstructions(document);
        RemoveBookmarks(body, w);
        ReplaceSimpleFields(body, w);
        ReplaceComplexFields(body, w);
        pugi::xml_node finalSection = MarkRecordBreak(body, w);
        ReadBody(body, finalSection);

        pugi::xml_node marker = body.insert_child_before(pugi::node_pi, finalSection);
        marker.set_name(std::string(kBodyMarker).c_str());
        std::string text = XmlText(document);
        std::string markerText = "<?" + std::string(kBodyMarker) + "?>";
        size_t at = text.find(markerText);
        documentPrefix_ = text.substr(0, at);
        documentSuffix_ = text.substr(at + markerText.size());
        LeaveOutMailMergeSettings();
    }

    MergedText Merge(std::shared_ptr<const DataSource> data) const override {
        Package merged = package_;
        merged.Set(documentPart_, MergedText(
                                      body_, std::move(data),
                                      [prefix = prefix_](std::string_view value, std::string& out) {
                                          EncodeRunContent(value, prefix, out);
                                      },
                                      documentPrefix_, documentSuffix_));
        return MergedText(merged.Write());
    }

private:
    // The cut marks are processing instructions; the document keeps none of its own (Word ignores them).
    static void RemoveProcessingInstructions(pugi::xml_document& document) {
        std::vector<pugi::xml_node> instructions;
        for (pugi::xpath_node node : document.select_nodes("//processing-instruction()"))
            instructions.push_back(node.node());
        for (pugi::xml_node node : instructions)
            node.parent().remove_child(node);
        pugi::xml_node declaration = document.first_child();
        if (declaration.type() == pugi::node_declaration && declaration.attribute("encoding"))
            declaration.attribute("encoding").set_value("UTF-8");
    }

    // Bookmark names must be unique in a document, so the copies carry none.
    static void RemoveBookmarks(pugi::xml_node body, const WordNames& w) {
        std::vector<pugi::xml_node> bookmarks;
        for (pugi::xpath_node node :
             body.select_nodes((".//" + w("bookmarkStart") + " | .//" + w("bookmarkEnd")).c_str()))
            bookmarks.push_back(node.node());
        for (pugi::xml_node node : bookmarks)
            node.parent().remove_child(node);
    }

    // Marks where the value of slot goes: the fields themselves are removed afterwards.
    static void InsertFieldMarker(pugi::xml_node before, size_t slot) {
        pugi::xml_node marker = before.parent().insert_child_before(pugi::node_pi, before);
        marker.set_name(std::string(kFieldMarker).c_str());
        marker.set_value(std::to_string(slot).c_str());
    }

    void ReplaceSimpleFields(pugi::xml_node body, const WordNames& w) {
        std::vector<pugi::xml_node> fields;
        for (pugi::xpath_node node : body.select_nodes((".//" + w("fldSimple")).c_str()))
            fields.push_back(node.node());
        std::vector<pugi::xml_node> replaced;
        for (pugi::xml_node field : fields) {
            std::optional<MergeField> merge = ParseMergeField(field.attribute(w("instr").c_str()).value());
            if (!merge) continue;
            pugi::xml_node properties = field.child(w("r").c_str()).child(w("rPr").c_str());
            InsertFieldMarker(field, slots_.size());
            slots_.push_back({std::move(*merge), properties ? XmlText(properties) : ""});
            replaced.push_back(field);
        }
        // Inner fields first (reverse document order), so that no node is removed after its ancestor.
        for (auto it = replaced.rbegin(); it != replaced.rend(); ++it)
            it->parent().remove_child(*it);
    }

    // Fields nest: the runs of one may hold whole other fields. Merge fields inside a merge field go with
    // it, so the replacements left are disjoint ranges of runs, and every run is looked at a bounded number
    // of times however the fields nest.
    void ReplaceComplexFields(pugi::xml_node body, const WordNames& w) {
        std::vector<pugi::xml_node> runs;
        for (pugi::xpath_node node : body.select_nodes((".//" + w("r")).c_str()))
            runs.push_back(node.node());

        std::vector<OpenField> open;
        std::vector<Replacement> replacements; // ordered by their begin runs
        for (size_t index = 0; index < runs.size(); ++index) {
            pugi::xml_node run = runs[index];
            for (pugi::xml_node child : run.children()) {
                if (w.Is(child, "fldChar")) {
                    std::string_view type = child.attribute(w("fldCharType").c_str()).value();
                    if (type == "begin") {
                        open.push_back({index, "", false, std::nullopt});
                    } else if (type == "separate" && !open.empty()) {
                        open.back().separated = true;
                    } else if (type == "end" && !open.empty()) {
                        EndField(open.back(), runs, index, w, replacements);
                        open.pop_back();
                    }
                } else if (w.Is(child, "instrText") && !open.empty() && !open.back().separated) {
                    open.back().instruction += child.text().get();
                } else if (w.Is(child, "t") && !open.empty() && open.back().separated &&
                           !open.back().resultProperties) {
                    pugi::xml_node properties = run.child(w("rPr").c_str());
                    open.back().resultProperties = properties ? XmlText(properties) : "";
                }
            }
        }
        // Last first: a run may hold others (in a text box), which come after it in document order, so no
        // node is removed after an ancestor of it.
        for (auto replacement = replacements.rbegin(); replacement != replacements.rend(); ++replacement) {
            InsertFieldMarker(runs[replacement->beginRun], replacement->slot);
            for (size_t index = replacement->endRun + 1; index-- > replacement->beginRun;)
                runs[index].parent().remove_child(runs[index]);
        }
    }

    void EndField(const OpenField& field, const std::vector<pugi::xml_node>& runs, size_t endRun,
                  const WordNames& w, std::vector<Replacement>& replacements) {
        std::optional<MergeField> merge = ParseMergeField(field.instruction);
        if (!merge) return;
        pugi::xml_node beginRun = runs[field.beginRun];
        if (Paragraph(beginRun, w) != Paragraph(runs[endRun], w))
            throw AutomationError("The merge field " + merge->name + " spans several paragraphs");
        std::string properties;
        if (field.resultProperties) {
            properties = *field.resultProperties;
        } else if (pugi::xml_node codeProperties = beginRun.child(w("rPr").c_str())) {
            properties = XmlText(codeProperties);
        }
        while (!replacements.empty() && replacements.back().beginRun > field.beginRun)
            replacements.pop_back(); // a merge field inside this one goes with it
        replacements.push_back({field.beginRun, endRun, slots_.size()});
        slots_.push_back({std::move(*merge), std::move(properties)});
    }

    static pugi::xml_node Paragraph(pugi::xml_node node, const WordNames& w) {
        while (node && !w.Is(node, "p"))
            node = node.parent();
        return node;
    }

    // Puts the break marker where a copy's section ends (the properties of its last paragraph) and gives
    // the body's final section properties. The copies must each start a page: the section that starts a
    // copy loses any other break type.
    pugi::xml_node MarkRecordBreak(pugi::xml_node body, const WordNames& w) {
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
        pugi::xml_node marker = change ? properties.insert_child_before(pugi::node_pi, change)
                                       : properties.append_child(pugi::node_pi);
        marker.set_name(std::string(kBreakMarker).c_str());

        recordBreak_ = XmlText(finalSection);
        return finalSection;
    }

    void ReadBody(pugi::xml_node body, pugi::xml_node finalSection) {
        std::string text;
        std::vector<pugi::xml_node> content;
        for (pugi::xml_node child : body.children()) {
            if (child == finalSection) continue;
            text += XmlText(child);
            content.push_back(child);
        }
        for (pugi::xml_node child : content)
            body.remove_child(child);

        const std::string fieldStart = "<?" + std::string(kFieldMarker) + " ";
        const std::string breakMarker = "<?" + std::string(kBreakMarker) + "?>";
        size_t from = 0;
        while (true) {
            size_t at = text.find("<?qvl-", from);
            if (at == std::string::npos) break;
            body_->AddLiteral(std::string_view(text).substr(from, at - from));
            if (text.compare(at, breakMarker.size(), breakMarker) == 0) {
                body_->AddRecordBreak(recordBreak_);
                from = at + breakMarker.size();
                continue;
            }
            size_t end = text.find("?>", at);
            size_t slot = std::stoul(text.substr(at + fieldStart.size(), end - at - fieldStart.size()));
            body_->AddField(std::move(slots_.at(slot).field),
                            "<" + prefix_ + "r>" + slots_[slot].runProperties, "</" + prefix_ + "r>");
            from = end + 2;
        }
        body_->AddLiteral(std::string_view(text).substr(from));
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
    std::vector<FieldSlot> slots_;
    std::string recordBreak_;
    std::string documentPrefix_, documentSuffix_;
    std::shared_ptr<MergeBody> body_ = std::make_shared<MergeBody>();
};

} // namespace

std::unique_ptr<MainDocument> ReadDocxMainDocument(std::string content) {
    return std::make_unique<DocxMainDocument>(std::move(content));
}

} // namespace word
