// Splits formula text into tokens.
#pragma once

#include "formula/formula_error.h"

#include <string>
#include <string_view>
#include <vector>

namespace nnotes::formula {

struct Token {
    enum class Kind {
        Number,
        Text,
        Name,
        Function, // @name; text holds the name with its @
        Colon,
        Assign,
        Semicolon,
        LeftParen,
        RightParen,
        Plus,
        Minus,
        Star,
        Slash,
        Equal,
        NotEqual,
        Less,
        Greater,
        LessEqual,
        GreaterEqual,
        Ampersand,
        Bar,
        Bang,
        End,
    };
    Kind kind = Kind::End;
    size_t offset = 0;
    size_t length = 0;
    std::string text; // Text: the constant's value; every other token: as written
    double number = 0;
};

// Tokens of source, ending with one End token; on failure err says what and where.
bool Tokenize(std::string_view source, std::vector<Token>* tokens, Error* err);

} // namespace nnotes::formula
