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

    Model m;
    m.code = 13;
    m.name = "VexlorAM";
    m.version = {'3', '0', '5'};
    m.userPresets = 8;
    m.factoryPresets = FactoryNames(24, {"AM VOICE", "AM MUSIC"});
    m.meters = MeterLayout::Columns13;
    m.withMpx = false;
    m.pages = StandardPages(k);
    return m;
}

}  // namespace vsim::models
