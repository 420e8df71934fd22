// The body of a main document cut into literal text and merge fields, and the text of a merge: one copy of
// the body per record, made as it is read, so that a merge needs memory for one record at a time and its
// time grows linearly with the records, whatever their number.
#pragma once

#include "data_source.h"
#include "merge_field.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace word {

// Writes a value as text of the document's format (escaped, with tabs and line breaks in its own markup).
using ValueEncoder = std::function<void(std::string_view value, std::string& out)>;

// A number that differs from copy to copy, so that what must be unique in a document (ids, part names)
// is: offset + scale * copy, in decimal or as eight hexadecimal digits (below 0x80000000, as paragraph ids
// must be).
struct CopyNumber {
    std::uint64_t offset = 0;
    std::uint64_t scale = 1;
    bool hexadecimal = false;
};

class MergeBody {
public:
    void AddLiteral(std::string_view text);
    // A field whose value is written between open and close (the formatting of the field's result). A
    // field that moves through the records (NEXT, NEXTIF, SKIPIF) writes nothing.
    void AddField(MergeField field, std::string open, std::string close);
    void AddCopyNumber(CopyNumber number);
    // What lies between these two is written in every copy but the last: what makes the next copy start
    // a new page, and what refers to the parts of copies that the last one shares with the template.
    void BeginRecordBreak();
    void EndRecordBreak();
    void AddRecordBreak(std::string_view text);

    // For each name that the fields take values from, its column. Throws AutomationError when a field
    // names no column.
    std::vector<size_t> Columns(const DataSource& data) const;

    // The copies a merge of the body makes: the record each starts with (NEXT and NEXTIF take further
    // records into a copy; SKIPIF leaves a copy out and starts the next with the record after it), and
    // the number of records merged before each.
    struct Plan {
        std::vector<size_t> starts;
        std::vector<size_t> mergedBefore;
    };
    Plan MakePlan(const DataSource& data, const std::vector<size_t>& columns) const;

    // Appends one copy of the body: copy is its number in the merged document, last tells whether it is
    // the last one.
    void WriteCopy(const DataSource& data, const Plan& plan, size_t copy, const std::vector<size_t>& columns,
                   const ValueEncoder& encode, std::string& out) const;

private:
    void AddNames(MergeField& field);

    enum class Kind { Literal, Field, CopyNumber, BreakBegin, BreakEnd };
    struct Piece {
        Kind kind;
        std::string text;  // the literal, or a field's opening
        std::string close; // a field's closing
        MergeField field;
        CopyNumber number;
    };
    std::vector<Piece> pieces_;
    std::vector<std::string> names_; // the names fields take values from
};

// What makes a text piece by piece as it is read (a package whose parts are made as it is written).
class TextMaker {
public:
    virtual ~TextMaker() = default;
    // Appends the next piece of the text to out (which may stay empty); false when the text has ended.
    virtual bool Next(std::string& out) = 0;
};

// A text made when it is read: a prefix, one copy of a body per record of a data source, a suffix; or the
// pieces of a text maker. Copies of a merged text share what they are made of.
class MergedText {
public:
    // A text that a new maker from make makes each time it is read.
    explicit MergedText(std::function<std::unique_ptr<TextMaker>()> make);
    // A text that is just the given text.
    explicit MergedText(std::string text);
    // The merge of data into body. Throws AutomationError when a field names no column or the merge makes
    // no copy (the data source holds no records, or SKIPIF left out every one).
    MergedText(std::shared_ptr<const MergeBody> body, std::shared_ptr<const DataSource> data,
               ValueEncoder encode, std::string prefix, std::string suffix);
    // A merge of the same data into another body with the copies of the given merge, each starting with
    // the same record as there (the header of a copy takes the values of the copy's first record).
    MergedText(std::shared_ptr<const MergeBody> body, const MergedText& copiesOf, ValueEncoder encode,
               std::string prefix, std::string suffix);

    // The number of copies of the body (none for the text of a maker).
    size_t Copies() const { return count_; }
    // The same merge with the copy of one record only, between the same prefix and suffix (not for the
    // text of a maker).
    MergedText Copy(size_t index) const;

    // Reads the text from its start.
    class Reader {
    public:
        explicit Reader(const MergedText& text) : text_(text) {}
        // Copies up to size bytes of the text to out; gives the number copied, 0 at the end.
        size_t Read(char* out, size_t size);

    private:
        // Makes the next piece into pending_ (which may stay empty); false at the end.
        bool MakeNext();

        const MergedText& text_;
        std::unique_ptr<TextMaker> maker_;
        size_t next_ = 0; // the next part to make: 0 the prefix, 1..n the copies, n+1 the suffix
        std::string pending_;
        size_t offset_ = 0;
    };

    std::string Join() const;

private:
    struct Merge {
        std::shared_ptr<const MergeBody> body;
        std::shared_ptr<const DataSource> data;
        std::shared_ptr<const MergeBody::Plan> plan;
        std::vector<size_t> columns;
        ValueEncoder encode;
        std::string prefix, suffix;
        std::function<std::unique_ptr<TextMaker>()> make;
    };
    std::shared_ptr<const Merge> merge_;
    size_t first_ = 0, count_ = 0;
};

} // namespace word
