// The note operations that hand on what the store's note calls answer, each named after its call: the note
// identity, texts and flag pairs, three actions that change the note, and three operations not provided.
#include "ln/lnerrors.h"
#include "ln/lnnote.h"
#include "nnotes/database.h"
#include "nnotes/note.h"
#include "nnotes/settings.h"
#include "nnotes/status.h"

namespace {

void ThrowIfFailed(nnotes::STATUS status) {
    if (status != nnotes::NOERROR) throw LNToNotesStatus(status);
}

enum class Half { First, Second };

LNString NoteText(nnotes::NOTEHANDLE note, Half half) {
    char first[nnotes::MAXPATH] = {};
    char second[nnotes::MAXPATH] = {};
    ThrowIfFailed(nnotes::GetNoteTexts(note, 0, 0, first, second));
    return LNString(reinterpret_cast<const LNUCHAR*>(half == Half::First ? first : second));
}

uint32_t NoteFlag(nnotes::NOTEHANDLE note, Half half) {
    uint32_t first = 0, second = 0;
    ThrowIfFailed(nnotes::GetNoteFlagPair(note, &first, &second));
    return half == Half::First ? first : second;
}

} // namespace

nnotes::UNIVERSALID LNNoteBody::GetNoteIdentity() const {
    const nnotes::ORIGINATORID oid = GetOriginatorID();
    return nnotes::UNIVERSALID{oid.file, oid.note};
}

LNString LNNoteBody::GetNoteTextByLength() const {
    char text[nnotes::MAXPATH] = {};
    uint16_t length = 0;
    ThrowIfFailed(nnotes::GetNoteTextByLength(GetNoteHandle(), text, sizeof text, &length, 0));
    return LNString(reinterpret_cast<const LNUCHAR*>(text), length);
}

LNString LNNoteBody::GetNoteTextsFirst() const {
    return NoteText(GetNoteHandle(), Half::First);
}

LNString LNNoteBody::GetNoteTextsSecond() const {
    return NoteText(GetNoteHandle(), Half::Second);
}

uint32_t LNNoteBody::GetNoteFlagPairFirst() const {
    return NoteFlag(GetNoteHandle(), Half::First);
}

uint32_t LNNoteBody::GetNoteFlagPairSecond() const {
    return NoteFlag(GetNoteHandle(), Half::Second);
}

LNSTATUS LNNoteBody::NoteAction(nnotes::STATUS (*action)(nnotes::NOTEHANDLE)) {
    if (!IsOpen()) return LNReturnOrThrow(LNERR_NOTE_NOT_OPEN);
    if (const nnotes::STATUS status = action(Handle)) return LNReturnOrThrowNotesStatus(status);
    Modified = 1;
    return LNNOERROR;
}

LNSTATUS LNNoteBody::NoteActionA() {
    return NoteAction([](nnotes::NOTEHANDLE note) { return nnotes::NoteActionA(note, 0, 0); });
}

LNSTATUS LNNoteBody::NoteActionB() {
    return NoteAction(nnotes::NoteActionB);
}

LNSTATUS LNNoteBody::NoteActionC() {
    return NoteAction(nnotes::NoteActionC);
}

LNSTATUS LNNoteBody::ReservedA() {
    return LNReturnOrThrow(IsOpen() ? LNERR_NOT_IMPLEMENTED : LNERR_NOTE_NOT_OPEN);
}

LNSTATUS LNNoteBody::ReservedB() {
    return LNReturnOrThrow(IsOpen() ? LNERR_NOT_IMPLEMENTED : LNERR_NOTE_NOT_OPEN);
}

LNSTATUS LNNoteBody::ReservedC() {
    return LNReturnOrThrow(IsOpen() ? LNERR_NOT_IMPLEMENTED : LNERR_NOTE_NOT_OPEN);
}

// The handle's forwarders: without a body, values throw and statuses return the empty-handle status.

nnotes::UNIVERSALID LNNote::GetNoteIdentity() const {
    return RequireBody()->GetNoteIdentity();
}

LNString LNNote::GetNoteTextByLength() const {
    return RequireBody()->GetNoteTextByLength();
}

LNString LNNote::GetNoteTextsFirst() const {
    return RequireBody()->GetNoteTextsFirst();
}

LNString LNNote::GetNoteTextsSecond() const {
    return RequireBody()->GetNoteTextsSecond();
}

uint32_t LNNote::GetNoteFlagPairFirst() const {
    return RequireBody()->GetNoteFlagPairFirst();
}

uint32_t LNNote::GetNoteFlagPairSecond() const {
    return RequireBody()->GetNoteFlagPairSecond();
}

LNSTATUS LNNote::ForwardStatus(LNSTATUS (LNNoteBody::*operation)()) const {
    if (GetNoteBody() == nullptr) return LNReturnOrThrow(NoBodyStatus());
    return (GetNoteBody()->*operation)();
}

LNSTATUS LNNote::NoteActionA() {
    return ForwardStatus(&LNNoteBody::NoteActionA);
}

LNSTATUS LNNote::NoteActionB() {
    return ForwardStatus(&LNNoteBody::NoteActionB);
}

LNSTATUS LNNote::NoteActionC() {
    return ForwardStatus(&LNNoteBody::NoteActionC);
}

LNSTATUS LNNote::ReservedA() {
    return ForwardStatus(&LNNoteBody::ReservedA);
}

LNSTATUS LNNote::ReservedB() {
    return ForwardStatus(&LNNoteBody::ReservedB);
}

LNSTATUS LNNote::ReservedC() {
    return ForwardStatus(&LNNoteBody::ReservedC);
}
