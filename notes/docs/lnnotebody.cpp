// The open note: opening, closing and saving, and what the store tells about the note.
#include "ln/lnnote.h"
#include "lnnotebodyfactory.h"

#include "ln/lnerrors.h"
#include "nnotes/database.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/ods.h"
#include "nnotes/status.h"
#include "nnotes/timedate.h"

namespace {

// Class words a new note may have: single classes only, and not design (32) or access list (64).
bool IsCreatableClass(LNNOTECLASS noteClass) {
    switch (noteClass) {
    case 1:
    case 2:
    case 4:
    case 8:
    case 16:
    case 128:
    case 256:
    case 512:
    case 1024:
    case 2048:
    case 4096:
        return true;
    default:
        return false;
    }
}

} // namespace

LNNoteBody::LNNoteBody(LNDatabaseBody* database, LNNOTECLASS noteClass, LNSTATUS* status)
    : LNBody(database->GetSession()) {
    Database.AssignBody(database);
    *status = LNERR_NOTE_CREATE;
    if (!IsCreatableClass(noteClass) || !database->IsOpen()) return;
    nnotes::NOTEHANDLE handle = nnotes::NULLHANDLE;
    if (nnotes::CreateNote(database->GetHandle(), &handle) != nnotes::NOERROR) return;
    Handle = handle;
    if (const nnotes::STATUS s = nnotes::SetNoteInfo(Handle, nnotes::NOTE_INFO_CLASS, &noteClass)) {
        *status = LNToNotesStatus(s);
        return;
    }
    NoteClass = noteClass;
    nnotes::GetNoteInfo(Handle, nnotes::NOTE_INFO_ID, &NoteID);
    *status = database->AddObject(this);
}

LNNoteBody::LNNoteBody(nnotes::NOTEHANDLE handle, LNDatabaseBody* database, LNSTATUS* status)
    : LNBody(database->GetSession()), Handle(handle) {
    Database.AssignBody(database);
    nnotes::GetNoteInfo(Handle, nnotes::NOTE_INFO_ID, &NoteID);
    nnotes::GetNoteInfo(Handle, nnotes::NOTE_INFO_CLASS, &NoteClass);
    DeferItems();
    *status = database->AddObject(this);
}

LNNoteBody::LNNoteBody(LNDatabaseBody* database, nnotes::NOTEID noteId, LNSTATUS* status)
    : LNBody(database->GetSession()), NoteID(noteId) {
    Database.AssignBody(database);
    *status = database->AddObject(this);
}

LNNoteBody::~LNNoteBody() {
    try {
        if (IsOpen()) LNNoteBody::Close();
    } catch (LNSTATUS) {
        // With ThrowAllErrors on, a failed close is thrown; a destructor must not pass it on.
    }
    // Database, released after this, may be the database's last holder; closing the database deletes what
    // its list still holds, which must no longer include this half-destroyed note.
    if (LNDatabaseBody* database = GetDatabaseBody()) database->ForgetObject(this);
}

LNDatabaseBody* LNNoteBody::GetDatabaseBody() const {
    return Database.GetDatabaseBody();
}

nnotes::DBHANDLE LNNoteBody::GetDatabaseHandle() const {
    LNDatabaseBody* database = GetDatabaseBody();
    if (database == nullptr) throw LNERR_DATABASE_NOT_OPEN;
    return database->GetHandle();
}

nnotes::NOTEHANDLE LNNoteBody::GetNoteHandle() const {
    if (!IsOpen()) throw LNERR_NOTE_NOT_OPEN;
    return Handle;
}

LNSTATUS LNNoteBody::Open(uint32_t options) {
    if (IsOpen()) return LNWARN_ALREADY_OPEN;
    nnotes::NOTEHANDLE handle = nnotes::NULLHANDLE;
    if (const nnotes::STATUS status =
            nnotes::OpenNote(GetDatabaseHandle(), NoteID, static_cast<uint16_t>(options), &handle))
        return LNReturnOrThrowNotesStatus(status);
    Handle = handle;
    nnotes::GetNoteInfo(Handle, nnotes::NOTE_INFO_CLASS, &NoteClass);
    DeferItems();
    return LNNOERROR;
}

void LNNoteBody::ReleaseItems() {
    for (LNNotesClass* object = Items.GetFirstObject(); object != nullptr;
         object = Items.GetNextObject(object))
        static_cast<LNItemBody*>(object)->ReleaseReference();
    Items.DeleteAllObjects();
    FontTable = nullptr;
    AllItemsBound = true;
}

LNSTATUS LNNoteBody::Close() {
    if (!IsOpen()) return LNWARN_NOT_OPEN;
    const nnotes::NOTEHANDLE handle = Handle;
    Handle = nnotes::NULLHANDLE;
    ItemArrays.DeleteAllObjects();
    ReleaseItems();
    Modified = 0;
    return LNReturnOrThrowNotesStatus(nnotes::CloseNote(handle));
}

LNSTATUS LNNoteBody::Save(uint32_t options) {
    if (!IsOpen()) return LNReturnOrThrow(LNERR_NOTE_NOT_OPEN);
    // The bodies forget what they flush: the note keeps it as its own change until the store took it, so
    // that a save refused (another writer's save came first, the disk is full) leaves the note modified.
    for (LNNotesClass* object = Items.GetFirstObject(); object != nullptr;
         object = Items.GetNextObject(object)) {
        auto* item = static_cast<LNItemBody*>(object);
        if (item == FontTable || !item->IsDirty()) continue;
        Modified = 1;
        if (const LNSTATUS status = item->Flush(nullptr)) return LNReturnOrThrow(status);
    }
    if (FontTable != nullptr && FontTable->IsDirty()) {
        Modified = 1;
        if (const LNSTATUS status = FontTable->Flush(nullptr)) return LNReturnOrThrow(status);
    }
    LNDatabaseBody* database = GetDatabaseBody();
    const uint16_t flags =
        static_cast<uint16_t>(options | (database != nullptr ? database->UpdateFlags() : 0));
    if (const nnotes::STATUS status = nnotes::UpdateNote(Handle, flags))
        return LNReturnOrThrowNotesStatus(status);
    nnotes::GetNoteInfo(Handle, nnotes::NOTE_INFO_ID, &NoteID);
    Modified = 0;
    return LNNOERROR;
}

LNNOTECLASS LNNoteBody::GetNoteClass() {
    if (IsOpen()) ReadInfo(nnotes::NOTE_INFO_CLASS, &NoteClass);
    return NoteClass;
}

void LNNoteBody::ReadInfo(uint16_t selector, void* value) const {
    if (const nnotes::STATUS status = nnotes::GetNoteInfo(GetNoteHandle(), selector, value))
        throw LNSTATUS{status};
}

LNDatetime LNNoteBody::InfoTime(uint16_t selector) const {
    nnotes::Instant instant{};
    ReadInfo(selector, &instant);
    return LNDatetime(instant);
}

LNDatetime LNNoteBody::GetAddedToFile() const {
    return InfoTime(nnotes::NOTE_INFO_ADDED_TO_FILE);
}

LNDatetime LNNoteBody::GetLastModified() const {
    return InfoTime(nnotes::NOTE_INFO_MODIFIED);
}

LNDatetime LNNoteBody::GetLastAccessed() const {
    return InfoTime(nnotes::NOTE_INFO_ACCESSED);
}

nnotes::ORIGINATORID LNNoteBody::GetOriginatorID() const {
    nnotes::ORIGINATORID oid{};
    ReadInfo(nnotes::NOTE_INFO_OID, &oid);
    return oid;
}

LNDatetime LNNoteBody::GetCreated() const {
    return LNDatetime(GetOriginatorID().note);
}

uint32_t LNNoteBody::ObjectSize(nnotes::BLOCKID value, uint32_t length) const {
    const auto* bytes = static_cast<const uint8_t*>(nnotes::LockBlock(value.pool));
    if (bytes == nullptr) throw LNERR_NOTE_SIZE;
    const void* at = bytes + value.block + 2;
    nnotes::ODSObjectDescriptor descriptor{};
    const nnotes::STATUS read =
        nnotes::ReadOnDiskStructure(&at, length - 2, nnotes::ODS_OBJECT_DESCRIPTOR, &descriptor, 1);
    nnotes::UnlockBlock(value.pool);
    uint32_t size = 0;
    if (read != nnotes::NOERROR || nnotes::GetObjectSize(GetDatabaseHandle(), descriptor.ObjectID,
                                                         descriptor.ObjectType, &size) != nnotes::NOERROR)
        throw LNERR_NOTE_SIZE;
    return size;
}

uint32_t LNNoteBody::GetSize() const {
    const nnotes::NOTEHANDLE note = GetNoteHandle();
    uint64_t total = 0;
    nnotes::BLOCKID item{}, value{};
    uint16_t type = 0;
    uint32_t length = 0;
    nnotes::STATUS status = nnotes::FindItemByName(note, nullptr, 0, &item, &type, &value, &length);
    while (status == nnotes::NOERROR) {
        // Every value holds at least its type word.
        if (length < 2) throw LNERR_NOTE_SIZE;
        total += length - 2;
        // An object item stands for bytes kept outside the note.
        if (type == nnotes::TYPE_OBJECT) total += ObjectSize(value, length);
        status = nnotes::FindNextItemByName(note, nullptr, 0, item, &item, &type, &value, &length);
    }
    if (nnotes::ERR(status) != nnotes::ERR_ITEM_NOT_FOUND || total > UINT32_MAX) throw LNERR_NOTE_SIZE;
    return static_cast<uint32_t>(total);
}

bool LNNoteBody::IsModified() {
    for (LNNotesClass* object = Items.GetFirstObject(); object != nullptr;
         object = Items.GetNextObject(object))
        if (static_cast<LNItemBody*>(object)->IsDirty()) Modified = 1;
    return Modified != 0;
}

LNSTATUS LNNoteBody::Duplicate(LNNote* copy) {
    nnotes::NOTEHANDLE handle = nnotes::NULLHANDLE;
    if (const nnotes::STATUS status = nnotes::DuplicateNote(GetNoteHandle(), 0, &handle))
        return LNReturnOrThrowNotesStatus(status);
    LNSTATUS status = LNNOERROR;
    LNNoteBody* body = LNNewNoteBodyForClass(GetNoteClass(), handle, GetDatabaseBody(), &status);
    if (status != LNNOERROR) {
        delete body;
        return LNReturnOrThrow(status);
    }
    copy->SetNoteBody(body);
    return LNNOERROR;
}
