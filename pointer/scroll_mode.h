#pragma once

#include <cstdint>
#include <optional>

#include "core/input_port.h"
#include "settings/settings.h"

namespace veltranix {

// The scroll speed setting's three steps, as stored.
enum class ScrollSpeed : std::int32_t { Slow = 1, Medium = 2, Fast = 3 };
ScrollSpeed ScrollSpeedFromStored(std::int32_t stored);

// How the camera image's x runs against the pointer's: mirrored (the
// pointer's default, the camera sees the user's right on its left) or the
// other way, when the user inverted the horizontal movement.
enum class HorizontalSense { Mirrored, Inverted };

// Wheel notches a second on each axis: positive scrolls down or right.
struct ScrollRate {
    double verticalPerSecond = 0.0;
    double horizontalPerSecond = 0.0;
    friend bool operator==(const ScrollRate&, const ScrollRate&) = default;
};

// The head's offset from where scrolling began (camera pixels, image x to
// the right and y down), measured in eye distances: within a dead zone
// nothing scrolls; past it the rate grows with the square of the way out,
// up to a ceiling. The head down scrolls down; sideways it scrolls where the
// pointer would go.
ScrollRate ScrollRateFor(double offsetXPixels, double offsetYPixels, double eyeDistancePixels,
                         ScrollSpeed speed, HorizontalSense sense);

// The scroll mode: chosen, the pointer stays where it is and the head scrolls
// the window under it in whole wheel notches, from where the head was on the
// first frame after the choice (or after a gap of frames). GUI thread.
class ScrollMode {
  public:
    ScrollMode(PointerInputPort& input, const Settings& settings);

    // Chosen: scrolling starts from the head's position on the next frame.
    void Start();
    void Stop();
    bool active() const { return active_; }

    // One tracking frame while active: the head's position in camera pixels,
    // the face's eye distance and the frame's time. Sends the notches that
    // are due; true while the head is past the dead zone.
    bool Follow(double headXPixels, double headYPixels, double eyeDistancePixels, long long nowMs);

  private:
    PointerInputPort& input_;
    const Settings& settings_;
    bool active_ = false;
    std::optional<double> originX_;
    double originY_ = 0.0;
    long long lastMs_ = 0;
    // Notches owed but not yet whole, per axis.
    double verticalDue_ = 0.0;
    double horizontalDue_ = 0.0;
};

}  // namespace veltranix
