#include "open_database.h"

#include "failure.h"
#include "nnotes/database.h"
#include "nnotes/settings.h"

namespace nsfadmin {

std::string NetPath(const std::string& server, const std::string& path, const std::string& place) {
    // The store takes names as C strings, where a NUL would end the name early: the text before it would
    // name another database (a build then took the existing one for its temporary file).
    if (server.find('\0') != std::string::npos) Check(nnotes::ERR_SERVER_NAME_INVALID, place);
    if (path.find('\0') != std::string::npos) Check(nnotes::ERR_PATH_INVALID, place);
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
