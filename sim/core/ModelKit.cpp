#include "ModelKit.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace vsim::kit {
namespace {

int Scaled(double v, int decimals)
{
    return static_cast<int>(std::lround(v * std::pow(10.0, decimals)));
}

std::string Numbered(const std::string& stem, int n)
{
    return stem + " " + std::to_string(n);
}

std::uint8_t U8(int v)
{
    return static_cast<std::uint8_t>(v);
}

}  // namespace

Record Level(std::string name, Address addr, std::string unit, double lo, double hi, double step,
             int decimals, double initial)
{
    const int minimum = Scaled(lo, decimals);
    const int stepI = Scaled(step, decimals);
    const int count = static_cast<int>(std::lround((hi - lo) / step));
    // The application shows (minimum / step + raw) * step, so the minimum must be
    // a whole number of steps; a model that breaks this is a model bug.
    if (stepI == 0 || stepI > 127 || stepI < -128 || minimum % stepI != 0 || count < 1 || count > 255 ||
        minimum < -32768 || minimum > 32767 || decimals < 0 || decimals > 15)
        throw std::logic_error("bad slider scale for " + name);
    Record r;
    r.kind = RecordKind::Numeric;
    r.address = addr;
    r.name = std::move(name);
    r.unit = std::move(unit);
    r.maxValue = U8(count);
    r.minimum = static_cast<std::int16_t>(minimum);
    r.step = static_cast<std::int8_t>(stepI);
    r.format = U8(decimals << 4);
    r.defaultRaw = U8(std::clamp(static_cast<int>(std::lround((initial - lo) / step)), 0, count));
    return r;
}

Record Choices(std::string name, Address addr, std::vector<std::string> choices, std::uint8_t initial,
               std::string unit)
{
    if (choices.empty() || choices.size() > 256)
        throw std::logic_error("bad choice list for " + name);
    Record r;
    r.kind = RecordKind::Choice;
    r.address = addr;
    r.name = std::move(name);
    r.unit = std::move(unit);
    r.maxValue = U8(static_cast<int>(choices.size()) - 1);
    r.choices = std::move(choices);
    r.defaultRaw = std::min(initial, r.maxValue);
    return r;
}

Record Count(std::string name, Address addr, int first, int last, std::uint8_t format, int initial)
{
    if (last <= first || last - first > 255 || first < -32768 || first > 32767)
        throw std::logic_error("bad count range for " + name);
    Record r;
    r.kind = RecordKind::Numeric;
    r.address = addr;
    r.name = std::move(name);
    r.maxValue = U8(last - first);
    r.minimum = static_cast<std::int16_t>(first);
    r.step = 1;
    r.format = format;
    r.defaultRaw = initial < 0 ? 0 : U8(std::clamp(initial - first, 0, last - first));
    return r;
}

Record PresetPick(std::string name, Address addr, std::uint8_t initial)
{
    Record r;
    r.kind = RecordKind::PresetChoice;
    r.address = addr;
    r.name = std::move(name);
    r.defaultRaw = initial;  // the range is the preset count, set when the model is finished
    return r;
}

Item Slider(Record r, Cell cell)
{
    Item item;
    item.style = ItemStyle::Slider;
    item.records.push_back(std::move(r));
    item.cell = cell;
    return item;
}

Item Buttons(Record r, Cell cell)
{
    Item item = Slider(std::move(r), cell);
    item.style = ItemStyle::Buttons;
    return item;
}

Item Spin(std::vector<Record> fields, Cell cell)
{
    if (fields.empty() || fields.size() > 7)
        throw std::logic_error("a spin holds 1 to 7 fields");
    Item item;
    item.style = ItemStyle::Spin;
    item.records = std::move(fields);
    item.cell = cell;
    return item;
}

std::vector<Item> SliderRow(std::vector<Record> records, std::uint8_t x0, std::uint8_t y, std::uint8_t w,
                            std::uint8_t h)
{
    std::vector<Item> items;
    int x = x0;
    for (Record& r : records) {
        items.push_back(Slider(std::move(r), At(U8(x), y, w, h)));
        x += w;
    }
    return items;
}

Page Leaf(std::string name, std::vector<Item> items)
{
    Page p;
    p.name = std::move(name);
    p.items = std::move(items);
    return p;
}

Page Group(std::string name, std::vector<Page> children)
{
    Page p;
    p.name = std::move(name);
    p.children = std::move(children);
    return p;
}

void Append(std::vector<Item>& to, std::vector<Item> more)
{
    for (Item& i : more)
        to.push_back(std::move(i));
}

std::vector<Page> InputPages(const Kit& k)
{
    const Address source = A(2, 0, 0);
    std::vector<Item> src{
        Buttons(Choices("Source", source, {"Analog", "Digital", "AES3"}), At(2, 4, 24, 4)).Drives(),
        Slider(Level("Analog Level", A(2, 0, 1), "dBu", -6, 24, 0.5, 1, 12), At(2, 9, 8, 19)).When(source, 0, 0),
        Slider(Level("Digital Trim", A(2, 0, 2), "dB", -12, 12, 0.5, 1, 0), At(2, 9, 8, 19)).When(source, 1, 2),
        Slider(Level("Balance", A(2, 0, 3), "dB", -3, 3, 0.1, 1, 0), At(11, 9, 8, 19)),
        Buttons(Choices("Polarity", A(2, 0, 4), {"Normal", "Invert"}), At(22, 10, 16, 4)),
    };
    if (!k.am)
        src.push_back(Buttons(Choices("Channel Mode", A(2, 0, 5), {"Stereo", "Mono L", "Mono R", "L+R"}),
                              At(22, 16, 30, 4)));
    std::vector<Item> filters{
        Buttons(Choices("High Pass", A(0, 0, 0), {"Off*", "20", "40", "60"}, 1, "Hz"), At(2, 4, 26, 4)),
        Buttons(Choices("Phase Rotator", A(0, 0, 1), {"Off", "On"}, 1), At(30, 4, 14, 4)),
        Buttons(Choices("DC Block", A(0, 0, 2), {"Off", "On"}, 1), At(2, 11, 14, 4)),
    };
    if (k.fm)
        filters.push_back(Buttons(Choices("Low Pass", A(0, 0, 3), {"15", "16", "17", "18"}, 0, "kHz"),
                                  At(18, 11, 30, 4)));
    return {Group("Input", {Leaf("Source", std::move(src)), Leaf("Filters", std::move(filters))})};
}

Page AgcPages(const Kit& k)
{
    const Address agcOn = A(0, 1, 0);
    std::vector<Item> wide{
        Buttons(Choices("AGC", agcOn, {"Off", "On"}, 1), At(2, 4, 14, 4)).Drives(),
        Buttons(Choices("Freeze", A(0, 1, 1), {"Off", "On"}), At(18, 4, 14, 4)).When(agcOn, 1, 1),
    };
    std::vector<Item> sliders = SliderRow(
        {Level("Drive", A(0, 1, 2), "dB", 0, 24, 0.5, 1, 10), Level("Ratio", A(0, 1, 3), ":1", 1, 10, 0.1, 1, 3),
         Level("Attack", A(0, 1, 4), "ms", 1, 200, 1, 0, 50), Level("Release", A(0, 1, 5), "dB/s", 0.5, 20, 0.5, 1, 3),
         Level("Gate", A(0, 1, 6), "dB", -60, -20, 1, 0, -40)},
        2, 9, 7, 19);
    for (Item& i : sliders)
        i.When(agcOn, 1, 1);
    Append(wide, std::move(sliders));

    std::vector<Page> children{Leaf("Wideband", std::move(wide))};
    if (k.levelers > 0) {
        const Address levOn = A(0, 2, 0);
        std::vector<Item> setup{
            Buttons(Choices("Leveler", levOn, {"Off", "On"}, 1), At(2, 4, 14, 4)).Drives(),
            Slider(Level("Target", A(0, 2, 1), "dB", -30, 0, 0.5, 1, -12), At(2, 10, 8, 18)).When(levOn, 1, 1),
            Buttons(Choices("Speed", A(0, 2, 2), {"Slow", "Medium", "Fast"}, 1), At(14, 10, 30, 4)).When(levOn, 1, 1),
        };
        if (k.stereoLevelers)
            setup.push_back(Buttons(Choices("Link", A(0, 2, 3), {"Stereo", "Dual Mono"}), At(14, 17, 22, 4))
                                .When(levOn, 1, 1));
        std::vector<Page> lev{Leaf("Setup", std::move(setup))};
        for (int b = 0; b < k.levelers; ++b) {
            const std::uint8_t sec = U8(0x10 + b);
            Page band = Leaf(Numbered("Band", b + 1),
                             SliderRow({Level("Target", A(0, sec, 0), "dB", -24, 0, 0.5, 1, -10),
                                        Level("Ratio", A(0, sec, 1), ":1", 1, 8, 0.1, 1, 2),
                                        Level("Attack", A(0, sec, 2), "ms", 1, 250, 1, 0, 40),
                                        Level("Release", A(0, sec, 3), "ms", 10, 2500, 10, 0, 400)},
                                       2, 4, 8, 24));
            band.When(levOn, 1, 1);
            lev.push_back(std::move(band));
        }
        children.push_back(Group("Leveler", std::move(lev)));
    }
    return Group("AGC", std::move(children));
}

Page MultibandPages(const Kit& k)
{
    const Address count = A(0, 3, 0);
    std::vector<Item> xover;
    std::uint8_t x = 2;
    if (k.bandCountChoice) {
        xover.push_back(Buttons(Count("Bands", count, 3, k.bands, 0, k.bands), At(2, 4, 24, 4)).Drives());
    }
    xover.push_back(Slider(Choices("Crossover 1", A(0, 3, 1), {"80", "100", "120", "150", "200"}, 2, "Hz"),
                           At(x, 10, 8, 18)));
    x = U8(x + 8);
    for (int i = 2; i < k.bands; ++i) {
        Item s = Slider(Level(Numbered("Crossover", i), A(0, 3, U8(i)), "Hz", 200, 8000, 100, 0, 300 + 1200 * (i - 2)),
                        At(x, 10, 8, 18));
        // A crossover that splits off a band that is switched off is hidden with it.
        if (k.bandCountChoice && i >= 3)
            s.When(count, U8(i - 2), U8(k.bands - 3));
        xover.push_back(std::move(s));
        x = U8(x + 8);
    }

    std::vector<Page> bands;
    for (int b = 0; b < k.bands; ++b) {
        const std::uint8_t sec = U8(0x20 + b);
        Page band = Leaf(Numbered("Band", b + 1),
                         SliderRow({Level("Drive", A(0, sec, 0), "dB", 0, 24, 0.5, 1, 8),
                                    Level("Threshold", A(0, sec, 1), "dB", -40, 0, 0.5, 1, -18),
                                    Level("Ratio", A(0, sec, 2), ":1", 1, 20, 0.5, 1, 3),
                                    Level("Attack", A(0, sec, 3), "ms", 1, 100, 1, 0, 8 + 4 * b),
                                    Level("Release", A(0, sec, 4), "ms", 20, 2000, 10, 0, 300 - 30 * b),
                                    Level("Knee", A(0, sec, 5), "dB", 0, 12, 0.5, 1, 6),
                                    Level("Gate", A(0, sec, 6), "dB", -60, -20, 1, 0, -45),
                                    Level("Output", A(0, sec, 7), "dB", -12, 12, 0.5, 1, 0)},
                                   2, 4, 6, 24));
        if (k.bandCountChoice && b >= 3)
            band.When(count, U8(b - 2), U8(k.bands - 3));
        bands.push_back(std::move(band));
    }
    return Group("Multiband", {Leaf("Crossover", std::move(xover)), Group("Compressor", std::move(bands))});
}

Page EqualizerPages(const Kit& k)
{
    const Address eqOn = A(0, 4, 0);
    std::vector<Item> items{Buttons(Choices("EQ", eqOn, {"Bypass*", "Active*"}, 1), At(2, 4, 20, 4)).Drives()};
    std::vector<Record> gains, freqs, qs;
    for (int b = 0; b < k.eqBands; ++b) {
        const std::uint8_t base = U8(1 + 3 * b);
        gains.push_back(Level(Numbered("Gain", b + 1), A(0, 4, base), "dB", -12, 12, 0.5, 1, 0));
        const double step = 10.0 * (b + 1);
        freqs.push_back(Level(Numbered("Freq", b + 1), A(0, 4, U8(base + 1)), "Hz", 2 * step, 252 * step, step, 0,
                              100 + 1000 * b));
        qs.push_back(Count(Numbered("Q", b + 1), A(0, 4, U8(base + 2)), 1, 20, 0x02, 7));
    }
    std::vector<Item> row = SliderRow(std::move(gains), 2, 9, 5, 19);
    Append(row, SliderRow(std::move(freqs), U8(2 + 5 * k.eqBands), 9, 5, 19));
    row.push_back(Spin(std::move(qs), At(24, 4, U8(std::min(6 * k.eqBands, 28)), 3)));
    for (Item& i : row)
        i.When(eqOn, 1, 1);
    Append(items, std::move(row));
    return Group("Equalizer", {Leaf("Parametric", std::move(items))});
}

Page LimiterPages(const Kit& k)
{
    std::vector<Item> fin{Buttons(Choices("Mode", A(0, 5, 0), {"Soft", "Normal", "Hard"}, 1), At(2, 4, 30, 4))};
    Append(fin, SliderRow({Level("Drive", A(0, 5, 1), "dB", 0, 12, 0.5, 1, 3),
                           Level("Ceiling", A(0, 5, 2), "dBFS", -6, 0, 0.1, 1, -0.5),
                           Level("Release", A(0, 5, 3), "ms", 5, 500, 5, 0, 60),
                           Level("Lookahead", A(0, 5, 4), "ms", 0, 10, 0.5, 1, 2)},
                          2, 10, 8, 18));
    std::vector<Page> pages{Leaf("Final", std::move(fin))};
    if (k.fm || k.am) {
        std::vector<Item> clip{Buttons(Choices("Shape", A(0, 5, 5), {"Soft", "Hard"}), At(2, 4, 20, 4))};
        Append(clip, SliderRow({Level("Clip Drive", A(0, 5, 6), "dB", 0, 6, 0.1, 1, 1.5),
                                Level("Overshoot", A(0, 5, 7), "%", 0, 10, 0.5, 1, 2)},
                               2, 10, 9, 18));
        pages.push_back(Leaf("Clipper", std::move(clip)));
    }
    if (k.limiterBands > 0) {
        std::vector<Record> thr;
        for (int b = 0; b < k.limiterBands; ++b)
            thr.push_back(Level(Numbered("Limit", b + 1), A(0, U8(0x30 + b), 0), "dB", -12, 0, 0.5, 1, -3));
        std::vector<Item> items{Buttons(Choices("Band Link", A(0, 5, 8), {"Off", "On"}), At(2, 4, 14, 4))};
        Append(items, SliderRow(std::move(thr), 2, 10, 7, 18));
        pages.push_back(Leaf("Band Limiters", std::move(items)));
    }
    return Group("Limiter", std::move(pages));
}

namespace {

Page FmEncoder()
{
    const Address pilot = A(0, 7, 1);
    std::vector<Item> enc{
        Buttons(Choices("Pre-emphasis", A(0, 7, 0), {"Off*", "50", "75"}, 2, "us"), At(2, 4, 24, 4)),
        Buttons(Choices("Pilot", pilot, {"Off", "On"}, 1), At(28, 4, 14, 4)).Drives(),
        Slider(Level("Pilot Level", A(0, 7, 2), "%", 6, 12, 0.1, 1, 9), At(2, 10, 8, 18)).When(pilot, 1, 1),
        Slider(Level("MPX Limit", A(0, 7, 3), "dB", -3, 3, 0.1, 1, 0), At(11, 10, 8, 18)),
        Slider(Level("MPX Output", A(2, 1, 3), "dBu", -12, 12, 0.5, 1, 0), At(20, 10, 8, 18)),
    };
    return Leaf("Stereo Encoder", std::move(enc));
}

Page AmShaping()
{
    std::vector<Item> am{
        Buttons(Choices("Bandwidth", A(0, 7, 0), {"4.5", "5", "6", "8", "10"}, 2, "kHz"), At(2, 4, 40, 4)),
        Buttons(Choices("NRSC", A(0, 7, 1), {"Off", "On"}, 1), At(2, 10, 14, 4)),
    };
    Append(am, SliderRow({Level("Asymmetry", A(0, 7, 2), "%", 100, 150, 1, 0, 125),
                          Level("Tilt", A(0, 7, 3), "dB", -6, 6, 0.5, 1, 0)},
                         20, 10, 8, 18));
    return Leaf("AM Shaping", std::move(am));
}

Page HdCodec()
{
    std::vector<Item> hd{Buttons(Choices("Codec", A(0, 7, 0), {"AAC", "HE-AAC", "HE-AAC v2"}), At(2, 4, 36, 4))};
    Append(hd, SliderRow({Level("Pre-conditioning", A(0, 7, 1), "%", 0, 100, 5, 0, 50),
                          Level("Width Limit", A(0, 7, 2), "%", 50, 150, 5, 0, 100)},
                         2, 10, 10, 18));
    return Leaf("Codec", std::move(hd));
}

Page CdMastering()
{
    std::vector<Item> cd{Buttons(Choices("Dither", A(0, 7, 0), {"Off", "16 bit", "24 bit"}, 1), At(2, 4, 36, 4))};
    Append(cd, SliderRow({Level("Loudness", A(0, 7, 1), "LUFS", -23, -6, 0.5, 1, -12),
                          Level("True Peak", A(0, 7, 2), "dBTP", -3, 0, 0.1, 1, -1)},
                         2, 10, 10, 18));
    return Leaf("Mastering", std::move(cd));
}

}  // namespace

Page StereoPages(const Kit& k)
{
    std::vector<Page> pages;
    if (!k.am) {
        const Address on = A(0, 6, 0);
        std::vector<Item> enh{Buttons(Choices("Enhancer", on, {"Off", "On"}), At(2, 4, 14, 4)).Drives()};
        std::vector<Item> sl = SliderRow({Level("Width", A(0, 6, 1), "%", 0, 200, 5, 0, 120),
                                          Level("Depth", A(0, 6, 2), "dB", 0, 10, 0.5, 1, 3)},
                                         2, 10, 8, 18);
        for (Item& i : sl)
            i.When(on, 1, 1);
        Append(enh, std::move(sl));
        pages.push_back(Leaf("Enhancer", std::move(enh)));
    }
    const Address bass = A(0, 8, 0);
    std::vector<Item> b{Buttons(Choices("Bass Enhancer", bass, {"Off", "On"}), At(2, 4, 16, 4)).Drives()};
    std::vector<Item> bs{
        Slider(Choices("Frequency", A(0, 8, 1), {"60", "80", "100", "120"}, 1, "Hz"), At(2, 10, 8, 18)),
        Slider(Level("Amount", A(0, 8, 2), "dB", 0, 12, 0.5, 1, 4), At(11, 10, 8, 18)),
        Slider(Level("Harmonics", A(0, 8, 3), "%", 0, 100, 5, 0, 30), At(20, 10, 8, 18)),
    };
    for (Item& i : bs)
        i.When(bass, 1, 1);
    Append(b, std::move(bs));
    pages.push_back(Leaf("Bass", std::move(b)));
    if (k.fm)
        pages.push_back(FmEncoder());
    if (k.am)
        pages.push_back(AmShaping());
    if (k.hd)
        pages.push_back(HdCodec());
    if (k.cd)
        pages.push_back(CdMastering());
    return Group(k.am ? "Transmitter" : "Stereo", std::move(pages));
}

Page SystemPages(const Kit& k)
{
    std::vector<Item> out{Buttons(Choices("Output", A(2, 1, 0), {"Analog", "Digital", "Both"}, 2), At(2, 4, 30, 4))};
    Append(out, SliderRow({Level("Output L", A(2, 1, 1), "dBu", -12, 24, 0.5, 1, 6),
                           Level("Output R", A(2, 1, 2), "dBu", -12, 24, 0.5, 1, 6)},
                          2, 10, 9, 18));

    std::vector<Item> presets{
        Spin({PresetPick("TR Preset", A(2, 2, 0))}, At(2, 4, 16, 3)),
        Spin({PresetPick("DP Preset", A(2, 2, 1))}, At(19, 4, 16, 3)),
        Spin({PresetPick("DEF Preset", A(2, 2, 2))}, At(36, 4, 16, 3)),
    };
    for (int e = 0; e < k.scheduleEvents && e < 4; ++e) {
        const std::uint8_t c = U8(3 * e);
        // Load a preset at a time of day: the preset first, so minutes carry into hours.
        presets.push_back(Spin({PresetPick(Numbered("Event", e + 1), A(2, 3, c)),
                                Count("Hour", A(2, 3, U8(c + 1)), 0, 23, 0x0A),
                                Count("Minute", A(2, 3, U8(c + 2)), 0, 59, 0x0A)},
                               At(2, U8(9 + 5 * e), 34, 3)));
    }

    std::vector<Item> status{
        Spin({Count("Hours", A(5, 0, 0), 0, 23, 0x0A), Count("Min", A(5, 0, 1), 0, 59, 0x0A),
              Count("Sec", A(5, 0, 2), 0, 59, 0x0A)},
             At(2, 5, 21, 3)),
        Spin({Count("AGC Gain", A(5, 1, 0), 0, 30, 0x02)}, At(26, 5, 12, 3)),
        Spin({Count("Input Peak", A(5, 1, 1), 0, 99, 0x02)}, At(2, 11, 12, 3)),
        Spin({Count("Temperature", A(5, 1, 2), 0, 99, 0x02)}, At(16, 11, 12, 3)),
    };
    return Group("System", {Leaf("Outputs", std::move(out)), Leaf("Presets", std::move(presets)),
                            Leaf("Status", std::move(status))});
}

std::vector<Page> StandardPages(const Kit& k)
{
    std::vector<Page> pages = InputPages(k);
    pages.push_back(AgcPages(k));
    pages.push_back(MultibandPages(k));
    pages.push_back(EqualizerPages(k));
    pages.push_back(LimiterPages(k));
    pages.push_back(StereoPages(k));
    pages.push_back(SystemPages(k));
    return pages;
}

Kit PlusLine()
{
    Kit k;
    k.bands = 5;
    k.bandCountChoice = true;
    k.levelers = 4;
    k.eqBands = 4;
    k.limiterBands = 6;
    return k;
}

Kit LiteLine()
{
    Kit k;
    k.bands = 4;
    k.eqBands = 2;
    k.limiterBands = 4;
    k.scheduleEvents = 1;
    return k;
}

Model StandardModel(const Kit& k, std::uint8_t code, std::string name, std::array<char, 3> version,
                    std::vector<std::string> factoryPresets, MeterLayout meters)
{
    Model m;
    m.code = code;
    m.name = std::move(name);
    m.version = version;
    m.userPresets = 8;
    m.factoryPresets = std::move(factoryPresets);
    m.meters = meters;
    m.withMpx = k.fm;
    m.pages = StandardPages(k);
    return m;
}

std::vector<std::string> FactoryNames(std::size_t count, std::initializer_list<std::string> own)
{
    static const char* const bank[] = {
        "ROCK",        "POP HITS",    "CLASSIC ROCK", "JAZZ",         "CLASSICAL",  "NEWS TALK",
        "SPORTS",      "COUNTRY",     "URBAN",        "DANCE",        "HOT AC",     "SOFT AC",
        "OLDIES",      "CHR LOUD",    "CHR MEDIUM",   "GENTLE",       "LATIN",      "GOSPEL",
        "ALTERNATIVE", "METAL",       "HIP HOP",      "RNB",          "EASY LISTEN", "PROTECT",
        "ELECTRONIC",  "FOLK",        "BLUES",        "TALK SPORTS",  "AMBIENT",    "CLUB",
        "SMOOTH JAZZ", "CHOIR",       "OPERA",        "REGGAE",       "PUNCHY",     "WARM",
        "OPEN",        "DENSE",       "LIGHT",        "BYPASS"};
    std::vector<std::string> names(own);
    for (const char* n : bank) {
        if (names.size() >= count)
            break;
        names.emplace_back(n);
    }
    names.resize(std::min(count, names.size()));
    return names;
}

}  // namespace vsim::kit
