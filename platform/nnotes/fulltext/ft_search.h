// Finding the hits of a query in a database's index and putting them in the order a search asks for.
#pragma once

#include "store/database.h"

#include <vector>

namespace nnotes::fulltext {

struct Hit {
    NOTEID id = 0;
    double rank = 0;      // FTS5's bm25: more negative is more relevant
    int64_t modified = 0; // the document's last save, as indexed, in a form that sorts like the instant
    uint8_t score = 0;    // 1-100, the most relevant hit 100
};

// What a search needs of each hit beyond its id, from its FT_SEARCH_ options.
struct HitFields {
    bool rank = false;     // relevance: scores, or the most relevant kept
    bool modified = false; // date order
};
HitFields FieldsFor(uint32_t options);

// The stored documents that match an FTS5 expression, with the fields asked for (others stay 0).
// ERR_FT_NOT_INDEXED without an index; ERR_FT_QUERY when the index refuses the expression.
STATUS FindHits(store::Database& db, const std::string& match, HitFields fields, std::vector<Hit>& hits);

// Keeps the hits whose ids the ID table holds (read from a copy, so the caller's scan stays where it was).
STATUS KeepHitsIn(DHANDLE table, std::vector<Hit>& hits);

// Scores the hits from their ranks: 1 to 100, relative to the most relevant of them.
void ScoreHits(std::vector<Hit>& hits);

// Orders the hits by the FT_SEARCH_ options and keeps at most maxDocuments (0: all) of them.
void OrderHits(uint32_t options, uint16_t maxDocuments, std::vector<Hit>& hits);

} // namespace nnotes::fulltext
