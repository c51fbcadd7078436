#include "macros/macro_editor.h"

#include <algorithm>

#include "macros/utf16.h"

namespace veltranix {

namespace {

constexpr std::uint16_t kCapsLockKey = 0x14;
constexpr std::uint16_t kNumLockKey = 0x90;

void TapLockKey(KeyboardInputPort& keyboard, std::uint16_t virtualKey) {
    keyboard.sendVirtualKey(virtualKey, KeyDirection::Press);
    keyboard.sendVirtualKey(virtualKey, KeyDirection::Release);
}

}  // namespace

MacroEditor::MacroEditor(MacroSets& sets, KeyRecorder& recorder, MacroFileStore& store,
                         Profiles& profiles, KeyboardInputPort& keyboard, const Lexicon& lexicon,
                         UserInterfacePort& userInterface)
    : sets_(sets),
      recorder_(recorder),
      store_(store),
      profiles_(profiles),
      keyboard_(keyboard),
      lexicon_(lexicon),
      userInterface_(userInterface) {}

void MacroEditor::Open() {
    // Typed letters and keypad keys record as the keys they are.
    if (keyboard_.lockKeyOn(LockKey::CapsLock)) {
        TapLockKey(keyboard_, kCapsLockKey);
    }
    if (keyboard_.lockKeyOn(LockKey::NumLock)) {
        TapLockKey(keyboard_, kNumLockKey);
    }
    profiles_.LoadMacroFile();
    ProfilesChanged(profiles_.profileFileName());
}

void MacroEditor::ProfilesChanged(const std::string& shown) {
    profileList_ = ListProfiles(profiles_.macrosDir());
    shownProfile_ = shown.empty() ? profiles_.profileFileName() : shown;
    // Slot 0 afresh, in name mode.
    currentMacro_ = -1;
    mode_ = EditorMode::Name;
    secretLock_ = SecretLock::Open;
    SelectSlot(0);
}

void MacroEditor::resetRecording() {
    recorder_.selectSlot(currentMacro_);
    recorder_.setSecretLock(secretLock_);
}

void MacroEditor::toNameMode() {
    mode_ = EditorMode::Name;
    secretLock_ = SecretLock::Open;
    resetRecording();
}

void MacroEditor::SelectSlot(int slot) {
    if (slot < 0 || slot >= kMacroSlotCount) {
        return;
    }
    const bool changed = slot != currentMacro_;
    currentMacro_ = slot;
    nameField_ = slotLabel(slot);
    if (nameField_.size() > kEditorNameFieldCharacters) {
        nameField_.resize(kEditorNameFieldCharacters);
    }
    if (changed && mode_ == EditorMode::Record) {
        toNameMode();
        return;
    }
    // Recording into the slot always starts again at its first entry.
    resetRecording();
}

void MacroEditor::EnterRecordMode() {
    if (mode_ != EditorMode::Record) {
        mode_ = EditorMode::Record;
        secretLock_ = SecretLock::Open;
        resetRecording();
    }
}

void MacroEditor::EnterNameMode() {
    if (mode_ != EditorMode::Name) {
        toNameMode();
    }
}

void MacroEditor::SetName(std::u16string_view name) {
    if (mode_ != EditorMode::Name) {
        return;
    }
    nameField_ = std::u16string(name.substr(0, kEditorNameFieldCharacters));
    slot().name = nameField_;
}

std::u16string MacroEditor::slotLabel(int slot) const {
    if (slot < 0 || slot >= kMacroSlotCount) {
        return {};
    }
    const std::u16string& name = sets_.workingMacros[static_cast<std::size_t>(slot)].name;
    return name.substr(0, kSlotLabelCharacters);
}

const std::u16string& MacroEditor::displayText() const {
    return sets_.workingMacros[static_cast<std::size_t>(std::max(currentMacro_, 0))].displayText;
}

bool MacroEditor::ToolEnabled(EditorTool tool) const {
    const bool nameTool = tool == EditorTool::Restore || tool == EditorTool::ClearName;
    return nameTool == (mode_ == EditorMode::Name);
}

void MacroEditor::RestoreDefault() {
    if (!ToolEnabled(EditorTool::Restore)) {
        return;
    }
    const MacroSlot& original = sets_.defaultMacros[static_cast<std::size_t>(currentMacro_)];
    MacroSlot& edited = slot();
    edited.name = original.name;
    edited.displayText = original.displayText;
    edited.count = original.count;
    edited.keyValue = original.keyValue;
    edited.pressFlag = original.pressFlag;
    edited.unicodeFlag = original.unicodeFlag;
    edited.shellCommand.clear();
    nameField_ = slotLabel(currentMacro_).substr(0, kEditorNameFieldCharacters);
    toNameMode();
}

void MacroEditor::ClearName() {
    if (!ToolEnabled(EditorTool::ClearName)) {
        return;
    }
    nameField_.clear();
    slot().name.clear();
}

void MacroEditor::Paste() {
    if (ToolEnabled(EditorTool::Paste)) {
        recorder_.PasteClipboardText();
    }
}

void MacroEditor::Erase() {
    if (!ToolEnabled(EditorTool::Erase)) {
        return;
    }
    MacroSlot& erased = slot();
    const std::u16string name = erased.name;
    erased = MacroSlot{};
    erased.name = name;
    resetRecording();
}

void MacroEditor::AddPause() {
    if (ToolEnabled(EditorTool::Pause)) {
        recorder_.AddPauseEntry();
    }
}

void MacroEditor::ToggleLock() {
    if (!ToolEnabled(EditorTool::Lock)) {
        return;
    }
    secretLock_ = secretLock_ == SecretLock::Open ? SecretLock::Closed : SecretLock::Open;
    recorder_.setSecretLock(secretLock_);
}

ShellEntryResult MacroEditor::AddShellEntry(std::u16string_view command, ShellSource source) {
    const EditorTool tool =
        source == ShellSource::FileDialog ? EditorTool::OpenFile : EditorTool::Run;
    if (!ToolEnabled(tool)) {
        return ShellEntryResult::Refused;
    }
    std::u16string stored(command);
    if (source == ShellSource::RunDialog && stored.size() > kRunCommandCharacters) {
        stored.resize(kRunCommandCharacters);
    }
    switch (CheckShellCommand(stored)) {
        case ShellCommandCheck::Accepted:
            break;
        case ShellCommandCheck::Empty:
            return ShellEntryResult::Empty;
        case ShellCommandCheck::LineBreak:
        case ShellCommandCheck::TooLong:
            userInterface_.showMessage("Name file too long", lexicon_.text(LexiconKey::E4));
            return ShellEntryResult::Refused;
    }
    std::u16string description;
    if (source == ShellSource::FileDialog) {
        const std::size_t slash = stored.find_last_of(u"/\\");
        description = u"[ OPEN : " +
                      (slash == std::u16string::npos ? stored : stored.substr(slash + 1)) + u" ]";
    } else {
        description = u"[ RUN : " + stored + u" ]";
    }
    return recorder_.AddShellEntries(stored, description) ? ShellEntryResult::Added
                                                          : ShellEntryResult::Full;
}

void MacroEditor::KeyPressed(std::uint16_t virtualKey, KeyMessage message) {
    recorder_.keyPressed(virtualKey, message);
}

void MacroEditor::KeyReleased(std::uint16_t virtualKey, KeyMessage message) {
    recorder_.keyReleased(virtualKey, message);
}

void MacroEditor::CharacterTyped(char16_t character) {
    recorder_.characterTyped(character);
}

void MacroEditor::PacketText(std::u16string_view text) {
    constexpr std::uint16_t kPacket = 0xE7;
    for (const char16_t character : text) {
        recorder_.keyPressed(kPacket, KeyMessage::KeyDown);
        recorder_.characterTyped(character);
        recorder_.keyReleased(kPacket, KeyMessage::KeyUp);
    }
}

void MacroEditor::ChooseProfile(const std::string& fileName) {
    if (profiles_.SelectProfile(fileName)) {
        // A broken file was set aside for "Default.cfg": that is what is shown.
        ProfilesChanged(profiles_.profileFileName());
    } else {
        // Gone from the folder since the list was read.
        ProfilesChanged({});
    }
}

EditorSave MacroEditor::Save() {
    if (!IsSafeProfileFileName(shownProfile_)) {
        return EditorSave::NoProfile;
    }
    MacroSlot& named = slot();
    if (nameField_.empty()) {
        named.name = u"MACRO " + std::u16string(1, static_cast<char16_t>(u'1' + currentMacro_));
    }
    const std::filesystem::path previousPath = store_.macroFilePath();
    store_.setMacroFilePath(profiles_.macrosDir() / shownProfile_);
    if (!store_.WriteMacroFile()) {
        store_.setMacroFilePath(previousPath);
        userInterface_.showMessage("The macros could not be saved into " +
                                       (profiles_.macrosDir() / shownProfile_).string() +
                                       ". Nothing is lost: the editor stays open.",
                                   lexicon_.text(LexiconKey::E4));
        return EditorSave::WriteFailed;
    }
    profiles_.SelectProfile(shownProfile_);
    store_.RestoreDefaultMacros(DefaultsScope::DefaultsOnly);
    return EditorSave::Saved;
}

void MacroEditor::Cancel() {
    profiles_.LoadMacroFile();
    store_.RestoreDefaultMacros(DefaultsScope::DefaultsOnly);
}

}  // namespace veltranix
