#include "open_database.h"

#include "failure.h"
#include "nnotes/database.h"
#include "nnotes/settings.h"

namespace nsfadmin {

std::string NetPath(const std::string& server, const std::string& path, const std::string& place) {
    char netpath[nnotes::MAXPATH];
    Check(nnotes::BuildNetPath(nullptr, server.c_str(), path.c_str(), netpath), place);
    return netpath;
}

OpenedDatabase::OpenedDatabase(const std::string& path, const std::string& server)
    : name_(NetPath(server, path, path)) {
    Check(nnotes::OpenDatabase(name_.c_str(), &db_), name_);
}

OpenedDatabase::~OpenedDatabase() {
    nnotes::CloseDatabase(db_);
}

} // namespace nsfadmin
