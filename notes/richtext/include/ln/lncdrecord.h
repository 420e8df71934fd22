// The CD record: the unit of a composite item value. Every record begins with a 16-bit word whose high byte
// selects its header form (0xFF: word length, 0x00: long length, else byte signature and byte length); the
// length counts the header, and records begin at even offsets.
#pragma once

#include "ln/lnerrors.h"

#include <cstdint>

constexpr uint16_t LNRTSIG_TEXT = 0xFF85;
constexpr uint16_t LNRTSIG_FONT_TABLE = 0xFF8B;
constexpr uint16_t LNRTSIG_FIELD = 0xFF8A;
constexpr uint16_t LNRTSIG_FIELD_OLD = 0xFF84;

enum class LNCDHeaderForm : uint8_t { Byte, Word, Long };

struct LNCDRecordHeader {
    LNCDHeaderForm form = LNCDHeaderForm::Byte;
    uint16_t signature = 0;
    uint32_t length = 0;     // as stored (0: the header alone)
    uint32_t headerSize = 2; // 2, 4 or 6
};

// Decodes the header at bytes[0..available). Fewer bytes than the header needs: LNERR_CORRUPTED.
LNSTATUS LNDecodeCDHeader(const uint8_t* bytes, uint32_t available, LNCDRecordHeader* header);

// The bytes the record takes: its length (its header size for 0), rounded up to even, as 64 bits so that a
// damaged long length cannot wrap.
uint64_t LNCDRecordSpan(const LNCDRecordHeader& header);

// Walks the records of a composite value (after its type word) in bytes[0..size) and calls visit(offset,
// header, span) for each. A record that runs past the end (its pad byte included) gives LNERR_CORRUPTED;
// visit's own non-zero status stops the walk and is returned.
template <typename Visit>
LNSTATUS LNWalkCDRecords(const uint8_t* bytes, uint32_t size, Visit&& visit) {
    uint32_t offset = 0;
    while (offset < size) {
        LNCDRecordHeader header;
        if (const LNSTATUS status = LNDecodeCDHeader(bytes + offset, size - offset, &header)) return status;
        const uint64_t span = LNCDRecordSpan(header);
        if (offset + span > size) return LNERR_CORRUPTED;
        if (const LNSTATUS status = visit(offset, header, static_cast<uint32_t>(span))) return status;
        offset = static_cast<uint32_t>(offset + span);
    }
    return LNNOERROR;
}
