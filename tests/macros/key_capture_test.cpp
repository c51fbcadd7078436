#include "macros/key_capture.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/fakes/fake_keyboard.h"
#include "tests/fakes/fake_shell.h"
#include "tests/fakes/fake_user_interface.h"

namespace veltranix {
namespace {

using testing::FakeClipboard;
using testing::FakeUserInterface;
using testing::RecordingKeyboard;

constexpr std::uint16_t kShift = 0x10;
constexpr std::uint16_t kControl = 0x11;

struct Recorded {
    std::uint16_t value;
    std::uint8_t press;
    std::uint8_t unicode = 0;
    friend bool operator==(const Recorded&, const Recorded&) = default;
};

std::ostream& operator<<(std::ostream& out, const Recorded& entry) {
    return out << entry.value << (entry.press ? "v" : "^") << (entry.unicode ? "u" : "");
}

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

    std::vector<Recorded> Entries() const {
        std::vector<Recorded> entries;
        const MacroSlot& slot = (*working)[0];
        for (std::size_t index = 0; index < static_cast<std::size_t>(slot.count); ++index) {
            entries.push_back(
                {slot.keyValue[index], slot.pressFlag[index], slot.unicodeFlag[index]});
        }
        return entries;
    }

    std::unique_ptr<MacroSet> working;
    RecordingKeyboard keyboard;
    KeyNames names;
    FakeClipboard clipboard;
    Lexicon lexicon;
    FakeUserInterface userInterface;
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

TEST_F(KeyCaptureTest, HelloRecordsEveryKeyAndShowsTheCharacters) {
    TypeHello();
    EXPECT_EQ(Entries(), (std::vector<Recorded>{{kShift, 1},
                                                {0x48, 1},
                                                {0x48, 0},
                                                {kShift, 0},
                                                {0x45, 1},
                                                {0x45, 0},
                                                {0x4C, 1},
                                                {0x4C, 0},
                                                {0x4C, 1},
                                                {0x4C, 0},
                                                {0x4F, 1},
                                                {0x4F, 0}}));
    EXPECT_EQ(recorder.displayBuffer(), u"Hello");
    EXPECT_EQ((*working)[0].displayText, u"Hello");
}

TEST_F(KeyCaptureTest, TheClosedLockShowsAsterisks) {
    recorder.setSecretLock(SecretLock::Closed);
    TypeHello();
    EXPECT_EQ(recorder.displayBuffer(), u"*****");
}

TEST_F(KeyCaptureTest, ControlCIsDescribedInBrackets) {
    Press(kControl);
    Stroke(0x43, u'\x03');
    Release(kControl);
    EXPECT_EQ(Entries(),
              (std::vector<Recorded>{{kControl, 1}, {0x43, 1}, {0x43, 0}, {kControl, 0}}));
    EXPECT_EQ(recorder.displayBuffer(), u" [ CONTROL + C ] ");
}

TEST_F(KeyCaptureTest, EnterAloneEndsTheLine) {
    Stroke(0x0D, u'\r');
    EXPECT_EQ(recorder.displayBuffer(), u" [ ENTER ]\r\n");
}

TEST_F(KeyCaptureTest, AutoRepeatRecordsOnePress) {
    Press(0x41);
    recorder.characterTyped(u'a');
    recorder.keyPressed(0x41, KeyMessage::KeyDown);
    recorder.characterTyped(u'a');
    recorder.keyPressed(0x41, KeyMessage::KeyDown);
    recorder.characterTyped(u'a');
    Release(0x41);
    EXPECT_EQ(Entries(), (std::vector<Recorded>{{0x41, 1}, {0x41, 0}}));
    EXPECT_EQ(recorder.displayBuffer(), u"a");
}

TEST_F(KeyCaptureTest, PrintScreenRecordsReleaseThenPress) {
    recorder.keyReleased(0x2C, KeyMessage::KeyUp);
    EXPECT_EQ(Entries(), (std::vector<Recorded>{{0x2C, 0}, {0x2C, 1}}));
    EXPECT_EQ(recorder.displayBuffer(), u"[ PRINT SCREEN ]");
}

TEST_F(KeyCaptureTest, AltGrDoesNotRecordItsControlAndAlt) {
    keyboard.hold(0xA5);
    Press(kShift);
    Press(0x41);
    recorder.keyPressed(kControl, KeyMessage::KeyDown);
    recorder.keyPressed(0x12, KeyMessage::KeyDown);
    EXPECT_EQ(Entries(), (std::vector<Recorded>{{kShift, 1}, {0x41, 1}}));
}

TEST_F(KeyCaptureTest, PacketInputIsTypedAsItsCharacter) {
    recorder.keyPressed(0xE7, KeyMessage::KeyDown);
    recorder.characterTyped(u'\u20AC');
    EXPECT_EQ(Entries(), (std::vector<Recorded>{{0x20AC, 1, 1}, {0x20AC, 0, 1}}));
    EXPECT_EQ(recorder.displayBuffer(), u"\u20AC");
}

TEST_F(KeyCaptureTest, PasteWithCrLfRecordsOneEnterPerLineEnd) {
    clipboard.content = "ab\r\nC\r\nx\ny";
    recorder.PasteClipboardText();
    EXPECT_EQ(Entries(), (std::vector<Recorded>{{0x41, 1},
                                                {0x41, 0},
                                                {0x42, 1},
                                                {0x42, 0},
                                                {0x0D, 1},
                                                {0x0D, 0},
                                                {kShift, 1},
                                                {0x43, 1},
                                                {0x43, 0},
                                                {kShift, 0},
                                                {0x0D, 1},
                                                {0x0D, 0},
                                                {0x58, 1},
                                                {0x58, 0},
                                                {0x0D, 1},
                                                {0x0D, 0},
                                                {0x59, 1},
                                                {0x59, 0}}));
    EXPECT_EQ(recorder.displayBuffer(), u"ab\r\nC\r\nx\ny");
}

TEST_F(KeyCaptureTest, PastedCharacterTheLayoutLacksIsTwoUnicodeEntries) {
    clipboard.content = "\xC3\xA9";  // é
    recorder.PasteClipboardText();
    EXPECT_EQ(Entries(), (std::vector<Recorded>{{0xE9, 1, 1}, {0xE9, 0, 1}}));
}

TEST_F(KeyCaptureTest, PasteWithTheLockClosedHidesTheText) {
    recorder.setSecretLock(SecretLock::Closed);
    clipboard.content = "secret";
    recorder.PasteClipboardText();
    EXPECT_EQ(recorder.displayBuffer(), u" [ SECRET TEXT ] ");
}

TEST_F(KeyCaptureTest, PasteIntoAnAlmostFullDescriptionIsRefused) {
    for (int index = 0; index < 1950; ++index) {
        recorder.AppendDisplayChar(u'x');
    }
    clipboard.content = std::string(60, 'a');
    recorder.PasteClipboardText();
    EXPECT_TRUE(Entries().empty());
    ASSERT_EQ(userInterface.messages.size(), 1u);
    EXPECT_EQ(userInterface.messages[0].text, "The macro is full.");
    EXPECT_EQ(userInterface.messages[0].caption, "Warning");
    // And key strokes are refused too while the description is full.
    Stroke(0x41, u'a');
    EXPECT_TRUE(Entries().empty());
    EXPECT_EQ(userInterface.messages.size(), 2u);
}

TEST_F(KeyCaptureTest, RecordingStopsAt3999EntriesWithEveryReleaseKept) {
    // Lone Shift strokes add entries but no description.
    for (int stroke = 0; stroke < 2100; ++stroke) {
        Stroke(kShift);
    }
    const auto entries = Entries();
    EXPECT_LE(entries.size(), static_cast<std::size_t>(kMaxRecordedEntries));
    EXPECT_EQ(entries.size() % 2, 0u);
    EXPECT_EQ(entries.back(), (Recorded{kShift, 0}));
    EXPECT_FALSE(userInterface.messages.empty());
    EXPECT_EQ(userInterface.messages.back().text, "The macro is full.");
}

TEST_F(KeyCaptureTest, TextTooLongForTheSlotIsRefusedWhole) {
    EXPECT_FALSE(recorder.AddTextAsKeys(std::u16string(1000, u'\u00E9')));  // 12 each
    EXPECT_TRUE(Entries().empty());
    EXPECT_EQ(userInterface.messages.size(), 1u);
}

TEST_F(KeyCaptureTest, SelectingASlotStartsAgainFromItsFirstEntry) {
    Stroke(0x41, u'a');
    Stroke(0x42, u'b');
    recorder.selectSlot(0);
    Stroke(0x43, u'c');
    EXPECT_EQ(Entries(), (std::vector<Recorded>{{0x43, 1}, {0x43, 0}}));
    EXPECT_EQ(recorder.displayBuffer(), u"c");
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
