#include "macros/macro_editor.h"

#include <gtest/gtest.h>

#include "tests/macros/profile_rig.h"

namespace veltranix {
namespace {

using testing::ReadFile;

class MacroEditorTest : public ::testing::Test, protected testing::EditorRig {
  protected:
    MacroEditorTest() { profiles.ChooseStartupProfile(); }

    const MacroSlot& Slot(int slot) const {
        return sets->workingMacros[static_cast<std::size_t>(slot)];
    }
    void TypeKey(std::uint16_t key) {
        editor.KeyPressed(key, KeyMessage::KeyDown);
        editor.KeyReleased(key, KeyMessage::KeyUp);
    }
};

TEST_F(MacroEditorTest, OpeningSwitchesTheLocksOffAndShowsSlotOneInNameMode) {
    keyboard.setLock(LockKey::CapsLock, true);
    keyboard.setLock(LockKey::NumLock, true);
    editor.Open();
    EXPECT_EQ(
        std::tuple(keyboard.lockKeyOn(LockKey::CapsLock), keyboard.lockKeyOn(LockKey::NumLock),
                   editor.currentMacro(), editor.mode(), editor.nameField()),
        std::tuple(false, false, 0, EditorMode::Name, std::u16string(u"ESCAPE")));
    EXPECT_EQ(editor.profileList(), std::vector<std::string>{"Default.cfg"});
    EXPECT_EQ(editor.shownProfile(), "Default.cfg");
}

TEST_F(MacroEditorTest, EachModeEnablesItsOwnTools) {
    editor.Open();
    const struct {
        EditorTool tool;
        bool inNameMode;
    } cases[] = {
        {EditorTool::Restore, true}, {EditorTool::ClearName, true}, {EditorTool::Paste, false},
        {EditorTool::Erase, false},  {EditorTool::Pause, false},    {EditorTool::OpenFile, false},
        {EditorTool::Run, false},    {EditorTool::Lock, false},
    };
    for (const auto& tool : cases) {
        EXPECT_EQ(editor.ToolEnabled(tool.tool), tool.inNameMode);
    }
    editor.EnterRecordMode();
    for (const auto& tool : cases) {
        EXPECT_EQ(editor.ToolEnabled(tool.tool), !tool.inNameMode);
    }
    // A disabled tool does nothing.
    editor.ClearName();
    EXPECT_EQ(Slot(0).name, u"ESCAPE");
}

TEST_F(MacroEditorTest, RecordingReplacesTheSlotAndATrailingPauseCountsOnlyOnceAKeyFollows) {
    editor.Open();
    editor.SelectSlot(2);
    editor.EnterRecordMode();
    TypeKey(0x41);
    EXPECT_EQ(Slot(2).count, 2);
    editor.AddPause();
    EXPECT_EQ(Slot(2).count, 2);
    EXPECT_EQ(Slot(2).keyValue[2], kPauseMark);
    TypeKey(0x41);
    EXPECT_EQ(Slot(2).count, 5);
    EXPECT_EQ(Slot(2).displayText, u"{Pause 1s}");
}

TEST_F(MacroEditorTest, ARunCommandTakesAShellEntryAndTwoPauses) {
    editor.Open();
    editor.EnterRecordMode();
    TypeKey(0x41);
    TypeKey(0x41);
    EXPECT_EQ(editor.AddShellEntry(u"xterm -e top", ShellSource::RunDialog),
              ShellEntryResult::Added);
    const MacroSlot& slot = Slot(0);
    EXPECT_EQ(std::tuple(slot.keyValue[4], slot.keyValue[5], slot.keyValue[6], slot.count),
              std::tuple(kShellMark, kPauseMark, kPauseMark, 6));
    EXPECT_EQ(slot.shellCommand.at(4), u"xterm -e top");
    EXPECT_EQ(recorder.insertPos(), 7);
    EXPECT_EQ(slot.displayText, u"[ RUN : xterm -e top ]");
    EXPECT_EQ(editor.AddShellEntry(u"", ShellSource::RunDialog), ShellEntryResult::Empty);
    EXPECT_EQ(editor.AddShellEntry(u"/home/ana/notes.txt", ShellSource::FileDialog),
              ShellEntryResult::Added);
    EXPECT_EQ(Slot(0).shellCommand.at(7), u"/home/ana/notes.txt");
    EXPECT_EQ(Slot(0).displayText, u"[ RUN : xterm -e top ][ OPEN : notes.txt ]");
}

TEST_F(MacroEditorTest, SavingNamesAnUnnamedSlotAndAFailedSaveLosesNothing) {
    editor.Open();
    editor.SelectSlot(4);
    editor.ClearName();
    diskFull = true;
    EXPECT_EQ(editor.Save(), EditorSave::WriteFailed);
    ASSERT_EQ(userInterface.messages.size(), 1u);
    EXPECT_EQ(Slot(4).name, u"MACRO 5");
    EXPECT_EQ(ReadFile(macrosDir / "Default.cfg"), EncodeMacroFile(DefaultMacroSet()));
    diskFull = false;
    EXPECT_EQ(editor.Save(), EditorSave::Saved);
    MacroSet expected = DefaultMacroSet();
    expected[4].name = u"MACRO 5";
    EXPECT_EQ(ReadFile(macrosDir / "Default.cfg"), EncodeMacroFile(expected));
}

TEST_F(MacroEditorTest, ABrokenProfileChosenInTheListShowsDefaultAndOkLeavesItAside) {
    editor.Open();
    testing::WriteFile(macrosDir / "Work.cfg", testing::OneHeaderShort());
    editor.ChooseProfile("Work.cfg");
    EXPECT_EQ(editor.shownProfile(), "Default.cfg");
    EXPECT_EQ(editor.profileList(), std::vector<std::string>{"Default.cfg"});
    EXPECT_EQ(editor.Save(), EditorSave::Saved);
    EXPECT_FALSE(std::filesystem::exists(macrosDir / "Work.cfg"));
}

TEST_F(MacroEditorTest, CancelReadsTheMacrosBackFromTheFile) {
    editor.Open();
    editor.SetName(u"changed");
    editor.Cancel();
    EXPECT_EQ(sets->workingMacros, DefaultMacroSet());
}

}  // namespace
}  // namespace veltranix
