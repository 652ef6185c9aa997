#include "skin/SkinParser.h"

#include "skin/SkinTokenizer.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>
#include <vector>

namespace {

enum class Statement { Image, Icon, Long, String };

constexpr unsigned kOptions = CSkinTokenizer::kStripQuotes;

[[noreturn]] void Fail(std::optional<std::size_t> position)
{
    throw CSkinParser::SKIN_EXEPTION{0, position};
}

// The tokenizer as the parser sees it: tokens longer than the parser can hold
// are an error where they end.
std::optional<SkinToken> NextToken(std::string_view text, std::size_t pos)
{
    auto token = CSkinTokenizer::Next(text, pos, kOptions);
    if (token && token->length > CSkinParser::kMaxTokenLength)
        Fail(token->next);
    return token;
}

// Parentheses, commas and keywords count only outside quotes.
bool Is(const SkinToken& token, std::string_view text, std::string_view what)
{
    return token.kind != SkinTokenKind::String && token.Text(text) == what;
}

std::optional<Statement> StatementOf(const SkinToken& token, std::string_view text)
{
    static constexpr std::array<std::pair<std::string_view, Statement>, 4> kStatements = {{
        {"IMAGE", Statement::Image},
        {"ICON", Statement::Icon},
        {"LONG", Statement::Long},
        {"STRING", Statement::String},
    }};
    for (const auto& [word, statement] : kStatements)
        if (Is(token, text, word))
            return statement;
    return std::nullopt;
}

struct Arguments {
    std::vector<std::string> texts;
    bool anyEmpty = false; // an argument of nothing but blanks and comments
    std::size_t next = 0;  // just after the closing parenthesis
};

// One argument from pos up to its "," or closing ")"; returns whether it was
// the last one.
bool ParseArgument(std::string_view text, std::size_t& pos, Arguments& args)
{
    const std::size_t begin = pos;
    int depth = 1;
    std::size_t tokens = 0; // tokens other than parentheses
    bool sawParenthesis = false;
    SkinToken only;
    for (;;) {
        const auto token = NextToken(text, pos);
        if (!token)
            Fail(std::nullopt);
        pos = token->next;
        if (Is(*token, text, ")")) {
            if (--depth == 0)
                break;
            sawParenthesis = true;
        } else if (Is(*token, text, "(")) {
            ++depth;
            sawParenthesis = true;
        } else if (Is(*token, text, ",") && depth == 1) {
            break;
        } else {
            only = *token;
            ++tokens;
        }
    }
    if (depth == 0)
        args.next = pos;
    if (tokens == 0 && !sawParenthesis) {
        args.anyEmpty = true;
    } else if (tokens == 1 && !sawParenthesis && only.kind == SkinTokenKind::String) {
        args.texts.emplace_back(only.Text(text));
    } else {
        const std::size_t end = pos - 1; // before the one-character terminator
        std::string_view raw = text.substr(begin, end - begin);
        raw.remove_prefix(std::min(raw.find_first_not_of(' '), raw.size()));
        args.texts.emplace_back(raw);
    }
    return depth == 0;
}

Arguments ParseArgumentList(std::string_view text, std::size_t pos)
{
    const auto open = NextToken(text, pos);
    if (!open)
        Fail(std::nullopt);
    if (!Is(*open, text, "("))
        Fail(open->next);
    Arguments args;
    pos = open->next;
    while (!ParseArgument(text, pos, args)) {
    }
    return args;
}

void Store(Statement statement, const std::string& key, const std::string& value, SkinValues& values)
{
    switch (statement) {
    case Statement::Image: values.images[key] = value; break;
    case Statement::Icon: values.icons[key] = value; break;
    case Statement::Long: values.numbers[key] = CSkinParser::NumberValue(value); break;
    case Statement::String: values.strings[key] = value; break;
    }
}

bool IsCSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Leading blanks, an optional sign, then digits of the base up to the first
// other character, clamped to 32 bits; 0 without digits.
std::int32_t LeadingInteger(std::string_view text, int base)
{
    std::size_t i = 0;
    while (i < text.size() && IsCSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    std::int64_t value = 0;
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    for (; i < text.size(); ++i) {
        const int digit = HexDigitValue(text[i]);
        if (digit < 0 || digit >= base)
            break;
        value = std::min(value * base + digit, kLimit);
    }
    value = negative ? -value : std::min(value, kLimit - 1);
    return static_cast<std::int32_t>(value);
}

} // namespace

std::int32_t CSkinParser::NumberValue(std::string_view text)
{
    if (text.size() == 7 && text[0] == '#') {
        const std::int64_t red = LeadingInteger(text.substr(1, 2), 16);
        const std::int64_t green = LeadingInteger(text.substr(3, 2), 16);
        const std::int64_t blue = LeadingInteger(text.substr(5, 2), 16);
        return static_cast<std::int32_t>(red + 256 * green + 65536 * blue);
    }
    return LeadingInteger(text, 10);
}

void CSkinParser::Parse(std::string_view text, SkinValues& values)
{
    text = text.substr(0, std::min(text.find('\0'), text.size()));
    std::size_t pos = 0;
    while (pos < text.size()) {
        const auto keyword = NextToken(text, pos);
        if (!keyword)
            return; // only white space and comments were left
        const auto statement = StatementOf(*keyword, text);
        if (!statement)
            Fail(keyword->next);
        const Arguments args = ParseArgumentList(text, keyword->next);
        if (args.texts.size() != 2 || args.anyEmpty)
            Fail(args.next);
        Store(*statement, args.texts[0], args.texts[1], values);
        pos = args.next;
    }
}

int CSkinParser::ErrorLine(std::string_view text, const std::optional<std::size_t>& position)
{
    if (!position)
        return 0;
    const std::string_view before = text.substr(0, std::min(*position, text.size()));
    return 1 + static_cast<int>(std::count(before.begin(), before.end(), '\n'));
}

std::string CSkinParser::ErrorMessage(int code, int line)
{
    std::array<char, 64> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "Error (%d) in line %d", code, line);
    return buffer.data();
}

bool CSkinParser::ParseAndReport(std::string_view text, SkinValues& values, ISkinErrorSink* errors)
{
    try {
        Parse(text, values);
        return true;
    } catch (const SKIN_EXEPTION& error) {
        if (errors != nullptr)
            errors->OnSkinError(ErrorMessage(error.code, ErrorLine(text, error.position)),
                                ISkinErrorSink::Icon::Error);
        return false;
    }
}
