#include "merge_body.h"

#include "word.h"

#include <cstring>

namespace word {

void MergeBody::AddLiteral(std::string_view text) {
    if (text.empty()) return;
    if (!pieces_.empty() && pieces_.back().kind == Kind::Literal) {
        pieces_.back().text += text;
        return;
    }
    pieces_.push_back({Kind::Literal, std::string(text), "", {}});
}

void MergeBody::AddField(MergeField field, std::string open, std::string close) {
    pieces_.push_back({Kind::Field, std::move(open), std::move(close), std::move(field)});
}

void MergeBody::AddRecordBreak(std::string text) {
    pieces_.push_back({Kind::RecordBreak, std::move(text), "", {}});
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

void MergeBody::WriteCopy(const DataSource& data, size_t record, const std::vector<size_t>& columns,
                          const ValueEncoder& encode, std::string& out) const {
    bool last = record + 1 == data.RecordCount();
    for (size_t i = 0; i < pieces_.size(); ++i) {
        const Piece& piece = pieces_[i];
        if (piece.kind == Kind::RecordBreak && last) continue;
        out += piece.text;
        if (piece.kind != Kind::Field) continue;
        encode(piece.field.Apply(data.Value(record, columns[i])), out);
        out += piece.close;
    }
}

MergedText::MergedText(std::shared_ptr<const MergeBody> body, std::shared_ptr<const DataSource> data,
                       ValueEncoder encode, std::string prefix, std::string suffix)
    : body_(std::move(body)), data_(std::move(data)), columns_(body_->Columns(*data_)),
      encode_(std::move(encode)), prefix_(std::move(prefix)), suffix_(std::move(suffix)) {
    if (data_->RecordCount() == 0) throw AutomationError("The data source holds no records");
}

size_t MergedText::Reader::Read(char* out, size_t size) {
    size_t records = text_.data_ ? text_.data_->RecordCount() : 0;
    while (offset_ == pending_.size()) {
        if (next_ > records + 1) return 0;
        pending_.clear();
        offset_ = 0;
        if (next_ == 0)
            pending_ = text_.prefix_;
        else if (next_ <= records)
            text_.body_->WriteCopy(*text_.data_, next_ - 1, text_.columns_, text_.encode_, pending_);
        else
            pending_ = text_.suffix_;
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
