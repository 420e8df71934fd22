// The rule by which an owner (the heap at API end, an object list) disposes of an object it is responsible
// for (internal to the object core).
#pragma once

class LNNotesClass;

// A body that handles still share is closed while an extra reference keeps it alive, and survives for those
// handles. Returns true when the object is to be deleted now. A status thrown by Close does not stop the
// owner's cleanup.
bool LNCloseForDeletion(LNNotesClass* object);
