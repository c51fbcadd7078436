#include "macros/macro_player.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "core/virtual_key_table.h"
#include "macros/utf16.h"

namespace veltranix {

namespace {

constexpr std::uint16_t kCapsLockKey = 0x14;
constexpr std::uint16_t kNumLockKey = 0x90;
constexpr int kPlayerStepMs = 2;
constexpr int kLockTapMs = 100;
// The pause polls the clock at this period instead of spinning a processor.
constexpr int kPausePollMs = 5;
constexpr int kShellErrorLimit = 32;

constexpr std::array<LexiconKey, 4> kShellErrorKeys = {
    LexiconKey::ShellError, LexiconKey::ShellError01, LexiconKey::ShellError02,
    LexiconKey::ShellError03};

int SecondsWithinHourWhole(const SystemTime& time) {
    return time.minute * 60 + time.second;
}

bool IsUnicodeEntry(const MacroSlot& slot, std::int32_t index, bool (*test)(char32_t)) {
    const auto at = static_cast<std::size_t>(index);
    return slot.unicodeFlag[at] == 1 && test(slot.keyValue[at]) &&
           slot.keyValue[at] != kShellMark && slot.keyValue[at] != kPauseMark;
}

// A character entry; a surrogate pair recorded as four entries (high down,
// high up, low down, low up) plays as one character.
PreparedInput CharacterInput(const MacroSlot& slot, std::int32_t index, std::int32_t count) {
    const auto at = static_cast<std::size_t>(index);
    PreparedInput input;
    input.kind = PreparedInput::Kind::Character;
    input.direction = slot.pressFlag[at] == 1 ? KeyDirection::Press : KeyDirection::Release;
    input.character = slot.keyValue[at];
    if (IsHighSurrogate(input.character)) {
        for (std::int32_t next = index + 1; next < std::min(index + 3, count); ++next) {
            if (IsUnicodeEntry(slot, next, IsLowSurrogate)) {
                input.kind = PreparedInput::Kind::Nothing;
            }
        }
    } else if (IsLowSurrogate(input.character)) {
        for (std::int32_t previous = index - 1; previous >= std::max(index - 2, 0); --previous) {
            if (IsUnicodeEntry(slot, previous, IsHighSurrogate)) {
                const char32_t high = slot.keyValue[static_cast<std::size_t>(previous)];
                input.character = 0x10000 + ((high - 0xD800) << 10) + (input.character - 0xDC00);
                break;
            }
        }
    }
    return input;
}

}  // namespace

bool IsExtendedKey(std::uint8_t virtualKey) {
    // The key table knows every key that carries the extended prefix (the
    // navigation block and arrows, right-hand modifiers, keypad divide and
    // Enter, the media and browser keys), not only the commonest ones.
    const VirtualKeyInfo* key = FindVirtualKey(virtualKey);
    return key != nullptr && key->extension == KeyExtension::Extended;
}

std::vector<PreparedInput> PrepareMacroInputs(const MacroSlot& slot,
                                              const KeyboardInputPort& keyboard) {
    std::int32_t count = std::max(slot.count, 0);
    if (count > kMaxMacroEntries) {
        count = kMaxPlayedEntries;
    }
    std::vector<PreparedInput> inputs;
    inputs.reserve(static_cast<std::size_t>(count));
    for (std::int32_t index = 0; index < count; ++index) {
        const auto at = static_cast<std::size_t>(index);
        const std::uint16_t value = slot.keyValue[at];
        PreparedInput input;
        if (value == kPauseMark) {
            input.kind = PreparedInput::Kind::Pause;
        } else if (value == kShellMark) {
            input.kind = PreparedInput::Kind::Shell;
        } else if (slot.unicodeFlag[at] == 1) {
            input = CharacterInput(slot, index, count);
        } else {
            // The high byte may carry a shift state; the key is the low byte.
            const auto key = static_cast<std::uint8_t>(value & 0xFF);
            input.kind = PreparedInput::Kind::Key;
            input.scanCode = keyboard.scanCodeForVirtualKey(key);
            input.extension = IsExtendedKey(key) ? KeyExtension::Extended : KeyExtension::Plain;
            input.direction = slot.pressFlag[at] == 1 ? KeyDirection::Press : KeyDirection::Release;
        }
        inputs.push_back(input);
    }
    return inputs;
}

LexiconKey ShellErrorKey(int shellResult) {
    switch (shellResult) {
        case kShellFileNotFound:
            return LexiconKey::ShellError01;
        case kShellPathNotFound:
            return LexiconKey::ShellError02;
        case kShellNoAssociation:
            return LexiconKey::ShellError;
        default:
            return LexiconKey::ShellError03;
    }
}

std::string ShellErrorMessage(std::string_view explanation, std::string_view command) {
    const std::size_t separator = command.find_last_of("\\/");
    const std::string_view fileName =
        separator == std::string_view::npos ? command : command.substr(separator + 1);
    std::string message(explanation);
    message += "\n\n< ";
    message += fileName;
    message += " >";
    return message;
}

namespace {

// Everything the player thread uses: its own copy of the macro, taken on the
// GUI thread, the ports, and the control it shares with the player.
struct Playback {
    std::vector<PreparedInput> inputs;
    std::map<std::int32_t, std::u16string> shellCommands;
    Lexicon errorTexts;  // the shell error texts of the lexicon
    KeyboardInputPort* keyboard = nullptr;
    ShellPort* shell = nullptr;
    Clock* clock = nullptr;
    MacroPlaybackDisplayPort* display = nullptr;
    std::shared_ptr<MacroPlayer::Control> control;
};

bool StopRequested(MacroPlayer::Control& control) {
    std::lock_guard lock(control.mutex);
    return control.stopRequested;
}

void TapLockKey(const Playback& playback, std::uint16_t virtualKey) {
    playback.keyboard->sendVirtualKey(virtualKey, KeyDirection::Press);
    playback.keyboard->sendVirtualKey(virtualKey, KeyDirection::Release);
    playback.clock->sleepMs(kLockTapMs);
}

// True once the pause is over.
bool PlayPause(const Playback& playback, bool& pauseStarted, SystemTime& pauseStart) {
    Clock& clock = *playback.clock;
    if (!pauseStarted) {
        pauseStart = clock.utcNow();
        pauseStarted = true;
        return false;
    }
    const SystemTime now = clock.utcNow();
    const int startSeconds = SecondsWithinHourWhole(pauseStart);
    const int nowSeconds = SecondsWithinHourWhole(now);
    // A start later than now: the minutes wrapped at the hour.
    if (startSeconds > nowSeconds || nowSeconds - startSeconds > 1) {
        pauseStarted = false;
        return true;
    }
    clock.sleepMs(kPausePollMs);
    return false;
}

// The keys and characters a playback has pressed and not yet released.
class HeldKeys {
  public:
    void follow(const PreparedInput& input) {
        if (input.direction == KeyDirection::Press) {
            held_.push_back(input);
            return;
        }
        const auto same =
            std::find_if(held_.rbegin(), held_.rend(), [&](const PreparedInput& down) {
                return down.kind == input.kind && down.scanCode == input.scanCode &&
                       down.extension == input.extension && down.character == input.character;
            });
        if (same != held_.rend()) {
            held_.erase(std::next(same).base());
        }
    }
    // Last pressed, first released.
    void releaseAll(KeyboardInputPort& keyboard) {
        for (auto down = held_.rbegin(); down != held_.rend(); ++down) {
            if (down->kind == PreparedInput::Kind::Key) {
                keyboard.sendScanCode(down->scanCode, down->extension, KeyDirection::Release);
            } else {
                keyboard.sendCharacter(down->character, KeyDirection::Release);
            }
        }
        held_.clear();
    }

  private:
    std::vector<PreparedInput> held_;
};

enum class ShellOutcome {
    Opened,
    Failed,     // the rest of the macro is abandoned
    PortsGone,  // the player went while the command was being opened
};

// `gate` is let go while the command is opened, which may take long. A
// failed command lets go of the keys held before its error is shown: a Ctrl
// left down would turn the click that closes the error into another.
ShellOutcome PlayShell(const Playback& playback, std::int32_t index, HeldKeys& held,
                       std::unique_lock<std::mutex>& gate) {
    const auto found = playback.shellCommands.find(index);
    const std::string command =
        found == playback.shellCommands.end()
            ? std::string()
            : Utf16ToUtf8(std::u16string_view(found->second).substr(0, kMaxShellCommandUnits));
    // An entry without a command has nothing to open: reported as not found.
    MacroPlayer::Control& control = *playback.control;
    int result = kShellFileNotFound;
    if (!command.empty()) {
        gate.unlock();
        result = playback.shell->open(command);
        gate.lock();
        if (control.portsGone) {
            return ShellOutcome::PortsGone;
        }
    }
    if (result >= kShellErrorLimit) {
        return ShellOutcome::Opened;
    }
    held.releaseAll(*playback.keyboard);
    playback.display->hideProgress();
    {
        std::lock_guard lock(control.mutex);
        control.errorClosed = false;
    }
    control.errorShowing.store(true);
    // The box may outlive the player: its closing reaches the shared control.
    playback.display->showShellError(
        ShellErrorMessage(playback.errorTexts.text(ShellErrorKey(result)), command),
        [shared = playback.control] {
            std::lock_guard lock(shared->mutex);
            shared->errorClosed = true;
            shared->changed.notify_all();
        });
    {
        std::unique_lock lock(control.mutex);
        control.changed.wait(lock, [&] { return control.errorClosed || control.stopRequested; });
    }
    control.errorShowing.store(false);
    return ShellOutcome::Failed;
}

// Plays the entries with the ports' gate held; returns at once, touching no
// port, when the player has gone meanwhile.
void PlayEntries(const Playback& playback, std::unique_lock<std::mutex>& gate) {
    KeyboardInputPort& keyboard = *playback.keyboard;
    MacroPlaybackDisplayPort& display = *playback.display;
    MacroPlayer::Control& control = *playback.control;
    const auto entryCount = static_cast<std::int32_t>(playback.inputs.size());
    const bool hasPauses = std::any_of(
        playback.inputs.begin(), playback.inputs.end(),
        [](const PreparedInput& input) { return input.kind == PreparedInput::Kind::Pause; });
    if (entryCount >= 1) {
        if (hasPauses) {
            display.showProgress();
        }
        playback.clock->sleepMs(kPlayerStepMs);
        const bool capsLockWasOn = keyboard.lockKeyOn(LockKey::CapsLock);
        if (capsLockWasOn) {
            TapLockKey(playback, kCapsLockKey);
        }
        const bool numLockWasOn = keyboard.lockKeyOn(LockKey::NumLock);
        if (numLockWasOn) {
            TapLockKey(playback, kNumLockKey);
        }

        HeldKeys held;
        std::string shownCounter;
        bool pauseStarted = false;
        SystemTime pauseStart;
        std::int32_t index = 0;
        bool abandoned = false;
        while (index < entryCount && !abandoned && !StopRequested(control)) {
            if (hasPauses) {
                std::string counter = std::to_string(index) + " / " + std::to_string(entryCount);
                if (counter != shownCounter) {
                    display.updateProgress(index * kProgressBarSpan / entryCount, counter);
                    shownCounter = std::move(counter);
                }
            }
            const PreparedInput& input = playback.inputs[static_cast<std::size_t>(index)];
            switch (input.kind) {
                case PreparedInput::Kind::Pause:
                    if (!PlayPause(playback, pauseStarted, pauseStart)) {
                        continue;
                    }
                    break;
                case PreparedInput::Kind::Shell:
                    switch (PlayShell(playback, index, held, gate)) {
                        case ShellOutcome::Opened:
                            break;
                        case ShellOutcome::Failed:
                            abandoned = true;
                            break;
                        case ShellOutcome::PortsGone:
                            return;
                    }
                    playback.clock->sleepMs(kPlayerStepMs);
                    break;
                case PreparedInput::Kind::Key:
                    keyboard.sendScanCode(input.scanCode, input.extension, input.direction);
                    held.follow(input);
                    break;
                case PreparedInput::Kind::Character:
                    keyboard.sendCharacter(input.character, input.direction);
                    held.follow(input);
                    break;
                case PreparedInput::Kind::Nothing:
                    break;
            }
            ++index;
        }

        if (abandoned || index < entryCount) {
            // Ended before its last entry (a failed command, a stop request,
            // the program ending): the releases still to come would never be
            // played, and a key left down would stay down for the whole desktop.
            held.releaseAll(keyboard);
        }
        // A lock the macro switched on goes off again; a lock that was on
        // before playback is switched back on.
        if (keyboard.lockKeyOn(LockKey::CapsLock) != capsLockWasOn) {
            TapLockKey(playback, kCapsLockKey);
        }
        if (keyboard.lockKeyOn(LockKey::NumLock) != numLockWasOn) {
            TapLockKey(playback, kNumLockKey);
        }
    }
    if (hasPauses) {
        display.closeProgress();
    }
    playback.clock->sleepMs(kPlayerStepMs);
}

void Play(const Playback& playback) {
    MacroPlayer::Control& control = *playback.control;
    {
        std::unique_lock gate(control.portsMutex);
        PlayEntries(playback, gate);
    }
    control.playing.store(false);
    std::lock_guard lock(control.mutex);
    control.finished = true;
    control.changed.notify_all();
}

}  // namespace

MacroPlayer::MacroPlayer(MacroSets& sets, KeyboardInputPort& keyboard, ShellPort& shell,
                         Clock& clock, const Lexicon& lexicon, MacroPlaybackDisplayPort& display)
    : sets_(sets),
      keyboard_(keyboard),
      shell_(shell),
      clock_(clock),
      lexicon_(lexicon),
      display_(display) {}

MacroPlayer::~MacroPlayer() {
    requestStop();
    if (!waitUntilFinished(kShutdownWait) && thread_.joinable()) {
        // Still opening a command: once it returns, the thread finds the
        // ports gone and ends without touching them.
        {
            std::lock_guard gate(control_->portsMutex);
            control_->portsGone = true;
        }
        thread_.detach();
    }
}

void MacroPlayer::requestStop() {
    std::lock_guard lock(control_->mutex);
    control_->stopRequested = true;
    control_->changed.notify_all();
}

void MacroPlayer::waitUntilFinished() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

bool MacroPlayer::waitUntilFinished(std::chrono::milliseconds limit) {
    {
        std::unique_lock lock(control_->mutex);
        if (!control_->changed.wait_for(lock, limit, [&] { return control_->finished; })) {
            return false;
        }
    }
    waitUntilFinished();
    return true;
}

void MacroPlayer::startMacroPlayback(int slot) {
    // Set here, before the thread exists, so that a second request that comes
    // before the thread has started is ignored too.
    if (slot < 0 || slot >= kMacroSlotCount || control_->playing.exchange(true)) {
        return;
    }
    waitUntilFinished();  // the previous player has cleared its flag and is ending
    CommitMacros(sets_.workingMacros, sets_.playbackMacros);
    const MacroSlot& played = sets_.playbackMacros[static_cast<std::size_t>(slot)];
    Playback playback;
    playback.inputs = PrepareMacroInputs(played, keyboard_);
    playback.shellCommands = played.shellCommand;
    for (const LexiconKey key : kShellErrorKeys) {
        playback.errorTexts.slots[static_cast<std::size_t>(key)] = lexicon_.text(key);
    }
    playback.keyboard = &keyboard_;
    playback.shell = &shell_;
    playback.clock = &clock_;
    playback.display = &display_;
    playback.control = control_;
    {
        std::lock_guard lock(control_->mutex);
        control_->stopRequested = false;
        control_->finished = false;
    }
    thread_ = std::thread([moved = std::move(playback)] { Play(moved); });
}

}  // namespace veltranix
