// The font configuration loaded ahead of the window must be the one fontconfig
// would load itself, and anything fontconfig would have to mend is left to it.
#include "app/ui/FontWarmUp.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

struct ConfigDeleter {
    void operator()(FcConfig* config) const { FcConfigDestroy(config); }
};
using Config = std::unique_ptr<FcConfig, ConfigDeleter>;

std::vector<std::string> Strings(FcStrList* list)
{
    std::vector<std::string> out;
    for (FcChar8* s = FcStrListNext(list); s != nullptr; s = FcStrListNext(list))
        out.emplace_back(reinterpret_cast<const char*>(s));
    FcStrListDone(list);
    return out;
}

std::string Unparsed(FcPattern* pattern)
{
    FcChar8* text = FcNameUnparse(pattern);
    std::string out = text != nullptr ? reinterpret_cast<const char*>(text) : "";
    FcStrFree(text);
    return out;
}

// What a font request comes to under `config`: the best match with all its
// rendering settings, then the files of the fallback list, in order.
std::vector<std::string> Answer(FcConfig* config, const char* request)
{
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(request));
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    std::vector<std::string> answer;
    if (FcPattern* match = FcFontMatch(config, pattern, &result)) {
        answer.push_back(Unparsed(match));
        FcPatternDestroy(match);
    }
    if (FcFontSet* sorted = FcFontSort(config, pattern, FcTrue, nullptr, &result)) {
        for (int i = 0; i < sorted->nfont; ++i) {
            FcChar8* file = nullptr;
            if (FcPatternGetString(sorted->fonts[i], FC_FILE, 0, &file) == FcResultMatch)
                answer.emplace_back(reinterpret_cast<const char*>(file));
        }
        FcFontSetDestroy(sorted);
    }
    FcPatternDestroy(pattern);
    return answer;
}

// Points fontconfig at another main file for one test.
class ConfigFile {
public:
    explicit ConfigFile(const std::string& text)
    {
        if (const char* old = std::getenv("FONTCONFIG_FILE"))
            saved_ = old;
        path_ = dir_.filePath("fonts.conf").toStdString();
        std::ofstream(path_) << text;
        setenv("FONTCONFIG_FILE", path_.c_str(), 1);
    }
    ~ConfigFile()
    {
        if (saved_)
            setenv("FONTCONFIG_FILE", saved_->c_str(), 1);
        else
            unsetenv("FONTCONFIG_FILE");
    }

private:
    QTemporaryDir dir_;
    std::string path_;
    std::optional<std::string> saved_;
};

TEST(FontWarmUpTest, TheConfigurationLoadedAnswersEveryRequestAsFontconfigsOwnWould)
{
    const Config ours(CFontWarmUp::LoadEnabledConfig());
    const Config theirs(FcInitLoadConfigAndFonts());
    ASSERT_TRUE(ours && theirs);

    EXPECT_EQ(Strings(FcConfigGetConfigDirs(ours.get())), Strings(FcConfigGetConfigDirs(theirs.get())));
    EXPECT_EQ(Strings(FcConfigGetFontDirs(ours.get())), Strings(FcConfigGetFontDirs(theirs.get())));
    EXPECT_EQ(Strings(FcConfigGetCacheDirs(ours.get())), Strings(FcConfigGetCacheDirs(theirs.get())));
    EXPECT_EQ(FcConfigGetRescanInterval(ours.get()), FcConfigGetRescanInterval(theirs.get()));
    const FcFontSet* ourFonts = FcConfigGetFonts(ours.get(), FcSetSystem);
    const FcFontSet* theirFonts = FcConfigGetFonts(theirs.get(), FcSetSystem);
    ASSERT_TRUE(ourFonts && theirFonts);
    EXPECT_GT(ourFonts->nfont, 0);
    EXPECT_EQ(ourFonts->nfont, theirFonts->nfont);

    // The skin's own font at its sizes, and what Qt asks for around it.
    for (const char* request : {"DejaVu Sans:pixelsize=11", "DejaVu Sans:pixelsize=13:weight=200",
                                "Sans Serif:pixelsize=12", "sans-serif:slant=100", "monospace:pixelsize=10",
                                "serif:lang=ja", "DejaVu Sans:pixelsize=9:hintstyle=3:antialias=false"})
        EXPECT_EQ(Answer(ours.get(), request), Answer(theirs.get(), request)) << request;
}

// A file that does not parse, no file at all, or no cache folder: fontconfig
// mends each (a fallback configuration, its default cache folders), so the
// warm-up leaves the load to it.
TEST(FontWarmUpTest, WhatFontconfigWouldMendIsLeftToIt)
{
    {
        ConfigFile broken("<?xml version=\"1.0\"?>\n<fontconfig><dir>/usr/share/fonts</dir>"
                          "<cachedir>/var/cache/fontconfig</cachedir><match>");
        EXPECT_EQ(CFontWarmUp::LoadEnabledConfig(), nullptr);
    }
    {
        ConfigFile noCache("<?xml version=\"1.0\"?>\n<fontconfig><dir>/usr/share/fonts</dir></fontconfig>\n");
        EXPECT_EQ(CFontWarmUp::LoadEnabledConfig(), nullptr);
    }
    {
        ConfigFile missing("");
        setenv("FONTCONFIG_FILE", "/nonexistent/vexlor/fonts.conf", 1);
        EXPECT_EQ(CFontWarmUp::LoadEnabledConfig(), nullptr);
    }
    {
        ConfigFile fine("<?xml version=\"1.0\"?>\n<fontconfig><dir>/usr/share/fonts</dir>"
                        "<cachedir>/var/cache/fontconfig</cachedir></fontconfig>\n");
        const Config config(CFontWarmUp::LoadEnabledConfig());
        ASSERT_TRUE(config);
        EXPECT_EQ(Strings(FcConfigGetFontDirs(config.get())).front(), "/usr/share/fonts");
    }
}

}  // namespace
