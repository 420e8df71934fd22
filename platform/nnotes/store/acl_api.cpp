// The access-list calls on a list held in a memory block.
#include "memory/memory.h"
#include "process/process.h"
#include "store/acl_format.h"

#include <cstring>

namespace nnotes {
namespace {

STATUS Load(DHANDLE handle, acl::List& list, std::byte** bytes = nullptr) {
    if (STATUS s = RequireProcess()) return s;
    uint32_t size = 0;
    std::byte* block = PeekBlock(handle, &size);
    if (block == nullptr) return ERR_BAD_HANDLE;
    if (bytes != nullptr) *bytes = block;
    return acl::Decode(std::string_view(reinterpret_cast<const char*>(block), size), list);
}

STATUS Save(DHANDLE handle, const acl::List& list) {
    const std::string bytes = acl::Encode(list);
    if (STATUS s = ResizeBlock(handle, static_cast<uint32_t>(bytes.size()))) return s;
    uint32_t size = 0;
    std::byte* block = PeekBlock(handle, &size);
    if (block == nullptr || size != bytes.size()) return ERR_BAD_HANDLE;
    std::memcpy(block, bytes.data(), bytes.size());
    return NOERROR;
}

// Loads the list, lets change edit it and saves it when change succeeds.
template <class Change>
STATUS Modify(DHANDLE handle, Change change) {
    acl::List list;
    if (STATUS s = Load(handle, list)) return s;
    if (STATUS s = change(list)) return s;
    return Save(handle, list);
}

template <class Read>
STATUS Inspect(DHANDLE handle, Read read) {
    acl::List list;
    if (STATUS s = Load(handle, list)) return s;
    return read(list);
}

void Copy(const std::string& text, char* out, size_t size) {
    const size_t n = std::min(text.size(), size - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

} // namespace

namespace acl {

// A new block holding list.
STATUS NewListBlock(const List& list, DHANDLE* handle) {
    if (handle == nullptr) return ERR_MISSING_ARGUMENT;
    const std::string bytes = Encode(list);
    return CopyToNewBlock(bytes.data(), bytes.size(), handle);
}

STATUS ReadListBlock(DHANDLE handle, List& list) {
    return Load(handle, list);
}

} // namespace acl

STATUS CreateACL(DHANDLE* handle) {
    if (STATUS s = RequireProcess()) return s;
    return acl::NewListBlock(acl::DefaultList(ACL_LEVEL_NOACCESS), handle);
}

STATUS AddACLEntry(DHANDLE handle, const char* name, uint16_t level, const ACL_PRIVILEGES* privileges,
                   uint16_t flags) {
    return Modify(handle, [&](acl::List& list) -> STATUS {
        if (STATUS s = acl::CheckName(name)) return s;
        if (level > ACL_LEVEL_MANAGER) return ERR_ACL_BAD_LEVEL;
        if (acl::FindEntry(list, name) != nullptr) return ERR_ACL_ENTRY_EXISTS;
        if (list.entries.size() >= 0xFFFF) return ERR_ACL_FULL;
        acl::Entry e;
        e.name = name;
        e.level = level;
        e.flags = flags;
        if (privileges != nullptr) e.privileges = *privileges;
        list.entries.push_back(std::move(e));
        return NOERROR;
    });
}

STATUS DeleteACLEntry(DHANDLE handle, const char* name) {
    return Modify(handle, [&](acl::List& list) -> STATUS {
        acl::Entry* e = acl::FindEntry(list, name);
        if (e == nullptr) return ERR_ACL_NOT_FOUND;
        if (e->name == ACL_DEFAULT_NAME) return ERR_ACL_DEFAULT_ENTRY;
        list.entries.erase(list.entries.begin() + (e - list.entries.data()));
        return NOERROR;
    });
}

STATUS UpdateACLEntry(DHANDLE handle, const char* name, uint16_t updateFlags, const char* newName,
                      uint16_t level, const ACL_PRIVILEGES* privileges, uint16_t flags) {
    return Modify(handle, [&](acl::List& list) -> STATUS {
        acl::Entry* e = acl::FindEntry(list, name);
        if (e == nullptr) return ERR_ACL_NOT_FOUND;
        if ((updateFlags & ACL_UPDATE_LEVEL) != 0 && level > ACL_LEVEL_MANAGER) return ERR_ACL_BAD_LEVEL;
        if ((updateFlags & ACL_UPDATE_PRIVILEGES) != 0 && privileges == nullptr) return ERR_MISSING_ARGUMENT;
        if ((updateFlags & ACL_UPDATE_NAME) != 0) {
            if (STATUS s = acl::CheckName(newName)) return s;
            if (e->name == ACL_DEFAULT_NAME) return ERR_ACL_DEFAULT_ENTRY;
            const acl::Entry* other = acl::FindEntry(list, newName);
            if (other != nullptr && other != e) return ERR_ACL_ENTRY_EXISTS;
            e->name = newName;
        }
        if ((updateFlags & ACL_UPDATE_LEVEL) != 0) e->level = level;
        if ((updateFlags & ACL_UPDATE_PRIVILEGES) != 0) e->privileges = *privileges;
        if ((updateFlags & ACL_UPDATE_FLAGS) != 0) e->flags = flags;
        return NOERROR;
    });
}

STATUS EnumerateACL(DHANDLE handle, ACLEntryCallback callback, void* context) {
    if (callback == nullptr) return ERR_MISSING_ARGUMENT;
    acl::List list;
    std::byte* bytes = nullptr;
    if (STATUS s = Load(handle, list, &bytes)) return s;
    for (const auto& e : list.entries) {
        auto* privileges = reinterpret_cast<ACL_PRIVILEGES*>(bytes + e.privilegesOffset);
        callback(context, e.name.c_str(), e.level, privileges, e.flags);
    }
    return NOERROR;
}

STATUS GetPrivilegeName(DHANDLE handle, uint16_t slot, char* name) {
    return Inspect(handle, [&](const acl::List& list) -> STATUS {
        if (name == nullptr) return ERR_MISSING_ARGUMENT;
        if (slot >= ACL_PRIVCOUNT) return ERR_ACL_BAD_PRIVILEGE;
        Copy(list.privilegeNames[slot], name, ACL_PRIVNAMEMAX);
        return NOERROR;
    });
}

STATUS SetPrivilegeName(DHANDLE handle, uint16_t slot, const char* name) {
    return Modify(handle, [&](acl::List& list) -> STATUS {
        if (name == nullptr) return ERR_MISSING_ARGUMENT;
        if (slot >= ACL_PRIVCOUNT) return ERR_ACL_BAD_PRIVILEGE;
        const size_t n = strnlen(name, ACL_PRIVNAMEMAX);
        if (n == ACL_PRIVNAMEMAX) return ERR_ACL_PRIVNAME_TOO_LONG;
        list.privilegeNames[slot].assign(name, n);
        return NOERROR;
    });
}

STATUS GetACLFlags(DHANDLE handle, uint32_t* flags) {
    return Inspect(handle, [&](const acl::List& list) -> STATUS {
        if (flags == nullptr) return ERR_MISSING_ARGUMENT;
        *flags = list.flags;
        return NOERROR;
    });
}

STATUS SetACLFlags(DHANDLE handle, uint32_t flags) {
    return Modify(handle, [&](acl::List& list) -> STATUS {
        list.flags = flags;
        return NOERROR;
    });
}

STATUS GetACLAdminServer(DHANDLE handle, char* server) {
    return Inspect(handle, [&](const acl::List& list) -> STATUS {
        if (server == nullptr) return ERR_MISSING_ARGUMENT;
        Copy(list.adminServer, server, MAXPATH);
        return NOERROR;
    });
}

STATUS SetACLAdminServer(DHANDLE handle, const char* server) {
    return Modify(handle, [&](acl::List& list) -> STATUS {
        const size_t n = server == nullptr ? 0 : strnlen(server, MAXPATH);
        if (n == MAXPATH) return ERR_NETPATH_TOO_LONG;
        list.adminServer.assign(server == nullptr ? "" : server, n);
        return NOERROR;
    });
}

} // namespace nnotes
