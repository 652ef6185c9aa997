// Skin archive and description figures on data shaped like the shipped skin:
// 126 entries of about 4 MB (bitmaps that compress about 8:1) appended to a
// copy of this program, and a description of 564 statements.
#include "skin/SkinFiles.h"
#include "skin/SkinPack.h"
#include "skin/SkinPackWriter.h"
#include "skin/SkinParser.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Rows of a few colours with some noise: compresses like a skin bitmap.
ByteString FakeBitmap(std::size_t size, unsigned seed)
{
    ByteString data(size);
    unsigned state = seed * 2654435761u + 1;
    for (std::size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        const bool noise = (state >> 16) % 40 == 0;
        data[i] = static_cast<std::uint8_t>(noise ? state >> 24 : (i / 97 % 5) * 40);
    }
    return data;
}

std::string Description()
{
    std::string text = "// bench skin\n";
    for (int i = 0; i < 368; ++i)
        text += "LONG(Element" + std::to_string(i % 55) + "::offset_" + std::to_string(i) + ", " + std::to_string(i * 7) + ")\n";
    for (int i = 0; i < 161; ++i)
        text += "IMAGE(Element" + std::to_string(i % 55) + "::face_" + std::to_string(i) + ", \"Buttons\\Face" +
                std::to_string(i) + "_Up.bmp\")\n";
    for (int i = 0; i < 34; ++i)
        text += "STRING(Element" + std::to_string(i) + "::caption, \"Caption text number " + std::to_string(i) + "\")\n";
    text += "ICON(Tree::icon, \"tree_icon.ico\")\n";
    return text;
}

} // namespace

int main()
{
    const std::string description = Description();
    std::vector<SkinPackFile> files = {{"skin.ini", ByteString(description.begin(), description.end())}};
    for (unsigned i = 1; i < 126; ++i)
        files.push_back({"Buttons\\Face" + std::to_string(i) + "_Up.bmp", FakeBitmap(i % 13 == 0 ? 369556 : 20000, i)});
    const ByteString archive = CSkinPackWriter::Build(files);

    const fs::path program = fs::temp_directory_path() / ("bench_skinpack_" + std::to_string(::getpid()));
    fs::copy_file(CSkinPack::ExecutablePath(), program, fs::copy_options::overwrite_existing);
    CSkinPackWriter::AppendToFile(program, archive);

    auto start = Clock::now();
    const auto first = CSkinPack::Find(program.string(), "skin.ini");
    const double firstMs = MillisecondsSince(start);

    constexpr int kLookups = 2000;
    start = Clock::now();
    std::size_t bytes = 0;
    for (int i = 0; i < kLookups; ++i)
        bytes += CSkinPack::Find(program.string(), "buttons\\face" + std::to_string(1 + i % 125) + "_up.bmp")->size();
    const double lookupUs = MillisecondsSince(start) * 1000.0 / kLookups;

    const CSkinFiles skinFiles("Skins\\Vexlor", program.string());
    start = Clock::now();
    for (int i = 0; i < 200; ++i)
        skinFiles.ReleaseFile(skinFiles.ExtractFile("Buttons\\Face5_Up.bmp"));
    const double extractUs = MillisecondsSince(start) * 1000.0 / 200;

    start = Clock::now();
    constexpr int kParses = 50;
    for (int i = 0; i < kParses; ++i) {
        SkinValues values;
        CSkinParser::Parse(description, values);
    }
    const double parseMs = MillisecondsSince(start) / kParses;
    fs::remove(program);

    std::printf("skinpack_archive_kb: %zu\n", archive.size() / 1024);
    std::printf("skinpack_first_find_ms: %.3f\n", firstMs);
    std::printf("skinpack_lookup_us: %.1f\n", lookupUs);
    std::printf("skinpack_extract_release_us: %.1f\n", extractUs);
    std::printf("skinini_parse_ms: %.3f\n", parseMs);
    return first && bytes > 0 ? 0 : 1;
}
