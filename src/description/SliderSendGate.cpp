#include "description/SliderSendGate.h"

bool CSliderSendGate::ShouldSend(int raw, std::uint32_t nowMs)
{
    if (raw == lastSent_) return false;
    if (lastSendMs_ && nowMs - *lastSendMs_ <= kMinIntervalMs) return false;
    lastSent_ = raw;
    lastSendMs_ = nowMs;
    return true;
}
