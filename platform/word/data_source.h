// The merge data source: column titles and records read from the program's tab-separated data file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace word {

class DataSource {
public:
    // Reads the merge data file: the first line holds the column titles, each further line one record;
    // values are separated by TAB and lines end in CR LF (LF alone when the file has no CR LF at all, CR
    // alone when it has neither); a CR or LF alone inside a CR LF file belongs to the value. The file is
    // UTF-16 when it starts with that byte-order mark or its header line reads as UTF-16 without one, UTF-8
    // otherwise, with bytes that are not valid UTF-8 taken as Windows-1252 (the program writes its system's
    // ANSI code page). Throws AutomationError naming the file when it is missing, unreadable, empty, has
    // NUL bytes in its header line (an encoding it cannot read) or holds a record with more values than
    // there are titles.
    static DataSource ReadFile(const std::string& path);

    // Parses the content of a data file; name is used in error messages.
    static DataSource Parse(std::string content, const std::string& name);

    // A header-only source whose titles are given separated by ",".
    static DataSource FromHeaderRecord(std::string_view headerRecord);

    const std::vector<std::string>& Titles() const { return titles_; }
    size_t RecordCount() const { return recordStarts_.size(); }
    // The value of a column in a record; a record shorter than the header has empty values at its end.
    std::string_view Value(size_t record, size_t column) const;

    // The column a merge field names: the title with every space replaced by "_", compared
    // case-insensitively; the first such column when several match.
    std::optional<size_t> FindColumn(std::string_view fieldName) const;

private:
    // Values stay in the file's text; each is a span of it, the records' values one after the other.
    struct Span {
        std::uint32_t offset;
        std::uint32_t length;
    };
    std::vector<std::string> titles_;
    std::string text_;
    std::vector<Span> values_;
    std::vector<size_t> recordStarts_; // the index in values_ of each record's first value
};

} // namespace word
