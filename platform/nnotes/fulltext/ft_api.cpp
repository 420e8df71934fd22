// The library's full-text operations: index upkeep and searches.
#include "fulltext/ft_index.h"
#include "fulltext/ft_query.h"
#include "fulltext/ft_results.h"
#include "process/process.h"
#include "store/store_handles.h"

namespace nnotes {
namespace {

// An open search holds nothing yet; its handle lets callers bracket their searches as they expect to.
struct OpenSearch {};

// Never destroyed (store::ProcessTable): the library may be ended from a static destructor after this
// table's own would have run.
store::HandleTable<OpenSearch>& Searches() {
    return store::ProcessTable<OpenSearch>();
}

void CloseAllSearches() {
    Searches().RemoveAll();
}

STATUS CheckSearch(const FTSEARCHHANDLE* search, const char* query, HCOLLECTION collection, uint32_t options,
                   DHANDLE refine, const void* reserved) {
    if (STATUS s = RequireProcess()) return s;
    if (search == nullptr || query == nullptr) return ERR_MISSING_ARGUMENT;
    if (Searches().Find(*search) == nullptr) return ERR_FT_SEARCH_HANDLE;
    if (((options & FT_SEARCH_REFINE) && refine == NULLHANDLE) ||
        ((options & FT_SEARCH_SET_COLL) && collection == 0) || reserved != nullptr)
        return ERR_FT_OPTIONS;
    return NOERROR;
}

} // namespace

STATUS FTOpenSearch(FTSEARCHHANDLE* search) {
    if (STATUS s = RequireProcess()) return s;
    if (search == nullptr) return ERR_MISSING_ARGUMENT;
    AtTermProcess(CloseAllSearches);
    const uint32_t handle = Searches().Add(std::make_shared<OpenSearch>());
    if (handle == 0) return ERR_NO_MORE_HANDLES;
    *search = handle;
    return NOERROR;
}

STATUS FTCloseSearch(FTSEARCHHANDLE search) {
    if (STATUS s = RequireProcess()) return s;
    return Searches().Remove(search) ? NOERROR : ERR_FT_SEARCH_HANDLE;
}

STATUS FTSearch(DBHANDLE db, FTSEARCHHANDLE* search, HCOLLECTION collection, const char* query,
                uint32_t options, uint16_t maxDocuments, DHANDLE refine, uint32_t* count,
                const void* reserved, DHANDLE* results) {
    if (count != nullptr) *count = 0;
    if (results != nullptr) *results = NULLHANDLE;
    if (STATUS s = CheckSearch(search, query, collection, options, refine, reserved)) return s;
    std::string match;
    if (STATUS s = fulltext::TranslateQuery(query, match)) return s;
    std::vector<fulltext::Hit> hits;
    if (STATUS s = store::WithDatabase(db, [&](store::Database& d) {
            return fulltext::FindHits(d, match, fulltext::FieldsFor(options), hits);
        }))
        return s;
    if (options & FT_SEARCH_REFINE)
        if (STATUS s = fulltext::KeepHitsIn(refine, hits)) return s;
    // The maximum counts documents the collection shows, so those it does not show go first.
    if (options & FT_SEARCH_SET_COLL)
        if (STATUS s = fulltext::KeepShownHits(collection, hits)) return s;
    fulltext::ScoreHits(hits);
    fulltext::OrderHits(options, maxDocuments, hits);

    const bool scores = (options & FT_SEARCH_SCORES) != 0;
    if (options & FT_SEARCH_SET_COLL)
        if (STATUS s = fulltext::AttachToCollection(collection, hits, scores, true)) return s;
    if (hits.empty()) return ERR_FT_NO_MATCHES;
    if (results != nullptr) {
        const STATUS s = (options & FT_SEARCH_RET_IDTABLE) ? fulltext::MakeHitTable(hits, results)
                                                           : fulltext::MakeResultBlock(hits, scores, results);
        if (s != NOERROR) return s;
    }
    if (count != nullptr) *count = static_cast<uint32_t>(hits.size());
    return NOERROR;
}

STATUS FTIndex(DBHANDLE db, uint16_t options, const char*, FTIndexStats* stats) {
    FTIndexStats counted{};
    const STATUS s = store::WithDatabase(db, [&](store::Database& d) {
        return fulltext::UpdateIndex(d, (options & FT_INDEX_REINDEX) != 0, counted);
    });
    if (s == NOERROR && stats != nullptr) *stats = counted;
    return s;
}

STATUS FTDeleteIndex(DBHANDLE db) {
    return store::WithDatabase(db, [](store::Database& d) { return fulltext::DropIndex(d.Sql()); });
}

STATUS FTGetIndexInfo(DBHANDLE db, Instant* lastIndexed) {
    return store::WithDatabase(db, [&](store::Database& d) {
        Instant when{};
        const STATUS s = fulltext::LastIndexed(d.Sql(), when);
        if (s == NOERROR && lastIndexed != nullptr) *lastIndexed = when;
        return s;
    });
}

} // namespace nnotes
