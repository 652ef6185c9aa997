#pragma once

#include "SimModel.h"

#include <array>
#include <initializer_list>
#include <string>
#include <vector>

// Small builders that keep the model files readable: records by what they show,
// items by where they sit, and the processing sections that several models share.
namespace vsim::kit {

inline Address A(std::uint8_t a, std::uint8_t b, std::uint8_t c) { return Address{a, b, c}; }
inline Cell At(std::uint8_t x, std::uint8_t y, std::uint8_t w, std::uint8_t h) { return Cell{x, y, w, h}; }

// A slider scale from `lo` to `hi` in steps of `step`, shown with `decimals`.
Record Level(std::string name, Address addr, std::string unit, double lo, double hi, double step,
             int decimals, double initial);
// Named choices; a choice ending in "*" is shown without the unit.
Record Choices(std::string name, Address addr, std::vector<std::string> choices,
               std::uint8_t initial = 0, std::string unit = {});
// Plain numbers first..last: button labels, or a spin field printed with `format`.
Record Count(std::string name, Address addr, int first, int last, std::uint8_t format = 0,
             int initial = -1);
// A spin field choosing "Off" or one of the processor's presets.
Record PresetPick(std::string name, Address addr, std::uint8_t initial = 0);

Item Slider(Record r, Cell cell);
Item Buttons(Record r, Cell cell);
Item Spin(std::vector<Record> fields, Cell cell);

// Sliders side by side from x0, each `w` units wide.
std::vector<Item> SliderRow(std::vector<Record> records, std::uint8_t x0, std::uint8_t y,
                            std::uint8_t w, std::uint8_t h);

Page Leaf(std::string name, std::vector<Item> items);
Page Group(std::string name, std::vector<Page> children);
void Append(std::vector<Item>& to, std::vector<Item> more);

// What a processor family has; the shared sections read it.
struct Kit {
    int bands = 4;               // multiband compressor bands (3 to 6)
    bool bandCountChoice = false;  // the operator may switch bands off (drives visibility)
    int levelers = 0;            // leveler bands, 0 for none
    bool stereoLevelers = true;
    int eqBands = 3;
    int limiterBands = 0;        // band limiters after the compressor
    bool fm = false;             // pre-emphasis, stereo encoder, MPX
    bool am = false;             // AM transmitter shaping
    bool hd = false;             // codec-friendly limiting
    bool cd = false;             // mastering: dither, no pre-emphasis
    int scheduleEvents = 2;
};

std::vector<Page> InputPages(const Kit& k);
Page AgcPages(const Kit& k);
Page MultibandPages(const Kit& k);
Page EqualizerPages(const Kit& k);
Page LimiterPages(const Kit& k);
Page StereoPages(const Kit& k);
Page SystemPages(const Kit& k);

// The usual page tree of a Vexlor processor built from the kit.
std::vector<Page> StandardPages(const Kit& k);

// What every model of the Plus line has: five compressor bands (4 and 5 can be
// switched off), a four-band stereo leveler, four-band EQ and six band limiters.
Kit PlusLine();
// What every model of the Lite line has: four bands with a limiter each, a
// two-band EQ and one scheduled preset event.
Kit LiteLine();

// A model on the usual page tree of its kit, eight user presets; its meters
// show the MPX column and carrier when the kit has the FM stage.
Model StandardModel(const Kit& k, std::uint8_t code, std::string name, std::array<char, 3> version,
                    std::vector<std::string> factoryPresets, MeterLayout meters);

// Factory preset names, the first `count` of the shared bank (at most 40).
std::vector<std::string> FactoryNames(std::size_t count, std::initializer_list<std::string> own = {});

}  // namespace vsim::kit
