#include "ln/lncreatedboptions.h"

#include "ln/lnerrors.h"

namespace {

template <typename Word>
void SetBit(Word& word, unsigned bit, bool set) {
    word = static_cast<Word>(set ? word | bit : word & ~bit);
}

} // namespace

LNCreateDatabaseOptions& LNCreateDatabaseOptions::SetCreateFTIndex(bool flag) {
    SetBit(Flags32, kNoFTIndex, !flag);
    return *this;
}

LNCreateDatabaseOptions& LNCreateDatabaseOptions::SetCopyOption10(bool flag) {
    SetBit(Flags32, 0x10, !flag);
    return *this;
}

LNCreateDatabaseOptions& LNCreateDatabaseOptions::SetCopyOption200(bool flag) {
    SetBit(Flags32, 0x200, flag);
    return *this;
}

LNCreateDatabaseOptions& LNCreateDatabaseOptions::SetForce(bool flag) {
    SetBit(Behaviour, kForce, flag);
    return *this;
}

LNCreateDatabaseOptions& LNCreateDatabaseOptions::SetDesignOnly(bool flag) {
    SetBit(Behaviour, kDesignOnly, flag);
    return *this;
}

LNCreateDatabaseOptions& LNCreateDatabaseOptions::SetFromTemplate(bool flag) {
    SetBit(Behaviour, kFromTemplate, flag);
    return *this;
}

LNSTATUS LNCreateDatabaseOptions::SetLevel(uint32_t level) {
    if (level > 3) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    static constexpr uint32_t kLevelBits[] = {0, 0x40, 0x80, 0x100};
    Flags32 = (Flags32 & ~0x1C0u) | kLevelBits[level];
    SetBit(Flags16, 1, level != 0);
    Level = static_cast<uint8_t>(level);
    return LNNOERROR;
}

LNSTATUS LNCreateDatabaseOptions::SetSizeLimit(uint32_t megabytes) {
    if (megabytes > 4096) return LNReturnOrThrow(LNERR_OUT_OF_RANGE);
    SetBit(Flags16, 4, megabytes != 0);
    SizeLimit = megabytes;
    return LNNOERROR;
}
