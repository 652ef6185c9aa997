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

    return StandardModel(k, 6, "VexlorHD", {'3', '1', '0'},
                         FactoryNames(28, {"HD CLEAN", "HD LOUD"}), MeterLayout::Columns13);
}

}  // namespace vsim::models
