#include "macros/macro_file.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "macros/utf16.h"
#include "tests/support/temporary_folder.h"

namespace veltranix {
namespace {

using testing::ReadFile;
using testing::TemporaryFolder;
using testing::WriteFile;

// The bytes of a file whose text is given as ASCII with its CR LF line ends.
std::string Utf16File(std::string_view text) {
    std::string bytes = "\xFF\xFE";
    for (const char character : text) {
        bytes.push_back(character);
        bytes.push_back('\0');
    }
    return bytes;
}

constexpr std::string_view kEmptySlot =
    "NOM_MACRO\r\n\r\nMAX_CARACTER\r\n0\r\nTECLA_VIRTUAL\r\n\r\nTIPO_CLIC\r\n\r\nUNICODE\r\n\r\n"
    "TEXT_MACRO\r\n\r\nSHELL\r\nFi_SHELL\r\n";

std::string Repeated(std::string_view text, int times) {
    std::string out;
    for (int index = 0; index < times; ++index) {
        out += text;
    }
    return out;
}

class MacroFileTest : public ::testing::Test {
  protected:
    MacroFileTest() : sets(std::make_unique<MacroSets>()), store(*sets) {
        store.setMacroFilePath(folder.path() / "Work.cfg");
    }

    std::unique_ptr<MacroSet> ReadBack(std::string_view bytes) {
        auto set = std::make_unique<MacroSet>();
        ReadMacroFileText(DecodeMacroFileText(bytes), *set, MacroFileLayout::Current);
        return set;
    }

    TemporaryFolder folder;
    std::unique_ptr<MacroSets> sets;
    MacroFileStore store;
};

TEST_F(MacroFileTest, DefaultFileMatchesTheHandWrittenGoldenFileByteForByte) {
    ASSERT_TRUE(store.RestoreDefaultMacros(DefaultsScope::AlsoWorkingSetAndFile));
    EXPECT_EQ(ReadFile(store.macroFilePath()),
              ReadFile(std::string(VELTRANIX_MACROS_GOLDEN) + "/default_macros.cfg"));
    EXPECT_EQ(sets->playbackMacros, DefaultMacroSet());
}

TEST_F(MacroFileTest, EmptySetIsFourteenLinesPerSlotAndReadsBackEmpty) {
    const std::string bytes = EncodeMacroFile(sets->workingMacros);
    EXPECT_EQ(bytes, Utf16File(Repeated(kEmptySlot, 6)));
    EXPECT_EQ(*ReadBack(bytes), sets->workingMacros);
    EXPECT_EQ(ClassifyMacroFileText(DecodeMacroFileText(bytes)), MacroFileKind::Current);
}

// What the editor can put in a slot comes back as it was: texts ending in
// CR LF (stored CR CR LF), a full 1999-unit description (its last unit was
// lost), line ends, non-ASCII with surrogates, commands with blanks.
TEST_F(MacroFileTest, WhatTheEditorStoresRoundTrips) {
    MacroSlot& slot = sets->workingMacros[2];
    slot.name = u"caf\u00E9 \U0001F600";
    slot.count = 6;
    slot.keyValue = {0xE9, 0xE9, 0, 0, kShellMark};
    slot.pressFlag = {1, 0};
    slot.unicodeFlag = {1, 1};
    slot.shellCommand[4] = u"xdg-open  /home/user/My Documents/a b.pdf";
    for (const std::u16string& text :
         {std::u16string(u" [ ENTER ]\r\n"), std::u16string(kMaxDisplayTextUnits, u'd'),
          std::u16string(kMaxDisplayTextUnits - 1, u'd') + u'\n', std::u16string(u"\n"),
          std::u16string(u"\u00F1and\u00FA\r\nline two")}) {
        slot.displayText = text;
        const std::string bytes = EncodeMacroFile(sets->workingMacros);
        EXPECT_EQ((*ReadBack(bytes))[2], slot) << bytes.size();
    }
    slot.displayText = u" [ ENTER ]\r\n";
    const std::string bytes = EncodeMacroFile(sets->workingMacros);
    for (const char* written : {"TEXT_MACRO\r\n [ ENTER ]\r\r\n\r\nSHELL\r\n",
                                "4 xdg-open  /home/user/My Documents/a b.pdf\r\nFi_SHELL"}) {
        EXPECT_NE(bytes.find(Utf16File(written).substr(2)), std::string::npos) << written;
    }
}

// A line break in a command would end the command's line and make the next
// load refuse the whole profile.
TEST_F(MacroFileTest, ALineBreakInACommandIsWrittenAsABlankAndTheFileStaysValid) {
    MacroSlot& slot = sets->workingMacros[3];
    slot.count = 3;
    slot.keyValue[0] = kShellMark;
    slot.shellCommand[0] = u"echo one\nSHELL\r\ntwo";
    sets->workingMacros[4].name = u"after";
    const std::string bytes = EncodeMacroFile(sets->workingMacros);
    EXPECT_EQ(ClassifyMacroFileText(DecodeMacroFileText(bytes)), MacroFileKind::Current);
    auto read = ReadBack(bytes);
    EXPECT_EQ((*read)[3].shellCommand.at(0), u"echo one SHELL  two");
    EXPECT_EQ((*read)[4].name, u"after");
    using Check = std::pair<std::u16string, ShellCommandCheck>;
    for (const auto& [command, check] :
         {Check{u"gimp photo.png", ShellCommandCheck::Accepted},
          Check{u"a\nb", ShellCommandCheck::LineBreak},
          Check{u"a\rb", ShellCommandCheck::LineBreak}, Check{u"", ShellCommandCheck::Empty},
          Check{std::u16string(512, u'c'), ShellCommandCheck::TooLong},
          Check{std::u16string(511, u'c'), ShellCommandCheck::Accepted}}) {
        EXPECT_EQ(CheckShellCommand(command), check);
    }
}

TEST_F(MacroFileTest, AUtf8FileWithItsMarkIsReadAsUtf8) {
    const std::string text =
        "NOM_MACRO\r\nd\xC3\xAD"
        "a\r\nMAX_CARACTER\r\n2\r\nTECLA_VIRTUAL\r\n"
        "65 65 \r\nTIPO_CLIC\r\n1 0 \r\nUNICODE\r\n0 0 \r\nTEXT_MACRO\r\n"
        "A\r\nSHELL\r\nFi_SHELL\r\n";
    auto read = ReadBack("\xEF\xBB\xBF" + text);
    EXPECT_EQ((*read)[0].name, u"d\u00EDa");
    EXPECT_EQ((*read)[0].count, 2);
    EXPECT_EQ((*read)[0].displayText, u"A");
}

// Flags: every non-blank character is one entry, '1' pressed; keys: blank
// separated, an empty token is 0, values truncate to 16 bits.
TEST_F(MacroFileTest, ValueLinesOfFlagsAndKeys) {
    using Flags = std::array<int, 5>;
    for (const auto& [line, flags] :
         {std::pair{"1 1 0 0 ", Flags{1, 1, 0, 0, 0}}, std::pair{"2 0 ", Flags{0, 0, 0, 0, 0}},
          std::pair{"10 ", Flags{1, 0, 0, 0, 0}}, std::pair{"", Flags{0, 0, 0, 0, 0}}}) {
        auto read = ReadBack(Utf16File("NOM_MACRO\r\nx\r\nTIPO_CLIC\r\n" + std::string(line) +
                                       "\r\nTECLA_VIRTUAL\r\n65  -1 65601 7\r\n"));
        const MacroSlot& slot = (*read)[0];
        const auto firstFive = [](const auto& values) {
            return Flags{values[0], values[1], values[2], values[3], values[4]};
        };
        EXPECT_EQ(firstFive(slot.pressFlag), flags) << line;
        EXPECT_EQ(firstFive(slot.keyValue), (Flags{65, 0, 0xFFFF, 65601 & 0xFFFF, 7})) << line;
    }
}

std::string WithoutFirst(std::string text, std::string_view line) {
    text.erase(text.find(line), line.size());
    return text;
}

// The header counts decide: six of each is the current layout, equal counts
// without UNICODE and SHELL the old one, anything else is invalid.
TEST(MacroFileKind, HeaderCountsDecide) {
    const struct {
        const char* what;
        std::string text;
        MacroFileKind kind;
    } cases[] = {
        {"six slots", Repeated(kEmptySlot, 6), MacroFileKind::Current},
        {"one TIPO_CLIC missing", WithoutFirst(Repeated(kEmptySlot, 6), "TIPO_CLIC\r\n"),
         MacroFileKind::Invalid},
        {"old layout",
         "NOM_MACRO\r\na\r\nMAX_CARACTER\r\n0\r\nTECLA_VIRTUAL\r\n\r\nTIPO_CLIC\r\n\r\n"
         "TEXT_MACRO\r\nx\r\n",
         MacroFileKind::Old},
        {"old layout, one header missing",
         "NOM_MACRO\r\na\r\nMAX_CARACTER\r\n0\r\nTIPO_CLIC\r\n\r\nTEXT_MACRO\r\nx\r\n",
         MacroFileKind::Invalid},
        {"no line at all", "", MacroFileKind::Invalid},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClassifyMacroFileText(DecodeMacroFileText(Utf16File(c.text))), c.kind) << c.what;
    }
}

TEST_F(MacroFileTest, OldFileIsConvertedWithItsTextLinesJoined) {
    // Something left in the working set from another profile must not leak in.
    sets->workingMacros[0].keyValue[3] = 99;
    sets->workingMacros[0].shellCommand[1] = u"stale";
    std::string oldText;
    for (int slot = 0; slot < 6; ++slot) {
        oldText += "NOM_MACRO\r\nM" + std::to_string(slot) +
                   "\r\nMAX_CARACTER\r\n4\r\nTECLA_VIRTUAL\r\n17 67 \r\nTIPO_CLIC\r\n1 1 0 0 \r\n"
                   "TEXT_MACRO\r\nfirst\r\nsecond\r\n";
    }
    WriteFile(store.macroFilePath(), Utf16File(oldText));
    ASSERT_EQ(store.LoadMacroFile(), MacroFileLoad::Loaded);

    const MacroSlot& slot = sets->workingMacros[0];
    EXPECT_EQ(slot.name, u"M0");
    EXPECT_EQ(slot.displayText, u"firstsecond");
    EXPECT_EQ(slot.count, 4);
    EXPECT_EQ(slot.keyValue[3], 0);
    EXPECT_TRUE(slot.shellCommand.empty());
    const std::string converted = ReadFile(store.macroFilePath());
    EXPECT_NE(converted.find(Utf16File("UNICODE\r\n0 0 0 0 \r\nTEXT_MACRO\r\nfirstsecond\r\n"
                                       "SHELL\r\nFi_SHELL\r\n")
                                 .substr(2)),
              std::string::npos);
    EXPECT_EQ(ClassifyMacroFileText(DecodeMacroFileText(converted)), MacroFileKind::Current);
}

TEST_F(MacroFileTest, HostileInputKeepsEverySlotWithinItsLimits) {
    std::string text = "MAX_CARACTER\r\n7\r\nstray\r\n";  // data before the first header
    text += "NOM_MACRO\r\n" + std::string(40, 'n') + "\r\nMAX_CARACTER\r\n99999\r\n";
    text += "TECLA_VIRTUAL\r\n" + Repeated("5 ", 4100) + "\r\nTIPO_CLIC\r\n" + Repeated("1", 4100) +
            "\r\nUNICODE\r\n\r\nTEXT_MACRO\r\n" + std::string(2500, 't') +
            "\r\nSHELL\r\n-1 below\r\n4000 beyond\r\n123456 too long\r\nnoblank\r\n7 first\r\n7 " +
            std::string(600, 'c') + "\r\nFi_SHELL\r\n";
    for (int slot = 1; slot < 9; ++slot) {
        text += "NOM_MACRO\r\nextra" + std::to_string(slot) + "\r\nMAX_CARACTER\r\n-5\r\n";
    }
    auto read = ReadBack(Utf16File(text));
    const MacroSlot& first = (*read)[0];
    EXPECT_EQ(first.name.size(), kMaxMacroNameUnits);
    EXPECT_EQ(first.count, kMaxMacroEntries);
    EXPECT_EQ(first.keyValue[3999], 5);
    EXPECT_EQ(first.pressFlag[3999], 1);
    EXPECT_EQ(first.displayText.size(), kMaxDisplayTextUnits);
    ASSERT_EQ(first.shellCommand.size(), 1u);
    EXPECT_EQ(first.shellCommand.at(7), std::u16string(kMaxShellCommandUnits, u'c'));
    EXPECT_EQ((*read)[5].name, u"extra5");
    EXPECT_EQ((*read)[5].count, 0);
}

TEST_F(MacroFileTest, NamesAndTextsThatReadLikeHeadersKeepTheFileValid) {
    sets->workingMacros[1].name = u"SHELL";
    sets->workingMacros[1].displayText = u"pasted\nUNICODE\nTEXT_MACRO";
    const std::string bytes = EncodeMacroFile(sets->workingMacros);
    EXPECT_EQ(ClassifyMacroFileText(DecodeMacroFileText(bytes)), MacroFileKind::Current);
    auto read = ReadBack(bytes);
    EXPECT_EQ((*read)[1].name, u"SHELL\r");
    EXPECT_EQ((*read)[1].displayText, u"pasted\nUNICODE\r\nTEXT_MACRO\r");
    EXPECT_EQ(EncodeMacroFile(*read), bytes);
}

TEST_F(MacroFileTest, AFailedSaveKeepsTheOldFileAndTheSets) {
    ASSERT_TRUE(store.RestoreDefaultMacros(DefaultsScope::AlsoWorkingSetAndFile));
    const std::string before = ReadFile(store.macroFilePath());
    MacroFileStore failing(*sets, [](const auto&, std::string_view) { return false; });
    failing.setMacroFilePath(store.macroFilePath());
    sets->workingMacros[0].name = u"changed";
    EXPECT_FALSE(failing.WriteMacroFile());
    EXPECT_EQ(ReadFile(store.macroFilePath()), before);
    EXPECT_EQ(sets->playbackMacros[0].name, u"ESCAPE");
}

// The default writer never writes through a link someone planted beside the
// profile or at its name; the link itself is replaced.
TEST_F(MacroFileTest, SavingNeverWritesThroughALink) {
    for (const char* planted : {"Work.cfg.saving", "Work.cfg"}) {
        TemporaryFolder other;
        const std::filesystem::path victim = other.path() / "victim";
        WriteFile(victim, "precious");
        std::filesystem::remove(folder.path() / "Work.cfg");
        std::filesystem::create_symlink(victim, folder.path() / planted);
        ASSERT_TRUE(store.RestoreDefaultMacros(DefaultsScope::AlsoWorkingSetAndFile)) << planted;
        EXPECT_EQ(ReadFile(victim), "precious") << planted;
        EXPECT_TRUE(std::filesystem::is_regular_file(
            std::filesystem::symlink_status(store.macroFilePath())));
        std::filesystem::remove(folder.path() / planted);
    }
}

TEST_F(MacroFileTest, CountAboveTheArraysIsWrittenAsTheEntriesThatExist) {
    sets->workingMacros[0].count = 5000;
    EXPECT_EQ((*ReadBack(EncodeMacroFile(sets->workingMacros)))[0].count, kMaxMacroEntries);
}

TEST_F(MacroFileTest, ALinkNamedLikeAProfileIsNotRead) {
    WriteFile(folder.path() / "outside.txt", Utf16File(Repeated(kEmptySlot, 6)));
    std::filesystem::create_symlink(folder.path() / "outside.txt", store.macroFilePath());
    EXPECT_EQ(store.LoadMacroFile(), MacroFileLoad::Invalid);
}

// As the C library's text mode reads: only a CR right before an LF goes.
TEST(Utf16Codec, FileTextDropsTheCrOfEachCrLf) {
    const struct {
        std::string bytes;
        std::u16string text;
    } cases[] = {
        {Utf16File("a\r\nb\r\n"), u"a\nb\n"},
        {Utf16File("\r\r\n\r"), u"\r\n\r"},
        {Utf16File("\r\n\r\n\n\r"), u"\n\n\n\r"},
        {Utf16File("a") + "b", u"a\uFFFD"},  // an odd last byte
        {"\xEF\xBB\xBF\r\r\nx\r", u"\r\nx\r"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeMacroFileText(c.bytes), c.text) << c.bytes.size();
    }
}

TEST(Utf16Codec, MalformedUtf8BecomesReplacementCharacters) {
    EXPECT_EQ(Utf8ToUtf16("a\xC3"), u"a\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD");      // overlong
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD");  // surrogate
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), u"\U0001F600");
    EXPECT_EQ(Utf16ToUtf8(u"x\xD800y"), "x\xEF\xBF\xBDy");
    EXPECT_EQ(Utf16ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
}

}  // namespace
}  // namespace veltranix
