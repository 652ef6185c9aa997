#include "skin/HeldSkinErrors.h"
#include "skin/ui/SkinClient.h"
#include "skin/ui/SkinDrawing.h"
#include "skin/ui/SkinManager.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include <QFileInfo>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

class ErrorLog : public ISkinErrorSink {
public:
    void OnSkinError(const std::string& text, Icon icon) override
    {
        texts.push_back(text);
        icons.push_back(icon);
    }
    std::vector<std::string> texts;
    std::vector<Icon> icons;
};

// A skin written into a temporary folder; the archive path names no file, so
// every file comes from the folder.
class LooseSkin {
public:
    LooseSkin() { QDir(dir_.path()).mkpath("Test/Buttons"); }

    void Description(const std::string& text, const char* skin = "Test")
    {
        QFile file(Folder(skin) + "/skin.ini");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.c_str());
    }
    void Bitmap(const QString& path, QSize size, QColor colour, const char* skin = "Test")
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(colour);
        QDir(Folder(skin)).mkpath(QFileInfo(path).path());
        ASSERT_TRUE(image.save(Folder(skin) + '/' + path, "BMP"));
    }
    void Bytes(const QString& path, const QByteArray& bytes)
    {
        QFile file(Folder("Test") + '/' + path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QString Folder(const char* skin) const
    {
        QDir(dir_.path()).mkpath(skin);
        return dir_.path() + '/' + skin;
    }
    std::string Base() const { return dir_.path().toStdString(); }

private:
    QTemporaryDir dir_;
};

// A window whose skin client reads one image and counts its applications.
class SkinnedWidget : public QWidget, public CSkinClient {
public:
    SkinnedWidget(const char* element, CSkinManager& manager, QWidget* parent = nullptr)
        : QWidget(parent)
        , CSkinClient(element, manager)
    {
        Attach(this);
        ApplySkin();
    }
    ~SkinnedWidget() override { Detach(); }

    void ApplySkin() override
    {
        ++applied;
        face = GetImage("up");
        if (onApply)
            onApply();
    }

    QImage face;
    int applied = 0;
    std::function<void()> onApply;
};

constexpr const char* kNoArchive = "/nonexistent/vexlor-no-archive";

class SkinManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        skin.Description("IMAGE(Btn::up, \"Buttons\\Up.bmp\")\n"
                         "IMAGE(Twin::up, \"Buttons\\Up.bmp\")\n"
                         "IMAGE(Bad::up, \"Buttons\\Bad.bmp\")\n"
                         "LONG(Btn::width, 100)\n"
                         "STRING(Btn::caption, \"Go\")\n");
        skin.Bitmap("Buttons/Up.bmp", {30, 20}, Qt::red);
        skin.Bytes("Buttons/Bad.bmp", "BM not really a bitmap");
        manager = std::make_unique<CSkinManager>(skin.Base(), &errors, kNoArchive);
        ASSERT_TRUE(manager->LoadSkin("Test"));
    }

    LooseSkin skin;
    ErrorLog errors;
    std::unique_ptr<CSkinManager> manager;
};

TEST_F(SkinManagerTest, ButtonsOfOneElementShareABitmapThatGoesWithTheLastOfThem)
{
    auto first = std::make_unique<SkinnedWidget>("Btn", *manager);
    auto second = std::make_unique<SkinnedWidget>("Btn", *manager);
    CSkin& current = *manager->Skin();
    ASSERT_FALSE(first->face.isNull());
    EXPECT_EQ(first->face.size(), QSize(30, 20));
    EXPECT_EQ(first->face.cacheKey(), second->face.cacheKey());
    EXPECT_EQ(current.ImageUserCount("Btn", "up"), 2u);

    first.reset();
    EXPECT_TRUE(current.IsImageLoaded("Btn", "up"));
    EXPECT_EQ(current.ImageUserCount("Btn", "up"), 1u);
    const qint64 before = second->face.cacheKey();
    second.reset();
    EXPECT_FALSE(current.IsImageLoaded("Btn", "up"));

    // A later button loads the bitmap again from the skin's files.
    SkinnedWidget third("Btn", *manager);
    EXPECT_TRUE(current.IsImageLoaded("Btn", "up"));
    EXPECT_NE(third.face.cacheKey(), before);
    EXPECT_TRUE(errors.texts.empty());
}

TEST_F(SkinManagerTest, ElementsNamingOneFileShareItsImageAndKeepTheirOwnUsers)
{
    auto btn = std::make_unique<SkinnedWidget>("Btn", *manager);
    SkinnedWidget twin("Twin", *manager);
    EXPECT_EQ(twin.face.cacheKey(), btn->face.cacheKey()) << "the file is read once";
    btn.reset();
    CSkin& current = *manager->Skin();
    EXPECT_FALSE(current.IsImageLoaded("Btn", "up"));
    EXPECT_EQ(current.ImageUserCount("Twin", "up"), 1u);
    SkinnedWidget again("Btn", *manager);
    EXPECT_EQ(again.face.cacheKey(), twin.face.cacheKey());
}

TEST_F(SkinManagerTest, AnImageThatDoesNotLoadIsReportedOnEveryRequest)
{
    QWidget window;
    CSkin& current = *manager->Skin();
    EXPECT_TRUE(current.GetImage("Bad", "up", &window).isNull());
    EXPECT_TRUE(current.GetImage("Bad", "up", &window).isNull());
    ASSERT_EQ(errors.texts.size(), 2u);
    EXPECT_EQ(errors.texts[0], "Unable to load image: \"Buttons\\Bad.bmp\"");
    EXPECT_EQ(errors.icons[0], ISkinErrorSink::Icon::Error);
    EXPECT_FALSE(current.IsImageLoaded("Bad", "up"));
}

TEST_F(SkinManagerTest, ASkinWithoutTwinsGivesItsOwnImagesAtScaleTwoSilently)
{
    QWidget window;
    CSkin& current = *manager->Skin();
    const QImage face = current.GetImage("Btn", "up", &window, 2);
    EXPECT_EQ(face.size(), QSize(30, 20));
    EXPECT_EQ(face.devicePixelRatio(), 1.0);
    EXPECT_FALSE(current.IsImageLoaded("Btn", "up", 2));
    EXPECT_TRUE(current.IsImageLoaded("Btn", "up"));
    EXPECT_TRUE(errors.texts.empty());
    // An image that does not load is reported at either scale.
    EXPECT_TRUE(current.GetImage("Bad", "up", &window, 2).isNull());
    EXPECT_EQ(errors.texts.size(), 1u);
}

TEST_F(SkinManagerTest, TwinsLoadOnlyAtScaleTwoAndOnlyWithEvenSides)
{
    skin.Bitmap("Buttons/Up@2x.bmp", {60, 40}, Qt::blue);
    skin.Bitmap("Buttons/Bad@2x.bmp", {61, 40}, Qt::blue);
    // A window on a plain screen never loads a twin.
    SkinnedWidget plain("Btn", *manager);
    CSkin& current = *manager->Skin();
    EXPECT_EQ(plain.face.size(), QSize(30, 20));
    EXPECT_FALSE(current.IsImageLoaded("Btn", "up", 2));

    QWidget window;
    const QImage twin = current.GetImage("Btn", "up", &window, 2);
    EXPECT_EQ(twin.size(), QSize(60, 40));
    EXPECT_EQ(twin.devicePixelRatio(), 2.0);
    EXPECT_EQ(twin.pixelColor(59, 39), QColor(Qt::blue));
    EXPECT_EQ(current.ImageUserCount("Btn", "up"), 1u);
    current.ReleaseUser(&window);
    EXPECT_FALSE(current.IsImageLoaded("Btn", "up", 2));

    // A twin with an odd side stands for no image: the image itself is used,
    // and here it does not load, so that is reported as before.
    EXPECT_TRUE(current.GetImage("Bad", "up", &window, 2).isNull());
    EXPECT_EQ(errors.texts.size(), 1u);
}

TEST_F(SkinManagerTest, PrefetchedImagesAreServedOnceAndFailuresStillReported)
{
    skin.Bitmap("Buttons/Up@2x.bmp", {60, 40}, Qt::blue);
    CSkin& current = *manager->Skin();
    current.Prefetch({{"Btn", "up"}, {"Bad", "up"}, {"Undeclared", "up"}}, 1);
    current.Prefetch({{"Btn", "up"}}, 2);
    QWidget window;
    EXPECT_EQ(current.GetImage("Btn", "up", &window).pixelColor(0, 0), QColor(Qt::red));
    const QImage twin = current.GetImage("Btn", "up", &window, 2);
    EXPECT_EQ(twin.devicePixelRatio(), 2.0);
    EXPECT_EQ(twin.pixelColor(0, 0), QColor(Qt::blue));
    EXPECT_TRUE(current.GetImage("Bad", "up", &window).isNull());
    EXPECT_EQ(errors.texts.size(), 1u);

    // Once released, the image is read from its file again, not from what was
    // prefetched before.
    current.ReleaseUser(&window);
    skin.Bitmap("Buttons/Up.bmp", {30, 20}, Qt::green);
    EXPECT_EQ(current.GetImage("Btn", "up", &window).pixelColor(0, 0), QColor(Qt::green));
}

TEST_F(SkinManagerTest, AFaceHasOneShapePerMaskColourWhetherPrefetchedOrNot)
{
    // One file, two elements cutting out different colours, at both scales.
    for (const int scale : {1, 2}) {
        QImage face(8 * scale, 6 * scale, QImage::Format_RGB32);
        face.fill(Qt::white);
        face.setPixel(0, 0, qRgb(255, 0, 255));
        face.setPixel(face.width() - 1, face.height() - 1, qRgb(0, 255, 0));
        ASSERT_TRUE(face.save(skin.Folder("Test") + (scale == 1 ? "/Shaped.bmp" : "/Shaped@2x.bmp"), "BMP"));
    }
    skin.Description("IMAGE(Magenta::up, \"Shaped.bmp\")\nLONG(Magenta::bkcolormask, 0xFF00FF)\n"
                     "IMAGE(Green::up, \"Shaped.bmp\")\nLONG(Green::bkcolormask, 0x00FF00)\n");
    ASSERT_TRUE(manager->LoadSkin("Test"));
    for (const int scale : {1, 2}) {
        SCOPED_TRACE(scale);
        CSkin& current = *manager->Skin();
        current.Prefetch({{"Magenta", "up"}}, scale);
        QWidget window;
        const QImage magenta = current.GetImage("Magenta", "up", &window, scale);
        const QImage green = current.GetImage("Green", "up", &window, scale);
        ASSERT_EQ(magenta.cacheKey(), green.cacheKey());
        const QRegion magentaShape = current.Shape(magenta, 0xFF00FF);
        const QRegion greenShape = current.Shape(green, 0x00FF00);
        EXPECT_EQ(magentaShape, RegionFromBitmap(magenta, 0xFF00FF));
        EXPECT_EQ(greenShape, RegionFromBitmap(green, 0x00FF00));
        EXPECT_NE(magentaShape, greenShape);
        EXPECT_EQ(magentaShape.boundingRect(), QRect(0, 0, 8, 6)) << "in logical pixels";
        current.ReleaseUser(&window);
    }
}

TEST_F(SkinManagerTest, MissingKeysGiveTheirDefaultsSilently)
{
    QWidget window;
    CSkin& current = *manager->Skin();
    EXPECT_TRUE(current.GetImage("Btn", "over", &window).isNull());
    EXPECT_TRUE(current.GetIcon("Btn", "icon", &window).isNull());
    EXPECT_EQ(current.GetLong("Btn", "height"), 0);
    EXPECT_EQ(current.GetString("Btn", "tip"), QString());
    EXPECT_EQ(current.GetLong("Btn", "width"), 100);
    EXPECT_EQ(current.GetString("Btn", "caption"), "Go");
    EXPECT_TRUE(errors.texts.empty());
}

TEST_F(SkinManagerTest, NewSkinReachesEveryWindowBeforeTheOldSkinGoes)
{
    skin.Description("IMAGE(Btn::up, \"Up.bmp\")\n", "Second");
    skin.Bitmap("Up.bmp", {44, 12}, Qt::blue, "Second");
    SkinnedWidget a("Btn", *manager);
    SkinnedWidget b("Btn", *manager);
    CSkin* old = manager->Skin();
    int sawOldLoaded = 0;
    auto check = [&] { sawOldLoaded += old->IsImageLoaded("Btn", "up") ? 1 : 0; };
    a.onApply = check;
    b.onApply = check;

    ASSERT_TRUE(manager->LoadSkin("Second"));
    EXPECT_NE(manager->Skin(), old);
    EXPECT_EQ(sawOldLoaded, 2);
    EXPECT_EQ(a.applied, 2);
    EXPECT_EQ(b.applied, 2);
    EXPECT_EQ(a.face.size(), QSize(44, 12));
    EXPECT_EQ(manager->Skin()->ImageUserCount("Btn", "up"), 2u);
}

TEST_F(SkinManagerTest, ABrokenDescriptionKeepsTheCurrentSkin)
{
    skin.Description("LONG(A::b, 1)\nlong(A::c, 2)\n", "Broken");
    CSkin* current = manager->Skin();
    SkinnedWidget a("Btn", *manager);
    EXPECT_FALSE(manager->LoadSkin("Broken"));
    EXPECT_EQ(manager->Skin(), current);
    EXPECT_EQ(a.applied, 1);
    ASSERT_EQ(errors.texts.size(), 1u);
    EXPECT_EQ(errors.texts[0], "Error (0) in line 2");
}

TEST_F(SkinManagerTest, ASkinReadOnAnotherThreadSpeaksAndAppliesOnlyWhenTheProgramIsReady)
{
    // Start-up reads its skin while the application object is being made:
    // messages wait for a screen, and windows change only when the skin is used.
    skin.Description("LONG(A::b, 1)\nlong(A::c, 2)\n", "Broken");
    skin.Description("LONG(Btn::width, 7)\n", "Other");
    CHeldSkinErrors held(errors);
    CSkinManager early(skin.Base(), &held, kNoArchive);
    ASSERT_TRUE(early.LoadSkin("Test"));
    SkinnedWidget a("Btn", early);
    std::unique_ptr<CSkin> broken;
    std::unique_ptr<CSkin> other;
    std::thread reader([&] {
        broken = early.ReadSkin("Broken");
        other = early.ReadSkin("Other");
    });
    reader.join();
    EXPECT_EQ(broken, nullptr);
    ASSERT_NE(other, nullptr);
    EXPECT_TRUE(errors.texts.empty());
    EXPECT_EQ(a.applied, 1);

    held.Release();
    EXPECT_EQ(errors.texts, std::vector<std::string>{"Error (0) in line 2"});
    EXPECT_FALSE(early.UseSkin(std::move(broken)));
    ASSERT_TRUE(early.UseSkin(std::move(other)));
    EXPECT_EQ(a.applied, 2);
    EXPECT_EQ(early.Skin()->GetLong("Btn", "width"), 7);
    held.OnSkinError("after", ISkinErrorSink::Icon::None);
    EXPECT_EQ(errors.texts.back(), "after") << "released messages go straight through";
}

TEST_F(SkinManagerTest, DestroyedWindowsAreForgotten)
{
    auto widget = std::make_unique<SkinnedWidget>("Btn", *manager);
    QWidget* window = widget.get();
    EXPECT_TRUE(manager->IsRegistered(window));
    widget.reset();
    EXPECT_FALSE(manager->IsRegistered(window));
    EXPECT_TRUE(manager->LoadSkin("Test")); // must not touch the destroyed window
}

TEST_F(SkinManagerTest, SetElementAppliesTheOtherElementAtOnce)
{
    SkinnedWidget button("Bad", *manager);
    errors.texts.clear();
    button.SetElement("Btn");
    EXPECT_EQ(button.applied, 2);
    EXPECT_EQ(button.face.size(), QSize(30, 20));
    EXPECT_TRUE(errors.texts.empty());
}

TEST(SkinClient, FirstFreeControlIdSkipsIdentifiersChildrenUse)
{
    CSkinManager manager("Skins", nullptr, kNoArchive);
    SkinnedWidget window("Nothing", manager);
    EXPECT_EQ(window.FirstFreeControlId(), 101);
    QWidget child(&window);
    SetControlId(&child, 101);
    QWidget other(&window);
    SetControlId(&other, 103);
    EXPECT_EQ(window.FirstFreeControlId(), 102);
    SetControlId(&other, 102);
    EXPECT_EQ(window.FirstFreeControlId(), 103);
    // A grandchild's identifier does not count.
    QWidget grandchild(&child);
    SetControlId(&grandchild, 103);
    EXPECT_EQ(window.FirstFreeControlId(), 103);
}

TEST(SkinClient, LookupsBeforeAnySkinGiveDefaults)
{
    CSkinManager manager("Skins", nullptr, kNoArchive);
    SkinnedWidget window("Btn", manager);
    EXPECT_TRUE(window.face.isNull());
    EXPECT_EQ(window.GetLong("width"), 0);
    EXPECT_TRUE(window.GetString("caption").isEmpty());
}

TEST(SkinManagerFolders, SkinFolderJoinsWithOneSeparator)
{
    EXPECT_EQ(CSkinManager::JoinFolder("Skins", "Vexlor"), "Skins\\Vexlor");
    EXPECT_EQ(CSkinManager::JoinFolder("Skins\\", "Vexlor"), "Skins\\Vexlor");
    EXPECT_EQ(CSkinManager::JoinFolder("Skins/", "Vexlor"), "Skins/Vexlor");
}

TEST(SkinIcons, AnIconFileLoadsAndIsSharedLikeImages)
{
    LooseSkin skin;
    skin.Description("ICON(Tree::icon, \"tree_icon.ico\")\nICON(Tree::bad, \"nothing.ico\")\n");
    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(Qt::yellow);
    ASSERT_TRUE(icon.save(skin.Folder("Test") + "/tree_icon.ico", "ICO"));
    ErrorLog errors;
    CSkinManager manager(skin.Base(), &errors, kNoArchive);
    ASSERT_TRUE(manager.LoadSkin("Test"));
    QWidget a;
    CSkin& current = *manager.Skin();
    EXPECT_FALSE(current.GetIcon("Tree", "icon", &a).isNull());
    EXPECT_TRUE(current.IsIconLoaded("Tree", "icon"));
    current.ReleaseUser(&a);
    EXPECT_FALSE(current.IsIconLoaded("Tree", "icon"));
    EXPECT_TRUE(current.GetIcon("Tree", "bad", &a).isNull());
    ASSERT_EQ(errors.texts.size(), 1u);
    EXPECT_EQ(errors.texts[0], "Unable to load icon: \"nothing.ico\"");
}

} // namespace
