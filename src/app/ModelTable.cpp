#include "app/ModelTable.h"

#include <array>

namespace {

constexpr std::array<ModelInfo, 13> kModels{{
    {1, "VexlorFM", "LedsBkVexlorFM", 8},
    {2, "VexlorPlusFM", "LedsBkVexlorPlusFM", 8},
    {4, "VexlorLiteFM", "LedsBkVexlorLiteFM", 8},
    {5, "VexlorStereo", "LedsBkVexlorStereo", 8},
    {6, "VexlorHD", "LedsBkVexlorHD", 8},
    {7, "VexlorCD", "LedsBkVexlorCD", 8},
    {8, "VexlorPlusCD", "LedsBkVexlorPlusCD", 8},
    {9, "VexlorPlusHD", "LedsBkVexlorPlusHD", 8},
    {10, "VexlorLiteHD", "LedsBkVexlorLiteHD", 8},
    {12, "VexlorMaxFM", "LedsBkVexlorMaxFM", 16},
    {13, "VexlorAM", "LedsBkVexlorAM", 8},
    {14, "VexlorLiteAM", "LedsBkVexlorLiteAM", 8},
    {15, "VexlorLiteFM2", "LedsBkVexlorLiteFM2", 8},
}};

}  // namespace

const ModelInfo* FindModel(std::uint8_t code)
{
    for (const ModelInfo& model : kModels)
        if (model.code == code) return &model;
    return nullptr;
}
