#include "core/virtual_key_table.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "tests/support/temporary_folder.h"

namespace veltranix {
namespace {

std::set<std::uint16_t> CodesOfTheKeyNameFile() {
    std::istringstream lines(testing::ReadFile(
        std::filesystem::path(VELTRANIX_SOURCE_PROGRAM_FOLDER) / "lib_ini" / "contrl.ini"));
    std::set<std::uint16_t> codes;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("0x", 0) == 0) {
            codes.insert(static_cast<std::uint16_t>(std::stoul(line.substr(2), nullptr, 16)));
        }
    }
    return codes;
}

TEST(VirtualKeyTable, HoldsExactlyTheCodesTheKeyNameFileNames) {
    const auto named = CodesOfTheKeyNameFile();
    ASSERT_GT(named.size(), 150u);
    std::set<std::uint16_t> inTable;
    for (const auto& entry : VirtualKeyTable()) {
        EXPECT_TRUE(inTable.insert(entry.virtualKey).second)
            << "twice: 0x" << std::hex << entry.virtualKey;
        EXPECT_EQ(named.count(entry.virtualKey), 1u)
            << "unnamed: 0x" << std::hex << entry.virtualKey;
    }
    for (const auto code : named) {
        EXPECT_NE(FindVirtualKey(code), nullptr) << "missing: 0x" << std::hex << code;
    }
}

TEST(VirtualKeyTable, ScanCodesAndExtensionsOfTheUsKeyboard) {
    const struct {
        std::uint16_t virtualKey;
        std::uint16_t scanCode;
        KeyExtension extension;
    } cases[] = {
        {0x41, 0x1E, KeyExtension::Plain},    {0x0D, 0x1C, KeyExtension::Plain},
        {0x26, 0x48, KeyExtension::Extended}, {0x2E, 0x53, KeyExtension::Extended},
        {0x6E, 0x53, KeyExtension::Plain},    {0xA3, 0x1D, KeyExtension::Extended},
        {0xA5, 0x38, KeyExtension::Extended}, {0x6F, 0x35, KeyExtension::Extended},
        {0xAD, 0x20, KeyExtension::Extended}, {0x90, 0x45, KeyExtension::Extended},
        {0x13, 0x45, KeyExtension::Plain},    {0x2C, 0x54, KeyExtension::Plain},
        {0x7A, 0x57, KeyExtension::Plain},    {0x5B, 0x5B, KeyExtension::Extended},
    };
    for (const auto& one : cases) {
        const VirtualKeyInfo* entry = FindVirtualKey(one.virtualKey);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->scanCode, one.scanCode) << std::hex << one.virtualKey;
        EXPECT_EQ(entry->extension, one.extension) << std::hex << one.virtualKey;
        const VirtualKeyInfo* back = FindVirtualKeyByScanCode(one.scanCode, one.extension);
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->scanCode, one.scanCode);
    }
    EXPECT_EQ(FindVirtualKey(0x07), nullptr);
    EXPECT_EQ(FindVirtualKeyByScanCode(0, KeyExtension::Plain), nullptr);
    EXPECT_EQ(FindVirtualKeyByKeysym('a')->virtualKey, 0x41);
}

// The editor records the physical key: sides and the keypad stay apart.
TEST(VirtualKeyTable, APhysicalKeyIsTheKeyOfItsSide) {
    const struct {
        std::uint16_t linuxKeyCode;
        std::uint16_t virtualKey;
    } cases[] = {
        {42, 0xA0},   // left Shift
        {54, 0xA1},   // right Shift
        {29, 0xA2},   // left Ctrl
        {97, 0xA3},   // right Ctrl
        {56, 0xA4},   // left Alt
        {100, 0xA5},  // Alt Gr
        {28, 0x0D},   // Enter
        {96, 0x0D},   // the keypad's Enter
        {82, 0x60},   // keypad 0
        {11, 0x30},   // 0 of the top row
    };
    for (const auto& key : cases) {
        const VirtualKeyInfo* found = FindVirtualKeyByLinuxCode(key.linuxKeyCode);
        ASSERT_NE(found, nullptr) << key.linuxKeyCode;
        EXPECT_EQ(found->virtualKey, key.virtualKey) << key.linuxKeyCode;
    }
    EXPECT_EQ(FindVirtualKeyByLinuxCode(0), nullptr);
}

}  // namespace
}  // namespace veltranix
