#include "core/ModelCatalog.h"
#include "core/PresetImage.h"
#include "core/ProcessorState.h"

#include <gtest/gtest.h>

using namespace vsim;

namespace {

// First parameter of the model that a preset stores, and one that it does not.
constexpr Address kDrive{0, 1, 2};     // AGC drive, group 0
constexpr Address kOutputL{2, 1, 1};   // output level, system group

class ProcessorStateTest : public ::testing::Test {
protected:
    Model model = *MakeModel(1);
    ProcessorState state{model};
    const std::uint8_t users = model.userPresets;
};

}  // namespace

TEST_F(ProcessorStateTest, StartsOnTheFirstFactoryPresetMarkedDefault)
{
    const PresetFlags f = state.Flags();
    EXPECT_EQ(f.current, users);
    EXPECT_EQ(f.def, users);
    EXPECT_EQ(f.tr, 255);
    EXPECT_EQ(f.dp, 255);
    EXPECT_FALSE(f.change);
    EXPECT_FALSE(f.compare);
    EXPECT_EQ(state.PresetCount(), model.PresetCount());
}

TEST_F(ProcessorStateTest, AnyWriteSetsTheChangeFlagAndLoadOrSaveClearIt)
{
    ASSERT_TRUE(state.Write(kOutputL, 3));
    EXPECT_TRUE(state.Flags().change);
    state.Load(2);
    EXPECT_FALSE(state.Flags().change);
    EXPECT_EQ(state.Flags().current, 2);
    state.Write(kDrive, 7);
    EXPECT_TRUE(state.Flags().change);
    EXPECT_TRUE(state.Save(5));
    EXPECT_FALSE(state.Flags().change);
    EXPECT_EQ(state.Flags().current, 5);
}

TEST_F(ProcessorStateTest, WritesAreClampedAndUnknownAddressesRefused)
{
    EXPECT_EQ(state.Write(kDrive, 255), std::optional<std::uint8_t>(48));
    EXPECT_EQ(state.Read(kDrive), 48);
    EXPECT_FALSE(state.Write(Address{9, 9, 9}, 1).has_value());
    EXPECT_EQ(state.Read(Address{9, 9, 9}), 0);
}

TEST_F(ProcessorStateTest, SaveStoresTheEditedValuesAndLoadBringsThemBack)
{
    state.Write(kDrive, 11);
    ASSERT_TRUE(state.Save(3));
    state.Load(users + 1);
    EXPECT_NE(state.Read(kDrive), 200);
    state.Load(3);
    EXPECT_EQ(state.Read(kDrive), 11);
    EXPECT_FALSE(state.Save(users));  // a factory preset
    EXPECT_EQ(state.Load(200), 3);     // no such preset: the current one keeps running
}

TEST_F(ProcessorStateTest, CompareRunsTheStoredPresetAndRevertGoesBackToTheEdit)
{
    state.Load(1);
    const std::uint8_t stored = state.Read(kDrive);
    const auto edited = static_cast<std::uint8_t>(stored == 40 ? 41 : 40);
    state.Write(kDrive, edited);
    state.Write(kOutputL, 9);
    state.Compare();
    EXPECT_TRUE(state.Flags().compare);
    EXPECT_EQ(state.Read(kDrive), stored);
    EXPECT_EQ(state.Read(kOutputL), 9);  // not part of a preset
    EXPECT_EQ(state.Flags().StatusByte(), 0xC1);
    state.Revert();
    EXPECT_FALSE(state.Flags().compare);
    EXPECT_EQ(state.Read(kDrive), edited);
    EXPECT_EQ(state.Flags().StatusByte(), 0x81);
}

TEST_F(ProcessorStateTest, EditingAPresetParameterWhileComparingEndsTheCompare)
{
    state.Load(1);
    state.Write(kDrive, 30);
    state.Compare();
    state.Write(kOutputL, 4);
    EXPECT_TRUE(state.Flags().compare);
    state.Write(kDrive, 31);
    EXPECT_FALSE(state.Flags().compare);
    EXPECT_EQ(state.Read(kDrive), 31);
}

TEST_F(ProcessorStateTest, MarkersFollowTheirPresetChoiceParameters)
{
    state.Write(kMarkerTR, 3);  // "Off" is 0, so 3 is preset index 2
    state.Write(kMarkerDP, static_cast<std::uint8_t>(users + 5));
    state.Write(kMarkerDEF, 0);
    const PresetFlags f = state.Flags();
    EXPECT_EQ(f.tr, 2);
    EXPECT_EQ(f.dp, users + 4);
    EXPECT_EQ(f.def, 255);
}

TEST_F(ProcessorStateTest, RenameChangesUserPresetsOnlyAndStopsAtTheFirstZero)
{
    PresetName name{};
    const char text[] = "ABC\0XYZ";
    std::copy(text, text + 7, name.begin());
    EXPECT_TRUE(state.Rename(0, name));
    const ByteString image = *state.PresetImage(0);
    EXPECT_EQ(std::string(image.begin(), image.begin() + 4), std::string("ABC\0", 4));
    EXPECT_EQ(image[4], 0);
    EXPECT_FALSE(state.Rename(users, name));
    const auto factory = DecodePresetImage(state.Layout(), *state.PresetImage(users), nullptr);
    ASSERT_TRUE(factory);
    EXPECT_EQ(PresetNameText(factory->name), model.factoryPresets[0]);
}

TEST_F(ProcessorStateTest, PresetImagesAreWholeBlocksAndRoundTrip)
{
    for (std::uint8_t i = 0; i < state.PresetCount(); ++i) {
        const ByteString image = *state.PresetImage(i);
        EXPECT_EQ(image.size() % 128, 0u);
        EXPECT_EQ(image[15], model.code);
        const auto content = DecodePresetImage(state.Layout(), image, nullptr);
        ASSERT_TRUE(content);
        EXPECT_EQ(EncodePresetImage(state.Layout(), *content), image);
    }
    EXPECT_FALSE(state.PresetImage(static_cast<std::uint8_t>(state.PresetCount())).has_value());
}

TEST_F(ProcessorStateTest, DamagedOrForeignImagesAreRefused)
{
    const ByteString good = *state.PresetImage(users + 2);
    std::string why;
    auto refused = [&](ByteString image) { return !state.StorePresetImage(0, image, &why); };
    ByteString bad = good;
    bad[20] ^= 1;
    EXPECT_TRUE(refused(bad));
    EXPECT_EQ(why, "preset image checksum wrong");
    bad = good;
    bad[15] = 99;
    EXPECT_TRUE(refused(bad));
    EXPECT_TRUE(refused(ByteString(good.begin(), good.begin() + 30)));
    EXPECT_TRUE(refused(ByteString(good.size(), 0)));
    EXPECT_FALSE(state.StorePresetImage(users, good, &why));  // factory presets are read-only
    ASSERT_TRUE(state.StorePresetImage(0, good, &why));
    EXPECT_EQ(*state.PresetImage(0), good);
    // Transfer padding after the image does not matter.
    ByteString padded = good;
    padded.resize(good.size() + 128, 0);
    EXPECT_TRUE(state.StorePresetImage(1, padded, &why));
}

TEST_F(ProcessorStateTest, StateSurvivesSerialisation)
{
    state.Write(kDrive, 12);
    state.Save(2);
    state.Write(kOutputL, 17);
    state.Rename(2, MakePresetName("MORNING"));
    state.SetVersion({'9', '8', '7'});
    const std::string text = state.Serialize();

    ProcessorState restored(model);
    std::string why;
    ASSERT_TRUE(restored.Deserialize(text, &why)) << why;
    EXPECT_EQ(*restored.PresetImage(2), *state.PresetImage(2));
    EXPECT_EQ(restored.Read(kOutputL), 17);
    EXPECT_EQ(restored.Flags().current, 2);
    EXPECT_TRUE(restored.Flags().change);
    EXPECT_EQ(restored.Version(), (std::array<char, 3>{'9', '8', '7'}));
}

TEST_F(ProcessorStateTest, ABadStateFileChangesNothing)
{
    const ByteString before = *state.PresetImage(0);
    std::string why;
    for (const std::string& text :
         {std::string("not json"), std::string("[1,2]"), std::string("{\"format\":1,\"model\":2}"),
          std::string("{\"format\":1,\"model\":1,\"user_presets\":[\"zz\"]}"),
          std::string("{\"format\":1,\"model\":1,\"params\":\"x\"}")}) {
        EXPECT_FALSE(state.Deserialize(text, &why)) << text;
        EXPECT_FALSE(why.empty());
    }
    // A good file with one parameter out of range is refused whole.
    std::string text = ProcessorState(model).Serialize();
    const auto at = text.find("\"0.1.2\"");
    ASSERT_NE(at, std::string::npos);
    text.replace(text.find(':', at) + 1, text.find_first_of(",}", at) - text.find(':', at) - 1, "250");
    EXPECT_FALSE(state.Deserialize(text, &why));
    EXPECT_EQ(*state.PresetImage(0), before);
}
