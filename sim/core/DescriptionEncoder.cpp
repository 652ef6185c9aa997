#include "DescriptionEncoder.h"

#include "description/DescriptionWriter.h"

namespace vsim {
namespace {

ControlRecord ToRecord(const Item& item, const Record& r, bool first)
{
    ControlRecord out;
    out.a = r.address.a;
    out.b = r.address.b;
    out.c = r.address.c;
    out.drivesVisibility = item.drivesVisibility;
    out.name = r.name;
    out.unit = r.unit;
    out.maxValue = r.maxValue;
    out.controlStyle = first ? static_cast<ControlStyle>(item.style) : ControlStyle::None;
    out.valueKind = static_cast<ValueKind>(r.kind);
    if (r.kind == RecordKind::Numeric) {
        out.minimum = r.minimum;
        out.step = r.step;
        out.format = r.format;
    } else if (r.kind == RecordKind::Choice) {
        out.choices = r.choices;
    }
    return out;
}

VisibilityRule ToRule(const Rule& r)
{
    return VisibilityRule{r.driver.a, r.driver.b, r.driver.c, r.low, r.high};
}

PageNode ToNode(const Page& page)
{
    PageNode node;
    node.name = page.name;
    if (page.rule) {
        node.hasRule = true;
        node.rule = ToRule(*page.rule);
    }
    for (const Item& item : page.items) {
        ControlItem ci;
        for (std::size_t i = 0; i < item.records.size(); ++i)
            ci.records.push_back(ToRecord(item, item.records[i], i == 0));
        if (item.rule) {
            ci.hasRule = true;
            ci.rule = ToRule(*item.rule);
        }
        ci.width = item.cell.w;
        ci.height = item.cell.h;
        ci.x = item.cell.x;
        ci.y = item.cell.y;
        node.items.push_back(std::move(ci));
    }
    for (const Page& child : page.children)
        node.children.push_back(ToNode(child));
    return node;
}

}  // namespace

PageNode DescriptionTree(const Model& model)
{
    PageNode root;
    for (const Page& p : model.pages)
        root.children.push_back(ToNode(p));
    return root;
}

ByteString EncodeDescription(const Model& model)
{
    return DescriptionWriter::Write(DescriptionTree(model), model.code);
}

ByteString CorruptDescription(const ByteString& description)
{
    ByteString d = description;
    // Find the last string of the table (it starts at offset 1 and ends with an
    // empty string) and take it out, so every reference to it points past the end.
    std::size_t lastStart = 0, lastEnd = 0, at = 1;
    while (at < d.size() && d[at] != 0) {
        std::size_t end = at;
        while (end < d.size() && d[end] != 0)
            ++end;
        lastStart = at;
        lastEnd = end;
        at = end + 1;
    }
    if (lastEnd > lastStart && lastEnd < d.size())
        d.erase(d.begin() + static_cast<std::ptrdiff_t>(lastStart), d.begin() + static_cast<std::ptrdiff_t>(lastEnd + 1));
    // Then cut the last record short.
    while (!d.empty() && d.back() == 0)
        d.pop_back();
    d.resize(d.size() > 3 ? d.size() - 3 : d.size());
    return d;
}

}  // namespace vsim
