#include "datasourcetable.h"

#include "datasourceopen.h"
#include "libstate.h"
#include "ln/lntext.h"
#include "os/os.h"
#include "textout.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace {

// A lookup entry is cut to this many bytes before it is split.
constexpr size_t kLookupEntryBytes = 99;

template <size_t N>
void CopyField(char (&field)[N], std::string_view text) {
    os::CopyBounded(field, N, std::string(text));
}

// A field of the record, read from the column of that title.
template <size_t N>
void ReadField(char (&field)[N], const LNVFEntry& entry, const char* title) {
    CopyField(field, GetEntryValue(entry, title, N - 1));
}

// The next part of text between runs of "=", taken off its front; empty when none is left.
std::string_view NextPart(std::string_view* text) {
    const size_t start = text->find_first_not_of('=');
    if (start == std::string_view::npos) {
        *text = {};
        return {};
    }
    text->remove_prefix(start);
    const size_t end = std::min(text->find('='), text->size());
    const std::string_view part = text->substr(0, end);
    text->remove_prefix(end);
    return part;
}

DataSourceRecord ReadRecord(const LNVFEntry& entry) {
    DataSourceRecord record{};
    ReadField(record.DataSourceName, entry, "DataSourceName");
    ReadField(record.ServerName, entry, "ServerName");
    ReadField(record.DatabaseName, entry, "DatabaseName");
    ReadField(record.ViewName, entry, "ViewName");
    ReadField(record.MergeHistField, entry, "MergeHistField");
    ReadField(record.PrimarySearchField, entry, "PrimarySearchField");

    LNItem value;
    entry.GetColumnValueByTitle(&value, LNString("LookupFields"));
    const LNText lookups = value;
    const uint32_t count = lookups.IsNull() ? 0 : lookups.GetCount();
    record.LookupCount = static_cast<int32_t>(std::min<uint32_t>(count, kMaxLookups));
    for (int32_t i = 0; i < record.LookupCount; ++i)
        record.Lookups[i] = SplitLookupEntry(
            PlatformTextPrefix(lookups[static_cast<uint32_t>(i)].GetText(), kLookupEntryBytes));
    return record;
}

} // namespace

std::string GetEntryValue(const LNVFEntry& entry, const char* valueName, size_t bytes) {
    LNItem value;
    entry.GetColumnValueByTitle(&value, LNString(valueName));
    return FirstEntryTextPrefix(value, bytes);
}

LookupField SplitLookupEntry(const std::string& entry) {
    std::string_view rest = std::string_view(entry).substr(0, kLookupEntryBytes);
    LookupField lookup{};
    CopyField(lookup.LookupName, NextPart(&rest));
    CopyField(lookup.KeywordViewName, NextPart(&rest));
    return lookup;
}

void LoadDataSources() {
    CloseDataSource();
    DataSourcesView.Open(0);
    const uint32_t count = DataSourcesView.GetEntryCount();
    DataSourceTable.clear();

    std::vector<DataSourceRecord> table;
    table.reserve(count);
    LNVFEntry entry;
    DataSourcesView.Goto(LNVFNAVIGATION_FIRST, &entry);
    for (uint32_t i = 0; i < count; ++i) {
        table.push_back(ReadRecord(entry));
        DataSourcesView.Goto(LNVFNAVIGATION_NEXT, &entry);
    }
    DataSourceTable = std::move(table);
}
