#include "link/XModemBlock.h"

#include "link/Packet.h"

#include <algorithm>

ByteString BuildXBlock(std::uint32_t blockNumber, const std::uint8_t* data, std::size_t length)
{
    ByteString block(kXBlockLength, 0);
    block[0] = XM_SOH;
    block[1] = static_cast<std::uint8_t>(blockNumber & 0xFFu);
    block[2] = static_cast<std::uint8_t>((255u - blockNumber) & 0xFFu);
    const std::size_t n = std::min(length, kXBlockData);
    if (n)
        std::copy_n(data, n, block.begin() + 3);
    block[kXBlockLength - 1] = Checksum(block.data(), kXBlockLength - 1);
    return block;
}

XBlockVerdict CheckXBlock(const ByteString& packet, std::uint32_t expectedBlock)
{
    if (packet.empty())
        return XBlockVerdict::Invalid;
    if (packet[0] == XM_EOT)
        return XBlockVerdict::Eot;
    if (packet[0] == XM_CAN)
        return XBlockVerdict::Cancel;
    if (packet[0] != XM_SOH || packet.size() < kXBlockLength)
        return XBlockVerdict::Invalid;
    const bool numberOk = packet[1] == static_cast<std::uint8_t>(expectedBlock & 0xFFu)
        && packet[2] == static_cast<std::uint8_t>((255u - expectedBlock) & 0xFFu);
    const bool sumOk = packet[kXBlockLength - 1] == Checksum(packet.data(), kXBlockLength - 1);
    return numberOk && sumOk ? XBlockVerdict::Valid : XBlockVerdict::Invalid;
}
