// Hits handed to an open collection, which walks them with its hit navigation.
#include "fulltext/ft_results.h"
#include "views/collection.h"

#include <cstring>
#include <unordered_set>

namespace nnotes::fulltext {
namespace {

// The note ids of the collection's present hit list, read back in pieces of at most one buffer each.
STATUS HitListIds(HCOLLECTION collection, std::unordered_set<NOTEID>& ids) {
    CollectionPosition position{};
    uint16_t signal = SIGNAL_MORE_TO_DO;
    while (signal & SIGNAL_MORE_TO_DO) {
        DHANDLE buffer = NULLHANDLE;
        uint16_t length = 0;
        uint32_t returned = 0;
        if (STATUS s = ReadEntries(collection, &position, NAVIGATE_NEXT_HIT, 1, NAVIGATE_NEXT_HIT, 0xFFFFFFFF,
                                   READ_MASK_NOTEID, &buffer, &length, nullptr, &returned, &signal))
            return ERR(s) == ERR_NOT_FOUND ? NOERROR : s;
        if (buffer == NULLHANDLE) return NOERROR;
        const auto* bytes = static_cast<const char*>(LockBlock(buffer));
        for (uint32_t i = 0; bytes != nullptr && i < returned && 4 * (i + 1) <= length; ++i) {
            NOTEID id;
            std::memcpy(&id, bytes + 4 * i, sizeof id);
            ids.insert(id);
        }
        if (bytes != nullptr) UnlockBlock(buffer);
        FreeBlock(buffer); // the position is left at the last hit read; the next piece begins after it
    }
    return NOERROR;
}

} // namespace

STATUS AttachToCollection(HCOLLECTION collection, const std::vector<Hit>& hits, bool scores, bool shown) {
    std::vector<std::pair<NOTEID, uint16_t>> list;
    list.reserve(hits.size());
    for (const Hit& h : hits)
        list.emplace_back(h.id, scores ? h.score : 0);
    return shown ? NarrowHitList(collection, list, nullptr) : AttachHitList(collection, list, nullptr);
}

STATUS KeepShownHits(HCOLLECTION collection, std::vector<Hit>& hits) {
    // The collection knows which documents it shows: it keeps those of a hit list handed to it.
    if (STATUS s = AttachToCollection(collection, hits, false, false)) return s;
    std::unordered_set<NOTEID> shown;
    if (STATUS s = HitListIds(collection, shown)) return s;
    std::erase_if(hits, [&](const Hit& h) { return !shown.contains(h.id); });
    return NOERROR;
}

} // namespace nnotes::fulltext
