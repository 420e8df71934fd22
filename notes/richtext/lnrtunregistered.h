// Character handles that operations hold for a moment without registering them with their runs.
#pragma once

#include "ln/lnrtobject.h"

// A character handle that does not register with its run, so it does not count against the run's 20. Only
// for what an operation holds while the tree stays as it is: an edit of the run would not carry it along.
LNRTObject LNRTUnregisteredCharacter(LNRTObjectBody* run, uint32_t offset);

struct LNRTPosition;
struct RTSelection;

// Selects from a up to b, as BuildSelection without splitting, for a copy made at once: the character handles
// where the range cuts a run are unregistered ones, so that the copy succeeds however many handles the runs
// already hold.
LNSTATUS LNSelectForCopy(const LNRTPosition& a, const LNRTPosition& b, RTSelection* selection);
