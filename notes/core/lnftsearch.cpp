#include "ln/lnftsearch.h"

#include "ln/lnerrors.h"
#include "nnotes/fulltext.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/status.h"

#include <cstring>

LNSTATUS LNFTSearchOptions::SetMaxDocuments(uint32_t count) {
    if (count > 0xFFFF) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    MaxDocuments = static_cast<uint16_t>(count);
    if (count != 0 && (Options & kScores) != 0) Options |= kTopScores;
    return LNNOERROR;
}

uint32_t LNFTSearchOptions::GetSortOrder() const {
    if ((Options & kScores) != 0) return kScores;
    return (Options & kAscend) != 0 ? kSortDate | kAscend : kSortDate;
}

LNSTATUS LNFTSearchOptions::SetSortOrder(uint32_t order) {
    if (order != kScores && order != kSortDate && order != (kSortDate | kAscend))
        return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    Options = (Options & ~(kScores | kSortDate | kAscend | kTopScores)) | order;
    if (order == kScores && MaxDocuments != 0) Options |= kTopScores;
    return LNNOERROR;
}

void LNFTIndexStatistics::SetStatistics(uint32_t added, uint32_t updated, uint32_t deleted, uint32_t bytes) {
    DocsAdded = added;
    DocsUpdated = updated;
    DocsDeleted = deleted;
    BytesIndexed = bytes;
}

namespace {

constexpr uint32_t kHeader = 8;

uint32_t Word(const unsigned char* at) {
    uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

} // namespace

LNFTArrayBody::LNFTArrayBody(nnotes::DHANDLE results) : LNIDTable(nnotes::NULLHANDLE), Results(results) {
    if (Results == nnotes::NULLHANDLE) throw LNERR_NULL_POINTER;
    uint32_t size = 0;
    Block = static_cast<const unsigned char*>(nnotes::LockBlock(Results));
    if (Block == nullptr || nnotes::GetBlockSize(Results, &size) != nnotes::NOERROR || size < kHeader) {
        nnotes::FreeBlock(Results);
        throw LNERR_CORRUPTED;
    }
    const uint32_t count = Word(Block);
    HasScores = (Word(Block + 4) & nnotes::FT_RESULTS_SCORES) != 0;
    // Each result takes 4 bytes, and one more with scores; the stated count must fit the block.
    const uint64_t needed = kHeader + uint64_t{count} * (HasScores ? 5u : 4u);
    if (needed > size) {
        nnotes::FreeBlock(Results);
        throw LNERR_CORRUPTED;
    }
    Count = count;
}

LNFTArrayBody::~LNFTArrayBody() {
    nnotes::FreeBlock(Results);
    if (Table != nnotes::NULLHANDLE) nnotes::DestroyIDTable(Table);
}

void LNFTArrayBody::CheckIndex(uint32_t index) const {
    if (index >= Count) throw LNERR_SUBSCRIPT_OUT_OF_RANGE;
}

nnotes::NOTEID LNFTArrayBody::operator[](uint32_t index) {
    CheckIndex(index);
    return Word(Block + kHeader + 4u * index);
}

uint32_t LNFTArrayBody::GetScore(uint32_t index) const {
    CheckIndex(index);
    return HasScores ? Block[kHeader + 4u * Count + index] : 0;
}

nnotes::DHANDLE LNFTArrayBody::GetHandle() const {
    if (Table != nnotes::NULLHANDLE || Count == 0) return Table;
    nnotes::DHANDLE table = nnotes::NULLHANDLE;
    if (const nnotes::STATUS status = nnotes::CreateIDTable(&table)) throw LNToNotesStatus(status);
    for (uint32_t i = 0; i < Count; ++i)
        if (const nnotes::STATUS status = nnotes::InsertID(table, Word(Block + kHeader + 4u * i), nullptr)) {
            nnotes::DestroyIDTable(table);
            throw LNToNotesStatus(status);
        }
    return Table = table;
}
