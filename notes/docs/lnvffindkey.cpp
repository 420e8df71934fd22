#include "ln/lnvffindkey.h"

#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "nnotes/note.h"
#include "nnotes/timedate.h"
#include "util/coding.h"

#include <bit>
#include <cstdlib>
#include <cstring>

namespace {

// A key's size is a 16-bit count that includes the type word.
constexpr size_t kMaxTextBytes = 0xFFFE;

uint8_t* Allocate(size_t size) {
    auto* block = static_cast<uint8_t*>(std::malloc(size));
    if (block == nullptr) throw LNERR_NO_MEMORY;
    return block;
}

} // namespace

LNVFFindKey::LNVFFindKey(const LNString& text, LNSTATUS* status) {
    LN_ASSERT(status, "vfindkey", 50);
    const uint32_t length = text.GetByteLength();
    *status = length >= kMaxTextBytes ? LNERR_STRING_TOO_LONG
                                      : SetValue(nnotes::TYPE_TEXT, text.GetTextPtr(), length);
}

LNVFFindKey::LNVFFindKey(double number, LNSTATUS* status) {
    LN_ASSERT(status, "vfindkey", 67);
    *status = SetValue(nnotes::TYPE_NUMBER, &number, sizeof number);
}

LNVFFindKey::LNVFFindKey(const LNDatetime& datetime, LNSTATUS* status) {
    LN_ASSERT(status, "vfindkey", 67);
    *status = SetValue(nnotes::TYPE_TIME, datetime.GetRawValue(), sizeof(nnotes::Instant));
}

LNVFFindKey::LNVFFindKey(const LNVFFindKey& other) : LNNotesClass(other) {
    if (other.Value == nullptr) return;
    Value = Allocate(other.Size);
    std::memcpy(Value, other.Value, other.Size);
    Size = other.Size;
}

LNVFFindKey::~LNVFFindKey() {
    std::free(Value);
}

LNSTATUS LNVFFindKey::SetValue(uint16_t type, const void* data, size_t size) {
    if (size == 0) return LNERR_OUT_OF_RANGE;
    LN_ASSERT(data, "vfindkey", 301);
    Value = Allocate(size + 2);
    std::memcpy(Value, &type, 2);
    std::memcpy(Value + 2, data, size);
    Size = static_cast<uint16_t>(size + 2);
    return LNNOERROR;
}

const uint8_t* LNVFFindKey::Data(uint16_t type) const {
    if (Value == nullptr) throw LNERR_NOT_INITIALIZED;
    if (util::DecodeFixed16(Value) != type) throw LNERR_CONVERSION;
    return Value + 2;
}

LNString LNVFFindKey::GetText() const {
    return LNString(Data(nnotes::TYPE_TEXT), static_cast<uint32_t>(Size - 2));
}

double LNVFFindKey::GetNumber() const {
    return std::bit_cast<double>(util::DecodeFixed64(Data(nnotes::TYPE_NUMBER)));
}

LNDatetime LNVFFindKey::GetDatetime() const {
    const uint8_t* data = Data(nnotes::TYPE_TIME);
    return LNDatetime(nnotes::Instant{{util::DecodeFixed32(data), util::DecodeFixed32(data + 4)}});
}

LNSTATUS LNVFFindOptions::SetComparison(uint16_t comparison) {
    if ((comparison & ~kComparisonMask) != 0) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    Flags = static_cast<uint16_t>((Flags & ~kComparisonMask) | comparison);
    return LNNOERROR;
}
