// libnnotes full text: making, updating and dropping a database's full-text index, and searching it, over
// the whole database or over the documents that a collection shows.
#pragma once

#include <cstdint>

#include "nnotes/collection.h"
#include "nnotes/database.h"
#include "nnotes/memblock.h"
#include "nnotes/status.h"
#include "nnotes/timedate.h"

namespace nnotes {

// A database's full-text index lives in its file. FTIndex makes it and, later, brings it up to the documents
// added, changed and deleted since; FTSearch answers queries from it. What is indexed: the text and text-list
// items of documents (NOTE_CLASS_DOCUMENT); words are matched without regard to case and accents.
// A document deleted since the last FTIndex is never a hit; one changed since is found by what it held then.
// A document's texts are searched as one text: a phrase may run from one item or list entry into the next.
//
// Queries: words ("budget"), phrases in double quotes ("\"annual budget\""), a trailing * for every word that
// begins so ("budg*"), AND (also implied between two terms), OR, NOT and parentheses; AND binds before OR,
// NOT before AND. The operator words are matched without regard to case and are words again inside quotes.
constexpr STATUS ERR_FT_QUERY = 0x0F03;         // the query cannot be read (the status's text says why not)
constexpr STATUS ERR_FT_SEARCH_HANDLE = 0x0F04; // unknown or closed search handle
constexpr STATUS ERR_FT_OPTIONS = 0x0F05;       // options that ask for an argument that was not given

// FTIndex options.
constexpr uint16_t FT_INDEX_REINDEX = 0x0002; // build the index anew from every document
// FTIndex counts what it did; stats may be null.
struct FTIndexStats {
    uint32_t DocsAdded;
    uint32_t DocsUpdated;
    uint32_t DocsDeleted;
    uint32_t BytesIndexed; // text read from the documents indexed in this run
};

// FTSearch options. Hits come in note id order unless sorted by relevance or by date (the last save of a
// document as of the last FTIndex; newest first unless FT_SEARCH_SORT_ASCEND); FT_SEARCH_SORT_DATE wins
// over relevance. FT_SEARCH_STEM_WORDS and FT_SEARCH_THESAURUS_WORDS are accepted and have no effect.
constexpr uint32_t FT_SEARCH_SET_COLL = 0x0001;    // attach the hits to `collection` (see below)
constexpr uint32_t FT_SEARCH_REFINE = 0x0004;      // only documents of the ID table `refine`
constexpr uint32_t FT_SEARCH_SCORES = 0x0008;      // sort by relevance and give scores
constexpr uint32_t FT_SEARCH_RET_IDTABLE = 0x0010; // *results is an ID table, not a result block
constexpr uint32_t FT_SEARCH_SORT_DATE = 0x0020;
constexpr uint32_t FT_SEARCH_SORT_ASCEND = 0x0040;
constexpr uint32_t FT_SEARCH_TOP_SCORES = 0x0080; // the maximum keeps the most relevant, then sorts
constexpr uint32_t FT_SEARCH_STEM_WORDS = 0x0200;
constexpr uint32_t FT_SEARCH_THESAURUS_WORDS = 0x0400;

// The result block: 32-bit count, 32-bit flags (FT_RESULTS_SCORES), count 32-bit note ids in result order,
// then, with scores, count score bytes (1-100, the most relevant hit before the maximum cuts 100). Host byte
// order.
constexpr uint32_t FT_RESULTS_SCORES = 0x0001;

// A search handle: what FTSearch needs between FTOpenSearch and FTCloseSearch.
using FTSEARCHHANDLE = uint32_t;
STATUS FTOpenSearch(FTSEARCHHANDLE* search);
STATUS FTCloseSearch(FTSEARCHHANDLE search);

// Runs query over db's index. With FT_SEARCH_SET_COLL only documents that the collection shows are hits, and
// they (in result order, with their scores) become the collection's hit list; a search without hits empties
// it. maxDocuments 0 means no limit; otherwise the first maxDocuments hits in result order are kept (with
// FT_SEARCH_TOP_SCORES the most relevant ones). *count (may be null) gets the number of hits. results (may be
// null) receives a new block the caller frees: the result block, or with FT_SEARCH_RET_IDTABLE an ID table
// of the hits. No hit gives ERR_FT_NO_MATCHES, *count 0 and no block; no index ERR_FT_NOT_INDEXED. reserved
// must be null.
STATUS FTSearch(DBHANDLE db, FTSEARCHHANDLE* search, HCOLLECTION collection, const char* query,
                uint32_t options, uint16_t maxDocuments, DHANDLE refine, uint32_t* count,
                const void* reserved, DHANDLE* results);

// Makes or updates the index. stopFile (may be null or "") is accepted and has no effect.
STATUS FTIndex(DBHANDLE db, uint16_t options, const char* stopFile, FTIndexStats* stats);
// Drops the index; ERR_FT_NOT_INDEXED when there is none.
STATUS FTDeleteIndex(DBHANDLE db);
// When the index was last brought up to date (lastIndexed may be null); ERR_FT_NOT_INDEXED when there is
// none.
STATUS FTGetIndexInfo(DBHANDLE db, Instant* lastIndexed);

} // namespace nnotes
