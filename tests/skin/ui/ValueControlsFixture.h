#pragma once

#include "SkinControlsFixture.h"

#include <QDir>
#include <QWidget>

// Widget tests of the value controls run on the project's own skin, on a plain
// parent in the window colour. Setting VEXLOR_GRAB_DIR saves grabs of the
// controls there, to look at them.
class ValueControlsFixture : public skinui::ShippedSkin {
protected:
    void SetUp() override
    {
        skinui::ShippedSkin::SetUp();
        parent.setGeometry(0, 0, 300, 240);
        parent.setAutoFillBackground(true);
        QPalette palette = parent.palette();
        palette.setColor(QPalette::Window, QColor(0x1E, 0x21, 0x27));
        parent.setPalette(palette);
    }

    void TearDown() override { EXPECT_TRUE(errors.texts.empty()) << errors.texts.front(); }

    static void SaveGrab(QWidget& widget, const QString& name) { skinui::SaveGrab(widget, name); }

    QWidget parent;
};
