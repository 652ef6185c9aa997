// Every page of a small model, the largest model and an AM model, built from
// what the simulator sends: every control inside the page, none overlapping
// another. With VEXLOR_PAGE_SHOTS set to a folder, each page is also saved
// there as a PNG to look at.
#include "description/ui/PageBuilder.h"

#include "description/ui/ParamPage.h"
#include "support/QtLiveRig.h"
#include "support/ShippedSkin.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QWidget>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The controls a page shows, in page coordinates.
std::vector<std::pair<QWidget*, QRect>> Controls(QWidget* page)
{
    std::vector<std::pair<QWidget*, QRect>> out;
    for (QWidget* w : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!w->geometry().isEmpty() && w->isVisibleTo(page)) out.emplace_back(w, w->geometry());
    return out;
}

std::string Describe(QWidget* w)
{
    const QRect g = w->geometry();
    return std::string(w->metaObject()->className()) + " '" + w->accessibleName().toStdString() + "' at " +
           std::to_string(g.x()) + "," + std::to_string(g.y()) + " " + std::to_string(g.width()) + "x" +
           std::to_string(g.height());
}

std::string FileName(std::string path)
{
    for (char& ch : path)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return path;
}

}  // namespace

class PageShots : public ::testing::TestWithParam<int> {};

TEST_P(PageShots, EveryPageKeepsItsControlsInsideAndApart)
{
    ASSERT_TRUE(CShippedSkin::Get().Loaded());
    const fs::path folder = fs::temp_directory_path() / ("vexlor_shots_" + std::to_string(getpid()));
    fs::create_directories(folder);
    const char* shots = std::getenv("VEXLOR_PAGE_SHOTS");
    CMainWindowStandIn main;
    CQtLiveRig rig(GetParam(), folder.string());
    ASSERT_TRUE(rig.SimStarted());
    CPageBuilder pages(&main, CShippedSkin::Get().Manager(), CMainWindowStandIn::kPageArea, PageServices{});
    rig.Start({&pages, nullptr, nullptr});
    ASSERT_TRUE(rig.ConnectToReady());

    const auto& records = rig.Controller().PageTree().Records();
    int built = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (!records[i].hasPage || records[i].hidden) continue;
        SCOPED_TRACE(records[i].path);
        ASSERT_TRUE(rig.OpenAndWalk(i));
        auto* view = dynamic_cast<CParamPageView*>(rig.Controller().CurrentPage());
        ASSERT_NE(view, nullptr);
        QWidget* page = view->Window();
        ASSERT_TRUE(page->isVisible());
        ++built;
        const auto controls = Controls(page);
        for (std::size_t a = 0; a < controls.size(); ++a) {
            EXPECT_TRUE(page->rect().contains(controls[a].second)) << Describe(controls[a].first) << " leaves the page";
            for (std::size_t b = a + 1; b < controls.size(); ++b)
                EXPECT_FALSE(controls[a].second.intersects(controls[b].second))
                    << Describe(controls[a].first) << " overlaps " << Describe(controls[b].first);
        }
        if (shots) {
            QDir().mkpath(shots);
            const std::string name = "model" + std::to_string(GetParam()) + "_" + FileName(records[i].path) + ".png";
            page->grab().save(QString::fromStdString(std::string(shots) + "/" + name));
        }
    }
    EXPECT_GT(built, 3);
    rig.DisconnectAndWait();
    fs::remove_all(folder);
}

// 4: a small FM model; 12: the largest; 13: AM.
INSTANTIATE_TEST_SUITE_P(Models, PageShots, ::testing::Values(4, 12, 13));
