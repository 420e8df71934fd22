// The session's questions about the workstation: user, data directory, environment values, international
// settings, mail system, and the port used to reach servers.
#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "ln/lninternational.h"
#include "ln/lnsession.h"
#include "ln/lnsessiontext.h"
#include "ln/lnstringcompare.h"
#include "ln/lnstringtext.h"
#include "nnotes/acl.h"
#include "nnotes/nls.h"
#include "nnotes/settings.h"
#include "nnotes/status.h"
#include "nnotes/timedate.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Copies text (length bytes) into a new terminated buffer of the ordinary allocator.
char* CopyText(const char* text, size_t length) {
    char* copy = reinterpret_cast<char*>(lntext::AllocText(length + 1));
    std::memcpy(copy, text, length);
    copy[length] = '\0';
    return copy;
}

// The environment value of name, or "" when it is absent.
std::string Environment(const char* name) {
    char value[nnotes::MAXENVVALUE];
    if (nnotes::GetEnvironmentText(name, value, sizeof value) != nnotes::NOERROR) return {};
    return value;
}

bool IsBlank(const char* character, size_t limit, const nnotes::NLSInfo* info) {
    const auto length = static_cast<uint16_t>(limit > 0xFFFF ? 0xFFFF : limit);
    return nnotes::NLSCharacterIsOfClass(character, length, nnotes::NLS_CLASS_SPACE, info) == nnotes::NOERROR;
}

// The next comma-separated entry of the text at *cursor (blanks before it skipped), or null when the text is
// finished. The comma behind the entry is overwritten with NULs.
char* NextListEntry(char** cursor, const nnotes::NLSInfo* info) {
    LN_ASSERT(cursor && info, "session", 2365);
    char* text = *cursor;
    if (text == nullptr || *text == '\0') return nullptr;
    size_t left = std::strlen(text);
    while (left > 0 && IsBlank(text, left, info)) {
        const char* step = text;
        uint16_t stepped = 0;
        nnotes::NLSStepCharacter(&step, static_cast<uint16_t>(left > 0xFFFF ? 0xFFFF : left), &stepped, info);
        if (stepped == 0) break;
        text += stepped;
        left -= stepped;
    }
    const char* comma = nullptr;
    nnotes::NLSFindCharacter(text, static_cast<uint16_t>(left > 0xFFFF ? 0xFFFF : left), ",", 1, &comma,
                             info);
    if (comma == nullptr) {
        *cursor = nullptr;
        return text;
    }
    char* end = text + (comma - text);
    *end = '\0';
    *cursor = end + 1;
    return text;
}

} // namespace

LNString LNNotesSession::GetUserName(LNString* out) {
    Require();
    if (UserName == nullptr) {
        char name[nnotes::MAXPATH];
        if (nnotes::GetUserNameText(name, sizeof name) == nnotes::NOERROR && name[0] != '\0')
            UserName = CopyText(name, std::strlen(name));
    }
    const LNString result = LNNotesString(UserName != nullptr ? UserName : "");
    if (out != nullptr) *out = result;
    return result;
}

LNString LNNotesSession::GetDataDirectory(LNString* out) {
    Require();
    if (DataDirectory == nullptr) {
        char directory[nnotes::MAXPATH];
        uint16_t length = 0;
        if (nnotes::GetDataDirectory(directory, sizeof directory, &length) == nnotes::NOERROR && length != 0)
            DataDirectory = CopyText(directory, std::strlen(directory));
    }
    const LNString result = LNNotesString(DataDirectory != nullptr ? DataDirectory : "");
    if (out != nullptr) *out = result;
    return result;
}

LNString LNNotesSession::GetEnvironmentString(const LNString& name, LNString* out) {
    Require();
    const LNString result = LNNotesString(Environment(LNNotesText(name)).c_str());
    if (out != nullptr) *out = result;
    return result;
}

int32_t LNNotesSession::GetEnvironmentLong(const LNString& name) {
    Require();
    int32_t value = 0;
    if (nnotes::GetEnvironmentInt(LNNotesText(name), &value) != nnotes::NOERROR) return 0;
    return value;
}

// A failing write is reported: a value that was not stored must not look stored.
LNSTATUS LNNotesSession::SetEnvironmentString(const LNString& name, const LNString& value) {
    if (const LNSTATUS status = Check()) return status;
    if (name.IsEmpty()) return LNReturnOrThrow(LNERR_NULL_STRING);
    return LNReturnOrThrowNotesStatus(nnotes::SetEnvironmentText(LNNotesText(name), LNNotesText(value)));
}

LNSTATUS LNNotesSession::SetEnvironmentLong(const LNString& name, int32_t value) {
    if (const LNSTATUS status = Check()) return status;
    if (name.IsEmpty()) return LNReturnOrThrow(LNERR_NULL_STRING);
    return LNReturnOrThrowNotesStatus(nnotes::SetEnvironmentInt(LNNotesText(name), value));
}

uint32_t LNNotesSession::GetMailSystem() {
    Require();
    if (MailSystem == kMailSystemUnread) {
        int32_t value = 0;
        nnotes::GetEnvironmentInt("MailSystem", &value);
        MailSystem = static_cast<uint32_t>(value);
    }
    return MailSystem;
}

LNInternational LNNotesSession::GetInternational(LNInternational* out) {
    Require();
    nnotes::IntlSettings record;
    if (const nnotes::STATUS status = nnotes::GetInternationalSettings(&record))
        throw LNToNotesStatus(status);
    const LNInternational result(this, &record);
    if (out != nullptr) *out = result;
    return result;
}

LNSTATUS LNNotesSession::SetPort(const LNString& port) {
    if (const LNSTATUS status = Check()) return status;
    if (port.IsEmpty()) {
        PortName = LNNotesString("");
        return LNNOERROR;
    }
    if (!IsConfiguredPort(port)) return LNReturnOrThrowNotesStatus(nnotes::ERR_PORT_NOT_CONFIGURED);
    PortName = port;
    return LNNOERROR;
}

bool LNNotesSession::IsConfiguredPort(const LNString& port) const {
    LN_ASSERT(port.GetLength(), "session", 2450);
    static constexpr char kContinuation[] = ",*NEXTPORTSLINE*";
    static constexpr size_t kContinuationLength = sizeof kContinuation - 1;
    const nnotes::NLSInfo* info = lntext::NotesInfo();
    std::string line = Environment("Ports");
    for (uint32_t next = 1; !line.empty(); ++next) {
        const bool continued =
            line.size() > kContinuationLength &&
            line.compare(line.size() - kContinuationLength, kContinuationLength, kContinuation) == 0;
        if (continued) line.resize(line.size() - kContinuationLength);
        char* cursor = line.data();
        while (char* entry = NextListEntry(&cursor, info))
            if (*entry != '\0' && LNStringCompare(LNNotesString(entry), port, 0) == 0) return true;
        if (!continued) return false;
        line = Environment(("Ports" + std::to_string(next)).c_str());
    }
    return false;
}

const char* LNNotesSession::PortFor(const LNString& server) const {
    return server.IsEmpty() || PortName.IsEmpty() ? nullptr : LNNotesText(PortName);
}
