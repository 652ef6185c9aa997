#include "ValueControlsFixture.h"

#include "skin/ui/SkinList.h"
#include "skin/ui/SkinScrollButton.h"
#include "skin/ui/SkinTree.h"

#include <QScrollBar>
#include <QTest>

namespace {

class SkinTreeTest : public ValueControlsFixture {
protected:
    void SetUp() override
    {
        ValueControlsFixture::SetUp();
        parent.resize(240, 440);
        tree.Create(&parent, 101);
        for (const char* page : {"Input", "AGC", "Dynamics", "Stereo", "Output"})
            new QTreeWidgetItem(&tree, QStringList{page});
        auto* dynamics = tree.topLevelItem(2);
        for (const char* page : {"Multiband", "Limiter"})
            new QTreeWidgetItem(dynamics, QStringList{page});
        tree.expandAll();
        tree.topLevelItem(4)->setDisabled(true);
        parent.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&parent));
    }

    QColor PixelLeftOf(const QTreeWidgetItem* item, int x = 2)
    {
        const QRect row = tree.visualItemRect(item);
        return QColor(tree.viewport()->grab().toImage().pixel(tree.viewport()->width() - x, row.center().y()));
    }

    CSkinTree tree{"Tree", manager};
};

TEST_F(SkinTreeTest, TakesItsPlaceAndStateColoursFromTheSkin)
{
    EXPECT_EQ(tree.geometry(), QRect(16, 210, 180, 206));
    const CSkinItemDelegate::Colours& c = tree.ItemColours();
    EXPECT_EQ(c.background, QColor(0x1B, 0x1E, 0x23));
    EXPECT_EQ(c.selected, QColor(0x3D, 0x4A, 0x5C));
    EXPECT_EQ(c.disabledText, QColor(0x5A, 0x61, 0x6C));
}

TEST_F(SkinTreeTest, PaintsSelectedDisabledAndNormalItemsInTheirColours)
{
    tree.setCurrentItem(tree.topLevelItem(1));
    const CSkinItemDelegate::Colours& c = tree.ItemColours();
    EXPECT_EQ(PixelLeftOf(tree.topLevelItem(1)), c.selected);
    EXPECT_EQ(PixelLeftOf(tree.topLevelItem(0)), c.background);
    EXPECT_EQ(PixelLeftOf(tree.topLevelItem(4)), c.disabled);
    SaveGrab(parent, "tree");
}

TEST_F(SkinTreeTest, ShowsNoScrollBarsButScrollsThroughTheHiddenOne)
{
    for (int i = 0; i < 30; ++i)
        new QTreeWidgetItem(&tree, QStringList{QString("Page %1").arg(i)});
    QCoreApplication::processEvents(); // the view lays its items out later
    QScrollBar* bar = tree.verticalScrollBar();
    EXPECT_FALSE(bar->isVisible());
    EXPECT_FALSE(tree.horizontalScrollBar()->isVisible());
    ASSERT_GT(bar->maximum(), 3);
    bar->setValue(3);
    // Rows 0 to 2 (Input, AGC, Dynamics) scrolled out: Multiband is at the top.
    EXPECT_EQ(tree.itemAt(QPoint(60, 2))->text(0), "Multiband");
}

TEST_F(SkinTreeTest, TheWindowsScrollButtonMovesTheTreeThroughItsHiddenBar)
{
    for (int i = 0; i < 30; ++i)
        new QTreeWidgetItem(&tree, QStringList{QString("Page %1").arg(i)});
    QCoreApplication::processEvents();
    CSkinScrollButton down("BtnScrollDown", manager);
    down.Create(&parent, 102);
    down.SetTarget(&tree);
    down.SetDirection(CSkinScrollButton::Direction::LineDown);
    QTest::mouseClick(&down, Qt::LeftButton, {}, down.rect().center());
    EXPECT_EQ(tree.verticalScrollBar()->value(), 1);
    EXPECT_EQ(tree.itemAt(QPoint(60, 2))->text(0), "AGC");
}

TEST_F(SkinTreeTest, ArrowKeysMoveTheCurrentItemAndTabGivesItAFocusMark)
{
    QWidget before(&parent);
    before.setFocusPolicy(Qt::StrongFocus);
    before.show();
    before.setFocus();
    tree.setCurrentItem(tree.topLevelItem(0));
    const QImage unfocused = tree.viewport()->grab().toImage();
    QTest::keyClick(&before, Qt::Key_Tab);
    ASSERT_TRUE(tree.hasFocus());
    EXPECT_NE(tree.viewport()->grab().toImage(), unfocused);
    QTest::keyClick(&tree, Qt::Key_Down);
    QTest::keyClick(&tree, Qt::Key_Down);
    EXPECT_EQ(tree.currentItem()->text(0), "Dynamics");
    QTest::keyClick(&tree, Qt::Key_Down);
    EXPECT_EQ(tree.currentItem()->text(0), "Multiband");
    SaveGrab(parent, "tree-focused");
}

class SkinListTest : public ValueControlsFixture {
protected:
    void SetUp() override
    {
        ValueControlsFixture::SetUp();
        parent.resize(240, 440);
        list.Create(&parent, 101);
        for (int i = 0; i < 12; ++i)
            new QTreeWidgetItem(&list, QStringList{QString("U%1:").arg(i + 1), QString("PRESET %1").arg(i + 1)});
        parent.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&parent));
    }

    CSkinList list{"List", manager};
};

TEST_F(SkinListTest, TakesItsColumnsFromTheSkin)
{
    ASSERT_EQ(list.columnCount(), 2);
    EXPECT_EQ(list.columnWidth(0), 36);
    EXPECT_EQ(list.columnWidth(1), 144);
    EXPECT_TRUE(list.isHeaderHidden()); // the shipped columns have no captions
    EXPECT_FALSE(list.verticalScrollBar()->isVisible());
}

TEST_F(SkinListTest, ReportsTheFirstSelectedRowOrMinusOne)
{
    EXPECT_EQ(list.GetSelectedIndex(), -1);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.topLevelItem(3)).center());
    EXPECT_EQ(list.GetSelectedIndex(), 3);
    QTest::keyClick(&list, Qt::Key_Down);
    EXPECT_EQ(list.GetSelectedIndex(), 4);
    QTest::keyClick(&list, Qt::Key_End);
    EXPECT_EQ(list.GetSelectedIndex(), 11);
    EXPECT_EQ(list.verticalScrollBar()->value(), list.verticalScrollBar()->maximum());
    SaveGrab(parent, "list");
}

// A list re-skinned from three captioned columns to two bare ones.
class SkinListColumns : public skinui::LooseSkin {
};

TEST_F(SkinListColumns, ANewSkinLeavesExactlyItsOwnColumns)
{
    Write("LONG(List::col_number, 3)\n"
          "STRING(List::col0_caption, \"No\")\nLONG(List::col0_width, 30)\n"
          "STRING(List::col1_caption, \"Name\")\nLONG(List::col1_width, 100)\n"
          "STRING(List::col2_caption, \"Kind\")\nLONG(List::col2_width, 50)\n");
    Write("LONG(List::col_number, 2)\nLONG(List::col0_width, 22)\nLONG(List::col1_width, 108)\n", "Two");
    Load();
    QWidget parent;
    CSkinList list("List", manager);
    list.Create(&parent, 101);
    ASSERT_EQ(list.columnCount(), 3);
    EXPECT_EQ(list.headerItem()->text(2), "Kind");
    EXPECT_FALSE(list.isHeaderHidden());

    Load("Two");
    ASSERT_EQ(list.columnCount(), 2);
    EXPECT_EQ(list.columnWidth(0), 22);
    EXPECT_EQ(list.columnWidth(1), 108);
    EXPECT_TRUE(list.isHeaderHidden());
}

TEST_F(SkinListColumns, AWildColumnCountIsCapped)
{
    Write("LONG(List::col_number, 2000000000)\n");
    Load();
    QWidget parent;
    CSkinList list("List", manager);
    list.Create(&parent, 101);
    EXPECT_EQ(list.columnCount(), 64);
}

TEST_F(SkinListColumns, ATreeWithoutAnIconShowsItemsWithoutImages)
{
    Write("LONG(Tree::width, 100)\nLONG(Tree::height, 60)\nLONG(Tree::bkcolor, \"#102030\")\n"
          "LONG(Tree::text_color, \"#FFFFFF\")\n");
    Load();
    QWidget parent;
    CSkinTree tree("Tree", manager);
    tree.Create(&parent, 101);
    tree.setIndentation(0);
    auto* item = new QTreeWidgetItem(&tree, QStringList{""});
    const QImage picture = tree.viewport()->grab().toImage();
    // Where the icon would be, the row shows its background.
    const QRect row = tree.visualItemRect(item);
    EXPECT_EQ(QColor(picture.pixel(row.left() + 3 + 8, row.center().y())), QColor(0x10, 0x20, 0x30));
}

// Reading the icon file is left to the first row that shows it; a new skin's
// icon shows on the rows drawn after the change.
TEST_F(SkinListColumns, TheTreeReadsItsIconForItsFirstRowAndTakesANewSkinsIcon)
{
    auto skinWithIcon = [&](const char* skin, QColor colour) {
        Write("LONG(Tree::width, 100)\nLONG(Tree::height, 60)\nICON(Tree::icon, \"tree.ico\")\n", skin);
        const QString path = dir_.path() + '/' + skin + "/tree.ico";
        ASSERT_TRUE(skinui::Filled(QSize(16, 16), colour).convertToFormat(QImage::Format_ARGB32).save(path, "ICO"));
    };
    skinWithIcon("Test", Qt::red);
    skinWithIcon("Two", Qt::blue);
    Load();
    QWidget parent;
    CSkinTree tree("Tree", manager);
    tree.Create(&parent, 101);
    tree.setIndentation(0);
    EXPECT_FALSE(manager.Skin()->IsIconLoaded("Tree", "icon"));

    auto* item = new QTreeWidgetItem(&tree, QStringList{""});
    auto iconColour = [&] {
        const QRect row = tree.visualItemRect(item);
        return QColor(tree.viewport()->grab().toImage().pixel(row.left() + 3 + 8, row.center().y()));
    };
    EXPECT_EQ(iconColour(), QColor(Qt::red));
    EXPECT_TRUE(manager.Skin()->IsIconLoaded("Tree", "icon"));
    Load("Two");
    EXPECT_EQ(iconColour(), QColor(Qt::blue));
}

} // namespace
