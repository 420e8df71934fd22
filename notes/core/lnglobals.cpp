#include "lnglobals.h"

#include <type_traits>

static_assert(std::is_trivially_destructible_v<LNGlobals>,
              "the globals must outlive every static destructor");

LNGlobals& LNGlobal() {
    // Constant-initialised, so it is ready before any static constructor runs.
    static constinit LNGlobals globals;
    return globals;
}
