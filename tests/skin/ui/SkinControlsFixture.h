#pragma once

#include "skin/ui/SkinManager.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QWidget>

#include <string>
#include <vector>

// Skins for the skinned-control tests: the project's own skin appended to the
// test program, and small skins written into a temporary folder.
namespace skinui {

class ErrorLog : public ISkinErrorSink {
public:
    void OnSkinError(const std::string& text, Icon) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

// The shipped Vexlor skin, read from the archive appended to this program.
class ShippedSkin : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(manager.LoadSkin("Vexlor")); }

    ErrorLog errors;
    CSkinManager manager{"Skins", &errors};
};

// A skin written into a temporary folder as "Test"; the archive path names no
// file, so every file comes from the folder.
class LooseSkin : public ::testing::Test {
protected:
    void Write(const std::string& description, const char* skin = "Test")
    {
        QDir(dir_.path()).mkpath(skin);
        QFile file(dir_.path() + '/' + skin + "/skin.ini");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(description.c_str());
    }
    void Bitmap(const QString& path, const QImage& image, const char* skin = "Test")
    {
        const QString full = dir_.path() + '/' + skin + '/' + path;
        QDir().mkpath(QFileInfo(full).path());
        ASSERT_TRUE(image.convertToFormat(QImage::Format_RGB888).save(full, "BMP"));
    }
    void Load(const char* skin = "Test") { ASSERT_TRUE(manager.LoadSkin(skin)) << Errors(); }
    std::string Errors() const
    {
        std::string all;
        for (const std::string& text : errors.texts)
            all += text + '\n';
        return all;
    }

    QTemporaryDir dir_;
    ErrorLog errors;
    CSkinManager manager{dir_.path().toStdString(), &errors, "/nonexistent"};
};

// An image of one colour.
inline QImage Filled(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Setting VEXLOR_GRAB_DIR saves grabs of the controls there, to look at them.
inline void SaveGrab(QWidget& widget, const QString& name)
{
    const QString folder = qEnvironmentVariable("VEXLOR_GRAB_DIR");
    if (!folder.isEmpty() && QDir().mkpath(folder))
        widget.grab().save(folder + "/" + name + ".png");
}

// Whether two images hold the same pixels, compared as opaque RGB.
inline bool SamePixels(const QImage& a, const QImage& b)
{
    return a.size() == b.size() && a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

} // namespace skinui
