#include "os/os.h"
#include "util/text.h"

#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace os {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Names compare without regard to ASCII case, whatever the locale, over their whole length (a NUL in one
// ends neither).
bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

// One line of the file as it was read: its text and the line end that followed it ("\n", "\r\n", or "" for a
// last line without one), so that a rewrite gives back every line it does not change byte for byte.
struct RawLine {
    std::string text;
    std::string end;
};

// A whole profile file: a UTF-8 byte-order mark that an editor put at its start, and its lines.
struct ProfileText {
    bool byteOrderMark = false;
    std::vector<RawLine> lines;

    // The line end new lines get: the one the file already uses.
    std::string NewLineEnd() const {
        for (const auto& l : lines)
            if (!l.end.empty()) return l.end;
        return "\n";
    }
};

ProfileText Split(std::string_view data) {
    ProfileText t;
    if (data.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        t.byteOrderMark = true;
        data.remove_prefix(kByteOrderMark.size());
    }
    while (!data.empty()) {
        const size_t lf = data.find('\n');
        RawLine l;
        if (lf == std::string_view::npos) {
            l.text = std::string(data);
            data = {};
        } else {
            l.text = std::string(data.substr(0, lf));
            l.end = "\n";
            data.remove_prefix(lf + 1);
            if (!l.text.empty() && l.text.back() == '\r') {
                l.text.pop_back();
                l.end = "\r\n";
            }
        }
        t.lines.push_back(std::move(l));
    }
    return t;
}

std::string Join(const ProfileText& t) {
    std::string out;
    if (t.byteOrderMark) out += kByteOrderMark;
    for (const auto& l : t.lines)
        out += l.text + l.end;
    return out;
}

// One line of an INI file, classified.
struct Line {
    enum Kind { Other, Section, Entry } kind = Other;
    std::string name;      // section name or key
    std::string value;     // entry value
    size_t valueStart = 0; // entry: where the value starts in the raw line
};

Line Parse(const std::string& raw) {
    Line l;
    std::string t = util::TrimBlanks(raw);
    if (t.empty() || t[0] == ';' || t[0] == '#') return l;
    if (t.front() == '[') {
        size_t close = t.find(']');
        if (close != std::string::npos) {
            l.kind = Line::Section;
            l.name = util::TrimBlanks(t.substr(1, close - 1));
        }
        return l;
    }
    size_t eq = raw.find('=');
    if (eq == std::string::npos) return l;
    l.kind = Line::Entry;
    l.name = util::TrimBlanks(std::string_view(raw).substr(0, eq));
    l.value = util::TrimBlanks(std::string_view(raw).substr(eq + 1));
    l.valueStart = eq + 1;
    while (l.valueStart < raw.size() && std::isspace(static_cast<unsigned char>(raw[l.valueStart])))
        ++l.valueStart;
    return l;
}

// Reads the whole of an open file, which must be a regular one: a folder, a pipe or a device is no profile
// (and reading a pipe could wait for ever).
bool ReadOpenFile(int fd, std::string& data) {
    struct stat st {};
    if (fstat(fd, &st) != 0) return false;
    if (!S_ISREG(st.st_mode)) {
        errno = S_ISDIR(st.st_mode) ? EISDIR : ENOTSUP;
        return false;
    }
    data.clear();
    char buf[65536];
    for (;;) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        data.append(buf, static_cast<size_t>(n));
    }
}

// The file's lines; false, with errno set, when it is missing or cannot be read.
bool ReadProfile(const std::string& file, ProfileText& text) {
    const int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    std::string data;
    const bool ok = ReadOpenFile(fd, data);
    const int saved = errno;
    close(fd);
    errno = saved;
    if (ok) text = Split(data);
    return ok;
}

bool HasLineBreakOrNul(const std::string& s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos;
}

// Names and values that a line can hold and give back as they were (names trimmed of blanks first, as the
// reader trims them): a line break would start a line of its own, a ']' would end the section's name, an '='
// would end the key, and a key that starts like a section or a comment would not be read as a key.
bool StorableSection(const std::string& section) {
    return !section.empty() && !HasLineBreakOrNul(section) && section.find(']') == std::string::npos;
}

bool StorableKey(const std::string& key) {
    return !key.empty() && !HasLineBreakOrNul(key) && key.find('=') == std::string::npos && key[0] != '[' &&
           key[0] != ';' && key[0] != '#';
}

// Follows symbolic links from path to the file they end at (which may not exist yet), so that a rewrite
// replaces that file and leaves the links in place. Empty, with errno ELOOP, for a loop of links.
std::string FinalTarget(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::string target(static_cast<size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        const ssize_t n = readlink(path.c_str(), target.data(), target.size());
        if (n < 0) return path;
        if (static_cast<size_t>(n) >= target.size()) continue; // the link changed under us: read it again
        target.resize(static_cast<size_t>(n));
        path = target.front() == '/' ? target : DirectoryOf(path) + "/" + target;
    }
    errno = ELOOP;
    return {};
}

// An exclusive advisory lock on a profile file, held across its read, change and rename, so that writers in
// other processes (and threads) take turns and none loses another's change.
//
// The lock lives on the profile file itself rather than on a lock file beside it: nothing is left in the
// user's folder. A rename puts a new file (inode) in place, so a writer that waited on the old one finds,
// once it holds the lock, that the name no longer leads to it; it then opens the name afresh. A missing file
// is created empty to have something to lock, and removed again when the write fails; an empty file reads
// like a missing one meanwhile.
class ProfileLock {
public:
    ~ProfileLock() {
        if (fd_ >= 0) close(fd_);
    }

    bool Acquire(const std::string& path) {
        for (int vanished = 0;;) {
            fd_ = Open(path);
            // Removed between two opens (or a link to nowhere put in its place): try again, a while.
            if (fd_ < 0 && errno == ENOENT && !created_ && ++vanished < 100) continue;
            if (fd_ < 0) return false;
            int locked;
            while ((locked = flock(fd_, LOCK_EX)) != 0 && errno == EINTR) {
            }
            // A file system that keeps no locks (an NFS mount without its lock service) is still written, as
            // it was before writers took turns.
            if (locked != 0) return errno == ENOLCK ? true : Fail();
            struct stat held {};
            struct stat named {};
            if (fstat(fd_, &held) != 0) return Fail();
            if (stat(path.c_str(), &named) != 0 && errno != ENOENT) return Fail();
            if (named.st_dev == held.st_dev && named.st_ino == held.st_ino) return true;
            close(fd_); // replaced (or removed) while we waited: lock what the name leads to now
            fd_ = -1;
        }
    }

    int Fd() const { return fd_; }

    // After a failed write: takes away the empty file Acquire made, so that a failure leaves no trace.
    void RemoveWhatWasCreated(const std::string& path) const {
        if (!created_) return;
        const int saved = errno;
        struct stat held {};
        struct stat named {};
        if (fstat(fd_, &held) == 0 && held.st_size == 0 && stat(path.c_str(), &named) == 0 &&
            named.st_dev == held.st_dev && named.st_ino == held.st_ino)
            unlink(path.c_str());
        errno = saved;
    }

private:
    // Opens path, making it when missing: for writing where it may be (NFS takes an exclusive lock only
    // through a descriptor that may write), else for reading (a read-only file in a folder that may be
    // written is still replaced by the rename).
    int Open(const std::string& path) {
        created_ = true;
        int fd = open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK | O_CREAT | O_EXCL, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
        created_ = false;
        fd = open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
        if (fd >= 0 || errno == ENOENT) return fd;
        return open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    }

    bool Fail() {
        const int saved = errno;
        close(fd_);
        fd_ = -1;
        errno = saved;
        return false;
    }

    int fd_ = -1;
    bool created_ = false;
};

} // namespace

std::optional<std::string> ReadProfileString(const std::string& file, const std::string& section,
                                             const std::string& key) {
    ProfileText text;
    if (!ReadProfile(file, text)) return std::nullopt;
    const std::string s = util::TrimBlanks(section), k = util::TrimBlanks(key);
    bool inSection = false;
    for (const auto& raw : text.lines) {
        Line l = Parse(raw.text);
        if (l.kind == Line::Section)
            inSection = SameName(l.name, s);
        else if (inSection && l.kind == Line::Entry && SameName(l.name, k))
            return l.value;
    }
    return std::nullopt;
}

std::string GetProfileString(const std::string& file, const std::string& section, const std::string& key,
                             const std::string& def) {
    return ReadProfileString(file, section, key).value_or(def);
}

std::vector<std::pair<std::string, std::string>> ReadProfileSection(const std::string& file,
                                                                    const std::string& section) {
    std::vector<std::pair<std::string, std::string>> out;
    ProfileText text;
    if (!ReadProfile(file, text)) return out;
    const std::string s = util::TrimBlanks(section);
    bool inSection = false;
    for (const auto& raw : text.lines) {
        Line l = Parse(raw.text);
        if (l.kind == Line::Section)
            inSection = SameName(l.name, s);
        else if (inSection && l.kind == Line::Entry)
            out.emplace_back(l.name, l.value);
    }
    return out;
}

bool WriteProfileString(const std::string& file, const std::string& section, const std::string& key,
                        const std::optional<std::string>& value) {
    const std::string s = util::TrimBlanks(section), k = util::TrimBlanks(key);
    if (!StorableSection(s) || !StorableKey(k) || (value && HasLineBreakOrNul(*value))) {
        errno = EINVAL;
        return false;
    }
    const std::string target = FinalTarget(file);
    if (target.empty()) return false;
    ProfileLock lock;
    if (!lock.Acquire(target)) return false;
    std::string data;
    if (!ReadOpenFile(lock.Fd(), data)) return false; // never replace what could not be read
    ProfileText text = Split(data);
    auto& lines = text.lines;

    // The section may appear more than once (readers go through every block of it): the key's first line is
    // the one readers find; new keys go at the end of the first block.
    long firstBlock = -1, lastEntry = -1, keyLine = -1;
    std::vector<size_t> keyLines;
    bool inSection = false, inFirstBlock = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        Line l = Parse(lines[i].text);
        if (l.kind == Line::Section) {
            inSection = SameName(l.name, s);
            inFirstBlock = inSection && firstBlock < 0;
            if (inFirstBlock) firstBlock = lastEntry = static_cast<long>(i);
        } else if (inSection && l.kind == Line::Entry) {
            if (inFirstBlock) lastEntry = static_cast<long>(i);
            if (SameName(l.name, k)) {
                keyLines.push_back(i);
                if (keyLine < 0) keyLine = static_cast<long>(i);
            }
        }
    }

    const std::string end = text.NewLineEnd();
    if (keyLine >= 0) {
        if (value) {
            // Keep the line's own spelling of the key and its layout up to the value.
            auto& raw = lines[static_cast<size_t>(keyLine)].text;
            raw = raw.substr(0, Parse(raw).valueStart) + *value;
        } else {
            // Every line of the key goes, or a later one would be read in its place.
            for (auto it = keyLines.rbegin(); it != keyLines.rend(); ++it)
                lines.erase(lines.begin() + static_cast<long>(*it));
        }
    } else if (value) {
        // A last line without a line end gets one only when a new line comes after it.
        const size_t at = firstBlock < 0 ? lines.size() : static_cast<size_t>(lastEntry) + 1;
        if (at == lines.size() && at > 0 && lines.back().end.empty()) lines.back().end = end;
        if (firstBlock < 0) {
            if (!lines.empty() && !util::TrimBlanks(lines.back().text).empty()) lines.push_back({"", end});
            lines.push_back({"[" + s + "]", end});
            lines.push_back({k + "=" + *value, end});
        } else {
            lines.insert(lines.begin() + lastEntry + 1, RawLine{k + "=" + *value, end});
        }
    } else {
        lock.RemoveWhatWasCreated(target);
        return true; // nothing to remove
    }

    if (!WriteFileAtomically(target, Join(text))) {
        lock.RemoveWhatWasCreated(target);
        return false;
    }
    return true;
}

} // namespace os
