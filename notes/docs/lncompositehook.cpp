#include "ln/lncompositehook.h"

namespace {

LNCompositeItemHooks Installed{};
bool IsInstalled = false;

} // namespace

void LNSetCompositeItemHooks(const LNCompositeItemHooks* hooks) {
    IsInstalled = hooks != nullptr;
    Installed = hooks != nullptr ? *hooks : LNCompositeItemHooks{};
}

const LNCompositeItemHooks* LNGetCompositeItemHooks() {
    return IsInstalled ? &Installed : nullptr;
}
