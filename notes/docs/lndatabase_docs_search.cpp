// Formula and full-text searches of a database; both hand out note arrays.
#include "ln/lndatabase.h"
#include "ln/lnerrors.h"
#include "ln/lnftsearch.h"
#include "ln/lnnotearray.h"
#include "ln/lnsearchoptions.h"
#include "ln/lnsessiontext.h"
#include "nnotes/database.h"
#include "nnotes/formula.h"
#include "nnotes/fulltext.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "nnotes/status.h"
#include "nnotes/timedate.h"

#include <cstring>

namespace {

// The unset bound of a search window (every bit set) limits nothing; the store would order it above every
// date and so skip every note.
bool IsUnset(const nnotes::Instant& bound) {
    return bound.words[0] == 0xFFFFFFFFu && bound.words[1] == 0xFFFFFFFFu;
}

struct SearchContext {
    nnotes::DHANDLE table;
    const nnotes::Instant* end;
    uint32_t maximum;
    uint32_t counter = 0;
};

int Compare(const nnotes::Instant& a, const nnotes::Instant& b) {
    int order = 0;
    nnotes::CompareInstants(&a, &b, &order);
    return order;
}

nnotes::STATUS Collect(void* context, const nnotes::SearchMatch* match, const nnotes::SearchSummary*) {
    auto* search = static_cast<SearchContext*>(context);
    if ((match->flags & nnotes::SE_MATCH) == 0) return nnotes::NOERROR;
    if (search->maximum != 0 && search->counter >= search->maximum) return nnotes::NOERROR;
    // The window is one of changes, as the store's "reached" is: the stamp of the note's last save.
    const nnotes::Instant& stamp = match->oid.sequenceTime;
    if (!IsUnset(*search->end) && Compare(stamp, *search->end) > 0) return nnotes::NOERROR;
    if (const nnotes::STATUS status = nnotes::InsertID(search->table, match->id, nullptr)) return status;
    ++search->counter;
    return nnotes::NOERROR;
}

} // namespace

LNSTATUS LNDatabase::Search(const LNString& formula, LNNoteArray* result, LNSearchOptions* options) {
    LNDatabaseBody* body = nullptr;
    if (const LNSTATUS status = Opened(&body)) return status;
    if (result == nullptr) return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
    const LNSearchOptions defaults;
    const LNSearchOptions& used = options != nullptr ? *options : defaults;
    nnotes::DHANDLE compiled = nnotes::NULLHANDLE;
    if (!formula.IsEmpty()) {
        uint16_t length = 0;
        if (const nnotes::STATUS status = nnotes::CompileFormula(
                LNNotesText(formula), static_cast<uint16_t>(formula.GetByteLength()), &compiled, &length))
            return LNReturnOrThrowNotesStatus(status);
    }
    SearchContext context{nnotes::NULLHANDLE, &used.GetEndTime(), used.GetMaxNotes()};
    if (const nnotes::STATUS status = nnotes::CreateIDTable(&context.table)) {
        if (compiled != nnotes::NULLHANDLE) nnotes::FreeBlock(compiled);
        return LNReturnOrThrowNotesStatus(status);
    }
    // The store itself keeps to notes saved after the begin time: one search's reached time passed on as the
    // next one's begin sees every note saved since exactly once, and none it has already seen.
    const nnotes::Instant* since = IsUnset(used.GetBeginTime()) ? nullptr : &used.GetBeginTime();
    nnotes::Instant reached;
    const nnotes::STATUS status = nnotes::SearchDatabase(body->GetHandle(), compiled, 0, used.GetNoteClass(),
                                                         since, Collect, &context, &reached);
    if (compiled != nnotes::NULLHANDLE) nnotes::FreeBlock(compiled);
    if (options != nullptr && status == nnotes::NOERROR) options->SetEndTimeReached(reached);
    if (status != nnotes::NOERROR || context.counter == 0) {
        nnotes::DestroyIDTable(context.table);
        if (status != nnotes::NOERROR) return LNReturnOrThrowNotesStatus(status);
        result->SetBody(body, nullptr, used.GetNoteClass());
        return LNWARN_NOT_FOUND;
    }
    auto* table = new LNIDTable(context.table);
    if (const LNSTATUS added = body->AddObject(table)) {
        delete table;
        return added;
    }
    result->SetBody(body, table, used.GetNoteClass());
    return LNNOERROR;
}

LNSTATUS LNDatabase::FTSearch(const LNString& query, LNDocumentArray* result) {
    return FTSearch(query, result, LNFTSearchOptions());
}

LNSTATUS LNDatabase::FTSearch(const LNString& query, LNDocumentArray* result,
                              const LNFTSearchOptions& options) {
    return Search(query, result, options, nullptr);
}

LNSTATUS LNDatabase::FTSearch(const LNString& query, LNDocumentArray* result,
                              const LNFTSearchOptions& options, const LNNoteArray& restrict) {
    return Search(query, result, options, & restrict);
}

LNSTATUS LNDatabase::Search(const LNString& query, LNDocumentArray* result, const LNFTSearchOptions& options,
                            const LNNoteArray* restrict) {
    LNDatabaseBody* body = nullptr;
    if (const LNSTATUS status = Opened(&body)) return status;
    if (query.IsEmpty()) return LNReturnOrThrow(LNERR_NULL_STRING);
    if (result == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    uint32_t flags = options.GetOptions();
    nnotes::DHANDLE refine = nnotes::NULLHANDLE;
    if (restrict != nullptr) {
        if (restrict->GetDatabase().IsNull()) return LNReturnOrThrow(LNERR_UNINITIALIZED_OBJECT);
        const LNCLASSID id = restrict->GetClassID();
        if (id != LNCLASSID_LNDOCUMENTARRAY && id != LNCLASSID_LNNOTEARRAY)
            return LNReturnOrThrow(LNERR_INVALID_PARAMETER);
        // An empty array restricts the search to nothing.
        if (restrict->IsNull()) {
            result->SetBody(body, nullptr, LNNOTECLASS_DOCUMENT);
            return LNWARN_NOT_FOUND;
        }
        refine = restrict->GetIDTableHandle();
        flags |= nnotes::FT_SEARCH_REFINE;
    }
    nnotes::FTSEARCHHANDLE search = 0;
    nnotes::STATUS status = nnotes::FTOpenSearch(&search);
    nnotes::DHANDLE results = nnotes::NULLHANDLE;
    if (status == nnotes::NOERROR) {
        status = nnotes::FTSearch(body->GetHandle(), &search, 0, LNNotesText(query), flags,
                                  static_cast<uint16_t>(options.GetMaxDocuments()), refine, nullptr, nullptr,
                                  &results);
        nnotes::FTCloseSearch(search);
    }
    if (nnotes::ERR(status) == nnotes::ERR_FT_NO_MATCHES) {
        result->SetBody(body, nullptr, LNNOTECLASS_DOCUMENT);
        return LNWARN_NOT_FOUND;
    }
    if (status != nnotes::NOERROR) return LNReturnOrThrowNotesStatus(status);
    auto* hits = new LNFTArrayBody(results);
    if (const LNSTATUS added = body->AddObject(hits)) {
        delete hits;
        return added;
    }
    result->SetBody(body, hits, LNNOTECLASS_DOCUMENT);
    return LNNOERROR;
}
