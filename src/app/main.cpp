// Start-up until the real main window exists: load the skin from the archive
// appended to this executable and show the skinned main window's face.
#include "app/ui/ApplicationIcon.h"
#include "common/VersionOption.h"
#include "skin/ui/SkinClient.h"
#include "skin/ui/SkinDrawing.h"
#include "skin/ui/SkinManager.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

#include <string>
#include <vector>

namespace {

// The "DlgMain" element with the faces of its buttons and panels drawn in
// place; Exit closes it, Minimise minimises it, and it moves by dragging.
class CSkinFaceWindow : public QWidget, public CSkinClient {
public:
    explicit CSkinFaceWindow(CSkinManager& manager)
        : CSkinClient("DlgMain", manager)
    {
        setWindowFlags(Qt::FramelessWindowHint | Qt::Window);
        Attach(this);
        ApplySkin();
    }
    ~CSkinFaceWindow() override { Detach(); }

    void ApplySkin() override
    {
        background_ = GetImage("background");
        move(GetLong("offset_left"), GetLong("offset_top"));
        resize(background_.size());
        setMask(RegionFromBitmap(background_, static_cast<std::uint32_t>(GetLong("bkcolormask"))));
        setWindowTitle(GetString("caption"));
        setWindowOpacity((255 - GetLong("transparency")) / 255.0);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.drawImage(0, 0, background_);
        CSkin* skin = Manager().Skin();
        auto at = [skin](const char* element) {
            return QPoint(skin->GetLong(element, "offset_left"), skin->GetLong(element, "offset_top"));
        };
        p.drawImage(at("Leds"), skin->GetImage("Leds", "background", this));
        const QImage settings = skin->GetImage("Settings", "background", this);
        p.save();
        p.setClipRegion(RegionFromBitmap(settings, static_cast<std::uint32_t>(skin->GetLong("Settings", "bkcolormask")))
                            .translated(at("Settings")));
        p.drawImage(at("Settings"), settings);
        p.restore();
        for (const char* button : {"BtnConnect", "BtnExit", "BtnMinimize", "BtnA", "BtnB", "BtnMenu",
                                   "BtnPresets", "BtnScrollUp", "BtnScrollDown"})
            DrawButton(p, button, at(button));
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        if (ButtonRect("BtnExit").contains(event->pos()))
            close();
        else if (ButtonRect("BtnMinimize").contains(event->pos()))
            showMinimized();
        else
            grab_ = event->pos();
    }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (event->buttons() & Qt::LeftButton)
            move(pos() + event->pos() - grab_);
    }

private:
    QRect ButtonRect(const char* element) const
    {
        CSkin* skin = Manager().Skin();
        const QImage up = skin->GetImage(element, "up", this);
        return QRect(skin->GetLong(element, "offset_left"), skin->GetLong(element, "offset_top"), up.width(),
                     up.height());
    }

    void DrawButton(QPainter& p, const char* element, QPoint at)
    {
        CSkin* skin = Manager().Skin();
        const QImage up = skin->GetImage(element, "up", this);
        const QRect rect(at, up.size());
        p.save();
        p.setClipRegion(RegionFromBitmap(up, static_cast<std::uint32_t>(skin->GetLong(element, "bkcolormask")))
                            .translated(at));
        p.drawImage(at, up);
        if (skin->GetLong(element, "draw_text")) {
            QFont font(skin->GetString(element, "font"));
            font.setPixelSize(skin->GetLong(element, "font_height"));
            font.setBold(skin->GetLong(element, "bold") != 0);
            p.setFont(font);
            p.setPen(QColor(SkinColourToRgb(static_cast<std::uint32_t>(skin->GetLong(element, "text_color_up")))));
            p.drawText(rect, Qt::AlignCenter, skin->GetString(element, "caption"));
        }
        p.restore();
    }

    QImage background_;
    QPoint grab_;
};

} // namespace

int main(int argc, char* argv[])
{
    if (PrintVersionIfAsked("vexlor", argc, argv))
        return 0;
    QApplication app(argc, argv);
    app.setWindowIcon(ApplicationIcon());
    CSkinManager manager("Skins");
    if (!manager.LoadSkin("Vexlor"))
        return 1;
    CSkinFaceWindow window(manager);
    window.show();
    return app.exec();
}
