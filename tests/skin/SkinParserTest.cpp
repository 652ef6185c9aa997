#include "skin/SkinParser.h"

#include "skin/SkinTestSupport.h"

#include <gtest/gtest.h>

using namespace skintest;

namespace {

SkinValues ParseOk(std::string_view text)
{
    SkinValues values;
    RecordingErrorSink errors;
    EXPECT_TRUE(CSkinParser::ParseAndReport(text, values, &errors)) << text;
    EXPECT_TRUE(errors.messages.empty());
    return values;
}

// The message a bad description gives, with its icon checked.
std::string ParseError(std::string_view text)
{
    SkinValues values;
    RecordingErrorSink errors;
    EXPECT_FALSE(CSkinParser::ParseAndReport(text, values, &errors)) << text;
    if (errors.messages.size() != 1)
        return "no message";
    EXPECT_EQ(errors.messages[0].icon, ISkinErrorSink::Icon::Error);
    return errors.messages[0].text;
}

} // namespace

TEST(SkinParser, StoresNumbersColoursAndNegativeValues)
{
    const SkinValues values = ParseOk("LONG(BtnA::offset_left, 695)\n"
                                      "LONG(Slider::bkcolormask, \"#FF00FF\")\n"
                                      "LONG(Frame::color, \"#0072CB\")\n"
                                      "LONG(A::neg, -5)\n"
                                      "LONG(A::five, \"#12345\")\n"
                                      "LONG(A::hex, 0x10)\n"
                                      "LONG(A::lead, 12px)\n"
                                      "LONG(A::big, 99999999999)\n");
    EXPECT_EQ(values.numbers.at("BtnA::offset_left"), 695);
    EXPECT_EQ(values.numbers.at("Slider::bkcolormask"), 0x00FF00FF);
    EXPECT_EQ(values.numbers.at("Frame::color"), 0x00CB7200);
    EXPECT_EQ(values.numbers.at("A::neg"), -5);
    EXPECT_EQ(values.numbers.at("A::five"), 0);
    EXPECT_EQ(values.numbers.at("A::hex"), 0);
    EXPECT_EQ(values.numbers.at("A::lead"), 12);
    EXPECT_EQ(values.numbers.at("A::big"), 2147483647);
}

TEST(SkinParser, ColourAndNumberConversion)
{
    EXPECT_EQ(CSkinParser::NumberValue("#010203"), SkinColor(1, 2, 3));
    EXPECT_EQ(CSkinParser::NumberValue("#ffffff"), 0x00FFFFFF);
    EXPECT_EQ(CSkinParser::NumberValue("  +42x"), 42);
    EXPECT_EQ(CSkinParser::NumberValue("-2147483649"), -2147483647 - 1);
    EXPECT_EQ(CSkinParser::NumberValue(""), 0);
    EXPECT_EQ(CSkinParser::NumberValue("#FF00FF0"), 0);
    // Every blank of the C library leads a number: tab, line ends, vertical tab, form feed.
    EXPECT_EQ(CSkinParser::NumberValue("\t42"), 42);
    EXPECT_EQ(CSkinParser::NumberValue("\n\v\f\r -7"), -7);
    EXPECT_EQ(ParseOk("LONG(A::tab,\t 685)").numbers.at("A::tab"), 685);
}

TEST(SkinParser, StoresImagesIconsAndStringsWithoutQuotesOrEscapes)
{
    const SkinValues values = ParseOk(
        "IMAGE(BtnConnect::up, \"Buttons\\BtnConnect_Up.bmp\")"
        "ICON(Tree::icon, \"tree_icon.ico\")"
        "STRING(Settings::statics, "
        "\"SetSendTries;SetRetrive;SetCommand;SetStaticHost;SetStaticPort;SetStaticCodeLock;SettingsCaption\")"
        "STRING(A::comma, \"a, (b)\")"
        "STRING(A::bare,   two words )"
        "STRING(A::empty, \"\")");
    EXPECT_EQ(values.images.at("BtnConnect::up"), "Buttons\\BtnConnect_Up.bmp");
    EXPECT_EQ(values.icons.at("Tree::icon"), "tree_icon.ico");
    EXPECT_EQ(values.strings.at("Settings::statics"),
              "SetSendTries;SetRetrive;SetCommand;SetStaticHost;SetStaticPort;SetStaticCodeLock;SettingsCaption");
    EXPECT_EQ(values.strings.at("A::comma"), "a, (b)");
    EXPECT_EQ(values.strings.at("A::bare"), "two words ");
    EXPECT_EQ(values.strings.at("A::empty"), "");
    EXPECT_TRUE(values.numbers.empty());
}

TEST(SkinParser, StatementsSpanLinesAndCommentsGoAnywhereBetweenTokens)
{
    const SkinValues values = ParseOk("// heading\n"
                                      "LONG(A::x,\n  7\n) // after\n"
                                      "LONG /* here */ (A::y, 8)/**/LONG(A::z,9)\n"
                                      "STRING(A::s, /* note */ \"text\" // end\n)\n"
                                      "LONG(\n  A::raw, /* kept */ 7)");
    EXPECT_EQ(values.numbers.at("A::x"), 7);
    EXPECT_EQ(values.numbers.at("A::y"), 8);
    EXPECT_EQ(values.numbers.at("A::z"), 9);
    EXPECT_EQ(values.strings.at("A::s"), "text");
    // An argument of several tokens is its raw text, line feed and comment included.
    EXPECT_EQ(values.numbers.at("\n  A::raw"), 0);
}

TEST(SkinParser, KeysAreTheRawTextAndCaseSensitive)
{
    const SkinValues values = ParseOk("LONG(A::x , 1) LONG(\tA::tab, 2) LONG(a::x, 3) LONG(  A::lead, 4)");
    EXPECT_EQ(values.numbers.count("A::x"), 0u);
    EXPECT_EQ(values.numbers.at("A::x "), 1);
    EXPECT_EQ(values.numbers.at("\tA::tab"), 2);
    EXPECT_EQ(values.numbers.at("a::x"), 3);
    EXPECT_EQ(values.numbers.at("A::lead"), 4);
}

TEST(SkinParser, LaterStatementsReplaceAndTypesHaveSeparateTables)
{
    const SkinValues values = ParseOk("LONG(A::x, 1) LONG(A::x, 2) STRING(A::x, \"s\") IMAGE(A::x, \"i.bmp\")");
    EXPECT_EQ(values.numbers.at("A::x"), 2);
    EXPECT_EQ(values.strings.at("A::x"), "s");
    EXPECT_EQ(values.images.at("A::x"), "i.bmp");
}

TEST(SkinParser, OnlyWhiteSpaceAndCommentsIsAnEmptySkin)
{
    EXPECT_TRUE(ParseOk("").Empty());
    EXPECT_TRUE(ParseOk(" \r\n\t// one\n/* two\n */\n").Empty());
    EXPECT_EQ(ParseOk(std::string_view("LONG(A::x, 1)\0garbage(", 22)).numbers.size(), 1u);
}

TEST(SkinParser, ReportsTheLineOfABadKeyword)
{
    EXPECT_EQ(ParseError("LONG(A::x, 1)\n\nlong(A::y, 2)\n"), "Error (0) in line 3");
    EXPECT_EQ(ParseError("LONG(A::x, 1)\nBOGUS"), "Error (0) in line 2");
    EXPECT_EQ(ParseError("\"LONG\"(A::x, 1)"), "Error (0) in line 1");
    EXPECT_EQ(ParseError("\"\" LONG(A::x, 1)"), "Error (0) in line 1");
}

TEST(SkinParser, ReportsTheTokenThatStandsWhereTheParenthesisBelongs)
{
    EXPECT_EQ(ParseError("LONG\n\n  A::x, 1)"), "Error (0) in line 3");
    EXPECT_EQ(ParseError("LONG\n"), "Error (0) in line 0");
}

TEST(SkinParser, ReportsWrongArgumentCountsAtTheClosingParenthesis)
{
    EXPECT_EQ(ParseError("LONG(A::x)"), "Error (0) in line 1");
    EXPECT_EQ(ParseError("LONG(A::x,\n1,\n2\n)"), "Error (0) in line 4");
    EXPECT_EQ(ParseError("\nLONG()"), "Error (0) in line 2");
    EXPECT_EQ(ParseError("LONG(A::x, )"), "Error (0) in line 1");
    EXPECT_EQ(ParseError("LONG(A::x,, 1)"), "Error (0) in line 1");
    EXPECT_EQ(ParseError("LONG(A::x, /* nothing */\n)"), "Error (0) in line 2");
}

TEST(SkinParser, NestedParenthesesAndQuotedCommasStayInOneArgument)
{
    const SkinValues values = ParseOk("STRING(A::n, f(a, (b, c)) ) STRING(A::q, (\"x\"))");
    EXPECT_EQ(values.strings.at("A::n"), "f(a, (b, c)) ");
    EXPECT_EQ(values.strings.at("A::q"), "(\"x\")");
}

TEST(SkinParser, TextThatEndsInsideTheArgumentsIsLineZero)
{
    EXPECT_EQ(ParseError("LONG(A::x, 1)\nLONG(A::y, 2"), "Error (0) in line 0");
    EXPECT_EQ(ParseError("STRING(A::x, \"unterminated)\n"), "Error (0) in line 0");
    EXPECT_EQ(ParseError("LONG(A::x, (1)"), "Error (0) in line 0");
}

TEST(SkinParser, StatementsBeforeAnErrorStayStored)
{
    SkinValues values;
    EXPECT_FALSE(CSkinParser::ParseAndReport("LONG(A::x, 1) LONG(A::y 2", values, nullptr));
    EXPECT_EQ(values.numbers.at("A::x"), 1);
}

TEST(SkinParser, HostileInputFailsWithTheMessageInsteadOfCrashing)
{
    const std::string open(10000, '(');
    const std::string close(10000, ')');
    EXPECT_EQ(ParseError("LONG(A::x, " + open + "1"), "Error (0) in line 0");
    EXPECT_EQ(ParseOk("LONG(A::x, " + open + "1" + close + ")").numbers.at("A::x"), 0);

    const std::string longName(4096, 'n');
    EXPECT_EQ(ParseError("LONG(A::x, 1)\nLONG(" + longName + ", 1)"), "Error (0) in line 2");
    EXPECT_EQ(ParseError("STRING(A::x, \"" + std::string(4096, 's') + "\")"), "Error (0) in line 1");
    EXPECT_EQ(ParseOk("STRING(A::x, \"" + std::string(4095, 's') + "\")").strings.at("A::x").size(), 4095u);
    EXPECT_EQ(ParseError("\n\"" + std::string(5000, 'u')), "Error (0) in line 2");
}

TEST(SkinParser, ErrorLineCountsLineFeedsBeforeThePosition)
{
    EXPECT_EQ(CSkinParser::ErrorLine("a\nb\r\nc", std::size_t{0}), 1);
    EXPECT_EQ(CSkinParser::ErrorLine("a\nb\r\nc", std::size_t{5}), 3);
    EXPECT_EQ(CSkinParser::ErrorLine("a\nb", std::nullopt), 0);
    EXPECT_EQ(CSkinParser::ErrorMessage(0, 12), "Error (0) in line 12");
}
