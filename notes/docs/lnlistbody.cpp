#include "ln/lnlistbody.h"

#include "ln/lnerrors.h"
#include "nnotes/memblock.h"
#include "nnotes/status.h"
#include "util/coding.h"

#include <cstring>

namespace {

constexpr uint32_t kHeader = 4; // single count, pair count
constexpr uint32_t kMaxEntries = 0xFFFF;

struct Unlock {
    LNItemBody* body;
    ~Unlock() { body->UnlockValue(); }
};

} // namespace

LNListBody::LNListBody(nnotes::BLOCKID value, uint32_t size, uint16_t singleType, uint16_t listType)
    : LNItemBody(value, listType, size), SingleNSFType(singleType), ListNSFType(listType) {}

LNListBody::LNListBody(const void* value, uint16_t nsfType, uint32_t size, uint16_t singleType,
                       uint16_t listType)
    : SingleNSFType(singleType), ListNSFType(listType) {
    // A single value gets the list header of one entry, so that a detached value is always a list.
    const bool single = nsfType == singleType;
    std::vector<uint8_t> bytes(sizeof(uint16_t) + (single ? kHeader : 0) + size);
    util::EncodeFixed16(bytes.data(), listType);
    if (single) {
        util::EncodeFixed16(bytes.data() + 2, 1);
        util::EncodeFixed16(bytes.data() + 4, 0);
    }
    if (size > 0) std::memcpy(bytes.data() + bytes.size() - size, value, size);
    if (const LNSTATUS status = SetValue(bytes.data(), nsfType, static_cast<uint32_t>(bytes.size())))
        throw status;
    SetDirty(false);
}

LNListBody::LNListBody(LNNoteBody* note, nnotes::BLOCKID item, uint16_t nsfType, uint16_t flags,
                       nnotes::BLOCKID value, uint32_t size, uint16_t singleType, uint16_t listType)
    : LNItemBody(note, item, nsfType, flags, value, size), SingleNSFType(singleType), ListNSFType(listType) {}

LNSTATUS LNListBody::Flush(const LNString*) {
    SetDirty(false);
    return LNNOERROR;
}

bool LNListBody::IsSingleItem() const {
    return IsInNote() && GetNSFType() == SingleNSFType;
}

uint32_t LNListBody::GetSingleCount() {
    LNListValue value;
    if (const LNSTATUS status = Read(&value)) throw status;
    return static_cast<uint32_t>(value.singles.size());
}

uint32_t LNListBody::GetPairCount() {
    LNListValue value;
    if (const LNSTATUS status = Read(&value)) throw status;
    return static_cast<uint32_t>(value.pairs.size());
}

LNSTATUS LNListBody::Read(LNListValue* value) {
    value->singles.clear();
    value->pairs.clear();
    const uint32_t size = GetValueSize();
    if (GetValueBlockID().pool == nnotes::NULLHANDLE) return size == 0 ? LNNOERROR : LNERR_ITEM_NOT_DEFINED;
    const uint8_t* at = LockValue();
    Unlock unlock{this};
    if (IsSingleItem()) {
        if (size < 2 + 8) return LNERR_CORRUPTED;
        value->singles.emplace_back();
        std::memcpy(value->singles.back().data(), at + 2, 8);
        return LNNOERROR;
    }
    if (size < 2 + kHeader) return LNERR_CORRUPTED;
    const uint32_t singles = util::DecodeFixed16(at + 2), pairs = util::DecodeFixed16(at + 4);
    // At most 6 + 8 * 65535 + 16 * 65535 bytes: no overflow in 32 bits.
    if (2 + kHeader + 8 * singles + 16 * pairs > size) return LNERR_CORRUPTED;
    const uint8_t* entry = at + 2 + kHeader;
    value->singles.resize(singles);
    for (auto& single : value->singles) {
        std::memcpy(single.data(), entry, 8);
        entry += 8;
    }
    value->pairs.resize(pairs);
    for (auto& pair : value->pairs) {
        std::memcpy(pair.data(), entry, 16);
        entry += 16;
    }
    return LNNOERROR;
}

uint16_t LNListBody::DetachedType(const LNListValue& value) const {
    return value.singles.size() + value.pairs.size() > 1 ? ListNSFType : SingleNSFType;
}

LNSTATUS LNListBody::Store(const LNListValue& value) {
    if (value.singles.size() > kMaxEntries || value.pairs.size() > kMaxEntries)
        return LNERR_INVALID_PARAMETER;
    const uint32_t size =
        static_cast<uint32_t>(2 + kHeader + 8 * value.singles.size() + 16 * value.pairs.size());
    nnotes::DHANDLE block = nnotes::NULLHANDLE;
    if (const nnotes::STATUS status = nnotes::AllocateBlock(0, size, &block)) return LNToNotesStatus(status);
    auto* at = static_cast<uint8_t*>(nnotes::LockBlock(block));
    util::EncodeFixed16(at, ListNSFType);
    util::EncodeFixed16(at + 2, static_cast<uint16_t>(value.singles.size()));
    util::EncodeFixed16(at + 4, static_cast<uint16_t>(value.pairs.size()));
    uint8_t* entry = at + 2 + kHeader;
    for (const auto& single : value.singles) {
        std::memcpy(entry, single.data(), 8);
        entry += 8;
    }
    for (const auto& pair : value.pairs) {
        std::memcpy(entry, pair.data(), 16);
        entry += 16;
    }
    nnotes::UnlockBlock(block);
    if (IsInNote()) return StoreValueInNote(nnotes::BLOCKID{block, 0}, size);
    AdoptValue(nnotes::BLOCKID{block, 0}, DetachedType(value), size);
    return LNNOERROR;
}

LNSTATUS LNListBody::InsertSingles(uint32_t index, const LNListValue& entries) {
    LNListValue value;
    if (const LNSTATUS status = Read(&value)) return status;
    if (index > value.singles.size()) return LNERR_INVALID_PARAMETER;
    value.singles.insert(value.singles.begin() + index, entries.singles.begin(), entries.singles.end());
    return Store(value);
}

LNSTATUS LNListBody::DeleteRun(uint32_t index, uint32_t count, bool joint) {
    if (count == 0) return LNNOERROR;
    LNListValue value;
    if (const LNSTATUS status = Read(&value)) return status;
    const uint64_t singles = value.singles.size();
    const uint64_t limit = joint ? singles + value.pairs.size() : singles;
    if (uint64_t{index} + count > limit) return LNERR_INVALID_PARAMETER;
    const uint64_t end = uint64_t{index} + count;
    const uint64_t singleEnd = end < singles ? end : singles;
    if (index < singleEnd)
        value.singles.erase(value.singles.begin() + index, value.singles.begin() + singleEnd);
    if (end > singles) {
        const uint64_t pairStart = index > singles ? index - singles : 0;
        value.pairs.erase(value.pairs.begin() + pairStart, value.pairs.begin() + (end - singles));
    }
    return Store(value);
}
