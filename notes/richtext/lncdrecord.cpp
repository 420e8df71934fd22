#include "ln/lncdrecord.h"

#include "ln/lnerrors.h"
#include "ln/lnmemoryblock.h"

LNSTATUS LNDecodeCDHeader(const uint8_t* bytes, uint32_t available, LNCDRecordHeader* header) {
    if (available < 2) return LNERR_CORRUPTED;
    const uint16_t word = LNReadODSWord(bytes);
    switch (word >> 8) {
    case 0xFF:
        if (available < 4) return LNERR_CORRUPTED;
        *header = {LNCDHeaderForm::Word, word, LNReadODSWord(bytes + 2), 4};
        break;
    case 0x00:
        if (available < 6) return LNERR_CORRUPTED;
        *header = {LNCDHeaderForm::Long, word, LNReadODSDword(bytes + 2), 6};
        break;
    default:
        *header = {LNCDHeaderForm::Byte, static_cast<uint16_t>(word & 0xFF), static_cast<uint32_t>(word >> 8),
                   2};
        break;
    }
    // A length shorter than the header would start the next record inside this one's header.
    if (LNCDRecordSpan(*header) < header->headerSize) return LNERR_CORRUPTED;
    return LNNOERROR;
}

uint64_t LNCDRecordSpan(const LNCDRecordHeader& header) {
    const uint64_t length = header.length == 0 ? header.headerSize : header.length;
    return (length + 1) & ~uint64_t{1};
}
