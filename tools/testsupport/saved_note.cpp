#include "testsupport/saved_note.h"

namespace testsupport {

nnotes::STATUS SaveAndClose(nnotes::NOTEHANDLE note, nnotes::NOTEID& id) {
    id = 0;
    const nnotes::STATUS saved = nnotes::UpdateNote(note, 0);
    if (saved == nnotes::NOERROR) nnotes::GetNoteInfo(note, nnotes::NOTE_INFO_ID, &id);
    nnotes::CloseNote(note);
    return saved;
}

} // namespace testsupport
