// Model code 5: VexlorStereo.
// A plain stereo processor for studio feeds: three bands, no transmitter stage.
#include "core/ModelCatalog.h"
#include "core/ModelKit.h"

namespace vsim::models {

Model MakeVexlorStereo()
{
    using namespace kit;
    Kit k;
    k.bands = 3;
    k.eqBands = 3;
    k.scheduleEvents = 1;

    Model m = StandardModel(k, 5, "VexlorStereo", {'1', '1', '0'},
                            FactoryNames(24, {"STUDIO", "STREAM"}), MeterLayout::Stereo);

    // A studio box: its own monitor output with a dim switch.
    const Address dim = A(2, 5, 0);
    m.pages.push_back(Leaf("Monitor", {
        Buttons(Choices("Monitor Source", A(2, 5, 1), {"Input", "Processed", "Output"}, 1), At(2, 4, 36, 4)),
        Buttons(Choices("Dim", dim, {"Off", "On"}), At(2, 10, 14, 4)).Drives(),
        Slider(Level("Dim Level", A(2, 5, 2), "dB", -40, 0, 1, 0, -20), At(2, 16, 8, 12)).When(dim, 1, 1),
        Slider(Level("Monitor Level", A(2, 5, 3), "dB", -60, 6, 0.5, 1, -10), At(18, 10, 8, 18)),
    }));
    return m;
}

}  // namespace vsim::models
