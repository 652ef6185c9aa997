// Model code 9: VexlorPlusHD.
// Plus-line digital radio processor: stereo leveler, five bands, codec stage.
#include "core/ModelCatalog.h"
#include "core/ModelKit.h"

namespace vsim::models {

Model MakeVexlorPlusHD()
{
    using namespace kit;
    Kit k = PlusLine();
    k.hd = true;

    return StandardModel(k, 9, "VexlorPlusHD", {'4', '1', '5'},
                         FactoryNames(32, {"HD CLEAN", "HD LOUD"}), MeterLayout::Leveler);
}

}  // namespace vsim::models
