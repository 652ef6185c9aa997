#include "skin/SkinTokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Kind = SkinTokenKind;

std::vector<std::pair<std::string, Kind>> Tokens(std::string_view text, unsigned options = 0,
                                                 std::span<const std::string_view> keywords = {})
{
    std::vector<std::pair<std::string, Kind>> tokens;
    std::size_t pos = 0;
    while (auto token = CSkinTokenizer::Next(text, pos, options, keywords)) {
        tokens.emplace_back(std::string(token->Text(text)), token->kind);
        pos = token->next;
    }
    return tokens;
}

} // namespace

TEST(SkinTokenizer, ClassifiesIdentifiersNumbersAndOperators)
{
    EXPECT_EQ(Tokens("BtnA::offset_left _x9 695 0x1F 0x 1.5 $"),
              (std::vector<std::pair<std::string, Kind>>{
                  {"BtnA", Kind::Identifier}, {"::", Kind::Operator}, {"offset_left", Kind::Identifier},
                  {"_x9", Kind::Identifier}, {"695", Kind::Decimal}, {"0x1F", Kind::Hex},
                  {"0x", Kind::MalformedHex}, {"1", Kind::Decimal}, {".", Kind::Operator},
                  {"5", Kind::Decimal}, {"$", Kind::Other}}));
}

TEST(SkinTokenizer, TriesTwoCharacterOperatorsBeforeSingleCharacters)
{
    EXPECT_EQ(Tokens("-5 ->a <<= ##)\\\"")[0], std::make_pair(std::string("-"), Kind::Operator));
    std::vector<std::string> texts;
    for (const auto& token : Tokens("a->b<<=c##d\\\"e :::"))
        texts.push_back(token.first);
    EXPECT_EQ(texts, (std::vector<std::string>{"a", "->", "b", "<<", "=", "c", "##", "d", "\\\"", "e", "::", ":"}));
}

TEST(SkinTokenizer, StringsRunToAQuoteNotPrecededByABackslash)
{
    EXPECT_EQ(Tokens(R"("Buttons\BtnA_Up.bmp" "say \"hi\"" "")"),
              (std::vector<std::pair<std::string, Kind>>{{R"("Buttons\BtnA_Up.bmp")", Kind::String},
                                                         {R"("say \"hi\"")", Kind::String},
                                                         {R"("")", Kind::String}}));
    EXPECT_EQ(Tokens(R"(x "Skins\" y)"), (std::vector<std::pair<std::string, Kind>>{
                                             {"x", Kind::Identifier}, {R"("Skins\" y)", Kind::UnterminatedString}}));
    EXPECT_EQ(Tokens("\""), (std::vector<std::pair<std::string, Kind>>{{"\"", Kind::UnterminatedString}}));
}

TEST(SkinTokenizer, StripOptionsShortenStringsAndHexNumbers)
{
    const unsigned options = CSkinTokenizer::kStripQuotes | CSkinTokenizer::kStripHexPrefix;
    EXPECT_EQ(Tokens(R"("abc" "" 0xFF "open)", options),
              (std::vector<std::pair<std::string, Kind>>{{"abc", Kind::String},
                                                         {"", Kind::String},
                                                         {"FF", Kind::Hex},
                                                         {"\"open", Kind::UnterminatedString}}));
}

TEST(SkinTokenizer, CommentsAreSkippedBetweenTokensUnlessSwitchedOff)
{
    const std::string text = "a // to the end\r\n\r\n/* block\n */ b /* open";
    EXPECT_EQ(Tokens(text), (std::vector<std::pair<std::string, Kind>>{{"a", Kind::Identifier},
                                                                       {"b", Kind::Identifier}}));
    EXPECT_EQ(Tokens("\"no // comment\"").size(), 1u);
    EXPECT_EQ(Tokens("a//", CSkinTokenizer::kNoComments).size(), 3u);
    EXPECT_TRUE(Tokens(" \t\r\n// only\n/* comments */").empty());
}

TEST(SkinTokenizer, FractionsAndExponentsOnlyWithTheirOption)
{
    EXPECT_EQ(Tokens("1.5 2e-3 7.", CSkinTokenizer::kFractions),
              (std::vector<std::pair<std::string, Kind>>{{"1.5", Kind::DecimalFraction},
                                                         {"2e-3", Kind::DecimalFraction},
                                                         {"7", Kind::Decimal},
                                                         {".", Kind::Operator}}));
}

TEST(SkinTokenizer, KeywordsReclassOnlyExactIdentifiersAndOperators)
{
    const std::vector<std::string_view> keywords = {"LONG", "::"};
    EXPECT_EQ(Tokens("LONG Long \"LONG\" ::", 0, keywords),
              (std::vector<std::pair<std::string, Kind>>{{"LONG", Kind::Keyword},
                                                         {"Long", Kind::Identifier},
                                                         {"\"LONG\"", Kind::String},
                                                         {"::", Kind::Keyword}}));
}

TEST(SkinTokenizer, BytesAboveAsciiAreSingleOtherCharacters)
{
    EXPECT_EQ(Tokens("\xC3\xA9"), (std::vector<std::pair<std::string, Kind>>{{"\xC3", Kind::Other},
                                                                            {"\xA9", Kind::Other}}));
}
