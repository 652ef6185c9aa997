#pragma once

#include "skin/SkinErrors.h"
#include "skin/SkinValues.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The parser of "skin.ini": statements IMAGE, ICON, LONG and STRING, each with
// two arguments, key and value, e.g. LONG(BtnConnect::offset_left, 685).
class CSkinParser {
public:
    // A bad description: the error code (0 for every syntax error) and the
    // position in the text where it was found; none when the text ended early.
    struct SKIN_EXEPTION {
        int code = 0;
        std::optional<std::size_t> position;
    };

    // Tokens are held in 4096 bytes with their terminator; a longer one is an error.
    static constexpr std::size_t kMaxTokenLength = 4095;

    // Stores every statement of text (up to its first zero byte) into values.
    // Statements before an error stay stored. Throws SKIN_EXEPTION.
    static void Parse(std::string_view text, SkinValues& values);

    // Parse, and on failure send "Error (code) in line n" to errors with the
    // error icon. True on success.
    static bool ParseAndReport(std::string_view text, SkinValues& values, ISkinErrorSink* errors);

    // 1 + the number of line feeds before the position; 0 without a position.
    static int ErrorLine(std::string_view text, const std::optional<std::size_t>& position);
    static std::string ErrorMessage(int code, int line);

    // A LONG value: "#RRGGBB" gives 0x00BBGGRR; anything else is read as a
    // decimal integer with leading blanks and a sign, 0 without digits.
    static std::int32_t NumberValue(std::string_view text);
};
