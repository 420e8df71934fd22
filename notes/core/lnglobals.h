// The API's process-wide state (internal to the object core).
#pragma once

#include <cstdint>
#include <mutex>

struct LNHeapHeader;

struct LNGlobals {
    bool DeleteAllRunning = false;
    uint32_t StartCount = 0;
    LNHeapHeader* Newest = nullptr; // head of the list of blocks still to be deleted at API end
    std::mutex MemLocked;           // guards Newest, the blocks' links and the registry of live blocks
    bool Aborted = false;           // the process is ending through LNAbortAPI
    bool ThrowAllErrors = false;
};

LNGlobals& LNGlobal();
