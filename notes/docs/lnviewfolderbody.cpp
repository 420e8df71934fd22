// The open state of a view: opening and closing it, and the navigators made from it.
#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "ln/lnviewfolder.h"
#include "lnvfnavigatorbody.h"
#include "nnotes/idtable.h"
#include "nnotes/note.h"

LNViewFolderBody::LNViewFolderBody(LNDatabaseBody* database, nnotes::NOTEID noteId, LNVFNOTETYPE type,
                                   LNSTATUS* status)
    : LNNoteBody(database, noteId, status), NoteType(type) {
    LN_ASSERT(type == LNVFNOTETYPE_VIEW || type == LNVFNOTETYPE_FOLDER || type == LNVFNOTETYPE_UNKNOWN,
              "viewbody", 120);
    Navigator.SetEmptyStatus(LNERR_VIEW_NOT_OPEN);
}

LNViewFolderBody::LNViewFolderBody(nnotes::NOTEHANDLE handle, LNDatabaseBody* database, LNSTATUS* status)
    : LNNoteBody(handle, database, status) {
    Navigator.SetEmptyStatus(LNERR_VIEW_NOT_OPEN);
    if (*status == LNNOERROR && (GetNoteClass() & LNNOTECLASS_VIEW) != 0) {
        Flags |= kKnownView;
        return;
    }
    if (*status == LNNOERROR) *status = LNERR_INVALID_VIEW;
    NotOpenStatus = *status;
}

LNViewFolderBody::~LNViewFolderBody() {
    try {
        Close();
    } catch (LNSTATUS) {
        // The note's own close has reported its failure; a destructor must not throw.
    }
}

LNSTATUS LNViewFolderBody::Open(uint32_t options) {
    return OpenView(options, GetDatabase());
}

LNSTATUS LNViewFolderBody::OpenView(uint32_t options, const LNDatabase& data) {
    if (IsViewOpen()) return LNWARN_ALREADY_OPEN;
    if ((options & ~uint32_t{LNVFOPENOPTION_ALLOWED}) != 0) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    if (data.IsNull()) return LNReturnOrThrow(LNERR_UNINITIALIZED_OBJECT);
    OpenOptions = static_cast<uint16_t>(options);
    LNDatabase database = data;
    const bool noteWasOpen = IsOpen();
    LNVFNavigatorBody* navigator = nullptr;
    LNSTATUS status = LNNOERROR;
    try {
        if (!noteWasOpen) status = LNNoteBody::Open(0);
        if (status == LNNOERROR) {
            if ((Flags & kKnownView) != 0)
                Flags &= static_cast<uint16_t>(~kKnownView);
            else if ((GetNoteClass() & LNNOTECLASS_VIEW) == 0)
                status = LNERR_INVALID_VIEW;
        }
        if (status == LNNOERROR) status = ReadColumnLayout();
        if (status == LNNOERROR) {
            Flags |= kKnownView;
            ReadTitle();
            if (!database.IsOpen()) {
                status = database.Open(LNDBOPENOPTION_SESSION_DEFAULT);
                if (status == LNNOERROR) Flags |= kOwnsDatabase;
            }
        }
        if (status == LNNOERROR) {
            navigator = new LNVFNavigatorBody(this, nullptr, &status, database, nullptr, 0, OpenOptions);
        }
    } catch (LNSTATUS thrown) {
        status = thrown;
    }
    if (status == LNNOERROR) {
        Navigator.Attach(navigator);
        Database = database;
        Flags |= kOpen;
        return LNNOERROR;
    }
    delete navigator;
    FreeLayout();
    Name = LNString();
    Alias = LNString();
    if (!noteWasOpen && IsOpen()) LNNoteBody::Close();
    if ((Flags & kOwnsDatabase) != 0) {
        database.Close();
        Flags &= static_cast<uint16_t>(~kOwnsDatabase);
    }
    return LNReturnOrThrow(status);
}

LNSTATUS LNViewFolderBody::Close() {
    if (!IsViewOpen()) {
        if (IsOpen()) LNNoteBody::Close();
        return LNWARN_NOT_OPEN;
    }
    const bool ownsDatabase = (Flags & kOwnsDatabase) != 0;
    Flags = 0;
    Navigator.Close();
    Navigator.Attach(nullptr);
    Navigator.SetEmptyStatus(LNERR_VIEW_NOT_OPEN);
    Navigators.DeleteAllObjects();
    LNDatabase database = Database;
    Database = LNDatabase();
    if (ownsDatabase) database.Close();
    Name = LNString();
    Alias = LNString();
    NotOpenStatus = LNERR_VIEW_NOT_OPEN;
    FreeLayout();
    return LNNoteBody::Close();
}

LNSTATUS LNViewFolderBody::GetEntries(LNVFNavigator* navigator, const LNVFPosition* start, uint32_t levels) {
    if (!IsViewOpen()) return LNReturnOrThrow(NotOpenStatus);
    if (navigator == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    if ((Flags & kNew) != 0) return LNReturnOrThrow(LNERR_VIEW_NOT_SAVED);
    const LNViewFolder owner(this);
    LNSTATUS status = LNNOERROR;
    auto* body = new LNVFNavigatorBody(this, &owner, &status, Database, start, levels, OpenOptions);
    if (status == LNNOERROR) {
        try {
            status = Navigators.AddObject(body);
        } catch (LNSTATUS thrown) {
            status = thrown;
        }
    }
    if (status != LNNOERROR) {
        delete body;
        return LNReturnOrThrow(status);
    }
    navigator->Attach(body);
    return LNNOERROR;
}

LNSTATUS LNViewFolderBody::FTSearch(const LNString* query, LNVFNavigator* navigator,
                                    const LNFTSearchOptions* options, LNVFNavigator* restrict) {
    if (!IsViewOpen()) return LNReturnOrThrow(NotOpenStatus);
    LN_ASSERT(query, "viewbody", 441);
    if (query->IsEmpty()) return LNReturnOrThrow(LNERR_NULL_STRING);
    if (navigator == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    // Holds the restricting results while the output navigator, which may be the same handle, is replaced.
    LNVFNavigator held;
    LNVFNavigatorBody* restrictBody = nullptr;
    if (restrict != nullptr) {
        restrictBody = restrict->GetVFNavigatorBody();
        if (restrictBody == nullptr) return LNReturnOrThrow(LNERR_UNINITIALIZED_OBJECT);
        if (!restrictBody->IsOpen()) return LNReturnOrThrow(LNERR_OBJECT_NOT_OPEN);
        held = * restrict;
    }
    if (const LNSTATUS status = GetEntries(navigator, nullptr, 0)) return status;
    return LNReturnOrThrow(navigator->GetVFNavigatorBody()->FTSearch(*query, options, restrictBody));
}

void LNViewFolderBody::ForgetNavigator(LNVFNavigatorBody* navigator) {
    try {
        Navigators.RemoveObject(navigator);
    } catch (LNSTATUS) {
        // A navigator that never joined the list has nothing to leave.
    }
}
