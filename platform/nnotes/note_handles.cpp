#include "note.h"
#include "process.h"
#include "store_handles.h"

namespace nnotes::store {
namespace {

HandleTable<Note>& Notes() {
    // Never destroyed: at exit its objects would free blocks of a memory registry that may be gone already.
    static auto* table = new HandleTable<Note>;
    return *table;
}

// Notes still open at TermProcess are dropped while their blocks can still be freed.
void CloseAllNotes() {
    Notes().RemoveAll();
}

} // namespace

NOTEHANDLE AddNote(std::shared_ptr<Note> note) {
    AtTermProcess(CloseAllNotes);
    Note* raw = note.get();
    const NOTEHANDLE handle = Notes().Add(std::move(note));
    raw->self = handle;
    return handle;
}

std::shared_ptr<Note> RemoveNote(NOTEHANDLE handle) {
    return Notes().Remove(handle);
}

STATUS NoteOf(NOTEHANDLE handle, std::shared_ptr<Note>& out) {
    if (STATUS s = RequireProcess()) return s;
    out = Notes().Find(handle);
    return out == nullptr ? ERR_NOTE_HANDLE : NOERROR;
}

} // namespace nnotes::store
