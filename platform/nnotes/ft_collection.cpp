#include "collection.h"
#include "ft_results.h"

namespace nnotes::fulltext {

STATUS AttachToCollection(HCOLLECTION collection, const std::vector<Hit>& hits, bool scores, uint32_t* kept) {
    std::vector<std::pair<NOTEID, uint16_t>> list;
    list.reserve(hits.size());
    for (const Hit& h : hits)
        list.emplace_back(h.id, scores ? h.score : 0);
    return AttachHitList(collection, list, kept);
}

} // namespace nnotes::fulltext
