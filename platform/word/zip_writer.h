// Writing a zip file as it is read, so that a package whose parts are made as they are written (a merged
// document may have hundreds of thousands of them: the headers and footers of every copy) is never held
// whole: the writer holds one entry's pieces at a time and 24 bytes per entry for the central directory.
#pragma once

#include "merge_body.h"

#include <cstdint>
#include <memory>
#include <string>
#include <variant>

namespace word {

// The content of an entry: bytes held whole, or a text made as it is read.
using ZipContent = std::variant<std::shared_ptr<const std::string>, MergedText>;

// The entries of a zip file in order, asked for one at a time (twice each: for the entry, and for its
// name in the central directory), so that they need not exist all at once.
class ZipEntries {
public:
    virtual ~ZipEntries() = default;
    virtual size_t Count() const = 0;
    virtual std::string Name(size_t index) const = 0;
    virtual ZipContent Content(size_t index) const = 0;
};

// The limits of the zip file's 16- and 32-bit fields: an archive past them (more entries, or entries,
// central directory or end beyond 4 GiB) gets the 64-bit records for them. Tests lower them.
struct ZipFieldLimits {
    std::uint64_t entries = 0xFFFF;
    std::uint64_t bytes = 0xFFFFFFFF;
};

// The zip file of the entries, made as it is read: every entry deflated, its checksum and sizes in a
// descriptor after its data (its local header states none of them, so it needs no 64-bit extension) and
// in the central directory. Reading it throws AutomationError, naming the entry, when an entry reaches
// the 32-bit limit of its sizes (4 GiB, more than a word processor opens), or its name 64 KiB.
MergedText ZipFile(std::shared_ptr<const ZipEntries> entries, ZipFieldLimits limits = {});

} // namespace word
