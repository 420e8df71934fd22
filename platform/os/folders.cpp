// Durable folder entries and the file mode creation mask.
#include "os/os.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace os {
namespace {

struct Observer {
    std::mutex mutex;
    FolderSyncObserver observer;
};

// Never destroyed: files may be written from static destructors.
Observer& TheObserver() {
    static auto* observer = new Observer;
    return *observer;
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

bool SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    int rc;
    while ((rc = ::fsync(fd)) != 0 && errno == EINTR) {
    }
    const int error = errno;
    ::close(fd);
    if (rc != 0 && error != EINVAL) {
        errno = error;
        return false;
    }
    FolderSyncObserver observer;
    {
        std::lock_guard<std::mutex> guard(TheObserver().mutex);
        observer = TheObserver().observer;
    }
    if (observer) observer(folder);
    return true;
}

bool MakeFolders(const std::string& folder) {
    if (folder.empty() || IsFolder(folder)) return !folder.empty();
    const std::string parent = DirectoryOf(folder);
    if (parent != folder && !MakeFolders(parent)) return false;
    if (::mkdir(folder.c_str(), 0777) != 0) return errno == EEXIST && IsFolder(folder);
    return SyncFolder(parent);
}

FolderSyncObserver SetFolderSyncObserver(FolderSyncObserver observer) {
    std::lock_guard<std::mutex> guard(TheObserver().mutex);
    std::swap(observer, TheObserver().observer);
    return observer;
}

unsigned FileCreationMask() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("Umask:", 0) != 0) continue;
        char* end = nullptr;
        const unsigned long mask = std::strtoul(line.c_str() + 6, &end, 8);
        if (end != line.c_str() + 6 && mask <= 0777) return static_cast<unsigned>(mask);
    }
    return 077;
}

} // namespace os
