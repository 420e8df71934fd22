#include "views/viewindex_runs.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <tuple>
#include <unistd.h>

namespace nnotes::views {
namespace {

// Rows in view order.
void SortRows(std::vector<ViewRow>& rows) {
    std::sort(rows.begin(), rows.end(), [](const ViewRow& a, const ViewRow& b) {
        return std::tie(a.key, a.note, a.part) < std::tie(b.key, b.note, b.part);
    });
}

// Run files are written once and read once, front to back, a few fields of each row at a time: large
// buffers keep that to a system call per megabyte rather than per page.
constexpr size_t kRunFileBuffer = 1u << 20;

// An unnamed file in folder, gone when closed.
std::FILE* SpillFile(const std::string& folder) {
    const int fd = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    std::FILE* f = fd < 0 ? std::tmpfile() : fdopen(fd, "w+b");
    if (f == nullptr) {
        if (fd >= 0) close(fd);
        return nullptr;
    }
    std::setvbuf(f, nullptr, _IOFBF, kRunFileBuffer);
    return f;
}

STATUS FileError() {
    return errno == ENOSPC ? ERR_DB_DISK_FULL : ERR_DB_IO;
}

// Each run file belongs to one build on one thread: no stream locking.
bool Put(std::FILE* f, const void* data, size_t size) {
    return size == 0 || fwrite_unlocked(data, 1, size, f) == size;
}

bool PutText(std::FILE* f, const std::string& text) {
    const auto size = static_cast<uint32_t>(text.size());
    return Put(f, &size, sizeof size) && Put(f, text.data(), text.size());
}

bool WriteRow(std::FILE* f, const ViewRow& row) {
    const uint8_t hasParent = row.parent ? 1 : 0;
    return Put(f, &row.note, sizeof row.note) && Put(f, &row.part, sizeof row.part) &&
           Put(f, &row.unid, sizeof row.unid) && Put(f, &hasParent, sizeof hasParent) &&
           (!row.parent || Put(f, &*row.parent, sizeof *row.parent)) && PutText(f, row.key) &&
           PutText(f, row.sortValues) && PutText(f, row.summary);
}

bool Get(std::FILE* f, void* data, size_t size) {
    return size == 0 || fread_unlocked(data, 1, size, f) == size;
}

// A row's fields are far smaller than this; a larger length means the run file was damaged on its way.
constexpr uint32_t kLargestField = 16u << 20;

bool GetText(std::FILE* f, std::string& text) {
    uint32_t size = 0;
    if (!Get(f, &size, sizeof size) || size > kLargestField) return false;
    text.resize(size);
    return Get(f, text.data(), size);
}

// The next row of a run file; got false at its end.
STATUS ReadRow(std::FILE* f, ViewRow& row, bool& got) {
    got = false;
    if (!Get(f, &row.note, sizeof row.note)) return std::ferror(f) ? ERR_DB_IO : NOERROR;
    uint8_t hasParent = 0;
    UNIVERSALID parent{};
    if (!Get(f, &row.part, sizeof row.part) || !Get(f, &row.unid, sizeof row.unid) ||
        !Get(f, &hasParent, sizeof hasParent) || (hasParent && !Get(f, &parent, sizeof parent)) ||
        !GetText(f, row.key) || !GetText(f, row.sortValues) || !GetText(f, row.summary))
        return ERR_DB_IO;
    row.parent = hasParent ? std::optional<UNIVERSALID>(parent) : std::nullopt;
    got = true;
    return NOERROR;
}

} // namespace

SortedRuns::~SortedRuns() {
    for (std::FILE* f : files_)
        std::fclose(f);
}

STATUS SortedRuns::Add(ViewRow&& row) {
    bytes_ += row.key.size() + row.sortValues.size() + row.summary.size() + sizeof row;
    run_.push_back(std::move(row));
    return bytes_ < runBytes_ ? NOERROR : Spill();
}

STATUS SortedRuns::Merge(const std::function<STATUS(const ViewRow&)>& take) {
    if (files_.empty()) {
        SortRows(run_);
        for (const ViewRow& row : run_)
            if (STATUS s = take(row)) return s;
        return NOERROR;
    }
    if (STATUS s = Spill()) return s;
    struct Head {
        ViewRow row;
        size_t file;
    };
    const auto later = [](const Head& a, const Head& b) {
        return std::tie(a.row.key, a.row.note, a.row.part) > std::tie(b.row.key, b.row.note, b.row.part);
    };
    std::vector<Head> heads;
    for (size_t i = 0; i < files_.size(); ++i) {
        std::rewind(files_[i]);
        Head h{{}, i};
        bool got = false;
        if (STATUS s = ReadRow(files_[i], h.row, got)) return s;
        if (got) heads.push_back(std::move(h));
    }
    std::make_heap(heads.begin(), heads.end(), later);
    while (!heads.empty()) {
        std::pop_heap(heads.begin(), heads.end(), later);
        Head& h = heads.back();
        if (STATUS s = take(h.row)) return s;
        bool got = false;
        if (STATUS s = ReadRow(files_[h.file], h.row, got)) return s;
        if (got)
            std::push_heap(heads.begin(), heads.end(), later);
        else
            heads.pop_back();
    }
    return NOERROR;
}

STATUS SortedRuns::Spill() {
    SortRows(run_);
    std::FILE* f = SpillFile(folder_);
    if (f == nullptr) return FileError();
    files_.push_back(f);
    for (const ViewRow& row : run_)
        if (!WriteRow(f, row)) return FileError();
    if (std::fflush(f) != 0) return FileError();
    run_.clear();
    bytes_ = 0;
    return NOERROR;
}

} // namespace nnotes::views
