// LNVFEntry: the handle of an entry; every operation forwards to the body.
#include "ln/lnvfentry.h"
#include "ln/lnerrors.h"
#include "ln/lnviewfolder.h"
#include "nnotes/idtable.h"

LNVFEntry& LNVFEntry::operator=(const LNVFEntry& other) {
    LNSmartPtr::operator=(other);
    return *this;
}

void LNVFEntry::Attach(LNVFEntryBody* body) {
    AssignBody(body);
}

LNVFEntryBody* LNVFEntry::Require() const {
    LNVFEntryBody* body = GetVFEntryBody();
    if (body == nullptr) throw LNERR_NOT_INITIALIZED;
    return body;
}

LNItem LNVFEntry::operator[](uint32_t column) const {
    return Require()->GetColumnValue(column);
}

void LNVFEntry::GetColumnValueByTitle(LNItem* value, const LNString& title) const {
    LNVFEntryBody* body = Require();
    if (value == nullptr) throw LNERR_NULL_POINTER;
    *value = body->GetColumnValueByTitle(title);
}

nnotes::NOTEID LNVFEntry::GetNoteID() const {
    return Require()->GetNoteID();
}

uint16_t LNVFEntry::GetIndentLevels() const {
    return Require()->GetIndentLevels();
}

uint16_t LNVFEntry::GetScore() const {
    return Require()->GetScore();
}

LNVFENTRYTYPE LNVFEntry::GetType() const {
    return Require()->GetType();
}

uint32_t LNVFEntry::GetChildCount() const {
    return Require()->GetChildCount();
}

uint32_t LNVFEntry::GetDescendantCount() const {
    return Require()->GetDescendantCount();
}

uint32_t LNVFEntry::GetSiblingCount() const {
    return Require()->GetSiblingCount();
}

LNSTATUS LNVFEntry::GetDocument(LNDocument* document) const {
    const LNVFEntryBody* body = GetVFEntryBody();
    if (body == nullptr) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return LNReturnOrThrow(body->GetDocument(document));
}

LNSTATUS LNVFEntry::GetPosition(LNVFPosition* position) const {
    const LNVFEntryBody* body = GetVFEntryBody();
    if (body == nullptr) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    if (position == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    *position = body->GetPosition();
    return LNNOERROR;
}

LNSTATUS LNVFEntry::GetViewFolder(LNViewFolder* view) const {
    const LNVFEntryBody* body = GetVFEntryBody();
    if (body == nullptr) return LNReturnOrThrow(LNERR_NOT_INITIALIZED);
    return body->GetNavigator().GetViewFolder(view);
}
