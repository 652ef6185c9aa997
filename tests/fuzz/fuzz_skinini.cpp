// libFuzzer target for the skin.ini tokenizer and parser. Built by scripts/fuzz.sh.
#include "skin/SkinParser.h"
#include "skin/SkinTokenizer.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    SkinValues values;
    try {
        CSkinParser::Parse(text, values);
    } catch (const CSkinParser::SKIN_EXEPTION& error) {
        if (error.code != 0 || (error.position && *error.position > size))
            __builtin_trap();
        (void)CSkinParser::ErrorLine(text, error.position);
    }
    // The tokenizer with every option, which the parser alone does not reach.
    const unsigned options = size > 0 ? data[0] & 0x0Fu : 0u;
    std::size_t pos = 0;
    while (auto token = CSkinTokenizer::Next(text, pos, options)) {
        if (token->next <= pos || token->start + token->length > size)
            __builtin_trap();
        pos = token->next;
    }
    return 0;
}
