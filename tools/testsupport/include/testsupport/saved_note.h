// Saving a note a test has filled: the save's status, the id the store gave it, and the note closed.
#pragma once

#include "nnotes/note.h"
#include "nnotes/status.h"

namespace testsupport {

// Saves note (flags 0), closes it and gives its id in id (0 when the save failed); the save's status.
nnotes::STATUS SaveAndClose(nnotes::NOTEHANDLE note, nnotes::NOTEID& id);

} // namespace testsupport
