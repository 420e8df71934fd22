#include "merge_body.h"

#include "word.h"

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

ChunkedText MergeBody::Merge(std::string_view prefix, std::string_view suffix, const DataSource& data,
                             const ValueEncoder& encode) const {
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
    if (data.RecordCount() == 0) throw AutomationError("The data source holds no records");

    ChunkedText out;
    out.Tail() += prefix;
    for (size_t record = 0; record < data.RecordCount(); ++record) {
        bool last = record + 1 == data.RecordCount();
        for (size_t i = 0; i < pieces_.size(); ++i) {
            const Piece& piece = pieces_[i];
            if (piece.kind == Kind::RecordBreak && last) continue;
            std::string& tail = out.Tail();
            tail += piece.text;
            if (piece.kind == Kind::Field) {
                encode(piece.field.Apply(data.Value(record, columns[i])), tail);
                tail += piece.close;
            }
            out.EndPiece();
        }
    }
    out.Tail() += suffix;
    return out;
}

} // namespace word
