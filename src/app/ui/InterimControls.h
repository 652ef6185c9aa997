#pragma once

// Stand-ins for the skinned controls that are still being built elsewhere; each
// goes when its real class lands. They draw from the same skin keys.

#include "skin/ui/SkinClient.h"

#include <QAbstractButton>
#include <QWidget>

// A skinned push button: five faces, mask, hover, stick, text.
class CInterimButton : public QAbstractButton, public CSkinClient {
public:
    CInterimButton(const std::string& element, CSkinManager& manager, QWidget* parent, int id);
    ~CInterimButton() override { Detach(); }
    void ApplySkin() override;
    void SetStuck(bool stuck) { stuck_ = stuck; update(); }
    bool IsStuck() const { return stuck_; }
    // Scroll buttons: what they scroll and which way (0 up, 1 down).
    void SetTarget(QWidget* target) { target_ = target; }
    void SetDirection(int direction)
    {
        direction_ = direction;
        setAutoRepeat(true);
        setAutoRepeatDelay(250);
        setAutoRepeatInterval(50);
    }

protected:
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override { hover_ = true; update(); }
    void leaveEvent(QEvent*) override { hover_ = false; update(); }
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    void Scroll();
    bool stuck_ = false;
    bool hover_ = false;
    QWidget* target_ = nullptr;
    int direction_ = -1;
};

// A skinned window face: background image, mask and labels from "statics".
class CInterimFace : public QWidget, public CSkinClient {
public:
    CInterimFace(const std::string& element, CSkinManager& manager, QWidget* parent);
    ~CInterimFace() override { Detach(); }
    void ApplySkin() override;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QImage background_;
};

#include "app/Views.h"

#include <QListWidget>

struct ConnectionSettings;

// The views still being built elsewhere: the settings panel keeps the record as
// it was read, the meter shows nothing, pages have no controls, and the preset
// list is a plain list.
class CInterimViews : public ISettingsPanelView, public IPresetListView, public IMeterView, public IPageFactory {
public:
    CInterimViews(const ConnectionSettings& settings, QWidget* parent);

    void ApplyPanel(ConnectionSettings&) override {}
    std::string LockCodeText() override;

    void SetUserPresetCount(unsigned) override {}
    void DeleteAllRows() override { list->clear(); }
    void InsertRow(unsigned index, const std::string& label) override;
    void SetRowName(unsigned index, const std::string& name) override;
    std::string RowName(unsigned index) override;
    std::optional<unsigned> SelectedRow() override;
    void Deselect(unsigned) override { list->clearSelection(); }
    void StartRename(unsigned) override {}
    void SetFlags(const presets::PresetFlags&) override {}

    void SetModel(std::uint8_t) override {}
    void SetBackground(const std::string&) override {}
    void Update(const ByteString&) override {}
    void Reset() override {}

    std::unique_ptr<IPageView> BuildPage(const PageNode&, const std::string&) override { return nullptr; }

    QListWidget* list;

private:
    const ConnectionSettings& settings_;
    std::vector<std::pair<std::string, std::string>> rows_;
};
