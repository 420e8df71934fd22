// Log entries: lines gathered in the process until the entry is closed into the log database or discarded.
#include "process/process.h"
#include "store/log_database.h"
#include "store/store_handles.h"

#include <cstring>

namespace nnotes {
namespace {

// A text list holds at most 65535 bytes: its count, a length per line and the lines.
constexpr size_t kMaxListBytes = 0xFFFF - 2;

struct LogEntry {
    std::string name;
    std::vector<std::string> lines;
    size_t listBytes = 2;
};

store::HandleTable<LogEntry>& Entries() {
    // Never destroyed: see AtTermProcess. Log entry handles are 16 bits wide.
    static auto* entries = new store::HandleTable<LogEntry>(UINT16_MAX);
    return *entries;
}

void ReleaseAll() {
    Entries().RemoveAll();
}

std::string Text(const char* text) {
    return text == nullptr ? std::string() : std::string(text, strnlen(text, 0xFFFF));
}

STATUS AddLine(LOGHANDLE entry, std::string line) {
    if (STATUS s = RequireProcess()) return s;
    const auto found = Entries().Find(entry);
    if (found == nullptr) return ERR_LOG_HANDLE;
    if (found->listBytes + 2 + line.size() > kMaxListBytes) return ERR_LOG_FULL;
    found->listBytes += 2 + line.size();
    found->lines.push_back(std::move(line));
    return NOERROR;
}

} // namespace

STATUS OpenLogEntry(const char* name, LOGHANDLE* entry) {
    if (STATUS s = RequireProcess()) return s;
    if (entry == nullptr) return ERR_MISSING_ARGUMENT;
    const size_t n = name == nullptr ? 0 : strnlen(name, MAXPATH);
    if (n == 0 || n == MAXPATH) return ERR_LOG_NAME;
    AtTermProcess(ReleaseAll);
    auto opened = std::make_shared<LogEntry>();
    opened->name.assign(name, n);
    const uint32_t handle = Entries().Add(std::move(opened));
    if (handle == 0) return ERR_LOG_HANDLES;
    *entry = static_cast<LOGHANDLE>(handle);
    return NOERROR;
}

STATUS LogAddText(LOGHANDLE entry, uint32_t, const char* text, const char* detail) {
    return AddLine(entry, Text(text) + ": " + Text(detail));
}

STATUS LogAddNumber(LOGHANDLE entry, uint32_t, const char* text, int32_t number) {
    return AddLine(entry, Text(text) + ": " + std::to_string(number));
}

STATUS LogAddTime(LOGHANDLE entry, uint32_t, const char* text, const Instant* time) {
    if (time == nullptr) return ERR_MISSING_ARGUMENT;
    char when[80];
    uint16_t length = 0;
    if (STATUS s = InstantToText(nullptr, nullptr, time, when, sizeof when, &length)) return s;
    return AddLine(entry, std::string(when, length) + " " + Text(text));
}

STATUS CloseLogEntry(LOGHANDLE entry, uint32_t value) {
    if (STATUS s = RequireProcess()) return s;
    const auto found = Entries().Find(entry);
    if (found == nullptr) return ERR_LOG_HANDLE;
    using logdb::Item;
    const STATUS s =
        logdb::Write({Item{"Form", TYPE_TEXT, {"Activity"}}, Item{"Name", TYPE_TEXT, {found->name}},
                      Item{"Value", TYPE_NUMBER, {}, static_cast<double>(value)},
                      Item{"Lines", TYPE_TEXT_LIST, found->lines}});
    // A failed store keeps the entry, so that the caller may try again or discard it.
    if (s == NOERROR) Entries().Remove(entry);
    return s;
}

STATUS DiscardLogEntry(LOGHANDLE entry, uint32_t) {
    if (STATUS s = RequireProcess()) return s;
    return Entries().Remove(entry) == nullptr ? ERR_LOG_HANDLE : NOERROR;
}

} // namespace nnotes
