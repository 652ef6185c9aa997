// Model code 6: VexlorHD.
// Processor for digital radio: four bands and codec-friendly limiting.
#include "core/ModelCatalog.h"
#include "core/ModelKit.h"

namespace vsim::models {

Model MakeVexlorHD()
{
    using namespace kit;
    Kit k;
    k.bands = 4;
    k.eqBands = 3;
    k.hd = true;

    Model m;
    m.code = 6;
    m.name = "VexlorHD";
    m.version = {'3', '1', '0'};
    m.userPresets = 8;
    m.factoryPresets = FactoryNames(28, {"HD CLEAN", "HD LOUD"});
    m.meters = MeterLayout::Columns13;
    m.withMpx = false;
    m.pages = StandardPages(k);
    return m;
}

}  // namespace vsim::models
