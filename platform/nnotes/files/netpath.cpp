#include "files/netpath.h"

#include "files/settings.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <vector>

namespace nnotes::netpath {
namespace {

constexpr const char* kSeparator = "!!";

bool Exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

bool IsDirectory(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    const auto ua = icu::UnicodeString::fromUTF8(a);
    const auto ub = icu::UnicodeString::fromUTF8(b);
    return ua.caseCompare(ub, U_FOLD_CASE_DEFAULT) == 0;
}

// The entry of folder that is called name, first as written, then ignoring case (files written on Windows).
std::string MatchComponent(const std::string& folder, const std::string& name) {
    if (Exists(folder + "/" + name)) return name;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return name;
    std::string found = name;
    while (const dirent* e = ::readdir(dir)) {
        if (SameIgnoringCase(e->d_name, name)) {
            found = e->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

// A NUL would cut a name short wherever it becomes a C string again (a file system call, SQLite), and the
// text before it would name another file unseen.
STATUS CheckNoNul(const Parts& parts) {
    if (parts.port.find('\0') != std::string::npos) return ERR_PORT_NAME_INVALID;
    if (parts.server.find('\0') != std::string::npos) return ERR_SERVER_NAME_INVALID;
    if (parts.file.find('\0') != std::string::npos) return ERR_PATH_INVALID;
    return NOERROR;
}

} // namespace

STATUS Join(const Parts& parts, std::string& out) {
    if (STATUS s = CheckNoNul(parts)) return s;
    if (parts.port.size() >= MAXPORTNAME) return ERR_NETPATH_TOO_LONG;
    for (const std::string* p : {&parts.port, &parts.server, &parts.file})
        if (p->find(kSeparator) != std::string::npos) return ERR_NETPATH_PART;
    // A '!' next to a separator would make the split ambiguous ("a!" + "!!" + "b" = "a" + "!!" + "!b").
    for (const std::string* p : {&parts.port, &parts.server})
        if (!p->empty() && (p->front() == '!' || p->back() == '!')) return ERR_NETPATH_PART;
    if (!parts.file.empty() && parts.file.front() == '!' && !parts.server.empty()) return ERR_NETPATH_PART;
    std::string joined;
    if (!parts.port.empty())
        joined = parts.port + kSeparator + parts.server + kSeparator + parts.file;
    else if (!parts.server.empty())
        joined = parts.server + kSeparator + parts.file;
    else
        joined = parts.file;
    if (joined.size() >= MAXPATH) return ERR_NETPATH_TOO_LONG;
    out = std::move(joined);
    return NOERROR;
}

STATUS Split(const std::string& netpath, Parts& out) {
    if (netpath.size() >= MAXPATH) return ERR_NETPATH_TOO_LONG;
    std::vector<std::string> pieces;
    size_t pos = 0;
    while (true) {
        const size_t sep = netpath.find(kSeparator, pos);
        pieces.push_back(netpath.substr(pos, sep == std::string::npos ? std::string::npos : sep - pos));
        if (sep == std::string::npos) break;
        pos = sep + 2;
    }
    Parts parts;
    switch (pieces.size()) {
    case 1:
        parts.file = pieces[0];
        break;
    case 2:
        parts.server = pieces[0], parts.file = pieces[1];
        break;
    case 3:
        parts.port = pieces[0], parts.server = pieces[1], parts.file = pieces[2];
        break;
    default:
        return ERR_NETPATH_PART;
    }
    // A port only ever travels with the server part in front of it; an empty one would not round-trip.
    if (pieces.size() == 3 && parts.port.empty()) return ERR_NETPATH_PART;
    if (pieces.size() == 2 && parts.server.empty()) return ERR_NETPATH_PART;
    if (parts.port.size() >= MAXPORTNAME) return ERR_NETPATH_TOO_LONG;
    if (STATUS s = CheckNoNul(parts)) return s;
    out = std::move(parts);
    return NOERROR;
}

STATUS RootFolder(const std::string& server, std::string& out) {
    if (server.empty()) {
        out = settings::DataDirectory();
        return out.empty() ? ERR_SETTINGS_NO_FILE : NOERROR;
    }
    auto folder = settings::ServerFolder(server);
    if (!folder || !IsDirectory(*folder)) return ERR_SERVER_NOT_KNOWN;
    out = *folder;
    return NOERROR;
}

STATUS Resolve(const std::string& server, const std::string& file, std::string& out) {
    if (STATUS s = CheckNoNul({"", server, file})) return s;
    std::string path = file;
    for (char& c : path)
        if (c == '\\') c = '/';

    std::string root;
    if (server.empty() && !path.empty() && path.front() == '/') {
        root = "/"; // a full local path names its file directly
    } else if (STATUS s = RootFolder(server, root)) {
        return s;
    }

    std::vector<std::string> components;
    size_t pos = 0;
    while (pos <= path.size()) {
        size_t slash = path.find('/', pos);
        if (slash == std::string::npos) slash = path.size();
        const std::string part = path.substr(pos, slash - pos);
        pos = slash + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (components.empty()) return ERR_PATH_ESCAPES;
            components.pop_back();
            continue;
        }
        components.push_back(part);
    }

    std::string resolved = root == "/" ? "" : root;
    for (const auto& part : components) {
        const std::string name = MatchComponent(resolved.empty() ? "/" : resolved, part);
        resolved.push_back('/');
        resolved.append(name);
    }
    out = resolved.empty() ? "/" : resolved;
    return NOERROR;
}

STATUS ResolveNetPath(const std::string& netpath, std::string& out) {
    Parts parts;
    if (STATUS s = Split(netpath, parts)) return s;
    return Resolve(parts.server, parts.file, out);
}

} // namespace nnotes::netpath
