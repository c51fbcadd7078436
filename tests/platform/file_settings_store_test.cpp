#include "platform/linux/file_settings_store.h"
#include "platform/linux/user_locale.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

#include "settings/settings.h"
#include "tests/support/temporary_folder.h"

namespace veltranix {
namespace {

using namespace store_keys;
using testing::ReadFile;
using testing::TemporaryFolder;
using testing::WriteFile;

class FileStore : public ::testing::Test {
  protected:
    StoreLocations Locations() const {
        return {temporary.path() / "config" / "settings.store", temporary.path() / "autostart"};
    }
    TemporaryFolder temporary;
};

TEST_F(FileStore, FirstStartHasNoFileAndEveryChangeIsSavedAtOnce) {
    FileSettingsStore store(Locations());
    EXPECT_EQ(store.open(), StoreOpening::NoFile);
    ASSERT_EQ(store.createKey(kSystem), StoreStatus::Ok);
    ASSERT_EQ(WriteInteger(store, kSystem, "so", 1), StoreStatus::Ok);
    ASSERT_EQ(WritePaddedText(store, kProfileWritten, "perfil", "A.cfg", 256),
              StoreStatus::KeyMissing);

    FileSettingsStore reopened(Locations());
    ASSERT_EQ(reopened.open(), StoreOpening::Loaded);
    EXPECT_EQ(ReadInteger(reopened, "software\\veltranix\\MENU_CONF_SYSTEM", "SO"), 1);
    EXPECT_NE(ReadFile(Locations().storeFile).find("\"so\"=integer:1"), std::string::npos);
}

TEST_F(FileStore, CorruptFileIsSetAsideAndTheStoreStartsEmpty) {
    WriteFile(Locations().storeFile, "[Software\\Veltranix]\n\"so\"=integer:one\n");
    FileSettingsStore store(Locations());
    EXPECT_EQ(store.open(), StoreOpening::CorruptSetAside);
    EXPECT_NE(store.lastError().find("line 2"), std::string::npos) << store.lastError();
    ASSERT_FALSE(store.setAsidePath().empty());
    EXPECT_EQ(ReadFile(store.setAsidePath()), "[Software\\Veltranix]\n\"so\"=integer:one\n");
    EXPECT_FALSE(std::filesystem::exists(Locations().storeFile));
    EXPECT_FALSE(store.keyExists("Software\\Veltranix"));
    EXPECT_EQ(store.createKey(kSystem), StoreStatus::Ok);
    EXPECT_TRUE(std::filesystem::exists(store.setAsidePath())) << "the old file is kept";
}

TEST_F(FileStore, StoreThatCannotBeReadIsNeverOverwritten) {
    std::filesystem::create_directories(Locations().storeFile);  // not a file
    WriteFile(Locations().storeFile / "inside", "kept");
    FileSettingsStore store(Locations());
    EXPECT_EQ(store.open(), StoreOpening::Unreadable);
    EXPECT_EQ(store.createKey(kSystem), StoreStatus::WriteFailed);
    EXPECT_NE(store.lastError().find("not overwritten"), std::string::npos) << store.lastError();
    EXPECT_TRUE(store.keyExists(kSystem)) << "the program goes on with memory";
    EXPECT_EQ(ReadFile(Locations().storeFile / "inside"), "kept");
}

int FailingFsync(int) {
    errno = EIO;
    return -1;
}

TEST_F(FileStore, FailedSaveIsReportedAndTheFileKeepsItsLastGoodContent) {
    {
        FileSettingsStore store(Locations());
        store.open();
        store.createKey(kSystem);
        WriteInteger(store, kSystem, "so", 1);
    }
    const std::string before = ReadFile(Locations().storeFile);
    FileSettingsStore store(Locations(), {&::write, &FailingFsync});
    ASSERT_EQ(store.open(), StoreOpening::Loaded);
    EXPECT_EQ(WriteInteger(store, kSystem, "so", 0), StoreStatus::WriteFailed);
    EXPECT_NE(store.lastError().find("flush"), std::string::npos) << store.lastError();
    EXPECT_EQ(ReadInteger(store, kSystem, "so"), 0) << "the program goes on with memory";
    EXPECT_EQ(ReadFile(Locations().storeFile), before);
}

TEST_F(FileStore, LogOnEntryBecomesAnAutostartFileAndGoesAway) {
    FileSettingsStore store(Locations());
    store.open();
    EXPECT_TRUE(store.keyExists(kLogOnRun)) << "the desktop always has the place";
    ASSERT_EQ(WriteBareText(store, kLogOnRun, kLogOnValue, "/opt/velt ranix/veltranix"),
              StoreStatus::Ok);
    const auto entry = Locations().autostartFolder / "veltranix.desktop";
    ASSERT_TRUE(std::filesystem::exists(entry));
    const std::string text = ReadFile(entry);
    EXPECT_NE(text.find("[Desktop Entry]\n"), std::string::npos);
    EXPECT_NE(text.find("Type=Application\n"), std::string::npos);
    EXPECT_NE(text.find("Exec=\"/opt/velt ranix/veltranix\"\n"), std::string::npos) << text;
    EXPECT_EQ(ReadText(store, kLogOnRun, kLogOnValue, 300), "/opt/velt ranix/veltranix");

    std::filesystem::remove(entry);  // removed by the user's desktop settings
    EXPECT_FALSE(store.readValue(kLogOnRun, kLogOnValue));

    WriteBareText(store, kLogOnRun, kLogOnValue, "/opt/v/veltranix");
    ASSERT_EQ(store.deleteValue(kLogOnRun, kLogOnValue), StoreStatus::Ok);
    EXPECT_FALSE(std::filesystem::exists(entry));
    EXPECT_EQ(store.deleteValue(kLogOnRun, kLogOnValue), StoreStatus::ValueMissing);
}

TEST(AutostartEntry, ExecLineEscapesSpecialCharacters) {
    const std::string text = AutostartDesktopEntry("/a\"b$c`d\\e/veltranix");
    EXPECT_NE(text.find("Exec=\"/a\\\\\"b\\\\$c\\\\`d\\\\\\\\e/veltranix\"\n"), std::string::npos)
        << text;
}

TEST(StoreLocationsFromEnvironment, OverrideAndXdgFolders) {
    setenv("XDG_CONFIG_HOME", "/tmp/xdg-config", 1);
    setenv("VELTRANIX_CONFIG_HOME", "/tmp/veltranix-trial", 1);
    StoreLocations locations = StoreLocations::FromEnvironment();
    EXPECT_EQ(locations.storeFile, "/tmp/veltranix-trial/settings.store");
    EXPECT_EQ(locations.autostartFolder, "/tmp/xdg-config/autostart");
    unsetenv("VELTRANIX_CONFIG_HOME");
    locations = StoreLocations::FromEnvironment();
    EXPECT_EQ(locations.storeFile, "/tmp/xdg-config/veltranix/settings.store");
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", "/home/user", 1);
    locations = StoreLocations::FromEnvironment();
    EXPECT_EQ(locations.storeFile, "/home/user/.config/veltranix/settings.store");
    EXPECT_EQ(locations.autostartFolder, "/home/user/.config/autostart");
}

TEST(UserInterfaceLanguage, FirstSetLocaleVariableWins) {
    setenv("LC_ALL", "", 1);
    setenv("LC_MESSAGES", "es_ES.UTF-8", 1);
    setenv("LANG", "it_IT.UTF-8", 1);
    EXPECT_EQ(UserInterfaceLanguageId(), 0x0C0A);
    setenv("LC_ALL", "pt_BR.UTF-8", 1);
    EXPECT_EQ(UserInterfaceLanguageId(), 0x0416);
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    EXPECT_EQ(UserInterfaceLanguageId(), 0x0410);
    unsetenv("LANG");
    EXPECT_EQ(UserInterfaceLanguageId(), 0x0409);
}

}  // namespace
}  // namespace veltranix
