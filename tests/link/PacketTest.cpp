#include "link/Packet.h"

#include <gtest/gtest.h>

#include <string>

namespace {

ByteString Reply(std::initializer_list<std::uint8_t> head)
{
    ByteString p(head);
    p.push_back(Checksum(p.data(), p.size()));
    return p;
}

TEST(PacketBuild, ChecksumIsTheByteSumOfEverythingBefore)
{
    EXPECT_EQ(BuildReadVersion(), (ByteString{0x80, 0x80}));
    EXPECT_EQ(BuildReadLeds(), (ByteString{0x82, 0x82}));
    EXPECT_EQ(BuildDisconnect(), (ByteString{0x00, 0x00}));
    // 0x01 + 0x90 + 0x80 + 0x7F + 0x10 = 0x1A0, wraps to 0xA0
    EXPECT_EQ(BuildWriteParam(0x90, 0x80, 0x7F, 0x10), (ByteString{0x01, 0x90, 0x80, 0x7F, 0x10, 0xA0}));
}

TEST(PacketBuild, EveryCommandHasItsOpcodeAndRequestLength)
{
    struct Case { ByteString packet; std::uint8_t opcode; std::size_t length; };
    const Case cases[] = {
        {BuildDisconnect(), CMD_DISCONNECT, 2},
        {BuildWriteParam(1, 2, 3, 4), CMD_WRITE_PARAM, 6},
        {BuildSendPreset(3), CMD_SEND_PRESET, 3},
        {BuildSendUpgrade(), CMD_SEND_UPGRADE, 2},
        {BuildLoadPreset(3), CMD_LOAD_PRESET, 3},
        {BuildSavePreset(3), CMD_SAVE_PRESET, 3},
        {BuildSendCompare(), CMD_SEND_COMPARE, 2},
        {BuildSendRevert(), CMD_SEND_REVERT, 2},
        {BuildRenamePreset(3, "x"), CMD_RENAME_PRESET, 18},
        {BuildReadVersion(), CMD_READ_VERSION, 2},
        {BuildReadParam(1, 2, 3), CMD_READ_PARAM, 5},
        {BuildReadLeds(), CMD_READ_LEDS, 2},
        {BuildGetConfig(1234), CMD_GET_CONFIG, 6},
        {BuildGetFactoryPresetNumber(), CMD_GET_FACTORY_PRESET_NUMBER, 2},
        {BuildGetPreset(3), CMD_GET_PRESET, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.opcode));
        ASSERT_EQ(c.packet.size(), c.length);
        EXPECT_EQ(c.packet[0], c.opcode);
        EXPECT_TRUE(ChecksumMatches(c.packet));
    }
}

TEST(PacketBuild, RenameCarriesFifteenNameBytesPaddedWithZeros)
{
    const auto longName = BuildRenamePreset(7, "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(std::string(longName.begin() + 2, longName.begin() + 17), "ABCDEFGHIJKLMNO");
    EXPECT_EQ(longName[1], 7);

    const auto empty = BuildRenamePreset(7, "");
    ASSERT_EQ(empty.size(), 18u);
    for (std::size_t i = 2; i < 17; ++i)
        EXPECT_EQ(empty[i], 0) << i;

    const auto shortName = BuildRenamePreset(7, "Rock");
    EXPECT_EQ(shortName[5], 'k');
    EXPECT_EQ(shortName[6], 0);
}

TEST(PacketBuild, LockCodeTravelsRightAlignedWithBlanksNeverZeros)
{
    EXPECT_EQ(BuildGetConfig(7), (ByteString{0x83, ' ', ' ', ' ', '7', Checksum(BuildGetConfig(7).data(), 5)}));
    const auto four = BuildGetConfig(4321);
    EXPECT_EQ(std::string(four.begin() + 1, four.begin() + 5), "4321");
    const auto two = BuildGetConfig(42);
    EXPECT_EQ(std::string(two.begin() + 1, two.begin() + 5), "  42");
    const auto five = BuildGetConfig(98765);  // out of range: the first four characters
    EXPECT_EQ(std::string(five.begin() + 1, five.begin() + 5), "9876");
}

TEST(PacketReply, AcceptsOnlyAckWithRightChecksum)
{
    EXPECT_TRUE(IsAcceptedReply(Reply({0x06, 0x80, 1, 2, 3})));
    auto bad = Reply({0x06, 0x80, 1, 2, 3});
    bad.back() ^= 1;
    EXPECT_FALSE(IsAcceptedReply(bad));
    EXPECT_FALSE(IsAcceptedReply(Reply({0x07, 0x80, 1, 2, 3})));
    EXPECT_FALSE(IsAcceptedReply(ByteString{0x15}));
    EXPECT_FALSE(IsAcceptedReply(ByteString{}));
    EXPECT_TRUE(ChecksumMatches(ByteString{0x15}));  // under two bytes passes the sum test
}

TEST(PacketLength, NormalModeCutsByOpcode)
{
    EXPECT_EQ(GetPacketLength({0x15}, false), 1u);
    EXPECT_EQ(GetPacketLength({0x15, 0x15}, false), 2u);
    EXPECT_EQ(GetPacketLength({0x15, 0x80}, false), 1u);
    EXPECT_EQ(GetPacketLength({0x06}, false), std::nullopt);
    EXPECT_EQ(GetPacketLength({}, false), std::nullopt);

    const std::pair<std::uint8_t, std::size_t> lengths[] = {
        {0x00, 3}, {0x03, 3}, {0x07, 3}, {0x08, 3}, {0x83, 3}, {0x01, 7}, {0x81, 7},
        {0x80, 6}, {0x82, 29}, {0x02, 4}, {0x04, 4}, {0x05, 4}, {0x09, 4}, {0x84, 4}, {0x85, 4}};
    for (auto [opcode, length] : lengths) {
        ByteString buffer(40, 0);
        buffer[0] = 0x06;
        buffer[1] = opcode;
        EXPECT_EQ(GetPacketLength(buffer, false), length) << int(opcode);
        buffer.resize(length - 1);
        EXPECT_EQ(GetPacketLength(buffer, false), std::nullopt) << int(opcode);
    }
}

TEST(PacketLength, UnknownOpcodeNeverCompletes)
{
    for (unsigned opcode : {0x06u, 0x0Au, 0x7Fu, 0x86u, 0xFFu}) {
        ByteString buffer(200, 0);
        buffer[0] = 0x06;
        buffer[1] = static_cast<std::uint8_t>(opcode);
        EXPECT_EQ(GetPacketLength(buffer, false), std::nullopt) << opcode;
    }
}

TEST(PacketLength, TransferModeCutsControlBytesAndWholeBlocks)
{
    EXPECT_EQ(GetPacketLength({0x04, 0x01}, true), 1u);
    EXPECT_EQ(GetPacketLength({0x18}, true), 1u);
    EXPECT_EQ(GetPacketLength({0x06}, true), 1u);
    EXPECT_EQ(GetPacketLength({0x15, 0x15}, true), 1u);
    EXPECT_EQ(GetPacketLength({0x01, 0x01}, true), std::nullopt);
    EXPECT_EQ(GetPacketLength(ByteString(131, 0x01), true), std::nullopt);
    EXPECT_EQ(GetPacketLength(ByteString(132, 0x01), true), 132u);
    EXPECT_EQ(GetPacketLength(ByteString(140, 0x01), true), 140u);
    // A block that happens to start like ACK still waits for all its bytes only
    // when shorter than a block; at 132 the whole buffer goes.
    EXPECT_EQ(GetPacketLength(ByteString(132, 0x06), true), 132u);
    EXPECT_EQ(GetPacketLength({}, true), std::nullopt);
}

TEST(PacketLength, DuringATransferOnlyControlBytesAndSohStartAPacket)
{
    EXPECT_EQ(GetJunkLength({0x00, 0x7F, 0x43, 0x01, 0x02}, true), 3u);
    EXPECT_EQ(GetJunkLength({0x00, 0x00}, true), 2u);
    for (std::uint8_t start : ByteString{0x01, 0x04, 0x06, 0x15, 0x18})
        EXPECT_EQ(GetJunkLength({start, 0x00}, true), 0u) << int(start);
    // Outside a transfer a bad first byte is a malformed reply, answered by a retry.
    EXPECT_EQ(GetJunkLength({0x00, 0x80}, false), 0u);
}

TEST(PacketReply, AReplyAnswersOnlyTheCommandItEchoes)
{
    const ByteString version{0x06, 0x80, '1', '0', '3', 0x18};
    EXPECT_TRUE(ReplyAnswers(version, BuildReadVersion()));
    EXPECT_FALSE(ReplyAnswers(version, BuildGetPreset(2)));
    EXPECT_FALSE(ReplyAnswers(version, {}));
    // A Read parameter reply names its address; one for another address is stale.
    const ByteString param{0x06, 0x81, 5, 1, 0, 0x20, 0xAD};
    EXPECT_TRUE(ReplyAnswers(param, BuildReadParam(5, 1, 0)));
    EXPECT_FALSE(ReplyAnswers(param, BuildReadParam(5, 1, 1)));
    // A Write reply names the address written; the value is what the processor holds.
    EXPECT_TRUE(ReplyAnswers({0x06, 0x01, 1, 2, 3, 9, 0x16}, BuildWriteParam(1, 2, 3, 4)));
    EXPECT_FALSE(ReplyAnswers({0x06, 0x01, 1, 1, 1, 1, 0x0B}, BuildWriteParam(2, 2, 2, 2)));
    // Preset commands: the reply names the preset.
    EXPECT_TRUE(ReplyAnswers({0x06, 0x04, 2, 0x0C}, BuildLoadPreset(2)));
    EXPECT_FALSE(ReplyAnswers({0x06, 0x04, 1, 0x0B}, BuildLoadPreset(2)));
    EXPECT_FALSE(ReplyAnswers({0x06, 0x85, 1, 0x8C}, BuildGetPreset(2)));
}

TEST(PacketLog, CommandLinesMatchTheWireLog)
{
    EXPECT_EQ(DescribeCommand(BuildWriteParam(0x0a, 0x1b, 0x2c, 0xff)), "Write : 0a - 1b - 2c - ff");
    EXPECT_EQ(DescribeCommand(BuildReadParam(0x0a, 0x1b, 0x2c)), "Read : 0a - 1b - 2c");
    EXPECT_EQ(DescribeCommand(BuildSendPreset(0x1f)), "Send Preset : 1f ");
    EXPECT_EQ(DescribeCommand(BuildLoadPreset(2)), "Load Preset : 02 ");
    EXPECT_EQ(DescribeCommand(BuildSavePreset(2)), "Save Preset : 02 ");
    EXPECT_EQ(DescribeCommand(BuildGetPreset(0xa0)), "Get Preset : a0 ");
    EXPECT_EQ(DescribeCommand(BuildRenamePreset(12, "n")), "Send Rename for preset # 12");
    EXPECT_EQ(DescribeCommand(BuildGetConfig(12)), "Get Config. The Lock Code is   12");
    EXPECT_EQ(DescribeCommand(BuildReadVersion()), "Read version");
    EXPECT_EQ(DescribeCommand(BuildReadLeds()), "Read Leds State");
    EXPECT_EQ(DescribeCommand(BuildGetFactoryPresetNumber()), "Get Factory Preset Number");
    EXPECT_EQ(DescribeCommand(BuildSendCompare()), "Send Compare");
    EXPECT_EQ(DescribeCommand(BuildSendRevert()), "Send Revert");
    EXPECT_EQ(DescribeCommand(BuildSendUpgrade()), "Send Upgrade");
    EXPECT_EQ(DescribeCommand(BuildDisconnect()), "Disconnecting.");
    EXPECT_EQ(DescribeCommand(ByteString{}), "Disconnecting.");
    EXPECT_EQ(DescribeCommand(ByteString{0x06}), "");
    EXPECT_EQ(DescribeCommand(ByteString{0x01}), "Write : 00 - 00 - 00 - 00");  // truncated, no overread
}

TEST(PacketLog, HexLineListsBytesAndStaysUnderTheLineLimit)
{
    EXPECT_EQ(HexLine("Recieved ", {0x06, 0xAB}), "Recieved  - 06 - AB");
    EXPECT_LT(HexLine("Recieved ", ByteString(5000, 1)).size(), 4096u);
}

}  // namespace
