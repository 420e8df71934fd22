// The "$TITLE" item of a database's icon note, which carries the information buffer for the workspace.
#include "ln/lndatabase.h"
#include "ln/lnerrors.h"
#include "nnotes/database.h"
#include "nnotes/idtable.h"
#include "nnotes/note.h"
#include "nnotes/status.h"

#include <cstring>

namespace {

constexpr nnotes::NOTEID kIconNote = nnotes::NOTE_ID_SPECIAL | nnotes::NOTE_CLASS_ICON;

// Closes a Notes note handle when it goes out of scope.
struct OpenNote {
    nnotes::NOTEHANDLE handle = 0;
    ~OpenNote() {
        if (handle != 0) nnotes::CloseNote(handle);
    }
};

} // namespace

bool LNDatabase::HasTitleItem() const {
    OpenNote icon;
    if (const nnotes::STATUS status =
            nnotes::OpenNote(RequireOpen()->GetHandle(), kIconNote, 0, &icon.handle))
        throw LNToNotesStatus(status);
    const nnotes::STATUS status =
        nnotes::FindItemByName(icon.handle, nnotes::FIELD_TITLE, 6, nullptr, nullptr, nullptr, nullptr);
    if (nnotes::ERR(status) == nnotes::ERR_ITEM_NOT_FOUND) return false;
    if (status != nnotes::NOERROR) throw LNToNotesStatus(status);
    return true;
}

LNSTATUS LNDatabase::SetTitleItem(bool flag) {
    LNDatabaseBody* body = nullptr;
    if (const LNSTATUS status = Opened(&body)) return status;
    OpenNote icon;
    nnotes::STATUS status = nnotes::OpenNote(body->GetHandle(), kIconNote, 0, &icon.handle);
    if (status == nnotes::NOERROR && flag) {
        char info[nnotes::DBINFO_SIZE];
        status = nnotes::GetDatabaseInfo(body->GetHandle(), info);
        if (status == nnotes::NOERROR)
            status = nnotes::SetItemText(icon.handle, nnotes::FIELD_TITLE, info,
                                         static_cast<uint16_t>(strnlen(info, sizeof info)));
    } else if (status == nnotes::NOERROR) {
        status = nnotes::DeleteItem(icon.handle, nnotes::FIELD_TITLE, 6);
        if (nnotes::ERR(status) == nnotes::ERR_ITEM_NOT_FOUND) status = nnotes::NOERROR;
    }
    if (status == nnotes::NOERROR) status = nnotes::UpdateNote(icon.handle, body->UpdateFlags());
    return LNReturnOrThrowNotesStatus(status);
}
