// Model code 15: VexlorLiteFM2.
// Second-generation entry-level FM processor: four bands with band limiters,
// stereo encoder and three scheduled preset events.
#include "core/ModelCatalog.h"
#include "core/ModelKit.h"

namespace vsim::models {

Model MakeVexlorLiteFM2()
{
    using namespace kit;
    Kit k;
    k.bands = 4;
    k.eqBands = 3;
    k.limiterBands = 4;
    k.fm = true;
    k.scheduleEvents = 3;

    return StandardModel(k, 15, "VexlorLiteFM2", {'2', '2', '0'},
                         FactoryNames(26, {"FM2 LOUD"}), MeterLayout::Lite);
}

}  // namespace vsim::models
