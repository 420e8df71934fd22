#include "fulltext/ft_results.h"

#include <cstring>

namespace nnotes::fulltext {

STATUS MakeResultBlock(const std::vector<Hit>& hits, bool scores, DHANDLE* block) {
    const uint64_t size = 8 + uint64_t{hits.size()} * (scores ? 5 : 4);
    if (size > MAXBLOCKSIZE) return ERR_BLOCK_TOO_LARGE;
    DHANDLE handle = NULLHANDLE;
    if (STATUS s = AllocateBlock(0, static_cast<uint32_t>(size), &handle)) return s;
    auto* bytes = static_cast<uint8_t*>(LockBlock(handle));
    if (bytes == nullptr) {
        FreeBlock(handle);
        return ERR_BAD_HANDLE;
    }
    const uint32_t head[2] = {static_cast<uint32_t>(hits.size()), scores ? FT_RESULTS_SCORES : 0u};
    std::memcpy(bytes, head, sizeof head);
    uint8_t* ids = bytes + sizeof head;
    uint8_t* scoreBytes = ids + 4 * hits.size();
    for (size_t i = 0; i < hits.size(); ++i) {
        std::memcpy(ids + 4 * i, &hits[i].id, 4);
        if (scores) scoreBytes[i] = hits[i].score;
    }
    UnlockBlock(handle);
    *block = handle;
    return NOERROR;
}

STATUS MakeHitTable(const std::vector<Hit>& hits, DHANDLE* table) {
    DHANDLE handle = NULLHANDLE;
    if (STATUS s = CreateIDTable(&handle)) return s;
    for (const Hit& h : hits)
        if (STATUS s = InsertID(handle, h.id, nullptr)) {
            DestroyIDTable(handle);
            return s;
        }
    *table = handle;
    return NOERROR;
}

} // namespace nnotes::fulltext
