// A database's full-text index.
#include "ln/lndatabase.h"
#include "ln/lnerrors.h"
#include "ln/lnftsearch.h"
#include "ln/lnsessiontext.h"
#include "nnotes/fulltext.h"
#include "nnotes/status.h"

LNSTATUS LNDatabase::CreateFTIndex(uint16_t options, const LNString& stopFile,
                                   LNFTIndexStatistics* statistics) {
    LNDatabaseBody* body = nullptr;
    if (const LNSTATUS status = Opened(&body)) return status;
    nnotes::FTIndexStats stats = {};
    const char* stop = stopFile.IsEmpty() ? nullptr : LNNotesText(stopFile);
    if (const nnotes::STATUS status = nnotes::FTIndex(body->GetHandle(), options, stop, &stats))
        return LNReturnOrThrowNotesStatus(status);
    body->FTIndexOptions = options;
    if (statistics != nullptr)
        statistics->SetStatistics(stats.DocsAdded, stats.DocsUpdated, stats.DocsDeleted, stats.BytesIndexed);
    return LNNOERROR;
}

LNSTATUS LNDatabase::UpdateFTIndex(LNFTIndexStatistics* statistics) {
    return CreateFTIndex(256, LNString(), statistics);
}

LNSTATUS LNDatabase::DeleteFTIndex() {
    LNDatabaseBody* body = nullptr;
    if (const LNSTATUS status = Opened(&body)) return status;
    const nnotes::STATUS status = nnotes::FTDeleteIndex(body->GetHandle());
    body->FTIndexOptions = 256;
    return LNReturnOrThrowNotesStatus(status);
}

LNSTATUS LNDatabase::GetFTIndexOptions(uint16_t* options) {
    LNDatabaseBody* body = nullptr;
    if (const LNSTATUS status = Opened(&body)) return status;
    if (options == nullptr) return LNReturnOrThrow(LNERR_NULL_POINTER);
    if (const nnotes::STATUS status = nnotes::FTGetIndexInfo(body->GetHandle(), nullptr))
        return LNReturnOrThrowNotesStatus(status);
    *options = body->FTIndexOptions;
    return LNNOERROR;
}

bool LNDatabase::IsFTIndexed() {
    const nnotes::STATUS status = nnotes::FTGetIndexInfo(RequireOpen()->GetHandle(), nullptr);
    if (nnotes::ERR(status) == nnotes::ERR_FT_NOT_INDEXED) return false;
    if (status != nnotes::NOERROR) throw LNToNotesStatus(status);
    return true;
}
