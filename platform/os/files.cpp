#include "os/os.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace os {
namespace {

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string Home() {
    const char* home = std::getenv("HOME");
    return home && *home ? home : "/";
}

// The value of XDG_DOCUMENTS_DIR in the user's dirs file, with $HOME expanded; empty when not set.
std::string XdgDocuments() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string file = (config && *config ? std::string(config) : Home() + "/.config") + "/user-dirs.dirs";
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        const std::string key = "XDG_DOCUMENTS_DIR=";
        if (line.compare(0, key.size(), key) != 0) continue;
        std::string v = line.substr(key.size());
        if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
        if (v.compare(0, 5, "$HOME") == 0) v = Home() + v.substr(5);
        return v;
    }
    return "";
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
    if (dladdr(address, &info) && info.dli_fname && info.dli_fname[0] == '/') return info.dli_fname;
    // The main program has no absolute name in dladdr; ask the kernel.
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return info.dli_fname ? info.dli_fname : "";
    buf[n] = '\0';
    if (info.dli_fname == nullptr || std::strchr(info.dli_fname, '/') == nullptr) return buf;
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
    std::string docs = Home() + "/Documents";
    if (IsDirectory(docs)) return docs;
    return Home();
}

size_t CopyBounded(char* dst, size_t size, const char* src) {
    if (dst == nullptr || size == 0) return 0;
    size_t n = src ? strnlen(src, size - 1) : 0;
    if (n) std::memcpy(dst, src, n);
    dst[n] = '\0';
    return n;
}

size_t CopyBounded(char* dst, size_t size, const std::string& src) {
    if (dst == nullptr || size == 0) return 0;
    size_t n = std::min(src.size(), size - 1);
    std::memcpy(dst, src.data(), n);
    dst[n] = '\0';
    return n;
}

int CompareBounded(const char* a, const char* b, size_t n) {
    return std::strncmp(a, b, n);
}

int CompareBoundedNoCase(const char* a, const char* b, size_t n) {
    return strncasecmp(a, b, n);
}

} // namespace os
