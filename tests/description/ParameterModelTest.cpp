#include "description/ParameterModel.h"

#include "description/DescriptionBuilder.h"

#include <gtest/gtest.h>

namespace {

ControlRecord Numeric(int minimum, int step, std::uint8_t maxValue, std::uint8_t format = 0,
                      std::string unit = "") {
    ControlRecord record = MakeRecord(ControlStyle::Slider, "r", {0, 0, 1});
    record.minimum = minimum;
    record.step = step;
    record.maxValue = maxValue;
    record.format = format;
    record.unit = std::move(unit);
    return record;
}

ControlRecord WithChoices(std::vector<std::string> choices, std::string unit = "") {
    ControlRecord record = MakeRecord(ControlStyle::Slider, "r", {0, 0, 1});
    record.valueKind = ValueKind::Choices;
    record.step = 0;
    record.maxValue = static_cast<std::uint8_t>(choices.size() - 1);
    record.choices = std::move(choices);
    record.unit = std::move(unit);
    return record;
}

TEST(SliderRange, NumbersRunFromMinimumOverStepTruncatedTowardZero) {
    EXPECT_EQ(SliderRange(Numeric(-120, 5, 48)), (SliderBounds{-24, 24}));
    EXPECT_EQ(SliderRange(Numeric(-7, 2, 10)), (SliderBounds{-3, 7}));
    EXPECT_EQ(SliderRange(Numeric(7, -2, 10)), (SliderBounds{-3, 7}));
    EXPECT_EQ(SliderRange(Numeric(50, 0, 10)), (SliderBounds{0, 10}));  // step 0 does not divide
}

TEST(SliderRange, ChoicesRunFromZeroAndASingleChoiceStillGetsTwoPositions) {
    EXPECT_EQ(SliderRange(WithChoices({"a", "b", "c"})), (SliderBounds{0, 2}));
    EXPECT_EQ(SliderRange(WithChoices({"only"})), (SliderBounds{0, 1}));
}

TEST(SliderPosition, LargestRawValueSitsAtTheTopAndConversionsInvertEachOther) {
    const ControlRecord record = Numeric(-120, 5, 48);
    EXPECT_EQ(SliderPositionFromRaw(record, 0), 24);
    EXPECT_EQ(SliderPositionFromRaw(record, 48), -24);
    for (int raw = 0; raw <= 48; ++raw) {
        EXPECT_EQ(RawFromSliderPosition(record, SliderPositionFromRaw(record, static_cast<std::uint8_t>(raw))), raw);
    }
}

TEST(FormatScaled, PointGoesBeforeTheLastDecimalsWithADigitBeforeIt) {
    EXPECT_EQ(FormatScaled(5, 1), "0.5");
    EXPECT_EQ(FormatScaled(-5, 1), "-0.5");
    EXPECT_EQ(FormatScaled(125, 2), "1.25");
    EXPECT_EQ(FormatScaled(-25, 2), "-0.25");
    // Fewer digits than decimals: leading zeros complete the rule.
    EXPECT_EQ(FormatScaled(7, 2), "0.07");
    EXPECT_EQ(FormatScaled(-7, 2), "-0.07");
    EXPECT_EQ(FormatScaled(3, 4), "0.0003");
    EXPECT_EQ(FormatScaled(0, 1), "0.0");
    EXPECT_EQ(FormatScaled(-120, 0), "-120");
    EXPECT_EQ(FormatScaled(-1234, 1), "-123.4");
}

TEST(SliderText, NumberTimesStepWithDecimalsThenBlankAndUnit) {
    const ControlRecord level = Numeric(-120, 5, 48, 0x10, "dB");
    EXPECT_EQ(SliderText(level, 0), "-12.0 dB");
    EXPECT_EQ(SliderText(level, 24), "0.0 dB");
    EXPECT_EQ(SliderText(level, 48), "12.0 dB");
    EXPECT_EQ(SliderText(level, 23), "-0.5 dB");
    const ControlRecord fine = Numeric(0, 1, 255, 0x20);
    EXPECT_EQ(SliderText(fine, 125), "1.25 ");  // an empty unit leaves the blank
    EXPECT_EQ(SliderText(fine, 25), "0.25 ");
    EXPECT_EQ(SliderText(fine, 7), "0.07 ");
}

TEST(SliderText, ChoicesShowTheirTextAndAnAsteriskDropsTheUnit) {
    const ControlRecord record = WithChoices({"Bypass*", "On", "Hi*gh*"}, "dB");
    EXPECT_EQ(SliderText(record, 0), "Bypass");
    EXPECT_EQ(SliderText(record, 1), "On dB");
    EXPECT_EQ(SliderText(record, 2), "High*");
    EXPECT_EQ(SliderText(record, 200), "High*");  // past the end: the last choice
    const ControlRecord single = WithChoices({"Only*"});
    EXPECT_EQ(SliderText(single, 1), "Only");
}

TEST(ButtonLabels, ChoicesWithUnitsUnlessStarredAndNumbersFromLoWithoutStepOrUnit) {
    EXPECT_EQ(ButtonLabels(WithChoices({"Bypass*", "On"}, "dB")), (std::vector<std::string>{"Bypass", "On dB"}));
    ControlRecord numbered = Numeric(10, 5, 3, 0x10, "dB");
    EXPECT_EQ(ButtonLabels(numbered), (std::vector<std::string>{"2", "3", "4", "5"}));
    EXPECT_EQ(ButtonLabels(Numeric(-7, 2, 2)), (std::vector<std::string>{"-3", "-2", "-1"}));
}

TEST(SpinFieldSpec, NumberFieldGetsItsRangeStepAndPrintfFormat) {
    const SpinField field = SpinFieldSpec(Numeric(-7, 2, 10, 0x0A));
    EXPECT_EQ(field.kind, SpinField::Kind::Number);
    EXPECT_EQ(field.minimum, -3.0);
    EXPECT_EQ(field.maximum, 7.0);
    EXPECT_EQ(field.step, 2.0);
    EXPECT_EQ(field.format, "%02.0f");
}

TEST(SpinFieldSpec, FormatsForZeroPaddingAndWidth) {
    EXPECT_EQ(SpinNumberFormat(0x0A), "%02.0f");
    EXPECT_EQ(FormatSpinNumber(0x0A, 3), "03");
    EXPECT_EQ(SpinNumberFormat(0x03), "%3.0f");
    EXPECT_EQ(FormatSpinNumber(0x03, 3), "  3");
    EXPECT_EQ(SpinNumberFormat(0x00), "%0.0f");
    EXPECT_EQ(FormatSpinNumber(0x00, 42), "42");
    EXPECT_EQ(SpinNumberFormat(0x08), "%00.0f");
    EXPECT_EQ(FormatSpinNumber(0x08, 42), "42");
    EXPECT_EQ(SpinNumberFormat(0xFF), "%07.0f");  // decimals bits play no part
    EXPECT_EQ(FormatSpinNumber(0x0F, -5), "-000005");
}

TEST(SpinFieldSpec, ListFieldsForChoicesAndPresetChoices) {
    const SpinField list = SpinFieldSpec(WithChoices({"a", "b"}));
    EXPECT_EQ(list.kind, SpinField::Kind::List);
    EXPECT_FALSE(list.presetChoices);
    EXPECT_EQ(list.texts, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(list.format, "%s");

    ControlRecord preset = MakeRecord(ControlStyle::Spin, "Preset", {5, 0, 1});
    preset.valueKind = ValueKind::PresetChoice;
    preset.step = 0;
    const SpinField presetField = SpinFieldSpec(preset);
    EXPECT_EQ(presetField.kind, SpinField::Kind::List);
    EXPECT_TRUE(presetField.presetChoices);
    EXPECT_TRUE(presetField.texts.empty());
    EXPECT_EQ(presetField.format, "%s");
    EXPECT_EQ(PresetChoices({"U1: Rock", "F1: Talk"}), (std::vector<std::string>{"Off", "U1: Rock", "F1: Talk"}));
}

TEST(SpinItem, WrapsWithOneNonPresetRecordAndCaptionsLoseUnderscoresAndExtraBlanks) {
    DescriptionBuilder b;
    auto one = b.Page("P").Spin("x", {0, 0, 1});
    EXPECT_TRUE(SpinWraps(one.Item()));
    one.PresetChoice(4);
    EXPECT_FALSE(SpinWraps(one.Item()));
    auto two = b.Page("Q").Spin("x", {0, 0, 1}).Field("y", {0, 0, 2});
    EXPECT_FALSE(SpinWraps(two.Item()));

    EXPECT_EQ(SpinCaption("GATE_ MODE  _ A"), "GATE MODE A");
    EXPECT_EQ(SpinSeparatorText(" Mi nutes "), "Minutes");
}

TEST(SpinItem, RawValueIsTheFieldValueTruncatedTowardZeroAsAByte) {
    EXPECT_EQ(RawFromSpinValue(7.9), 7);
    EXPECT_EQ(RawFromSpinValue(-3.7), 253);
    EXPECT_EQ(RawFromSpinValue(300.0), 44);
    EXPECT_EQ(RawFromSpinValue(1e300), RawFromSpinValue(1e300));  // no overflow trap
}

}  // namespace
