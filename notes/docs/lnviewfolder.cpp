// LNViewFolder: the handle of a view. The body is made at the first Open; the view's own navigator answers
// for the view's entries.
#include "ln/lnviewfolder.h"
#include "ln/lnerrors.h"
#include "ln/lnvfentry.h"
#include "nnotes/idtable.h"

LNViewFolder::LNViewFolder(const LNNote& note) {
    Convert(note);
}

LNViewFolder::LNViewFolder(LNDatabaseBody* database, nnotes::NOTEID noteId) : LNNote(database, noteId) {}

LNViewFolder::LNViewFolder(LNViewFolderBody* body) : LNNote(body) {}

LNViewFolder& LNViewFolder::operator=(const LNViewFolder& other) {
    LNNote::operator=(other);
    return *this;
}

LNViewFolder& LNViewFolder::operator=(const LNNote& note) {
    Convert(note);
    return *this;
}

void LNViewFolder::Convert(const LNNote& note) {
    if ((note.GetNoteClass() & LNNOTECLASS_VIEW) == 0) throw LNERR_CONVERSION;
    LNNoteBody* body = note.GetNoteBody();
    if (body != nullptr && body->GetClassID() == LNCLASSID_LNVIEWFOLDERBODY)
        SetNoteBody(body);
    else
        SetNoteID(note.GetDatabase().GetDatabaseBody(), note.GetNoteID());
}

LNViewFolderBody* LNViewFolder::GetViewFolderBody() const {
    LNNoteBody* body = GetNoteBody();
    return body != nullptr && body->GetClassID() == LNCLASSID_LNVIEWFOLDERBODY
               ? static_cast<LNViewFolderBody*>(body)
               : nullptr;
}

LNSTATUS LNViewFolder::MissingBodyStatus() const {
    return NoteID != 0 ? LNERR_VIEW_NOT_OPEN : LNERR_NOT_INITIALIZED;
}

LNViewFolderBody* LNViewFolder::RequireView() const {
    LNViewFolderBody* body = GetViewFolderBody();
    if (body == nullptr) throw MissingBodyStatus();
    return body;
}

LNVFNavigator& LNViewFolder::ViewNavigator() const {
    return RequireView()->GetNavigator();
}

template <class Work>
LNSTATUS LNViewFolder::WithNavigator(Work work) const {
    LNViewFolderBody* body = GetViewFolderBody();
    if (body == nullptr) return LNReturnOrThrow(MissingBodyStatus());
    return work(body->GetNavigator());
}

LNSTATUS LNViewFolder::MakeBody() {
    if (GetViewFolderBody() != nullptr) return LNNOERROR;
    LNDatabaseBody* database = Database.GetDatabaseBody();
    if (NoteID == 0 || database == nullptr) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    LNSTATUS status = LNNOERROR;
    auto* body = new LNViewFolderBody(database, NoteID, LNVFNOTETYPE_VIEW, &status);
    SetNoteBody(body);
    return LNReturnOrThrow(status);
}

LNSTATUS LNViewFolder::Open(uint32_t options) {
    return Open(options, Database);
}

LNSTATUS LNViewFolder::Open(uint32_t options, const LNDatabase& data) {
    if (const LNSTATUS status = MakeBody()) return status;
    return GetViewFolderBody()->OpenView(options, data);
}

LNSTATUS LNViewFolder::Open(uint32_t options, const LNString& path, const LNString& server) {
    if (const LNSTATUS status = MakeBody()) return status;
    LNNotesSession* session = GetViewFolderBody()->GetSession();
    if (session == nullptr) return LNReturnOrThrow(LNERR_SESSION_NOT_INITIALIZED);
    LNDatabase data;
    if (const LNSTATUS status = data.Initialize(session, path, server)) return status;
    return GetViewFolderBody()->OpenView(options, data);
}

LNSTATUS LNViewFolder::Close() {
    LNViewFolderBody* body = GetViewFolderBody();
    return body != nullptr ? body->Close() : LNWARN_NOT_OPEN;
}

LNSTATUS LNViewFolder::Save(uint32_t flags) {
    LNViewFolderBody* body = GetViewFolderBody();
    if (body == nullptr) return LNReturnOrThrow(MissingBodyStatus());
    return body->Save(flags);
}

LNString LNViewFolder::GetName() const {
    return RequireView()->GetName();
}

LNString LNViewFolder::GetAlias() const {
    return RequireView()->GetAlias();
}

LNDatabase LNViewFolder::GetDatabase() const {
    return RequireView()->GetViewDatabase();
}

uint32_t LNViewFolder::GetColumnCount() const {
    return RequireView()->GetColumnCount();
}

LNString LNViewFolder::GetColumnTitle(uint32_t index) const {
    return RequireView()->GetColumnTitle(index);
}

LNSTATUS LNViewFolder::GetEntries(LNVFNavigator* navigator) {
    LNViewFolderBody* body = GetViewFolderBody();
    if (body == nullptr) return LNReturnOrThrow(MissingBodyStatus());
    return body->GetEntries(navigator, nullptr, 0);
}

LNSTATUS LNViewFolder::GetEntries(LNVFNavigator* navigator, uint32_t levels) {
    LNViewFolderBody* body = GetViewFolderBody();
    if (body == nullptr) return LNReturnOrThrow(MissingBodyStatus());
    if (levels == 0) return LNReturnOrThrow(LNERR_OUT_OF_RANGE);
    LNVFPosition start;
    if (const LNSTATUS status = body->GetNavigator().GetPosition(&start)) return status;
    return body->GetEntries(navigator, &start, levels);
}

uint32_t LNViewFolder::GetEntryCount() const {
    return ViewNavigator().GetEntryCount();
}

LNVFEntry LNViewFolder::operator[](uint32_t index) {
    return ViewNavigator()[index];
}

LNSTATUS LNViewFolder::Goto(LNVFNAVIGATION code, LNVFEntry* entry) {
    return WithNavigator([&](LNVFNavigator& navigator) { return navigator.Goto(code, entry); });
}

LNSTATUS LNViewFolder::GetEntry(LNVFEntry* entry) {
    return WithNavigator([&](LNVFNavigator& navigator) { return navigator.GetEntry(entry); });
}

LNSTATUS LNViewFolder::GetEntry(LNVFEntry* entry, const LNVFPosition& position) {
    return WithNavigator([&](LNVFNavigator& navigator) { return navigator.GetEntry(entry, position); });
}

LNSTATUS LNViewFolder::GetPosition(LNVFPosition* position) const {
    return WithNavigator([&](LNVFNavigator& navigator) { return navigator.GetPosition(position); });
}

LNSTATUS LNViewFolder::SetPosition(const LNVFPosition& position) {
    return WithNavigator([&](LNVFNavigator& navigator) { return navigator.SetPosition(position); });
}

LNSTATUS LNViewFolder::GotoStart() {
    return WithNavigator([&](LNVFNavigator& navigator) { return navigator.GotoStart(); });
}

LNSTATUS LNViewFolder::Refresh() {
    return WithNavigator([&](LNVFNavigator& navigator) { return navigator.Refresh(); });
}

bool LNViewFolder::IsCategorized() const {
    return ViewNavigator().IsCategorized();
}

LNSTATUS LNViewFolder::DeleteEntry(LNVFEntry* entry, bool descendants) {
    return WithNavigator([&](LNVFNavigator& navigator) { return navigator.DeleteEntry(entry, descendants); });
}

LNSTATUS LNViewFolder::DeleteEntry(const LNVFPosition& position, bool descendants) {
    return WithNavigator(
        [&](LNVFNavigator& navigator) { return navigator.DeleteEntry(position, descendants); });
}

LNSTATUS LNViewFolder::FindByKey(const LNString& key, LNVFEntry* entry, uint32_t* count) {
    return WithNavigator([&](LNVFNavigator& navigator) { return navigator.FindByKey(key, entry, count); });
}

LNSTATUS LNViewFolder::FindByKey(const LNString& key, const LNVFFindOptions& options, LNVFEntry* entry,
                                 uint32_t* count) {
    return WithNavigator(
        [&](LNVFNavigator& navigator) { return navigator.FindByKey(key, options, entry, count); });
}

LNSTATUS LNViewFolder::FindByKey(double key, LNVFEntry* entry, uint32_t* count) {
    return WithNavigator([&](LNVFNavigator& navigator) { return navigator.FindByKey(key, entry, count); });
}

LNSTATUS LNViewFolder::FindByKey(double key, const LNVFFindOptions& options, LNVFEntry* entry,
                                 uint32_t* count) {
    return WithNavigator(
        [&](LNVFNavigator& navigator) { return navigator.FindByKey(key, options, entry, count); });
}

LNSTATUS LNViewFolder::FindByKey(const LNDatetime& key, LNVFEntry* entry, uint32_t* count) {
    return WithNavigator([&](LNVFNavigator& navigator) { return navigator.FindByKey(key, entry, count); });
}

LNSTATUS LNViewFolder::FindByKey(const LNDatetime& key, const LNVFFindOptions& options, LNVFEntry* entry,
                                 uint32_t* count) {
    return WithNavigator(
        [&](LNVFNavigator& navigator) { return navigator.FindByKey(key, options, entry, count); });
}

LNSTATUS LNViewFolder::FindByKeys(LNVFFindKeys& keys, LNVFEntry* entry, uint32_t* count) {
    return WithNavigator([&](LNVFNavigator& navigator) { return navigator.FindByKeys(keys, entry, count); });
}

LNSTATUS LNViewFolder::FindByKeys(LNVFFindKeys& keys, const LNVFFindOptions& options, LNVFEntry* entry,
                                  uint32_t* count) {
    return WithNavigator(
        [&](LNVFNavigator& navigator) { return navigator.FindByKeys(keys, options, entry, count); });
}

LNSTATUS LNViewFolder::FTSearch(const LNString& query, LNVFNavigator* navigator) {
    LNViewFolderBody* body = GetViewFolderBody();
    if (body == nullptr) return LNReturnOrThrow(MissingBodyStatus());
    return body->FTSearch(&query, navigator, nullptr, nullptr);
}

LNSTATUS LNViewFolder::FTSearch(const LNString& query, LNVFNavigator* navigator,
                                const LNFTSearchOptions& options) {
    LNViewFolderBody* body = GetViewFolderBody();
    if (body == nullptr) return LNReturnOrThrow(MissingBodyStatus());
    return body->FTSearch(&query, navigator, &options, nullptr);
}

LNSTATUS LNViewFolder::FTSearch(const LNString& query, LNVFNavigator* navigator,
                                const LNFTSearchOptions& options, LNVFNavigator* restrict) {
    LNViewFolderBody* body = GetViewFolderBody();
    if (body == nullptr) return LNReturnOrThrow(MissingBodyStatus());
    return body->FTSearch(&query, navigator, &options, restrict);
}
