// The response hierarchy: a document made a response to its parent through "$REF", and the parent and the
// responses of a document as the store's note header tells them.
#include "ln/lndocument.h"
#include "ln/lnerrors.h"
#include "ln/lnform.h"
#include "nnotes/database.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/ods.h"
#include "nnotes/status.h"
#include "nnotes/timedate.h"

#include <cstring>
#include <vector>

namespace {

// Reads selector from the header of the stored note id; the response table comes back as a copy that the
// caller owns (NULLHANDLE when there are none).
nnotes::STATUS ReadHeader(nnotes::DBHANDLE db, nnotes::NOTEID id, uint16_t selector, void* value) {
    nnotes::NOTEHANDLE header = nnotes::NULLHANDLE;
    if (const nnotes::STATUS status = nnotes::OpenNote(db, id, 0x1001, &header)) return status;
    nnotes::STATUS status = nnotes::GetNoteInfo(header, selector, value);
    auto* table = static_cast<nnotes::DHANDLE*>(value);
    if (status == nnotes::NOERROR && selector == nnotes::NOTE_INFO_RESPONSES && *table != nnotes::NULLHANDLE)
        status = nnotes::CopyIDTable(*table, table);
    else if (status != nnotes::NOERROR && selector == nnotes::NOTE_INFO_RESPONSES)
        *table = nnotes::NULLHANDLE;
    const nnotes::STATUS closed = nnotes::CloseNote(header);
    return status != nnotes::NOERROR ? status : closed;
}

// Gives the array the table (NULLHANDLE: empty, LNWARN_NOT_FOUND) as documents of the database.
LNSTATUS FillArray(LNDatabaseBody* database, nnotes::DHANDLE table, LNDocumentArray* responses) {
    if (table == nnotes::NULLHANDLE || nnotes::IDEntries(table) == 0) {
        if (table != nnotes::NULLHANDLE) nnotes::DestroyIDTable(table);
        responses->SetBody(database, nullptr, LNNOTECLASS_DOCUMENT);
        return LNWARN_NOT_FOUND;
    }
    responses->SetBody(database, new LNIDTable(table), LNNOTECLASS_DOCUMENT);
    return LNNOERROR;
}

// Adds every response below id to total, at any depth. Each document is walked once, so responses that name
// each other in a circle end the walk instead of repeating it; the walk keeps its own stack.
nnotes::STATUS CollectResponses(nnotes::DBHANDLE db, nnotes::NOTEID id, nnotes::DHANDLE total) {
    std::vector<nnotes::NOTEID> pending{id};
    while (!pending.empty()) {
        const nnotes::NOTEID next = pending.back();
        pending.pop_back();
        nnotes::DHANDLE direct = nnotes::NULLHANDLE;
        if (const nnotes::STATUS status = ReadHeader(db, next, nnotes::NOTE_INFO_RESPONSES, &direct))
            return status;
        if (direct == nnotes::NULLHANDLE) continue;
        nnotes::NOTEID response = 0;
        nnotes::STATUS status = nnotes::NOERROR;
        for (bool first = true;
             status == nnotes::NOERROR && nnotes::IDScan(direct, first, &response) == nnotes::NOERROR;
             first = false) {
            bool inserted = false;
            status = nnotes::InsertID(total, response, &inserted);
            if (status == nnotes::NOERROR && inserted && response != id) pending.push_back(response);
        }
        nnotes::DestroyIDTable(direct);
        if (status != nnotes::NOERROR) return status;
    }
    return nnotes::NOERROR;
}

} // namespace

LNSTATUS LNDocumentBody::CheckOpen() const {
    const LNDatabaseBody* database = GetDatabaseBody();
    if (database == nullptr || !database->IsOpen()) return LNERR_DATABASE_NOT_OPEN;
    return IsOpen() ? LNNOERROR : LNERR_NOTE_NOT_OPEN;
}

LNSTATUS LNDocumentBody::MakeResponse(const LNDocument& parent) {
    if (const LNSTATUS status = CheckOpen()) return LNReturnOrThrow(status);
    if (!parent.IsOpen()) return LNReturnOrThrow(LNERR_OBJECT_NOT_OPEN);
    LNNoteBody* parentBody = parent.GetNoteBody();
    if (parentBody == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    // The same database, however many times it was opened: its identifier tells.
    nnotes::Instant own{}, theirs{};
    if (const nnotes::STATUS status = nnotes::GetDatabaseId(GetDatabaseBody()->GetHandle(), &own))
        return LNReturnOrThrowNotesStatus(status);
    if (const nnotes::STATUS status =
            nnotes::GetDatabaseId(parentBody->GetDatabaseBody()->GetHandle(), &theirs))
        return LNReturnOrThrowNotesStatus(status);
    if (std::memcmp(&own, &theirs, sizeof own) != 0) return LNReturnOrThrow(LNERR_RESPONSE_DATABASE_MISMATCH);
    const nnotes::ORIGINATORID origin = parentBody->GetOriginatorID();
    if (HasItem(LNString(nnotes::FIELD_REF))) return LNNOERROR;
    const nnotes::UNIVERSALID unid{origin.file, origin.note};
    const uint16_t count = 1;
    char value[18];
    void* at = value;
    nnotes::STATUS status = nnotes::WriteOnDiskStructure(&at, sizeof value, nnotes::ODS_WORD, &count, 1);
    if (status == nnotes::NOERROR)
        status = nnotes::WriteOnDiskStructure(&at, sizeof value - nnotes::ODSLength(nnotes::ODS_WORD),
                                              nnotes::ODS_UNIVERSALID, &unid, 1);
    if (status != nnotes::NOERROR) return LNReturnOrThrowNotesStatus(status);
    return CreateItem(LNString(nnotes::FIELD_REF), nnotes::TYPE_NOTEREF_LIST, value, sizeof value,
                      nnotes::ITEM_SUMMARY, LNITEMDUP_REPLACE, nullptr);
}

LNSTATUS LNDocumentBody::GetParentDocument(LNDocument* parent) {
    if (const LNSTATUS status = CheckOpen()) return LNReturnOrThrow(status);
    if (parent == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    nnotes::NOTEID id = 0;
    if (const nnotes::STATUS status =
            ReadHeader(GetDatabaseBody()->GetHandle(), GetNoteID(), nnotes::NOTE_INFO_PARENT_NOTEID, &id))
        return LNReturnOrThrowNotesStatus(status);
    if (id == 0) return LNWARN_NOT_FOUND;
    parent->SetNoteID(GetDatabaseBody(), id);
    return LNNOERROR;
}

uint32_t LNDocumentBody::GetResponseCount() {
    if (const LNSTATUS status = CheckOpen()) throw status;
    uint32_t count = 0;
    if (const nnotes::STATUS status =
            ReadHeader(GetDatabaseBody()->GetHandle(), GetNoteID(), nnotes::NOTE_INFO_RESPONSE_COUNT, &count))
        throw LNToNotesStatus(status);
    return count;
}

LNSTATUS LNDocumentBody::GetResponses(LNDocumentArray* responses) {
    if (const LNSTATUS status = CheckOpen()) return LNReturnOrThrow(status);
    if (responses == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    nnotes::DHANDLE table = nnotes::NULLHANDLE;
    if (const nnotes::STATUS status =
            ReadHeader(GetDatabaseBody()->GetHandle(), GetNoteID(), nnotes::NOTE_INFO_RESPONSES, &table))
        return LNReturnOrThrowNotesStatus(status);
    return FillArray(GetDatabaseBody(), table, responses);
}

LNSTATUS LNDocumentBody::GetAllResponses(LNDocumentArray* responses) {
    if (const LNSTATUS status = CheckOpen()) return LNReturnOrThrow(status);
    if (responses == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    nnotes::DHANDLE total = nnotes::NULLHANDLE;
    if (const nnotes::STATUS status = nnotes::CreateIDTable(&total))
        return LNReturnOrThrowNotesStatus(status);
    if (const nnotes::STATUS status = CollectResponses(GetDatabaseBody()->GetHandle(), GetNoteID(), total)) {
        nnotes::DestroyIDTable(total);
        return LNReturnOrThrowNotesStatus(status);
    }
    return FillArray(GetDatabaseBody(), total, responses);
}

LNSTATUS LNDocumentBody::GetForm(LNForm* form) {
    if (!IsOpen()) return LNReturnOrThrow(LNERR_NOTE_NOT_OPEN);
    if (form == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    LNString name;
    if (GetFormName(&name) != LNNOERROR) {
        *form = LNForm();
        return LNWARN_NOT_FOUND;
    }
    return GetDatabase().GetForm(name, form);
}
