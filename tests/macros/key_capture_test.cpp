#include "macros/key_capture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "tests/fakes/fake_keyboard.h"
#include "tests/fakes/fake_shell.h"
#include "tracking/headless_user_interface.h"

namespace veltranix {
namespace {

using testing::FakeClipboard;
using testing::RecordingKeyboard;

constexpr std::uint16_t kShift = 0x10;
constexpr std::uint16_t kControl = 0x11;

class KeyCaptureTest : public ::testing::Test {
  protected:
    KeyCaptureTest()
        : working(std::make_unique<MacroSet>()),
          names(IniFile::parse("[Controls]\n0xD=ENTER\n0x10=SHIFT\n0x11=CONTROL\n0x12=ALT\n"
                               "0x2C=PRINT SCREEN\n0x43=C\n0x48=H\n")),
          recorder(*working, keyboard, names, clipboard, lexicon, userInterface) {
        lexicon.slots[static_cast<std::size_t>(LexiconKey::E6)] = "The macro is full.";
        lexicon.slots[static_cast<std::size_t>(LexiconKey::E4)] = "Warning";
        recorder.selectSlot(0);
    }

    // A key as the editor window sees it: press, its character, release; the
    // fake keyboard reports it held in between.
    void Stroke(std::uint16_t key, char16_t character = 0) {
        Press(key);
        if (character != 0) {
            recorder.characterTyped(character);
        }
        Release(key);
    }
    void Press(std::uint16_t key) {
        keyboard.hold(key);
        recorder.keyPressed(key, KeyMessage::KeyDown);
    }
    void Release(std::uint16_t key) {
        keyboard.release(key);
        recorder.keyReleased(key, KeyMessage::KeyUp);
    }

    // The slot's entries as "key(hex) v|^ [u]": "48v 48^" is an H stroke.
    std::string Entries() const {
        std::string entries;
        const MacroSlot& slot = (*working)[0];
        for (std::size_t index = 0; index < static_cast<std::size_t>(slot.count); ++index) {
            char entry[16];
            std::snprintf(entry, sizeof entry, "%s%X%s%s", entries.empty() ? "" : " ",
                          slot.keyValue[index], slot.pressFlag[index] ? "v" : "^",
                          slot.unicodeFlag[index] ? "u" : "");
            entries += entry;
        }
        return entries;
    }

    std::unique_ptr<MacroSet> working;
    RecordingKeyboard keyboard;
    KeyNames names;
    FakeClipboard clipboard;
    Lexicon lexicon;
    HeadlessUserInterface userInterface;
    KeyRecorder recorder;

    // "Hello" typed with Shift for the capital.
    void TypeHello() {
        Press(kShift);
        Stroke(0x48, u'H');
        Release(kShift);
        Stroke(0x45, u'e');
        Stroke(0x4C, u'l');
        Stroke(0x4C, u'l');
        Stroke(0x4F, u'o');
    }
};

TEST_F(KeyCaptureTest, HelloRecordsEveryKeyAndShowsTheCharactersOrAsterisks) {
    TypeHello();
    EXPECT_EQ(Entries(), "10v 48v 48^ 10^ 45v 45^ 4Cv 4C^ 4Cv 4C^ 4Fv 4F^");
    EXPECT_EQ(recorder.displayBuffer(), u"Hello");
    EXPECT_EQ((*working)[0].displayText, u"Hello");
    recorder.selectSlot(0);  // starts again from the first entry
    recorder.setSecretLock(SecretLock::Closed);
    TypeHello();
    EXPECT_EQ(recorder.displayBuffer(), u"*****");
    EXPECT_EQ(Entries(), "10v 48v 48^ 10^ 45v 45^ 4Cv 4C^ 4Cv 4C^ 4Fv 4F^");
}

TEST_F(KeyCaptureTest, ControlCIsDescribedInBracketsAndEnterEndsTheLine) {
    Press(kControl);
    Stroke(0x43, u'\x03');
    Release(kControl);
    EXPECT_EQ(Entries(), "11v 43v 43^ 11^");
    EXPECT_EQ(recorder.displayBuffer(), u" [ CONTROL + C ] ");
    recorder.selectSlot(0);
    Stroke(0x0D, u'\r');
    EXPECT_EQ(recorder.displayBuffer(), u" [ ENTER ]\r\n");
}

TEST_F(KeyCaptureTest, AutoRepeatRecordsOnePress) {
    Press(0x41);
    for (int repeat = 0; repeat < 3; ++repeat) {
        recorder.characterTyped(u'a');
        recorder.keyPressed(0x41, KeyMessage::KeyDown);
    }
    Release(0x41);
    EXPECT_EQ(Entries(), "41v 41^");
    EXPECT_EQ(recorder.displayBuffer(), u"a");
}

// Print Screen only reports its release; AltGr's Control and Alt are not
// keys the user pressed; a packet (0xE7) is the character it carries.
TEST_F(KeyCaptureTest, PrintScreenAltGrAndPacketInput) {
    recorder.keyReleased(0x2C, KeyMessage::KeyUp);
    EXPECT_EQ(Entries(), "2C^ 2Cv");
    EXPECT_EQ(recorder.displayBuffer(), u"[ PRINT SCREEN ]");
    recorder.selectSlot(0);
    keyboard.hold(0xA5);
    Press(kShift);
    Press(0x41);
    recorder.keyPressed(kControl, KeyMessage::KeyDown);
    recorder.keyPressed(0x12, KeyMessage::KeyDown);
    EXPECT_EQ(Entries(), "10v 41v");
    recorder.selectSlot(0);
    recorder.keyPressed(0xE7, KeyMessage::KeyDown);
    recorder.characterTyped(u'\u20AC');
    EXPECT_EQ(Entries(), "20ACvu 20AC^u");
    EXPECT_EQ(recorder.displayBuffer(), u"\u20AC");
}

TEST_F(KeyCaptureTest, PasteTypesEachLineEndAsEnterAndMissingCharactersAsUnicode) {
    clipboard.content = "ab\r\nC\r\nx\ny\xC3\xA9";
    recorder.PasteClipboardText();
    EXPECT_EQ(Entries(),
              "41v 41^ 42v 42^ Dv D^ 10v 43v 43^ 10^ Dv D^ 58v 58^ Dv D^ 59v 59^ E9vu E9^u");
    EXPECT_EQ(recorder.displayBuffer(), u"ab\r\nC\r\nx\ny\u00E9");
    recorder.selectSlot(0);
    recorder.setSecretLock(SecretLock::Closed);
    clipboard.content = "secret";
    recorder.PasteClipboardText();
    EXPECT_EQ(recorder.displayBuffer(), u" [ SECRET TEXT ] ");
}

TEST_F(KeyCaptureTest, WhatDoesNotFitIsRefusedWithTheFullMessage) {
    EXPECT_FALSE(recorder.AddTextAsKeys(std::u16string(1000, u'\u00E9')));  // 12 each
    EXPECT_EQ(Entries(), "");
    EXPECT_EQ(userInterface.messages,
              (std::vector<ShownMessage>{{"The macro is full.", "Warning"}}));
    for (int index = 0; index < 1950; ++index) {
        recorder.AppendDisplayChar(u'x');
    }
    clipboard.content = std::string(60, 'a');
    recorder.PasteClipboardText();
    Stroke(0x41, u'a');  // key strokes too while the description is full
    EXPECT_EQ(Entries(), "");
    EXPECT_EQ(userInterface.messages.size(), 3u);
}

TEST_F(KeyCaptureTest, RecordingStopsAt3999EntriesWithEveryReleaseKept) {
    // Lone Shift strokes add entries but no description.
    for (int stroke = 0; stroke < 2100; ++stroke) {
        Stroke(kShift);
    }
    const MacroSlot& slot = (*working)[0];
    EXPECT_LE(slot.count, kMaxRecordedEntries);
    EXPECT_EQ(slot.count % 2, 0);
    EXPECT_EQ(slot.pressFlag[static_cast<std::size_t>(slot.count - 1)], 0);
    EXPECT_EQ(userInterface.messages.back().text, "The macro is full.");
}

TEST(KeyNamesFile, NamesByUpperCaseHexadecimalCode) {
    const KeyNames names(IniFile::parse("[Controls]\n0xD=ENTER\n0xBA=\xC3\x91\n"));
    EXPECT_EQ(names.name(0x0D), u"ENTER");
    EXPECT_EQ(names.name(0xBA), u"\u00D1");
    EXPECT_EQ(names.name(0x41), u"");
    EXPECT_EQ(KeyNames::load("/nonexistent/contrl.ini").name(0x0D), u"");
}

}  // namespace
}  // namespace veltranix
