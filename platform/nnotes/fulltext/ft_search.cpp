#include "fulltext/ft_search.h"

#include "fulltext/ft_index.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace nnotes::fulltext {

void ScoreHits(std::vector<Hit>& hits) {
    double best = 0;
    for (const Hit& h : hits)
        best = std::min(best, h.rank);
    for (Hit& h : hits) {
        const double share = best < 0 ? h.rank / best : 1.0;
        h.score = static_cast<uint8_t>(std::clamp(std::lround(100 * share), 1L, 100L));
    }
}

HitFields FieldsFor(uint32_t options) {
    HitFields fields;
    fields.rank = (options & (FT_SEARCH_SCORES | FT_SEARCH_TOP_SCORES)) != 0;
    fields.modified = (options & FT_SEARCH_SORT_DATE) != 0;
    return fields;
}

STATUS FindHits(store::Database& db, const std::string& match, HitFields fields, std::vector<Hit>& hits) {
    // Documents deleted since the index was last updated are still in it; only stored ones are hits. The
    // match drives the joins (CROSS JOIN fixes the order): a membership test on the notes would make the
    // planner run the match once per stored note. Ranking reads each hit's sizes and the date its row of
    // ft_docs, so each is read only when the search asks for it. The statement layer reads integers, so the
    // rank comes in billionths.
    static constexpr const char* kQueries[2][2] = {
        {"SELECT t.rowid, 0, 0 FROM ft_text t CROSS JOIN notes n ON n.id = t.rowid WHERE ft_text MATCH ?",
         "SELECT t.rowid, 0, d.modified FROM ft_text t CROSS JOIN ft_docs d ON d.note = t.rowid"
         " CROSS JOIN notes n ON n.id = t.rowid WHERE ft_text MATCH ?"},
        {"SELECT t.rowid, CAST(bm25(ft_text) * 1e9 AS INTEGER), 0 FROM ft_text t"
         " CROSS JOIN notes n ON n.id = t.rowid WHERE ft_text MATCH ?",
         "SELECT t.rowid, CAST(bm25(ft_text) * 1e9 AS INTEGER), d.modified FROM ft_text t"
         " CROSS JOIN ft_docs d ON d.note = t.rowid CROSS JOIN notes n ON n.id = t.rowid"
         " WHERE ft_text MATCH ?"}};
    store::Connection& sql = db.Sql();
    // One statement reads one snapshot; only when it fails is it asked whether there is an index at all.
    const auto failed = [&](STATUS otherwise) {
        bool exists = false;
        if (STATUS s = IndexExists(sql, exists)) return s;
        return exists ? otherwise : ERR_FT_NOT_INDEXED;
    };
    STATUS s;
    store::Statement* q = sql.Prepare(kQueries[fields.rank][fields.modified], &s);
    if (q == nullptr) return failed(s);
    q->Bind(1, match);
    int rc;
    while ((rc = q->Step()) == SQLITE_ROW)
        hits.push_back({static_cast<NOTEID>(q->Int(0)), static_cast<double>(q->Int(1)) / 1e9, q->Int(2), 0});
    q->Reset();
    // FTS5 reports an expression it cannot use as a plain SQL error.
    if (rc == SQLITE_ERROR) return failed(ERR_FT_QUERY);
    return rc == SQLITE_DONE ? NOERROR : store::StatusOf(rc);
}

STATUS KeepHitsIn(DHANDLE table, std::vector<Hit>& hits) {
    DHANDLE copy = NULLHANDLE;
    if (STATUS s = CopyIDTable(table, &copy)) return s;
    std::unordered_set<NOTEID> ids;
    NOTEID id = 0;
    for (bool first = true; IDScan(copy, first, &id) == NOERROR; first = false)
        ids.insert(id);
    DestroyIDTable(copy);
    std::erase_if(hits, [&](const Hit& h) { return !ids.contains(h.id); });
    return NOERROR;
}

void OrderHits(uint32_t options, uint16_t maxDocuments, std::vector<Hit>& hits) {
    auto byRelevance = [](const Hit& a, const Hit& b) {
        return a.rank != b.rank ? a.rank < b.rank : a.id < b.id;
    };
    if ((options & FT_SEARCH_TOP_SCORES) && maxDocuments != 0 && hits.size() > maxDocuments) {
        std::sort(hits.begin(), hits.end(), byRelevance);
        hits.resize(maxDocuments);
    }
    if (options & FT_SEARCH_SORT_DATE) {
        const bool ascending = (options & FT_SEARCH_SORT_ASCEND) != 0;
        std::sort(hits.begin(), hits.end(), [ascending](const Hit& a, const Hit& b) {
            if (a.modified != b.modified)
                return ascending ? a.modified < b.modified : a.modified > b.modified;
            return a.id < b.id;
        });
    } else if (options & FT_SEARCH_SCORES) {
        std::sort(hits.begin(), hits.end(), byRelevance);
    } else {
        std::sort(hits.begin(), hits.end(), [](const Hit& a, const Hit& b) { return a.id < b.id; });
    }
    if (maxDocuments != 0 && hits.size() > maxDocuments) hits.resize(maxDocuments);
}

} // namespace nnotes::fulltext
