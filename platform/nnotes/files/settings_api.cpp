// The environment, user name, data directory and server list operations of the public header.
#include "nnotes/nnotes.h"

#include "files/netpath.h"
#include "files/settings.h"
#include "memory/memory.h"
#include "os/os.h"
#include "process/process.h"
#include "util/coding.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace nnotes {
namespace {

// A name that an INI line can hold and read back as the same key.
bool ValidEnvironmentName(const char* name) {
    if (name == nullptr || *name == '\0') return false;
    if (std::strpbrk(name, "=[]\r\n") != nullptr) return false;
    if (name[0] == ';' || name[0] == '#') return false;
    return name[0] != ' ' && name[0] != '\t' && name[std::strlen(name) - 1] != ' ' &&
           name[std::strlen(name) - 1] != '\t';
}

STATUS CopyOut(const std::string& text, char* buf, uint16_t size) {
    if (buf == nullptr || size == 0) return ERR_MISSING_ARGUMENT;
    os::CopyBounded(buf, size, text);
    return NOERROR;
}

} // namespace

STATUS GetEnvironmentText(const char* name, char* buf, uint16_t size) {
    if (STATUS s = RequireProcess()) return s;
    if (!ValidEnvironmentName(name)) return ERR_ENV_NAME;
    auto value = settings::NotesValue(name);
    if (!value) return ERR_ENV_NOT_SET;
    return CopyOut(*value, buf, size);
}

STATUS GetEnvironmentInt(const char* name, int32_t* value) {
    if (STATUS s = RequireProcess()) return s;
    if (value == nullptr) return ERR_MISSING_ARGUMENT;
    if (!ValidEnvironmentName(name)) return ERR_ENV_NAME;
    auto text = settings::NotesValue(name);
    if (!text) return ERR_ENV_NOT_SET;
    const long long n = std::strtoll(text->c_str(), nullptr, 10);
    *value = n > INT32_MAX || n < INT32_MIN ? 0 : static_cast<int32_t>(n);
    return NOERROR;
}

STATUS SetEnvironmentText(const char* name, const char* value) {
    if (STATUS s = RequireProcess()) return s;
    if (!ValidEnvironmentName(name)) return ERR_ENV_NAME;
    if (value != nullptr && std::strpbrk(value, "\r\n") != nullptr) return ERR_ENV_VALUE;
    return settings::SetNotesValue(name, value ? std::optional<std::string>(value) : std::nullopt);
}

STATUS SetEnvironmentInt(const char* name, int32_t value) {
    return SetEnvironmentText(name, std::to_string(value).c_str());
}

STATUS GetUserNameText(char* buf, uint16_t size) {
    if (STATUS s = RequireProcess()) return s;
    auto name = settings::NotesValue("UserName");
    if (!name || name->empty()) return ERR_NO_USER_NAME;
    return CopyOut(*name, buf, size);
}

STATUS GetDataDirectory(char* buf, uint16_t size, uint16_t* length) {
    if (STATUS s = RequireProcess()) return s;
    std::string dir;
    if (STATUS s = netpath::RootFolder("", dir)) return s;
    if (STATUS s = CopyOut(dir, buf, size)) return s;
    if (length != nullptr) *length = static_cast<uint16_t>(std::strlen(buf));
    return NOERROR;
}

STATUS GetServerList(const char*, DHANDLE* list) {
    if (STATUS s = RequireProcess()) return s;
    if (list == nullptr) return ERR_MISSING_ARGUMENT;
    std::string lengths, texts;
    uint16_t count = 0;
    for (const auto& server : settings::Servers()) {
        if (count == UINT16_MAX || server.name.size() >= MAXPATH) continue;
        const auto n = static_cast<uint16_t>(server.name.size());
        util::PutFixed16(&lengths, n);
        texts += server.name;
        ++count;
    }
    std::string bytes;
    util::PutFixed16(&bytes, count);
    bytes += lengths + texts;
    return CopyToNewBlock(bytes.data(), bytes.size(), list);
}

STATUS BuildNetPath(const char* port, const char* server, const char* file, char* netpath) {
    if (STATUS s = RequireProcess()) return s;
    if (netpath == nullptr) return ERR_MISSING_ARGUMENT;
    netpath::Parts parts{port ? port : "", server ? server : "", file ? file : ""};
    std::string joined;
    if (STATUS s = netpath::Join(parts, joined)) return s;
    std::memcpy(netpath, joined.c_str(), joined.size() + 1);
    return NOERROR;
}

STATUS SplitNetPath(const char* netpath, char* port, char* server, char* file) {
    if (STATUS s = RequireProcess()) return s;
    if (netpath == nullptr) return ERR_MISSING_ARGUMENT;
    if (strnlen(netpath, MAXPATH) >= MAXPATH) return ERR_NETPATH_TOO_LONG;
    netpath::Parts parts;
    if (STATUS s = netpath::Split(netpath, parts)) return s;
    if (port != nullptr) std::memcpy(port, parts.port.c_str(), parts.port.size() + 1);
    if (server != nullptr) std::memcpy(server, parts.server.c_str(), parts.server.size() + 1);
    if (file != nullptr) std::memcpy(file, parts.file.c_str(), parts.file.size() + 1);
    return NOERROR;
}

} // namespace nnotes
