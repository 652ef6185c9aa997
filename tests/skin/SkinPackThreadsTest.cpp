#include "skin/SkinPack.h"
#include "skin/SkinPackWriter.h"

#include "skin/SkinTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace skintest;

// Several threads looking up entries of several files at once all get the
// right bytes.
TEST(SkinPackThreads, ConcurrentFindsEachReadTheirOwnFile)
{
    const TempDir dir;
    std::vector<std::string> programs;
    for (int p = 0; p < 3; ++p) {
        ByteString bytes = FakeProgram(1000 + static_cast<std::size_t>(p));
        const ByteString archive = CSkinPackWriter::Build(
            {{"skin.ini", Bytes("program " + std::to_string(p))}, {"a.bmp", ByteString(1000, static_cast<std::uint8_t>(p))}});
        bytes.insert(bytes.end(), archive.begin(), archive.end());
        programs.push_back(dir / ("program" + std::to_string(p)));
        WriteFile(programs.back(), bytes);
    }
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 300; ++i) {
                const int p = (t + i) % 3;
                const auto text = CSkinPack::Find(programs[static_cast<std::size_t>(p)], "SKIN.INI");
                const auto image = CSkinPack::Find(programs[static_cast<std::size_t>(p)], "a.bmp");
                if (text != Bytes("program " + std::to_string(p)) ||
                    image != ByteString(1000, static_cast<std::uint8_t>(p)))
                    ++wrong;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(wrong.load(), 0);
}
