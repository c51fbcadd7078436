#pragma once

namespace veltranix {

// What the click code needs of macro playback.
class MacroPlayerPort {
  public:
    virtual ~MacroPlayerPort() = default;
    // Starts playing macro slot 0..5 on the player's own thread and returns at
    // once; does nothing while a macro plays. GUI thread.
    virtual void startMacroPlayback(int slot) = 0;
    // Safe to read from any thread.
    virtual bool macroPlaying() const = 0;
    virtual bool shellErrorShowing() const = 0;
};

}  // namespace veltranix
