// The user's mail database: named by the current location document of the address book, or else by the
// environment.
#include "ln/lndocument.h"
#include "ln/lnerrors.h"
#include "ln/lnsession.h"
#include "ln/lnsessiontext.h"
#include "ln/lntext.h"
#include "ln/lnvfentry.h"
#include "ln/lnvffindkey.h"
#include "ln/lnviewfolder.h"
#include "nnotes/settings.h"
#include "nnotes/status.h"

#include <string>

namespace {

// The environment value of name up to its first comma; "" when absent.
std::string FirstPart(const char* name) {
    char value[nnotes::MAXENVVALUE];
    if (nnotes::GetEnvironmentText(name, value, sizeof value) != nnotes::NOERROR) return {};
    const std::string text(value);
    return text.substr(0, text.find(','));
}

std::string Environment(const char* name) {
    char value[nnotes::MAXENVVALUE];
    return nnotes::GetEnvironmentText(name, value, sizeof value) == nnotes::NOERROR ? value : "";
}

// The first text of a text item, when it is readable, not empty and shorter than a path.
bool FirstText(LNDocument& document, const char* name, std::string* out) {
    LNItem item;
    if (document.GetItem(LNString(name), &item) != LNNOERROR) return false;
    const LNText text(item);
    if (text.GetCount() == 0) return false;
    const LNString first = text[0];
    if (first.IsEmpty() || first.GetByteLength() >= nnotes::MAXPATH) return false;
    *out = std::string(LNNotesText(first), first.GetByteLength());
    return true;
}

// Finds the location document of (user or "*", location) in the address book and reads the mail file and
// server from it. Every failure answers false; what was opened is closed again by the handles.
bool ReadLocation(LNNotesSession& session, const std::string& location, std::string* file,
                  std::string* server) {
    std::string names = FirstPart("names");
    if (names.empty()) names = "names.nsf";
    LNDatabase book;
    if (session.GetDatabase(LNNotesString(names.c_str()), &book) != LNNOERROR || book.Open() != LNNOERROR)
        return false;
    LNViewFolder view;
    if (book.GetViewFolder(LNString("($Locations)"), &view) != LNNOERROR || view.Open(0) != LNNOERROR) {
        book.Close();
        return false;
    }
    LNVFFindOptions options;
    options.SetCaseSensitive(false);
    options.SetExactMatch(true);
    options.SetComparison(0);
    LNVFFindKeys keys;
    LNVFEntry entry;
    keys.AppendTextKey(session.GetUserName());
    keys.AppendTextKey(LNNotesString(location.c_str()));
    bool found = view.FindByKeys(keys, options, &entry) == LNNOERROR;
    if (!found) {
        keys.DeleteAll();
        keys.AppendTextKey(LNString("*"));
        keys.AppendTextKey(LNNotesString(location.c_str()));
        found = view.FindByKeys(keys, options, &entry) == LNNOERROR;
    }
    LNDocument document;
    std::string type;
    found = found && entry.GetDocument(&document) == LNNOERROR && document.Open(0) == LNNOERROR &&
            FirstText(document, "MailFile", file) && FirstText(document, "MailType", &type);
    if (found && type != "1" && !FirstText(document, "MailServer", server))
        *server = Environment("MailServer");
    if (document.IsOpen()) document.Close();
    view.Close();
    book.Close();
    return found;
}

// Clears ThrowAllErrors for as long as it lives.
struct NoThrowing {
    bool saved = LNGetThrowAllErrors();
    NoThrowing() { LNSetThrowAllErrors(false); }
    ~NoThrowing() { LNSetThrowAllErrors(saved); }
};

} // namespace

LNSTATUS LNNotesSession::GetMailDatabase(LNDatabase* db) {
    if (const LNSTATUS status = Check()) return status;
    if (db == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    std::string file, server;
    bool found = false;
    const std::string location = FirstPart("Location");
    if (!location.empty()) {
        const NoThrowing guard;
        try {
            found = ReadLocation(*this, location, &file, &server);
        } catch (LNSTATUS) {
            found = false;
        }
    }
    if (!found) {
        file = Environment("MailFile");
        if (file.empty()) return LNReturnOrThrow(LNERR_NO_MAIL_DATABASE);
        server = Environment("MailServer");
    }
    return GetDatabase(LNNotesString(file.c_str()), db, LNNotesString(server.c_str()));
}
