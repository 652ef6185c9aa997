// Runs the tests on two offscreen screens side by side: "wide" at the origin,
// with two device pixels per logical pixel, and "plain" with one.
#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char* argv[])
{
    QTemporaryDir folder;
    const std::string config = folder.path().toStdString() + "/screens.json";
    FILE* file = std::fopen(config.c_str(), "w");
    if (!file)
        return 1;
    std::fputs(R"({"screens": [
  {"name": "plain", "x": 1920, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
  {"name": "wide", "x": 0, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 2}
]})", file);
    std::fclose(file);
    setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).c_str(), 1);
    unsetenv("QT_SCALE_FACTOR");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
