#pragma once

#include "SimModel.h"

#include <optional>
#include <string>
#include <vector>

namespace vsim {

// Codes of the model table: 1, 2, 4 to 10, 12 to 15.
std::vector<std::uint8_t> KnownModelCodes();
// Codes with no row in the model table that the simulator can still pretend to be,
// so that the application's refusal can be tried: 0, 3, 11 and 16.
std::vector<std::uint8_t> UnknownModelCodes();

// The finished model for a known or unknown code; nullopt for any other code.
std::optional<Model> MakeModel(int code);

// Everything wrong with a model: cells outside the page area, clashing addresses,
// rules without a driver, names too long for the wire. Empty when it is sound.
std::vector<std::string> CheckModel(const Model& model);

// Page area of the main window ("Frame", 540 x 280) in 10-pixel units, and the
// band at its top that the page caption takes (24 pixels).
constexpr int kPageAreaWidth = 54;
constexpr int kPageAreaHeight = 28;
constexpr int kCaptionRows = 3;

namespace models {
Model MakeVexlorFM();
Model MakeVexlorPlusFM();
Model MakeVexlorLiteFM();
Model MakeVexlorStereo();
Model MakeVexlorHD();
Model MakeVexlorCD();
Model MakeVexlorPlusCD();
Model MakeVexlorPlusHD();
Model MakeVexlorLiteHD();
Model MakeVexlorMaxFM();
Model MakeVexlorAM();
Model MakeVexlorLiteAM();
Model MakeVexlorLiteFM2();
Model MakeUnknown(std::uint8_t code);
}  // namespace models

}  // namespace vsim
