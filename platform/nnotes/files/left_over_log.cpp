#include "files/left_over_log.h"

#include "store/database_schema.h"
#include "store/store_sql.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace nnotes::store {
namespace {

// SQLite's write-ahead log: a 32-byte header, then frames of a 24-byte header and one page each.
constexpr uint32_t kLogMagic = 0x377F0682; // | 1: checksums of big-endian words
constexpr uint32_t kLogVersion = 3007000;
constexpr size_t kLogHeader = 32, kFrameHeader = 24;
// The info table is the first table of every database, so its root is the file's second page, and its few
// short values keep it to that one page.
constexpr uint32_t kInfoPage = 2;

uint32_t Big32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}
uint32_t Little32(const uint8_t* p) {
    return uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
}
uint16_t Big16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}

// SQLite's running checksum of the log, over whole 8-byte steps.
void Checksum(const uint8_t* data, size_t size, bool bigEndian, uint32_t& s0, uint32_t& s1) {
    for (size_t i = 0; i + 8 <= size; i += 8) {
        s0 += (bigEndian ? Big32(data + i) : Little32(data + i)) + s1;
        s1 += (bigEndian ? Big32(data + i + 4) : Little32(data + i + 4)) + s0;
    }
}

enum class Read { Whole, End, Failed };

// Reads exactly size bytes at offset; End when the file ends before them, Failed (errno set) on an error.
Read ReadAt(int fd, uint8_t* buf, size_t size, off_t offset) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, buf + done, size - done, offset + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return Read::Failed;
        if (n == 0) return Read::End;
        done += static_cast<size_t>(n);
    }
    return Read::Whole;
}

// A varint of SQLite's records: 1 to 9 bytes, big-endian, 7 bits a byte but all 8 of the ninth.
bool Varint(const uint8_t*& p, const uint8_t* end, uint64_t& value) {
    value = 0;
    for (int i = 0; i < 9; ++i, ++p) {
        if (p >= end) return false;
        if (i == 8) {
            value = value << 8 | *p++;
            return true;
        }
        value = value << 7 | (*p & 0x7F);
        if ((*p & 0x80) == 0) {
            ++p;
            return true;
        }
    }
    return false;
}

// What the store keeps on the info page about the file: its identifier and its log mark (none: zeros).
struct InfoPage {
    std::string id;
    uint64_t previousMark = 0, mark = 0;
};

// Reads the entries of the info table from its page: a leaf of a table without row ids (an index b-tree),
// each cell a record of the key (text) and the value (blob). False when the page is not laid out so.
bool ReadInfoPage(const uint8_t* page, size_t usable, InfoPage& out) {
    if (usable < 480 || page[0] != 0x0A) return false;
    const unsigned cells = Big16(page + 3);
    if (8 + 2 * size_t{cells} > usable) return false;
    const size_t maxLocal = (usable - 12) * 64 / 255 - 23;
    const uint8_t* end = page + usable;
    bool id = false;
    for (unsigned i = 0; i < cells; ++i) {
        const size_t at = Big16(page + 8 + 2 * i);
        if (at >= usable) return false;
        const uint8_t* p = page + at;
        uint64_t payload = 0;
        if (!Varint(p, end, payload)) return false;
        if (payload > maxLocal) continue; // a long value (the access control list) that neither check needs
        if (payload > static_cast<uint64_t>(end - p)) return false;
        const uint8_t* recordEnd = p + payload;
        const uint8_t* header = p;
        uint64_t headerSize = 0, keyType = 0, valueType = 0;
        if (!Varint(p, recordEnd, headerSize) || headerSize > payload) return false;
        const uint8_t* body = header + headerSize;
        if (!Varint(p, body, keyType) || !Varint(p, body, valueType)) return false;
        if (keyType < 13 || keyType % 2 == 0 || valueType < 12) return false;
        const uint64_t keyLength = (keyType - 13) / 2, valueLength = (valueType - 12) / 2;
        if (keyLength + valueLength > static_cast<uint64_t>(recordEnd - body)) return false;
        const std::string_view key(reinterpret_cast<const char*>(body), keyLength);
        const std::string_view value(reinterpret_cast<const char*>(body + keyLength), valueLength);
        if (key == kInfoId) {
            out.id = value;
            id = true;
        } else if (key == kInfoLog && value.size() == 2 * sizeof(uint64_t)) {
            std::memcpy(&out.previousMark, value.data(), sizeof out.previousMark);
            std::memcpy(&out.mark, value.data() + sizeof out.previousMark, sizeof out.mark);
        }
    }
    return id;
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Fd() const { return fd_; }

private:
    int fd_;
};

} // namespace

STATUS CheckLeftOverLog(const std::string& fsPath, int fd) {
    uint8_t header[100];
    if (const Read r = ReadAt(fd, header, sizeof header, 0); r != Read::Whole)
        return r == Read::End ? NOERROR : StatusOfErrno(errno);
    if (std::memcmp(header, "SQLite format 3", 16) != 0 || Big32(header + 68) != kApplicationId)
        return NOERROR;
    const uint32_t pageSize = Big16(header + 16) == 1 ? 65536 : Big16(header + 16);
    if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0 || header[20] > pageSize - 480) return NOERROR;
    const size_t usable = pageSize - header[20];

    const Descriptor log(::open((fsPath + "-wal").c_str(), O_RDONLY | O_CLOEXEC));
    if (log.Fd() < 0) return errno == ENOENT ? NOERROR : StatusOfErrno(errno);
    // A log whose header does not hold is one SQLite ignores and starts afresh.
    uint8_t logHeader[kLogHeader];
    if (const Read r = ReadAt(log.Fd(), logHeader, sizeof logHeader, 0); r != Read::Whole)
        return r == Read::End ? NOERROR : StatusOfErrno(errno);
    const uint32_t magic = Big32(logHeader), logPageSize = Big32(logHeader + 8);
    if ((magic & ~1u) != kLogMagic || Big32(logHeader + 4) != kLogVersion || logPageSize < 512 ||
        logPageSize > 65536 || (logPageSize & (logPageSize - 1)) != 0)
        return NOERROR;
    const bool bigEndian = (magic & 1) != 0;
    uint32_t s0 = 0, s1 = 0;
    Checksum(logHeader, 24, bigEndian, s0, s1);
    if (s0 != Big32(logHeader + 24) || s1 != Big32(logHeader + 28)) return NOERROR;
    const uint32_t salt1 = Big32(logHeader + 16), salt2 = Big32(logHeader + 20);

    std::vector<uint8_t> filePage(pageSize), fileFirstPage(pageSize);
    const Read fileRead = ReadAt(fd, filePage.data(), pageSize, pageSize);
    if (fileRead == Read::Failed || ReadAt(fd, fileFirstPage.data(), pageSize, 0) == Read::Failed)
        return StatusOfErrno(errno);
    const bool haveFilePage = fileRead == Read::Whole;

    // The frames SQLite would apply: those whose salts and running checksum hold, up to the last commit.
    std::vector<InfoPage> committed, pending;
    bool unreadable = false, pendingUnreadable = false; // an info page of the log that cannot be read
    bool seen = false, pendingSeen = false;             // the file's own info page is one the log holds
    bool firstSeen = false, pendingFirstSeen = false;   // the same for the file's first page
    bool anyCommit = false;
    std::vector<uint8_t> frame(kFrameHeader + logPageSize);
    Read r;
    for (off_t at = kLogHeader; (r = ReadAt(log.Fd(), frame.data(), frame.size(), at)) == Read::Whole;
         at += static_cast<off_t>(frame.size())) {
        if (Big32(frame.data() + 8) != salt1 || Big32(frame.data() + 12) != salt2) break;
        Checksum(frame.data(), 8, bigEndian, s0, s1);
        Checksum(frame.data() + kFrameHeader, logPageSize, bigEndian, s0, s1);
        if (s0 != Big32(frame.data() + 16) || s1 != Big32(frame.data() + 20) || Big32(frame.data()) == 0)
            break;
        if (Big32(frame.data()) == 1)
            pendingFirstSeen = pendingFirstSeen ||
                               (logPageSize == pageSize && std::memcmp(frame.data() + kFrameHeader,
                                                                       fileFirstPage.data(), pageSize) == 0);
        if (Big32(frame.data()) == kInfoPage) {
            const uint8_t* image = frame.data() + kFrameHeader;
            InfoPage info;
            if (logPageSize == pageSize && ReadInfoPage(image, usable, info))
                pending.push_back(info);
            else
                pendingUnreadable = true;
            pendingSeen = pendingSeen || (haveFilePage && logPageSize == pageSize &&
                                          std::memcmp(image, filePage.data(), pageSize) == 0);
        }
        if (Big32(frame.data() + 4) != 0) { // a commit: the frames up to here are a transaction
            anyCommit = true;
            committed.insert(committed.end(), pending.begin(), pending.end());
            unreadable = unreadable || pendingUnreadable;
            seen = seen || pendingSeen;
            firstSeen = firstSeen || pendingFirstSeen;
            pending.clear();
            pendingUnreadable = pendingSeen = pendingFirstSeen = false;
        }
    }
    if (r == Read::Failed) return StatusOfErrno(errno);
    if (!anyCommit) return NOERROR;
    // Every transaction of the store writes the info page, so a log without one was not written for it.
    if (committed.empty() || unreadable) return ERR_DB_FOREIGN_LOG;
    InfoPage file;
    if (!haveFilePage || !ReadInfoPage(filePage.data(), usable, file)) return ERR_DB_DAMAGED;
    for (const InfoPage& info : committed)
        if (info.id != file.id) return ERR_DB_FOREIGN_LOG;
    if (seen) return NOERROR;
    // The file is as it was before one of the log's transactions, or after one...
    bool continues = false;
    for (const InfoPage& info : committed)
        continues = continues || file.mark == info.previousMark || file.mark == info.mark;
    if (!continues) return ERR_DB_FOREIGN_LOG;
    // ...and was not written after the log's last write, but by folding the log into it: then its info page
    // or its first page (which a fold writes first) would be one the log holds. A copy of the file as the
    // log began, put back later (a backup restored by hand), is not the file the log goes on from.
    struct stat fileTimes {
    }, logTimes{};
    if (::fstat(fd, &fileTimes) != 0 || ::fstat(log.Fd(), &logTimes) != 0) return StatusOfErrno(errno);
    const bool writtenLater = fileTimes.st_mtim.tv_sec > logTimes.st_mtim.tv_sec ||
                              (fileTimes.st_mtim.tv_sec == logTimes.st_mtim.tv_sec &&
                               fileTimes.st_mtim.tv_nsec > logTimes.st_mtim.tv_nsec);
    return writtenLater && !firstSeen ? ERR_DB_FOREIGN_LOG : NOERROR;
}

} // namespace nnotes::store
