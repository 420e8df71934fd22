#include "ln/lnclass.h"
#include "ln/lnheap.h"
#include "lndeletion.h"
#include "lnglobals.h"
#include "lnheapinternal.h"

uint32_t LNDeleteAllObjects() {
    LNGlobals& g = LNGlobal();
    if (g.DeleteAllRunning) return 0;
    g.DeleteAllRunning = true;
    struct Running {
        ~Running() { LNGlobal().DeleteAllRunning = false; }
    } running;

    uint32_t visited = 0;
    while (void* block = LNNewestHeapBlock()) {
        ++visited;
        auto* object = static_cast<LNNotesClass*>(block);
        if (LNCloseForDeletion(object)) delete object;
        // A body that handles still hold stays allocated for them; a block whose release failed must not be
        // met again.
        LNUnlistHeapBlock(block);
    }
    return visited;
}
