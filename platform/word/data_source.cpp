#include "data_source.h"

#include "file_io.h"
#include "unicode_text.h"
#include "word.h"

namespace word {
namespace {

std::vector<std::string> SplitOn(std::string_view text, std::string_view separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            parts.emplace_back(text.substr(start));
            return parts;
        }
        parts.emplace_back(text.substr(start, end - start));
        start = end + separator.size();
    }
}

} // namespace

DataSource DataSource::ReadFile(const std::string& path) {
    return Parse(ReadWholeFile(path, "data source"), path);
}

DataSource DataSource::Parse(std::string_view content, const std::string& name) {
    if (content.substr(0, 3) == "\xEF\xBB\xBF") content.remove_prefix(3);
    std::string_view lineEnd = content.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
    std::vector<std::string> lines = SplitOn(content, lineEnd);
    if (lines.back().empty()) lines.pop_back();
    if (lines.empty() || lines.front().empty())
        throw AutomationError("The data source " + name + " has no header record");

    DataSource source;
    source.titles_ = SplitOn(lines.front(), "\t");
    source.records_.reserve(lines.size() - 1);
    for (size_t i = 1; i < lines.size(); ++i) {
        std::vector<std::string> values = SplitOn(lines[i], "\t");
        if (values.size() > source.titles_.size()) {
            throw AutomationError("Record " + std::to_string(i) + " of the data source " + name + " has " +
                                  std::to_string(values.size()) + " fields, but its header record has " +
                                  std::to_string(source.titles_.size()));
        }
        source.records_.push_back(std::move(values));
    }
    return source;
}

DataSource DataSource::FromHeaderRecord(std::string_view headerRecord) {
    DataSource source;
    source.titles_ = SplitOn(headerRecord, ",");
    return source;
}

std::string_view DataSource::Value(size_t record, size_t column) const {
    const std::vector<std::string>& values = records_.at(record);
    return column < values.size() ? std::string_view(values[column]) : std::string_view();
}

std::optional<size_t> DataSource::FindColumn(std::string_view fieldName) const {
    std::string wanted = UnderscoreSpaces(fieldName);
    for (size_t i = 0; i < titles_.size(); ++i) {
        if (EqualsNoCase(UnderscoreSpaces(titles_[i]), wanted)) return i;
    }
    return std::nullopt;
}

} // namespace word
