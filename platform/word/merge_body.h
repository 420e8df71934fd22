// The body of a main document cut into literal text and merge fields, and the merge that writes one copy
// of it per record. Building and merging both take time linear in their input.
#pragma once

#include "chunked_text.h"
#include "data_source.h"
#include "merge_field.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace word {

// Writes a value as text of the document's format (escaped, with tabs and line breaks in its own markup).
using ValueEncoder = std::function<void(std::string_view value, std::string& out)>;

class MergeBody {
public:
    void AddLiteral(std::string_view text);
    // A field whose value is written between open and close (the formatting of the field's result).
    void AddField(MergeField field, std::string open, std::string close);
    // Text written at this place in every copy but the last: what makes the next copy start a new page.
    void AddRecordBreak(std::string text);

    // prefix, one copy of the body per record in record order, suffix. Throws AutomationError when a field
    // names no column or the data source has no records.
    ChunkedText Merge(std::string_view prefix, std::string_view suffix, const DataSource& data,
                      const ValueEncoder& encode) const;

private:
    enum class Kind { Literal, Field, RecordBreak };
    struct Piece {
        Kind kind;
        std::string text;  // the literal, the break, or a field's opening
        std::string close; // a field's closing
        MergeField field;
    };
    std::vector<Piece> pieces_;
};

} // namespace word
