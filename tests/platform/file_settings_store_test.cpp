#include "platform/linux/file_settings_store.h"
#include "platform/linux/user_locale.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <vector>

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

// A file that cannot be followed at all is renamed, never over an earlier
// copy (two in one second once replaced the first).
TEST_F(FileStore, AFileThatCannotBeFollowedIsSetAsideUnderAFreeName) {
    const std::string garbage(
        "\x7F"
        "ELF\x02\x01\x00\x00 not a store\n",
        20);
    std::vector<std::filesystem::path> taken;
    const std::time_t now = std::time(nullptr);
    for (std::time_t second = now - 1; second <= now + 3; ++second) {
        std::tm parts{};
        localtime_r(&second, &parts);
        char stamp[32];
        std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &parts);
        taken.push_back(Locations().storeFile.string() + ".corrupt-" + stamp);
        WriteFile(taken.back(), "earlier copy");
    }
    WriteFile(Locations().storeFile, garbage);
    FileSettingsStore store(Locations());
    EXPECT_EQ(store.open(), StoreOpening::CorruptSetAside);
    EXPECT_NE(store.lastError().find("settings.store"), std::string::npos) << store.lastError();
    ASSERT_FALSE(store.setAsidePath().empty());
    EXPECT_EQ(ReadFile(store.setAsidePath()), garbage);
    for (const auto& earlier : taken) {
        EXPECT_EQ(ReadFile(earlier), "earlier copy");
    }
    EXPECT_FALSE(std::filesystem::exists(Locations().storeFile));
    EXPECT_FALSE(store.keyExists("Software\\Veltranix"));
    EXPECT_EQ(store.createKey(kSystem), StoreStatus::Ok);

    // Too large to be a store: not even read whole.
    WriteFile(Locations().storeFile, std::string(StoreTree::kMaxTextBytes + 1, ';'));
    FileSettingsStore large(Locations());
    EXPECT_EQ(large.open(), StoreOpening::CorruptSetAside);
    EXPECT_EQ(std::filesystem::file_size(large.setAsidePath()), StoreTree::kMaxTextBytes + 1);
    EXPECT_NE(large.setAsidePath(), store.setAsidePath());
}

// One unreadable line costs only its value; a copy of the file as it was is
// kept, because the next save leaves the line out. So are a byte-order mark
// and CR LF line ends, which some editors write.
TEST_F(FileStore, AnUnreadableLineCostsOnlyItsValueAndTheFileIsKeptAsItWas) {
    const std::string text =
        "\xEF\xBB\xBF[Software\\Veltranix\\Menu_conf_Ratoli]\r\n\"nivellUll\"=integer:48\r\n"
        "\"nivellBoca\"=integer:4294967296\r\n\"OffSetRefUll\"=text:\"-12\"\r\n";
    WriteFile(Locations().storeFile, text);
    FileSettingsStore store(Locations());
    EXPECT_EQ(store.open(), StoreOpening::PartlyLoaded);
    EXPECT_NE(store.lastError().find("line 3"), std::string::npos) << store.lastError();
    EXPECT_EQ(ReadInteger(store, kMouse, "nivellUll"), 48);
    EXPECT_EQ(ReadText(store, kMouse, "OffSetRefUll", 51), "-12");
    EXPECT_FALSE(store.readValue(kMouse, "nivellBoca"));
    ASSERT_FALSE(store.setAsidePath().empty());
    EXPECT_EQ(ReadFile(store.setAsidePath()), text);
    EXPECT_EQ(WriteInteger(store, kMouse, "nivellBoca", 60), StoreStatus::Ok);
    EXPECT_EQ(ReadFile(store.setAsidePath()), text);
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
    const std::string program = "/opt/a\"b$c`d\\e/100%u/velt ranix/veltranix";
    ASSERT_EQ(WriteBareText(store, kLogOnRun, kLogOnValue, program), StoreStatus::Ok);
    const auto entry = Locations().autostartFolder / "veltranix.desktop";
    ASSERT_TRUE(std::filesystem::exists(entry));
    const std::string text = ReadFile(entry);
    EXPECT_NE(text.find("[Desktop Entry]\n"), std::string::npos);
    EXPECT_NE(text.find("Type=Application\n"), std::string::npos);
    EXPECT_NE(
        text.find("Exec=\"/opt/a\\\\\"b\\\\$c\\\\`d\\\\\\\\e/100%%u/velt ranix/veltranix\"\n"),
        std::string::npos)
        << text;
    EXPECT_EQ(ReadText(store, kLogOnRun, kLogOnValue, 300), program);

    std::filesystem::remove(entry);  // removed by the user's desktop settings
    EXPECT_FALSE(store.readValue(kLogOnRun, kLogOnValue));

    WriteBareText(store, kLogOnRun, kLogOnValue, "/opt/v/veltranix");
    ASSERT_EQ(store.deleteValue(kLogOnRun, kLogOnValue), StoreStatus::Ok);
    EXPECT_FALSE(std::filesystem::exists(entry));
    EXPECT_EQ(store.deleteValue(kLogOnRun, kLogOnValue), StoreStatus::ValueMissing);
}

// A line break in the install path would end the Exec line and inject keys.
TEST_F(FileStore, AnInstallPathWithALineBreakIsRefusedForLogOnStart) {
    FileSettingsStore store(Locations());
    store.open();
    for (const char* path : {"/opt/x\nExec=evil/veltranix", "/opt/x\r/veltranix"}) {
        EXPECT_EQ(WriteBareText(store, kLogOnRun, kLogOnValue, path), StoreStatus::Refused);
        EXPECT_NE(store.lastError().find("line break"), std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(Locations().autostartFolder / "veltranix.desktop"));
    }
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
    // Without HOME, or with a relative one, the password database's home,
    // never a shared folder such as /tmp.
    const std::filesystem::path home = getpwuid(getuid())->pw_dir;
    for (const char* value : {static_cast<const char*>(nullptr), "relative/home"}) {
        if (value == nullptr) {
            unsetenv("HOME");
        } else {
            setenv("HOME", value, 1);
        }
        locations = StoreLocations::FromEnvironment();
        EXPECT_EQ(locations.storeFile, home / ".config/veltranix/settings.store");
        EXPECT_EQ(locations.autostartFolder, home / ".config/autostart");
    }
}

TEST(UserInterfaceLanguage, FirstSetLocaleVariableWins) {
    // The desktop's ordered list comes first: its first language the lexicon has.
    setenv("LANGUAGE", "fr_CH:pt_PT:es", 1);
    setenv("LC_ALL", "", 1);
    unsetenv("LC_MESSAGES");
    setenv("LANG", "it_IT.UTF-8", 1);
    EXPECT_EQ(UserInterfaceLanguageId(), 0x0416);
    setenv("LANGUAGE", "fr_CH:de", 1);
    EXPECT_EQ(UserInterfaceLanguageId(), 0x0410);
    unsetenv("LANGUAGE");
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
