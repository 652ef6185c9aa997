#include "web/WebMeter.h"

#include "meters/MeterLayout.h"
#include "meters/MeterLeds.h"

using nlohmann::json;

json MeterLayoutJson(int code)
{
    json leds = json::array();
    for (const MeterLed& led : ComputeMeterLeds(code, MeterStatus{}, false)) leds.push_back({led.x, led.y, led.bar});
    json bars = json::array();
    std::string background;
    if (const MeterLayout* layout = FindMeterLayout(code)) {
        for (const MeterBar& bar : layout->bars) bars.push_back({{"label", bar.label}, {"x", bar.x}, {"y", bar.y}});
        // The skin's background of the model, labels and scales drawn as on the desktop.
        if (!layout->model.empty()) background = "/meter-" + std::string(layout->model) + ".png";
    }
    return {{"width", kMeterPanelWidth}, {"height", kMeterPanelHeight}, {"leds", leds}, {"bars", bars},
            {"background", background}};
}

std::string MeterFrame(int code, const ByteString& status, bool valid)
{
    std::string frame;
    for (const MeterLed& led : ComputeMeterLeds(code, MeterStatusFromPacket(status), valid))
        frame += static_cast<char>('0' + led.image);
    return frame;
}
