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

    Model m;
    m.code = 1;
    m.name = "VexlorFM";
    m.version = {'3', '1', '2'};
    m.userPresets = 8;
    m.factoryPresets = FactoryNames(24, {"FM LOUD", "FM CLEAN"});
    m.meters = MeterLayout::Columns13;
    m.withMpx = true;
    m.pages = StandardPages(k);
    return m;
}

}  // namespace vsim::models
