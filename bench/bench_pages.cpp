// Opening a page: building the largest page of model 12 (the most control
// items) from its description and showing it, offscreen, averaged. This is
// what the operator waits for after choosing a page in the tree. Then the
// largest page a description can hold in button groups: 255 groups of 256
// buttons each, built and shown the same way.
#include "core/DescriptionEncoder.h"
#include "core/ModelCatalog.h"
#include "description/DescriptionParser.h"
#include "description/ui/PageBuilder.h"
#include "description/ui/ParamPage.h"
#include "skin/ui/SkinManager.h"

#include <QApplication>
#include <QWidget>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

using Clock = std::chrono::steady_clock;

const PageNode* LargestPage(const PageNode& node, std::string path, std::string* largestPath)
{
    const PageNode* best = node.items.empty() ? nullptr : &node;
    if (best) *largestPath = path;
    for (const PageNode& child : node.children) {
        std::string childPath;
        const PageNode* found = LargestPage(child, path.empty() ? child.name : path + " > " + child.name, &childPath);
        if (found && (!best || found->items.size() > best->items.size())) {
            best = found;
            *largestPath = childPath;
        }
    }
    return best;
}

// 255 button groups of 256 buttons, five to a row of cells that overlap
// downwards, as a description at the limits of its fields would make them.
PageNode LargeGroupPage()
{
    PageNode page;
    page.name = "Groups";
    for (int i = 0; i < 255; ++i) {
        ControlRecord record;
        record.a = 1;
        record.b = static_cast<std::uint8_t>(i);
        record.name = "Group " + std::to_string(i);
        record.maxValue = 255;
        record.controlStyle = ControlStyle::ButtonGroup;
        ControlItem item;
        item.records = {record};
        item.x = static_cast<std::uint8_t>(2 + (i % 5) * 10);
        item.y = static_cast<std::uint8_t>(2 + (i / 5) * 5);
        item.width = 10;
        item.height = 3;
        page.items.push_back(item);
    }
    return page;
}

// Builds and shows page rounds times (after warm rounds) and gives the mean
// milliseconds from the start of the build to the first frame drawn.
double OpenPageMs(CPageBuilder& builder, const PageNode& page, const std::string& path, int warm, int rounds)
{
    double totalMs = 0;
    for (int round = -warm; round < rounds; ++round) {
        const auto start = Clock::now();
        auto view = builder.BuildPage(page, path);
        view->SetVisible(true);
        static_cast<CParamPageView&>(*view).Window()->repaint();
        QApplication::processEvents();
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (round >= 0) totalMs += ms;
    }
    return totalMs / rounds;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    CSkinManager manager("Skins");
    if (!manager.LoadSkin("Vexlor")) {
        std::fprintf(stderr, "the skin archive is not appended to this program\n");
        return 1;
    }
    const auto model = vsim::MakeModel(12);
    DescriptionParser parser;
    parser.LoadFromMemory(vsim::EncodeDescription(*model));
    std::string path;
    const PageNode* page = parser.Root() ? LargestPage(*parser.Root(), "", &path) : nullptr;
    if (!page) return 1;

    QWidget main;
    main.resize(783, 470);
    main.show();
    CPageBuilder builder(&main, manager, QRect(229, 176, 540, 280), PageServices{});
    std::printf("page_items: %zu\n", page->items.size());
    std::printf("page_open_ms: %.2f\n", OpenPageMs(builder, *page, path, 10, 200));
    // No warm rounds: the operator meets such a page once.
    std::printf("large_group_page_ms: %.2f\n", OpenPageMs(builder, LargeGroupPage(), "Groups", 0, 3));
    return 0;
}
