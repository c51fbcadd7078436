#include "platform/linux/desktop_shell.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/linux/canberra_sound.h"
#include "tests/support/real_time.h"
#include "tests/support/temporary_folder.h"

namespace veltranix {
namespace {

using testing::ReadFile;
using testing::TemporaryFolder;
using testing::WriteFile;

// A private desktop: its own applications and associations, which come
// before whatever this machine has installed. One for the whole suite: GIO
// reads them once per process.
class DesktopShellTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        home_ = new TemporaryFolder;
        const auto data = home_->path() / "data";
        const auto config = home_->path() / "config";
        std::filesystem::create_directories(data / "applications");
        std::filesystem::create_directories(config);
        recorder_ = home_->path() / "opened.txt";
        WriteFile(data / "applications" / "veltranix-recorder.desktop",
                  "[Desktop Entry]\nType=Application\nName=Recorder\n"
                  "Exec=/bin/sh -c 'echo \"$0\" > " +
                      recorder_.string() +
                      "' %f\n"
                      "MimeType=text/plain;\n");
        WriteFile(config / "mimeapps.list",
                  "[Default Applications]\ntext/plain=veltranix-recorder.desktop\n");
        setenv("XDG_DATA_HOME", data.c_str(), 1);
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        // The shared MIME database stays: it tells a document's type.
        setenv("XDG_DATA_DIRS", "/usr/share", 1);
        setenv("XDG_CONFIG_DIRS", (home_->path() / "none").c_str(), 1);
    }

    static void TearDownTestSuite() {
        delete home_;
        home_ = nullptr;
    }

    // Waits for a started program to leave its mark.
    std::string WaitForFile(const std::filesystem::path& path) {
        testing::WaitFor([&] { return !ReadFile(path).empty(); }, 5);
        return ReadFile(path);
    }

    static TemporaryFolder* home_;
    static std::filesystem::path recorder_;
    DesktopShell shell_;
};

TemporaryFolder* DesktopShellTest::home_ = nullptr;
std::filesystem::path DesktopShellTest::recorder_;

TEST_F(DesktopShellTest, FailuresGiveTheirResultCodes) {
    const auto folder = home_->path();
    WriteFile(folder / "data.veltranix-unknown", std::string("\x01\x02\x03\x00\xff", 5));
    const struct {
        std::string command;
        int expected;
    } cases[] = {
        {(folder / "missing.txt").string(), kShellFileNotFound},
        {(folder / "no-such-folder" / "missing.txt").string(), kShellPathNotFound},
        {"veltranix-no-such-program-anywhere", kShellFileNotFound},
        {"", kShellFileNotFound},
        {(folder / "data.veltranix-unknown").string(), kShellNoAssociation},
        {"veltranix-no-such-scheme:anything", kShellNoAssociation},
    };
    for (const auto& one : cases) {
        EXPECT_EQ(shell_.open(one.command), one.expected) << one.command;
    }
}

// With the executable bit too (any file on a FAT stick), a document opens
// as a document.
TEST_F(DesktopShellTest, ADocumentOpensWithItsDefaultApplication) {
    for (const mode_t mode : {0644, 0755}) {
        const auto document = home_->path() / ("notes" + std::to_string(mode) + ".txt");
        WriteFile(document, "hello");
        chmod(document.c_str(), mode);
        std::filesystem::remove(recorder_);
        EXPECT_EQ(shell_.open(document.string()), kShellOpened) << mode;
        EXPECT_EQ(WaitForFile(recorder_), document.string() + "\n");
    }
}

// A program starts detached, by path or by name, and holds none of this
// program's descriptors (a camera it held would stay busy after this program
// ended).
TEST_F(DesktopShellTest, AStartedProgramInheritsOnlyTheStandardDescriptors) {
    const int leaked = ::open("/dev/null", O_RDONLY);  // not close-on-exec
    const auto bin = home_->path() / "bin";
    std::filesystem::create_directories(bin);
    const auto program = bin / "veltranix-test-program";
    const auto listing = home_->path() / "descriptors.txt";
    WriteFile(program, "#!/bin/sh\nls /proc/self/fd > '" + listing.string() + ".part' && mv '" +
                           listing.string() + ".part' '" + listing.string() + "'\n");
    chmod(program.c_str(), 0755);
    const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    setenv("PATH", (bin.string() + ":" + path).c_str(), 1);
    for (const std::string& command : {program.string(), std::string("veltranix-test-program")}) {
        std::filesystem::remove(listing);
        EXPECT_EQ(shell_.open(command), kShellOpened) << command;
        // 3 is the folder ls itself reads.
        EXPECT_EQ(WaitForFile(listing), "0\n1\n2\n3\n") << command;
    }
    setenv("PATH", path.c_str(), 1);
    close(leaked);
}

TEST_F(DesktopShellTest, AFileWithoutReadPermissionIsRefused) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root reads every file";
    }
    const auto secret = home_->path() / "secret.txt";
    WriteFile(secret, "x");
    chmod(secret.c_str(), 0);
    EXPECT_EQ(shell_.open(secret.string()), kShellAccessDenied);
}

TEST(CanberraSound, MissingFilesAndAMissingSoundServerPlayNothingQuietly) {
    CanberraSound sound;
    sound.play("/nonexistent/so/click.wav", SoundOverlap::Interrupt);
    const auto click = std::filesystem::path(VELTRANIX_SOURCE_PROGRAM_FOLDER) / "so" / "click.wav";
    sound.play(click, SoundOverlap::Interrupt);
    sound.play(click, SoundOverlap::DoNotInterrupt);
}

}  // namespace
}  // namespace veltranix
