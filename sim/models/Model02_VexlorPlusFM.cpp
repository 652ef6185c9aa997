// Model code 2: VexlorPlusFM.
// The FM flagship of the Plus line: a four-band stereo leveler ahead of a
// five-band compressor (bands 4 and 5 can be switched off), six band limiters
// and the stereo encoder.
#include "core/ModelCatalog.h"
#include "core/ModelKit.h"

namespace vsim::models {

Model MakeVexlorPlusFM()
{
    using namespace kit;
    Kit k;
    k.bands = 5;
    k.bandCountChoice = true;
    k.levelers = 4;
    k.eqBands = 4;
    k.limiterBands = 6;
    k.fm = true;

    Model m;
    m.code = 2;
    m.name = "VexlorPlusFM";
    m.version = {'4', '2', '1'};
    m.userPresets = 8;
    m.factoryPresets = FactoryNames(32, {"PLUS ROCK", "PLUS POP"});
    m.meters = MeterLayout::Leveler;
    m.withMpx = true;
    m.pages = StandardPages(k);
    return m;
}

}  // namespace vsim::models
