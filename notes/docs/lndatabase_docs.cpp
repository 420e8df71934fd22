// The database operations that hand out notes, documents, note arrays, text lists and date/times.
#include "ln/lndatabase.h"
#include "ln/lndatetime.h"
#include "ln/lndocument.h"
#include "ln/lnerrors.h"
#include "ln/lnnotearray.h"
#include "ln/lnsessiontext.h"
#include "ln/lntext.h"
#include "nnotes/database.h"
#include "nnotes/fulltext.h"
#include "nnotes/idtable.h"
#include "nnotes/note.h"
#include "nnotes/status.h"
#include "nnotes/timedate.h"

#include <string>

namespace {

void ThrowIfFailed(nnotes::STATUS status) {
    if (status != nnotes::NOERROR) throw LNToNotesStatus(status);
}

} // namespace

LNSTATUS LNDatabase::GetDocument(nnotes::NOTEID id, LNDocument* document) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (document == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    document->SetNoteID(GetDatabaseBody(), id);
    return LNNOERROR;
}

LNSTATUS LNDatabase::GetNote(nnotes::NOTEID id, LNNote* note) const {
    if (IsNull()) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (note == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    note->SetNoteID(GetDatabaseBody(), id);
    return LNNOERROR;
}

LNSTATUS LNDatabase::GetDocuments(LNDocumentArray* documents) {
    LNDatabaseBody* body = nullptr;
    if (const LNSTATUS status = Opened(&body)) return status;
    if (documents == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    LNIDTable* table = nullptr;
    const LNSTATUS status = body->GetNoteTable(LNNOTECLASS_DOCUMENT, &table);
    if (status == LNNOERROR || status == LNWARN_NOT_FOUND)
        documents->SetBody(body, table, LNNOTECLASS_DOCUMENT);
    return status;
}

LNSTATUS LNDatabase::CreateDocument(LNDocument* document) {
    LNDatabaseBody* body = nullptr;
    if (const LNSTATUS status = Opened(&body)) return status;
    if (document == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    LNSTATUS status = LNNOERROR;
    auto* created = new LNDocumentBody(body, &status, LNMAILMSGTYPE_DOCUMENT);
    if (status != LNNOERROR) {
        delete created;
        return LNReturnOrThrow(status);
    }
    document->SetNoteBody(created);
    return LNNOERROR;
}

LNSTATUS LNDatabase::GetSpecialNote(uint16_t noteClass, LNNote* note) {
    LNDatabaseBody* body = nullptr;
    if (const LNSTATUS status = Opened(&body)) return status;
    static constexpr uint16_t kSpecial[] = {2, 16, 128, 256, 1024, 2048, 4096};
    bool special = false;
    for (const uint16_t c : kSpecial)
        special = special || c == noteClass;
    if (!special || note == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    LNSTATUS status = LNNOERROR;
    auto* created = new LNNoteBody(body, nnotes::NOTE_ID_SPECIAL | noteClass, &status);
    if (status != LNNOERROR) {
        delete created;
        return LNReturnOrThrow(status);
    }
    note->SetNoteBody(created);
    return LNNOERROR;
}

// The handle is emptied whatever the deletion gives: it names a note that may be gone.
LNSTATUS LNDatabase::DeleteNote(LNNote* note) {
    LNDatabaseBody* body = nullptr;
    if (const LNSTATUS status = Opened(&body)) return status;
    if (note == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    const nnotes::NOTEID id = note->GetNoteID();
    note->SetNoteID(nullptr, 0);
    return LNReturnOrThrowNotesStatus(nnotes::DeleteNote(body->GetHandle(), id, body->UpdateFlags()));
}

LNText LNDatabase::GetCategories() const {
    const std::string categories(LNNotesText(GetInfo(nnotes::INFOFIELD_CATEGORIES)));
    LNText text;
    size_t start = 0;
    while (!categories.empty()) {
        const size_t comma = categories.find(',', start);
        const std::string entry =
            categories.substr(start, comma == std::string::npos ? comma : comma - start);
        if (const LNSTATUS status = text.Append(LNNotesString(entry.c_str()))) throw status;
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return text;
}

LNSTATUS LNDatabase::SetCategories(const LNText& categories) {
    std::string joined;
    for (uint32_t i = 0; i < categories.GetCount(); ++i) {
        const LNString entry = categories[i];
        joined += (i != 0 ? "," : "") + std::string(LNNotesText(entry), entry.GetByteLength());
    }
    return SetInfo(nnotes::INFOFIELD_CATEGORIES, LNNotesString(joined.c_str()));
}

LNDatetime LNDatabase::GetDatabaseId() const {
    LNDatabaseBody* body = RequireOpen();
    ThrowIfFailed(nnotes::GetDatabaseId(body->GetHandle(), &body->DatabaseId));
    return LNDatetime(body->DatabaseId);
}

LNDatetime LNDatabase::GetLastModified() const {
    nnotes::Instant data, design;
    ThrowIfFailed(nnotes::GetModifiedTimes(RequireOpen()->GetHandle(), &data, &design));
    int order = 0;
    ThrowIfFailed(nnotes::CompareInstants(&data, &design, &order));
    return LNDatetime(order >= 0 ? data : design);
}

LNDatetime LNDatabase::GetFirstModifiedTime() const {
    nnotes::Instant data;
    ThrowIfFailed(nnotes::GetModifiedTimes(RequireOpen()->GetHandle(), &data, nullptr));
    return LNDatetime(data);
}

LNDatetime LNDatabase::GetSecondModifiedTime() const {
    nnotes::Instant design;
    ThrowIfFailed(nnotes::GetModifiedTimes(RequireOpen()->GetHandle(), nullptr, &design));
    return LNDatetime(design);
}

LNSTATUS LNDatabase::GetLastFTIndexTime(LNDatetime* datetime) {
    LNDatabaseBody* body = nullptr;
    if (const LNSTATUS status = Opened(&body)) return status;
    if (datetime == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    nnotes::Instant last;
    if (const nnotes::STATUS status = nnotes::FTGetIndexInfo(body->GetHandle(), &last))
        return LNReturnOrThrowNotesStatus(status);
    return LNReturnOrThrow(datetime->SetRawValue(&last));
}
