#include "file_io.h"

#include "os/os.h"
#include "word/word.h"

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

// The mode a new file gets from the process's umask (the temporary file is created private). The mask is
// read, never set: setting it for a moment would give files that other threads create meanwhile 0666.
mode_t NewFileMode() {
    return 0666 & ~static_cast<mode_t>(os::FileCreationMask());
}

// Whether a file stands at path that a save may replace: only a regular file that the user may write. A
// symbolic link, a FIFO, a device, a folder or a read-only file (read-only to root too, whom the system
// would let write it) is refused, as a word processor refuses it.
bool CheckTarget(const std::string& path, struct stat& st) {
    if (lstat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) return false;
        throw AutomationError("Cannot write " + path + ": " + std::strerror(errno));
    }
    const auto refuse = [&](const std::string& what) {
        throw AutomationError("Cannot write " + path + ": " + what);
    };
    if (S_ISLNK(st.st_mode)) refuse("it is a symbolic link");
    if (S_ISDIR(st.st_mode)) refuse("it is a folder");
    if (!S_ISREG(st.st_mode)) refuse("it is no regular file (a device, FIFO or socket)");
    if ((st.st_mode & 0222) == 0 || access(path.c_str(), W_OK) != 0) refuse("the file is read-only");
    return true;
}

// Gives a new file its name, failing when something has taken the name meanwhile.
bool RenameNew(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // A file system without that kind of rename: a hard link fails in the same way.
    if (link(from.c_str(), to.c_str()) != 0) return false;
    unlink(from.c_str());
    return true;
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
    struct stat existing {};
    bool replacing = CheckTarget(path, existing);
    // The temporary name does not grow with the target's, so that every name the file system takes saves.
    std::string temp = os::CreateTempFile(".~qvl", ".tmp", os::DirectoryOf(path));
    if (temp.empty()) throw AutomationError("Cannot write " + path + ": " + std::strerror(errno));

    mode_t mode = replacing ? existing.st_mode & 07777 : NewFileMode();
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
    if (!ok) {
        int error = errno;
        unlink(temp.c_str());
        throw AutomationError("Cannot write " + path + ": " + std::strerror(error));
    }
    try {
        // What stands at the path may have changed while the document was written.
        struct stat now {};
        if (replacing != CheckTarget(path, now) || (replacing && now.st_ino != existing.st_ino))
            throw AutomationError("Cannot write " + path + ": it was changed while the document was written");
        ok = replacing ? rename(temp.c_str(), path.c_str()) == 0 : RenameNew(temp, path);
    } catch (...) {
        unlink(temp.c_str());
        throw;
    }
    if (!ok) {
        int error = errno;
        unlink(temp.c_str());
        throw AutomationError("Cannot write " + path + ": " + std::strerror(error));
    }
    // The new name is on the disk only once the folder is: a power cut would otherwise undo the save.
    if (!os::SyncFolder(os::DirectoryOf(path)))
        throw AutomationError("Cannot write " + path + ": " + std::strerror(errno));
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
