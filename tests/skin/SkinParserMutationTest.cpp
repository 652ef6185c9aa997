#include "skin/SkinParser.h"

#include "skin/SkinMutation.h"
#include "skin/SkinTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

using namespace skintest;

// Hostile descriptions of every kind: the parser either loads or reports
// "Error (0) in line n" with a line that exists in the text (0 when the text
// ended early), and never reads out of bounds (ASan watches in CI).
TEST(SkinParserMutation, DamagedDescriptionsLoadOrFailWithTheMessage)
{
    const std::string valid = "// Test skin\n"
                              "IMAGE(BtnA::up, \"Buttons\\BtnA_Up.bmp\")\n"
                              "LONG(DlgMain::bkcolormask, \"#FF00FF\") /* c */\n"
                              "LONG(BtnA::offset_left, -695)\n"
                              "STRING(BtnA::caption, \"A, (compare)\")\n"
                              "LONG(Frame::nested, (1 + (2)))\n";
    const std::vector<ByteString> dictionary = {
        Bytes("("), Bytes(")"), Bytes(","), Bytes("\""), Bytes("\\\""), Bytes("//"), Bytes("/*"), Bytes("*/"),
        Bytes("\n"), Bytes("\r"), Bytes("LONG"), Bytes("IMAGE("), Bytes("STRING(A::b, "), Bytes("#FF00FF"),
        Bytes("::"), Bytes(std::string(1, '\0')), Bytes(std::string(300, '(')), Bytes("0x"),
    };

    Mutator mutator(7u, dictionary);
    constexpr int kInputs = 100000;
    int loaded = 0;
    for (int i = 0; i < kInputs; ++i) {
        const ByteString mutated = mutator.Mutate(Bytes(valid));
        const std::string_view text(reinterpret_cast<const char*>(mutated.data()), mutated.size());
        SkinValues values;
        RecordingErrorSink errors;
        if (CSkinParser::ParseAndReport(text, values, &errors)) {
            ++loaded;
            ASSERT_TRUE(errors.messages.empty());
            continue;
        }
        ASSERT_EQ(errors.messages.size(), 1u) << "input " << i;
        int line = -1;
        char rest = 0;
        ASSERT_EQ(std::sscanf(errors.messages[0].text.c_str(), "Error (0) in line %d%c", &line, &rest), 1)
            << errors.messages[0].text;
        ASSERT_GE(line, 0);
        const int lines = 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
        ASSERT_LE(line, lines) << "input " << i;
    }
    EXPECT_GT(loaded, kInputs / 10);
    EXPECT_LT(loaded, kInputs * 9 / 10);
}
