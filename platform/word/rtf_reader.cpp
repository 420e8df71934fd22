#include "rtf_text.h"
#include "rtf_words.h"
#include "word/reader.h"

#include <algorithm>

namespace word {
namespace {

bool IsHeaderOrFooter(std::string_view destination) {
    return destination.starts_with("header") || destination.starts_with("footer");
}

class RtfReader {
public:
    explicit RtfReader(std::string_view source) : source_(source), rtf_(TokeniseRtf(source)) {
        content_.format = DocumentFormat::Rtf;
    }

    DocumentContent Read() {
        ReadRange(1, rtf_.tokens.size() - 1, content_.text, true);
        return std::move(content_);
    }

private:
    // The text of the tokens [from, to); groups of headers and footers go to their own list when
    // collectHeaders is set.
    void ReadRange(size_t from, size_t to, std::string& out, bool collectHeaders) {
        RtfTextDecoder decoder(source_);
        for (size_t i = from; i < to; ++i) {
            const RtfToken& token = rtf_.tokens[i];
            if (token.kind == RtfToken::Kind::GroupStart) {
                bool ignorable = false;
                std::string_view destination = GroupDestination(rtf_, i, &ignorable);
                if (destination == "stylesheet" && collectHeaders) {
                    ReadStyles(i);
                } else if (destination == "fldinst") {
                    content_.fields.push_back(FieldInstruction(rtf_, source_, i));
                } else if (collectHeaders && IsHeaderOrFooter(destination)) {
                    std::string text;
                    ReadRange(i + 1, rtf_.groupEnd[i], text, false);
                    content_.headersAndFooters.push_back(text);
                    content_.sections.resize(std::max(content_.sections.size(), section_ + 1));
                    content_.sections[section_].push_back(text);
                } else if (collectHeaders && destination == "footnote") {
                    std::string text;
                    ReadRange(i + 1, rtf_.groupEnd[i], text, false);
                    content_.notes.push_back(text);
                } else if (!ignorable && !IsNonTextDestination(destination) &&
                           !IsHeaderOrFooter(destination)) {
                    decoder.EnterGroup();
                    continue;
                }
                i = rtf_.groupEnd[i];
            } else if (token.kind == RtfToken::Kind::GroupEnd) {
                decoder.LeaveGroup();
            } else if (!decoder.Append(token, out) && token.kind == RtfToken::Kind::ControlWord) {
                Word(token, out);
            }
        }
    }

    void Word(const RtfToken& token, std::string& out) {
        std::string_view name = token.name;
        if (name == "par")
            out += '\n';
        else if (name == "tab")
            out += '\t';
        else if (name == "line")
            out += '\v';
        else if (name == "page")
            out += '\f';
        else if (name == "sect") {
            out += '\f';
            ++section_;
            sectionBreak_ = out.size();
        } else if ((name == "sbknone" || name == "sbkcol") && sectionBreak_ == out.size() && !out.empty())
            out.pop_back(); // the section after the break runs on on the same page
        else if ((name == "paperw" || name == "pgwsxn") && token.hasParameter)
            content_.pageWidth = token.parameter;
        else if ((name == "paperh" || name == "pghsxn") && token.hasParameter)
            content_.pageHeight = token.parameter;
    }

    std::string GroupText(size_t group) {
        std::string text;
        ReadRange(group + 1, rtf_.groupEnd[group], text, false);
        return text;
    }

    void ReadStyles(size_t group) {
        for (size_t i = group + 1; i < rtf_.groupEnd[group]; ++i) {
            if (rtf_.tokens[i].kind != RtfToken::Kind::GroupStart) continue;
            std::string name = GroupText(i);
            size_t end = name.find(';');
            name = name.substr(0, end);
            size_t start = name.find_first_not_of(' ');
            if (start != std::string::npos) content_.styles.push_back(name.substr(start));
            i = rtf_.groupEnd[i];
        }
    }

    std::string_view source_;
    RtfTokens rtf_;
    DocumentContent content_;
    size_t sectionBreak_ = 0; // the length of the text just after the last section break
    size_t section_ = 0;      // the number of section breaks read
};

} // namespace

DocumentContent ReadRtfContent(std::string_view content) {
    return RtfReader(content).Read();
}

} // namespace word
