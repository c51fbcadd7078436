#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
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
    // A topmost message with an empty caption. Returns at once and calls
    // `closed` (from any thread, at most once) when the user has closed it;
    // playback waits for that unless it is asked to stop.
    virtual void showShellError(std::string_view text, std::function<void()> closed) = 0;
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
//
// At shutdown the program calls requestStop() and then
// waitUntilFinished(MacroPlayer::kShutdownWait) (the destructor does the
// same): a macro stops at its next entry or pause tick, an open shell error
// box does not hold it, and the wait is bounded.
class MacroPlayer : public MacroPlayerPort {
  public:
    static constexpr std::chrono::milliseconds kShutdownWait{1000};

    MacroPlayer(MacroSets& sets, KeyboardInputPort& keyboard, ShellPort& shell, Clock& clock,
                const Lexicon& lexicon, MacroPlaybackDisplayPort& display);
    // Stops a macro still playing and waits for it at most kShutdownWait; a
    // player thread still opening a command then is left to end on its own
    // and touches no port after that (the shell's `open` must not depend on
    // its object outliving the call).
    ~MacroPlayer() override;
    MacroPlayer(const MacroPlayer&) = delete;
    MacroPlayer& operator=(const MacroPlayer&) = delete;

    // Commits the working set and plays slot 0..5 from that copy. GUI thread.
    void startMacroPlayback(int slot) override;
    bool macroPlaying() const override { return control_->playing.load(); }
    bool shellErrorShowing() const override { return control_->errorShowing.load(); }
    // Asks the current playback to stop at its next entry or pause tick and
    // not to wait for its shell error box; the lock keys are still put back
    // and the progress window closed. Any thread.
    void requestStop();
    // Returns once the current playback (if any) has ended. GUI thread.
    void waitUntilFinished();
    // The same within `limit`: false when the playback is still running.
    bool waitUntilFinished(std::chrono::milliseconds limit);

    // What the player thread shares with the player and the error box.
    struct Control {
        std::mutex mutex;
        std::condition_variable changed;
        bool stopRequested = false;
        bool errorClosed = false;
        bool finished = true;
        std::atomic<bool> playing{false};
        std::atomic<bool> errorShowing{false};
        // Held by the player thread while it uses the ports, let go while a
        // command opens; `portsGone` is set under it when the player goes.
        std::mutex portsMutex;
        bool portsGone = false;
    };

  private:
    MacroSets& sets_;
    KeyboardInputPort& keyboard_;
    ShellPort& shell_;
    Clock& clock_;
    const Lexicon& lexicon_;
    MacroPlaybackDisplayPort& display_;
    std::shared_ptr<Control> control_ = std::make_shared<Control>();
    std::thread thread_;
};

}  // namespace veltranix
