#include "description/SliderSendGate.h"

CSliderSendGate::Answer CSliderSendGate::Ask(int raw, std::uint32_t nowMs)
{
    if (raw == lastSent_) return Answer::AlreadySent;
    if (lastSendMs_ && nowMs - *lastSendMs_ <= kMinIntervalMs) return Answer::TooSoon;
    lastSent_ = raw;
    lastSendMs_ = nowMs;
    return Answer::Send;
}
