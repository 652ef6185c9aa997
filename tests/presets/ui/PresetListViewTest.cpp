#include "presets/ui/PresetListView.h"

#include "app/MessageQueue.h"
#include "views/Messages.h"
#include "presets/PresetFile.h"
#include "skin/ui/SkinEdit.h"
#include "skin/ui/SkinPopupMenu.h"
#include "support/QtLiveRig.h"
#include "support/ShippedSkin.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <unistd.h>

namespace {

void Key(QWidget* w, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
}

std::vector<QString> MenuTexts(const CSkinPopupMenu& menu)
{
    std::vector<QString> texts;
    for (QAction* action : menu.actions()) texts.push_back(action->text());
    return texts;
}

QAction* MenuItem(const CSkinPopupMenu& menu, const QString& text)
{
    for (QAction* action : menu.actions())
        if (action->text() == text) return action;
    return nullptr;
}

std::vector<AppMessage> Drain(CMessageQueue& queue)
{
    std::vector<AppMessage> out;
    while (auto m = queue.TryPop()) out.push_back(std::move(*m));
    return out;
}

class PresetListViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CShippedSkin::Get().Loaded());
        list_ = new CPresetListView(CShippedSkin::Get().Manager(), posted_);
        list_->Create(&main_, 0);
        list_->SetUserPresetCount(8);
        for (unsigned i = 0; i < 12; ++i) {
            list_->InsertRow(i, presets::PresetLabel(i, 8));
            list_->SetRowName(i, "preset " + std::to_string(i));
        }
    }

    CMessageQueue posted_;
    CMainWindowStandIn main_;
    CPresetListView* list_ = nullptr;  // main_ owns it
};

}  // namespace

TEST_F(PresetListViewTest, RowsShowLabelsUpperCaseNamesAndMarkersInOrder)
{
    EXPECT_EQ(list_->topLevelItem(9)->text(0), "F2:");
    EXPECT_EQ(list_->RowName(3), "PRESET 3");
    list_->SetFlags({3, 255, 3, 5, 1});
    const QModelIndex name = list_->model()->index(3, 1);
    EXPECT_EQ(list_->Rows().NameText(name), "PRESET 3 (TR) (DEF)");
    EXPECT_EQ(list_->Rows().NameText(list_->model()->index(4, 1)), "PRESET 4");
    // The current preset's row has its own text colour; a selected row the selection's.
    const auto& colours = list_->Rows().GetColours();
    EXPECT_EQ(list_->Rows().TextColour(5, false), colours.currentText);
    EXPECT_EQ(list_->Rows().TextColour(4, false), colours.text);
    EXPECT_EQ(list_->Rows().TextColour(5, true), colours.selectedText);
    EXPECT_NE(colours.currentText, colours.text);
}

TEST_F(PresetListViewTest, FactoryRowMenuHoldsOnlyTheReducedCommands)
{
    list_->setCurrentItem(list_->topLevelItem(9));
    list_->ShowMenu(9, main_.mapToGlobal(QPoint(10, 10)));
    ASSERT_NE(list_->Menu(), nullptr);
    EXPECT_EQ(MenuTexts(*list_->Menu()), (std::vector<QString>{"Load", "Save to file"}));
    Drain(posted_);
    MenuItem(*list_->Menu(), "Save to file")->trigger();
    auto posted = Drain(posted_);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].id, msg::UM_PRESET_COMMAND);
    EXPECT_EQ(posted[0].wParam, 9u);
    EXPECT_EQ(posted[0].lParam, 4u);

    // The last user preset still has every command.
    list_->setCurrentItem(list_->topLevelItem(7));
    list_->ShowMenu(7, main_.mapToGlobal(QPoint(10, 10)));
    EXPECT_EQ(MenuTexts(*list_->Menu()),
              (std::vector<QString>{"Load", "Save", "Rename", "Load from file", "Save to file"}));
    Drain(posted_);
    ASSERT_NE(MenuItem(*list_->Menu(), "Rename"), nullptr);
    MenuItem(*list_->Menu(), "Rename")->trigger();
    posted = Drain(posted_);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].wParam, 7u);
    EXPECT_EQ(posted[0].lParam, 2u);
}

TEST_F(PresetListViewTest, ARightClickActsOnTheRowUnderThePointer)
{
    list_->setCurrentItem(list_->topLevelItem(2));
    const QPoint at = list_->visualItemRect(list_->topLevelItem(9)).center();
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, list_->viewport()->mapToGlobal(at));
    QApplication::sendEvent(list_->viewport(), &click);
    ASSERT_NE(list_->Menu(), nullptr);
    EXPECT_EQ(list_->SelectedRow(), 9u);
    EXPECT_EQ(MenuTexts(*list_->Menu()), (std::vector<QString>{"Load", "Save to file"}));
    Drain(posted_);
    MenuItem(*list_->Menu(), "Load")->trigger();
    auto posted = Drain(posted_);
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].wParam, 9u);
}

// Only the operator ends a rename: Enter, Escape, Tab or a click elsewhere. A
// window that takes the focus for a moment (the main window's input shield
// while the processor's flags change) leaves the typing as it is.
TEST_F(PresetListViewTest, ARenameOutlivesAFocusTheOperatorDidNotMoveAndTabEndsItInPlace)
{
    QWidget elsewhere(&main_);
    elsewhere.setFocusPolicy(Qt::StrongFocus);
    main_.show();
    elsewhere.show();
    QApplication::setActiveWindow(&main_);
    list_->StartRename(7);
    CSkinEdit* editor = list_->NameEditor();
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(QApplication::focusWidget(), editor);
    editor->setText("ab");
    elsewhere.setFocus();  // as the shield takes it, and gives it back
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), &elsewhere);
    ASSERT_EQ(list_->NameEditor(), editor);
    editor->setFocus();
    for (const AppMessage& m : Drain(posted_)) EXPECT_NE(m.id, msg::UM_PRESET_NAME_CHANGED);

    editor->setText("abc");
    Key(editor, Qt::Key_Tab);
    QApplication::processEvents();
    EXPECT_EQ(list_->NameEditor(), nullptr);
    EXPECT_EQ(list_->RowName(7), "ABC");
    // No editor moved on to the next cell (the label of the first factory preset).
    EXPECT_EQ(list_->indexWidget(list_->model()->index(8, 0)), nullptr);
    EXPECT_EQ(list_->indexWidget(list_->model()->index(8, 1)), nullptr);
    std::vector<std::uint32_t> renamed;
    for (const AppMessage& m : Drain(posted_))
        if (m.id == msg::UM_PRESET_NAME_CHANGED) renamed.push_back(m.wParam);
    EXPECT_EQ(renamed, (std::vector<std::uint32_t>{7}));

    // A click elsewhere ends it too, and keeps what was typed.
    list_->StartRename(6);
    editor = list_->NameEditor();
    ASSERT_NE(editor, nullptr);
    editor->setText("xyz");
    elsewhere.setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    EXPECT_EQ(list_->NameEditor(), nullptr);
    EXPECT_EQ(list_->RowName(6), "XYZ");
}

TEST_F(PresetListViewTest, SelectingARowPostsItOnce)
{
    list_->setCurrentItem(list_->topLevelItem(4));
    list_->Deselect(4);
    list_->setCurrentItem(list_->topLevelItem(4));
    list_->setCurrentItem(list_->topLevelItem(6));
    std::vector<std::uint32_t> rows;
    for (const AppMessage& m : Drain(posted_))
        if (m.id == msg::UM_PRESET_SELECTED) rows.push_back(m.wParam);
    EXPECT_EQ(rows, (std::vector<std::uint32_t>{4, 6}));
    EXPECT_EQ(list_->SelectedRow(), 6u);
}

TEST_F(PresetListViewTest, CancelledOrEmptyRenameSendsNothingAndLongNamesAreCut)
{
    list_->StartRename(1);
    auto* editor = list_->NameEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->Element(), "ListEdit");
    EXPECT_EQ(editor->text(), "PRESET 1");
    editor->setText("other");
    Key(editor, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(list_->RowName(1), "PRESET 1");

    list_->StartRename(1);
    editor = list_->NameEditor();
    ASSERT_NE(editor, nullptr);
    editor->clear();
    Key(editor, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(list_->RowName(1), "PRESET 1");
    for (const AppMessage& m : Drain(posted_)) EXPECT_NE(m.id, msg::UM_PRESET_NAME_CHANGED);

    list_->StartRename(1);
    editor = list_->NameEditor();
    ASSERT_NE(editor, nullptr);
    editor->clear();
    QApplication::clipboard()->setText("a name far too long for the processor");
    editor->paste();
    EXPECT_EQ(editor->text(), "a name far too ");
    Key(editor, Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(list_->RowName(1), "A NAME FAR TOO ");
}

namespace {

// The list on the controller over the real session and the simulator of model 1.
class PresetListLive : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(CShippedSkin::Get().Loaded());
        folder = std::filesystem::temp_directory_path() /
                 ("vexlor_list_" + std::to_string(getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder);
        rig = std::make_unique<CQtLiveRig>(1, folder.string());
        ASSERT_TRUE(rig->SimStarted());
        toController = std::make_unique<CQtMessagePoster>(rig.get());
        list = new CPresetListView(CShippedSkin::Get().Manager(), *toController);
        list->Create(&main, 0);
        rig->Start({nullptr, list, nullptr});
        ASSERT_TRUE(rig->ConnectToReady());
    }
    void TearDown() override
    {
        if (rig && rig->SimStarted()) rig->DisconnectAndWait();
        rig.reset();
        std::filesystem::remove_all(folder);
    }

    std::filesystem::path folder;
    std::unique_ptr<CQtLiveRig> rig;
    std::unique_ptr<CQtMessagePoster> toController;
    CMainWindowStandIn main;  // owns the list; goes first
    CPresetListView* list = nullptr;
};

}  // namespace

TEST_F(PresetListLive, RenamingAUserPresetToAbcSendsAbcAndTwelveZeroBytes)
{
    ASSERT_EQ(list->topLevelItemCount(), static_cast<int>(rig->Device().GetModel().PresetCount()));

    // Rename from the context menu of U3.
    list->setCurrentItem(list->topLevelItem(2));
    list->ShowMenu(2, main.mapToGlobal(QPoint(10, 10)));
    MenuItem(*list->Menu(), "Rename")->trigger();
    CSkinEdit* editor = nullptr;
    ASSERT_TRUE(rig->RunUntil([&] { return (editor = list->NameEditor()) != nullptr; }));
    editor->setText("abc");
    Key(editor, Qt::Key_Return);
    ASSERT_TRUE(rig->RunUntil([&] {
        for (const auto& c : rig->commands)
            if (c.kind == CQtLiveRig::Command::Kind::Rename) return true;
        return false;
    }));
    EXPECT_EQ(list->RowName(2), "ABC");
    EXPECT_FALSE(list->SelectedRow().has_value());
    ByteString expected{'A', 'B', 'C'};
    expected.resize(15, 0);
    for (const auto& c : rig->commands)
        if (c.kind == CQtLiveRig::Command::Kind::Rename) {
            EXPECT_EQ(c.bytes[0], 2);
            EXPECT_EQ(c.data, expected);
        }
    ASSERT_TRUE(rig->RunUntil([&] {
        const auto image = rig->Device().PresetImage(2);
        return image && presets::PresetNameFromBytes(*image) == "ABC";
    }));
}

// The processor refuses names for factory presets; the controller does not
// even ask, and the list goes back to the name the processor holds.
TEST_F(PresetListLive, OnlyUserPresetsAreRenamedAndARefusedNameGivesWay)
{
    const unsigned last = list->UserPresetCount() - 1;
    ASSERT_LT(last + 1, static_cast<unsigned>(list->topLevelItemCount()));
    const std::string factoryName = list->RowName(last + 1);

    // Tab out of the last user preset's name: that preset alone is renamed.
    list->setCurrentItem(list->topLevelItem(static_cast<int>(last)));
    list->ShowMenu(static_cast<int>(last), main.mapToGlobal(QPoint(10, 10)));
    MenuItem(*list->Menu(), "Rename")->trigger();
    CSkinEdit* editor = nullptr;
    ASSERT_TRUE(rig->RunUntil([&] { return (editor = list->NameEditor()) != nullptr; }));
    editor->setText("last");
    Key(editor, Qt::Key_Tab);
    const auto renames = [&] {
        std::vector<std::uint8_t> rows;
        for (const auto& c : rig->commands)
            if (c.kind == CQtLiveRig::Command::Kind::Rename) rows.push_back(c.bytes[0]);
        return rows;
    };
    ASSERT_TRUE(rig->RunUntil([&] { return !renames().empty(); }));
    // The operator clicks elsewhere: any editor still open ends now.
    for (CSkinEdit* open : list->findChildren<CSkinEdit*>()) {
        QFocusEvent click(QEvent::FocusOut, Qt::MouseFocusReason);
        QApplication::sendEvent(open, &click);
    }
    ASSERT_TRUE(rig->RunUntil([&] {
        const auto image = rig->Device().PresetImage(static_cast<std::uint8_t>(last));
        return image && presets::PresetNameFromBytes(*image) == "LAST";
    }));
    EXPECT_EQ(list->NameEditor(), nullptr);
    EXPECT_EQ(list->RowName(last + 1), factoryName);

    // A name change for a factory preset that reaches the controller anyway is refused.
    list->SetRowName(last + 1, "HIJACKED");
    toController->Post(AppMessage{msg::UM_PRESET_NAME_CHANGED, last + 1, 0, {}});
    ASSERT_TRUE(rig->RunUntil([&] { return list->RowName(last + 1) == factoryName; }));
    EXPECT_EQ(renames(), (std::vector<std::uint8_t>{static_cast<std::uint8_t>(last)}));
}

TEST_F(PresetListViewTest, ShotOfTheListAndItsMenu)
{
    const char* shots = std::getenv("VEXLOR_PAGE_SHOTS");
    if (!shots) GTEST_SKIP() << "VEXLOR_PAGE_SHOTS names no folder";
    list_->SetFlags({3, 4, 3, 5, 1});
    list_->setCurrentItem(list_->topLevelItem(1));
    list_->grab().save(QString(shots) + "/preset_list.png");
    list_->ShowMenu(1, main_.mapToGlobal(QPoint(10, 10)));
    list_->Menu()->grab().save(QString(shots) + "/preset_menu.png");
    list_->StartRename(2);
    list_->grab().save(QString(shots) + "/preset_rename.png");
}
