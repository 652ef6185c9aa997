// Model code 9: VexlorPlusHD.
// Plus-line digital radio processor: stereo leveler, five bands, codec stage.
#include "core/ModelCatalog.h"
#include "core/ModelKit.h"

namespace vsim::models {

Model MakeVexlorPlusHD()
{
    using namespace kit;
    Kit k;
    k.bands = 5;
    k.bandCountChoice = true;
    k.levelers = 4;
    k.eqBands = 4;
    k.limiterBands = 6;
    k.hd = true;

    Model m;
    m.code = 9;
    m.name = "VexlorPlusHD";
    m.version = {'4', '1', '5'};
    m.userPresets = 8;
    m.factoryPresets = FactoryNames(32, {"HD CLEAN", "HD LOUD"});
    m.meters = MeterLayout::Leveler;
    m.withMpx = false;
    m.pages = StandardPages(k);
    return m;
}

}  // namespace vsim::models
