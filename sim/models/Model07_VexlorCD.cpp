// Model code 7: VexlorCD.
// Mastering processor: four bands, five-band EQ, dither and loudness target.
#include "core/ModelCatalog.h"
#include "core/ModelKit.h"

namespace vsim::models {

Model MakeVexlorCD()
{
    using namespace kit;
    Kit k;
    k.bands = 4;
    k.eqBands = 5;
    k.cd = true;

    Model m;
    m.code = 7;
    m.name = "VexlorCD";
    m.version = {'3', '0', '0'};
    m.userPresets = 8;
    m.factoryPresets = FactoryNames(24, {"MASTER", "VINYL"});
    m.meters = MeterLayout::Columns13;
    m.withMpx = false;
    m.pages = StandardPages(k);
    return m;
}

}  // namespace vsim::models
