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

    return StandardModel(k, 7, "VexlorCD", {'3', '0', '0'},
                         FactoryNames(24, {"MASTER", "VINYL"}), MeterLayout::Columns13);
}

}  // namespace vsim::models
