// Searching a directory for database files, and finding a database by its identifier.
#include "files/netpath.h"
#include "process/process.h"
#include "store/database_schema.h"
#include "store/search.h"
#include "util/text.h"

#include <algorithm>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace nnotes {
namespace store {
namespace {

bool HasSuffix(const std::string& name, const char* suffix) {
    const size_t n = std::strlen(suffix);
    return name.size() > n && util::EqualsNoCase(std::string_view(name).substr(name.size() - n), suffix);
}

bool Wanted(const std::string& name, uint16_t fileType) {
    const bool database = HasSuffix(name, ".nsf"), templ = HasSuffix(name, ".ntf");
    switch (fileType & ~FILE_RECURSE) {
    case FILE_DATABASES:
        return database;
    case FILE_TEMPLATES:
        return templ;
    default:
        return database || templ;
    }
}

std::vector<std::string> SortedEntries(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(dir))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                names.emplace_back(e->d_name);
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

STATUS RootOf(const Database& directory, std::string& root) {
    netpath::Parts parts;
    if (STATUS s = netpath::Split(directory.NetPath(), parts)) return s;
    return netpath::RootFolder(parts.server, root);
}

STATUS WalkDatabaseFiles(const std::string& root, const std::string& folder, uint16_t fileType,
                         const std::function<STATUS(const std::string&, const std::string&)>& visit) {
    for (const auto& name : SortedEntries(folder)) {
        const std::string path = folder + "/" + name;
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) { // symbolic links are not followed: no loops, no leaving the tree
            if (fileType & FILE_RECURSE)
                if (STATUS s = WalkDatabaseFiles(root, path, fileType, visit)) return s;
            continue;
        }
        if (!S_ISREG(st.st_mode) || !Wanted(name, fileType) || !LooksLikeDatabase(path)) continue;
        const bool below = path.compare(0, root.size() + 1, root + "/") == 0;
        if (STATUS s = visit(path, below ? path.substr(root.size() + 1) : path)) return s;
    }
    return NOERROR;
}

} // namespace store

STATUS LocateDatabaseById(DBHANDLE handle, const Instant* id, char* path) {
    if (STATUS s = RequireProcess()) return s;
    if (id == nullptr || path == nullptr) return ERR_MISSING_ARGUMENT;
    const auto directory = store::FindDatabase(handle);
    if (directory == nullptr) return ERR_DB_HANDLE;
    if (!directory->IsDirectory()) return ERR_DB_NOT_DIRECTORY;
    std::string root;
    if (STATUS s = store::RootOf(*directory, root)) return s;
    bool found = false;
    const STATUS s = store::WalkDatabaseFiles(
        root, directory->FilePath(), FILE_DBANY_AND_TEMPLATES | FILE_RECURSE,
        [&](const std::string& full, const std::string& relative) -> STATUS {
            std::shared_ptr<store::Database> db;
            if (store::Database::Open(full, relative, db) != NOERROR) return NOERROR; // unreadable: not it
            std::string bytes;
            if (db->ReadInfo(store::kInfoId, bytes) != NOERROR || bytes.size() != sizeof *id) return NOERROR;
            if (std::memcmp(bytes.data(), id, sizeof *id) != 0 || relative.size() >= MAXPATH) return NOERROR;
            std::memcpy(path, relative.c_str(), relative.size() + 1);
            found = true;
            return ERR_DB_ID_NOT_FOUND; // any non-zero result ends the walk
        });
    if (found) return NOERROR;
    return s == NOERROR ? ERR_DB_ID_NOT_FOUND : s;
}

} // namespace nnotes
