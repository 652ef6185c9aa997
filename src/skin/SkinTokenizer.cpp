#include "skin/SkinTokenizer.h"

#include <algorithm>
#include <array>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsHexDigit(char c)
{
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

constexpr std::array<std::string_view, 22> kTwoCharOperators = {
    "++", "--", "==", "!=", "+=", "-=", "/=", "*=", "|=", "&=", "^=",
    "<>", "=>", "<=", "->", "##", "||", "&&", "<<", ">>", "::", "\\\"",
};
constexpr std::string_view kOperatorChars = "?:~^@;.,()[]#%+-*/'<>=!?&|{}";

// Position of the first character of the next token or of the end.
std::size_t SkipBlanksAndComments(std::string_view text, std::size_t pos, bool comments)
{
    for (;;) {
        while (pos < text.size() && IsBlank(text[pos]))
            ++pos;
        if (!comments || pos + 1 >= text.size() || text[pos] != '/')
            return pos;
        if (text[pos + 1] == '/') {
            pos = text.find_first_of("\r\n", pos);
            if (pos == std::string_view::npos)
                return text.size();
            pos = text.find_first_not_of("\r\n", pos);
            if (pos == std::string_view::npos)
                return text.size();
        } else if (text[pos + 1] == '*') {
            const std::size_t close = text.find("*/", pos + 2);
            pos = close == std::string_view::npos ? text.size() : close + 2;
        } else {
            return pos;
        }
    }
}

std::size_t SkipWhile(std::string_view text, std::size_t pos, bool (*accept)(char))
{
    while (pos < text.size() && accept(text[pos]))
        ++pos;
    return pos;
}

// End of the string that opens at pos, and whether its closing quote was found.
std::size_t StringEnd(std::string_view text, std::size_t pos, bool& closed)
{
    for (std::size_t q = text.find('"', pos + 1); q != std::string_view::npos; q = text.find('"', q + 1)) {
        if (text[q - 1] != '\\') {
            closed = true;
            return q + 1;
        }
    }
    closed = false;
    return text.size();
}

std::size_t NumberEnd(std::string_view text, std::size_t pos, bool fractions, SkinTokenKind& kind)
{
    std::size_t end = SkipWhile(text, pos, IsDigit);
    kind = SkinTokenKind::Decimal;
    if (!fractions)
        return end;
    if (end + 1 < text.size() && text[end] == '.' && IsDigit(text[end + 1])) {
        end = SkipWhile(text, end + 1, IsDigit);
        kind = SkinTokenKind::DecimalFraction;
    }
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        std::size_t digits = end + 1;
        if (digits < text.size() && (text[digits] == '+' || text[digits] == '-'))
            ++digits;
        if (digits < text.size() && IsDigit(text[digits])) {
            end = SkipWhile(text, digits, IsDigit);
            kind = SkinTokenKind::DecimalFraction;
        }
    }
    return end;
}

SkinToken Classify(std::string_view text, std::size_t pos, unsigned options)
{
    SkinToken token;
    token.start = pos;
    std::size_t end = pos + 1;
    const char c = text[pos];
    if (c == '"') {
        bool closed = false;
        end = StringEnd(text, pos, closed);
        token.kind = closed ? SkinTokenKind::String : SkinTokenKind::UnterminatedString;
    } else if (IsLetter(c) || c == '_') {
        end = SkipWhile(text, pos, [](char x) { return IsLetter(x) || IsDigit(x) || x == '_'; });
        token.kind = SkinTokenKind::Identifier;
    } else if (c == '0' && pos + 1 < text.size() && (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
        end = SkipWhile(text, pos + 2, IsHexDigit);
        token.kind = end == pos + 2 ? SkinTokenKind::MalformedHex : SkinTokenKind::Hex;
    } else if (IsDigit(c)) {
        end = NumberEnd(text, pos, (options & CSkinTokenizer::kFractions) != 0, token.kind);
    } else {
        const char second = pos + 1 < text.size() ? text[pos + 1] : '\0';
        const auto two = std::find_if(kTwoCharOperators.begin(), kTwoCharOperators.end(),
                                      [&](std::string_view op) { return op[0] == c && op[1] == second; });
        if (second != '\0' && two != kTwoCharOperators.end()) {
            end = pos + 2;
            token.kind = SkinTokenKind::Operator;
        } else {
            token.kind = kOperatorChars.find(c) != std::string_view::npos ? SkinTokenKind::Operator
                                                                           : SkinTokenKind::Other;
        }
    }
    token.length = end - pos;
    token.next = end;
    return token;
}

} // namespace

std::optional<SkinToken> CSkinTokenizer::Next(std::string_view text, std::size_t pos, unsigned options,
                                              std::span<const std::string_view> keywords)
{
    pos = SkipBlanksAndComments(text, std::min(pos, text.size()), (options & kNoComments) == 0);
    if (pos >= text.size())
        return std::nullopt;
    SkinToken token = Classify(text, pos, options);
    if (token.kind == SkinTokenKind::String && (options & kStripQuotes) != 0) {
        token.start += 1;
        token.length -= 2;
    } else if (token.kind == SkinTokenKind::Hex && (options & kStripHexPrefix) != 0) {
        token.start += 2;
        token.length -= 2;
    }
    if (token.kind == SkinTokenKind::Identifier || token.kind == SkinTokenKind::Operator) {
        const std::string_view word = token.Text(text);
        if (std::find(keywords.begin(), keywords.end(), word) != keywords.end())
            token.kind = SkinTokenKind::Keyword;
    }
    return token;
}
