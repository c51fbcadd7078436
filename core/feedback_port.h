#pragma once

#include <filesystem>

namespace veltranix {

enum class SoundOverlap {
    Interrupt,       // a new sound cuts the one playing
    DoNotInterrupt,  // nothing plays while another sound of the program plays
};

// Event sounds. Asynchronous; a missing file or no sound server plays
// nothing and reports nothing. GUI thread.
class SoundPort {
  public:
    virtual ~SoundPort() = default;
    virtual void play(const std::filesystem::path& waveFile, SoundOverlap overlap) = 0;
};

// The system-wide pointer cursors. GUI thread.
class CursorPort {
  public:
    virtual ~CursorPort() = default;
    // Replaces every cursor role by the animated cursor file; false when the
    // file cannot be read (the cursors stay as they were).
    virtual bool installAnimatedCursor(const std::filesystem::path& aniFile) = 0;
    // Replaces them by the animation's picture at `part` (0..1) of its
    // length, standing still; where stills cannot be shown, the animation.
    virtual bool installCursorStill(const std::filesystem::path& aniFile, double part) {
        (void)part;
        return installAnimatedCursor(aniFile);
    }
    // Brings back the desktop theme's own cursors.
    virtual void restoreSystemCursors() = 0;
    // Shows the hand cursor for the pointer where it is now.
    virtual void showHandCursor() = 0;
};

}  // namespace veltranix
