// LNCreateDatabaseOptions: the choices the session's CreateDatabase, CopyDatabase and
// CreateDatabaseFromTemplate pass on to the Notes create and copy calls.
#pragma once

#include "ln/lnclass.h"

class LNCreateDatabaseOptions : public LNNotesClass {
public:
    LNCreateDatabaseOptions() = default;
    LNCreateDatabaseOptions(const LNCreateDatabaseOptions& other) = default;
    LNCreateDatabaseOptions& operator=(const LNCreateDatabaseOptions& other) = default;

    LNCLASSID GetClassID() const override { return LNCLASSID_LNCREATEDATABASEOPTIONS; }

    // TRUE asks for a full-text index: by default none is made.
    LNCreateDatabaseOptions& SetCreateFTIndex(bool flag);
    // TRUE clears copy option 0x10.
    LNCreateDatabaseOptions& SetCopyOption10(bool flag);
    LNCreateDatabaseOptions& SetCopyOption200(bool flag);
    LNCreateDatabaseOptions& SetForce(bool flag);
    LNCreateDatabaseOptions& SetDesignOnly(bool flag);
    LNCreateDatabaseOptions& SetFromTemplate(bool flag);
    // 0 to 3; another level gives LNERR_INVALID_PARAMETER and changes nothing.
    LNSTATUS SetLevel(uint32_t level);
    // In megabytes, 0 (none) to 4096; more gives LNERR_OUT_OF_RANGE and changes nothing.
    LNSTATUS SetSizeLimit(uint32_t megabytes);

    bool CreatesFTIndex() const { return (Flags32 & kNoFTIndex) == 0; }
    bool IsForce() const { return (Behaviour & kForce) != 0; }
    bool IsDesignOnly() const { return (Behaviour & kDesignOnly) != 0; }
    bool IsFromTemplate() const { return (Behaviour & kFromTemplate) != 0; }
    uint32_t GetLevel() const { return Level; }
    uint32_t GetSizeLimit() const { return SizeLimit; }
    // 4096 megabytes do not fit 32 bits: the largest limit is the largest byte count, never 0 (no limit).
    uint32_t GetSizeLimitBytes() const {
        const uint64_t bytes = uint64_t{SizeLimit} * 1048576u;
        return bytes > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(bytes);
    }
    uint32_t GetFlags32() const { return Flags32; }
    uint16_t GetFlags16() const { return Flags16; }

private:
    static constexpr uint32_t kNoFTIndex = 0x20;
    static constexpr uint16_t kForce = 1, kDesignOnly = 2, kFromTemplate = 4;

    uint32_t Flags32 = kNoFTIndex;
    uint16_t Flags16 = 0;
    uint16_t Behaviour = kFromTemplate;
    uint8_t Level = 0;
    uint32_t SizeLimit = 0;
};
