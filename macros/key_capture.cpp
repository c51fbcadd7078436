#include "macros/key_capture.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "macros/utf16.h"

namespace veltranix {

namespace {

constexpr std::uint16_t kShift = 0x10;
constexpr std::uint16_t kControl = 0x11;
constexpr std::uint16_t kAlt = 0x12;
constexpr std::uint16_t kCapsLock = 0x14;
constexpr std::uint16_t kEnter = 0x0D;
constexpr std::uint16_t kSpace = 0x20;
constexpr std::uint16_t kPrintScreen = 0x2C;
constexpr std::uint16_t kLeftWindows = 0x5B;
constexpr std::uint16_t kRightWindows = 0x5C;
constexpr std::uint16_t kLeftShift = 0xA0;
constexpr std::uint16_t kRightShift = 0xA1;
constexpr std::uint16_t kLeftControl = 0xA2;
constexpr std::uint16_t kRightControl = 0xA3;
constexpr std::uint16_t kLeftAlt = 0xA4;
constexpr std::uint16_t kRightAlt = 0xA5;  // Alt Gr
constexpr std::uint16_t kPacket = 0xE7;
constexpr char16_t kPacketCharacter = 0xE7;
constexpr std::size_t kMaxKeyNameUnits = 3999;
constexpr int kNoKey = -1;

bool IsCharacterKey(std::uint16_t key) {
    return (key >= 0x30 && key <= 0x5A) || (key >= 0x60 && key <= 0x6F) ||
           (key >= 0xBA && key <= 0xE2);
}

bool IsModifierKey(std::uint16_t key) {
    return key == kControl || key == kAlt || key == kLeftWindows || key == kLeftControl ||
           key == kRightControl || key == kLeftAlt || key == kRightAlt;
}

bool IsShiftKey(std::uint16_t key) {
    return key == kShift || key == kLeftShift || key == kRightShift;
}

// Entries that AddKeyEntries writes for a key with this shift state.
int KeyEntryCount(int keyScan) {
    const int key = keyScan & 0xFF;
    const int shiftState = (keyScan >> 8) & 0xFF;
    switch (shiftState) {
        case 1:
        case 4:
            return 4;
        case 2:
            return key == kEnter ? 0 : 4;
        case 6:
            return 6;
        default:
            return 2;
    }
}

}  // namespace

KeyNames KeyNames::load(const std::filesystem::path& keyNamesFile) {
    auto file = IniFile::load(keyNamesFile);
    return file ? KeyNames(std::move(*file)) : KeyNames();
}

std::u16string KeyNames::name(std::uint16_t virtualKey) const {
    if (!file_) {
        return {};
    }
    char key[8];
    std::snprintf(key, sizeof key, "0x%X", static_cast<unsigned>(virtualKey));
    std::u16string name = Utf8ToUtf16(file_->value("Controls", key));
    if (name.size() > kMaxKeyNameUnits) {
        name.resize(kMaxKeyNameUnits);
    }
    return name;
}

KeyRecorder::KeyRecorder(MacroSet& workingMacros, const KeyboardInputPort& keyboard,
                         const KeyNames& names, const ClipboardPort& clipboard,
                         const Lexicon& lexicon, UserInterfacePort& userInterface)
    : workingMacros_(workingMacros),
      keyboard_(keyboard),
      names_(names),
      clipboard_(clipboard),
      lexicon_(lexicon),
      userInterface_(userInterface) {}

void KeyRecorder::selectSlot(int slot) {
    if (slot < 0 || slot >= kMacroSlotCount) {
        return;
    }
    recording_ = true;
    currentMacro_ = slot;
    insertPos_ = 0;
    keysDown_ = 0;
    lastKeyDown_ = 0;
    lastKeyUp_ = 0;
    lastCharShown_ = 0;
    packetPending_ = false;
    bracketOpen_ = false;
    showNextChar_ = false;
    lastKey_ = 0;
    prevKey_ = 0;
    phase_ = 0;
    displayBuffer_.clear();
    refusedPresses_.clear();
}

bool KeyRecorder::DisplayTextFull() const {
    return displayBuffer_.size() >= kDisplayFullUnits;
}

bool KeyRecorder::shiftHeld() const {
    return held(kRightShift) || held(kLeftShift) || held(kShift);
}

void KeyRecorder::showFullMessage() {
    userInterface_.showMessage(lexicon_.text(LexiconKey::E6), lexicon_.text(LexiconKey::E4));
}

void KeyRecorder::writeEntry(std::uint16_t value, std::uint8_t press, std::uint8_t unicode) {
    if (insertPos_ >= kMaxMacroEntries) {
        return;  // the callers check the room first; this keeps the arrays safe regardless
    }
    MacroSlot& recorded = slot();
    const auto at = static_cast<std::size_t>(insertPos_);
    recorded.keyValue[at] = value;
    recorded.pressFlag[at] = press;
    recorded.unicodeFlag[at] = unicode;
    // A shell command left at this index belonged to the entry recorded over.
    recorded.shellCommand.erase(insertPos_);
    ++insertPos_;
    recorded.count = insertPos_;
}

void KeyRecorder::keyPressed(std::uint16_t virtualKey, KeyMessage message) {
    if (!recording_) {
        return;
    }
    if (DisplayTextFull()) {
        refusedPresses_.insert(virtualKey);
        showFullMessage();
        return;
    }
    // The Ctrl and Alt that Alt Gr generates.
    if (message == KeyMessage::KeyDown && keysDown_ > 1 && held(kRightAlt) &&
        (virtualKey == kControl || virtualKey == kAlt)) {
        return;
    }
    if (virtualKey == kPacket) {
        packetPending_ = true;
        return;
    }
    if (virtualKey == lastKeyDown_) {
        return;  // auto-repeat
    }
    // Room for this press, its release and the releases of the keys held.
    if (kMaxRecordedEntries - insertPos_ < 2 + keysDown_) {
        refusedPresses_.insert(virtualKey);
        showFullMessage();
        return;
    }
    ++keysDown_;
    packetPending_ = false;
    writeEntry(virtualKey, 1, 0);
    DisplayKeyEvent(virtualKey, KeyDirection::Press);
    lastKeyDown_ = virtualKey;
}

void KeyRecorder::keyReleased(std::uint16_t virtualKey, KeyMessage message) {
    if (!recording_) {
        return;
    }
    if (virtualKey == kPacket) {
        if (message == KeyMessage::SysKeyUp) {
            packetPending_ = true;
            return;
        }
        if (insertPos_ >= kMaxRecordedEntries) {
            showFullMessage();
            return;
        }
        --keysDown_;
        packetPending_ = false;
        writeEntry(static_cast<std::uint16_t>(keyScanForCharacter(kPacketCharacter, 0)), 0, 0);
        DisplayKeyEvent(kPacket, KeyDirection::Release);
        return;
    }
    if (virtualKey == lastKeyUp_ || refusedPresses_.erase(virtualKey) != 0) {
        return;  // a release whose press was not recorded is not recorded either
    }
    // Print Screen arrives as a release only and is recorded as release, press.
    const int entries = virtualKey == kPrintScreen ? 2 + std::max(keysDown_, 0) : 1;
    if (kMaxRecordedEntries - insertPos_ < entries) {
        showFullMessage();
        return;
    }
    --keysDown_;
    if (virtualKey == kPrintScreen) {
        writeEntry(kPrintScreen, 0, 0);
        writeEntry(kPrintScreen, 1, 0);
    } else {
        writeEntry(virtualKey, 0, 0);
    }
    DisplayKeyEvent(virtualKey, KeyDirection::Release);
}

void KeyRecorder::characterTyped(char16_t character) {
    if (!recording_ || character == 1) {
        return;
    }
    if (character != lastCharShown_) {
        if (packetPending_) {
            TypeCharacter(character);
        } else if (showNextChar_) {
            if (DisplayTextFull()) {
                showFullMessage();
                return;
            }
            const char16_t shown = secretLock_ == SecretLock::Closed ? u'*' : character;
            AppendDisplayChar(shown);
            lastCharShown_ = shown;
            return;
        }
    }
    lastCharShown_ = character;
}

void KeyRecorder::appendText(std::u16string_view text) {
    if (displayBuffer_.size() < kMaxDisplayTextUnits) {
        displayBuffer_.append(text.substr(0, kMaxDisplayTextUnits - displayBuffer_.size()));
    }
    slot().displayText = displayBuffer_;
}

void KeyRecorder::appendFormatted(std::u16string_view format, std::uint16_t virtualKey) {
    std::u16string text(format);
    const std::size_t placeholder = text.find(u"%s");
    if (placeholder != std::u16string::npos) {
        text.replace(placeholder, 2, names_.name(virtualKey));
    }
    appendText(text);
}

void KeyRecorder::DisplayKeyEvent(std::uint16_t virtualKey, KeyDirection direction) {
    showNextChar_ = false;
    keysDown_ = std::max(keysDown_, 0);
    if (direction == KeyDirection::Press) {
        displayPress(virtualKey, insertPos_);
    } else if (keysDown_ == 0) {
        if (bracketOpen_) {
            appendText(u" ] ");
        }
        if (virtualKey == kPrintScreen) {
            appendFormatted(u"[ %s ]", virtualKey);
        }
        lastCharShown_ = 0;
        lastKeyDown_ = 0;
        lastKeyUp_ = 0;
        lastKey_ = 0;
        prevKey_ = 0;
        bracketOpen_ = false;
    } else {
        if (virtualKey == kPrintScreen) {
            appendFormatted(u" + %s", virtualKey);
        }
        lastCharShown_ = 0;
        lastKeyDown_ = 0;
        lastKeyUp_ = 0;
    }
    if (phase_ == 1) {
        prevKey_ = lastKey_;
    }
    lastKey_ = virtualKey;
    phase_ = 1 - phase_;
    slot().displayText = displayBuffer_;
}

void KeyRecorder::displayPress(std::uint16_t key, std::int32_t entries) {
    const auto openBracket = [this](std::u16string_view format, std::uint16_t named) {
        appendFormatted(format, named);
        bracketOpen_ = true;
    };
    // Shift held and no bracket yet: the character message shows what was typed.
    const auto shiftedCharacter = [&] {
        if (shiftHeld() && bracketOpen_) {
            appendFormatted(u" + %s", key);
        } else {
            showNextChar_ = true;
        }
    };
    if (IsCharacterKey(key)) {
        if (entries <= 1) {
            showNextChar_ = true;
        } else if (held(kRightAlt)) {
            appendText(u" + ");
            showNextChar_ = true;
        } else if (held(kControl) || held(kLeftWindows) || held(kRightWindows) ||
                   held(kRightControl) || held(kLeftControl)) {
            const bool altGrPunctuation =
                (key == 0xBA || key == 0xBB || key == 0xDE || key == 0xBF) && lastKey_ == kAlt &&
                prevKey_ == kControl && held(kLeftAlt) &&
                (held(kRightControl) || held(kLeftControl));
            if (altGrPunctuation) {
                appendText(u" + ");
                showNextChar_ = true;
            } else {
                appendFormatted(u" + %s", key);
            }
        } else if (shiftHeld()) {
            shiftedCharacter();
        } else if (held(kCapsLock) || held(kLeftAlt) || held(kAlt)) {
            appendFormatted(u" + %s", key);
        } else {
            shiftedCharacter();
        }
    } else if (IsModifierKey(key)) {
        if (keysDown_ == 1) {
            openBracket(u" [ %s", key);
        } else if (entries == 2) {
            if (shiftHeld()) {
                openBracket(u"[ SHIFT + %s", key);
            } else {
                appendFormatted(u" + %s", key);
            }
        } else {
            openBracket(u" + %s", key);
        }
    } else if (IsShiftKey(key)) {
        if (keysDown_ > 1 && entries >= 2) {
            appendFormatted(u" + %s ", key);
        }
    } else if (keysDown_ == 1) {
        if (key == kEnter) {
            appendFormatted(u" [ %s ]\r\n", key);
        } else if (key == kSpace) {
            showNextChar_ = true;
        } else {
            openBracket(u" [ %s", key);
        }
    } else if (keysDown_ > 1) {
        if (key == kEnter) {
            if (shiftHeld()) {
                if (entries == 2) {
                    appendFormatted(u"[ SHIFT + %s", key);
                } else if (entries > 2) {
                    appendFormatted(u" + %s", key);
                }
            } else {
                appendFormatted(u" + %s", key);
                if (!held(kCapsLock)) {
                    bracketOpen_ = true;
                }
            }
        } else if (key == kSpace) {
            if (shiftHeld()) {
                if (entries == 2 || (entries > 2 && !bracketOpen_)) {
                    openBracket(u"[ SHIFT + %s", key);
                } else if (entries > 2) {
                    appendFormatted(u" + %s", key);
                }
            } else if (held(kCapsLock) || bracketOpen_) {
                appendFormatted(u" + %s", key);
            } else {
                showNextChar_ = true;
            }
        } else if (shiftHeld()) {
            if (bracketOpen_) {
                appendFormatted(u" + %s", key);
            } else {
                openBracket(u"[ SHIFT + %s", key);
            }
        } else {
            appendFormatted(u" + %s ", key);
        }
    }
}

void KeyRecorder::AppendDisplayChar(char16_t character) {
    appendText(std::u16string_view(&character, 1));
}

void KeyRecorder::TypeCharacter(char16_t character) {
    AddTextAsKeys(std::u16string_view(&character, 1));
    // With the lock closed a typed character is hidden like a keyed one.
    AppendDisplayChar(secretLock_ == SecretLock::Closed ? u'*' : character);
}

int KeyRecorder::keyScanForCharacter(char16_t character, char16_t previous) const {
    // Every line end gives one Enter, whether the text ends its lines with
    // CR LF, CR or LF; the LF of a CR LF pair adds nothing (Ctrl+Enter).
    if (character == u'\r') {
        return kEnter;
    }
    if (character == u'\n') {
        return previous == u'\r' ? (2 << 8) | kEnter : kEnter;
    }
    if (IsHighSurrogate(character) || IsLowSurrogate(character)) {
        return kNoKey;
    }
    const auto key = keyboard_.keyForCharacter(character);
    if (!key) {
        return kNoKey;
    }
    const int shiftState = (key->shift ? 1 : 0) | (key->control ? 2 : 0) | (key->alt ? 4 : 0);
    return (shiftState << 8) | (key->virtualKey & 0xFF);
}

bool KeyRecorder::AddTextAsKeys(std::u16string_view text) {
    std::vector<int> keyScans;
    keyScans.reserve(text.size());
    long estimate = 0;
    char16_t previous = 0;
    for (const char16_t character : text) {
        const int keyScan = keyScanForCharacter(character, previous);
        keyScans.push_back(keyScan);
        estimate += keyScan == kNoKey ? 12 : KeyEntryCount(keyScan);
        previous = character;
    }
    if (estimate > kMaxRecordedEntries || slot().count + estimate >= kMaxMacroEntries) {
        showFullMessage();
        return false;
    }
    for (std::size_t index = 0; index < text.size(); ++index) {
        if ((keyScans[index] & 0xFF) == 0xFF && text[index] != u' ') {
            addCharEntry(text[index]);
        } else {
            addKeyEntries(keyScans[index]);
        }
    }
    slot().count = insertPos_;
    return true;
}

void KeyRecorder::addKeyEntries(int keyScan) {
    const auto key = static_cast<std::uint16_t>(keyScan & 0xFF);
    const int shiftState = (keyScan >> 8) & 0xFF;
    const auto stroke = [this, key] {
        writeEntry(key, 1, 0);
        writeEntry(key, 0, 0);
    };
    const auto around = [this](std::uint16_t modifier, auto inner) {
        writeEntry(modifier, 1, 0);
        inner();
        writeEntry(modifier, 0, 0);
    };
    switch (shiftState) {
        case 1:
            around(kShift, stroke);
            break;
        case 2:
            if (key != kEnter) {
                around(kControl, stroke);
            }
            break;
        case 4:
            around(kAlt, stroke);
            break;
        case 6:
            around(kControl, [&] { around(kAlt, stroke); });
            break;
        default:
            stroke();
            break;
    }
}

void KeyRecorder::addCharEntry(char16_t character) {
    writeEntry(character, 1, 1);
    writeEntry(character, 0, 1);
}

void KeyRecorder::PasteClipboardText() {
    const std::u16string text = Utf8ToUtf16(clipboard_.text());
    if (text.empty()) {
        return;
    }
    if (displayBuffer_.size() + text.size() >= kMaxDisplayTextUnits + 1) {
        showFullMessage();
        return;
    }
    if (AddTextAsKeys(text)) {
        appendText(secretLock_ == SecretLock::Closed ? std::u16string_view(u" [ SECRET TEXT ] ")
                                                     : std::u16string_view(text));
    }
}

void KeyRecorder::writeMark(std::uint16_t mark) {
    MacroSlot& recorded = slot();
    const auto at = static_cast<std::size_t>(insertPos_);
    recorded.keyValue[at] = mark;
    recorded.pressFlag[at] = 0;
    recorded.unicodeFlag[at] = 0;
    recorded.shellCommand.erase(insertPos_);
    ++insertPos_;
}

void KeyRecorder::AddPauseEntry() {
    if (!recording_) {
        return;
    }
    if (DisplayTextFull() || insertPos_ >= kMaxRecordedEntries) {
        showFullMessage();
        return;
    }
    // The pause counts once another entry follows: a trailing pause is not played.
    slot().count = insertPos_;
    writeMark(kPauseMark);
    appendText(u"{Pause 1s}");
}

bool KeyRecorder::AddShellEntries(std::u16string_view command, std::u16string_view description) {
    if (!recording_) {
        return false;
    }
    if (displayBuffer_.size() + kMaxShellCommandUnits + 1 >= kMaxDisplayTextUnits + 1 ||
        insertPos_ + 3 > kMaxRecordedEntries) {
        showFullMessage();
        return false;
    }
    const std::int32_t at = insertPos_;
    writeMark(kShellMark);
    slot().shellCommand[at] = std::u16string(command.substr(0, kMaxShellCommandUnits));
    writeMark(kPauseMark);
    writeMark(kPauseMark);
    slot().count = at + 2;
    appendText(description);
    return true;
}

}  // namespace veltranix
