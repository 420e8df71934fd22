#include "docx_parts.h"

#include "word/word.h"

#include <cctype>
#include <sstream>

namespace word {
namespace {

std::string ResolveTarget(const std::string& sourcePart, const std::string& target) {
    size_t slash = sourcePart.find_last_of('/');
    std::string path = !target.empty() && target[0] == '/' ? target
                       : slash == std::string::npos        ? target
                                                           : sourcePart.substr(0, slash + 1) + target;
    std::vector<std::string> segments;
    std::istringstream in(path);
    for (std::string segment; std::getline(in, segment, '/');) {
        if (segment.empty() || segment == ".") continue;
        if (segment != "..")
            segments.push_back(segment);
        else if (!segments.empty())
            segments.pop_back();
    }
    std::string resolved;
    for (const std::string& segment : segments)
        resolved += (resolved.empty() ? "" : "/") + segment;
    return resolved;
}

} // namespace

void ParsePart(const Package& package, const std::string& name, pugi::xml_document& document) {
    const std::string* data = package.Find(name);
    if (data == nullptr) throw AutomationError("The package has no part " + name);
    if (data->size() > Package::kMaxXmlPartSize)
        throw AutomationError("The package part " + name + " is " + std::to_string(data->size() >> 20) +
                              " MiB of XML, more than the " + std::to_string(Package::kMaxXmlPartSize >> 20) +
                              " MiB a part may have");
    if (!MayStartXml(std::string_view(*data).substr(0, kXmlStartLength)))
        throw AutomationError("The package part " + name +
                              " is not well-formed XML: it does not start with "
                              "an element");
    pugi::xml_parse_result result = document.load_buffer(
        data->data(), data->size(), pugi::parse_default | pugi::parse_ws_pcdata | pugi::parse_declaration);
    if (!result || !document.document_element()) {
        throw AutomationError("The package part " + name + " is not well-formed XML: " +
                              result.description() + " at offset " + std::to_string(result.offset));
    }
    int depth = 0;
    bool tooDeep = false;
    Walk(
        document, [&](pugi::xml_node) { tooDeep = tooDeep || ++depth > kMaxXmlDepth; },
        [&](pugi::xml_node) { --depth; });
    if (tooDeep) {
        throw AutomationError("The package part " + name + " nests elements more than " +
                              std::to_string(kMaxXmlDepth) + " deep");
    }
}

void CheckXmlParts(const Package& package) {
    for (const std::string& name : package.Names()) {
        if (!HasXmlName(name)) continue;
        pugi::xml_document document;
        ParsePart(package, name, document);
    }
}

std::string XmlText(const pugi::xml_document& document) {
    std::ostringstream out;
    document.save(out, "", pugi::format_raw, pugi::encoding_utf8);
    return out.str();
}

std::string XmlText(const pugi::xml_node& node) {
    std::ostringstream out;
    node.print(out, "", pugi::format_raw, pugi::encoding_utf8);
    return out.str();
}

std::string_view LastSegment(std::string_view uri) {
    size_t slash = uri.find_last_of('/');
    return slash == std::string_view::npos ? uri : uri.substr(slash + 1);
}

std::string RelationshipsPart(const std::string& partName) {
    size_t slash = partName.find_last_of('/');
    return slash == std::string::npos
               ? "_rels/" + partName + ".rels"
               : partName.substr(0, slash) + "/_rels/" + partName.substr(slash + 1) + ".rels";
}

std::pair<std::string, std::string> SplitExtension(const std::string& partName) {
    size_t dot = partName.find_last_of('.');
    if (dot == std::string::npos || partName.find('/', dot) != std::string::npos) dot = partName.size();
    return {partName.substr(0, dot), partName.substr(dot)};
}

std::vector<Relationship> PartRelationships(const Package& package, const std::string& partName) {
    const std::string relsName = RelationshipsPart(partName);
    std::vector<Relationship> relationships;
    if (package.Find(relsName) == nullptr) return relationships;
    pugi::xml_document rels;
    ParsePart(package, relsName, rels);
    for (pugi::xml_node rel : rels.document_element().children("Relationship")) {
        if (std::string_view(rel.attribute("TargetMode").value()) == "External") continue;
        relationships.push_back({rel.attribute("Type").value(), rel.attribute("Id").value(),
                                 ResolveTarget(partName, rel.attribute("Target").value())});
    }
    return relationships;
}

std::string MainDocumentPart(const Package& package) {
    if (package.Find("[Content_Types].xml") == nullptr)
        throw AutomationError("The package has no content types: it is no DOCX document");
    for (const Relationship& rel : PartRelationships(package, "")) {
        if (LastSegment(rel.type) == "officeDocument" && package.Find(rel.target)) return rel.target;
    }
    throw AutomationError("The package has no main document part: it is no DOCX document");
}

std::string RelatedPart(const Package& package, const std::string& mainPart, std::string_view type) {
    for (const Relationship& rel : PartRelationships(package, mainPart)) {
        if (LastSegment(rel.type) == type) return rel.target;
    }
    return "";
}

WordNames::WordNames(const pugi::xml_node& root) {
    std::string_view name = root.name();
    size_t colon = name.find(':');
    if (colon != std::string_view::npos) prefix_ = std::string(name.substr(0, colon + 1));
}

std::string WordNames::operator()(std::string_view localName) const {
    return prefix_ + std::string(localName);
}

bool WordNames::Is(const pugi::xml_node& node, std::string_view localName) const {
    std::string_view name = node.name();
    return name.size() == prefix_.size() + localName.size() && name.substr(0, prefix_.size()) == prefix_ &&
           name.substr(prefix_.size()) == localName;
}

} // namespace word
