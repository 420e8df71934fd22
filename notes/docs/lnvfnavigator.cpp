// LNVFNavigator: the handle of a navigator. It keeps the current position; the body moves it.
#include "ln/lnerrors.h"
#include "ln/lnvfentry.h"
#include "lnvfnavigatorbody.h"
#include "nnotes/memblock.h"

namespace {

LNSTATUS AppendKey(LNVFFindKeys& keys, const LNString& key) {
    return keys.AppendTextKey(key);
}

LNSTATUS AppendKey(LNVFFindKeys& keys, double key) {
    return keys.AppendNumberKey(key);
}

LNSTATUS AppendKey(LNVFFindKeys& keys, const LNDatetime& key) {
    return keys.AppendDatetimeKey(key);
}

} // namespace

LNVFNavigator& LNVFNavigator::operator=(const LNVFNavigator& other) {
    if (this == &other) return *this;
    LNSmartPtr::operator=(other);
    EmptyStatus = other.EmptyStatus;
    Position = other.Position;
    return *this;
}

LNVFNavigatorBody* LNVFNavigator::GetVFNavigatorBody() const {
    return static_cast<LNVFNavigatorBody*>(GetBody());
}

void LNVFNavigator::Attach(LNVFNavigatorBody* body) {
    AssignBody(body);
    if (body != nullptr)
        Position = body->GetStartPosition();
    else
        Position = LNVFPosition();
    EmptyStatus = LNERR_NOT_INITIALIZED;
}

LNVFNavigatorBody* LNVFNavigator::Require() const {
    LNVFNavigatorBody* body = GetVFNavigatorBody();
    if (body == nullptr) throw EmptyStatus;
    return body;
}

LNSTATUS LNVFNavigator::Goto(LNVFNAVIGATION code, LNVFEntry* entry) {
    LNVFNavigatorBody* body = GetVFNavigatorBody();
    if (body == nullptr) return LNReturnOrThrow(EmptyStatus);
    return LNReturnOrThrow(body->Navigate(code, &Position, entry));
}

LNVFEntry LNVFNavigator::operator[](uint32_t index) {
    LNVFEntry entry;
    if (const LNSTATUS status = Require()->EntryByIndex(index, &Position, &entry)) throw status;
    return entry;
}

LNSTATUS LNVFNavigator::GetEntry(LNVFEntry* entry) {
    return GetEntry(entry, Position);
}

LNSTATUS LNVFNavigator::GetEntry(LNVFEntry* entry, const LNVFPosition& position) {
    LNVFNavigatorBody* body = GetVFNavigatorBody();
    if (body == nullptr) return LNReturnOrThrow(EmptyStatus);
    if (entry == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    if (const LNSTATUS status = body->EntryAt(position, entry)) return LNReturnOrThrow(status);
    Position = position;
    return LNNOERROR;
}

LNSTATUS LNVFNavigator::GetPosition(LNVFPosition* position) const {
    const LNVFNavigatorBody* body = GetVFNavigatorBody();
    if (body == nullptr) return LNReturnOrThrow(EmptyStatus);
    if (position == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    *position = Position;
    body->OutwardPosition(position);
    return LNNOERROR;
}

LNSTATUS LNVFNavigator::SetPosition(const LNVFPosition& position) {
    LNVFNavigatorBody* body = GetVFNavigatorBody();
    if (body == nullptr) return LNReturnOrThrow(EmptyStatus);
    if (const LNSTATUS status = body->EntryAt(position, nullptr)) return LNReturnOrThrow(status);
    Position = position;
    return LNNOERROR;
}

LNSTATUS LNVFNavigator::GotoStart() {
    const LNVFNavigatorBody* body = GetVFNavigatorBody();
    if (body == nullptr) return LNReturnOrThrow(EmptyStatus);
    Position = body->GetStartPosition();
    return LNNOERROR;
}

LNSTATUS LNVFNavigator::Refresh() {
    LNVFNavigatorBody* body = GetVFNavigatorBody();
    if (body == nullptr) return LNReturnOrThrow(EmptyStatus);
    if (const LNSTATUS status = body->Refresh()) return LNReturnOrThrow(status);
    Position = body->GetStartPosition();
    return LNNOERROR;
}

uint32_t LNVFNavigator::GetEntryCount() const {
    return Require()->GetEntryCount();
}

bool LNVFNavigator::IsCategorized() const {
    const LNVFNavigatorBody* body = Require();
    if (!body->IsOpen()) throw body->GetStatus();
    return body->IsCategorized();
}

bool LNVFNavigator::IsFTSearch() const {
    const LNVFNavigatorBody* body = Require();
    if (!body->IsOpen()) throw body->GetStatus();
    return body->IsFTSearch();
}

bool LNVFNavigator::IsRestricted() const {
    return Require()->IsRestricted();
}

LNSTATUS LNVFNavigator::Find(LNVFFindKeys& keys, const LNVFFindOptions* options, LNVFEntry* entry,
                             uint32_t* count) {
    LNVFNavigatorBody* body = GetVFNavigatorBody();
    if (body == nullptr) return LNReturnOrThrow(EmptyStatus);
    return LNReturnOrThrow(body->FindByKeys(keys, options, &Position, entry, count));
}

template <class Key>
LNSTATUS LNVFNavigator::FindOne(const Key& key, const LNVFFindOptions* options, LNVFEntry* entry,
                                uint32_t* count) {
    LNVFFindKeys keys;
    if (const LNSTATUS status = AppendKey(keys, key)) return status;
    return Find(keys, options, entry, count);
}

LNSTATUS LNVFNavigator::FindByKey(const LNString& key, LNVFEntry* entry, uint32_t* count) {
    return FindOne(key, nullptr, entry, count);
}

LNSTATUS LNVFNavigator::FindByKey(const LNString& key, const LNVFFindOptions& options, LNVFEntry* entry,
                                  uint32_t* count) {
    return FindOne(key, &options, entry, count);
}

LNSTATUS LNVFNavigator::FindByKey(double key, LNVFEntry* entry, uint32_t* count) {
    return FindOne(key, nullptr, entry, count);
}

LNSTATUS LNVFNavigator::FindByKey(double key, const LNVFFindOptions& options, LNVFEntry* entry,
                                  uint32_t* count) {
    return FindOne(key, &options, entry, count);
}

LNSTATUS LNVFNavigator::FindByKey(const LNDatetime& key, LNVFEntry* entry, uint32_t* count) {
    return FindOne(key, nullptr, entry, count);
}

LNSTATUS LNVFNavigator::FindByKey(const LNDatetime& key, const LNVFFindOptions& options, LNVFEntry* entry,
                                  uint32_t* count) {
    return FindOne(key, &options, entry, count);
}

LNSTATUS LNVFNavigator::FindByKeys(LNVFFindKeys& keys, LNVFEntry* entry, uint32_t* count) {
    return Find(keys, nullptr, entry, count);
}

LNSTATUS LNVFNavigator::FindByKeys(LNVFFindKeys& keys, const LNVFFindOptions& options, LNVFEntry* entry,
                                   uint32_t* count) {
    return Find(keys, &options, entry, count);
}

LNSTATUS LNVFNavigator::DeleteEntry(LNVFEntry* entry, bool descendants) {
    LNVFNavigatorBody* body = GetVFNavigatorBody();
    if (body == nullptr) return LNReturnOrThrow(EmptyStatus);
    return LNReturnOrThrow(body->DeleteEntry(entry, descendants));
}

LNSTATUS LNVFNavigator::DeleteEntry(const LNVFPosition& position, bool descendants) {
    LNVFNavigatorBody* body = GetVFNavigatorBody();
    if (body == nullptr) return LNReturnOrThrow(EmptyStatus);
    LNVFEntry entry;
    if (const LNSTATUS status = body->EntryAt(position, &entry)) return LNReturnOrThrow(status);
    return LNReturnOrThrow(body->DeleteEntry(&entry, descendants));
}

LNSTATUS LNVFNavigator::GetIDTable(nnotes::DHANDLE* table) {
    if (const LNSTATUS status = Require()->GetIDTable(table)) throw status;
    return LNNOERROR;
}

LNDatabase LNVFNavigator::GetDatabase() const {
    const LNVFNavigatorBody* body = Require();
    const LNViewFolderBody* view = body->GetViewFolderBody();
    if (view == nullptr) throw body->GetStatus();
    return view->GetViewDatabase();
}

LNSTATUS LNVFNavigator::GetViewFolder(LNViewFolder* view) const {
    const LNVFNavigatorBody* body = GetVFNavigatorBody();
    if (body == nullptr) return LNReturnOrThrow(EmptyStatus);
    if (view == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    *view = LNViewFolder(body->GetViewFolderBody());
    return LNNOERROR;
}

LNSTATUS LNVFNavigator::Close() {
    LNVFNavigatorBody* body = GetVFNavigatorBody();
    if (body == nullptr) return LNNOERROR;
    Position.Reset();
    return body->Close();
}
