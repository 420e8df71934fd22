#include "docx_package.h"

#include "file_io.h"
#include "util/text.h"
#include "word/word.h"
#include "zip_writer.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <vector>
#include <zip.h>

namespace word {
namespace {

struct ZipCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct ZipFileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
struct SourceFreer {
    void operator()(zip_source_t* source) const { zip_source_free(source); }
};

[[noreturn]] void Fail(const std::string& what, zip_error_t* error) {
    std::string reason = zip_error_strerror(error);
    zip_error_fini(error);
    throw AutomationError(what + ": " + reason);
}

// Reads an entry whose stated size has been checked; before the rest is inflated, check(start) is given
// its first bytes (at most kXmlStartLength).
template <typename Check>
std::string ReadEntry(zip_t* archive, zip_uint64_t index, zip_uint64_t size, const std::string& name,
                      Check check) {
    std::unique_ptr<zip_file_t, ZipFileCloser> file(zip_fopen_index(archive, index, 0));
    if (!file) throw AutomationError("The package part " + name + " cannot be read");
    const auto read = [&](char* into, zip_uint64_t length) {
        if (zip_fread(file.get(), into, length) != static_cast<zip_int64_t>(length))
            throw AutomationError("The package part " + name + " is damaged");
    };
    const zip_uint64_t startLength = std::min<zip_uint64_t>(size, kXmlStartLength);
    std::string data(static_cast<size_t>(startLength), '\0');
    read(data.data(), startLength);
    check(std::string_view(data));
    data.resize(static_cast<size_t>(size));
    read(data.data() + startLength, size - startLength);
    char extra = 0;
    if (zip_fread(file.get(), &extra, 1) != 0)
        throw AutomationError("The package part " + name + " is damaged");
    return data;
}

std::string MiB(zip_uint64_t size) {
    return std::to_string(size >> 20) + " MiB";
}

// The parts of a package as the entries of its zip file.
class PartEntries : public ZipEntries {
public:
    explicit PartEntries(std::vector<std::pair<std::string, std::shared_ptr<const std::string>>> parts)
        : parts_(std::move(parts)) {}
    size_t Count() const override { return parts_.size(); }
    std::string Name(size_t index) const override { return parts_[index].first; }
    ZipContent Content(size_t index) const override { return parts_[index].second; }

private:
    std::vector<std::pair<std::string, std::shared_ptr<const std::string>>> parts_;
};

// Whether a program that unpacks the package would write the entry outside the folder it unpacks into: a
// name that starts at a root or a drive, or that climbs out through "..", with either kind of slash.
bool NamesOutsideThePackage(std::string_view name) {
    if (name.starts_with('/') || name.starts_with('\\')) return true;
    if (name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0]))) return true;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("/\\", start);
        if (end == std::string_view::npos) end = name.size();
        if (name.substr(start, end - start) == "..") return true;
        start = end + 1;
    }
    return false;
}

} // namespace

bool HasXmlName(std::string_view name) {
    const auto endsWith = [&](std::string_view extension) {
        return name.size() >= extension.size() &&
               util::EqualsNoCase(name.substr(name.size() - extension.size()), extension);
    };
    return endsWith(".xml") || endsWith(".rels");
}

bool MayStartXml(std::string_view start) {
    size_t at = start.find_first_not_of(std::string_view("\xEF\xBB\xBF\xFE\xFF\0 \t\r\n", 10));
    return at == std::string_view::npos || start[at] == '<';
}

Package Package::Read(std::string_view zip) {
    zip_error_t error;
    zip_error_init(&error);
    std::unique_ptr<zip_source_t, SourceFreer> source(
        zip_source_buffer_create(zip.data(), zip.size(), 0, &error));
    if (!source) Fail("The package cannot be read", &error);
    std::unique_ptr<zip_t, ZipCloser> archive(
        zip_open_from_source(source.get(), ZIP_RDONLY | ZIP_CHECKCONS, &error));
    if (!archive) Fail("The package is not a readable zip file", &error);
    source.release(); // the archive owns it now
    zip_error_fini(&error);

    Package package;
    size_t total = 0, xmlTotal = 0;
    zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(archive.get(), static_cast<zip_uint64_t>(i), 0, &st) != 0 ||
            !(st.valid & ZIP_STAT_NAME) || !(st.valid & ZIP_STAT_SIZE))
            throw AutomationError("The package has an unreadable entry");
        std::string name = st.name;
        if (NamesOutsideThePackage(name))
            throw AutomationError("The package entry " + name +
                                  " is named to lie outside the package: it is no document part");
        if (!name.empty() && name.back() == '/') continue;
        if (st.size > kMaxPartSize)
            throw AutomationError("The package part " + name + " unpacks to " + MiB(st.size) +
                                  ", more than the " + MiB(kMaxPartSize) + " a part may have");
        if (st.size > kMaxFileSize - total) throw AutomationError("The package unpacks to too much data");
        total += static_cast<size_t>(st.size);
        const auto checkXml = [&] {
            if (st.size > kMaxXmlPartSize)
                throw AutomationError("The package part " + name + " unpacks to " + MiB(st.size) +
                                      " of XML, more than the " + MiB(kMaxXmlPartSize) + " a part may have");
            if (st.size > kMaxXmlSize - xmlTotal)
                throw AutomationError("The package's parts of XML unpack to " + MiB(xmlTotal + st.size) +
                                      " up to " + name + ", more than the " + MiB(kMaxXmlSize) +
                                      " a document may have");
            xmlTotal += static_cast<size_t>(st.size);
        };
        const bool xmlName = HasXmlName(name);
        if (xmlName) checkXml();
        package.Set(name, ReadEntry(archive.get(), static_cast<zip_uint64_t>(i), st.size, name,
                                    [&](std::string_view start) {
                                        if (!xmlName && MayStartXml(start)) checkXml();
                                    }));
    }
    return package;
}

std::string Package::Write() const {
    return ZipFile(std::make_shared<const PartEntries>(parts_)).Join();
}

const std::string* Package::Find(std::string_view name) const {
    auto found = index_.find(std::string(name));
    return found == index_.end() ? nullptr : parts_[found->second].second.get();
}

std::shared_ptr<const std::string> Package::Shared(std::string_view name) const {
    auto found = index_.find(std::string(name));
    return found == index_.end() ? nullptr : parts_[found->second].second;
}

std::vector<std::string> Package::Names() const {
    std::vector<std::string> names;
    for (const auto& part : parts_)
        names.push_back(part.first);
    return names;
}

void Package::Set(std::string_view name, std::string data) {
    auto shared = std::make_shared<const std::string>(std::move(data));
    auto [found, added] = index_.try_emplace(std::string(name), parts_.size());
    if (added)
        parts_.emplace_back(std::string(name), std::move(shared));
    else
        parts_[found->second].second = std::move(shared);
}

} // namespace word
