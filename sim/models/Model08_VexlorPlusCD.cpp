// Model code 8: VexlorPlusCD.
// Plus-line mastering processor: stereo leveler, five bands, six band limiters.
#include "core/ModelCatalog.h"
#include "core/ModelKit.h"

namespace vsim::models {

Model MakeVexlorPlusCD()
{
    using namespace kit;
    Kit k;
    k.bands = 5;
    k.bandCountChoice = true;
    k.levelers = 4;
    k.eqBands = 5;
    k.limiterBands = 6;
    k.cd = true;

    Model m;
    m.code = 8;
    m.name = "VexlorPlusCD";
    m.version = {'4', '0', '2'};
    m.userPresets = 8;
    m.factoryPresets = FactoryNames(32, {"MASTER", "VINYL"});
    m.meters = MeterLayout::Leveler;
    m.withMpx = false;
    m.pages = StandardPages(k);
    return m;
}

}  // namespace vsim::models
