#include "merge_body.h"

#include "field_evaluation.h"
#include "word/word.h"

#include <algorithm>
#include <cstring>

namespace word {
namespace {

void AppendCopyNumber(const CopyNumber& number, size_t copy, std::string& out) {
    std::uint64_t value = number.offset + number.scale * copy;
    if (!number.hexadecimal) {
        out += std::to_string(value);
        return;
    }
    value &= 0x7FFFFFFF; // paragraph ids stay below 0x80000000
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
    AddNames(field);
    if (field.MovesRecords()) {
        open.clear();
        close.clear();
    }
    pieces_.push_back({Kind::Field, std::move(open), std::move(close), std::move(field), {}});
}

void MergeBody::AddNames(MergeField& field) {
    if (field.kind == MergeField::Kind::Value) {
        auto known = std::find(names_.begin(), names_.end(), field.name);
        field.nameIndex = static_cast<size_t>(known - names_.begin());
        if (known == names_.end()) names_.push_back(field.name);
    }
    for (FieldText& text : field.arguments)
        for (FieldText::Part& part : text.parts)
            if (part.field) AddNames(*part.field);
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

std::vector<size_t> MergeBody::Columns(const DataSource& data) const {
    std::vector<size_t> columns;
    for (const std::string& name : names_) {
        std::optional<size_t> column = data.FindColumn(name);
        if (!column) throw AutomationError("The merge field " + name + " names no column of the data source");
        columns.push_back(*column);
    }
    return columns;
}

MergeBody::Plan MergeBody::MakePlan(const DataSource& data, const std::vector<size_t>& columns) const {
    std::vector<const MergeField*> moves;
    for (const Piece& piece : pieces_)
        if (piece.kind == Kind::Field && piece.field.MovesRecords()) moves.push_back(&piece.field);
    Plan plan;
    size_t merged = 0;
    for (size_t start = 0; start < data.RecordCount();) {
        size_t record = start;
        bool skipped = false;
        for (const MergeField* field : moves) {
            MergeState state{data, columns, record, merged + record - start + 1};
            if (field->kind == MergeField::Kind::SkipIf && Holds(*field, state)) {
                skipped = true;
                break;
            }
            if (field->kind == MergeField::Kind::Next ||
                (field->kind == MergeField::Kind::NextIf && Holds(*field, state)))
                ++record;
        }
        if (!skipped) {
            plan.starts.push_back(start);
            plan.mergedBefore.push_back(merged);
            merged += std::min(record, data.RecordCount() - 1) - start + 1;
        }
        start = record + 1;
    }
    return plan;
}

void MergeBody::WriteCopy(const DataSource& data, const Plan& plan, size_t copy,
                          const std::vector<size_t>& columns, const ValueEncoder& encode,
                          std::string& out) const {
    bool last = copy + 1 == plan.starts.size();
    size_t start = plan.starts[copy];
    size_t record = start;
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
        if (piece.kind == Kind::Literal) {
            out += piece.text;
            continue;
        }
        MergeState state{data, columns, record, plan.mergedBefore[copy] + record - start + 1};
        if (piece.field.kind == MergeField::Kind::Next ||
            (piece.field.kind == MergeField::Kind::NextIf && Holds(piece.field, state))) {
            ++record;
            continue;
        }
        if (piece.field.MovesRecords()) continue;
        out += piece.text;
        encode(Evaluate(piece.field, state), out);
        out += piece.close;
    }
}

MergedText::MergedText(std::string text)
    : merge_(std::make_shared<const Merge>(
          Merge{nullptr, nullptr, nullptr, {}, nullptr, std::move(text), "", nullptr})) {}

MergedText::MergedText(std::function<std::unique_ptr<TextMaker>()> make)
    : merge_(std::make_shared<const Merge>(
          Merge{nullptr, nullptr, nullptr, {}, nullptr, "", "", std::move(make)})) {}

MergedText::MergedText(std::shared_ptr<const MergeBody> body, std::shared_ptr<const DataSource> data,
                       ValueEncoder encode, std::string prefix, std::string suffix) {
    if (data->RecordCount() == 0) throw AutomationError("The data source holds no records");
    std::vector<size_t> columns = body->Columns(*data);
    auto plan = std::make_shared<const MergeBody::Plan>(body->MakePlan(*data, columns));
    if (plan->starts.empty()) throw AutomationError("SKIPIF left out every record of the data source");
    count_ = plan->starts.size();
    merge_ = std::make_shared<const Merge>(Merge{std::move(body), std::move(data), std::move(plan),
                                                 std::move(columns), std::move(encode), std::move(prefix),
                                                 std::move(suffix), nullptr});
}

MergedText::MergedText(std::shared_ptr<const MergeBody> body, const MergedText& copiesOf, ValueEncoder encode,
                       std::string prefix, std::string suffix)
    : count_(copiesOf.merge_->plan->starts.size()) {
    std::vector<size_t> columns = body->Columns(*copiesOf.merge_->data);
    merge_ = std::make_shared<const Merge>(Merge{std::move(body), copiesOf.merge_->data,
                                                 copiesOf.merge_->plan, std::move(columns), std::move(encode),
                                                 std::move(prefix), std::move(suffix), nullptr});
}

MergedText MergedText::Copy(size_t index) const {
    MergedText copy = *this;
    copy.first_ = first_ + index;
    copy.count_ = 1;
    return copy;
}

size_t MergedText::Reader::Read(char* out, size_t size) {
    while (offset_ == pending_.size()) {
        pending_.clear();
        offset_ = 0;
        if (!MakeNext()) return 0;
    }
    size_t count = std::min(size, pending_.size() - offset_);
    std::memcpy(out, pending_.data() + offset_, count);
    offset_ += count;
    return count;
}

bool MergedText::Reader::MakeNext() {
    const Merge& merge = *text_.merge_;
    if (merge.make) {
        if (!maker_) maker_ = merge.make();
        return maker_->Next(pending_);
    }
    size_t copies = text_.count_;
    if (next_ > copies + 1) return false;
    if (next_ == 0) {
        pending_ = merge.prefix;
    } else if (next_ <= copies) {
        merge.body->WriteCopy(*merge.data, *merge.plan, text_.first_ + next_ - 1, merge.columns, merge.encode,
                              pending_);
    } else {
        pending_ = merge.suffix;
    }
    ++next_;
    return true;
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
