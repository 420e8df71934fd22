#include "ln/lndocument.h"

#include "ln/lnerrors.h"
#include "nnotes/idtable.h"
#include "nnotes/note.h"

LNDocumentBody::LNDocumentBody(nnotes::NOTEHANDLE handle, LNDatabaseBody* database, LNSTATUS* status,
                               uint32_t value)
    : LNNoteBody(handle, database, status), Value(value) {}

LNDocumentBody::LNDocumentBody(LNDatabaseBody* database, LNSTATUS* status, LNMAILMSGTYPE type)
    : LNNoteBody(database, LNNOTECLASS{LNNOTECLASS_DOCUMENT}, status) {
    if (type != LNMAILMSGTYPE_DOCUMENT && type != LNMAILMSGTYPE_MEMO) {
        *status = LNERR_INVALID_PARAMETER;
        return;
    }
    if (*status != LNNOERROR || type != LNMAILMSGTYPE_MEMO) return;
    MailType = type;
    *status = SetForm(LNString("Memo"));
}

LNDocumentBody::LNDocumentBody(LNDatabaseBody* database, nnotes::NOTEID noteId, LNMAILMSGTYPE type,
                               LNSTATUS* status)
    : LNNoteBody(database, noteId, status), MailType(type) {}

LNSTATUS LNDocumentBody::Open(uint32_t options) {
    if (IsOpen()) return LNWARN_ALREADY_OPEN;
    if (MailType != LNMAILMSGTYPE_DOCUMENT) {
        LNDatabaseBody* database = GetDatabaseBody();
        const LNSTATUS status = database->Open(LNDBOPENOPTION_SESSION_DEFAULT);
        if (status != LNNOERROR && status != LNWARN_ALREADY_OPEN) return LNReturnOrThrow(status);
        const LNSTATUS opened = LNNoteBody::Open(options);
        if (status == LNNOERROR) {
            if (opened == LNNOERROR)
                OpenedDatabase = true;
            else
                database->Close();
        }
        return opened;
    }
    return LNNoteBody::Open(options);
}

LNSTATUS LNDocumentBody::Close() {
    if (!IsOpen()) return LNWARN_NOT_OPEN;
    const LNSTATUS status = LNNoteBody::Close();
    // Only a database that this document opened; one the caller opened stays open for the caller's views.
    if (OpenedDatabase) {
        OpenedDatabase = false;
        GetDatabaseBody()->Close();
    }
    return status;
}

LNSTATUS LNDocumentBody::SetForm(const LNString& name) {
    if (name.IsEmpty()) return LNReturnOrThrow(LNERR_NULL_STRING);
    LNText form;
    if (const LNSTATUS status = form.SetText(name)) return status;
    return CreateItem(LNString("Form"), form, nnotes::ITEM_SUMMARY, LNITEMDUP_REPLACE, nullptr);
}

LNSTATUS LNDocumentBody::SetForm(const LNText& name) {
    return CreateItem(LNString("Form"), name, nnotes::ITEM_SUMMARY, LNITEMDUP_REPLACE, nullptr);
}

LNText LNDocumentBody::GetCategories() {
    if (!IsOpen()) throw LNERR_NOTE_NOT_OPEN;
    LNText categories;
    if (HasItem(LNString("Categories"))) GetItem(LNString("Categories"), &categories);
    return categories;
}

LNSTATUS LNDocumentBody::GetFormName(LNString* name) {
    if (!IsOpen()) return LNReturnOrThrow(LNERR_NOTE_NOT_OPEN);
    if (name == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    LNText form;
    if (!HasItem(LNString("Form")) || GetItem(LNString("Form"), &form) != LNNOERROR || form.GetCount() == 0) {
        *name = LNString("");
        return LNWARN_NOT_FOUND;
    }
    *name = form[0].GetText();
    return LNNOERROR;
}

bool LNDocumentBody::IsResponse() {
    LNDatabaseBody* database = GetDatabaseBody();
    if (database == nullptr || !database->IsOpen()) throw LNERR_DATABASE_NOT_OPEN;
    if (!IsOpen()) throw LNERR_NOTE_NOT_OPEN;
    return HasItem(LNString(nnotes::FIELD_REF));
}

LNDocument::LNDocument(LNDatabaseBody* database, nnotes::NOTEID noteId, LNMAILMSGTYPE type)
    : LNNote(database, noteId), MailType(type) {}

namespace {

// A document handle forwards to a document body, so a note that has a body of another class (a copy made
// before the body classes were told apart, say) is no document, whatever its class word.
void RequireDocument(const LNNote& note) {
    const LNNoteBody* body = note.GetNoteBody();
    if (body != nullptr && body->GetClassID() != LNCLASSID_LNDOCUMENTBODY) throw LNERR_CONVERSION;
    if ((note.GetNoteClass() & LNNOTECLASS_DOCUMENT) == 0) throw LNERR_CONVERSION;
}

} // namespace

LNDocument::LNDocument(const LNNote& note, LNMAILMSGTYPE type)
    : LNNote((RequireDocument(note), note)), MailType(type) {}

LNDocument& LNDocument::operator=(const LNDocument& other) {
    LNNote::operator=(other);
    MailType = other.MailType;
    return *this;
}

LNDocument& LNDocument::operator=(const LNNote& note) {
    RequireDocument(note);
    LNNote::operator=(note);
    MailType = 0;
    return *this;
}

LNDocument& LNDocument::SetNoteBody(LNDocumentBody* body) {
    LNNote::SetNoteBody(body);
    MailType = body != nullptr ? body->GetMailType() : 0;
    return *this;
}

LNSTATUS LNDocument::Open(uint32_t options) {
    if (GetBody() == nullptr) {
        LNDatabaseBody* database = Database.GetDatabaseBody();
        if (database == nullptr || NoteID == 0) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
        // A handle's mail type 0 is an ordinary document: a body of a mail role would close the whole
        // database (and every view opened from it) when the document closes.
        const LNMAILMSGTYPE type = MailType == 0 ? LNMAILMSGTYPE_DOCUMENT : MailType;
        LNSTATUS status = LNNOERROR;
        auto* body = new LNDocumentBody(database, NoteID, type, &status);
        SetNoteBody(body);
        if (status != LNNOERROR) return LNReturnOrThrow(status);
    }
    return GetDocumentBody()->Open(options);
}

LNSTATUS LNDocument::Close() {
    if (GetBody() == nullptr) return LNReturnOrThrow(NoBodyStatus());
    return GetDocumentBody()->Close();
}

LNMAILMSGTYPE LNDocument::GetMailType() const {
    if (GetBody() == nullptr && NoteID == 0) throw LNERR_NOT_INITIALIZED;
    return MailType;
}

LNText LNDocument::GetCategories() const {
    if (GetBody() == nullptr) throw LNERR_NOT_INITIALIZED;
    return GetDocumentBody()->GetCategories();
}

LNSTATUS LNDocument::GetFormName(LNString* name) const {
    if (GetBody() == nullptr) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return GetDocumentBody()->GetFormName(name);
}

bool LNDocument::IsResponse() const {
    if (GetBody() == nullptr) throw LNERR_NOT_INITIALIZED;
    return GetDocumentBody()->IsResponse();
}

LNSTATUS LNDocument::SetForm(const LNString& name) {
    if (GetBody() == nullptr) return LNReturnOrThrow(NoBodyStatus());
    return GetDocumentBody()->SetForm(name);
}

LNSTATUS LNDocument::SetForm(const LNText& name) {
    if (GetBody() == nullptr) return LNReturnOrThrow(NoBodyStatus());
    return GetDocumentBody()->SetForm(name);
}

template <class Work>
LNSTATUS LNDocument::WithBody(Work work) const {
    if (GetBody() == nullptr) return LNReturnOrThrow(NoBodyStatus());
    return work(GetDocumentBody());
}

LNSTATUS LNDocument::CreateForward(LNDocument* forward) const {
    return WithBody(
        [&](LNDocumentBody* body) { return body->CreateReplyOrForward(LNMAILMSGTYPE_FORWARD, forward); });
}

LNSTATUS LNDocument::CreateReply(LNDocument* reply, uint16_t kind) const {
    return WithBody([&](LNDocumentBody* body) {
        if (kind > 3) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
        return body->CreateReplyOrForward(LNMAILMSGTYPE_REPLY + kind, reply);
    });
}

LNSTATUS LNDocument::Send(bool attachForm) {
    return WithBody([&](LNDocumentBody* body) { return body->Send(attachForm); });
}

LNSTATUS LNDocument::Send(const LNString& recipients, bool attachForm) {
    return WithBody([&](LNDocumentBody* body) { return body->Send(recipients, attachForm); });
}

LNSTATUS LNDocument::Send(const LNText& recipients, bool attachForm) {
    return WithBody([&](LNDocumentBody* body) { return body->Send(recipients, attachForm); });
}

LNSTATUS LNDocument::MakeResponse(const LNDocument& parent) {
    return WithBody([&](LNDocumentBody* body) { return body->MakeResponse(parent); });
}

LNSTATUS LNDocument::GetParentDocument(LNDocument* parent) const {
    return WithBody([&](LNDocumentBody* body) { return body->GetParentDocument(parent); });
}

uint32_t LNDocument::GetResponseCount() const {
    if (GetBody() == nullptr) throw NoBodyStatus();
    return GetDocumentBody()->GetResponseCount();
}

LNSTATUS LNDocument::GetResponses(LNDocumentArray* responses) const {
    return WithBody([&](LNDocumentBody* body) { return body->GetResponses(responses); });
}

LNSTATUS LNDocument::GetAllResponses(LNDocumentArray* responses) const {
    return WithBody([&](LNDocumentBody* body) { return body->GetAllResponses(responses); });
}

LNSTATUS LNDocument::GetForm(LNForm* form) const {
    if (GetBody() == nullptr) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return GetDocumentBody()->GetForm(form);
}
