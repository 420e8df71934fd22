#include "rtf_text.h"

#include "rtf_words.h"
#include "unicode_text.h"

namespace word {
namespace {

// Words that separate the words of a field instruction as a blank does (some programs write a tab there).
bool IsBlankWord(const RtfToken& token) {
    return token.IsWord("tab") || token.IsWord("line") || token.IsWord("par");
}

} // namespace

void RtfTextDecoder::EnterGroup() {
    unicodeSkip_.push_back(unicodeSkip_.back());
    pendingSkip_ = 0;
}

void RtfTextDecoder::LeaveGroup() {
    if (unicodeSkip_.size() > 1) unicodeSkip_.pop_back();
    pendingSkip_ = 0;
}

bool RtfTextDecoder::Append(const RtfToken& token, std::string& out) {
    switch (token.kind) {
    case RtfToken::Kind::Text: {
        for (char c : source_.substr(token.offset, token.length)) {
            if (c == '\r' || c == '\n') continue;
            if (pendingSkip_ > 0) {
                --pendingSkip_;
                continue;
            }
            AppendUtf8(out, FromWindows1252(static_cast<unsigned char>(c)));
        }
        return true;
    }
    case RtfToken::Kind::ControlSymbol: {
        char symbol = token.name[0];
        if (symbol == '\'') {
            if (pendingSkip_ > 0)
                --pendingSkip_;
            else
                AppendUtf8(out, FromWindows1252(static_cast<unsigned char>(token.parameter)));
        } else if (symbol == '\\' || symbol == '{' || symbol == '}') {
            out += symbol;
        } else if (symbol == '~') {
            AppendUtf8(out, 0xA0);
        } else if (symbol == '_') {
            AppendUtf8(out, 0x2011);
        } else {
            return false;
        }
        return true;
    }
    case RtfToken::Kind::ControlWord:
        if (token.name == "uc" && token.hasParameter) {
            unicodeSkip_.back() = token.parameter < 0 ? 0 : token.parameter;
            return false;
        }
        if (token.name == "u" && token.hasParameter) {
            char32_t unit = static_cast<char32_t>(token.parameter) & 0xFFFF;
            if (unit >= 0xD800 && unit < 0xDC00) {
                highSurrogate_ = unit;
            } else if (unit >= 0xDC00 && unit < 0xE000 && highSurrogate_ != 0) {
                AppendUtf8(out, 0x10000 + ((highSurrogate_ - 0xD800) << 10) + (unit - 0xDC00));
                highSurrogate_ = 0;
            } else {
                AppendUtf8(out, unit);
            }
            pendingSkip_ = unicodeSkip_.back();
            return true;
        }
        return false;
    default:
        return false;
    }
}

namespace {

// The text of a group, passing over the nested groups skip names (by destination and ignorable mark); with
// blanksAsTabs, words that separate words as a blank does become tabs.
template <class Skip>
std::string WalkText(const RtfTokens& rtf, std::string_view source, size_t group, Skip skip,
                     bool blanksAsTabs) {
    RtfTextDecoder decoder(source);
    std::string text;
    for (size_t i = group + 1; i < rtf.groupEnd[group]; ++i) {
        const RtfToken& token = rtf.tokens[i];
        if (token.kind == RtfToken::Kind::GroupStart) {
            bool ignorable = false;
            if (skip(GroupDestination(rtf, i, &ignorable)) || ignorable)
                i = rtf.groupEnd[i];
            else
                decoder.EnterGroup();
        } else if (token.kind == RtfToken::Kind::GroupEnd) {
            decoder.LeaveGroup();
        } else if (!decoder.Append(token, text) && blanksAsTabs && IsBlankWord(token)) {
            text += '\t';
        }
    }
    return text;
}

} // namespace

std::string FieldInstruction(const RtfTokens& rtf, std::string_view source, size_t group) {
    return WalkText(
        rtf, source, group, [](std::string_view destination) { return destination == "field"; }, true);
}

namespace {

// The text of a group, leaving out ignorable and non-text destinations (so the instructions of fields in
// it, but not their results).
std::string GroupText(const RtfTokens& rtf, std::string_view source, size_t group) {
    return WalkText(
        rtf, source, group, [](std::string_view destination) { return IsNonTextDestination(destination); },
        false);
}

FieldCode ReadCode(const RtfTokens& rtf, std::string_view source, size_t group, size_t depth) {
    FieldCode code;
    for (size_t i = group + 1; i < rtf.groupEnd[group]; ++i) {
        if (rtf.tokens[i].kind != RtfToken::Kind::GroupStart) continue;
        std::string_view destination = GroupDestination(rtf, i);
        // Only a nested field's result is ever shown in its place; reading the outer one would read every
        // field nested in it once per level.
        if (destination == "fldrslt" && depth > 0) code.result = GroupText(rtf, source, i);
        if (destination != "fldinst") {
            i = rtf.groupEnd[i];
            continue;
        }
        RtfTextDecoder decoder(source);
        size_t instruction = i;
        for (++i; i < rtf.groupEnd[instruction]; ++i) {
            const RtfToken& token = rtf.tokens[i];
            if (token.kind == RtfToken::Kind::GroupStart) {
                bool ignorable = false;
                std::string_view inner = GroupDestination(rtf, i, &ignorable);
                if (inner == "field") {
                    code.instruction += kNestedField;
                    if (depth < kMaxFieldNesting)
                        code.nested.push_back(ReadCode(rtf, source, i, depth + 1));
                    else
                        code.nested.push_back({"", {}, GroupText(rtf, source, i)});
                    i = rtf.groupEnd[i];
                } else if (ignorable) {
                    i = rtf.groupEnd[i];
                } else {
                    decoder.EnterGroup();
                }
            } else if (token.kind == RtfToken::Kind::GroupEnd) {
                decoder.LeaveGroup();
            } else {
                std::string text;
                if (!decoder.Append(token, text) && IsBlankWord(token)) text = "\t";
                std::erase(text, kNestedField);
                code.instruction += text;
            }
        }
    }
    return code;
}

} // namespace

FieldCode ReadFieldCode(const RtfTokens& rtf, std::string_view source, size_t group) {
    return ReadCode(rtf, source, group, 0);
}

void EncodeRtfText(std::string_view text, std::string& out) {
    const auto unicode = [&out](char32_t unit) {
        out += "\\u" + std::to_string(static_cast<int16_t>(unit)) + "?";
    };
    ForEachValueCharacter(
        text, [&] { out += "\\tab "; }, [&] { out += "\\line "; },
        [&](char32_t cp) {
            if (cp == '\\' || cp == '{' || cp == '}') {
                out += '\\';
                out += static_cast<char>(cp);
            } else if (cp < 0x80) {
                out += static_cast<char>(cp);
            } else if (cp < 0x10000) {
                unicode(cp);
            } else {
                unicode(0xD800 + ((cp - 0x10000) >> 10));
                unicode(0xDC00 + ((cp - 0x10000) & 0x3FF));
            }
        });
}

} // namespace word
