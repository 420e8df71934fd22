// Network paths ("port!!server!!file", "server!!file", "file") and their resolution to files on this machine.
#pragma once

#include "nnotes/nnotes.h"

#include <string>

namespace nnotes::netpath {

struct Parts {
    std::string port;
    std::string server;
    std::string file;
};

// Joins the parts; an empty port counts as none. Fails when a part holds "!!" or the result would not fit
// MAXPATH bytes with its terminating zero.
STATUS Join(const Parts& parts, std::string& out);

// The exact inverse of Join.
STATUS Split(const std::string& netpath, Parts& out);

// The file-system path of a database file named by (server, file): relative paths lie under the local data
// directory or the server's folder; "\" counts as "/"; a component that is not found as written is matched
// without regard to case; ".." may not climb out of that folder. The result need not exist.
STATUS Resolve(const std::string& server, const std::string& file, std::string& out);

// Resolve for a whole network path.
STATUS ResolveNetPath(const std::string& netpath, std::string& out);

// The folder that relative paths of a server ("" = local) lie under.
STATUS RootFolder(const std::string& server, std::string& out);

} // namespace nnotes::netpath
