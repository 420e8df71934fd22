#include "docx_package.h"

#include "file_io.h"
#include "word/word.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <memory>
#include <optional>
#include <vector>
#include <zip.h>

namespace word {
namespace {

// Merged documents are large and repetitive: the fastest deflate level packs them nearly as well as the
// default and several times faster.
constexpr zip_uint32_t kCompressionLevel = 1;

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

// A merged text as the content of a zip entry, read while the archive is written, so that a merged
// document part is never held whole. Its size is measured by a first reading, so that the entry's local
// header states it: an entry of unknown size gets a 64-bit extension there that office programs refuse.
class MergedPartSource {
public:
    explicit MergedPartSource(const MergedText& text) : text_(text) { zip_error_init(&error_); }
    ~MergedPartSource() { zip_error_fini(&error_); }

    static zip_int64_t Callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
        return static_cast<MergedPartSource*>(state)->Handle(data, length, command);
    }

private:
    zip_int64_t Handle(void* data, zip_uint64_t length, zip_source_cmd_t command) {
        switch (command) {
        case ZIP_SOURCE_OPEN:
            reader_.emplace(text_);
            return 0;
        case ZIP_SOURCE_READ:
            return static_cast<zip_int64_t>(reader_->Read(static_cast<char*>(data), length));
        case ZIP_SOURCE_CLOSE:
            reader_.reset();
            return 0;
        case ZIP_SOURCE_STAT: {
            zip_stat_t* st = static_cast<zip_stat_t*>(data);
            zip_stat_init(st);
            st->size = Size();
            st->mtime = time(nullptr);
            st->valid |= ZIP_STAT_SIZE | ZIP_STAT_MTIME;
            return sizeof(zip_stat_t);
        }
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&error_, data, length);
        case ZIP_SOURCE_FREE:
            delete this;
            return 0;
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                                  ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
        default:
            zip_error_set(&error_, ZIP_ER_OPNOTSUPP, 0);
            return -1;
        }
    }

    zip_uint64_t Size() {
        if (!size_) {
            MergedText::Reader reader(text_);
            std::vector<char> buffer(size_t{1} << 16);
            zip_uint64_t size = 0;
            for (size_t n; (n = reader.Read(buffer.data(), buffer.size())) > 0;)
                size += n;
            size_ = size;
        }
        return *size_;
    }

    MergedText text_;
    std::optional<MergedText::Reader> reader_;
    std::optional<zip_uint64_t> size_;
    zip_error_t error_;
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
        if (name.size() < extension.size()) return false;
        for (size_t i = 0; i < extension.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(name[name.size() - extension.size() + i])) !=
                extension[i])
                return false;
        return true;
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
    zip_error_t error;
    zip_error_init(&error);
    std::unique_ptr<zip_source_t, SourceFreer> buffer(zip_source_buffer_create(nullptr, 0, 0, &error));
    if (!buffer) Fail("Cannot create a package", &error);
    std::unique_ptr<zip_t, ZipCloser> archive(zip_open_from_source(buffer.get(), ZIP_TRUNCATE, &error));
    if (!archive) Fail("Cannot create a package", &error);
    zip_source_keep(buffer.get()); // the buffer outlives the archive: it holds the result
    zip_error_fini(&error);

    for (const auto& [name, data] : parts_) {
        zip_source_t* part = nullptr;
        if (const auto* text = std::get_if<std::shared_ptr<const std::string>>(&data)) {
            part = zip_source_buffer(archive.get(), (*text)->data(), (*text)->size(), 0);
        } else {
            part = zip_source_function(archive.get(), MergedPartSource::Callback,
                                       new MergedPartSource(std::get<MergedText>(data)));
        }
        if (part == nullptr) throw AutomationError("Cannot add " + name + " to the package");
        zip_int64_t index = zip_file_add(archive.get(), name.c_str(), part, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(part);
            throw AutomationError("Cannot add " + name + " to the package");
        }
        zip_set_file_compression(archive.get(), static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE,
                                 kCompressionLevel);
    }
    if (zip_close(archive.get()) != 0) throw AutomationError("Cannot write the package");
    archive.release();

    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_source_stat(buffer.get(), &st) != 0 || zip_source_open(buffer.get()) != 0)
        throw AutomationError("Cannot write the package");
    std::string out(static_cast<size_t>(st.size), '\0');
    zip_int64_t read = zip_source_read(buffer.get(), out.data(), st.size);
    zip_source_close(buffer.get());
    if (read != static_cast<zip_int64_t>(st.size)) throw AutomationError("Cannot write the package");
    return out;
}

const std::string* Package::Find(std::string_view name) const {
    auto found = index_.find(std::string(name));
    if (found == index_.end()) return nullptr;
    const auto* text = std::get_if<std::shared_ptr<const std::string>>(&parts_[found->second].second);
    return text ? text->get() : nullptr;
}

std::vector<std::string> Package::Names() const {
    std::vector<std::string> names;
    for (const auto& part : parts_)
        names.push_back(part.first);
    return names;
}

void Package::Set(std::string_view name, std::string data) {
    Put(name, std::make_shared<const std::string>(std::move(data)));
}

void Package::Set(std::string_view name, MergedText data) {
    Put(name, std::move(data));
}

void Package::Put(std::string_view name, Data data) {
    auto [found, added] = index_.try_emplace(std::string(name), parts_.size());
    if (added)
        parts_.emplace_back(std::string(name), std::move(data));
    else
        parts_[found->second].second = std::move(data);
}

} // namespace word
