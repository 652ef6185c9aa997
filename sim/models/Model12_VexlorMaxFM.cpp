// Model code 12: VexlorMaxFM.
// The largest FM processor: a four-band leveler, six compressor bands (4 to 6
// can be switched off), five-band EQ, six band limiters, clipper, stereo
// encoder, four scheduled preset events and sixteen user presets.
#include "core/ModelCatalog.h"
#include "core/ModelKit.h"

namespace vsim::models {

Model MakeVexlorMaxFM()
{
    using namespace kit;
    Kit k;
    k.bands = 6;
    k.bandCountChoice = true;
    k.levelers = 4;
    k.stereoLevelers = false;
    k.eqBands = 5;
    k.limiterBands = 6;
    k.fm = true;
    k.scheduleEvents = 4;

    Model m;
    m.code = 12;
    m.name = "VexlorMaxFM";
    m.version = {'5', '0', '3'};
    m.userPresets = 16;
    m.factoryPresets = FactoryNames(32, {"MAX LOUD", "MAX OPEN", "MAX DENSE"});
    m.meters = MeterLayout::LevelerLeft;
    m.withMpx = true;
    m.pages = StandardPages(k);
    return m;
}

}  // namespace vsim::models
