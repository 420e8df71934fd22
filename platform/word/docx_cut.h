// Cutting an XML part of a DOCX template into what a merge writes once and what it writes per copy: the
// merge fields of the part become value slots, and attributes whose values must differ from copy to copy
// (relationship ids, note ids, drawing and paragraph ids) become copy numbers.
#pragma once

#include "docx_parts.h"
#include "merge_body.h"

#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <vector>

namespace word {

// The text of a part around its per-copy content, and that content.
struct CutPart {
    std::string prefix;
    std::shared_ptr<MergeBody> body = std::make_shared<MergeBody>();
    std::string suffix;
};

class PartCutter {
public:
    // Reads the part's fields (simple and complex) and marks them; the document keeps no processing
    // instructions or bookmarks of its own.
    PartCutter(pugi::xml_document& document, pugi::xml_node container);

    const WordNames& Names() const { return w_; }
    bool HasFields() const { return !slots_.empty(); }

    // The value an attribute gets in each copy: in every copy but the last, a relationship id gets a
    // prefix of its own (the last copy uses the template's relationships); or a copy number.
    void MarkRelationshipId(pugi::xml_attribute attribute);
    void MarkNumber(pugi::xml_attribute attribute, CopyNumber number);

    // Marks where a record break begins and ends: what lies between is left out of the last copy.
    static void MarkBreak(pugi::xml_node before, pugi::xml_node parent, bool begin);

    // Cuts the document at the content: the nodes given (children of one parent, in order) are written per
    // copy, where they stood; the rest of the document once, around them.
    CutPart Cut(pugi::xml_document& document, const std::vector<pugi::xml_node>& content);

private:
    void IsolateFieldCharacters(pugi::xml_node container);
    void ReplaceFields(pugi::xml_node container);
    void AddToBody(const std::string& text, MergeBody& body);

    struct FieldSlot {
        MergeField field;
        std::string runProperties;
    };
    struct AttributeSlot {
        std::string name;
        std::string value;
        bool relationshipId = false;
        CopyNumber number;
    };
    void MarkAttribute(pugi::xml_attribute attribute, AttributeSlot slot);

    WordNames w_;
    std::string prefix_;
    std::vector<FieldSlot> slots_;
    std::vector<AttributeSlot> attributes_;
};

} // namespace word
