#include "macros/macro_player.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "tests/fakes/fake_keyboard.h"
#include "tests/fakes/fake_macro_playback_display.h"
#include "tests/fakes/fake_shell.h"
#include "tests/support/macro_entries.h"
#include "tracking/manual_clock.h"

namespace veltranix {
namespace {

using testing::FakeMacroPlaybackDisplay;
using testing::FakeShell;
using testing::RecordingKeyboard;
using testing::SentKey;

using Entry = testing::MacroEntry;
using Keys = std::vector<std::string>;

// Each key sent as "1E v" (a scan code pressed), "4B+ ^" (extended, released),
// "vk 14 v" (a virtual key) or "U+E9 v" (a character).
Keys Described(const std::vector<SentKey>& sent) {
    Keys keys;
    for (const SentKey& key : sent) {
        const bool character = key.kind == SentKey::Kind::Character;
        std::ostringstream text;
        text << std::hex << std::uppercase
             << (character                               ? "U+"
                 : key.kind == SentKey::Kind::VirtualKey ? "vk "
                                                         : "")
             << (character ? static_cast<std::uint32_t>(key.character) : key.code)
             << (key.extension == KeyExtension::Extended ? "+" : "")
             << (key.direction == KeyDirection::Press ? " v" : " ^");
        keys.push_back(text.str());
    }
    return keys;
}

class MacroPlayerTest : public ::testing::Test {
  protected:
    MacroPlayerTest()
        : sets(std::make_unique<MacroSets>()),
          keyboard(&clock),
          player(*sets, keyboard, shell, clock, lexicon, display) {
        lexicon.slots[static_cast<std::size_t>(LexiconKey::ShellError01)] = "File not found.";
        lexicon.slots[static_cast<std::size_t>(LexiconKey::ShellError)] = "No association.";
    }

    void Record(int slot, std::initializer_list<Entry> entries) {
        MacroSlot& macro = sets->workingMacros[static_cast<std::size_t>(slot)];
        macro.count = 0;
        testing::AppendEntries(macro, entries);
    }

    std::vector<SentKey> Play(int slot) {
        player.startMacroPlayback(slot);
        player.waitUntilFinished();
        EXPECT_FALSE(player.macroPlaying());
        return keyboard.sent();
    }

    ManualClock clock{{12, 0, 0, 0}};
    std::unique_ptr<MacroSets> sets;
    RecordingKeyboard keyboard;
    FakeShell shell;
    Lexicon lexicon;
    FakeMacroPlaybackDisplay display;
    MacroPlayer player;
};

// The extended flag follows the key sent (a shift state in the high byte
// does not hide it): arrows, Delete, Windows keys, right Alt and Ctrl, media
// keys (mute is not D), keypad divide, Num Lock.
TEST_F(MacroPlayerTest, TheExtendedFlagFollowsTheKeySent) {
    const auto extensionOf = [this](std::uint16_t key) {
        Record(1, {{key, 1}});
        player.startMacroPlayback(1);
        player.waitUntilFinished();
        return keyboard.sent().back().extension;
    };
    for (const std::uint16_t key :
         {0x25, 0x2E, 0x5B, 0xA5, 0xB3, 0x125, 0x5C, 0xAD, 0xA3, 0x6F, 0x90}) {
        EXPECT_EQ(extensionOf(key), KeyExtension::Extended) << std::hex << key;
    }
    for (const std::uint16_t key : {0x41, 0x11, 0x6A}) {
        EXPECT_EQ(extensionOf(key), KeyExtension::Plain) << std::hex << key;
    }
}

TEST_F(MacroPlayerTest, CharactersPlayAsUnicodeEventsAndPairsJoin) {
    Record(2, {Entry{0xE9, 1, 1}, Entry{0xE9, 0, 1}, Entry{0xD83D, 1, 1}, Entry{0xD83D, 0, 1},
               Entry{0xDE00, 1, 1}, Entry{0xDE00, 0, 1}});
    EXPECT_EQ(Described(Play(2)), (Keys{"U+E9 v", "U+E9 ^", "U+1F600 v", "U+1F600 ^"}));
}

// Playback sleeps 2 ms before it starts, the pause at `start`; it ends at the
// first reading two second counts later, within one poll period.
TEST_F(MacroPlayerTest, PausesEndAtTheFirstReadingTwoSecondCountsLater) {
    const std::pair<SystemTime, SystemTime> cases[] = {{{12, 0, 10, 999}, {12, 0, 12, 0}},
                                                       {{12, 0, 10, 2}, {12, 0, 12, 0}},
                                                       {{12, 59, 59, 2}, {13, 0, 0, 0}}};
    Record(0, {{kPauseMark, 1}, {65, 1}});
    for (const auto& [start, end] : cases) {
        clock.set({start.hour, start.minute, start.second, start.millisecond - 2});
        const std::size_t before = keyboard.sent().size();
        const std::size_t calls = display.calls().size();
        player.startMacroPlayback(0);
        player.waitUntilFinished();
        const auto sent = keyboard.sent();
        ASSERT_EQ(sent.size(), before + 1);
        const SystemTime at = sent.back().sentAt;
        EXPECT_EQ(std::tie(at.hour, at.minute, at.second),
                  std::tie(end.hour, end.minute, end.second));
        EXPECT_LT(at.millisecond, 5);
        EXPECT_EQ(display.calls().at(calls), "show");
        EXPECT_EQ(display.calls().back(), "close");
    }
}

TEST_F(MacroPlayerTest, ProgressCountsEntriesOnABarOf275) {
    Record(0, {{65, 1}, {kPauseMark, 1}, {65, 0}, {66, 1}});
    Play(0);
    const auto progress = display.progress();
    ASSERT_GE(progress.size(), 4u);
    EXPECT_EQ(progress.front().counter, "0 / 4");
    EXPECT_EQ(progress.back().counter, "3 / 4");
    EXPECT_EQ(progress.back().barPosition, 3 * 275 / 4);
    EXPECT_EQ(progress.size(), 4u);  // only when the counter changes
}

TEST_F(MacroPlayerTest, FailingShellEntryShowsTheMessageAndAbandonsTheRest) {
    Record(3, {{65, 1}, {kShellMark, 1}, {66, 1}});
    sets->workingMacros[3].shellCommand[1] = u"missing-tool --flag";
    shell.setResult("missing-tool --flag", kShellFileNotFound);
    bool flagShown = false;
    std::size_t sentBeforeError = 0;
    display.whileErrorShows = [&] {
        flagShown = player.shellErrorShowing() && player.macroPlaying();
        sentBeforeError = keyboard.sent().size();
    };
    EXPECT_EQ(Described(Play(3)), (Keys{"1E v", "1E ^"})) << "the rest abandoned, A let go";
    EXPECT_EQ(shell.opened(), std::vector<std::string>{"missing-tool --flag"});
    EXPECT_EQ(display.errors(),
              std::vector<std::string>{"File not found.\n\n< missing-tool --flag >"});
    EXPECT_TRUE(flagShown);
    EXPECT_EQ(sentBeforeError, 2u) << "A is let go before the error shows";
    EXPECT_FALSE(player.shellErrorShowing());

    EXPECT_EQ(ShellErrorKey(kShellPathNotFound), LexiconKey::ShellError02);
    EXPECT_EQ(ShellErrorKey(kShellNoAssociation), LexiconKey::ShellError);
    EXPECT_EQ(ShellErrorKey(kShellAccessDenied), LexiconKey::ShellError03);
    EXPECT_EQ(ShellErrorMessage("E", "C:\\tools\\run.exe"), "E\n\n< run.exe >");
}

// A shell entry that opens goes on; one without a command is reported as not
// found and not opened.
TEST_F(MacroPlayerTest, ShellEntriesThatOpenGoOnAndEmptyOnesAreNotOpened) {
    Record(0, {{kShellMark, 1}, {66, 1}});
    sets->workingMacros[0].shellCommand[0] = u"firefox";
    EXPECT_EQ(Play(0).size(), 1u);
    EXPECT_TRUE(display.errors().empty());
    sets->workingMacros[0].shellCommand.clear();
    EXPECT_EQ(Play(0).size(), 1u) << "nothing more typed";
    EXPECT_EQ(shell.opened(), std::vector<std::string>{"firefox"});
    EXPECT_EQ(display.errors().size(), 1u);
}

// Locks are off during playback and put back after it; a lock the macro
// switched on (here through its shell entry) is switched off at the end.
TEST_F(MacroPlayerTest, LockKeysAreOffDuringPlaybackAndRestoredAfterwards) {
    keyboard.setLock(LockKey::CapsLock, true);
    Record(0, {{65, 1}, {65, 0}});
    Play(0);
    EXPECT_EQ(keyboard.keysSentWithCapsLock(), 0);
    EXPECT_TRUE(keyboard.lockKeyOn(LockKey::CapsLock));
    EXPECT_FALSE(keyboard.lockKeyOn(LockKey::NumLock));

    Record(0, {{kShellMark, 1}});
    sets->workingMacros[0].shellCommand[0] = u"x";
    struct Switching : ShellPort {
        RecordingKeyboard* keyboard;
        int open(const std::string&) override {
            keyboard->setLock(LockKey::NumLock, true);
            return kShellOpened;
        }
    } switching;
    switching.keyboard = &keyboard;
    MacroPlayer other(*sets, keyboard, switching, clock, lexicon, display);
    other.startMacroPlayback(0);
    other.waitUntilFinished();
    EXPECT_FALSE(keyboard.lockKeyOn(LockKey::NumLock));
}

TEST_F(MacroPlayerTest, CountAbove4000PlaysThe3999FirstEntries) {
    MacroSlot& macro = sets->workingMacros[4];
    macro.count = 5000;
    for (std::size_t index = 0; index < 4000; ++index) {
        macro.keyValue[index] = 65;
        macro.pressFlag[index] = index % 2 == 0 ? 1 : 0;
    }
    EXPECT_EQ(Play(4).size(), 3999u);
    EXPECT_EQ(PrepareMacroInputs(macro, keyboard).size(), 3999u);
    macro.count = 4000;
    EXPECT_EQ(PrepareMacroInputs(macro, keyboard).size(), 4000u);
}

TEST_F(MacroPlayerTest, ASecondRequestWhilePlayingDoesNothing) {
    Record(0, {{65, 1}, {kShellMark, 1}, {65, 0}});
    sets->workingMacros[0].shellCommand[1] = u"fails";
    shell.setResult("fails", kShellNoAssociation);
    Record(1, {{66, 1}});
    display.whileErrorShows = [&] { player.startMacroPlayback(1); };
    const auto sent = Play(0);
    EXPECT_EQ(sent.size(), 2u);
    EXPECT_EQ(display.errors().size(), 1u);
    // Idle again: the next request plays.
    EXPECT_EQ(Play(1).size(), 3u);
}

// A clock whose pauses never end: only a stop request ends such a macro.
class StandingClock : public Clock {
  public:
    SystemTime utcNow() const override { return {12, 0, 0, 0}; }
    void sleepMs(int) override { std::this_thread::yield(); }
};

// Shutdown must not hang on a playing macro: asked to stop, the player ends
// at its next pause tick, and destroying it stops it too.
TEST_F(MacroPlayerTest, AMacroInAPauseStopsWhenAskedAndWhenThePlayerGoes) {
    Record(0, {{kPauseMark, 1}, {65, 1}});
    StandingClock standing;
    {
        MacroPlayer stopped(*sets, keyboard, shell, standing, lexicon, display);
        stopped.startMacroPlayback(0);
        stopped.requestStop();
        EXPECT_TRUE(stopped.waitUntilFinished(MacroPlayer::kShutdownWait));
        EXPECT_FALSE(stopped.macroPlaying());
        stopped.startMacroPlayback(0);
        EXPECT_TRUE(stopped.macroPlaying()) << "the next playback is not stopped";
    }
    EXPECT_TRUE(keyboard.sent().empty());
    EXPECT_EQ(display.calls().back(), "close");
}

// A macro that ends before its last entry, stopped in a pause or at a
// failed command, lets go of what it holds, last first; a key already
// released is not released again. (One that runs to its end is left as
// recorded: see ASecondRequestWhilePlayingDoesNothing.)
TEST_F(MacroPlayerTest, AMacroEndedEarlyLetsGoOfTheKeysItHolds) {
    StandingClock standing;
    shell.setResult("fails", kShellFileNotFound);
    for (const std::uint16_t ending : {kPauseMark, kShellMark}) {
        Record(0, {{0x41, 1}, {0x41, 0}, {0x10, 1}, {0x3A9, 1, 1}, {ending, 1}, {0x10, 0}});
        sets->workingMacros[0].shellCommand[4] = u"fails";
        RecordingKeyboard keys;
        MacroPlayer played(*sets, keys, shell, standing, lexicon, display);
        played.startMacroPlayback(0);
        for (int wait = 0; wait < 1000 && keys.sent().size() < 4; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        if (ending == kPauseMark) {
            played.requestStop();
        }
        ASSERT_TRUE(played.waitUntilFinished(MacroPlayer::kShutdownWait));
        EXPECT_EQ(Described(keys.sent()),
                  (Keys{"1E v", "1E ^", "2A v", "U+3A9 v", "U+3A9 ^", "2A ^"}))
            << ending;
    }
}

// A command still opening when the player goes: the player does not wait
// for it, and the thread touches no port once it returns.
TEST_F(MacroPlayerTest, AMacroOutlivingThePlayerTouchesNoPort) {
    struct Blocking : ShellPort {
        std::promise<void> entered, release;
        int open(const std::string&) override {
            entered.set_value();
            release.get_future().wait();
            return kShellFileNotFound;
        }
    } blocking;
    Record(0, {{0x11, 1}, {kShellMark, 1}, {0x11, 0}});
    sets->workingMacros[0].shellCommand[1] = u"slow";
    auto gone = std::make_unique<MacroPlayer>(*sets, keyboard, blocking, clock, lexicon, display);
    gone->startMacroPlayback(0);
    blocking.entered.get_future().wait();
    gone.reset();
    blocking.release.set_value();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(Described(keyboard.sent()), (Keys{"1D v"}));
    EXPECT_TRUE(display.errors().empty());
}

TEST_F(MacroPlayerTest, AnOpenShellErrorBoxDoesNotHoldAStopRequest) {
    Record(0, {{kShellMark, 1}});
    shell.setResult("missing", kShellFileNotFound);
    sets->workingMacros[0].shellCommand[0] = u"missing";
    display.errorStaysOpen = true;
    player.startMacroPlayback(0);
    while (!player.shellErrorShowing()) {
        std::this_thread::yield();
    }
    EXPECT_FALSE(player.waitUntilFinished(std::chrono::milliseconds(20)))
        << "playback waits for the box";
    player.requestStop();
    EXPECT_TRUE(player.waitUntilFinished(MacroPlayer::kShutdownWait));
    EXPECT_FALSE(player.shellErrorShowing());
}

TEST_F(MacroPlayerTest, PlaysTheCommittedCopyAndAnEmptyMacroEndsAtOnce) {
    Record(0, {{65, 1}});
    player.startMacroPlayback(0);
    sets->workingMacros[0].count = 0;  // an edit after the start does not reach the player
    player.waitUntilFinished();
    EXPECT_EQ(keyboard.sent().size(), 1u);
    EXPECT_EQ(sets->playbackMacros[0].count, 1);
    EXPECT_EQ(Play(5).size(), 1u);
    EXPECT_TRUE(display.calls().empty()) << "without a pause no progress window shows";
}

}  // namespace
}  // namespace veltranix
