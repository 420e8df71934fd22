// An entry as it was read: its header, its summary items, its statistics and the document it stands for.
#include "ln/lnassert.h"
#include "ln/lnerrors.h"
#include "ln/lnvfentry.h"
#include "lnvfnavigatorbody.h"
#include "nnotes/collection.h"
#include "nnotes/idtable.h"
#include "nnotes/memblock.h"
#include "util/coding.h"

#include <cstring>

namespace {

// The fixed part of an entry in the read buffer: note id, note class, indent levels, and in full-text results
// the score.
constexpr uint16_t kEntryHeader = 8, kFTEntryHeader = 10;
// An entry read ahead: note id, note class, peer number, indent levels.
constexpr uint16_t kAheadEntryHeader = 12;
constexpr uint32_t kAllEntries = 0xFFFFFFFF;
constexpr uint8_t kDeepestLevel = 31;

template <class T>
T Get(const uint8_t* at) {
    T value{};
    std::memcpy(&value, at, sizeof value);
    return value;
}

} // namespace

LNVFEntryRun::LNVFEntryRun(nnotes::DHANDLE buffer)
    : Buffer(buffer), Locked(static_cast<const uint8_t*>(nnotes::LockBlock(buffer))) {}

LNVFEntryRun::~LNVFEntryRun() {
    if (Locked != nullptr) nnotes::UnlockBlock(Buffer);
    nnotes::FreeBlock(Buffer);
}

LNVFEntryBody::LNVFEntryBody(LNVFNavigatorBody* navigator, const LNVFPosition& position,
                             nnotes::DHANDLE buffer, uint16_t length, LNSTATUS* status)
    : Buffer(buffer), Length(length) {
    LN_ASSERT(navigator && buffer != nnotes::NULLHANDLE && length, "ventbody", 79);
    Navigator.Attach(navigator);
    Position = position;
    HeaderSize = navigator->IsFTSearch() ? kFTEntryHeader : kEntryHeader;
    const auto* bytes = static_cast<const uint8_t*>(nnotes::LockBlock(Buffer));
    *status = LNERR_VIEW_ENTRY_CREATE;
    if (bytes == nullptr) return;
    ReadHeader(navigator, bytes, length, status);
    nnotes::UnlockBlock(Buffer);
}

LNVFEntryBody::LNVFEntryBody(LNVFNavigatorBody* navigator, const LNVFPosition& position,
                             std::shared_ptr<const LNVFEntryRun> run, uint32_t offset, uint16_t length,
                             LNSTATUS* status)
    : Run(std::move(run)), Offset(offset), Length(length) {
    LN_ASSERT(navigator && Run && Run->Bytes() && length, "ventbody", 80);
    Navigator.Attach(navigator);
    Position = position;
    HeaderSize = kAheadEntryHeader;
    *status = LNERR_VIEW_ENTRY_CREATE;
    ReadHeader(navigator, Run->Bytes() + Offset, length, status);
}

void LNVFEntryBody::TakeNext(const LNVFPosition& position, const std::shared_ptr<const LNVFEntryRun>& run,
                             uint32_t offset, uint16_t length, LNSTATUS* status) {
    LNVFNavigatorBody* navigator = Navigator.GetVFNavigatorBody();
    LN_ASSERT(navigator && Buffer == nnotes::NULLHANDLE && run && run->Bytes() && length, "ventbody", 81);
    if (Run != run) Run = run;
    Offset = offset;
    Length = length;
    Position = position;
    ChildCount = DescendantCount = SiblingCount = PeerNumber = 0;
    Flags = 0;
    IndentLevels = 0;
    NoteID = 0;
    Score = 0;
    HeaderSize = kAheadEntryHeader;
    *status = LNERR_VIEW_ENTRY_CREATE;
    ReadHeader(navigator, Run->Bytes() + Offset, length, status);
}

void LNVFEntryBody::ReadHeader(LNVFNavigatorBody* navigator, const uint8_t* bytes, uint16_t length,
                               LNSTATUS* status) {
    const bool hits = navigator->IsFTSearch();
    if (length >= HeaderSize + 2u && util::DecodeFixed16(bytes + HeaderSize) == length - HeaderSize) {
        NoteID = Get<nnotes::NOTEID>(bytes);
        IndentLevels = Get<uint16_t>(bytes + (hits ? 6 : HeaderSize - 2));
        if (hits) {
            Flags = kFTEntry | kStatisticsKnown;
            SiblingCount = navigator->GetEntryCount();
            if (navigator->HasScores()) Score = Get<uint16_t>(bytes + 8);
        }
        *status = LNNOERROR;
    }
    if ((NoteID & nnotes::NOTEID_CATEGORY) != 0)
        EntryType = (NoteID & nnotes::NOTEID_TOTAL) == nnotes::NOTEID_TOTAL ? LNVFENTRYTYPE_TOTAL
                                                                            : LNVFENTRYTYPE_CATEGORY;
    else
        EntryType = IndentLevels != 0 ? LNVFENTRYTYPE_RESPONSE : LNVFENTRYTYPE_MAIN_DOCUMENT;
    RefreshTime = navigator->GetRefreshTime();
}

LNVFEntryBody::~LNVFEntryBody() {
    Close();
}

LNSTATUS LNVFEntryBody::Close() {
    if (Buffer != nnotes::NULLHANDLE) nnotes::FreeBlock(Buffer);
    Buffer = nnotes::NULLHANDLE;
    Run.reset();
    Length = 0;
    return LNNOERROR;
}

const uint8_t* LNVFEntryBody::LockBytes() const {
    if (Run) return Run->Bytes() + Offset;
    return static_cast<const uint8_t*>(nnotes::LockBlock(Buffer));
}

void LNVFEntryBody::UnlockBytes() const {
    if (!Run) nnotes::UnlockBlock(Buffer);
}

void LNVFEntryBody::ReadSummary(std::vector<std::string>* names, std::vector<std::string>* values) const {
    const uint8_t* base = LockBytes();
    if (base == nullptr) throw LNERR_VIEW_ENTRY_CREATE;
    const uint8_t* table = base + HeaderSize;
    const size_t size = Length - HeaderSize;
    const size_t count = util::DecodeFixed16(table + 2);
    size_t at = 4 + 4 * count;
    bool whole = size >= 4 && at <= size;
    for (size_t i = 0; whole && i < count; ++i) {
        const size_t nameLength = util::DecodeFixed16(table + 4 + 4 * i);
        const size_t valueLength = util::DecodeFixed16(table + 6 + 4 * i);
        whole = nameLength + valueLength <= size - at;
        if (!whole) break;
        const char* name = reinterpret_cast<const char*>(table + at);
        if (names != nullptr) names->emplace_back(name, nameLength);
        if (values != nullptr) values->emplace_back(name + nameLength, valueLength);
        at += nameLength + valueLength;
    }
    UnlockBytes();
    if (!whole) throw LNERR_VIEW_ENTRY_CREATE;
}

std::optional<std::string> LNVFEntryBody::ReadSummaryValue(size_t index) const {
    // A row walk reads every column of every row: one value is copied, the others only checked for their
    // bounds as ReadSummary checks them.
    const uint8_t* base = LockBytes();
    if (base == nullptr) throw LNERR_VIEW_ENTRY_CREATE;
    const uint8_t* table = base + HeaderSize;
    const size_t size = Length - HeaderSize;
    const size_t count = size >= 4 ? util::DecodeFixed16(table + 2) : 0;
    size_t at = 4 + 4 * count;
    bool whole = size >= 4 && at <= size;
    std::optional<std::string> value;
    for (size_t i = 0; whole && i < count; ++i) {
        const size_t nameLength = util::DecodeFixed16(table + 4 + 4 * i);
        const size_t valueLength = util::DecodeFixed16(table + 6 + 4 * i);
        whole = nameLength + valueLength <= size - at;
        if (whole && i == index)
            value.emplace(reinterpret_cast<const char*>(table + at + nameLength), valueLength);
        at += nameLength + valueLength;
    }
    UnlockBytes();
    if (!whole) throw LNERR_VIEW_ENTRY_CREATE;
    return value;
}

void LNVFEntryBody::ReadStatistics() {
    if ((Flags & kStatisticsKnown) != 0) return;
    LNVFNavigatorBody* navigator = Navigator.GetVFNavigatorBody();
    if (!navigator->IsOpen()) throw navigator->GetStatus();
    LNVFPosition at = Position;
    uint32_t statistics[4] = {};
    if (const LNSTATUS status = navigator->ReadStatistics(at.GetPositionData(), statistics)) throw status;
    SiblingCount = statistics[0];
    ChildCount = statistics[1];
    DescendantCount = statistics[2];
    PeerNumber = statistics[3];
    Flags |= kStatisticsKnown;
    const nnotes::CollectionPosition& start = *navigator->GetStartPosition().GetPositionData();
    if (navigator->IsRestricted() && Position.GetPositionData()->Level >= start.MaxLevel) {
        ChildCount = 0;
        DescendantCount = 0;
    }
    if (!navigator->IsRestricted() && !navigator->IsCategorized()) return;
    LNVFNavigatorBody::Read recount;
    recount.skipCode = nnotes::NAVIGATE_NEXT_DESCENDANT;
    recount.skipCount = kAllEntries;
    at = Position;
    if (navigator->IsRestricted() && start.MaxLevel < kDeepestLevel) {
        LN_ASSERT(start.MaxLevel, "ventbody", 590);
        at.GetPositionData()->MaxLevel = start.MaxLevel;
        recount.skipCode |= nnotes::NAVIGATE_MAXLEVEL;
    }
    const LNSTATUS counted = navigator->ReadEntries(at.GetPositionData(), recount);
    if (counted != LNNOERROR) {
        DescendantCount = 0;
        throw counted == LNWARN_NOT_FOUND ? LNERR_READ_ENTRIES_FAILED : counted;
    }
    DescendantCount = recount.skipped;
}

uint32_t LNVFEntryBody::GetChildCount() {
    ReadStatistics();
    return ChildCount;
}

uint32_t LNVFEntryBody::GetDescendantCount() {
    ReadStatistics();
    return DescendantCount;
}

uint32_t LNVFEntryBody::GetSiblingCount() {
    ReadStatistics();
    return SiblingCount;
}

LNSTATUS LNVFEntryBody::DocumentDatabase(LNDatabaseBody** database) const {
    if (EntryType != LNVFENTRYTYPE_MAIN_DOCUMENT && EntryType != LNVFENTRYTYPE_RESPONSE)
        return LNERR_CATEGORY_DOCUMENT;
    const LNVFNavigatorBody* navigator = Navigator.GetVFNavigatorBody();
    LN_ASSERT(navigator, "ventbody", 676);
    const LNViewFolderBody* view = navigator->GetViewFolderBody();
    if (view == nullptr) return navigator->GetStatus();
    *database = view->GetViewDatabase().GetDatabaseBody();
    return *database == nullptr ? LNERR_NOT_INITIALIZED : LNNOERROR;
}

LNSTATUS LNVFEntryBody::GetDocument(LNDocument* document) const {
    if (document == nullptr) return LNERR_NULL_POINTER;
    LNDatabaseBody* database = nullptr;
    if (const LNSTATUS status = DocumentDatabase(&database)) return status;
    LNSTATUS status = LNNOERROR;
    auto* body = new LNDocumentBody(database, NoteID, LNMAILMSGTYPE_DOCUMENT, &status);
    if (status != LNNOERROR) {
        delete body;
        return status;
    }
    document->SetNoteBody(body);
    return LNNOERROR;
}

nnotes::NOTEID LNVFEntryBody::GetDocumentNoteID() const {
    LNDatabaseBody* database = nullptr;
    return DocumentDatabase(&database) == LNNOERROR ? NoteID : 0;
}
