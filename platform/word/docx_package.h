// The parts of an Office Open XML package (a zip file), held in memory in their order in the file.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace word {

// Whether a part is XML by its name (its extension .xml or .rels, in any case).
bool HasXmlName(std::string_view name);
// Whether the first bytes of a part may start XML: after byte-order marks, blanks and NUL bytes (of UTF-16
// text) comes "<", or nothing yet. A part that is parsed starts so; so a part that does not is never
// parsed, whatever its size.
bool MayStartXml(std::string_view start);
// How much of a part's start MayStartXml is given.
inline constexpr size_t kXmlStartLength = 4096;

class Package {
public:
    // The largest part that is unpacked: a larger one (a few hundred kilobytes may unpack to gigabytes) is
    // refused before it is inflated.
    static constexpr size_t kMaxPartSize = size_t{256} << 20;
    // Parsing XML takes several times its size, so parts of XML (which a merge parses) are held far below
    // that, yet far above what real documents hold: each, and all of them together.
    static constexpr size_t kMaxXmlPartSize = size_t{32} << 20;
    static constexpr size_t kMaxXmlSize = size_t{64} << 20;

    // Reads a zip file; throws AutomationError when it is not a readable zip file, an entry is named to lie
    // outside the folder it would be unpacked into (from a root or a drive, or through ".."), a part
    // unpacks to more than kMaxPartSize bytes, a part of XML (by its name or, whatever its name, by how it
    // starts) to more than kMaxXmlPartSize, all of them to more than kMaxXmlSize or the whole to more than
    // kMaxFileSize bytes. Sizes are checked before the part is inflated.
    static Package Read(std::string_view zip);
    // The zip file of the parts.
    std::string Write() const;

    // The part of that name (without a leading "/"), or null.
    const std::string* Find(std::string_view name) const;
    // The same, shared with this package.
    std::shared_ptr<const std::string> Shared(std::string_view name) const;
    // Replaces the part of that name, or adds it at the end.
    void Set(std::string_view name, std::string data);
    // The names of the parts in order.
    std::vector<std::string> Names() const;

private:
    // Parts are shared between copies of a package: a merge writes the template's.
    std::vector<std::pair<std::string, std::shared_ptr<const std::string>>> parts_;
    // The index of each part by name.
    std::unordered_map<std::string, size_t> index_;
};

} // namespace word
