#include "meters/MeterState.h"

CMeterState::CMeterState()
{
    Recompute();
}

bool CMeterState::SetModel(int code)
{
    model_ = code;
    return Recompute();
}

bool CMeterState::Update(std::span<const std::uint8_t> packet)
{
    status_ = MeterStatusFromPacket(packet);
    valid_ = true;
    return Recompute();
}

bool CMeterState::Reset()
{
    status_ = {};
    valid_ = false;
    return Recompute();
}

bool CMeterState::Recompute()
{
    std::vector<MeterLed> leds = ComputeMeterLeds(model_, status_, valid_);
    if (leds == leds_)
        return false;
    leds_ = std::move(leds);
    return true;
}
