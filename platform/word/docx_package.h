// The parts of an Office Open XML package (a zip file), held in memory in their order in the file. A part
// may be a merged text, made while the package is written.
#pragma once

#include "merge_body.h"

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace word {

class Package {
public:
    // Reads a zip file; throws AutomationError when it is not a readable zip file or unpacks to more than
    // kMaxFileSize bytes.
    static Package Read(std::string_view zip);
    // The zip file of the parts.
    std::string Write() const;

    // The part of that name (without a leading "/"), or null (also for a merged text).
    const std::string* Find(std::string_view name) const;
    // Replaces the part of that name, or adds it at the end.
    void Set(std::string_view name, std::variant<std::string, MergedText> data);
    // The names of the parts in order.
    std::vector<std::string> Names() const;

private:
    std::vector<std::pair<std::string, std::variant<std::string, MergedText>>> parts_;
};

} // namespace word
