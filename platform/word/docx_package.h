// The parts of an Office Open XML package (a zip file), held in memory in their order in the file. A part
// may be a merged text, made while the package is written.
#pragma once

#include "merge_body.h"

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

namespace word {

class Package {
public:
    // The largest part that is unpacked: a larger one (a few hundred kilobytes may unpack to gigabytes) is
    // refused before it is inflated.
    static constexpr size_t kMaxPartSize = size_t{256} << 20;

    // Reads a zip file; throws AutomationError when it is not a readable zip file, an entry is named to lie
    // outside the folder it would be unpacked into (from a root or a drive, or through ".."), a part
    // unpacks to more than kMaxPartSize bytes or the whole to more than kMaxFileSize bytes.
    static Package Read(std::string_view zip);
    // The zip file of the parts.
    std::string Write() const;

    // The part of that name (without a leading "/"), or null (also for a merged text).
    const std::string* Find(std::string_view name) const;
    // Replaces the part of that name, or adds it at the end.
    void Set(std::string_view name, std::string data);
    void Set(std::string_view name, MergedText data);
    // The names of the parts in order.
    std::vector<std::string> Names() const;

private:
    // Parts are shared between copies of a package: a merge copies the template's.
    using Data = std::variant<std::shared_ptr<const std::string>, MergedText>;
    void Put(std::string_view name, Data data);
    std::vector<std::pair<std::string, Data>> parts_;
    // The index of each part by name: a merge adds parts for every copy, which may be hundreds of thousands.
    std::unordered_map<std::string, size_t> index_;
};

} // namespace word
