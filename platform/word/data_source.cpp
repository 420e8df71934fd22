#include "data_source.h"

#include <algorithm>

#include "file_io.h"
#include "unicode_text.h"
#include "word/word.h"

namespace word {
namespace {

// Calls part(text) for each piece of text between separators, in order.
template <typename Part>
void ForEachPart(std::string_view text, std::string_view separator, Part part) {
    size_t start = 0;
    while (true) {
        size_t end = text.find(separator, start);
        part(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) return;
        start = end + separator.size();
    }
}

} // namespace

DataSource DataSource::ReadFile(const std::string& path) {
    return Parse(ReadWholeFile(path, "data source"), path);
}

DataSource DataSource::Parse(std::string content, const std::string& name) {
    static_assert(kMaxFileSize <= UINT32_MAX, "value offsets are 32-bit");
    if (content.size() > kMaxFileSize) throw AutomationError("The data source " + name + " is too large");
    DataSource source;
    source.text_ = TextToUtf8(std::move(content));
    if (source.text_.size() > kMaxFileSize)
        throw AutomationError("The data source " + name + " is too large");
    std::string_view text = source.text_;
    std::string_view lineEnd = text.find("\r\n") != std::string_view::npos ? "\r\n"
                               : text.find('\n') != std::string_view::npos ? "\n"
                                                                           : "\r";
    if (text.ends_with(lineEnd)) text.remove_suffix(lineEnd.size());
    size_t header = std::min(text.find(lineEnd), text.size());
    if (header == 0) throw AutomationError("The data source " + name + " has no header record");
    if (text.substr(0, header).find('\0') != std::string_view::npos)
        throw AutomationError(
            "The data source " + name +
            " is in an encoding that cannot be read: its header record holds NUL bytes (data "
            "files are read as UTF-8, UTF-16 or Windows-1252)");
    ForEachPart(text.substr(0, header), "\t",
                [&](std::string_view title) { source.titles_.emplace_back(title); });
    if (header == text.size()) return source;

    std::string_view records = text.substr(header + lineEnd.size());
    source.values_.reserve(static_cast<size_t>(std::count(records.begin(), records.end(), '\t')) +
                           static_cast<size_t>(std::count(records.begin(), records.end(), lineEnd.back())) +
                           1);
    const char* base = source.text_.data();
    ForEachPart(records, lineEnd, [&](std::string_view line) {
        size_t first = source.values_.size();
        source.recordStarts_.push_back(first);
        ForEachPart(line, "\t", [&](std::string_view value) {
            source.values_.push_back(
                {static_cast<std::uint32_t>(value.data() - base), static_cast<std::uint32_t>(value.size())});
        });
        size_t count = source.values_.size() - first;
        if (count > source.titles_.size()) {
            throw AutomationError("Record " + std::to_string(source.recordStarts_.size()) +
                                  " of the data source " + name + " has " + std::to_string(count) +
                                  " fields, but its header record has " +
                                  std::to_string(source.titles_.size()));
        }
    });
    return source;
}

DataSource DataSource::FromHeaderRecord(std::string_view headerRecord) {
    DataSource source;
    ForEachPart(headerRecord, ",", [&](std::string_view title) { source.titles_.emplace_back(title); });
    return source;
}

std::string_view DataSource::Value(size_t record, size_t column) const {
    size_t first = recordStarts_.at(record);
    size_t end = record + 1 < recordStarts_.size() ? recordStarts_[record + 1] : values_.size();
    if (column >= end - first) return {};
    const Span& span = values_[first + column];
    return std::string_view(text_).substr(span.offset, span.length);
}

std::optional<size_t> DataSource::FindColumn(std::string_view fieldName) const {
    std::string wanted = UnderscoreSpaces(fieldName);
    for (size_t i = 0; i < titles_.size(); ++i) {
        if (EqualsNoCase(UnderscoreSpaces(titles_[i]), wanted)) return i;
    }
    return std::nullopt;
}

} // namespace word
