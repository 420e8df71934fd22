#include "files/database_hold.h"

#include "files/left_over_log.h"
#include "store/store_sql.h"

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace nnotes::store {

namespace {

int Retrying(int (*call)(int, int), int fd, int operation) {
    int rc;
    while ((rc = call(fd, operation)) != 0 && errno == EINTR) {
    }
    return rc;
}

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A path that keeps naming other files while we look gives up after this many tries.
constexpr int kFollowLimit = 100;

} // namespace

// This process's holds by file. Its lock is held while a hold is made, looked up or released, so a
// descriptor is never closed while another handle of the process is about to rely on it.
class HoldRegistry {
public:
    static HoldRegistry& Instance() {
        static auto* registry = new HoldRegistry; // never destroyed: holds may outlive static destruction
        return *registry;
    }

    std::mutex& Lock() { return mutex_; }

    // The hold of a file, with one more user; null when this process has none. Needs Lock().
    std::shared_ptr<FileHold> Find(const struct stat& st) {
        auto it = holds_.find({st.st_dev, st.st_ino});
        return it == holds_.end() ? nullptr : Share(it->second);
    }

    // Needs Lock().
    std::shared_ptr<FileHold> Add(int fd, const struct stat& st) {
        auto* hold = new FileHold(fd, st.st_dev, st.st_ino);
        holds_[{st.st_dev, st.st_ino}] = hold;
        return Share(hold);
    }

    // Needs Lock().
    int FdOf(const struct stat& st) const {
        auto it = holds_.find({st.st_dev, st.st_ino});
        return it == holds_.end() ? -1 : it->second->fd_;
    }

private:
    std::shared_ptr<FileHold> Share(FileHold* hold) {
        ++hold->users_;
        return std::shared_ptr<FileHold>(hold, [this](FileHold* h) { Release(h); });
    }

    void Release(FileHold* hold) {
        std::lock_guard<std::mutex> guard(mutex_);
        if (--hold->users_ != 0) return;
        holds_.erase({hold->device_, hold->inode_});
        close(hold->fd_); // also ends the flock
        delete hold;
    }

    std::mutex mutex_;
    std::map<std::pair<dev_t, ino_t>, FileHold*> holds_;
};

STATUS HoldShared(const std::string& fsPath, std::shared_ptr<FileHold>& out) {
    auto& registry = HoldRegistry::Instance();
    std::lock_guard<std::mutex> guard(registry.Lock());
    for (int attempt = 0; attempt < kFollowLimit; ++attempt) {
        struct stat named;
        if (::stat(fsPath.c_str(), &named) != 0) return StatusOfErrno(errno);
        if (!S_ISREG(named.st_mode)) return ERR_NOT_A_DATABASE;
        if ((out = registry.Find(named))) return NOERROR;
        const int fd = ::open(fsPath.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            if (errno == ENOENT) continue; // replaced or deleted meanwhile
            return StatusOfErrno(errno);
        }
        // The first process to open the database: nobody holds it, so a log beside it was left by a process
        // that ended without closing it. It is checked before any connection can apply it, while the
        // exclusive hold keeps everyone else out; then the hold becomes a shared one.
        if (Retrying(::flock, fd, LOCK_EX | LOCK_NB) == 0) {
            struct stat alone;
            if (::fstat(fd, &alone) == 0 && ::stat(fsPath.c_str(), &named) == 0 && SameFile(named, alone)) {
                if (STATUS s = CheckLeftOverLog(fsPath, fd)) {
                    close(fd);
                    return s;
                }
            }
        } else if (errno != EWOULDBLOCK) {
            const int error = errno;
            close(fd);
            return StatusOfErrno(error);
        }
        // Waits while a replacement or deletion holds the file exclusively; it never holds it for long.
        struct stat held;
        if (Retrying(::flock, fd, LOCK_SH) != 0 || ::fstat(fd, &held) != 0) {
            const int error = errno;
            close(fd);
            return StatusOfErrno(error);
        }
        // The name may have moved on to the file that replaced this one: then follow it.
        if (::stat(fsPath.c_str(), &named) == 0 && SameFile(named, held)) {
            out = registry.Add(fd, held);
            return NOERROR;
        }
        close(fd);
    }
    return ERR_DB_BUSY;
}

ExclusiveHold::~ExclusiveHold() {
    if (fd_ >= 0) close(fd_);
}

STATUS HoldExclusive(const std::string& fsPath, ExclusiveHold& out) {
    auto& registry = HoldRegistry::Instance();
    std::lock_guard<std::mutex> guard(registry.Lock());
    for (int attempt = 0; attempt < kFollowLimit; ++attempt) {
        struct stat named;
        if (::stat(fsPath.c_str(), &named) != 0) return StatusOfErrno(errno);
        // Our own handles: a second descriptor would conflict with them anyway, and closing it would drop
        // this process's SQLite locks on the file.
        if (registry.FdOf(named) >= 0) return ERR_DB_IN_USE;
        const int fd = ::open(fsPath.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            if (errno == ENOENT) continue;
            return StatusOfErrno(errno);
        }
        struct stat held;
        if (Retrying(::flock, fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &held) != 0) {
            const int error = errno;
            close(fd);
            return error == EWOULDBLOCK ? ERR_DB_IN_USE : StatusOfErrno(error);
        }
        if (::stat(fsPath.c_str(), &named) == 0 && SameFile(named, held)) {
            if (out.fd_ >= 0) close(out.fd_);
            out.fd_ = fd;
            return NOERROR;
        }
        close(fd);
    }
    return ERR_DB_BUSY;
}

STATUS ReadFileHead(const std::string& fsPath, void* buf, size_t size, size_t* got) {
    *got = 0;
    auto& registry = HoldRegistry::Instance();
    std::lock_guard<std::mutex> guard(registry.Lock());
    struct stat named;
    if (::stat(fsPath.c_str(), &named) != 0) return StatusOfErrno(errno);
    int fd = registry.FdOf(named);
    const bool own = fd < 0;
    if (own && (fd = ::open(fsPath.c_str(), O_RDONLY | O_CLOEXEC)) < 0) return StatusOfErrno(errno);
    ssize_t n;
    while ((n = ::pread(fd, buf, size, 0)) < 0 && errno == EINTR) {
    }
    const int error = errno;
    if (own) close(fd);
    if (n < 0) return StatusOfErrno(error);
    *got = static_cast<size_t>(n);
    return NOERROR;
}

} // namespace nnotes::store
