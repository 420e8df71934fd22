#include "ln/lninternational.h"

#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "nnotes/timedate.h"

#include <cstring>
#include <initializer_list>

LNInternational::LNInternational(LNNotesSession* session, const nnotes::IntlSettings* record)
    : LNNotesClass(session) {
    LN_ASSERT(record, "lninter", 112);
    std::memcpy(&Record, record, sizeof Record);
}

void LNInternational::Require() const {
    if (GetSession() == nullptr) throw LNERR_NOT_INITIALIZED;
}

LNSTATUS LNInternational::Check() const {
    return GetSession() != nullptr ? LNNOERROR : LNReturnOrThrow(LNERR_NOT_INITIALIZED);
}

const nnotes::IntlSettings* LNInternational::GetIntlFormat() const {
    LN_ASSERT(GetSession(), "lninter", 513);
    return &Record;
}

bool LNInternational::GetFlag(uint16_t bit) const {
    Require();
    return (Record.flags & bit) != 0;
}

LNInternational& LNInternational::SetFlag(uint16_t bit, bool flag) {
    Require();
    Record.flags = static_cast<uint16_t>(flag ? Record.flags | bit : Record.flags & ~bit);
    return *this;
}

uint32_t LNInternational::GetFormatChoice() const {
    Require();
    for (const uint32_t choice : {0x20u, 0x40u, 0x80u})
        if ((Record.flags & choice) != 0) return choice;
    return 0x20;
}

LNSTATUS LNInternational::SetFormatChoice(uint32_t value) {
    if (const LNSTATUS status = Check()) return status;
    Record.flags = static_cast<uint16_t>((Record.flags & ~0x00E0u) | value);
    return LNNOERROR;
}

uint32_t LNInternational::GetSmallNumber() const {
    Require();
    return Record.currencyDigits;
}

LNSTATUS LNInternational::SetSmallNumber(uint32_t value) {
    if (const LNSTATUS status = Check()) return status;
    if (value >= 16) return LNReturnOrThrow(LNERR_OUT_OF_RANGE);
    Record.currencyDigits = static_cast<uint8_t>(value);
    return LNNOERROR;
}

int32_t LNInternational::GetNumber() const {
    Require();
    return Record.timeZone;
}

LNSTATUS LNInternational::SetNumber(int32_t value) {
    if (const LNSTATUS status = Check()) return status;
    Record.timeZone = value;
    return LNNOERROR;
}

LNString LNInternational::GetField(const char* field, std::size_t width) const {
    Require();
    return LNString(field, static_cast<uint32_t>(strnlen(field, width)));
}

LNSTATUS LNInternational::SetField(char* field, std::size_t width, const LNString& text) {
    if (const LNSTATUS status = Check()) return status;
    if (text.IsEmpty()) return LNReturnOrThrow(LNERR_NULL_POINTER);
    const uint32_t length = text.GetByteLength();
    if (length >= width) return LNReturnOrThrow(LNERR_OUT_OF_RANGE);
    std::memset(field, 0, width);
    std::memcpy(field, text.GetTextPtr(), length);
    return LNNOERROR;
}
