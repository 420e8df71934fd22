#include "docx_package.h"

#include "file_io.h"
#include "word.h"

#include <memory>
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

std::string ReadEntry(zip_t* archive, zip_uint64_t index, zip_uint64_t size, const std::string& name) {
    std::unique_ptr<zip_file_t, ZipFileCloser> file(zip_fopen_index(archive, index, 0));
    if (!file) throw AutomationError("The package part " + name + " cannot be read");
    std::string data(static_cast<size_t>(size), '\0');
    char extra = 0;
    if (zip_fread(file.get(), data.data(), size) != static_cast<zip_int64_t>(size) ||
        zip_fread(file.get(), &extra, 1) != 0)
        throw AutomationError("The package part " + name + " is damaged");
    return data;
}

} // namespace

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
    size_t total = 0;
    zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(archive.get(), static_cast<zip_uint64_t>(i), 0, &st) != 0 ||
            !(st.valid & ZIP_STAT_NAME) || !(st.valid & ZIP_STAT_SIZE))
            throw AutomationError("The package has an unreadable entry");
        std::string name = st.name;
        if (!name.empty() && name.back() == '/') continue;
        if (st.size > kMaxFileSize - total) throw AutomationError("The package unpacks to too much data");
        total += static_cast<size_t>(st.size);
        package.parts_.emplace_back(name,
                                    ReadEntry(archive.get(), static_cast<zip_uint64_t>(i), st.size, name));
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
        zip_source_t* part = zip_source_buffer(archive.get(), data.data(), data.size(), 0);
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
    for (const auto& part : parts_)
        if (part.first == name) return &part.second;
    return nullptr;
}

void Package::Set(std::string_view name, std::string data) {
    for (auto& part : parts_) {
        if (part.first == name) {
            part.second = std::move(data);
            return;
        }
    }
    parts_.emplace_back(std::string(name), std::move(data));
}

} // namespace word
