#include "ElementHelpers.h"

#include "Paint.h"

void WriteFont(SkinWriter& w, int px, bool bold)
{
    w.String("font", kFontFamily);
    w.Long("font_height", px);
    w.Long("bold", bold ? 1 : 0);
}

void WritePlace(SkinWriter& w, const QRect& rect)
{
    w.Long("offset_left", rect.x());
    w.Long("offset_top", rect.y());
    w.Long("width", rect.width());
    w.Long("height", rect.height());
}

void WriteButton(SkinWriter& w, const QString& folder, const QString& name, const FaceSpec& spec,
                 const ButtonOptions& o)
{
    const ButtonFaces faces = MakeButtonFaces(spec);
    const QString base = folder + '\\' + name;
    w.Image("up", base + "_Up.bmp", faces.up);
    w.Image("down", base + "_Down.bmp", faces.down);
    w.Image("over", base + "_Over.bmp", faces.over);
    w.Image("disabled", base + "_Disabled.bmp", faces.disabled);
    w.Image("down_disabled", base + "_DownDisabled.bmp", faces.downDisabled);
    w.Long("offset_left", o.at.x());
    w.Long("offset_top", o.at.y());
    // Width 0: the button takes the size of its "up" face, so the mask shape
    // matches the face pixel for pixel.
    w.Long("width", o.stretchTo.isValid() ? o.stretchTo.width() : 0);
    w.Long("height", o.stretchTo.isValid() ? o.stretchTo.height() : 0);
    w.Long("resize_line_x", o.resizeLines.x());
    w.Long("resize_line_y", o.resizeLines.y());
    w.Colour("bkcolormask", pal::kMask.rgb());
    w.Long("rgn_rect", o.rectShape ? 1 : 0);
    w.Long("draw_text", o.drawText ? 1 : 0);
    const FaceTextColours text = TextColoursFor(spec.kind);
    w.Colour("text_color_up", text.up.rgb());
    w.Colour("text_color_over", text.over.rgb());
    w.Colour("text_color_down", text.down.rgb());
    w.Colour("text_color_disabled", text.disabled.rgb());
    w.Colour("text_color_down_disabled", text.downDisabled.rgb());
    WriteFont(w, o.fontPx, o.bold);
    if (!o.caption.isEmpty())
        w.String("caption", o.caption);
    w.Long("stick", o.stick ? 1 : 0);
    if (!o.tip.isEmpty()) {
        w.String("tip", o.tip);
        w.Long("tip_delay", 600);
    }
    if (!o.margins.isNull()) {
        w.Long("x_margin", o.margins.x());
        w.Long("y_margin", o.margins.y());
    }
}

void WriteStatic(SkinWriter& w, const StaticOptions& o)
{
    WritePlace(w, o.rect);
    if (!o.caption.isEmpty())
        w.String("caption", o.caption);
    if (o.fill.isValid())
        w.Colour("bkcolor", o.fill.rgb());
    else
        w.Long("bkcolor", 0);
    w.Colour("text_color", o.text.rgb());
    w.Long("font_alignment", o.alignment);
    WriteFont(w, o.fontPx, o.bold);
}

void WriteEdit(SkinWriter& w, const QRect& rect, const QColor& back, const QColor& text, int fontPx)
{
    WritePlace(w, rect);
    w.Colour("bkcolor", back.rgb());
    w.Colour("textcolor", text.rgb());
    WriteFont(w, fontPx, false);
}
