#include "views/view_format.h"

#include "formula/formula_engine.h"
#include "util/text.h"

namespace nnotes::views {
namespace {

// Categories and responses share the 32 levels of a position; a response needs at least one below them.
constexpr size_t kMaxCategoryLevels = MAXTUMBLERLEVELS - 2;

STATUS LoadProgram(std::string_view compiled, std::shared_ptr<const formula::Program>& out) {
    auto program = std::make_shared<formula::Program>();
    if (formula::LoadCompiled(compiled.data(), compiled.size(), program.get()) != NOERROR)
        return ERR_VIEW_FORMULA;
    out = std::move(program);
    return NOERROR;
}

STATUS ReadColumns(std::string_view value, std::vector<ViewColumn>& columns) {
    const void* at = value.data() + sizeof(uint16_t);
    size_t left = value.size() - sizeof(uint16_t);
    ODSViewTableFormat header;
    if (ReadOnDiskStructure(&at, left, ODS_VIEW_TABLE_FORMAT, &header, 1) != NOERROR) return ERR_VIEW_FORMAT;
    left -= ODSLength(ODS_VIEW_TABLE_FORMAT);
    // A view may show no columns at all: its entries then carry note ids and positions alone.
    if (header.Version != VIEW_FORMAT_VERSION || header.Reserved != 0) return ERR_VIEW_FORMAT;
    std::vector<ODSViewColumnFormat> records(header.Columns);
    if (ReadOnDiskStructure(&at, left, ODS_VIEW_COLUMN_FORMAT, records.data(), header.Columns) != NOERROR)
        return ERR_VIEW_FORMAT;
    left -= size_t{ODSLength(ODS_VIEW_COLUMN_FORMAT)} * header.Columns;
    const char* data = static_cast<const char*>(at);
    auto take = [&](uint16_t size, std::string& out) {
        if (size > left) return false;
        out.assign(data, size);
        data += size;
        left -= size;
        return true;
    };
    columns.resize(header.Columns);
    for (size_t i = 0; i < records.size(); ++i) {
        const ODSViewColumnFormat& r = records[i];
        ViewColumn& c = columns[i];
        c.flags = r.Flags;
        if (!take(r.ItemNameSize, c.itemName) || !take(r.TitleSize, c.title) ||
            !take(r.FormulaSize, c.formula) || !take(r.ConstantValueSize, c.constant))
            return ERR_VIEW_FORMAT;
        if (c.itemName.size() > MAXITEMNAME || c.itemName.find('\0') != std::string::npos)
            return ERR_VIEW_FORMAT;
        if (c.InSummary() && !c.formula.empty())
            if (STATUS s = LoadProgram(c.formula, c.program)) return s;
    }
    return NOERROR;
}

} // namespace

const store::StoredItem* FindStoredItem(const store::StoredNote& note, std::string_view name) {
    for (const store::StoredItem& item : note.items)
        if (util::EqualsNoCase(item.name, name)) return &item;
    return nullptr;
}

STATUS ReadViewDefinition(const store::StoredNote& note, ViewDefinition& out) {
    if ((note.noteClass & NOTE_CLASS_VIEW) == 0) return ERR_NOT_A_VIEW;
    const store::StoredItem* format = FindStoredItem(note, VIEW_FORMAT_ITEM);
    if (format == nullptr || format->type != TYPE_VIEW_FORMAT || format->value.size() < sizeof(uint16_t))
        return ERR_VIEW_FORMAT;
    ViewDefinition view;
    if (STATUS s = ReadColumns(format->value, view.columns)) return s;
    if (const store::StoredItem* selection = FindStoredItem(note, VIEW_FORMULA_ITEM)) {
        if (selection->type != TYPE_FORMULA) return ERR_VIEW_FORMULA;
        if (STATUS s =
                LoadProgram(std::string_view(selection->value).substr(sizeof(uint16_t)), view.selection))
            return s;
    }
    for (size_t i = 0; i < view.columns.size(); ++i)
        if (view.columns[i].Categorised()) view.sortColumns.push_back(i);
    view.categoryLevels = view.sortColumns.size();
    if (view.categoryLevels > kMaxCategoryLevels) return ERR_VIEW_FORMAT;
    for (size_t i = 0; i < view.columns.size(); ++i) {
        const ViewColumn& c = view.columns[i];
        if (c.Sorted() && !c.Categorised()) view.sortColumns.push_back(i);
        view.hierarchy = view.hierarchy || (c.flags & VIEW_COLUMN_RESPONSE) != 0;
        view.totals = view.totals || (c.Totals() && c.InSummary());
    }
    out = std::move(view);
    return NOERROR;
}

} // namespace nnotes::views
