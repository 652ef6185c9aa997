#include "app/ui/DebugLogModel.h"
#include "app/ui/DebugWindow.h"

#include <QCheckBox>
#include <QListView>
#include <QPushButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class FixedClock : public IDebugClock {
public:
    std::time_t CalendarSeconds() override { return 0; }
    std::uint32_t TickMs() override { return tick; }
    std::uint32_t tick = 0;
};

QPushButton* Button(QWidget& window, const QString& text)
{
    for (QPushButton* b : window.findChildren<QPushButton*>())
        if (b->text() == text) return b;
    return nullptr;
}

QCheckBox* CheckBox(QWidget& window, const QString& text)
{
    for (QCheckBox* b : window.findChildren<QCheckBox*>())
        if (b->text() == text) return b;
    return nullptr;
}

QStringList Rows(QWidget& window)
{
    QAbstractItemModel* model = window.findChild<QListView*>("DebugList")->model();
    QStringList rows;
    for (int i = 0; i < model->rowCount(); ++i) rows << model->index(i, 0).data().toString();
    return rows;
}

}  // namespace

TEST(DebugWindow, RecordsOnlyWhileOpenAndKeepsLinesAcrossReopening)
{
    FixedClock clock;
    CDebugWindow window(nullptr, &clock);
    window.AddLine("before open");
    EXPECT_TRUE(Rows(window).isEmpty());

    window.Open();
    EXPECT_TRUE(window.isVisible());
    clock.tick = 1234;
    window.AddLine("Connected");
    window.close();
    EXPECT_FALSE(window.isVisible());
    window.AddLine("while closed");
    window.Open();
    window.AddLine("again");

    const QStringList rows = Rows(window);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_TRUE(rows[0].endsWith(":01:234 Connected")) << rows[0].toStdString();
    EXPECT_TRUE(rows[1].endsWith(" again"));
}

TEST(DebugWindow, CheckBoxesFilterLedAndDetailLines)
{
    CDebugWindow window;
    window.Open();
    QCheckBox* leds = CheckBox(window, "Show leds information");
    QCheckBox* detail = CheckBox(window, "Show detail information");
    ASSERT_TRUE(leds && detail);
    EXPECT_TRUE(leds->isChecked());
    EXPECT_FALSE(detail->isChecked());

    window.AddLine("Debug : detail");
    detail->click();
    window.AddLine("Debug : detail shown");
    leds->click();
    window.AddLine("Leds 1 2 3");
    window.AddLine("plain");

    const QStringList rows = Rows(window);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_TRUE(rows[0].endsWith("Debug : detail shown"));
    EXPECT_TRUE(rows[1].endsWith("plain"));
}

TEST(DebugWindow, ClearEmptiesTheListAndSaveWritesEveryLineWithCrLf)
{
    const fs::path path = fs::temp_directory_path() / ("vexlor-debug-" + std::to_string(::getpid()) + ".txt");
    CDebugWindow window;
    window.SetSavePath(path.string());
    window.Open();
    window.AddLine("one");
    Button(window, "&Clear")->click();
    EXPECT_TRUE(Rows(window).isEmpty());
    window.AddLine("two");
    window.AddLine("three");
    Button(window, "&Save to file")->click();

    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    const std::string text = all.str();
    EXPECT_NE(text.find(" two\r\n"), std::string::npos);
    EXPECT_TRUE(text.size() > 7 && text.substr(text.size() - 7) == "three\r\n");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2);
    fs::remove(path);
}

TEST(DebugWindow, TensOfThousandsOfLinesCostNoWidgetsAndShowTheirBytes)
{
    CDebugWindow window;
    window.Open();
    const auto widgetsBefore = window.findChildren<QWidget*>().size();
    for (int i = 0; i < 20000; ++i) window.AddLine("Sent - 01 - " + std::to_string(i));
    window.AddLine(std::string("raw \xE9\x00 byte", 11));
    EXPECT_EQ(window.findChildren<QWidget*>().size(), widgetsBefore);
    EXPECT_EQ(window.Store().Count(), 20001u);
    const QStringList rows = Rows(window);
    EXPECT_TRUE(rows[19999].endsWith("Sent - 01 - 19999"));
    EXPECT_TRUE(rows.last().endsWith(QString::fromLatin1("raw \xE9\x00 byte", 11)));
}
