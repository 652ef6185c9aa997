// Model code 4: VexlorLiteFM.
// Entry-level FM processor: four bands with a limiter each, stereo encoder.
#include "core/ModelCatalog.h"
#include "core/ModelKit.h"

namespace vsim::models {

Model MakeVexlorLiteFM()
{
    using namespace kit;
    Kit k = LiteLine();
    k.fm = true;

    return StandardModel(k, 4, "VexlorLiteFM", {'2', '0', '5'},
                         FactoryNames(24, {}), MeterLayout::Lite);
}

}  // namespace vsim::models
