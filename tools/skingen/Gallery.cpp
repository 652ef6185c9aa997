// skingallery: builds the real skinned controls from the skin appended to this
// program and grabs them to PNG files, so the look can be judged state by
// state and in place on the main window.
//
//   skingallery <output folder>

#include "Gallery.h"
#include "GallerySheet.h"

#include "skin/ui/SkinButton.h"
#include "skin/ui/SkinButtonGroup.h"
#include "skin/ui/SkinEdit.h"
#include "skin/ui/SkinManager.h"
#include "skin/ui/SkinRequiredKeys.h"
#include "skin/ui/SkinScrollButton.h"
#include "skin/ui/SkinStatic.h"
#include "skin/ui/SkinWnd.h"

#include <QApplication>
#include <QDir>
#include <QMouseEvent>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace gallery {

Host::Host()
{
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, kGalleryBackdrop);
    setPalette(colours);
}

void Hover(QWidget& control)
{
    const QPointF centre = QRectF(control.rect()).center();
    QMouseEvent move(QEvent::MouseMove, centre, control.mapToGlobal(centre), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&control, &move);
}

} // namespace gallery

namespace {

using namespace gallery;

enum class State { Up, Over, Down, Disabled, DownDisabled, Stuck, Focused };
const QStringList kStateNames = {"up", "over", "down", "disabled", "down-disabled", "stuck", "focused"};

// One button of element in one state on a host of its own; group buttons get
// a size and caption as a group would give them.
QImage ButtonInState(CSkinManager& manager, const std::string& element, State state)
{
    Host host;
    CSkinButton button(element, manager);
    button.Create(&host, 101);
    const QSize size = element == "Button" ? QSize(96, 30) : button.size();
    button.Place(QRect(QPoint(kPad, kPad), size));
    if (element == "Button")
        button.setText(QStringLiteral("Ethernet"));
    host.resize(size + QSize(2 * kPad, 2 * kPad));
    switch (state) {
    case State::Up: break;
    case State::Over: Hover(button); break;
    case State::Down: button.setDown(true); break;
    case State::Disabled: button.setEnabled(false); break;
    case State::DownDisabled:
        button.SetStuck(true);
        button.setEnabled(false);
        break;
    case State::Stuck: button.SetStuck(true); break;
    case State::Focused:
        Activate(host);
        button.setFocus(Qt::TabFocusReason);
        break;
    }
    return host.grab().toImage();
}

QImage Buttons(CSkinManager& manager)
{
    CGallerySheet sheet("Buttons: every element in every state", kStateNames);
    for (const SkinElementSpec& spec : SkinElementSpecs()) {
        if (spec.kind != "button")
            continue;
        std::vector<QImage> cells;
        for (int s = 0; s < kStateNames.size(); ++s)
            cells.push_back(ButtonInState(manager, spec.element, static_cast<State>(s)));
        sheet.AddRow(QString::fromStdString(spec.element), std::move(cells));
    }
    return sheet.Render();
}

// A group of element on a page, with captions, in one of the group states.
QImage GroupIn(CSkinManager& manager, const std::string& element, const QString& caption, const QStringList& options,
               int chosen, bool enabled, bool focused)
{
    CSkinWnd page("PPage", manager);
    page.Create();
    CSkinButtonGroup group(element, manager);
    group.Create(&page, 1);
    // Well inside the page's face, clear of its cut-out corners.
    group.Place(QRect(QPoint(20, 40), group.size()));
    if (!caption.isEmpty())
        group.SetCaption(caption);
    group.SetButtons(options);
    group.Select(chosen);
    group.setEnabled(enabled);
    if (focused) {
        Activate(page);
        group.setFocus(Qt::TabFocusReason);  // Tab lands on the choice
    }
    return page.grab(group.geometry().adjusted(-kPad, -kPad, kPad, kPad)).toImage();
}

QImage Groups(CSkinManager& manager)
{
    CGallerySheet sheet("Button groups", {"no choice", "chosen", "disabled", "focused"});
    const struct {
        const char* element;
        QString caption;
        QStringList options;
    } groups[] = {
        {"ButtonGroup", "Clipper", {"Off", "Soft", "Hard"}},
        {"ButtonGroup", "Pre-emphasis", {"Flat", "50 us", "75 us", "J.17", "Custom"}},
        {"ConnectGroup", "", {"Ethernet", "COM1", "COM2", "COM3", "COM5", "/dev/ttyUSB0"}},
    };
    for (const auto& g : groups)
        sheet.AddRow(QString(g.element) + (g.caption.isEmpty() ? "" : ": " + g.caption),
                     {GroupIn(manager, g.element, g.caption, g.options, -1, true, false),
                      GroupIn(manager, g.element, g.caption, g.options, 1, true, false),
                      GroupIn(manager, g.element, g.caption, g.options, 1, false, false),
                      GroupIn(manager, g.element, g.caption, g.options, 1, true, true)});
    return sheet.Render();
}

// A label of element with text on a window of parentElement.
QImage LabelOn(CSkinManager& manager, const char* parentElement, const char* element, const QString& text)
{
    CSkinWnd parent(parentElement, manager);
    parent.Create();
    CSkinStatic label(element, manager);
    label.Create(&parent, 200);
    if (!text.isNull())
        label.SetText(text);
    // Labels the page places itself go well inside its face, clear of its cut-out corners.
    if (label.pos() == QPoint(0, 0) && std::string(parentElement) == "PPage")
        label.Place(QRect(QPoint(20, 40), label.size()));
    return label.grab().toImage();
}

enum class EditState { Normal, Focused, Selected, Disabled };

QImage EditIn(CSkinManager& manager, const char* element, const QString& text, EditState state)
{
    Host host;
    CSkinEdit edit(element, manager);
    edit.Create(&host, 101);
    edit.Place(QRect(QPoint(kPad, kPad), edit.size()));
    edit.setText(text);
    host.resize(edit.size() + QSize(2 * kPad, 2 * kPad));
    edit.setEnabled(state != EditState::Disabled);
    if (state == EditState::Focused || state == EditState::Selected) {
        Activate(host);
        edit.setFocus(Qt::TabFocusReason);
    }
    if (state == EditState::Selected)
        edit.selectAll();
    return host.grab().toImage();
}

QImage Labels(CSkinManager& manager)
{
    CGallerySheet sheet("Labels, on the face of their window", {"as the skin gives it", "with program text"});
    const struct {
        const char* parent;
        const char* element;
        QString text;
    } labels[] = {
        {"Settings", "SettingsCaption", "Connection settings"},
        {"Settings", "SetStaticHost", "Host name"},
        {"Settings", "SetStaticPort", "UDP port"},
        {"Settings", "SetStaticCodeLock", "Lock code"},
        {"PPage", "FrameCaption", "Dynamics"},
        {"PPage", "Separator", ""},
        {"PPage", "SliderCaption", "Release"},
        {"PPage", "SliderValue", "-12.5 dB"},
        {"PPage", "SpinCaption", "Hold time"},
        {"Wait", "WaitCaption", "Wait while Loading"},
    };
    for (const auto& l : labels)
        sheet.AddRow(l.element,
                     {LabelOn(manager, l.parent, l.element, QString()), LabelOn(manager, l.parent, l.element, l.text)});
    return sheet.Render();
}

QImage Edits(CSkinManager& manager)
{
    CGallerySheet sheet("Edits", {"normal", "focused", "selected", "disabled"});
    const std::pair<const char*, QString> fields[] = {{"SettingsHost", "127.0.0.1"},
                                                      {"SettingsPort", "1203"},
                                                      {"SettingsCode", "1234"},
                                                      {"ListEdit", "CLEAN POP"},
                                                      {"SpinEdit", "1:30"}};
    for (const auto& [element, text] : fields) {
        std::vector<QImage> cells;
        for (const EditState state : {EditState::Normal, EditState::Focused, EditState::Selected, EditState::Disabled})
            cells.push_back(EditIn(manager, element, text, state));
        sheet.AddRow(element, std::move(cells));
    }
    return sheet.Render();
}

// The main window as the program will build it, from the real classes.
class MainWindow {
public:
    MainWindow(CSkinManager& manager, bool connected)
        : manager_(manager)
    {
        window_.Create();
        for (const char* element : {"BtnMinimize", "BtnExit", "BtnPresets"})
            Button(element);
        Button(connected ? "BtnDisconnect" : "BtnConnect");
        CSkinButton* a = Button("BtnA");
        CSkinButton* b = Button("BtnB");
        a->SetStuck(connected);
        a->setEnabled(connected);
        b->setEnabled(connected);
        Button("BtnMenu")->SetStuck(true);
        for (const char* element : {"BtnScrollUp", "BtnScrollDown"})
            (new CSkinScrollButton(element, manager))->Create(&window_, window_.FirstFreeControlId());
        AddTree(manager, &window_);
        if (connected) {
            for (const char* element :
                 {"PresetIconLoad", "PresetIconSave", "PresetIconRename", "PresetIconLoadFile", "PresetIconSaveFile"})
                Button(element);
            Page();
        } else {
            Settings();
        }
    }

    QImage Grab() { return GrabShaped(window_); }
    void Show() { window_.show(); }

private:
    CSkinButton* Button(const char* element)
    {
        auto* button = new CSkinButton(element, manager_);
        button->Create(&window_, window_.FirstFreeControlId());
        return button;
    }

    void Settings()
    {
        auto* panel = new CSkinWnd("Settings", manager_);
        panel->Create(&window_);
        const std::pair<const char*, QString> fields[] = {
            {"SettingsHost", "127.0.0.1"}, {"SettingsPort", "1203"}, {"SettingsCode", "1234"}};
        for (const auto& [element, text] : fields) {
            auto* edit = new CSkinEdit(element, manager_);
            edit->Create(panel, panel->FirstFreeControlId());
            edit->setText(text);
        }
        auto* group = new CSkinButtonGroup("ConnectGroup", manager_);
        group->Create(panel, 1);
        group->SetButtons({"Ethernet", "COM1", "COM2", "COM3", "COM5"});
        group->Select(0);
    }

    void Page()
    {
        auto* page = new CSkinWnd("PPage", manager_);
        page->Create(&window_);
        Header(page, {"Dynamics", " Limiter"});
        AddSliderCell(manager_, page, QRect(20, 40, 80, 220), "Drive", "+4.5 dB", 30);
        AddSliderCell(manager_, page, QRect(100, 40, 80, 220), "Ceiling", "-0.8 dB", 55);
        AddSliderCell(manager_, page, QRect(180, 40, 80, 220), "Release", "120 ms", 80);
        const std::tuple<QRect, QString, QStringList, int> groups[] = {
            {{290, 34, 230, -1}, "Clipper", {"Off", "Soft", "Hard"}, 1},
            {{290, 104, 230, -1}, "Pre-emphasis", {"Flat", "50 us", "75 us", "J.17", "Custom"}, 2},
        };
        for (const auto& [rect, caption, options, chosen] : groups) {
            auto* group = new CSkinButtonGroup("ButtonGroup", manager_);
            group->Create(page, 1);
            group->Place(rect);
            group->SetCaption(caption);
            group->SetButtons(options);
            group->Select(chosen);
        }
        AddSpin(manager_, page, QRect(290, 210, 110, 22), "Hold time", SpinKind::Time);
        AddSpin(manager_, page, QRect(410, 210, 110, 22), "Mode", SpinKind::List);
    }

    // The page header as the page builds it: the path's parts, centred, with
    // a separator between two parts.
    void Header(CSkinWnd* page, const QStringList& parts)
    {
        auto* header = new CSkinStatic("FrameCaption", manager_);
        header->Create(page, page->FirstFreeControlId());
        const QFontMetrics metrics(header->font());
        int x = (header->width() - metrics.horizontalAdvance(parts.join(" >"))) / 2;
        for (int i = 0; i < parts.size(); ++i) {
            if (i > 0) {
                auto* separator = new CSkinStatic("Separator", manager_);
                separator->Create(header, 2 * i);
                separator->Place(QRect(QPoint(x, separator->y()), separator->size()));
                x += separator->width();
            }
            auto* part = new CSkinStatic("FrameCaption", manager_);
            part->Create(header, 2 * i + 1);
            part->SetText(parts[i]);
            const int width = metrics.horizontalAdvance(parts[i]);
            part->Place(QRect(x, 0, width, header->height()));
            x += width;
        }
    }

    CSkinManager& manager_;
    CSkinWnd window_{"DlgMain", manager_};
};

} // namespace

int main(int argc, char* argv[])
{
    const bool show = argc == 2 && std::string(argv[1]) == "--show";
    if (argc != 2) {
        std::fprintf(stderr, "usage: skingallery <output folder>\n"
                             "       skingallery --show   (the connected main window on screen, true shape)\n");
        return 2;
    }
    if (!show && !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    CSkinManager manager("Skins");
    if (!manager.LoadSkin("Vexlor"))
        return 1;
    if (show) {
        MainWindow window(manager, true);
        window.Show();
        return app.exec();
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    const std::vector<std::pair<const char*, std::function<QImage()>>> pictures = {
        {"buttons", [&] { return Buttons(manager); }},
        {"groups", [&] { return Groups(manager); }},
        {"labels", [&] { return Labels(manager); }},
        {"edits", [&] { return Edits(manager); }},
        {"main-disconnected", [&] { return MainWindow(manager, false).Grab(); }},
        {"main-connected", [&] { return MainWindow(manager, true).Grab(); }},
        {"sliders", [&] { return Sliders(manager); }},
        {"spins", [&] { return Spins(manager); }},
        {"tree-and-list", [&] { return Views(manager); }},
        {"popup-menu", [&] { return Popup(manager); }},
        {"wait", [&] { return gallery::Wait(manager); }},
    };
    bool ok = true;
    for (const auto& [name, picture] : pictures) {
        const QString path = out + '/' + name + ".png";
        const bool saved = picture().save(path);
        std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
        ok = ok && saved;
    }
    return ok ? 0 : 1;
}
