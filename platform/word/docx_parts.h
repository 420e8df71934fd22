// Reading and writing the XML parts of a word-processing package: relationships, the main document part
// and the names of the word-processing namespace as the part spells them.
#pragma once

#include "docx_package.h"

#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace word {

// Parses an XML part, keeping whitespace-only text (it matters in w:t); throws AutomationError naming the
// part when it is missing or not well-formed.
void ParsePart(const Package& package, const std::string& name, pugi::xml_document& document);

// Checks that every XML part of the package (by its name's extension, .xml or .rels) is well-formed, so that
// no damaged part passes into a merged document; throws AutomationError naming the first that is not.
void CheckXmlParts(const Package& package);

// The deepest nesting of elements that a part may have: enough for any real document, and shallow enough
// for the XML library, some of whose operations recurse once per level.
inline constexpr int kMaxXmlDepth = 1000;

// Walks a part's elements in document order without recursion, so that deep nesting cannot exhaust the
// stack.
template <typename Enter, typename Leave>
void Walk(pugi::xml_node root, Enter enter, Leave leave) {
    pugi::xml_node node = root.first_child();
    while (node) {
        enter(node);
        if (pugi::xml_node child = node.first_child()) {
            node = child;
            continue;
        }
        while (node != root) {
            leave(node);
            if (pugi::xml_node next = node.next_sibling()) {
                node = next;
                break;
            }
            node = node.parent();
        }
        if (node == root) break;
    }
}

// The XML text of a document or a node, unindented.
std::string XmlText(const pugi::xml_document& document);
std::string XmlText(const pugi::xml_node& node);

struct Relationship {
    std::string type; // the full type URI
    std::string id;
    std::string target; // the part name the target resolves to
};

// The last segment of a URI or part name (after its last "/").
std::string_view LastSegment(std::string_view uri);

// The name of the relationships part of a part.
std::string RelationshipsPart(const std::string& partName);

// A part name cut before its extension, if its last segment has one: ("word/header1", ".xml").
std::pair<std::string, std::string> SplitExtension(const std::string& partName);

// The relationships of a part ("" for the package itself); none when it has no relationships part.
std::vector<Relationship> PartRelationships(const Package& package, const std::string& partName);

// The name of the main document part; throws AutomationError when the package has none.
std::string MainDocumentPart(const Package& package);

// The part that a relationship of the given type (the last segment of its URI, such as "settings") of the
// main document points to, or empty.
std::string RelatedPart(const Package& package, const std::string& mainPart, std::string_view type);

// Element names in the word-processing namespace with the prefix that a part binds to it.
class WordNames {
public:
    explicit WordNames(const pugi::xml_node& root);
    std::string operator()(std::string_view localName) const;
    bool Is(const pugi::xml_node& node, std::string_view localName) const;

private:
    std::string prefix_; // "w:" usually, empty for a default namespace
};

} // namespace word
