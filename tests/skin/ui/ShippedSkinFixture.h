#pragma once

#include "skin/ui/SkinManager.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QWidget>

#include <string>
#include <vector>

// Widget tests of the value controls run on the project's own skin, appended to
// the test program. Setting VEXLOR_GRAB_DIR saves grabs of the controls there,
// to look at them.
class ShippedSkinFixture : public ::testing::Test {
protected:
    class ErrorLog : public ISkinErrorSink {
    public:
        void OnSkinError(const std::string& text, Icon) override { texts.push_back(text); }
        std::vector<std::string> texts;
    };

    void SetUp() override
    {
        ASSERT_TRUE(manager.LoadSkin("Vexlor"));
        parent.setGeometry(0, 0, 300, 240);
        parent.setAutoFillBackground(true);
        QPalette palette = parent.palette();
        palette.setColor(QPalette::Window, QColor(0x1E, 0x21, 0x27));
        parent.setPalette(palette);
    }

    void TearDown() override { EXPECT_TRUE(errors.texts.empty()) << errors.texts.front(); }

    static void SaveGrab(QWidget& widget, const QString& name)
    {
        const QString folder = qEnvironmentVariable("VEXLOR_GRAB_DIR");
        if (!folder.isEmpty() && QDir().mkpath(folder))
            widget.grab().save(folder + "/" + name + ".png");
    }

    ErrorLog errors;
    CSkinManager manager{"Skins", &errors};
    QWidget parent;
};
