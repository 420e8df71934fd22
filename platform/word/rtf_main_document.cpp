// An RTF main document: the header (tables, styles, document settings) is written once, the body (from the
// first section, paragraph or text onwards) once per record, the copies separated by section breaks. Each
// MERGEFIELD field group is replaced by a group that holds the value in the formatting of the field's
// result.

#include "main_document.h"
#include "merge_body.h"
#include "rtf_text.h"
#include "rtf_words.h"

#include <optional>

namespace word {
namespace {

bool IsBodyStart(const RtfToken& token, std::string_view source) {
    switch (token.kind) {
    case RtfToken::Kind::ControlWord:
        return token.name == "sectd" || token.name == "pard" || token.name == "plain" ||
               token.name == "trowd" || IsTextWord(token.name);
    case RtfToken::Kind::ControlSymbol:
        return true;
    case RtfToken::Kind::Text:
        return source.substr(token.offset, token.length).find_first_not_of("\r\n") != std::string_view::npos;
    default:
        return false;
    }
}

// Words that set the formatting of the text after them, to be carried over to the value: all but those
// that name the field's groups, the \u fallback count (the value sets its own), the paragraph reset and
// \bin (whose data would not come along).
bool CarriesFormatting(std::string_view name) {
    return name != "fldrslt" && name != "fldinst" && name != "uc" && name != "pard" && name != "bin";
}

bool IsSectionBreakWord(std::string_view name) {
    return name == "sbknone" || name == "sbkcol" || name == "sbkeven" || name == "sbkodd";
}

struct RtfMergeField {
    MergeField field;
    std::string formatting;
};

class RtfMainDocument : public MainDocument {
public:
    explicit RtfMainDocument(std::string content) : source_(std::move(content)), rtf_(TokeniseRtf(source_)) {
        size_t last = rtf_.tokens.size() - 1;
        size_t bodyStart = ReadHeader(last);
        ReadBody(bodyStart, last);
        // The pieces hold copies of what they need; the tokens serve only while the document is cut.
        rtf_ = {};
        source_ = {};
    }

    MergedText Merge(std::shared_ptr<const DataSource> data) const override {
        return MergedText(body_, std::move(data), EncodeRtfText, header_, "}");
    }

private:
    const RtfToken& Token(size_t i) const { return rtf_.tokens[i]; }
    std::string_view Span(size_t from, size_t to) const {
        return std::string_view(source_).substr(from, to - from);
    }
    size_t EndOffset(size_t i) const { return Token(i).offset + Token(i).length; }

    // Copies the header up to the first body token and gives that token's index. A mail-merge data
    // source setting is left out: the merged document is no main document any more.
    size_t ReadHeader(size_t last) {
        size_t copyFrom = Token(0).offset;
        size_t i = 1;
        while (i < last) {
            if (Token(i).kind == RtfToken::Kind::GroupStart) {
                bool ignorable = false;
                std::string_view destination = GroupDestination(rtf_, i, &ignorable);
                if (!ignorable && !IsHeaderDestination(destination)) break;
                if (destination == "mailmerge") {
                    header_ += Span(copyFrom, Token(i).offset);
                    copyFrom = EndOffset(rtf_.groupEnd[i]);
                }
                i = rtf_.groupEnd[i] + 1;
            } else if (IsBodyStart(Token(i), source_)) {
                break;
            } else {
                ++i;
            }
        }
        header_ += Span(copyFrom, Token(i).offset);
        return i;
    }

    void ReadBody(size_t start, size_t last) {
        size_t literalFrom = Token(start).offset;
        size_t i = start;
        bool firstSection = true;
        while (i < last) {
            if (Token(i).IsWord("sect")) firstSection = false;
            // Each copy must start a page, so its first section may not run on from the one before it
            // (word processors save a first section as continuous: it follows nothing in the template).
            if (firstSection && Token(i).kind == RtfToken::Kind::ControlWord &&
                IsSectionBreakWord(Token(i).name)) {
                body_->AddLiteral(Span(literalFrom, Token(i).offset));
                body_->AddLiteral("\\sbkpage ");
                literalFrom = EndOffset(i);
                ++i;
                continue;
            }
            std::optional<RtfMergeField> field;
            if (Token(i).kind == RtfToken::Kind::GroupStart && GroupDestination(rtf_, i) == "field")
                field = ReadField(i);
            if (!field) {
                ++i;
                continue;
            }
            body_->AddLiteral(Span(literalFrom, Token(i).offset));
            body_->AddField(std::move(field->field), "{" + field->formatting + "\\uc1 ", "}");
            literalFrom = EndOffset(rtf_.groupEnd[i]);
            i = rtf_.groupEnd[i] + 1;
        }
        body_->AddLiteral(Span(literalFrom, Token(last).offset));
        body_->AddRecordBreak("\\sect ");
    }

    std::optional<RtfMergeField> ReadField(size_t group) const {
        std::optional<std::string> instructionFormat, resultFormat;
        for (size_t i = group + 2; i < rtf_.groupEnd[group]; ++i) {
            if (Token(i).kind != RtfToken::Kind::GroupStart) continue;
            std::string_view destination = GroupDestination(rtf_, i);
            if (destination == "fldinst")
                instructionFormat = FormattingAtFirstText(i);
            else if (destination == "fldrslt")
                resultFormat = FormattingAtFirstText(i);
            i = rtf_.groupEnd[i];
        }
        std::optional<MergeField> field = ParseField(ReadFieldCode(rtf_, source_, group));
        if (!field) return std::nullopt;
        return RtfMergeField{std::move(*field),
                             resultFormat ? *resultFormat : instructionFormat.value_or("")};
    }

    // The character formatting words in force where the group's first text starts: those of the groups
    // that enclose that text, in order, leaving out groups already closed, non-text destinations and
    // nested fields (whose own groups are read when their turn comes).
    std::optional<std::string> FormattingAtFirstText(size_t group) const {
        std::vector<std::string> levels(1);
        for (size_t i = group + 1; i < rtf_.groupEnd[group]; ++i) {
            const RtfToken& token = Token(i);
            if (token.kind == RtfToken::Kind::GroupStart) {
                bool ignorable = false;
                std::string_view destination = GroupDestination(rtf_, i, &ignorable);
                if (ignorable || IsNonTextDestination(destination) || destination == "field")
                    i = rtf_.groupEnd[i];
                else
                    levels.emplace_back();
            } else if (token.kind == RtfToken::Kind::GroupEnd) {
                levels.pop_back();
            } else if (token.kind == RtfToken::Kind::ControlSymbol && token.name == "*") {
                continue;
            } else if (IsBodyStart(token, source_) && !token.IsWord("pard") && !token.IsWord("plain")) {
                std::string formatting;
                for (const std::string& level : levels)
                    formatting += level;
                return formatting;
            } else if (token.kind == RtfToken::Kind::ControlWord && CarriesFormatting(token.name)) {
                levels.back() += Span(token.offset, EndOffset(i));
            }
        }
        return std::nullopt;
    }

    std::string source_;
    RtfTokens rtf_;
    std::string header_;
    std::shared_ptr<MergeBody> body_ = std::make_shared<MergeBody>();
};

} // namespace

std::unique_ptr<MainDocument> ReadRtfMainDocument(std::string content) {
    return std::make_unique<RtfMainDocument>(std::move(content));
}

} // namespace word
