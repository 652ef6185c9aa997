// Model code 12: VexlorMaxFM.
// The largest FM processor: a four-band leveler, six compressor bands (4 to 6
// can be switched off), five-band EQ, six band limiters, clipper, stereo
// encoder with a composite clipper and subcarrier injection of its own, four
// scheduled preset events and sixteen user presets.
#include "core/ModelCatalog.h"
#include "core/ModelKit.h"

namespace vsim::models {

Model MakeVexlorMaxFM()
{
    using namespace kit;
    Kit k;
    k.bands = 6;
    k.bandCountChoice = true;
    k.levelers = 4;
    k.stereoLevelers = false;
    k.eqBands = 5;
    k.limiterBands = 6;
    k.fm = true;
    k.scheduleEvents = 4;

    Model m = StandardModel(k, 12, "VexlorMaxFM", {'5', '0', '3'},
                            FactoryNames(32, {"MAX LOUD", "MAX OPEN", "MAX DENSE"}), MeterLayout::LevelerLeft);
    m.userPresets = 16;

    // Only the MaxFM drives the transmitter's composite input directly.
    const Address clip = A(0, 9, 0);
    std::vector<Item> composite{
        Buttons(Choices("Composite Clip", clip, {"Off", "On"}), At(2, 4, 20, 4)).Drives(),
        Buttons(Choices("Pilot Protect", A(0, 9, 2), {"Off", "On"}, 1), At(24, 4, 20, 4)).When(clip, 1, 1),
        Slider(Level("Clip Drive", A(0, 9, 1), "dB", 0, 3, 0.1, 1, 0.5), At(2, 10, 8, 18)).When(clip, 1, 1),
    };
    std::vector<Item> subcarriers{
        Buttons(Choices("RDS", A(2, 4, 0), {"Off", "On"}, 1), At(2, 4, 14, 4)),
        Slider(Level("RDS Level", A(2, 4, 1), "%", 0, 10, 0.5, 1, 4), At(2, 10, 8, 18)),
        Slider(Level("SCA Level", A(2, 4, 2), "%", 0, 20, 0.5, 1, 0), At(11, 10, 8, 18)),
    };
    m.pages.push_back(Group("Composite", {Leaf("Clipper", std::move(composite)), Leaf("Subcarriers", std::move(subcarriers))}));
    return m;
}

}  // namespace vsim::models
