// Which processes hold a database file, so that no process replaces or deletes a database another one is
// using.
//
// Every process that has a database open holds a shared flock on the file; replacing or deleting the file
// takes the exclusive flock without waiting, so it is refused while any process holds the database. flock
// locks belong to an open file description and stand apart from SQLite's POSIX record locks. But closing any
// descriptor of a file drops every POSIX lock the process holds on that file, SQLite's included: so a process
// keeps one descriptor per database file for all its handles, and reads the file's first bytes through it.
#pragma once

#include "nnotes/nnotes.h"

#include <memory>
#include <string>
#include <sys/types.h>

namespace nnotes::store {

// This process's shared hold of one database file: one descriptor, shared by every handle of the file and
// closed when the last one lets go.
class FileHold {
public:
    int Fd() const { return fd_; }

private:
    friend class HoldRegistry;
    FileHold(int fd, dev_t device, ino_t inode) : fd_(fd), device_(device), inode_(inode) {}

    int fd_;
    dev_t device_;
    ino_t inode_;
    unsigned users_ = 0; // guarded by the registry's lock
};

// Holds the regular file at fsPath shared. While another process replaces or deletes it this waits (that
// takes moments) and then follows the name to the file that replaced it. ERR_NOEXIST when there is no file,
// ERR_DB_TOO_MANY_FILES when the process may open no more files.
STATUS HoldShared(const std::string& fsPath, std::shared_ptr<FileHold>& out);

// The file at fsPath held exclusively, for replacing or deleting it; released by destruction.
class ExclusiveHold {
public:
    ExclusiveHold() = default;
    ~ExclusiveHold();
    ExclusiveHold(const ExclusiveHold&) = delete;
    ExclusiveHold& operator=(const ExclusiveHold&) = delete;

    int Fd() const { return fd_; }

private:
    friend STATUS HoldExclusive(const std::string& fsPath, ExclusiveHold& out);
    int fd_ = -1;
};

// ERR_DB_IN_USE while any process (this one included) holds the file; ERR_NOEXIST when there is none.
STATUS HoldExclusive(const std::string& fsPath, ExclusiveHold& out);

// Reads the first size bytes of the file at fsPath (through this process's hold when it has one). *got
// receives how many were read; a file that cannot be opened gives its status.
STATUS ReadFileHead(const std::string& fsPath, void* buf, size_t size, size_t* got);

} // namespace nnotes::store
