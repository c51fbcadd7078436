#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/clock.h"
#include "core/input_port.h"
#include "core/macro_player_port.h"
#include "core/shell_port.h"
#include "macros/macro_set.h"
#include "settings/lexicon.h"

namespace veltranix {

// The progress window and the shell error message of playback. Called on
// the player thread; implementations hand the work to the GUI thread.
class MacroPlaybackDisplayPort {
  public:
    virtual ~MacroPlaybackDisplayPort() = default;
    // The progress window, shown for macros that hold pauses.
    virtual void showProgress() = 0;
    // `barPosition` on a bar of range 0..280; `counterText` such as "3 / 12".
    virtual void updateProgress(int barPosition, std::string_view counterText) = 0;
    virtual void hideProgress() = 0;
    virtual void closeProgress() = 0;
    // A topmost message with an empty caption; returns once the user closed it.
    virtual void showShellError(std::string_view text) = 0;
};

// Entries played per playback: a longer macro plays its first 3999.
inline constexpr std::int32_t kMaxPlayedEntries = 3999;
inline constexpr int kProgressBarSpan = 275;

// One entry of a macro made ready to send.
struct PreparedInput {
    enum class Kind {
        Key,        // by scan code
        Character,  // typed as such
        Pause,
        Shell,
        Nothing,  // the first half of a character that the next entry completes
    };
    Kind kind = Kind::Nothing;
    std::uint16_t scanCode = 0;
    KeyExtension extension = KeyExtension::Plain;
    KeyDirection direction = KeyDirection::Press;
    char32_t character = 0;

    friend bool operator==(const PreparedInput&, const PreparedInput&) = default;
};

// Keys that the keyboard sends with the extended prefix.
bool IsExtendedKey(std::uint8_t virtualKey);

// The inputs of a slot's entries in use (at most 3999 when `count` is above 4000).
std::vector<PreparedInput> PrepareMacroInputs(const MacroSlot& slot,
                                              const KeyboardInputPort& keyboard);

// The lexicon text that explains a failed shell result (below 32).
LexiconKey ShellErrorKey(int shellResult);

// The message for a failed shell entry: the explanation, then the command's
// file name (the part after its last backslash or slash) in angle brackets.
std::string ShellErrorMessage(std::string_view explanation, std::string_view command);

// Plays macro slots on a thread of its own. The GUI thread starts playback;
// the flags may be read from any thread.
class MacroPlayer : public MacroPlayerPort {
  public:
    MacroPlayer(MacroSets& sets, KeyboardInputPort& keyboard, ShellPort& shell, Clock& clock,
                const Lexicon& lexicon, MacroPlaybackDisplayPort& display);
    // Waits for a macro that is still playing.
    ~MacroPlayer() override;
    MacroPlayer(const MacroPlayer&) = delete;
    MacroPlayer& operator=(const MacroPlayer&) = delete;

    // Commits the working set and plays slot 0..5 from that copy. GUI thread.
    void startMacroPlayback(int slot) override;
    bool macroPlaying() const override { return macroPlaying_.load(); }
    bool shellErrorShowing() const override { return shellErrorShowing_.load(); }
    // Returns once the current playback (if any) has ended. GUI thread.
    void waitUntilFinished();

  private:
    // Everything the player thread reads: its own copy, taken on the GUI thread.
    struct Playback {
        std::vector<PreparedInput> inputs;
        std::map<std::int32_t, std::u16string> shellCommands;
        Lexicon errorTexts;  // the shell error texts of the lexicon
    };

    void play(const Playback& playback);
    bool playPause(bool& pauseStarted, SystemTime& pauseStart);
    bool playShell(const Playback& playback, std::int32_t index);
    void tapLockKey(std::uint16_t virtualKey);

    MacroSets& sets_;
    KeyboardInputPort& keyboard_;
    ShellPort& shell_;
    Clock& clock_;
    const Lexicon& lexicon_;
    MacroPlaybackDisplayPort& display_;
    std::atomic<bool> macroPlaying_{false};
    std::atomic<bool> shellErrorShowing_{false};
    std::thread thread_;
};

}  // namespace veltranix
