#include "os/os.h"
#include "util/text.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <pwd.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace os {
namespace {

// More than any dirs file an editor or xdg-user-dirs writes; a larger one is no such file.
constexpr size_t kLargestDirsFile = 1 << 20;

// How much of a file's name the name of its temporary file bears.
constexpr size_t kTempNameFront = 100;

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// path without the slashes at its end ("/" stays).
std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// The folder below folder ("/" gives "/name", not "//name").
std::string Below(const std::string& folder, const std::string& name) {
    return (folder == "/" ? "" : folder) + "/" + name;
}

// $HOME when it is an absolute path; otherwise (unset, empty or relative, which would be read against
// whatever the current folder is) the home folder of the user's account, else "/".
std::string Home() {
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return WithoutTrailingSlashes(home);
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
        found->pw_dir[0] == '/')
        return WithoutTrailingSlashes(found->pw_dir);
    return "/";
}

// The whole of a small regular file; empty for anything else (a pipe put in its place would be waited on
// for ever, a device read without end).
std::string ReadSmallFile(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return "";
    std::string data;
    struct stat st {};
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<size_t>(st.st_size) <= kLargestDirsFile) {
        char buf[4096];
        for (ssize_t n; (n = read(fd, buf, sizeof buf)) != 0;) {
            if (n < 0 && errno == EINTR) continue;
            if (n < 0 || data.size() + static_cast<size_t>(n) > kLargestDirsFile) break;
            data.append(buf, static_cast<size_t>(n));
        }
    }
    close(fd);
    return data;
}

// The value of XDG_DOCUMENTS_DIR in the user's dirs file, with $HOME expanded; empty when not set. The file
// is a shell script of lines XDG_..._DIR="$HOME/..." or ="/...": its last setting counts, as in the shell,
// and a value that is neither (a relative path, "$HOMEX", a NUL) sets nothing. A relative XDG_CONFIG_HOME
// counts as unset.
std::string XdgDocuments() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string folder = config && config[0] == '/' ? std::string(config) : Below(Home(), ".config");
    std::istringstream in(ReadSmallFile(Below(WithoutTrailingSlashes(folder), "user-dirs.dirs")));
    std::string found;
    for (std::string line; std::getline(in, line);) {
        const size_t start = line.find_first_not_of(" \t");
        const std::string key = "XDG_DOCUMENTS_DIR=";
        if (start == std::string::npos || line.compare(start, key.size(), key) != 0) continue;
        // A quoted value ends at its closing quote, a bare one at the first blank (or a CR an editor left).
        size_t first = start + key.size(), last;
        if (first < line.size() && line[first] == '"') {
            last = line.find('"', ++first);
            if (last == std::string::npos) continue;
        } else {
            last = std::min(line.find_first_of(" \t\r", first), line.size());
        }
        std::string v = line.substr(first, last - first);
        if (v.find('\0') != std::string::npos) continue;
        if (v == "$HOME" || v.compare(0, 6, "$HOME/") == 0)
            v = v.size() <= 6 ? Home() : Below(Home(), v.substr(6));
        else if (v.empty() || v.front() != '/')
            continue;
        found = WithoutTrailingSlashes(v);
    }
    return found;
}

} // namespace

std::string TempDirectory() {
    const char* t = std::getenv("TMPDIR");
    std::string dir = t && *t ? t : "/tmp";
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    return dir;
}

std::string CreateTempFile(const std::string& prefix, const std::string& suffix, const std::string& folder) {
    // A NUL would cut the name short where the system reads it, and a slash would put the file elsewhere.
    const std::string_view notInName("/\0", 2);
    if (prefix.find_first_of(notInName) != std::string::npos ||
        suffix.find_first_of(notInName) != std::string::npos || folder.find('\0') != std::string::npos) {
        errno = EINVAL;
        return "";
    }
    std::string dir = folder.empty() ? TempDirectory() : folder;
    std::string pattern = dir + "/" + prefix + "XXXXXX" + suffix;
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    int fd = mkstemps(buf.data(), static_cast<int>(suffix.size()));
    if (fd < 0) return "";
    close(fd);
    return std::string(buf.data());
}

bool WriteFileAtomically(const std::string& path, const std::string& data) {
    std::string dir = DirectoryOf(path);
    std::string base =
        path.substr(path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1);
    // The temporary file bears the front of the name only, so that every name the folder takes can be
    // written: the whole name and what is added to it could be longer than a name may be. It is cut before
    // a character, not within one.
    if (base.size() > kTempNameFront) {
        size_t cut = kTempNameFront;
        while (cut > 0 && (static_cast<unsigned char>(base[cut]) & 0xC0) == 0x80)
            --cut;
        base.resize(cut);
    }
    std::string tmp = CreateTempFile("." + base + ".", ".tmp", dir);
    if (tmp.empty()) return false;
    int fd = open(tmp.c_str(), O_WRONLY | O_TRUNC);
    bool ok = fd >= 0;
    size_t done = 0;
    while (ok && done < data.size()) {
        ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<size_t>(n);
    }
    // Keep the owner and mode of the file being replaced, synced with the data: a file of the user's
    // rewritten by root (through sudo) must stay theirs, or a 0600 file could no longer be read by its user.
    // Giving a file away is root's alone; for anyone else the owner is theirs already, and a failure leaves
    // the file theirs.
    struct stat st {};
    if (ok && stat(path.c_str(), &st) == 0) {
        if (st.st_uid != geteuid() || st.st_gid != getegid()) (void)!fchown(fd, st.st_uid, st.st_gid);
        fchmod(fd, st.st_mode & 07777);
    }
    if (ok) ok = fsync(fd) == 0;
    if (fd >= 0) close(fd);
    if (ok) ok = rename(tmp.c_str(), path.c_str()) == 0;
    if (!ok) {
        int saved = errno;
        unlink(tmp.c_str());
        errno = saved;
        return false;
    }
    return SyncFolder(dir);
}

std::string ModulePath(const void* address) {
    if (address == nullptr) address = reinterpret_cast<const void*>(&ModulePath);
    Dl_info info{};
    link_map* module = nullptr;
    const bool found = dladdr1(address, &info, reinterpret_cast<void**>(&module), RTLD_DL_LINKMAP) != 0;
    // The main program has no name in the loader's list: dladdr gives the argv[0] it was started with, which
    // its starter chose (a link's name, or any text at all). Only the kernel knows its file.
    const bool program =
        !found || module == nullptr || module->l_name == nullptr || module->l_name[0] == '\0';
    if (!program && info.dli_fname && info.dli_fname[0] == '/') return info.dli_fname;
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return info.dli_fname ? info.dli_fname : "";
    buf[n] = '\0';
    if (program || info.dli_fname == nullptr || std::strchr(info.dli_fname, '/') == nullptr) return buf;
    // A library opened by a relative name.
    char resolved[4096];
    return realpath(info.dli_fname, resolved) ? resolved : buf;
}

std::string DirectoryOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string DocumentsFolder() {
    std::string xdg = XdgDocuments();
    if (IsDirectory(xdg)) return xdg;
    std::string docs = Below(Home(), "Documents");
    if (IsDirectory(docs)) return docs;
    return Home();
}

// The copies move rather than copy: a caller may copy part of a text onto itself.
size_t CopyBounded(char* dst, size_t size, const char* src) {
    if (dst == nullptr || size == 0) return 0;
    size_t n = src ? strnlen(src, size - 1) : 0;
    if (n) std::memmove(dst, src, n);
    dst[n] = '\0';
    return n;
}

size_t CopyBounded(char* dst, size_t size, const std::string& src) {
    if (dst == nullptr || size == 0) return 0;
    size_t n = std::min(src.size(), size - 1);
    if (n) std::memmove(dst, src.data(), n);
    dst[n] = '\0';
    return n;
}

int CompareBounded(const char* a, const char* b, size_t n) {
    return std::strncmp(a, b, n);
}

// Folds ASCII letters alone, whatever the locale: strncasecmp follows the program's locale, which would fold
// bytes above 127 in a one-byte code page and, in a Turkish one, no longer fold I and i.
int CompareBoundedNoCase(const char* a, const char* b, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        const int x = util::AsciiLower(a[i]), y = util::AsciiLower(b[i]);
        if (x != y) return x - y;
        if (x == 0) break;
    }
    return 0;
}

} // namespace os
