#include "link/Packet.h"
#include "link/XModemBlock.h"

#include <gtest/gtest.h>

namespace {

TEST(XModemBlock, ShortDataIsZeroPaddedAndSummedWithHeader)
{
    const ByteString data(40, 0xAA);
    const auto block = BuildXBlock(1, data.data(), data.size());
    ASSERT_EQ(block.size(), 132u);
    EXPECT_EQ(block[0], 0x01);
    EXPECT_EQ(block[1], 1);
    EXPECT_EQ(block[2], 254);
    EXPECT_EQ(block[3 + 39], 0xAA);
    EXPECT_EQ(block[3 + 40], 0x00);
    EXPECT_EQ(block[131], Checksum(block.data(), 131));
}

TEST(XModemBlock, NumbersWrapAfter255)
{
    const auto block = BuildXBlock(256, nullptr, 0);
    EXPECT_EQ(block[1], 0);
    EXPECT_EQ(block[2], 255);
    EXPECT_EQ(CheckXBlock(block, 256), XBlockVerdict::Valid);
    EXPECT_EQ(CheckXBlock(block, 0), XBlockVerdict::Valid);
}

TEST(XModemBlock, RejectsWrongNumberSumAndShortPackets)
{
    ByteString data(128, 0x11);
    auto block = BuildXBlock(3, data.data(), data.size());
    EXPECT_EQ(CheckXBlock(block, 3), XBlockVerdict::Valid);
    EXPECT_EQ(CheckXBlock(block, 2), XBlockVerdict::Invalid);  // a repeated block

    // SOH + n + (255 - n) is 256, so the header never changes the sum: a sender
    // that sums the data alone produces the same byte and is accepted.
    EXPECT_EQ(Checksum(block.data() + 3, 128), block[131]);
    auto badSum = block;
    badSum[131] ^= 0x40;
    EXPECT_EQ(CheckXBlock(badSum, 3), XBlockVerdict::Invalid);

    auto badComplement = block;
    badComplement[2] ^= 1;
    badComplement[131] = Checksum(badComplement.data(), 131);
    EXPECT_EQ(CheckXBlock(badComplement, 3), XBlockVerdict::Invalid);

    EXPECT_EQ(CheckXBlock(ByteString(block.begin(), block.begin() + 100), 3), XBlockVerdict::Invalid);
    EXPECT_EQ(CheckXBlock({}, 3), XBlockVerdict::Invalid);
    EXPECT_EQ(CheckXBlock({0x06}, 3), XBlockVerdict::Invalid);
}

TEST(XModemBlock, ControlBytesAndLongPackets)
{
    EXPECT_EQ(CheckXBlock({0x04}, 1), XBlockVerdict::Eot);
    EXPECT_EQ(CheckXBlock({0x18}, 1), XBlockVerdict::Cancel);
    ByteString data(128, 0x22);
    auto longer = BuildXBlock(1, data.data(), data.size());
    longer.resize(140, 0x99);  // bytes after the block do not count
    EXPECT_EQ(CheckXBlock(longer, 1), XBlockVerdict::Valid);
}

}  // namespace
