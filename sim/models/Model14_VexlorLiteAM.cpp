// Model code 14: VexlorLiteAM.
// Entry-level AM processor: four bands with a limiter each, transmitter shaping.
#include "core/ModelCatalog.h"
#include "core/ModelKit.h"

namespace vsim::models {

Model MakeVexlorLiteAM()
{
    using namespace kit;
    Kit k;
    k.bands = 4;
    k.eqBands = 2;
    k.limiterBands = 4;
    k.am = true;
    k.scheduleEvents = 1;

    Model m;
    m.code = 14;
    m.name = "VexlorLiteAM";
    m.version = {'2', '0', '0'};
    m.userPresets = 8;
    m.factoryPresets = FactoryNames(24, {"AM VOICE"});
    m.meters = MeterLayout::Lite;
    m.withMpx = false;
    m.pages = StandardPages(k);
    return m;
}

}  // namespace vsim::models
