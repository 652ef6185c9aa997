// Model code 10: VexlorLiteHD.
// Entry-level digital radio processor: four bands with a limiter each.
#include "core/ModelCatalog.h"
#include "core/ModelKit.h"

namespace vsim::models {

Model MakeVexlorLiteHD()
{
    using namespace kit;
    Kit k;
    k.bands = 4;
    k.eqBands = 2;
    k.limiterBands = 4;
    k.hd = true;
    k.scheduleEvents = 1;

    Model m;
    m.code = 10;
    m.name = "VexlorLiteHD";
    m.version = {'2', '0', '1'};
    m.userPresets = 8;
    m.factoryPresets = FactoryNames(24, {"HD CLEAN"});
    m.meters = MeterLayout::Lite;
    m.withMpx = false;
    m.pages = StandardPages(k);
    return m;
}

}  // namespace vsim::models
