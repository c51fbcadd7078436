#include "platform/linux/system_information.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/linux/single_instance.h"

namespace veltranix {
namespace {

TEST(SystemInformation, DescribesThisMachine) {
    const SystemInformation information = LinuxSystemInformation().systemInformation();
    EXPECT_FALSE(information.processorBrand.empty());
    EXPECT_LE(information.processorBrand.size(), 48u);
    EXPECT_GE(information.processorCount, 1u);
    EXPECT_GT(information.memoryMegabytes, 64u);
    EXPECT_FALSE(information.operatingSystemName.empty());
}

TEST(SystemInformation, OperatingSystemNameFromOsRelease) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n",
         "Debian GNU/Linux 12 (bookworm)"},
        {"NAME=Fedora\nVERSION=40\n", "Fedora"},
        {"PRETTY_NAME='Arch Linux'\n", "Arch Linux"},
        {"ID=alpine\n", ""},
    };
    for (const auto& one : cases) {
        EXPECT_EQ(OperatingSystemNameFromOsRelease(one.text), one.expected) << one.text;
    }
}

TEST(SingleInstance, TheExecutableFileNameHasNoFolder) {
    EXPECT_EQ(ExecutableFileNameOf("/proc", getpid()), "platform_tests");
    EXPECT_EQ(ExecutableFileNameOf("/proc", 0), "");
}

}  // namespace
}  // namespace veltranix
