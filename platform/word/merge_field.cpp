#include "merge_field.h"

#include "field_evaluation.h"
#include "field_pictures.h"
#include "unicode_text.h"
#include "word/word.h"

#include <vector>

namespace word {
namespace {

struct Token {
    FieldText text;
    std::string plain; // the literal text alone
    bool quoted = false;
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::shared_ptr<MergeField> NestedField(const FieldCode& code) {
    std::optional<MergeField> field = ParseField(code);
    if (!field) {
        field.emplace();
        field->kind = MergeField::Kind::Result;
        field->result = code.result;
    }
    return std::make_shared<MergeField>(std::move(*field));
}

void AddLiteral(Token& token, char c) {
    if (token.text.parts.empty() || token.text.parts.back().field) token.text.parts.emplace_back();
    token.text.parts.back().literal += c;
    token.plain += c;
}

// Field instructions are words separated by blanks; quoted words may hold blanks, with \" and \\ inside.
// A nested field is part of the word it stands in.
std::vector<Token> Tokenise(const FieldCode& code) {
    std::string_view instruction = code.instruction;
    std::vector<Token> tokens;
    size_t nested = 0;
    const auto addNested = [&](Token& token) {
        if (nested < code.nested.size()) token.text.parts.push_back({"", NestedField(code.nested[nested])});
        ++nested;
    };
    size_t i = 0;
    while (i < instruction.size()) {
        char c = instruction[i];
        if (IsBlank(c)) {
            ++i;
            continue;
        }
        Token token;
        if (c == '"') {
            token.quoted = true;
            for (++i; i < instruction.size() && instruction[i] != '"'; ++i) {
                if (instruction[i] == kNestedField) {
                    addNested(token);
                    continue;
                }
                if (instruction[i] == '\\' && i + 1 < instruction.size() &&
                    (instruction[i + 1] == '"' || instruction[i + 1] == '\\'))
                    ++i;
                AddLiteral(token, instruction[i]);
            }
            ++i;
        } else {
            for (; i < instruction.size() && !IsBlank(instruction[i]) && instruction[i] != '"'; ++i) {
                if (instruction[i] == kNestedField)
                    addNested(token);
                else
                    AddLiteral(token, instruction[i]);
            }
        }
        tokens.push_back(std::move(token));
    }
    return tokens;
}

bool IsSwitch(const Token& token) {
    return !token.quoted && !token.plain.empty() && token.plain[0] == '\\' && token.text.parts.size() == 1;
}

bool IsComparison(const Token& token) {
    if (token.quoted || token.text.parts.size() != 1) return false;
    const std::string& op = token.plain;
    return op == "=" || op == "<>" || op == "<" || op == "<=" || op == ">" || op == ">=";
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

// Reads the switches of the tokens from first on; gives the other tokens, the field's arguments.
std::vector<Token> ReadSwitches(MergeField& field, std::vector<Token>& tokens, size_t first) {
    std::vector<Token> arguments;
    for (size_t i = first; i < tokens.size(); ++i) {
        if (!IsSwitch(tokens[i])) {
            arguments.push_back(std::move(tokens[i]));
            continue;
        }
        std::string_view sw = tokens[i].plain;
        bool hasArgument = i + 1 < tokens.size() && !IsSwitch(tokens[i + 1]);
        if (sw.size() > 2 && sw.substr(0, 2) == "\\*") {
            ApplyFormatSwitch(field, sw.substr(2));
        } else if (sw == "\\*" && hasArgument) {
            ApplyFormatSwitch(field, tokens[++i].plain);
        } else if ((sw == "\\b" || sw == "\\B") && hasArgument) {
            field.textBefore = tokens[++i].plain;
        } else if ((sw == "\\f" || sw == "\\F") && hasArgument) {
            field.textAfter = tokens[++i].plain;
        } else if (sw == "\\#" && hasArgument) {
            field.numberPicture = tokens[++i].plain;
        } else if (sw.size() > 2 && sw.substr(0, 2) == "\\#") {
            field.numberPicture = std::string(sw.substr(2));
        } else if (sw == "\\@" && hasArgument) {
            field.datePicture = tokens[++i].plain;
        } else if (sw.size() > 2 && sw.substr(0, 2) == "\\@") {
            field.datePicture = std::string(sw.substr(2));
        }
    }
    return arguments;
}

// The operands of a comparison (an operator between two words) or of a lone expression.
void ReadComparison(MergeField& field, std::vector<Token>& arguments) {
    if (arguments.size() >= 3 && IsComparison(arguments[1])) {
        field.comparison = arguments[1].plain;
        arguments.erase(arguments.begin() + 1);
    }
    for (Token& argument : arguments)
        field.arguments.push_back(std::move(argument.text));
}

} // namespace

std::string MergeField::Apply(std::string_view value) const {
    if (value.empty()) return "";
    // A picture shapes a value that reads as a number or a date; any other value is left as it is.
    std::string shaped(value);
    if (numberPicture) {
        if (std::optional<double> number = ReadNumber(value)) shaped = FormatNumber(*number, *numberPicture);
    } else if (datePicture) {
        if (std::optional<DateTime> date = ReadDate(value)) shaped = FormatDate(*date, *datePicture);
    }
    value = shaped;
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
    if (kind != Kind::Value) return text;
    return textBefore + text + textAfter;
}

std::optional<MergeField> ParseField(const FieldCode& code) {
    std::vector<Token> tokens = Tokenise(code);
    if (tokens.empty() || tokens[0].quoted) return std::nullopt;
    const std::string& type = tokens[0].plain;
    MergeField field;
    if (EqualsNoCase(type, "MERGEFIELD")) {
        std::vector<Token> arguments = ReadSwitches(field, tokens, 1);
        if (arguments.empty() || arguments[0].plain.empty())
            throw AutomationError("The merge field {" + code.instruction + "} names no field");
        field.name = arguments[0].plain;
        return field;
    }
    if (EqualsNoCase(type, "IF")) {
        field.kind = MergeField::Kind::If;
    } else if (EqualsNoCase(type, "NEXTIF")) {
        field.kind = MergeField::Kind::NextIf;
    } else if (EqualsNoCase(type, "SKIPIF")) {
        field.kind = MergeField::Kind::SkipIf;
    } else if (EqualsNoCase(type, "NEXT")) {
        field.kind = MergeField::Kind::Next;
    } else if (EqualsNoCase(type, "MERGEREC")) {
        field.kind = MergeField::Kind::RecordNumber;
    } else if (EqualsNoCase(type, "MERGESEQ")) {
        field.kind = MergeField::Kind::SequenceNumber;
    } else {
        return std::nullopt;
    }
    std::vector<Token> arguments = ReadSwitches(field, tokens, 1);
    ReadComparison(field, arguments);
    if (field.kind == MergeField::Kind::NextIf || field.kind == MergeField::Kind::SkipIf)
        field.arguments.resize(std::min<size_t>(field.arguments.size(), 2));
    return field;
}

std::optional<MergeField> ParseMergeField(std::string_view instruction) {
    std::string text(instruction);
    std::erase(text, kNestedField);
    return ParseField({text, {}, ""});
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
