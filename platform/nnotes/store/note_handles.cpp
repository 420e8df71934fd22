#include "process/process.h"
#include "store/note.h"
#include "store/store_handles.h"

namespace nnotes::store {
NOTEHANDLE AddNote(std::shared_ptr<Note> note) {
    Note* raw = note.get();
    const NOTEHANDLE handle = AddToProcessTable(std::move(note));
    raw->self = handle;
    return handle;
}

std::shared_ptr<Note> RemoveNote(NOTEHANDLE handle) {
    return ProcessTable<Note>().Remove(handle);
}

STATUS NoteOf(NOTEHANDLE handle, std::shared_ptr<Note>& out) {
    if (STATUS s = RequireProcess()) return s;
    out = ProcessTable<Note>().Find(handle);
    return out == nullptr ? ERR_NOTE_HANDLE : NOERROR;
}

} // namespace nnotes::store
