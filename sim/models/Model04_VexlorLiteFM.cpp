// Model code 4: VexlorLiteFM.
// Entry-level FM processor: four bands with a limiter each, stereo encoder.
#include "core/ModelCatalog.h"
#include "core/ModelKit.h"

namespace vsim::models {

Model MakeVexlorLiteFM()
{
    using namespace kit;
    Kit k;
    k.bands = 4;
    k.eqBands = 2;
    k.limiterBands = 4;
    k.fm = true;
    k.scheduleEvents = 1;

    Model m;
    m.code = 4;
    m.name = "VexlorLiteFM";
    m.version = {'2', '0', '5'};
    m.userPresets = 8;
    m.factoryPresets = FactoryNames(24, {});
    m.meters = MeterLayout::Lite;
    m.withMpx = true;
    m.pages = StandardPages(k);
    return m;
}

}  // namespace vsim::models
