#include "merge_body.h"

#include "word.h"

#include <cstring>

namespace word {
namespace {

void AppendCopyNumber(const CopyNumber& number, size_t copy, std::string& out) {
    std::uint64_t value = number.offset + number.scale * copy;
    if (!number.hexadecimal) {
        out += std::to_string(value);
        return;
    }
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (int shift = 28; shift >= 0; shift -= 4)
        out += kDigits[(value >> shift) & 0xF];
}

} // namespace

void MergeBody::AddLiteral(std::string_view text) {
    if (text.empty()) return;
    if (!pieces_.empty() && pieces_.back().kind == Kind::Literal) {
        pieces_.back().text += text;
        return;
    }
    pieces_.push_back({Kind::Literal, std::string(text), "", {}, {}});
}

void MergeBody::AddField(MergeField field, std::string open, std::string close) {
    pieces_.push_back({Kind::Field, std::move(open), std::move(close), std::move(field), {}});
}

void MergeBody::AddCopyNumber(CopyNumber number) {
    pieces_.push_back({Kind::CopyNumber, "", "", {}, number});
}

void MergeBody::BeginRecordBreak() {
    pieces_.push_back({Kind::BreakBegin, "", "", {}, {}});
}

void MergeBody::EndRecordBreak() {
    pieces_.push_back({Kind::BreakEnd, "", "", {}, {}});
}

void MergeBody::AddRecordBreak(std::string_view text) {
    BeginRecordBreak();
    AddLiteral(text);
    EndRecordBreak();
}

bool MergeBody::HasFields() const {
    for (const Piece& piece : pieces_)
        if (piece.kind == Kind::Field) return true;
    return false;
}

std::vector<size_t> MergeBody::Columns(const DataSource& data) const {
    std::vector<size_t> columns(pieces_.size());
    for (size_t i = 0; i < pieces_.size(); ++i) {
        const Piece& piece = pieces_[i];
        if (piece.kind != Kind::Field) continue;
        std::optional<size_t> column = data.FindColumn(piece.field.name);
        if (!column)
            throw AutomationError("The merge field " + piece.field.name +
                                  " names no column of the data source");
        columns[i] = *column;
    }
    return columns;
}

void MergeBody::WriteCopy(const DataSource& data, size_t record, size_t copy, bool last,
                          const std::vector<size_t>& columns, const ValueEncoder& encode,
                          std::string& out) const {
    int skipping = 0; // inside a record break of the last copy
    for (size_t i = 0; i < pieces_.size(); ++i) {
        const Piece& piece = pieces_[i];
        switch (piece.kind) {
        case Kind::BreakBegin:
            if (last) ++skipping;
            continue;
        case Kind::BreakEnd:
            if (last) --skipping;
            continue;
        default:
            break;
        }
        if (skipping > 0) continue;
        if (piece.kind == Kind::CopyNumber) {
            AppendCopyNumber(piece.number, copy, out);
            continue;
        }
        out += piece.text;
        if (piece.kind != Kind::Field) continue;
        encode(piece.field.Apply(data.Value(record, columns[i])), out);
        out += piece.close;
    }
}

MergedText::MergedText(std::string text)
    : merge_(std::make_shared<const Merge>(Merge{nullptr, nullptr, {}, nullptr, std::move(text), ""})) {}

MergedText::MergedText(std::shared_ptr<const MergeBody> body, std::shared_ptr<const DataSource> data,
                       ValueEncoder encode, std::string prefix, std::string suffix) {
    if (data->RecordCount() == 0) throw AutomationError("The data source holds no records");
    std::vector<size_t> columns = body->Columns(*data);
    count_ = data->RecordCount();
    merge_ = std::make_shared<const Merge>(Merge{std::move(body), std::move(data), std::move(columns),
                                                 std::move(encode), std::move(prefix), std::move(suffix)});
}

MergedText MergedText::Copy(size_t index) const {
    MergedText copy = *this;
    copy.first_ = first_ + index;
    copy.count_ = 1;
    return copy;
}

size_t MergedText::Reader::Read(char* out, size_t size) {
    const Merge& merge = *text_.merge_;
    size_t copies = text_.count_;
    while (offset_ == pending_.size()) {
        if (next_ > copies + 1) return 0;
        pending_.clear();
        offset_ = 0;
        if (next_ == 0) {
            pending_ = merge.prefix;
        } else if (next_ <= copies) {
            size_t copy = text_.first_ + next_ - 1;
            bool last = copy + 1 == merge.data->RecordCount();
            merge.body->WriteCopy(*merge.data, copy, copy, last, merge.columns, merge.encode, pending_);
        } else {
            pending_ = merge.suffix;
        }
        ++next_;
    }
    size_t count = std::min(size, pending_.size() - offset_);
    std::memcpy(out, pending_.data() + offset_, count);
    offset_ += count;
    return count;
}

std::string MergedText::Join() const {
    std::string text;
    Reader reader(*this);
    char buffer[65536];
    for (size_t n; (n = reader.Read(buffer, sizeof buffer)) > 0;)
        text.append(buffer, n);
    return text;
}

} // namespace word
