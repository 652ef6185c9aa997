// Model code 13: VexlorAM.
// AM processor: four bands, clipper and transmitter shaping.
#include "core/ModelCatalog.h"
#include "core/ModelKit.h"

namespace vsim::models {

Model MakeVexlorAM()
{
    using namespace kit;
    Kit k;
    k.bands = 4;
    k.eqBands = 3;
    k.am = true;

    Model m = StandardModel(k, 13, "VexlorAM", {'3', '0', '5'},
                            FactoryNames(24, {"AM VOICE", "AM MUSIC"}), MeterLayout::Columns13);

    // AM transmitters want a carrier-level trim and a positive peak limit.
    m.pages.push_back(Leaf("Carrier", {
        Slider(Level("Positive Peak", A(0, 10, 0), "%", 100, 150, 1, 0, 125), At(2, 4, 8, 24)),
        Slider(Level("Negative Limit", A(0, 10, 1), "%", -100, -80, 1, 0, -98), At(11, 4, 8, 24)),
        Buttons(Choices("Carrier Trim", A(2, 6, 0), {"-2 dB", "-1 dB", "0 dB", "+1 dB"}, 2), At(22, 4, 30, 4)),
    }));
    return m;
}

}  // namespace vsim::models
