// Parse time of a generated control description of about 64 KB with about
// 1,000 control items (sliders, button groups and three-field spins).
#include "description/DescriptionBuilder.h"
#include "description/DescriptionParser.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kPages = 50;
constexpr int kItemsPerPage = 20;

ByteString MakeDescription() {
    DescriptionBuilder b(0x03);
    const std::vector<std::string> modes{"Off", "Soft knee", "Hard knee", "Auto release", "Bypass*"};
    for (int p = 0; p < kPages; ++p) {
        auto page = b.Page("Processing page " + std::to_string(p));
        for (int i = 0; i < kItemsPerPage; ++i) {
            const ParamAddress address{static_cast<std::uint8_t>(p % 6), static_cast<std::uint8_t>(p),
                                       static_cast<std::uint8_t>(i * 4)};
            const auto x = static_cast<std::uint8_t>((i % 8) * 9);
            switch (i % 3) {
                case 0:
                    page.Slider("Wideband input threshold level " + std::to_string(i), address)
                        .Unit("dBFS").Numeric(-600, 5, 240).Decimals(1).Cell(8, 20, x, 2);
                    break;
                case 1:
                    page.Buttons("Peak level detector mode select " + std::to_string(i), address, modes).Cell(8, 5, x, 24);
                    break;
                default:
                    page.Spin("Release_hold_time " + std::to_string(i), address).Unit("hours").Numeric(0, 1, 23).FieldWidth(2, true)
                        .Field("Minutes", {address.a, address.b, static_cast<std::uint8_t>(address.c + 1)})
                        .Unit("minutes").Numeric(0, 1, 59).FieldWidth(2, true)
                        .Field("Seconds", {address.a, address.b, static_cast<std::uint8_t>(address.c + 2)})
                        .Unit("seconds").Numeric(0, 1, 59).FieldWidth(2, true).Cell(12, 3, x, 32);
                    break;
            }
        }
    }
    return b.Build();
}

}  // namespace

int main() {
    const ByteString description = MakeDescription();
    DescriptionParser parser;
    constexpr int kRounds = 300;
    std::vector<double> times;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        parser.LoadFromMemory(description);
        const auto stop = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
    }
    std::sort(times.begin(), times.end());
    std::size_t items = 0;
    for (const PageNode& page : parser.Root()->children) items += page.items.size();
    std::printf("description_bytes: %zu\n", description.size());
    std::printf("control_items: %zu\n", items);
    std::printf("parse_64k_ms: %.3f\n", times[times.size() / 2]);
    return 0;
}
