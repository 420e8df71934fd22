// Column values of an entry: from the summary the view keeps for the row, from the column's constant, or from
// its formula evaluated without a document.
#include "ln/lnassert.h"
#include "ln/lndatetimeranges.h"
#include "ln/lndatetimes.h"
#include "ln/lnerrors.h"
#include "ln/lnnumbers.h"
#include "ln/lnstringtext.h"
#include "ln/lntext.h"
#include "ln/lnvfentry.h"
#include "lnvfnavigatorbody.h"
#include "nnotes/collection.h"
#include "nnotes/formula.h"
#include "nnotes/memblock.h"
#include "nnotes/nls.h"
#include "nnotes/note.h"
#include "nnotes/status.h"
#include "util/coding.h"

#include <algorithm>
#include <cstring>

namespace {

// The escape byte that starts a special value in a constant text.
constexpr char kSpecialEscape = 0x7F;
constexpr size_t kMinimumTranslation = 128, kTranslationFactor = 4, kLongConstant = 32;

std::string WithType(uint16_t type, const char* data, size_t length) {
    std::string value;
    util::PutFixed16(&value, type);
    return value.append(data, length);
}

// Frees an evaluation's result block, however the reading of it ends.
class ResultBlock {
public:
    ~ResultBlock() {
        if (Handle != nnotes::NULLHANDLE) nnotes::FreeBlock(Handle);
    }
    nnotes::DHANDLE Handle = nnotes::NULLHANDLE;
};

std::string Evaluate(const std::string& formula) {
    nnotes::HCOMPUTE compute = 0;
    if (nnotes::ComputeStart(formula.data(), static_cast<uint16_t>(formula.size()), &compute) !=
        nnotes::NOERROR)
        throw LNERR_COLUMN_FORMULA;
    ResultBlock result;
    uint32_t length = 0;
    const nnotes::STATUS evaluated =
        nnotes::ComputeEvaluate(compute, nnotes::NULLHANDLE, &result.Handle, &length, nullptr);
    const nnotes::STATUS stopped = nnotes::ComputeStop(compute);
    if (evaluated != nnotes::NOERROR || stopped != nnotes::NOERROR) throw LNERR_COLUMN_FORMULA;
    const char* bytes = static_cast<const char*>(nnotes::LockBlock(result.Handle));
    if (bytes == nullptr) throw LNERR_COLUMN_FORMULA;
    std::string value(bytes, length);
    nnotes::UnlockBlock(result.Handle);
    return value;
}

// The item for a value (type word first); values of no more than their type, or of other types, are empty.
LNItem MakeItem(const std::string& value) {
    if (value.size() <= 2) return LNItem();
    const uint16_t type = util::DecodeFixed16(value.data());
    const char* data = value.data() + 2;
    const auto size = static_cast<uint32_t>(value.size() - 2);
    LNItemBody* body = nullptr;
    switch (type) {
    case nnotes::TYPE_TEXT:
    case nnotes::TYPE_TEXT_LIST:
        body = new LNTextBody(data, type, size);
        break;
    case nnotes::TYPE_NUMBER:
    case nnotes::TYPE_NUMBER_RANGE:
        body = new LNNumbersBody(data, type, size);
        break;
    case nnotes::TYPE_TIME:
        body = new LNDatetimesBody(data, type, size);
        break;
    case nnotes::TYPE_TIME_RANGE: {
        // A range list without ranges is a plain list of instants.
        const uint16_t ranges = size >= 4 ? util::DecodeFixed16(data + 2) : 0;
        if (ranges == 0)
            body = new LNDatetimesBody(data, type, size);
        else
            body = new LNDatetimeRangesBody(data, type, size);
        break;
    }
    default:
        return LNItem();
    }
    return LNItem(body, nullptr);
}

// The platform text of a summary text, into text (its storage reused). Text of plain ASCII reads the same in
// both character sets and is copied as it stands, with the line ends Translate makes of its zero bytes.
void PlatformTextInto(const char* data, uint32_t length, std::string& text) {
    text.resize(length);
    char* out = text.data();
    uint32_t copied = 0;
    // Eight bytes at a time while none is a zero byte or outside ASCII; the bytes from there go one by one.
    constexpr uint64_t kOnes = 0x0101010101010101, kHighs = 0x8080808080808080;
    for (; length - copied >= 8; copied += 8) {
        uint64_t word;
        std::memcpy(&word, data + copied, sizeof word);
        if ((word & kHighs) != 0 || ((word - kOnes) & ~word & kHighs) != 0) break;
        std::memcpy(out + copied, &word, sizeof word);
    }
    for (; copied < length && static_cast<unsigned char>(data[copied]) < 0x80; ++copied)
        out[copied] = data[copied] == '\0' ? '\n' : data[copied];
    if (copied == length) return;
    // A summary value may grow past what a string of the object layer holds; the text here has no such bound.
    lntext::TranslateWhole(nnotes::TRANSLATE_NOTES_TO_PLATFORM, data, length, text);
}

} // namespace

bool LNVFEntryBody::IsEmptyColumn(const LNViewFolderBody& view, uint32_t column) const {
    const uint16_t flags = view.GetColumn(column).format.Flags;
    const bool categorises = (flags & LNViewFolderBody::kColumnCategory) != 0;
    if ((EntryType == LNVFENTRYTYPE_CATEGORY) != categorises) return true;
    if (EntryType != LNVFENTRYTYPE_RESPONSE && (flags & LNViewFolderBody::kColumnResponse) != 0) return true;
    if (EntryType == LNVFENTRYTYPE_RESPONSE &&
        view.GetFirstResponseColumn() != LNViewFolderBody::kNoResponseColumn &&
        column > view.GetFirstResponseColumn())
        return true;
    return (flags & LNViewFolderBody::kColumnHidden) != 0;
}

std::string LNVFEntryBody::TranslateConstant(const LNViewFolderBody& view, const std::string& constant) {
    const size_t size =
        constant.size() >= kLongConstant ? kTranslationFactor * constant.size() : kMinimumTranslation;
    std::string out(std::min<size_t>(size, 0xFFFF), '\0');
    uint16_t length = 0;
    try {
        ReadStatistics();
        const uint32_t statistics[4] = {SiblingCount, ChildCount, DescendantCount, PeerNumber};
        const LNString title = view.GetViewDatabase().GetTitle();
        const std::string titleText(reinterpret_cast<const char*>(title.GetTextPtr()), title.GetByteLength());
        const std::string viewName(reinterpret_cast<const char*>(view.GetName().GetTextPtr()),
                                   view.GetName().GetByteLength());
        if (nnotes::TranslateSpecialText(constant.data(), static_cast<uint16_t>(constant.size()), NoteID,
                                         Position.GetPositionData(), statistics, titleText.c_str(),
                                         viewName.c_str(), out.data(), static_cast<uint16_t>(out.size()),
                                         &length) != nnotes::NOERROR)
            throw LNERR_SPECIAL_FUNCTION_VALUE;
    } catch (LNSTATUS status) {
        throw status == LNERR_NO_MEMORY ? status : LNERR_SPECIAL_FUNCTION_VALUE;
    }
    out.resize(length);
    return out;
}

LNItem LNVFEntryBody::GetColumnValue(uint32_t index) {
    const LNVFNavigatorBody* navigator = Navigator.GetVFNavigatorBody();
    LNViewFolderBody* view = navigator->GetViewFolderBody();
    if (view == nullptr) throw navigator->GetStatus();
    if (index >= view->GetColumnCount()) throw LNERR_OUT_OF_RANGE;
    if (IsEmptyColumn(*view, index)) return LNItem();
    if (!view->IsSummaryMapped()) {
        std::vector<std::string> names;
        ReadSummary(&names, nullptr);
        view->MapSummary(names, EntryType != LNVFENTRYTYPE_CATEGORY);
    }
    const LNViewFolderBody::Column& column = view->GetColumn(index);
    if (column.summaryIndex != LNViewFolderBody::kNotMapped) {
        const std::optional<std::string> value = ReadSummaryValue(column.summaryIndex);
        LN_ASSERT(value.has_value(), "ventbody", 274);
        return MakeItem(*value);
    }
    // The store keeps a column's constant as plain text.
    if (!column.constant.empty()) {
        const bool special = column.constant.find(kSpecialEscape) != std::string::npos;
        const std::string text = special ? TranslateConstant(*view, column.constant) : column.constant;
        return MakeItem(WithType(nnotes::TYPE_TEXT, text.data(), text.size()));
    }
    if (!column.formula.empty()) return MakeItem(Evaluate(column.formula));
    return LNItem();
}

bool LNVFEntryBody::GetSummaryText(uint32_t index, std::string* platformText) {
    std::string& text = *platformText;
    const LNViewFolderBody* view = Navigator.GetVFNavigatorBody()->GetViewFolderBody();
    if (view == nullptr || index >= view->GetColumnCount()) return false;
    text.clear();
    if (IsEmptyColumn(*view, index)) return true;
    if (!view->IsSummaryMapped()) return false;
    const LNViewFolderBody::Column& column = view->GetColumn(index);
    if (column.summaryIndex == LNViewFolderBody::kNotMapped) return false;
    const std::optional<std::string> value = ReadSummaryValue(column.summaryIndex);
    if (!value) return false;
    if (value->size() <= 2) return true; // as MakeItem: a value of no more than its type shows nothing
    if (util::DecodeFixed16(value->data()) != nnotes::TYPE_TEXT) return false;
    PlatformTextInto(value->data() + 2, static_cast<uint32_t>(value->size() - 2), text);
    return true;
}

void LNVFEntryBody::GetSummaryTexts(std::vector<std::string>& texts, std::vector<uint8_t>& plain) {
    std::fill(plain.begin(), plain.end(), uint8_t{0});
    const LNViewFolderBody* view = Navigator.GetVFNavigatorBody()->GetViewFolderBody();
    if (view == nullptr) return;
    const size_t columns = std::min<size_t>({texts.size(), plain.size(), view->GetColumnCount()});
    // Where each summary value starts and how long it is, found in one pass over the summary the first time
    // a column needs it, in the navigator's list, which a walk reuses from row to row.
    std::vector<std::pair<uint32_t, uint32_t>>& values = Navigator.GetVFNavigatorBody()->SummaryPlaces;
    const uint8_t* table = nullptr;
    for (size_t index = 0; index < columns; ++index) {
        std::string& text = texts[index];
        const auto column = static_cast<uint32_t>(index);
        if (IsEmptyColumn(*view, column)) {
            text.clear();
            plain[index] = 1;
            continue;
        }
        if (!view->IsSummaryMapped()) continue;
        const uint32_t summaryIndex = view->GetColumn(column).summaryIndex;
        if (summaryIndex == LNViewFolderBody::kNotMapped) continue;
        if (table == nullptr) {
            const uint8_t* base = LockBytes();
            if (base == nullptr) throw LNERR_VIEW_ENTRY_CREATE;
            table = base + HeaderSize;
            // As ReadSummaryValue reads it: a summary whose items do not lie whole in the buffer is refused.
            const size_t size = Length - HeaderSize;
            const size_t count = size >= 4 ? util::DecodeFixed16(table + 2) : 0;
            size_t at = 4 + 4 * count;
            bool whole = size >= 4 && at <= size;
            values.clear();
            for (size_t i = 0; whole && i < count; ++i) {
                const size_t nameLength = util::DecodeFixed16(table + 4 + 4 * i);
                const size_t valueLength = util::DecodeFixed16(table + 6 + 4 * i);
                whole = nameLength + valueLength <= size - at;
                values.emplace_back(static_cast<uint32_t>(at + nameLength),
                                    static_cast<uint32_t>(valueLength));
                at += nameLength + valueLength;
            }
            UnlockBytes();
            if (!whole) throw LNERR_VIEW_ENTRY_CREATE;
        }
        if (summaryIndex >= values.size()) continue;
        const auto [offset, length] = values[summaryIndex];
        const char* value = reinterpret_cast<const char*>(table + offset);
        if (length <= 2) { // as MakeItem: a value of no more than its type shows nothing
            text.clear();
            plain[index] = 1;
            continue;
        }
        if (util::DecodeFixed16(value) != nnotes::TYPE_TEXT) continue;
        PlatformTextInto(value + 2, length - 2, text);
        plain[index] = 1;
    }
}

LNItem LNVFEntryBody::GetColumnValueByTitle(const LNString& title) {
    const LNVFNavigatorBody* navigator = Navigator.GetVFNavigatorBody();
    const LNViewFolderBody* view = navigator->GetViewFolderBody();
    if (view == nullptr) throw navigator->GetStatus();
    uint32_t index = 0;
    if (const LNSTATUS status = view->FindColumn(title, &index)) throw status;
    return GetColumnValue(index);
}
