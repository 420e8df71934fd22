// The table of on-disk structure layouts. Host offsets come from the structs themselves, so padding is never
// guessed; each on-disk length is the sum of the field widths, so the on-disk form has none.
#include "memory/ods_layout.h"

#include "nnotes/nnotes.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace nnotes {
namespace {

#define QVL_ODS_FIELD(T, m)                                                                                  \
    OdsField {                                                                                               \
        offsetof(T, m), sizeof(T::m), 1                                                                      \
    }
#define QVL_ODS_ARRAY(T, m)                                                                                  \
    OdsField {                                                                                               \
        offsetof(T, m), sizeof(T::m[0]), sizeof(T::m) / sizeof(T::m[0])                                      \
    }

constexpr OdsField kWord[] = {{0, 2, 1}};
constexpr OdsField kDword[] = {{0, 4, 1}};
constexpr OdsField kTimeDate[] = {{0, 4, 2}};
constexpr OdsField kUniversalId[] = {{0, 4, 4}};

constexpr OdsField kObjectDescriptor[] = {
    QVL_ODS_FIELD(ODSObjectDescriptor, ObjectType),
    QVL_ODS_FIELD(ODSObjectDescriptor, ObjectID),
};

constexpr OdsField kViewTableFormat[] = {
    QVL_ODS_FIELD(ODSViewTableFormat, Version), QVL_ODS_FIELD(ODSViewTableFormat, Reserved),
    QVL_ODS_FIELD(ODSViewTableFormat, Columns), QVL_ODS_FIELD(ODSViewTableFormat, Flags),
    QVL_ODS_ARRAY(ODSViewTableFormat, Spare),
};

constexpr OdsField kViewColumnFormat[] = {
    QVL_ODS_FIELD(ODSViewColumnFormat, Signature),    QVL_ODS_FIELD(ODSViewColumnFormat, Flags),
    QVL_ODS_FIELD(ODSViewColumnFormat, ItemNameSize), QVL_ODS_FIELD(ODSViewColumnFormat, TitleSize),
    QVL_ODS_FIELD(ODSViewColumnFormat, FormulaSize),  QVL_ODS_FIELD(ODSViewColumnFormat, ConstantValueSize),
    QVL_ODS_ARRAY(ODSViewColumnFormat, Spare),
};

constexpr OdsField kIdTableHeader[] = {
    QVL_ODS_FIELD(ODSIDTableHeader, Step),    QVL_ODS_FIELD(ODSIDTableHeader, Reserved),
    QVL_ODS_FIELD(ODSIDTableHeader, Records), QVL_ODS_FIELD(ODSIDTableHeader, Reserved2),
    QVL_ODS_FIELD(ODSIDTableHeader, Flags),
};

constexpr OdsField kFieldRecord[] = {
    QVL_ODS_FIELD(ODSFieldRecord, Signature),
    QVL_ODS_FIELD(ODSFieldRecord, Length),
    QVL_ODS_FIELD(ODSFieldRecord, Flags),
    QVL_ODS_FIELD(ODSFieldRecord, DataType),
    QVL_ODS_FIELD(ODSFieldRecord, Reserved),
    QVL_ODS_FIELD(ODSFieldRecord, NumberFormat),
    QVL_ODS_FIELD(ODSFieldRecord, TimeFormat),
    QVL_ODS_FIELD(ODSFieldRecord, FontID),
    QVL_ODS_FIELD(ODSFieldRecord, DefaultValueFormulaLength),
    QVL_ODS_FIELD(ODSFieldRecord, InputTranslationFormulaLength),
    QVL_ODS_FIELD(ODSFieldRecord, Reserved2),
    QVL_ODS_FIELD(ODSFieldRecord, InputValidationFormulaLength),
    QVL_ODS_FIELD(ODSFieldRecord, NameLength),
};

constexpr OdsField kTextRecord[] = {
    QVL_ODS_FIELD(ODSTextRecord, Signature),
    QVL_ODS_FIELD(ODSTextRecord, Length),
    QVL_ODS_FIELD(ODSTextRecord, FontID),
};

constexpr OdsField kFontTableHeader[] = {
    QVL_ODS_FIELD(ODSFontTableHeader, Signature),
    QVL_ODS_FIELD(ODSFontTableHeader, Length),
    QVL_ODS_FIELD(ODSFontTableHeader, Fonts),
};

constexpr OdsField kFontFace[] = {
    QVL_ODS_FIELD(ODSFontFace, Face),
    QVL_ODS_FIELD(ODSFontFace, Family),
    QVL_ODS_ARRAY(ODSFontFace, Name),
};

// The host forms that callers copy byte for byte.
static_assert(sizeof(ODSViewTableFormat) == 10);
static_assert(sizeof(ODSViewColumnFormat) == 32);
static_assert(offsetof(ODSIDTableHeader, Records) == 6 && offsetof(ODSIDTableHeader, Flags) == 9);

#undef QVL_ODS_FIELD
#undef QVL_ODS_ARRAY

constexpr uint16_t DiskSize(std::span<const OdsField> fields) {
    uint16_t size = 0;
    for (const OdsField& field : fields)
        size = static_cast<uint16_t>(size + field.width * field.count);
    return size;
}

constexpr OdsLayout Layout(uint16_t type, size_t hostSize, std::span<const OdsField> fields) {
    return {type, static_cast<uint16_t>(hostSize), DiskSize(fields), fields};
}

// Sorted by type.
constexpr std::array kLayouts = {
    Layout(ODS_WORD, sizeof(uint16_t), kWord),
    Layout(ODS_DWORD, sizeof(uint32_t), kDword),
    Layout(ODS_TIMEDATE, 2 * sizeof(uint32_t), kTimeDate),
    Layout(ODS_UNIVERSALID, 4 * sizeof(uint32_t), kUniversalId),
    Layout(ODS_OBJECT_DESCRIPTOR, sizeof(ODSObjectDescriptor), kObjectDescriptor),
    Layout(ODS_VIEW_TABLE_FORMAT, sizeof(ODSViewTableFormat), kViewTableFormat),
    Layout(ODS_VIEW_COLUMN_FORMAT, sizeof(ODSViewColumnFormat), kViewColumnFormat),
    Layout(ODS_IDTABLE_HEADER, sizeof(ODSIDTableHeader), kIdTableHeader),
    Layout(ODS_FIELD_RECORD_OLD, sizeof(ODSFieldRecord), kFieldRecord),
    Layout(ODS_TEXT_RECORD, sizeof(ODSTextRecord), kTextRecord),
    Layout(ODS_FIELD_RECORD, sizeof(ODSFieldRecord), kFieldRecord),
    Layout(ODS_FONT_TABLE_HEADER, sizeof(ODSFontTableHeader), kFontTableHeader),
    Layout(ODS_FONT_FACE, sizeof(ODSFontFace), kFontFace),
};

static_assert(std::is_sorted(kLayouts.begin(), kLayouts.end(),
                             [](const OdsLayout& a, const OdsLayout& b) { return a.type < b.type; }));

} // namespace

const OdsLayout* FindOdsLayout(uint16_t type) {
    const auto* it = std::lower_bound(kLayouts.begin(), kLayouts.end(), type,
                                      [](const OdsLayout& layout, uint16_t t) { return layout.type < t; });
    return it != kLayouts.end() && it->type == type ? &*it : nullptr;
}

} // namespace nnotes
