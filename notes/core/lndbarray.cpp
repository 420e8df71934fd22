#include "ln/lndbarray.h"
#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "ln/lnsession.h"
#include "ln/lnsessiontext.h"
#include "nnotes/database.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/settings.h"
#include "nnotes/status.h"

#include <cstdlib>
#include <cstring>

LNDatabaseArrayBody::LNDatabaseArrayBody(LNNotesSession* session, const LNString& server,
                                         const LNString& directory, uint32_t flags, LNSTATUS* status)
    : LNBody(session), ServerName(server) {
    LN_ASSERT(session && status, "dbarray", 133);
    char netPath[nnotes::MAXPATH];
    nnotes::DBHANDLE handle = 0;
    nnotes::STATUS notes =
        nnotes::BuildNetPath(session->PortFor(server), LNNotesText(server), LNNotesText(directory), netPath);
    if (notes == nnotes::NOERROR) notes = nnotes::OpenDatabase(netPath, &handle);
    if (notes == nnotes::NOERROR) {
        try {
            notes = nnotes::SearchDatabase(handle, nnotes::NULLHANDLE, 6, FileTypeOf(flags), nullptr,
                                           AddEntry, this, nullptr);
        } catch (LNSTATUS) {
            nnotes::CloseDatabase(handle);
            FreeEntries();
            throw;
        }
        nnotes::CloseDatabase(handle);
    }
    if (notes != nnotes::NOERROR) {
        FreeEntries();
        *status = notes;
        return;
    }
    if (Count == 0) {
        *status = LNWARN_NOT_FOUND;
        return;
    }
    Entries = static_cast<Entry**>(std::malloc(sizeof(Entry*) * Count));
    if (Entries == nullptr) {
        FreeEntries();
        throw LNERR_NO_MEMORY;
    }
    Entry* entry = EntryList;
    for (uint32_t i = Count; i-- > 0; entry = entry->Next)
        Entries[i] = entry;
    LN_ASSERT(entry == 0, "dbarray", 207);
    *status = LNNOERROR;
}

LNDatabaseArrayBody::~LNDatabaseArrayBody() {
    Close();
}

uint16_t LNDatabaseArrayBody::FileTypeOf(uint32_t flags) {
    uint16_t type = (flags & 3u) == 3u ? 2 : (flags & 1u) != 0 ? 4 : 5;
    if ((flags & 4u) != 0) type |= 0x2000;
    return type;
}

nnotes::STATUS LNDatabaseArrayBody::AddEntry(void* context, const nnotes::SearchMatch*,
                                             const nnotes::SearchSummary* summary) {
    auto* body = static_cast<LNDatabaseArrayBody*>(context);
    uint16_t type = 0, length = 0;
    const void* value = nullptr;
    if (nnotes::GetSummaryValue(summary, "$Path", &type, &value, &length) != nnotes::NOERROR || length == 0 ||
        type != nnotes::TYPE_TEXT)
        return nnotes::NOERROR;
    LN_ASSERT(value && length, "dbarray", 281);
    auto* entry = static_cast<Entry*>(std::malloc(offsetof(Entry, Path) + length + 1u));
    if (entry == nullptr) throw LNERR_NO_MEMORY;
    std::memcpy(entry->Path, value, length);
    entry->Path[length] = '\0';
    entry->Next = body->EntryList;
    body->EntryList = entry;
    ++body->Count;
    return nnotes::NOERROR;
}

void LNDatabaseArrayBody::FreeEntries() {
    while (Entry* entry = EntryList) {
        EntryList = entry->Next;
        std::free(entry);
    }
    std::free(Entries);
    Entries = nullptr;
    Count = 0;
}

LNSTATUS LNDatabaseArrayBody::Close() {
    if (Count != 0) FreeEntries();
    return LNNOERROR;
}

LNDatabaseArray& LNDatabaseArray::AssignBody(LNDatabaseArrayBody* body) {
    LNSmartPtr::AssignBody(body);
    return *this;
}

uint32_t LNDatabaseArray::GetCount() const {
    const auto* body = static_cast<const LNDatabaseArrayBody*>(GetBody());
    return body != nullptr ? body->Count : 0;
}

LNDatabase LNDatabaseArray::operator[](uint32_t index) const {
    const auto* body = static_cast<const LNDatabaseArrayBody*>(GetBody());
    if (body == nullptr) throw LNERR_NOT_INITIALIZED;
    if (index >= body->Count) throw LNERR_SUBSCRIPT_OUT_OF_RANGE;
    LNNotesSession* session = body->GetSession();
    if (session == nullptr) throw LNERR_SESSION_NOT_INITIALIZED;
    LNDatabase db;
    const LNString path(reinterpret_cast<const LNUCHAR*>(body->Entries[index]->Path));
    if (const LNSTATUS status = db.Initialize(session, path, body->ServerName)) throw status;
    const LNSTATUS error = session->AddObject(db.GetDatabaseBody());
    LN_ASSERT(error == 0, "dbarray", 252);
    return db;
}
