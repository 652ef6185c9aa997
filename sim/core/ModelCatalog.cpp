#include "ModelCatalog.h"

#include "ModelKit.h"

#include <map>
#include <set>

namespace vsim {
namespace {

using Maker = Model (*)();

const std::map<int, Maker>& Makers()
{
    static const std::map<int, Maker> makers{
        {1, models::MakeVexlorFM},      {2, models::MakeVexlorPlusFM},  {4, models::MakeVexlorLiteFM},
        {5, models::MakeVexlorStereo},  {6, models::MakeVexlorHD},      {7, models::MakeVexlorCD},
        {8, models::MakeVexlorPlusCD},  {9, models::MakeVexlorPlusHD},  {10, models::MakeVexlorLiteHD},
        {12, models::MakeVexlorMaxFM},  {13, models::MakeVexlorAM},     {14, models::MakeVexlorLiteAM},
        {15, models::MakeVexlorLiteFM2}};
    return makers;
}

void FinishPages(std::vector<Page>& pages, std::uint8_t presetCount)
{
    for (Page& p : pages) {
        for (Item& item : p.items)
            for (Record& r : item.records)
                if (r.kind == RecordKind::PresetChoice) {
                    r.maxValue = presetCount;  // "Off" and one entry per preset
                    if (r.defaultRaw > presetCount)
                        r.defaultRaw = 0;
                }
        FinishPages(p.children, presetCount);
    }
}

std::string Where(const Page& page, const Item& item)
{
    return page.name + "/" + item.records.front().name;
}

void CheckCell(const Page& page, const Item& item, std::vector<std::string>& out)
{
    const Cell& c = item.cell;
    const int top = item.style == ItemStyle::Spin ? kCaptionRows + 1 : kCaptionRows;  // spin caption sits above
    if (c.x + c.w > kPageAreaWidth || c.y + c.h > kPageAreaHeight || c.y < top || c.w == 0 || c.h == 0)
        out.push_back(Where(page, item) + ": cell outside the page area");
    if (item.style == ItemStyle::Slider && (c.w < 4 || c.h < 8))
        out.push_back(Where(page, item) + ": slider cell too small");
}

struct Box {
    int left, top, right, bottom;
};

// What an item covers on the page in pixels: a spin's caption sits in the 13
// pixels above its cell, a button group starts 6 pixels above its cell.
Box Covered(const Item& item)
{
    const Cell& c = item.cell;
    const int above = item.style == ItemStyle::Spin ? 13 : item.style == ItemStyle::Buttons ? 6 : 0;
    return Box{c.x * 10, c.y * 10 - above, (c.x + c.w) * 10, (c.y + c.h) * 10};
}

bool Overlap(const Item& a, const Item& b)
{
    const Box p = Covered(a), q = Covered(b);
    return p.left < q.right && q.left < p.right && p.top < q.bottom && q.top < p.bottom;
}

void CheckPage(const Page& page, std::vector<std::string>& out)
{
    if (page.name.empty() || page.name.size() > 40)
        out.push_back("page name empty or too long: " + page.name);
    if (page.items.size() + page.children.size() > 255)
        out.push_back(page.name + ": more than 255 children");
    if (page.items.empty() && page.children.empty())
        out.push_back(page.name + ": empty page");
    for (std::size_t i = 0; i < page.items.size(); ++i) {
        const Item& item = page.items[i];
        CheckCell(page, item, out);
        // Items that are never hidden must not cover each other; ruled items may
        // share a place with their alternatives.
        for (std::size_t j = i + 1; j < page.items.size(); ++j)
            if (!item.rule && !page.items[j].rule && Overlap(item, page.items[j]))
                out.push_back(Where(page, item) + ": overlaps " + page.items[j].records.front().name);
    }
    for (const Page& child : page.children)
        CheckPage(child, out);
}

void CheckRecords(const Model& model, std::vector<std::string>& out)
{
    std::map<Address, const Record*> seen;
    std::set<Address> drivers;
    ForEachItem(model.pages, [&](const Page& page, const Item& item) {
        if (item.records.empty() || item.records.size() > 7)
            out.push_back(page.name + ": item with 0 or more than 7 records");
        if (item.drivesVisibility)
            drivers.insert(item.records.front().address);
        for (const Record& r : item.records) {
            if (r.name.empty() || r.name.size() > 40 || r.unit.size() > 15)
                out.push_back(page.name + ": bad record name or unit " + r.name);
            if (r.kind == RecordKind::Numeric && r.step == 0)
                out.push_back(page.name + "/" + r.name + ": step 0");
            if (r.defaultRaw > r.maxValue)
                out.push_back(page.name + "/" + r.name + ": default past the range");
            auto [it, fresh] = seen.emplace(r.address, &r);
            if (!fresh && (it->second->maxValue != r.maxValue || it->second->kind != r.kind))
                out.push_back(page.name + "/" + r.name + ": address used with another range");
        }
    });
    auto checkRule = [&](const std::optional<Rule>& rule, const std::string& owner) {
        if (rule && !drivers.count(rule->driver))
            out.push_back(owner + ": rule on a parameter that drives nothing");
        if (rule && rule->low > rule->high)
            out.push_back(owner + ": empty rule range");
    };
    std::vector<const Page*> stack;
    for (const Page& p : model.pages)
        stack.push_back(&p);
    while (!stack.empty()) {
        const Page* p = stack.back();
        stack.pop_back();
        checkRule(p->rule, p->name);
        for (const Item& item : p->items)
            checkRule(item.rule, Where(*p, item));
        for (const Page& c : p->children)
            stack.push_back(&c);
    }
}

}  // namespace

std::vector<std::uint8_t> KnownModelCodes()
{
    std::vector<std::uint8_t> codes;
    for (const auto& [code, maker] : Makers())
        codes.push_back(static_cast<std::uint8_t>(code));
    return codes;
}

std::vector<std::uint8_t> UnknownModelCodes()
{
    return {0, 3, 11, 16};
}

std::optional<Model> MakeModel(int code)
{
    Model m;
    if (auto it = Makers().find(code); it != Makers().end())
        m = it->second();
    else if (code == 0 || code == 3 || code == 11 || code == 16)
        m = models::MakeUnknown(static_cast<std::uint8_t>(code));
    else
        return std::nullopt;
    FinishPages(m.pages, static_cast<std::uint8_t>(m.PresetCount()));
    return m;
}

std::vector<std::string> CheckModel(const Model& model)
{
    std::vector<std::string> out;
    // The status packet carries the current preset in six bits.
    if (model.PresetCount() > 63 || model.factoryPresets.size() < 24)
        out.push_back("preset bank must hold 24 factory presets and at most 63 in all");
    if (model.userPresets != 8 && model.userPresets != 16)
        out.push_back("user presets must be 8 or 16");
    std::set<std::string> names;
    for (const std::string& n : model.factoryPresets)
        if (n.empty() || n.size() > 15 || !names.insert(n).second)
            out.push_back("bad or repeated factory preset name: " + n);
    for (const Page& p : model.pages)
        CheckPage(p, out);
    CheckRecords(model, out);
    return out;
}

namespace models {

// A processor whose code the application does not know: a small but complete
// description, so that only the model byte decides the application's answer.
Model MakeUnknown(std::uint8_t code)
{
    using namespace kit;
    Kit k;
    k.bands = 3;
    k.eqBands = 2;
    k.scheduleEvents = 1;
    Model m;
    m.code = code;
    m.name = "Unknown" + std::to_string(code);
    m.version = {'0', '9', '0'};
    m.factoryPresets = FactoryNames(24);
    m.meters = code == 3 ? MeterLayout::Rows : MeterLayout::None;
    m.pages = InputPages(k);
    m.pages.push_back(LimiterPages(k));
    m.pages.push_back(SystemPages(k));
    return m;
}

}  // namespace models
}  // namespace vsim
