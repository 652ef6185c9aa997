#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

enum class SkinTokenKind {
    Identifier,
    String,
    UnterminatedString,
    Decimal,
    DecimalFraction,
    Hex,
    MalformedHex,
    Operator,
    Other,
    Keyword,
};

// One token: its text is text.substr(start, length); the next token is looked
// for from next.
struct SkinToken {
    std::size_t start = 0;
    std::size_t length = 0;
    SkinTokenKind kind = SkinTokenKind::Other;
    std::size_t next = 0;

    std::string_view Text(std::string_view text) const { return text.substr(start, length); }
};

// A C-like tokenizer: white space and comments between tokens, strings in
// double quotes (a quote after a backslash does not close), identifiers,
// decimal and hexadecimal numbers, two-character operators, single characters.
class CSkinTokenizer {
public:
    enum Option : unsigned {
        kStripQuotes = 1u << 0,    // a string's text is its content
        kStripHexPrefix = 1u << 1, // a hexadecimal number's text loses "0x"
        kNoComments = 1u << 2,     // "//" and "/*" are operators, not comments
        kFractions = 1u << 3,      // 1.5 and 2e-3 are one number each
    };

    // The token at or after pos, or nothing when only white space and comments
    // remain. A listed keyword turns an identifier or operator of that exact
    // text into a Keyword token.
    static std::optional<SkinToken> Next(std::string_view text, std::size_t pos, unsigned options,
                                         std::span<const std::string_view> keywords = {});
};
