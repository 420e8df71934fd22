#include "view_format.h"

#include "failure.h"

namespace nsfadmin {
namespace {

uint16_t FlagsOf(const ColumnDescription& c) {
    return static_cast<uint16_t>((c.sorted ? COLUMN_SORTED : 0) | (c.categorised ? COLUMN_CATEGORISED : 0) |
                                 (c.descending ? COLUMN_DESCENDING : 0) | (c.hidden ? COLUMN_HIDDEN : 0) |
                                 (c.response ? COLUMN_RESPONSE : 0) | (c.totals ? COLUMN_TOTALS : 0));
}

// Appends count host structures of an on-disk type in their stored form.
template <class T>
void Append(std::string& out, uint16_t type, const T* records, size_t count, const std::string& place) {
    const size_t start = out.size();
    out.resize(start + nnotes::ODSLength(type) * count);
    void* at = out.data() + start;
    Check(nnotes::WriteOnDiskStructure(&at, out.size() - start, type, records, static_cast<uint16_t>(count)),
          place);
}

} // namespace

std::string ViewFormatBytes(const ViewDescription& view) {
    if (view.columns.size() > 0xFFFF) throw Failure(view.place + ": a view holds at most 65535 columns");
    nnotes::ODSViewTableFormat header{};
    header.Version = 1;
    header.Columns = static_cast<uint16_t>(view.columns.size());
    std::vector<nnotes::ODSViewColumnFormat> records;
    std::string variable;
    for (const auto& c : view.columns) {
        nnotes::ODSViewColumnFormat r{};
        r.Signature = COLUMN_SIGNATURE;
        r.Flags = FlagsOf(c);
        r.ItemNameSize = static_cast<uint16_t>(c.item.size());
        r.TitleSize = static_cast<uint16_t>(c.title.size());
        r.FormulaSize = static_cast<uint16_t>(c.formula.size());
        r.ConstantValueSize = static_cast<uint16_t>(c.constant.size());
        records.push_back(r);
        variable += c.item + c.title + c.formula + c.constant;
    }
    std::string out;
    Append(out, nnotes::ODS_VIEW_TABLE_FORMAT, &header, 1, view.place);
    Append(out, nnotes::ODS_VIEW_COLUMN_FORMAT, records.data(), records.size(), view.place);
    return out + variable;
}

} // namespace nsfadmin
