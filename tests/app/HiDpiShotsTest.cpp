// The real main window at QT_SCALE_FACTOR=2 on the offscreen platform, through
// the screenshot program: connected to the in-process simulator, every page of
// one model (sliders, button groups, spin fields, the page tree and the preset
// list) and the first page of two more for their meters. The pictures stay in
// the build folder (tests/app/hidpi_shots) to be looked at.
#include "ChildProcess.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>

#include <cstdlib>

namespace {

// The share of aligned 2 x 2 blocks whose four pixels are not all the same: 0
// for a picture blown up from one of half the size.
double FineBlocks(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    long fine = 0, blocks = 0;
    for (int y = 0; y + 1 < rgb.height(); y += 2) {
        const auto* top = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        const auto* low = reinterpret_cast<const QRgb*>(rgb.constScanLine(y + 1));
        for (int x = 0; x + 1 < rgb.width(); x += 2, ++blocks)
            fine += top[x] != top[x + 1] || top[x] != low[x] || top[x] != low[x + 1];
    }
    return blocks ? static_cast<double>(fine) / static_cast<double>(blocks) : 0;
}

void ExpectSharpShots(int model, int pages, int expectedShots)
{
    SCOPED_TRACE("model " + std::to_string(model));
    QDir folder(QString(HIDPI_SHOTS_DIR) + "/model-" + QString::number(model));
    folder.removeRecursively();
    setenv("QT_SCALE_FACTOR", "2", 1);
    const RunResult run = RunProgram(SCREENSHOTS_PATH, {"--model", std::to_string(model), "--pages",
                                                        std::to_string(pages), folder.path().toStdString()},
                                     std::chrono::minutes(4));
    unsetenv("QT_SCALE_FACTOR");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const QStringList shots = folder.entryList({"*.png"}, QDir::Files);
    EXPECT_GE(shots.size(), expectedShots);
    for (const QString& name : shots) {
        SCOPED_TRACE(name.toStdString());
        const QImage shot(folder.filePath(name));
        EXPECT_EQ(shot.size(), QSize(1566, 940));
        EXPECT_GT(FineBlocks(shot), 0.02);
    }
}

TEST(HiDpiShots, MainWindowPagesAndMetersAreDrawnWithTwiceThePixels)
{
    ExpectSharpShots(12, 1000, 10);
    ExpectSharpShots(4, 1, 3);
    ExpectSharpShots(13, 1, 3);
}

} // namespace
