#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "core/input_port.h"
#include "core/shell_port.h"
#include "core/user_interface_port.h"
#include "macros/macro_set.h"
#include "settings/ini_file.h"
#include "settings/lexicon.h"

namespace veltranix {

// The display names of virtual keys: section "Controls" of the key-name
// file, keys "0x41", "0xD" (upper-case hexadecimal without leading zeros).
class KeyNames {
  public:
    KeyNames() = default;
    explicit KeyNames(IniFile file) : file_(std::move(file)) {}
    // No names when the file cannot be read.
    static KeyNames load(const std::filesystem::path& keyNamesFile);
    // Empty when the key has no name.
    std::u16string name(std::uint16_t virtualKey) const;

  private:
    std::optional<IniFile> file_;
};

// The key messages of the editor window.
enum class KeyMessage { KeyDown, SysKeyDown, KeyUp, SysKeyUp };
enum class SecretLock { Open, Closed };

// Entries written while recording stop here, so that every recorded press
// keeps room for its release.
inline constexpr std::int32_t kMaxRecordedEntries = 3999;
// The description shows at most this many characters; at 1900 it is full.
inline constexpr std::size_t kDisplayFullUnits = 1900;

// Turns the key messages of the macro editor into entries of one slot of the
// working set and builds the slot's description beside them. GUI thread (the
// editor's), which also owns the working set while recording.
class KeyRecorder {
  public:
    KeyRecorder(MacroSet& workingMacros, const KeyboardInputPort& keyboard, const KeyNames& names,
                const ClipboardPort& clipboard, const Lexicon& lexicon,
                UserInterfacePort& userInterface);

    // Starts recording slot 0..5 afresh from its first entry.
    void selectSlot(int slot);
    // Key messages are taken only between selectSlot and stopRecording.
    void stopRecording() { recording_ = false; }
    void setSecretLock(SecretLock lock) { secretLock_ = lock; }

    void keyPressed(std::uint16_t virtualKey, KeyMessage message);
    void keyReleased(std::uint16_t virtualKey, KeyMessage message);
    void characterTyped(char16_t character);

    // The description holds 1900 characters or more.
    bool DisplayTextFull() const;
    // Records a text as key strokes (or as characters the layout lacks);
    // false, with the user told, when the slot has no room for it.
    bool AddTextAsKeys(std::u16string_view text);
    void TypeCharacter(char16_t character);
    void AppendDisplayChar(char16_t character);
    // The editor's paste button.
    void PasteClipboardText();
    // The editor's pause tool: a pause entry, counted only once another
    // entry follows it, and "{Pause 1s}" in the description.
    void AddPauseEntry();
    // A shell entry with its command and two pauses after it (the second
    // counted once another entry follows); false, with the user told, when
    // the description or the slot has no room.
    bool AddShellEntries(std::u16string_view command, std::u16string_view description);

    const std::u16string& displayBuffer() const { return displayBuffer_; }
    std::int32_t insertPos() const { return insertPos_; }
    int currentMacro() const { return currentMacro_; }

  private:
    MacroSlot& slot() { return workingMacros_[static_cast<std::size_t>(currentMacro_)]; }
    bool held(std::uint16_t virtualKey) const { return keyboard_.keyHeld(virtualKey); }
    bool shiftHeld() const;
    void writeEntry(std::uint16_t value, std::uint8_t press, std::uint8_t unicode);
    // A pause or shell mark at the insert position; `count` is left to the caller.
    void writeMark(std::uint16_t mark);
    void DisplayKeyEvent(std::uint16_t virtualKey, KeyDirection direction);
    void displayPress(std::uint16_t virtualKey, std::int32_t entries);
    void appendFormatted(std::u16string_view format, std::uint16_t virtualKey);
    void appendText(std::u16string_view text);
    void showFullMessage();
    // The layout's key with its shift state in the high byte; -1 when none.
    int keyScanForCharacter(char16_t character, char16_t previous) const;
    void addKeyEntries(int keyScan);
    void addCharEntry(char16_t character);

    MacroSet& workingMacros_;
    const KeyboardInputPort& keyboard_;
    const KeyNames& names_;
    const ClipboardPort& clipboard_;
    const Lexicon& lexicon_;
    UserInterfacePort& userInterface_;

    bool recording_ = false;
    int currentMacro_ = 0;
    std::int32_t insertPos_ = 0;
    int keysDown_ = 0;
    std::uint16_t lastKeyDown_ = 0;
    std::uint16_t lastKeyUp_ = 0;
    char16_t lastCharShown_ = 0;
    bool packetPending_ = false;
    bool bracketOpen_ = false;
    bool showNextChar_ = false;
    std::uint16_t lastKey_ = 0;
    std::uint16_t prevKey_ = 0;
    int phase_ = 0;
    std::u16string displayBuffer_;
    SecretLock secretLock_ = SecretLock::Open;
    std::set<std::uint16_t> refusedPresses_;
};

}  // namespace veltranix
