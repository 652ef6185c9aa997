// The gallery's pictures of the value controls: sliders, spins, the tree and
// list, the popup menu and the progress window's animation.

#include "Gallery.h"
#include "GallerySheet.h"

#include "skin/ui/SkinAnimation.h"
#include "skin/ui/SkinEdit.h"
#include "skin/ui/SkinList.h"
#include "skin/ui/SkinManager.h"
#include "skin/ui/SkinPopupMenu.h"
#include "skin/ui/SkinSlider.h"
#include "skin/ui/SkinSpin.h"
#include "skin/ui/SkinStatic.h"
#include "skin/ui/SkinTree.h"
#include "skin/ui/SkinWnd.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTreeWidgetItem>

namespace gallery {

namespace {

// Where a loose page cell goes: well inside the page face, clear of its corners.
constexpr QPoint kCellAt(20, 40);

CSkinStatic* AddLabel(CSkinManager& manager, QWidget* parent, const char* element, const QRect& rect,
                      const QString& text)
{
    auto* label = new CSkinStatic(element, manager);
    label->Create(parent, 300);
    label->Place(rect);
    label->SetText(text);
    return label;
}

QImage SliderIn(CSkinManager& manager, int value, bool enabled, bool focused, bool dragging)
{
    CSkinWnd page("PPage", manager);
    page.Create();
    const QRect cell(kCellAt, QSize(80, 200));
    CSkinSlider* slider = AddSliderCell(manager, &page, cell, "Release", QString("%1 ms").arg(value * 5), value);
    slider->setEnabled(enabled);
    if (focused) {
        Activate(page);
        slider->setFocus(Qt::TabFocusReason);
    }
    if (dragging) {
        const QPointF at = QRectF(slider->ThumbRect()).center();
        QMouseEvent press(QEvent::MouseButtonPress, at, slider->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(slider, &press);
    }
    return page.grab(cell.adjusted(-kPad, -kPad, kPad, kPad)).toImage();
}

enum class ArrowPose { None, UpOver, DownPressed };

QImage SpinIn(CSkinManager& manager, SpinKind kind, bool enabled, bool focused, ArrowPose pose)
{
    CSkinWnd page("PPage", manager);
    page.Create();
    const QRect rect(kCellAt + QPoint(0, 13), QSize(110, 22));
    CSkinSpin* spin = AddSpin(manager, &page, rect, kind == SpinKind::Time ? "Hold time"
                                                    : kind == SpinKind::List ? "Mode"
                                                                             : "Threshold",
                              kind);
    spin->setEnabled(enabled);
    if (focused) {
        Activate(page);
        spin->findChildren<CSkinEdit*>().front()->setFocus(Qt::TabFocusReason);
    }
    if (pose != ArrowPose::None) {
        const QPointF at = QRectF(pose == ArrowPose::UpOver ? spin->UpRect() : spin->DownRect()).center();
        QMouseEvent move(QEvent::MouseMove, at, spin->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(spin, &move);
        if (pose == ArrowPose::DownPressed) {
            QMouseEvent press(QEvent::MouseButtonPress, at, spin->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                              Qt::NoModifier);
            QApplication::sendEvent(spin, &press);
        }
    }
    return page.grab(QRect(rect.topLeft() - QPoint(0, 13), rect.size() + QSize(0, 13)).adjusted(-kPad, -kPad, kPad, kPad))
        .toImage();
}

} // namespace

CSkinSlider* AddSliderCell(CSkinManager& manager, QWidget* page, const QRect& cell, const QString& name,
                           const QString& shown, int value)
{
    AddLabel(manager, page, "SliderCaption", QRect(cell.topLeft(), QSize(cell.width(), 13)), name);
    AddLabel(manager, page, "SliderValue", QRect(cell.left(), cell.top() + 13, cell.width(), 27), shown);
    auto* slider = new CSkinSlider("Slider", manager);
    slider->Create(page, 301);
    slider->setGeometry(cell.left() + (cell.width() - 40) / 2, cell.top() + 40, 40, cell.height() - 40);
    slider->setRange(0, 100);
    slider->setValue(value);
    slider->setAccessibleName(name);
    return slider;
}

CSkinSpin* AddSpin(CSkinManager& manager, QWidget* page, const QRect& rect, const QString& caption, SpinKind kind)
{
    AddLabel(manager, page, "SpinCaption", QRect(rect.left(), rect.top() - 13, rect.width(), 13), caption);
    auto* spin = new CSkinSpin("Spin", manager);
    spin->Create(page, 302);
    spin->Place(rect);
    const int fields = kind == SpinKind::Time ? 2 : 1;
    const QRect inner = spin->rect();
    const int fieldWidth = (inner.width() - 4 - spin->UpRect().width()) / fields;
    std::vector<CSkinEdit*> edits;
    for (int i = 0; i < fields; ++i) {
        if (i > 0) {
            auto* separator = new CSkinStatic("SpinStatic", manager);
            separator->Create(spin, i);
            separator->Place(QRect(inner.left() + fieldWidth * i, inner.top() + 2, 2, inner.height() - 4));
        }
        auto* edit = new CSkinEdit("SpinEdit", manager);
        edit->Create(spin, i);
        edit->Place(QRect(inner.left() + fieldWidth * i + 2, inner.top() + 2, fieldWidth - 1, inner.height() - 4));
        edit->setAlignment(Qt::AlignCenter);
        edits.push_back(edit);
    }
    switch (kind) {
    case SpinKind::Time:
        spin->AddNumberField(edits[0], "%.0f", 0, 59, 1);
        spin->AddNumberField(edits[1], "%02.0f", 0, 59, 1);
        spin->SetValue(30, 0, false);
        spin->SetValue(1, 1, false);
        break;
    case SpinKind::List:
        spin->AddListField(edits[0], "%s", {"Mono", "Stereo", "Wide"});
        spin->SetValue(1, 0, false);
        break;
    case SpinKind::Number:
        spin->AddNumberField(edits[0], "%.1f dB", -24, 0, 0.5);
        spin->SetValue(-6.5, 0, false);
        break;
    }
    return spin;
}

void AddTree(CSkinManager& manager, QWidget* window)
{
    auto* tree = new CSkinTree("Tree", manager);
    tree->Create(window, 303);
    tree->setHeaderHidden(true);
    for (const char* page : {"Input", "AGC", "Dynamics", "Stereo", "Output", "System"})
        new QTreeWidgetItem(tree, QStringList{page});
    QTreeWidgetItem* dynamics = tree->topLevelItem(2);
    for (const char* page : {"Multiband", "Limiter", "Clipper"})
        new QTreeWidgetItem(dynamics, QStringList{page});
    tree->expandAll();
    tree->topLevelItem(5)->setDisabled(true);
    tree->setCurrentItem(dynamics->child(1));
}

void AddList(CSkinManager& manager, QWidget* window)
{
    auto* list = new CSkinList("List", manager);
    list->Create(window, 304);
    const char* names[] = {"CLEAN POP", "ROCK LOUD", "NEWS TALK", "CLASSICAL", "URBAN", "JAZZ",
                           "COUNTRY",   "SPORTS",    "AMBIENT",   "TALK SOFT", "DANCE", "OLDIES"};
    for (int i = 0; i < 12; ++i)
        new QTreeWidgetItem(list, QStringList{QString("U%1:").arg(i + 1), names[i]});
    list->setCurrentItem(list->topLevelItem(4));
}

QImage Sliders(CSkinManager& manager)
{
    CGallerySheet sheet("Sliders", {"minimum", "middle", "maximum", "disabled", "focused", "dragging"});
    sheet.AddRow("Slider", {SliderIn(manager, 0, true, false, false), SliderIn(manager, 50, true, false, false),
                            SliderIn(manager, 100, true, false, false), SliderIn(manager, 30, false, false, false),
                            SliderIn(manager, 30, true, true, false), SliderIn(manager, 70, true, false, true)});
    return sheet.Render();
}

QImage Spins(CSkinManager& manager)
{
    CGallerySheet sheet("Spins", {"normal", "up arrow hovered", "down arrow pressed", "disabled", "focused"});
    const std::pair<const char*, SpinKind> kinds[] = {
        {"two number fields", SpinKind::Time}, {"list field", SpinKind::List}, {"number field", SpinKind::Number}};
    for (const auto& [name, kind] : kinds)
        sheet.AddRow(name, {SpinIn(manager, kind, true, false, ArrowPose::None),
                            SpinIn(manager, kind, true, false, ArrowPose::UpOver),
                            SpinIn(manager, kind, true, false, ArrowPose::DownPressed),
                            SpinIn(manager, kind, false, false, ArrowPose::None),
                            SpinIn(manager, kind, true, true, ArrowPose::None)});
    return sheet.Render();
}

QImage Views(CSkinManager& manager)
{
    auto grabWell = [&manager](bool list, bool focused) {
        CSkinWnd window("DlgMain", manager);
        window.Create();
        if (list)
            AddList(manager, &window);
        else
            AddTree(manager, &window);
        auto* view = window.findChild<QTreeWidget*>();
        if (focused) {
            Activate(window);
            view->setFocus(Qt::TabFocusReason);
        }
        return window.grab(view->geometry().adjusted(-kPad, -kPad, kPad, kPad)).toImage();
    };
    CGallerySheet sheet("Tree and list", {"as shown", "focused"});
    sheet.AddRow("Tree", {grabWell(false, false), grabWell(false, true)});
    sheet.AddRow("List", {grabWell(true, false), grabWell(true, true)});
    return sheet.Render();
}

QImage Popup(CSkinManager& manager)
{
    Host host;
    host.resize(200, 140);
    Activate(host);
    CSkinPopupMenu menu("PopupMenu", manager, &host);
    const std::uint32_t mask = static_cast<std::uint32_t>(manager.Skin()->GetLong("List", "icon_colormask"));
    const char* icons[] = {"icon_load", "icon_save", "icon_rename", "icon_loadfile", "icon_savefile"};
    const char* texts[] = {"Load", "Save", "Rename", "Load from file...", "Save to file..."};
    for (int i = 0; i < 5; ++i) {
        menu.AddImage(manager.Skin()->GetImage("List", icons[i], &host), mask);
        menu.AddItem(i, texts[i]);
    }
    menu.ApplySkin();
    menu.popup(host.mapToGlobal(QPoint(kPad, kPad)));
    menu.setActiveAction(menu.actions().at(1));
    QApplication::processEvents();
    CGallerySheet sheet("Popup menu", {"open, second item highlighted"});
    sheet.AddRow("PopupMenu", {menu.grab().toImage()});
    menu.hide();
    return sheet.Render();
}

QImage Wait(CSkinManager& manager)
{
    CSkinWnd wait("Wait", manager);
    wait.Create();
    auto* animation = new CSkinAnimation("ProgressBar", manager);
    animation->Start(&wait);
    animation->Stop();
    animation->SetPosition(5);
    return GrabShaped(wait);
}

} // namespace gallery
