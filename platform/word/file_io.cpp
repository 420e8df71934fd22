#include "file_io.h"

#include "os.h"
#include "word.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace word {
namespace {

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// The mode a new file gets from the process's umask (the temporary file is created private).
mode_t NewFileMode() {
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

} // namespace

std::string ReadWholeFile(const std::string& path, const std::string& what) {
    struct stat st {};
    if (path.empty() || stat(path.c_str(), &st) != 0)
        throw AutomationError("The " + what + " " + path + " does not exist");
    if (!S_ISREG(st.st_mode)) throw AutomationError("The " + what + " " + path + " is not a file");
    if (static_cast<unsigned long long>(st.st_size) > kMaxFileSize)
        throw AutomationError("The " + what + " " + path + " is too large");
    std::ifstream in(path, std::ios::binary);
    std::string data(static_cast<size_t>(st.st_size), '\0');
    if (!in || !in.read(data.data(), static_cast<std::streamsize>(data.size())) || in.get() != EOF)
        throw AutomationError("The " + what + " " + path + " cannot be read");
    return data;
}

void WriteWholeFile(const std::string& path, const std::function<size_t(char* out, size_t size)>& read) {
    if (path.empty()) throw AutomationError("No file name was given");
    size_t slash = path.find_last_of('/');
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temp = os::CreateTempFile("." + base + ".", ".tmp", os::DirectoryOf(path));
    if (temp.empty()) throw AutomationError("Cannot write " + path + ": " + std::strerror(errno));

    struct stat existing {};
    mode_t mode = stat(path.c_str(), &existing) == 0 ? existing.st_mode & 07777 : NewFileMode();
    int fd = open(temp.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    bool ok = fd >= 0;
    std::vector<char> buffer(size_t{1} << 20);
    try {
        for (size_t n; ok && (n = read(buffer.data(), buffer.size())) > 0;)
            ok = WriteAll(fd, std::string_view(buffer.data(), n));
    } catch (...) {
        if (fd >= 0) close(fd);
        unlink(temp.c_str());
        throw;
    }
    ok = ok && fchmod(fd, mode) == 0 && fsync(fd) == 0;
    if (fd >= 0 && close(fd) != 0) ok = false;
    ok = ok && rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        int error = errno;
        unlink(temp.c_str());
        throw AutomationError("Cannot write " + path + ": " + std::strerror(error));
    }
}

void WriteWholeFile(const std::string& path, std::string_view data) {
    WriteWholeFile(path, [&data](char* out, size_t size) {
        size_t count = std::min(size, data.size());
        std::memcpy(out, data.data(), count);
        data.remove_prefix(count);
        return count;
    });
}

} // namespace word
