// Model code 10: VexlorLiteHD.
// Entry-level digital radio processor: four bands with a limiter each.
#include "core/ModelCatalog.h"
#include "core/ModelKit.h"

namespace vsim::models {

Model MakeVexlorLiteHD()
{
    using namespace kit;
    Kit k = LiteLine();
    k.hd = true;

    return StandardModel(k, 10, "VexlorLiteHD", {'2', '0', '1'},
                         FactoryNames(24, {"HD CLEAN"}), MeterLayout::Lite);
}

}  // namespace vsim::models
