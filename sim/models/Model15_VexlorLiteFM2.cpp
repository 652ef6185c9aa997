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

    Model m;
    m.code = 15;
    m.name = "VexlorLiteFM2";
    m.version = {'2', '2', '0'};
    m.userPresets = 8;
    m.factoryPresets = FactoryNames(26, {"FM2 LOUD"});
    m.meters = MeterLayout::Lite;
    m.withMpx = true;
    m.pages = StandardPages(k);
    return m;
}

}  // namespace vsim::models
