#include "merge_field.h"

#include "unicode_text.h"
#include "word.h"

#include <vector>

namespace word {
namespace {

struct Token {
    std::string text;
    bool quoted = false;
};

// Field instructions are words separated by blanks; quoted words may hold blanks, with \" and \\ inside.
std::vector<Token> Tokenise(std::string_view instruction) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < instruction.size()) {
        char c = instruction[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        Token token;
        if (c == '"') {
            token.quoted = true;
            for (++i; i < instruction.size() && instruction[i] != '"'; ++i) {
                if (instruction[i] == '\\' && i + 1 < instruction.size() &&
                    (instruction[i + 1] == '"' || instruction[i + 1] == '\\'))
                    ++i;
                token.text += instruction[i];
            }
            ++i;
        } else {
            while (i < instruction.size() && instruction[i] != ' ' && instruction[i] != '\t' &&
                   instruction[i] != '\r' && instruction[i] != '\n' && instruction[i] != '"')
                token.text += instruction[i++];
        }
        tokens.push_back(std::move(token));
    }
    return tokens;
}

bool IsSwitch(const Token& token) {
    return !token.quoted && !token.text.empty() && token.text[0] == '\\';
}

void ApplyFormatSwitch(MergeField& field, std::string_view format) {
    if (EqualsNoCase(format, "Upper"))
        field.textCase = MergeField::Case::Upper;
    else if (EqualsNoCase(format, "Lower"))
        field.textCase = MergeField::Case::Lower;
    else if (EqualsNoCase(format, "Caps"))
        field.textCase = MergeField::Case::Caps;
    else if (EqualsNoCase(format, "FirstCap"))
        field.textCase = MergeField::Case::FirstCap;
    // MERGEFORMAT keeps the formatting of the field's result, which is how every value is inserted;
    // other formats (CHARFORMAT and the like) change nothing in the text.
}

} // namespace

std::string MergeField::Apply(std::string_view value) const {
    if (value.empty()) return "";
    std::string text;
    switch (textCase) {
    case Case::AsIs:
        text = value;
        break;
    case Case::Upper:
        text = ToUpper(value);
        break;
    case Case::Lower:
        text = ToLower(value);
        break;
    case Case::Caps:
        text = CapitaliseWords(value, false);
        break;
    case Case::FirstCap:
        text = CapitaliseWords(value, true);
        break;
    }
    return textBefore + text + textAfter;
}

std::optional<MergeField> ParseMergeField(std::string_view instruction) {
    std::vector<Token> tokens = Tokenise(instruction);
    if (tokens.empty() || tokens[0].quoted || !EqualsNoCase(tokens[0].text, "MERGEFIELD"))
        return std::nullopt;
    if (tokens.size() < 2 || IsSwitch(tokens[1]) || tokens[1].text.empty())
        throw AutomationError("The merge field {" + std::string(instruction) + "} names no field");

    MergeField field;
    field.name = tokens[1].text;
    for (size_t i = 2; i < tokens.size(); ++i) {
        if (!IsSwitch(tokens[i])) continue;
        std::string_view sw = tokens[i].text;
        bool hasArgument = i + 1 < tokens.size() && !IsSwitch(tokens[i + 1]);
        if (sw.size() > 2 && sw.substr(0, 2) == "\\*") {
            ApplyFormatSwitch(field, sw.substr(2));
        } else if (sw == "\\*" && hasArgument) {
            ApplyFormatSwitch(field, tokens[++i].text);
        } else if ((sw == "\\b" || sw == "\\B") && hasArgument) {
            field.textBefore = tokens[++i].text;
        } else if ((sw == "\\f" || sw == "\\F") && hasArgument) {
            field.textAfter = tokens[++i].text;
        }
    }
    return field;
}

std::string MergeFieldInstruction(std::string_view name) {
    if (name.find_first_of(" \t\"\\") == std::string_view::npos)
        return " MERGEFIELD " + std::string(name) + " ";
    std::string quoted = " MERGEFIELD \"";
    for (char c : name) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\" ";
}

} // namespace word
