// Opening a page: building the largest page of model 12 (the most control
// items) from its description and showing it, offscreen, averaged. This is
// what the operator waits for after choosing a page in the tree.
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
    constexpr int kRounds = 200;
    double totalMs = 0;
    for (int round = -10; round < kRounds; ++round) {  // the first rounds warm the caches
        const auto start = Clock::now();
        auto view = builder.BuildPage(*page, path);
        view->SetVisible(true);
        static_cast<CParamPageView&>(*view).Window()->repaint();
        QApplication::processEvents();
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (round >= 0) totalMs += ms;
    }
    std::printf("page_items: %zu\n", page->items.size());
    std::printf("page_open_ms: %.2f\n", totalMs / kRounds);
    return 0;
}
