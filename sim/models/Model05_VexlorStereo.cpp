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

    Model m;
    m.code = 5;
    m.name = "VexlorStereo";
    m.version = {'1', '1', '0'};
    m.userPresets = 8;
    m.factoryPresets = FactoryNames(24, {"STUDIO", "STREAM"});
    m.meters = MeterLayout::Stereo;
    m.withMpx = false;
    m.pages = StandardPages(k);
    return m;
}

}  // namespace vsim::models
