#include "view_format.h"

#include "failure.h"
#include "nnotes/collection.h"
#include "nnotes/formula.h"
#include "nnotes/memblock.h"
#include "nnotes/ods.h"
#include "nnotes/status.h"

namespace nsfadmin {
namespace {

using namespace nnotes;

uint16_t FlagsOf(const ColumnDescription& c) {
    return static_cast<uint16_t>(
        (c.sorted ? VIEW_COLUMN_SORT : 0) | (c.categorised ? VIEW_COLUMN_CATEGORY : 0) |
        (c.descending ? VIEW_COLUMN_DESCENDING : 0) | (c.hidden ? VIEW_COLUMN_HIDDEN : 0) |
        (c.response ? VIEW_COLUMN_RESPONSE : 0) | (c.totals ? VIEW_COLUMN_TOTAL : 0));
}

// Appends count host structures of an on-disk type in their stored form.
template <class T>
void Append(std::string& out, uint16_t type, const T* records, size_t count, const std::string& place) {
    const size_t start = out.size();
    out.resize(start + size_t{ODSLength(type)} * count);
    void* at = out.data() + start;
    Check(WriteOnDiskStructure(&at, out.size() - start, type, records, static_cast<uint16_t>(count)), place);
}

uint16_t Size(const std::string& part, const std::string& place) {
    if (part.size() > 0xFFFF) throw Failure(place + ": a column's part holds at most 65535 bytes");
    return static_cast<uint16_t>(part.size());
}

} // namespace

std::string CompiledFormula(const std::string& text, const std::string& place) {
    if (text.size() > 0xFFFF) throw Failure(place + ": the formula is too long");
    DHANDLE block = NULLHANDLE;
    uint16_t length = 0;
    if (CompileFormula(text.data(), static_cast<uint16_t>(text.size()), &block, &length) != NOERROR) {
        char detail[512];
        LoadFormulaErrorText(detail, sizeof detail);
        throw Failure(place + ": " + detail);
    }
    const char* bytes = static_cast<const char*>(LockBlock(block));
    std::string compiled = bytes == nullptr ? std::string() : std::string(bytes, length);
    if (bytes != nullptr) UnlockBlock(block);
    FreeBlock(block);
    if (bytes == nullptr) throw Failure(place + ": the compiled formula cannot be read");
    return compiled;
}

std::string ViewFormatBytes(const ViewDescription& view, const std::string& place) {
    if (view.columns.size() > 0xFFFF) throw Failure(place + ": a view holds at most 65535 columns");
    ODSViewTableFormat header{};
    header.Version = VIEW_FORMAT_VERSION;
    header.Columns = static_cast<uint16_t>(view.columns.size());
    std::vector<ODSViewColumnFormat> records;
    std::string variable;
    for (size_t i = 0; i < view.columns.size(); ++i) {
        const ColumnDescription& c = view.columns[i];
        const std::string at = place + "/columns/" + std::to_string(i);
        // A formula column gets an item name of its own, so that its value is computed once per document
        // and kept in the view's summary, where sorting and categorising read it.
        const std::string item = c.formula.empty() ? c.item : "$" + std::to_string(i);
        const std::string formula =
            c.formula.empty() ? std::string() : CompiledFormula(c.formula, at + "/formula");
        ODSViewColumnFormat r{};
        r.Flags = FlagsOf(c);
        r.ItemNameSize = Size(item, at);
        r.TitleSize = Size(c.title, at + "/title");
        r.FormulaSize = Size(formula, at + "/formula");
        r.ConstantValueSize = Size(c.constant, at + "/constant");
        records.push_back(r);
        variable += item + c.title + formula + c.constant;
    }
    std::string out;
    Append(out, ODS_VIEW_TABLE_FORMAT, &header, 1, place);
    Append(out, ODS_VIEW_COLUMN_FORMAT, records.data(), records.size(), place);
    return out + variable;
}

std::vector<StoredColumn> ReadViewColumns(std::string_view value, const std::string& place) {
    const Failure damaged(place + ": the view's column layout is damaged");
    const void* at = value.data();
    size_t left = value.size();
    ODSViewTableFormat header{};
    if (ReadOnDiskStructure(&at, left, ODS_VIEW_TABLE_FORMAT, &header, 1) != NOERROR) throw damaged;
    left -= ODSLength(ODS_VIEW_TABLE_FORMAT);
    std::vector<ODSViewColumnFormat> records(header.Columns);
    if (ReadOnDiskStructure(&at, left, ODS_VIEW_COLUMN_FORMAT, records.data(), header.Columns) != NOERROR)
        throw damaged;
    left -= size_t{ODSLength(ODS_VIEW_COLUMN_FORMAT)} * header.Columns;
    std::string_view rest(static_cast<const char*>(at), left);
    auto take = [&](uint16_t size) {
        if (size > rest.size()) throw damaged;
        std::string part(rest.substr(0, size));
        rest.remove_prefix(size);
        return part;
    };
    std::vector<StoredColumn> columns;
    for (const ODSViewColumnFormat& r : records) {
        StoredColumn c;
        c.item = take(r.ItemNameSize);
        take(r.TitleSize);
        take(r.FormulaSize);
        c.constant = take(r.ConstantValueSize);
        columns.push_back(std::move(c));
    }
    return columns;
}

} // namespace nsfadmin
