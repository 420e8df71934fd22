#include "files/database_files.h"

#include "files/database_hold.h"
#include "files/left_over_log.h"
#include "os/os.h"
#include "store/note_identity.h"
#include "store/store_sql.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nnotes::store {
namespace {

// The files SQLite keeps beside a database: its write-ahead log, the log's shared index, a rollback journal.
constexpr const char* kLogSuffixes[] = {"-wal", "-shm", "-journal"};
// The purposes of temporary files: TempDatabaseFile's, and "building" for databases that programs build
// before they copy them over their target (nnotes.h, CopyDatabase).
constexpr const char* kPurposes[] = {"creating", "copying", "building"};

void RemoveLogs(const std::string& fsPath) {
    for (const char* suffix : kLogSuffixes)
        ::unlink((fsPath + suffix).c_str());
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool Exists(const std::string& path) {
    return ::access(path.c_str(), F_OK) == 0;
}

// The mode of a new database file, less the umask. Its log files take the same one. The people in it are
// the owner's alone, unless the folder is one its group shares (the group may write there and not everybody
// may, unlike a folder such as /tmp).
mode_t NewDatabaseMode(const std::string& folder) {
    struct stat st {};
    const bool shared = ::stat(folder.c_str(), &st) == 0 && (st.st_mode & S_IWGRP) && !(st.st_mode & S_IWOTH);
    return shared ? 0660 : 0600;
}

// Makes what was linked, renamed or removed in target's folder survive a power cut.
STATUS SyncFolderOf(const std::string& target) {
    return os::SyncFolder(std::filesystem::path(target).parent_path().string()) ? NOERROR : ERR_DB_IO;
}

// Writes whatever target's log holds into target itself and removes the log, so that the log cannot be
// applied to the file that replaces target. Called while target is held exclusively (through fd). A damaged
// target has nothing worth keeping; any other failure keeps it as it is. A log that does not belong to
// target is never written into it: it goes with the file it stood beside.
STATUS FoldLog(const std::string& target, int fd) {
    const STATUS check = CheckLeftOverLog(target, fd);
    if (check == ERR_DB_FOREIGN_LOG || check == ERR_DB_DAMAGED) {
        RemoveLogs(target);
        return NOERROR;
    }
    if (check != NOERROR) return check;
    STATUS s;
    {
        Connection sql;
        s = sql.Open(target, false);
        if (s == NOERROR) s = sql.Exec("PRAGMA wal_checkpoint(TRUNCATE)");
    } // closing the last connection removes the log
    if (s != NOERROR && s != ERR_DB_DAMAGED && s != ERR_NOT_A_DATABASE) return s;
    RemoveLogs(target);
    return NOERROR;
}

} // namespace

TempDatabaseFile::~TempDatabaseFile() {
    Release();
}

void TempDatabaseFile::Release() {
    if (!path_.empty()) {
        ::unlink(path_.c_str());
        RemoveLogs(path_);
        path_.clear();
    }
    // The placed file is no longer held: its first opener would wait for us.
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

STATUS TempDatabaseFile::Make(const std::string& target, const char* purpose) {
    const std::string folder = std::filesystem::path(target).parent_path().string();
    if (!os::MakeFolders(folder)) return ERR_DB_CREATE;
    const mode_t mode = NewDatabaseMode(folder);
    RemoveStaleTemporaries(target);
    // Between creating the file and locking it, another process's sweep may take it for a left-over one and
    // remove it: a file that has lost its name is given up for a new one.
    for (int tries = 0; tries < 8; ++tries) {
        const std::string path = target + "." + purpose + "-" + std::to_string(RandomBits());
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0)
            return errno == EMFILE || errno == ENFILE || errno == ENOSPC ? StatusOfErrno(errno)
                                                                         : ERR_DB_CREATE;
        struct stat held {
        }, named{};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 &&
            ::stat(path.c_str(), &named) == 0 && held.st_ino == named.st_ino && held.st_dev == named.st_dev) {
            path_ = path;
            fd_ = fd;
            return NOERROR;
        }
        ::close(fd);
    }
    return ERR_DB_CREATE;
}

STATUS TempDatabaseFile::PlaceNew(const std::string& target) {
    // link, not rename: a file that appeared meanwhile is never overwritten.
    if (::link(path_.c_str(), target.c_str()) != 0) return errno == EEXIST ? ERR_DB_EXISTS : ERR_DB_CREATE;
    // A log left by a database deleted in the middle would be applied to the new file. It goes while the new
    // file is still held, so no opener of the name can have made a log of its own yet.
    RemoveLogs(target);
    const STATUS synced = SyncFolderOf(target);
    Release();
    return synced;
}

STATUS TempDatabaseFile::PlaceOver(const std::string& target) {
    // Where there is no database yet it is placed as a new one, which never replaces a database another
    // process put there meanwhile: that one is then held and replaced in turn.
    for (int tries = 0; tries < 100; ++tries) {
        ExclusiveHold hold;
        const STATUS held = HoldExclusive(target, hold);
        if (held == ERR_NOEXIST) {
            const STATUS placed = PlaceNew(target);
            if (placed == ERR_DB_EXISTS) continue;
            return placed;
        }
        if (held != NOERROR) return held;
        // The new database takes the mode that its owner gave the one it replaces.
        struct stat replaced {};
        if (::fstat(hold.Fd(), &replaced) != 0 || ::fchmod(fd_, replaced.st_mode & 07777) != 0)
            return ERR_DB_CREATE;
        if (STATUS s = FoldLog(target, hold.Fd())) return s;
        if (std::rename(path_.c_str(), target.c_str()) != 0) return ERR_DB_CREATE;
        path_.clear(); // it is the target now
        Release();
        return SyncFolderOf(target);
    }
    return ERR_DB_IN_USE;
}

STATUS DeleteDatabaseFile(const std::string& fsPath) {
    ExclusiveHold hold;
    if (STATUS s = HoldExclusive(fsPath, hold)) return s;
    // The logs go while the file is held: once it is gone, a database made again under its name may have
    // logs of its own. (A deletion cut short in between leaves the file without what its logs held, which
    // was being deleted.)
    RemoveLogs(fsPath);
    if (::unlink(fsPath.c_str()) != 0) return StatusOfErrno(errno);
    return SyncFolderOf(fsPath);
}

void RemoveStaleTemporaries(const std::string& target) {
    const std::filesystem::path path(target);
    std::error_code ec;
    std::filesystem::directory_iterator it(path.parent_path(), ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        bool ours = false;
        for (const char* purpose : kPurposes)
            ours = ours || name.rfind(path.filename().string() + "." + purpose + "-", 0) == 0;
        if (!ours) continue;
        bool log = false;
        for (const char* suffix : kLogSuffixes)
            log = log || EndsWith(name, suffix);
        const std::string temp = it->path().string();
        if (log) {
            if (!Exists(temp.substr(0, temp.rfind('-')))) ::unlink(temp.c_str()); // its file is gone
            continue;
        }
        const int fd = ::open(temp.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        // Nobody holds a temporary file but its builder: one that can be taken is left over.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            ::unlink(temp.c_str());
            RemoveLogs(temp);
        }
        ::close(fd);
    }
}

} // namespace nnotes::store
