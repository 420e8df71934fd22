#include "ln/lnassert.h"
#include "ln/lnclass.h"

uint32_t LNBody::ReleaseReference() {
    LN_ASSERT(RefCount > 0, "lncommon", 286);
    return --RefCount;
}
