#include "macros/profiles.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

#include "macros/macros_folder.h"
#include "tests/macros/profile_rig.h"

namespace veltranix {
namespace {

using testing::ReadFile;
using testing::TemporaryFolder;
using testing::WriteFile;

class ProfilesTest : public ::testing::Test, protected testing::ProfileRig {
  protected:
    ProfilesTest() {
        lexicon.slots[static_cast<std::size_t>(LexiconKey::E7)] = "Exists.";
        lexicon.slots[static_cast<std::size_t>(LexiconKey::E4)] = "Warning";
    }

    // A valid profile file whose first macro has the given name.
    void WriteProfile(const std::string& fileName, std::u16string firstName) {
        auto set = std::make_unique<MacroSet>();
        (*set)[0].name = std::move(firstName);
        ASSERT_TRUE(store.WriteMacroFileAt(macrosDir / fileName, *set));
    }
    std::string StoredProfileName() {
        persistence.LoadProfileName();
        return settings.profileName;
    }
};

TEST_F(ProfilesTest, FirstStartWithAnEmptyFolderWritesDefaultAndMakesItCurrent) {
    profiles.ChooseStartupProfile();
    EXPECT_EQ(profiles.profileFileName(), "Default.cfg");
    EXPECT_EQ(StoredProfileName(), "Default.cfg");
    EXPECT_EQ(ListProfiles(macrosDir), std::vector<std::string>{"Default.cfg"});
    EXPECT_EQ(ReadFile(macrosDir / "Default.cfg"), EncodeMacroFile(DefaultMacroSet()));
    EXPECT_EQ(sets->workingMacros, DefaultMacroSet());
}

TEST_F(ProfilesTest, StartUpLoadsTheStoredProfileOrDefaultForANameOutsideTheFolder) {
    WriteProfile("Work.cfg", u"mine");
    WriteProfile("Default.cfg", u"own default");
    WriteProfile("../escape.cfg", u"outside");
    persistence.SaveProfileName("Work.cfg");
    profiles.ChooseStartupProfile();
    EXPECT_EQ(profiles.profileFileName(), "Work.cfg");
    EXPECT_EQ(sets->workingMacros[0].name, u"mine");
    EXPECT_EQ(sets->defaultMacros, DefaultMacroSet());
    persistence.SaveProfileName("../escape.cfg");
    profiles.ChooseStartupProfile();
    EXPECT_EQ(profiles.profileFileName(), "Default.cfg");
    EXPECT_EQ(sets->workingMacros[0].name, u"own default");
}

TEST_F(ProfilesTest, ACorruptCurrentProfileIsSetAsideAndDefaultBecomesCurrent) {
    WriteProfile("Default.cfg", u"own default");
    const std::string corrupt = testing::OneHeaderShort();
    WriteFile(macrosDir / "Work.cfg", corrupt);
    ASSERT_TRUE(profiles.SelectProfile("Work.cfg"));
    EXPECT_EQ(profiles.profileFileName(), "Default.cfg");
    EXPECT_EQ(StoredProfileName(), "Default.cfg");
    EXPECT_EQ(sets->workingMacros[0].name, u"own default");
    EXPECT_FALSE(std::filesystem::exists(macrosDir / "Work.cfg"));
    EXPECT_EQ(ReadFile(macrosDir / "Work.cfg.bad"), corrupt);
}

// A file with no section header reads as the old layout and is converted
// into six empty macros: what it held is copied aside first, each time under
// a name of its own.
TEST_F(ProfilesTest, AFileWithoutHeadersIsCopiedAsideBeforeItIsConverted) {
    std::string utf16BigEndian = EncodeMacroFile(DefaultMacroSet());
    for (std::size_t at = 0; at + 1 < utf16BigEndian.size(); at += 2) {
        std::swap(utf16BigEndian[at], utf16BigEndian[at + 1]);
    }
    const std::vector<std::string> contents = {"plain notes\r\n",
                                               std::string("\x00\xFF\x13\x37", 4), utf16BigEndian,
                                               "NOM_MACRO\rx\rTEXT_MACRO\r"};
    for (std::size_t index = 0; index < contents.size(); ++index) {
        WriteFile(macrosDir / "Work.cfg", contents[index]);
        ASSERT_TRUE(profiles.SelectProfile("Work.cfg"));
        EXPECT_EQ(profiles.profileFileName(), "Work.cfg");
        const std::string copy = index == 0 ? ".bad" : ".bad" + std::to_string(index);
        EXPECT_EQ(ReadFile(macrosDir / ("Work.cfg" + copy)), contents[index]) << index;
        EXPECT_EQ(store.ValidateMacroFile(macrosDir / "Work.cfg"), MacroFileKind::Current);
    }
}

// When no .bad name is free the file is left where it is and the user told;
// Default.cfg is then not overwritten either.
TEST_F(ProfilesTest, AnInvalidFileThatCannotBeSetAsideIsNeverDeleted) {
    for (const char* name : {"Work.cfg", "Default.cfg"}) {
        WriteFile(macrosDir / name, "MAX_CARACTER\r\n");  // invalid: unequal headers
        WriteFile(macrosDir / (std::string(name) + ".bad"), "");
        for (int index = 1; index < 1000; ++index) {
            WriteFile(macrosDir / (std::string(name) + ".bad" + std::to_string(index)), "");
        }
    }
    ASSERT_TRUE(profiles.SelectProfile("Work.cfg"));
    EXPECT_EQ(ReadFile(macrosDir / "Work.cfg"), "MAX_CARACTER\r\n");
    EXPECT_EQ(ReadFile(macrosDir / "Default.cfg"), "MAX_CARACTER\r\n");
    ASSERT_EQ(userInterface.messages.size(), 2u);
    EXPECT_NE(userInterface.messages[0].text.find("Work.cfg"), std::string::npos);
    EXPECT_EQ(profiles.profileFileName(), "Default.cfg");
    EXPECT_EQ(sets->workingMacros, DefaultMacroSet()) << "the defaults, in memory";
}

TEST_F(ProfilesTest, RecoveryWithAnUnwritableFolderKeepsTheDefaultsInMemory) {
    MacroFileStore readOnly(*sets, [](const auto&, std::string_view) { return false; });
    Profiles stuck(readOnly, persistence, settings, macrosDir, lexicon, userInterface);
    WriteFile(macrosDir / "Work.cfg", "junk without headers\r\n");
    WriteFile(macrosDir / "Default.cfg", "");
    readOnly.setMacroFilePath(macrosDir / "Default.cfg");
    stuck.LoadMacroFile();  // would recurse for ever if recovery re-read an unwritten file
    EXPECT_EQ(sets->workingMacros, DefaultMacroSet());
    ASSERT_FALSE(userInterface.messages.empty()) << "the user hears that Default.cfg is not kept";
    EXPECT_NE(userInterface.messages.back().text.find("could not be written"), std::string::npos);
}

TEST_F(ProfilesTest, CreatingWritesTheBuiltInsLoadsThemAndChangesNothingCurrent) {
    WriteProfile("Work.cfg", u"mine");
    ASSERT_TRUE(profiles.SelectProfile("Work.cfg"));
    EXPECT_EQ(profiles.CreateProfile(" New Set "), ProfileCreation::Created);
    EXPECT_EQ(ReadFile(macrosDir / "NewSet.cfg"), EncodeMacroFile(DefaultMacroSet()));
    EXPECT_EQ(profiles.profileFileName(), "Work.cfg");
    EXPECT_EQ(StoredProfileName(), "Work.cfg");
    EXPECT_EQ(store.macroFilePath(), macrosDir / "Work.cfg");
    EXPECT_EQ(sets->workingMacros, DefaultMacroSet()) << "the new profile's macros are edited";
}

TEST_F(ProfilesTest, CreatingAnExistingNameTellsTheUserAndTouchesNothing) {
    WriteProfile("Work.cfg", u"mine");
    const std::string before = ReadFile(macrosDir / "Work.cfg");
    EXPECT_EQ(profiles.CreateProfile("Work"), ProfileCreation::AlreadyExists);
    EXPECT_EQ(ReadFile(macrosDir / "Work.cfg"), before);
    EXPECT_EQ(userInterface.messages, (std::vector<ShownMessage>{{"Exists.", "Warning"}}));
}

TEST(ProfileNames, TheBoxFilterAndTheFileName) {
    const std::pair<const char*, const char*> valid[] = {{"Work", "Work.cfg"},
                                                         {"a b-c_9", "ab-c_9.cfg"},
                                                         {"Espa\u00F1a", "Espa\u00F1a.cfg"},
                                                         {"my.set", "my.set.cfg"}};
    for (const auto& [typed, fileName] : valid) {
        EXPECT_EQ(ProfileFileNameFromTyped(typed).check, ProfileNameCheck::Valid) << typed;
        EXPECT_EQ(ProfileFileNameFromTyped(typed).fileName, fileName) << typed;
    }
    const auto refusal = [](const char* typed) {
        const ProfileNameResult result = ProfileFileNameFromTyped(typed);
        EXPECT_EQ(result.fileName, "") << typed;
        return result.check;
    };
    for (const char* typed : {"   ", ""}) {
        EXPECT_EQ(refusal(typed), ProfileNameCheck::Empty) << typed;
    }
    for (const char* typed :
         {"../etc", "a/b", "a\\b", "..", ".hidden", "elevenchars", "caf\u00E9"}) {
        EXPECT_EQ(refusal(typed), ProfileNameCheck::Refused) << typed;
    }
}

TEST(ProfileFileNames, OnlyPlainNamesInsideTheFolderAreSafe) {
    EXPECT_TRUE(IsSafeProfileFileName("Default.cfg"));
    const std::string unsafe[] = {"../x.cfg", "sub/x.cfg", "..\\x.cfg",
                                  ".cfg",     "x.txt",     std::string("a\0b.cfg", 7)};
    for (const std::string& name : unsafe) {
        EXPECT_FALSE(IsSafeProfileFileName(name)) << name;
    }
}

// Deleting another profile keeps the stored name and loads Default.cfg;
// deleting the current one makes Default.cfg current; deleting the current
// Default.cfg writes the built-in macros.
TEST_F(ProfilesTest, DeletingAProfileFallsBackToDefault) {
    WriteProfile("Default.cfg", u"own default");
    WriteProfile("Work.cfg", u"mine");
    WriteProfile("Old.cfg", u"old");
    ASSERT_TRUE(profiles.SelectProfile("Work.cfg"));
    EXPECT_EQ(profiles.DeleteProfile("Old.cfg"), ProfileDeletion::Deleted);
    EXPECT_EQ(StoredProfileName(), "Work.cfg");
    EXPECT_EQ(store.macroFilePath(), macrosDir / "Default.cfg");
    EXPECT_EQ(sets->workingMacros[0].name, u"own default");
    ASSERT_TRUE(profiles.SelectProfile("Work.cfg"));
    EXPECT_EQ(profiles.DeleteProfile("Work.cfg"), ProfileDeletion::Deleted);
    EXPECT_FALSE(std::filesystem::exists(macrosDir / "Work.cfg"));
    EXPECT_EQ(StoredProfileName(), "Default.cfg");
    EXPECT_EQ(sets->workingMacros[0].name, u"own default");
    EXPECT_EQ(profiles.DeleteProfile("Default.cfg"), ProfileDeletion::Deleted);
    EXPECT_EQ(ReadFile(macrosDir / "Default.cfg"), EncodeMacroFile(DefaultMacroSet()));
}

TEST_F(ProfilesTest, PathsOutsideTheFolderAreNeverDeletedOrSelected) {
    WriteFile(folder.path() / "victim.cfg", "keep");
    EXPECT_EQ(profiles.DeleteProfile("../victim.cfg"), ProfileDeletion::InvalidName);
    EXPECT_FALSE(profiles.SelectProfile("../victim.cfg"));
    EXPECT_EQ(ReadFile(folder.path() / "victim.cfg"), "keep");
}

TEST_F(ProfilesTest, ListingKeepsFiftyRegularCfgFilesAndSkipsLinks) {
    for (int index = 0; index < 55; ++index) {
        WriteFile(macrosDir / ("p" + std::to_string(100 + index) + ".cfg"), "x");
    }
    WriteFile(macrosDir / "notes.txt", "x");
    std::filesystem::create_directories(macrosDir / "dir.cfg");
    WriteFile(folder.path() / "elsewhere", "x");
    std::filesystem::create_symlink(folder.path() / "elsewhere", macrosDir / "a-link.cfg");
    const auto names = ListProfiles(macrosDir);
    ASSERT_EQ(names.size(), kMaxListedProfiles);
    EXPECT_EQ(names.front(), "p100.cfg");
    EXPECT_TRUE(ProfileExists(macrosDir, "p154.cfg"));
    EXPECT_FALSE(ProfileExists(macrosDir, "P100.cfg"));
}

TEST(MacrosFolder, BesideTheProgramWhenWritableElseUnderTheUserDataFolder) {
    TemporaryFolder folder;
    EXPECT_EQ(PrepareMacrosFolder(ProgramFolder{folder.path()}, {}), folder.path() / "Macros");

    // A program folder where no folder can be made: a file stands in its way.
    WriteFile(folder.path() / "program", "x");
    const ProgramFolder blocked{folder.path() / "program"};
    const auto fallback = PrepareMacrosFolder(blocked, {(folder.path() / "data").string(), {}});
    ASSERT_TRUE(fallback);
    EXPECT_EQ(*fallback, folder.path() / "data" / "veltranix" / "Macros");
    EXPECT_TRUE(std::filesystem::is_directory(*fallback));
    EXPECT_EQ(PrepareMacrosFolder(blocked, {"relative", folder.path().string()}),
              folder.path() / ".local" / "share" / "veltranix" / "Macros");
    EXPECT_FALSE(PrepareMacrosFolder(blocked, {}));

    // A folder installed for all users stays untouched, writable or not.
    WriteFile(folder.path() / "shared-install", "");
    EXPECT_EQ(
        PrepareMacrosFolder(ProgramFolder{folder.path()}, {(folder.path() / "data").string(), {}}),
        folder.path() / "data" / "veltranix" / "Macros");
}

}  // namespace
}  // namespace veltranix
