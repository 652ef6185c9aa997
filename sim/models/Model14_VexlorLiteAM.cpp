// Model code 14: VexlorLiteAM.
// Entry-level AM processor: four bands with a limiter each, transmitter shaping.
#include "core/ModelCatalog.h"
#include "core/ModelKit.h"

namespace vsim::models {

Model MakeVexlorLiteAM()
{
    using namespace kit;
    Kit k = LiteLine();
    k.am = true;

    return StandardModel(k, 14, "VexlorLiteAM", {'2', '0', '0'},
                         FactoryNames(24, {"AM VOICE"}), MeterLayout::Lite);
}

}  // namespace vsim::models
