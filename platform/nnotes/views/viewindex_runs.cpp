#include "views/viewindex_runs.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace nnotes::views {
namespace {

// A row packed for a run, in memory and in run files alike: note, part and the sizes of key, sort values
// and summary (4 bytes each), whether it has a parent (1), its universal id and its parent's (16 each,
// zero without one), then the key, sort values and summary bytes.
constexpr size_t kSizesAt = 8;
constexpr size_t kHasParentAt = 20;
constexpr size_t kUnidAt = 21;
constexpr size_t kParentAt = kUnidAt + sizeof(UNIVERSALID);
constexpr size_t kHead = kParentAt + sizeof(UNIVERSALID);

// A row's fields are far smaller than this; a larger size means the run file was damaged on its way.
constexpr uint32_t kLargestField = 16u << 20;

uint32_t Get32(const char* at) {
    uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

void Put32(char* at, uint32_t value) {
    std::memcpy(at, &value, sizeof value);
}

size_t RecordSize(const char* record) {
    return kHead + size_t{Get32(record + kSizesAt)} + Get32(record + kSizesAt + 4) +
           Get32(record + kSizesAt + 8);
}

std::string_view KeyOf(const char* record) {
    return {record + kHead, Get32(record + kSizesAt)};
}

// Whether row a comes before row b in view order: key, note, part.
bool Before(const char* a, const char* b) {
    if (const int c = KeyOf(a).compare(KeyOf(b)); c != 0) return c < 0;
    const uint32_t noteA = Get32(a), noteB = Get32(b);
    if (noteA != noteB) return noteA < noteB;
    return Get32(a + 4) < Get32(b + 4);
}

void Decode(const char* record, ViewRow& row) {
    row.note = Get32(record);
    row.part = Get32(record + 4);
    const uint32_t keySize = Get32(record + kSizesAt), sortSize = Get32(record + kSizesAt + 4);
    const char* at = record + kHead;
    row.key.assign(at, keySize);
    row.sortValues.assign(at + keySize, sortSize);
    row.summary.assign(at + keySize + sortSize, Get32(record + kSizesAt + 8));
    std::memcpy(&row.unid, record + kUnidAt, sizeof row.unid);
    if (record[kHasParentAt] != 0) {
        UNIVERSALID parent;
        std::memcpy(&parent, record + kParentAt, sizeof parent);
        row.parent = parent;
    } else {
        row.parent.reset();
    }
}

// Eight bytes of text from at as a number that orders as the bytes do, zeros past its end.
uint64_t BigEndian(std::string_view text, size_t at) {
    uint64_t value = 0;
    for (size_t i = 0; i < 8; ++i)
        value = value << 8 | (at + i < text.size() ? static_cast<unsigned char>(text[at + i]) : 0u);
    return value;
}

// Rows handed out in sorted order lie all over a run's blocks: the ones a few places on are fetched into
// the cache while this one is taken.
constexpr size_t kAhead = 8;

void Prefetch(const char* record) {
    for (size_t line = 0; line < 6; ++line)
        __builtin_prefetch(record + 64 * line);
}

// Run files are written once and read once, front to back: large buffers keep that to a system call per
// megabyte rather than per row.
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

// The next packed row of a run file into record; got false at its end. Each run file belongs to one build
// on one thread: no stream locking.
STATUS ReadRecord(std::FILE* f, std::string& record, bool& got) {
    got = false;
    record.resize(kHead);
    const size_t head = fread_unlocked(record.data(), 1, kHead, f);
    if (head == 0) return std::ferror(f) ? ERR_DB_IO : NOERROR;
    if (head != kHead) return ERR_DB_IO;
    size_t rest = 0;
    for (size_t i = 0; i < 3; ++i) {
        const uint32_t size = Get32(record.data() + kSizesAt + 4 * i);
        if (size > kLargestField) return ERR_DB_IO;
        rest += size;
    }
    record.resize(kHead + rest);
    if (rest != 0 && fread_unlocked(record.data() + kHead, 1, rest, f) != rest) return ERR_DB_IO;
    got = true;
    return NOERROR;
}

// The first blocks are small, so that a view of a few rows takes little; later ones a megabyte each.
constexpr size_t kFirstBlock = 64u << 10;
constexpr size_t kLargestBlock = 1u << 20;

} // namespace

SortedRuns::~SortedRuns() {
    for (std::FILE* f : files_)
        std::fclose(f);
}

char* SortedRuns::Place(size_t size) {
    while (block_ < blocks_.size() && blockUsed_ + size > blockSizes_[block_]) {
        ++block_;
        blockUsed_ = 0;
    }
    if (block_ == blocks_.size()) {
        const size_t grown = blocks_.size() < 5 ? kFirstBlock << blocks_.size() : kLargestBlock;
        blockSizes_.push_back(std::max(size, grown));
        blocks_.push_back(std::make_unique<char[]>(blockSizes_.back()));
    }
    char* at = blocks_[block_].get() + blockUsed_;
    blockUsed_ += size;
    return at;
}

STATUS SortedRuns::Add(ViewRow&& row) {
    const size_t size = kHead + row.key.size() + row.sortValues.size() + row.summary.size();
    char* record = Place(size);
    Put32(record, row.note);
    Put32(record + 4, row.part);
    Put32(record + kSizesAt, static_cast<uint32_t>(row.key.size()));
    Put32(record + kSizesAt + 4, static_cast<uint32_t>(row.sortValues.size()));
    Put32(record + kSizesAt + 8, static_cast<uint32_t>(row.summary.size()));
    record[kHasParentAt] = row.parent ? 1 : 0;
    std::memcpy(record + kUnidAt, &row.unid, sizeof row.unid);
    if (row.parent)
        std::memcpy(record + kParentAt, &*row.parent, sizeof *row.parent);
    else
        std::memset(record + kParentAt, 0, sizeof(UNIVERSALID));
    char* at = record + kHead;
    for (const std::string* field : {&row.key, &row.sortValues, &row.summary}) {
        if (!field->empty()) std::memcpy(at, field->data(), field->size());
        at += field->size();
    }
    entries_.push_back({{0, 0}, record});
    bytes_ += size + sizeof(Entry);
    return bytes_ < runBytes_ ? NOERROR : Spill();
}

void SortedRuns::SortRun() {
    if (!entries_.empty()) SortEntries(entries_.data(), entries_.data() + entries_.size(), 0, 0);
}

// Keys are sorted 16 bytes at a time: the entries by the 16 bytes that follow what all their keys begin
// with, which settle most comparisons without reading a row; then each group that ties on them the same way
// from where its own keys part. Keys that end within the bytes compared, and groups past a few such rounds,
// are sorted by comparing the rows themselves.
void SortedRuns::SortEntries(Entry* first, Entry* last, size_t from, int depth) {
    if (last - first < 2) return;
    const auto byPrefix = [](const Entry& a, const Entry& b) {
        return a.prefix[0] != b.prefix[0] ? a.prefix[0] < b.prefix[0] : a.prefix[1] < b.prefix[1];
    };
    constexpr int kDeepest = 8;
    if (depth > kDeepest) {
        std::sort(first, last, [](const Entry& a, const Entry& b) { return Before(a.record, b.record); });
        return;
    }
    const std::string_view lead = KeyOf(first->record);
    size_t common = lead.size();
    bool allOne = true; // every key the same
    for (Entry* e = first; e != last; ++e) {
        if (last - e > static_cast<ptrdiff_t>(kAhead)) Prefetch(e[kAhead].record);
        const std::string_view key = KeyOf(e->record);
        const size_t n = std::min(common, key.size());
        common = from + static_cast<size_t>(
                            std::mismatch(lead.begin() + from, lead.begin() + n, key.begin() + from).first -
                            (lead.begin() + from));
        allOne = allOne && key.size() == lead.size();
    }
    allOne = allOne && common == lead.size();
    for (Entry* e = first; e != last; ++e) {
        if (allOne) {
            // The order falls to the note and the part.
            e->prefix[0] = uint64_t{Get32(e->record)} << 32 | Get32(e->record + 4);
            e->prefix[1] = 0;
        } else {
            const std::string_view key = KeyOf(e->record);
            e->prefix[0] = BigEndian(key, common);
            e->prefix[1] = BigEndian(key, common + 8);
        }
    }
    std::sort(first, last, byPrefix);
    if (allOne) return;
    const size_t next = common + 16;
    for (Entry* group = first; group != last;) {
        Entry* end = group + 1;
        bool longEnough = KeyOf(group->record).size() >= next;
        while (end != last && end->prefix[0] == group->prefix[0] && end->prefix[1] == group->prefix[1]) {
            longEnough = longEnough && KeyOf(end->record).size() >= next;
            ++end;
        }
        if (end - group > 1) {
            if (longEnough)
                SortEntries(group, end, next, depth + 1);
            else
                std::sort(group, end,
                          [](const Entry& a, const Entry& b) { return Before(a.record, b.record); });
        }
        group = end;
    }
}

STATUS SortedRuns::Merge(const std::function<STATUS(const ViewRow&)>& take) {
    ViewRow row;
    if (files_.empty()) {
        SortRun();
        for (size_t i = 0; i < entries_.size(); ++i) {
            if (i + kAhead < entries_.size()) Prefetch(entries_[i + kAhead].record);
            Decode(entries_[i].record, row);
            if (STATUS s = take(row)) return s;
        }
        return NOERROR;
    }
    if (STATUS s = Spill()) return s;
    struct Head {
        std::string record;
        size_t file;
    };
    const auto later = [](const Head& a, const Head& b) { return Before(b.record.data(), a.record.data()); };
    std::vector<Head> heads;
    for (size_t i = 0; i < files_.size(); ++i) {
        std::rewind(files_[i]);
        Head h{{}, i};
        bool got = false;
        if (STATUS s = ReadRecord(files_[i], h.record, got)) return s;
        if (got) heads.push_back(std::move(h));
    }
    std::make_heap(heads.begin(), heads.end(), later);
    while (!heads.empty()) {
        std::pop_heap(heads.begin(), heads.end(), later);
        Head& h = heads.back();
        Decode(h.record.data(), row);
        if (STATUS s = take(row)) return s;
        bool got = false;
        if (STATUS s = ReadRecord(files_[h.file], h.record, got)) return s;
        if (got)
            std::push_heap(heads.begin(), heads.end(), later);
        else
            heads.pop_back();
    }
    return NOERROR;
}

STATUS SortedRuns::Spill() {
    SortRun();
    std::FILE* f = SpillFile(folder_);
    if (f == nullptr) return FileError();
    files_.push_back(f);
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (i + kAhead < entries_.size()) Prefetch(entries_[i + kAhead].record);
        const char* record = entries_[i].record;
        const size_t size = RecordSize(record);
        if (fwrite_unlocked(record, 1, size, f) != size) return FileError();
    }
    if (std::fflush(f) != 0) return FileError();
    entries_.clear();
    bytes_ = 0;
    block_ = 0;
    blockUsed_ = 0;
    return NOERROR;
}

} // namespace nnotes::views
