#include "views/view_rows.h"

#include "formula/formula_engine.h"
#include "store/item_layout.h"
#include "views/view_itemtable.h"
#include "views/view_sortkey.h"

namespace nnotes::views {
namespace {

// A document with many values in several categorised columns would otherwise fill the index alone.
constexpr size_t kMaxParts = 256;

class StoredFormulaNote : public formula::FormulaNote {
public:
    explicit StoredFormulaNote(const store::StoredNote& note) : note_(note) {}
    STATUS GetItem(std::string_view name, formula::Value* value) const override {
        const store::StoredItem* item = FindStoredItem(note_, name);
        if (item == nullptr) return ERR_ITEM_NOT_FOUND;
        return formula::DecodeValue(item->value.data(), item->value.size(), value);
    }
    STATUS IsResponse(bool* response) const override {
        *response = FindStoredItem(note_, FIELD_REF) != nullptr;
        return NOERROR;
    }
    STATUS GetCreated(Instant* when) const override {
        *when = note_.oid.note;
        return NOERROR;
    }
    STATUS GetModified(Instant* when) const override {
        *when = note_.oid.sequenceTime;
        return NOERROR;
    }

private:
    const store::StoredNote& note_;
};

std::string ColumnValue(const ViewColumn& column, const store::StoredNote& note,
                        const StoredFormulaNote& doc) {
    if (column.program) {
        formula::Outcome outcome;
        std::vector<uint8_t> bytes;
        if (formula::Evaluate(*column.program, &doc, &outcome) != NOERROR ||
            formula::EncodeValue(outcome.value, &bytes) != NOERROR)
            return std::string();
        return std::string(bytes.begin(), bytes.end());
    }
    const store::StoredItem* item = FindStoredItem(note, column.itemName);
    return item != nullptr && KeptInSummary(item->type) ? item->value : std::string();
}

bool Selected(const ViewDefinition& view, const StoredFormulaNote& doc) {
    if (!view.selection) return true;
    formula::Outcome outcome;
    return formula::Evaluate(*view.selection, &doc, &outcome) == NOERROR && outcome.selected;
}

// Every combination of the category values, the last column varying fastest.
std::vector<std::vector<std::string>> Combinations(const std::vector<std::vector<std::string>>& choices) {
    std::vector<std::vector<std::string>> out(1);
    for (const auto& values : choices) {
        std::vector<std::vector<std::string>> next;
        for (const auto& prefix : out)
            for (const std::string& v : values) {
                if (next.size() == kMaxParts) break;
                next.push_back(prefix);
                next.back().push_back(v);
            }
        out = std::move(next);
    }
    return out;
}

} // namespace

bool KeptInSummary(uint16_t type) {
    switch (type) {
    case TYPE_TEXT:
    case TYPE_TEXT_LIST:
    case TYPE_NUMBER:
    case TYPE_NUMBER_RANGE:
    case TYPE_TIME:
    case TYPE_TIME_RANGE:
        return true;
    default:
        return false;
    }
}

STATUS RowsOfDocument(const ViewDefinition& view, const store::StoredNote& note, std::vector<ViewRow>& rows) {
    rows.clear();
    if (note.noteClass != NOTE_CLASS_DOCUMENT) return NOERROR;
    const StoredFormulaNote doc(note);
    if (!Selected(view, doc)) return NOERROR;

    std::vector<std::string> values(view.columns.size());
    std::vector<TableItem> summaryItems;
    for (size_t i = 0; i < view.columns.size(); ++i) {
        const ViewColumn& c = view.columns[i];
        if (!c.InSummary() && !c.Sorted()) continue;
        values[i] = ColumnValue(c, note, doc);
        if (c.InSummary())
            summaryItems.push_back(
                {c.itemName, c.Categorised() ? std::string_view() : std::string_view(values[i])});
    }
    ViewRow base;
    base.note = note.id;
    base.unid = UNIVERSALID{note.oid.file, note.oid.note};
    if (view.hierarchy)
        if (const store::StoredItem* ref = FindStoredItem(note, FIELD_REF))
            base.parent = store::FirstNoteRef(ref->value);
    base.summary = BuildItemTable(summaryItems, kMaxSummary);

    // A response under its parent takes no category of its own.
    std::vector<std::vector<std::string>> choices;
    for (size_t level = 0; level < view.categoryLevels; ++level)
        choices.push_back(base.parent ? std::vector<std::string>{std::string()}
                                      : EachValueOf(values[view.sortColumns[level]]));
    const auto combinations = Combinations(choices);
    for (size_t part = 0; part < combinations.size(); ++part) {
        ViewRow row = base;
        row.part = static_cast<uint32_t>(part);
        std::vector<TableItem> sortItems;
        for (size_t k = 0; k < view.sortColumns.size(); ++k) {
            const ViewColumn& c = view.columns[view.sortColumns[k]];
            const std::string& v =
                k < view.categoryLevels ? combinations[part][k] : values[view.sortColumns[k]];
            sortItems.push_back({"", v});
            if (STATUS s = AppendSortSegment(FirstValueOf(v), c.Descending(), row.key)) return s;
        }
        row.sortValues = BuildItemTable(sortItems);
        rows.push_back(std::move(row));
    }
    return NOERROR;
}

} // namespace nnotes::views
