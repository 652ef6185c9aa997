// Model code 1: VexlorFM.
// The original FM processor: wideband AGC, four compressor bands, clipper and
// stereo encoder with MPX output.
#include "core/ModelCatalog.h"
#include "core/ModelKit.h"

namespace vsim::models {

Model MakeVexlorFM()
{
    using namespace kit;
    Kit k;
    k.bands = 4;
    k.eqBands = 3;
    k.fm = true;

    return StandardModel(k, 1, "VexlorFM", {'3', '1', '2'},
                         FactoryNames(24, {"FM LOUD", "FM CLEAN"}), MeterLayout::Columns13);
}

}  // namespace vsim::models
