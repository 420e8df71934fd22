// A database opened by a command for the length of its work.
#pragma once

#include "nnotes/database.h"

#include <string>

namespace nsfadmin {

// The network path of path on server ("" = local), as the store resolves it; failures name place.
std::string NetPath(const std::string& server, const std::string& path, const std::string& place);

class OpenedDatabase {
public:
    // Throws Failure naming the database when it cannot be opened.
    OpenedDatabase(const std::string& path, const std::string& server);
    ~OpenedDatabase();
    OpenedDatabase(const OpenedDatabase&) = delete;
    OpenedDatabase& operator=(const OpenedDatabase&) = delete;

    nnotes::DBHANDLE Handle() const { return db_; }
    // The network path, for error texts.
    const std::string& Name() const { return name_; }

private:
    std::string name_;
    nnotes::DBHANDLE db_ = 0;
};

} // namespace nsfadmin
