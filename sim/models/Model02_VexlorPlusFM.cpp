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
    Kit k = PlusLine();
    k.fm = true;

    return StandardModel(k, 2, "VexlorPlusFM", {'4', '2', '1'},
                         FactoryNames(32, {"PLUS ROCK", "PLUS POP"}), MeterLayout::Leveler);
}

}  // namespace vsim::models
