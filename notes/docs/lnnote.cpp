// LNNote: the handle of a note. Without a body it may still name a note (database and id) for a later Open.
#include "ln/lnnote.h"

#include "ln/lnagent.h"
#include "ln/lndocument.h"
#include "ln/lnerrors.h"
#include "ln/lnform.h"
#include "ln/lnitem.h"
#include "ln/lnitemarray.h"
#include "ln/lnviewfolder.h"
#include "lnnotebodyfactory.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/status.h"

LNNote::LNNote(LNDatabaseBody* database, nnotes::NOTEID noteId) : NoteID(noteId) {
    Database.AssignBody(database);
}

LNNote::LNNote(LNNoteBody* body) {
    SetNoteBody(body);
}

LNNote& LNNote::operator=(const LNNote& other) {
    if (this == &other) return *this;
    LNSmartPtr::AssignBody(other.GetBody());
    Database = other.Database;
    NoteID = other.NoteID;
    return *this;
}

LNNote& LNNote::SetNoteBody(LNNoteBody* body) {
    LNSmartPtr::AssignBody(body);
    Database.AssignBody(body != nullptr ? body->GetDatabaseBody() : nullptr);
    NoteID = body != nullptr ? body->GetNoteID() : 0;
    return *this;
}

void LNNote::SetNoteID(LNDatabaseBody* database, nnotes::NOTEID noteId) {
    LNSmartPtr::AssignBody(nullptr);
    Database.AssignBody(database);
    NoteID = noteId;
}

nnotes::NOTEID LNNote::GetNoteID() const {
    return GetNoteBody() != nullptr ? GetNoteBody()->GetNoteID() : NoteID;
}

bool LNNote::IsOpen() const {
    return GetNoteBody() != nullptr && GetNoteBody()->IsOpen();
}

LNSTATUS LNNote::NoBodyStatus() const {
    return NoteID != 0 ? LNERR_NOTE_NOT_OPEN : LNERR_NOT_INITIALIZED;
}

LNNoteBody* LNNote::RequireBody() const {
    if (GetNoteBody() == nullptr) throw NoBodyStatus();
    return GetNoteBody();
}

LNSTATUS LNNote::Close() {
    if (GetNoteBody() == nullptr) return LNWARN_NOT_OPEN;
    return GetNoteBody()->Close();
}

LNSTATUS LNNote::Save(uint32_t options) {
    if (GetNoteBody() == nullptr) return LNReturnOrThrow(NoBodyStatus());
    return GetNoteBody()->Save(options);
}

LNSTATUS LNNote::Open(uint32_t options) {
    LNDatabaseBody* database = Database.GetDatabaseBody();
    if (database == nullptr || NoteID == 0) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (GetNoteBody() == nullptr) {
        nnotes::NOTEHANDLE probe = nnotes::NULLHANDLE;
        if (const nnotes::STATUS status = nnotes::OpenNote(database->GetHandle(), NoteID, 1, &probe))
            return LNReturnOrThrowNotesStatus(status);
        LNNOTECLASS noteClass = 0;
        nnotes::GetNoteInfo(probe, nnotes::NOTE_INFO_CLASS, &noteClass);
        if (const nnotes::STATUS status = nnotes::CloseNote(probe)) return LNReturnOrThrowNotesStatus(status);
        LNSTATUS status = LNNOERROR;
        LNNoteBody* body = LNNewNoteBodyForClass(noteClass, database, NoteID, &status);
        if (status != LNNOERROR) {
            delete body;
            return LNReturnOrThrow(status);
        }
        SetNoteBody(body);
    }
    return GetNoteBody()->Open(options);
}

LNNOTECLASS LNNote::GetNoteClass() const {
    if (GetNoteBody() != nullptr && GetNoteBody()->IsOpen()) return GetNoteBody()->GetNoteClass();
    LNDatabaseBody* database = Database.GetDatabaseBody();
    if (database == nullptr || GetNoteID() == 0) throw LNERR_NOT_INITIALIZED;
    nnotes::NOTEHANDLE probe = nnotes::NULLHANDLE;
    if (const nnotes::STATUS status = nnotes::OpenNote(database->GetHandle(), GetNoteID(), 1, &probe))
        throw LNSTATUS{status};
    LNNOTECLASS noteClass = 0;
    const nnotes::STATUS read = nnotes::GetNoteInfo(probe, nnotes::NOTE_INFO_CLASS, &noteClass);
    const nnotes::STATUS closed = nnotes::CloseNote(probe);
    if (read != nnotes::NOERROR) throw LNSTATUS{read};
    if (closed != nnotes::NOERROR) throw LNSTATUS{closed};
    return noteClass;
}

LNSTATUS LNNote::GetItem(const LNString& name, LNItem* item) const {
    if (GetNoteBody() == nullptr) return LNReturnOrThrow(NoBodyStatus());
    return GetNoteBody()->GetItem(name, item);
}

bool LNNote::HasItem(const LNString& name) const {
    return RequireBody()->HasItem(name);
}

uint32_t LNNote::GetItemCount() const {
    return RequireBody()->GetItemCount();
}

LNSTATUS LNNote::CreateItem(const LNString& name, const LNItem& value, uint16_t flags, uint32_t duplicateRule,
                            LNItem* typed) {
    if (GetNoteBody() == nullptr) return LNReturnOrThrow(NoBodyStatus());
    return GetNoteBody()->CreateItem(name, value, flags, duplicateRule, typed);
}

LNSTATUS LNNote::CreateItem(const LNString& name, LNItem* typed, uint16_t flags, uint32_t duplicateRule) {
    if (GetNoteBody() == nullptr) return LNReturnOrThrow(NoBodyStatus());
    return GetNoteBody()->CreateItem(name, typed, flags, duplicateRule);
}

LNSTATUS LNNote::CreateItem(const LNString& name, uint16_t nsfType, const void* data, uint32_t length,
                            uint16_t flags, uint32_t duplicateRule, LNItem* typed) {
    if (GetNoteBody() == nullptr) return LNReturnOrThrow(NoBodyStatus());
    return GetNoteBody()->CreateItem(name, nsfType, data, length, flags, duplicateRule, typed);
}

LNSTATUS LNNote::CopyItem(const LNItem& item, uint32_t duplicateRule, LNItem* typed) {
    if (GetNoteBody() == nullptr) return LNReturnOrThrow(NoBodyStatus());
    return GetNoteBody()->CopyItem(item, duplicateRule, typed);
}

LNSTATUS LNNote::DeleteItem(LNItem* item) {
    if (GetNoteBody() == nullptr) return LNReturnOrThrow(NoBodyStatus());
    return GetNoteBody()->DeleteItem(item);
}

LNSTATUS LNNote::DeleteItem(const LNString& name) {
    if (GetNoteBody() == nullptr) return LNReturnOrThrow(NoBodyStatus());
    return GetNoteBody()->DeleteItem(name);
}

LNSTATUS LNNote::DeleteAllItems() {
    if (GetNoteBody() == nullptr) return LNReturnOrThrow(NoBodyStatus());
    return GetNoteBody()->DeleteAllItems();
}

LNSTATUS LNNote::RenameItem(LNItem* item, const LNString& newName) {
    if (GetNoteBody() == nullptr) return LNReturnOrThrow(NoBodyStatus());
    return GetNoteBody()->RenameItem(item, newName);
}

LNSTATUS LNNote::RenameItem(const LNString& oldName, const LNString& newName) {
    if (GetNoteBody() == nullptr) return LNReturnOrThrow(NoBodyStatus());
    return GetNoteBody()->RenameItem(oldName, newName);
}

LNSTATUS LNNote::GetItems(LNItemArray* items, LNITEMTYPE type) const {
    if (GetNoteBody() == nullptr) return LNReturnOrThrow(NoBodyStatus());
    return GetNoteBody()->GetItems(items, type);
}

LNDatetime LNNote::GetAddedToFile() const {
    return RequireBody()->GetAddedToFile();
}

LNDatetime LNNote::GetLastModified() const {
    return RequireBody()->GetLastModified();
}

LNDatetime LNNote::GetLastAccessed() const {
    return RequireBody()->GetLastAccessed();
}

LNDatetime LNNote::GetCreated() const {
    return RequireBody()->GetCreated();
}

uint32_t LNNote::GetSize() const {
    return RequireBody()->GetSize();
}

bool LNNote::IsModified() const {
    return RequireBody()->IsModified();
}

LNSTATUS LNNote::Duplicate(LNNote* copy) const {
    if (GetNoteBody() == nullptr) return LNReturnOrThrow(NoBodyStatus());
    if (copy == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    return GetNoteBody()->Duplicate(copy);
}
