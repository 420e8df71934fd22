// Reading a view's design: the column layout of "$ViewFormat" and the name and alias of "$TITLE".
#include "ln/lnerrors.h"
#include "ln/lnviewfolder.h"
#include "nnotes/collection.h"
#include "nnotes/memblock.h"
#include "nnotes/note.h"
#include "nnotes/ods.h"
#include "nnotes/status.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr char kViewFormat[] = "$ViewFormat";
constexpr char kTitle[] = "$TITLE";
constexpr uint16_t kTitleBuffer = 200;

// Unlocks a locked value block when the reading is done, however it ends.
class LockedValue {
public:
    explicit LockedValue(nnotes::BLOCKID value) : Pool(value.pool) {
        auto* base = static_cast<const uint8_t*>(nnotes::LockBlock(Pool));
        Bytes = base != nullptr ? base + value.block : nullptr;
    }
    ~LockedValue() {
        if (Bytes != nullptr) nnotes::UnlockBlock(Pool);
    }
    LockedValue(const LockedValue&) = delete;
    LockedValue& operator=(const LockedValue&) = delete;

    const uint8_t* Bytes;

private:
    nnotes::DHANDLE Pool;
};

} // namespace

LNSTATUS LNViewFolderBody::ReadColumnLayout() {
    const size_t headerLength = nnotes::ODSLength(nnotes::ODS_VIEW_TABLE_FORMAT);
    const size_t columnLength = nnotes::ODSLength(nnotes::ODS_VIEW_COLUMN_FORMAT);
    uint16_t type = 0;
    nnotes::BLOCKID value{};
    uint32_t valueLength = 0;
    const nnotes::STATUS found = nnotes::FindItemByName(GetNoteHandle(), kViewFormat, sizeof kViewFormat - 1,
                                                        nullptr, &type, &value, &valueLength);
    if (nnotes::ERR(found) == nnotes::ERR_ITEM_NOT_FOUND) return LNERR_INVALID_VIEW;
    if (found != nnotes::NOERROR) return LNToNotesStatus(found);
    // A layout of no columns is a view all the same: its entries have note ids and no values.
    if (type != nnotes::TYPE_VIEW_FORMAT || valueLength < headerLength + 2) return LNERR_INVALID_VIEW;

    LockedValue locked(value);
    if (locked.Bytes == nullptr) return LNERR_INVALID_VIEW;
    const void* at = locked.Bytes + 2;
    size_t left = valueLength - 2;
    nnotes::ODSViewTableFormat header{};
    if (nnotes::ReadOnDiskStructure(&at, left, nnotes::ODS_VIEW_TABLE_FORMAT, &header, 1) != nnotes::NOERROR)
        return LNERR_INVALID_VIEW;
    if (header.Version != nnotes::VIEW_FORMAT_VERSION || header.Reserved != 0)
        return LNERR_UNSUPPORTED_VIEW_VERSION;
    left -= headerLength;
    if (left / columnLength < header.Columns) return LNERR_INVALID_VIEW;

    std::vector<nnotes::ODSViewColumnFormat> records(header.Columns);
    if (nnotes::ReadOnDiskStructure(&at, left, nnotes::ODS_VIEW_COLUMN_FORMAT, records.data(),
                                    header.Columns) != nnotes::NOERROR)
        return LNERR_INVALID_VIEW;
    left -= columnLength * header.Columns;
    const char* rest = static_cast<const char*>(at);
    auto take = [&](uint16_t size, std::string* part) {
        if (size > left) return false;
        part->assign(rest, size);
        rest += size;
        left -= size;
        return true;
    };
    std::vector<Column> columns(header.Columns);
    uint32_t firstResponse = kNoResponseColumn;
    for (size_t i = 0; i < records.size(); ++i) {
        Column& column = columns[i];
        column.format = records[i];
        column.summaryIndex = kNotMapped;
        if (!take(records[i].ItemNameSize, &column.itemName) || !take(records[i].TitleSize, &column.title) ||
            !take(records[i].FormulaSize, &column.formula) ||
            !take(records[i].ConstantValueSize, &column.constant))
            return LNERR_INVALID_VIEW;
        if ((records[i].Flags & kColumnResponse) != 0 && firstResponse == kNoResponseColumn)
            firstResponse = static_cast<uint32_t>(i);
    }
    Columns = std::move(columns);
    FirstResponseColumn = firstResponse;
    return LNNOERROR;
}

void LNViewFolderBody::FreeLayout() {
    Columns.clear();
    FirstResponseColumn = kNoResponseColumn;
}

void LNViewFolderBody::ReadTitle() {
    Name = LNString();
    Alias = LNString();
    // Read whole, however long: a cut could fall inside a character, or before the alias.
    uint32_t size = 0;
    if (nnotes::FindItemByName(GetNoteHandle(), kTitle, sizeof kTitle - 1, nullptr, nullptr, nullptr,
                               &size) != nnotes::NOERROR)
        return;
    std::vector<char> buffer(std::clamp<uint32_t>(size + 1, kTitleBuffer, 0xFFFF));
    uint16_t length = 0;
    if (nnotes::GetItemText(GetNoteHandle(), kTitle, buffer.data(), static_cast<uint16_t>(buffer.size()),
                            &length) != nnotes::NOERROR ||
        length == 0)
        return;
    const LNString text(reinterpret_cast<const LNUCHAR*>(buffer.data()), length);
    uint32_t bar = 0;
    if (text.FindChar('|', 0, &bar) != LNNOERROR) {
        Name = text;
        return;
    }
    const uint32_t end = text.GetLength();
    uint32_t aliasStart = bar + 1;
    while (aliasStart < end && text[aliasStart].IsSpace())
        ++aliasStart;
    if (aliasStart < end) text.GetSubstring(aliasStart, end - aliasStart, &Alias);
    uint32_t nameEnd = bar;
    while (nameEnd > 0 && text[nameEnd - 1].IsSpace())
        --nameEnd;
    if (nameEnd > 0) text.GetSubstring(0, nameEnd, &Name);
}

LNString LNViewFolderBody::GetColumnTitle(uint32_t index) const {
    if (!IsViewOpen()) throw NotOpenStatus;
    if (index >= Columns.size()) throw LNERR_OUT_OF_RANGE;
    const std::string& title = Columns[index].title;
    if (title.empty()) return LNString();
    return LNString(reinterpret_cast<const LNUCHAR*>(title.data()), static_cast<uint32_t>(title.size()));
}

LNSTATUS LNViewFolderBody::FindColumn(const LNString& title, uint32_t* index) const {
    if (title.IsEmpty()) return LNERR_NULL_STRING;
    const std::string wanted(reinterpret_cast<const char*>(title.GetTextPtr()), title.GetByteLength());
    for (size_t i = 0; i < Columns.size(); ++i) {
        if (Columns[i].title == wanted) {
            *index = static_cast<uint32_t>(i);
            return LNNOERROR;
        }
    }
    return LNERR_NO_MATCH;
}

void LNViewFolderBody::MapSummary(const std::vector<std::string>& itemNames, bool keep) {
    size_t item = 0;
    for (Column& column : Columns) {
        if (item < itemNames.size() && column.itemName == itemNames[item]) {
            column.summaryIndex = static_cast<uint16_t>(item);
            ++item;
        } else {
            column.summaryIndex = kNotMapped;
        }
    }
    if (keep) Flags |= kSummaryMapped;
}
