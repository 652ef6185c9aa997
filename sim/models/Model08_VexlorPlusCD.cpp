// Model code 8: VexlorPlusCD.
// Plus-line mastering processor: stereo leveler, five bands, six band limiters.
#include "core/ModelCatalog.h"
#include "core/ModelKit.h"

namespace vsim::models {

Model MakeVexlorPlusCD()
{
    using namespace kit;
    Kit k = PlusLine();
    k.eqBands = 5;  // mastering wants the finer EQ
    k.cd = true;

    return StandardModel(k, 8, "VexlorPlusCD", {'4', '0', '2'},
                         FactoryNames(32, {"MASTER", "VINYL"}), MeterLayout::Leveler);
}

}  // namespace vsim::models
