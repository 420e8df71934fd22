// The parts of an Office Open XML package (a zip file), held in memory in their order in the file.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace word {

class Package {
public:
    // Reads a zip file; throws AutomationError when it is not a readable zip file or unpacks to more than
    // kMaxFileSize bytes.
    static Package Read(std::string_view zip);
    // The zip file of the parts.
    std::string Write() const;

    // The part of that name (without a leading "/"), or null.
    const std::string* Find(std::string_view name) const;
    // Replaces the part of that name, or adds it at the end.
    void Set(std::string_view name, std::string data);
    const std::vector<std::pair<std::string, std::string>>& Parts() const { return parts_; }

private:
    std::vector<std::pair<std::string, std::string>> parts_;
};

} // namespace word
