#include "settings/ConnectionProfiles.h"

#include <gtest/gtest.h>

namespace {

ConnectionProfile Named(const std::string& name, const std::string& host = "127.0.0.1")
{
    ConnectionProfile p;
    p.name = name;
    p.host = host;
    return p;
}

}  // namespace

TEST(ConnectionProfiles, NamesArePrintableUniqueAndAtMostFortyCharacters)
{
    CConnectionProfiles profiles;
    EXPECT_EQ(profiles.Add(Named("FM Site A")), ProfileNameProblem::None);
    EXPECT_EQ(profiles.Add(Named("fm site a")), ProfileNameProblem::Taken);
    EXPECT_EQ(profiles.Add(Named("")), ProfileNameProblem::Empty);
    EXPECT_EQ(profiles.Add(Named("   ")), ProfileNameProblem::Empty);
    EXPECT_EQ(profiles.Add(Named("HD\tchain")), ProfileNameProblem::NotPrintable);
    EXPECT_EQ(profiles.Add(Named(std::string(41, 'x'))), ProfileNameProblem::TooLong);
    // Forty characters of two bytes each are still forty characters.
    std::string umlauts;
    for (int i = 0; i < 40; ++i) umlauts += "\xC3\xA4";
    EXPECT_EQ(profiles.Add(Named(umlauts)), ProfileNameProblem::None);
    EXPECT_EQ(profiles.List().size(), 2u);
}

TEST(ConnectionProfiles, RenameKeepsTheCurrentChoiceAndRefusesTakenNames)
{
    CConnectionProfiles profiles;
    profiles.Add(Named("FM"));
    profiles.Add(Named("AM"));
    ASSERT_TRUE(profiles.Select("fm"));
    EXPECT_EQ(profiles.Current(), "FM");
    EXPECT_EQ(profiles.Rename("FM", "am"), ProfileNameProblem::Taken);
    EXPECT_EQ(profiles.Rename("FM", "Fm"), ProfileNameProblem::None);  // its own name in other letters
    EXPECT_EQ(profiles.Rename("Fm", "FM Site B"), ProfileNameProblem::None);
    EXPECT_EQ(profiles.Current(), "FM Site B");
    EXPECT_EQ(profiles.Find("FM Site B")->host, "127.0.0.1");
}

TEST(ConnectionProfiles, RemovingTheCurrentProfileMovesToItsNeighbour)
{
    CConnectionProfiles profiles;
    for (const char* name : {"A", "B", "C"}) profiles.Add(Named(name));
    profiles.Select("C");
    EXPECT_TRUE(profiles.Remove("C"));
    EXPECT_EQ(profiles.Current(), "B");
    profiles.Select("A");
    EXPECT_TRUE(profiles.Remove("A"));
    EXPECT_EQ(profiles.Current(), "B");
    EXPECT_FALSE(profiles.Remove("A"));
    EXPECT_TRUE(profiles.Remove("B"));
    EXPECT_EQ(profiles.Current(), "");
}

TEST(ConnectionProfiles, FirstStartNamesTheProfileAfterItsHostOnlyOnce)
{
    ConnectionSettings settings;
    settings.host = "127.0.0.9";
    settings.portNumber = 1300;
    settings.lockCode = 42;
    CConnectionProfiles profiles;
    AdoptSettingsAsFirstProfile(profiles, settings);
    ASSERT_EQ(profiles.List().size(), 1u);
    EXPECT_EQ(profiles.Current(), "127.0.0.9");
    ConnectionSettings back;
    ApplyProfile(*profiles.Find("127.0.0.9"), back);
    EXPECT_EQ(back.host, "127.0.0.9");
    EXPECT_EQ(back.portNumber, 1300u);
    EXPECT_EQ(back.lockCode, 42u);
    EXPECT_EQ(back.transportIndex, 0);

    settings.host = "127.0.0.10";
    AdoptSettingsAsFirstProfile(profiles, settings);
    EXPECT_EQ(profiles.List().size(), 1u);
}

TEST(ConnectionProfiles, FreeNamesAreCleanedCutAndNumbered)
{
    CConnectionProfiles profiles;
    EXPECT_EQ(profiles.FreeName(""), "Processor");
    EXPECT_EQ(profiles.FreeName("a\nb"), "a b");
    profiles.Add(Named("host"));
    EXPECT_EQ(profiles.FreeName("host"), "host (2)");
    const std::string longName(60, 'h');
    const std::string cut = profiles.FreeName(longName);
    EXPECT_EQ(cut, std::string(40, 'h'));
    profiles.Add(Named(cut));
    const std::string numbered = profiles.FreeName(longName);
    EXPECT_EQ(numbered.size(), 40u);
    EXPECT_EQ(profiles.CheckName(numbered), ProfileNameProblem::None);
}

TEST(ConnectionProfiles, SerialProfilesGiveASerialTransport)
{
    ConnectionSettings settings;
    settings.portName = "/dev/pts/3";
    settings.transportIndex = 1;
    const ConnectionProfile p = ProfileFromSettings(settings, "AM");
    ConnectionSettings back;
    ApplyProfile(p, back);
    EXPECT_EQ(back.transportIndex, 1);
    EXPECT_EQ(back.portName, "/dev/pts/3");
}
