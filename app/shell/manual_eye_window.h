#pragma once

#include <optional>

#include "app/shell/skin.h"
#include "core/geometry.h"
#include "settings/lexicon.h"
#include "settings/settings.h"
#include "tracking/face_detector.h"

namespace veltranix {

// What a pair of eye markers is worth. The numbers of the first five are
// the stored result's; OutsideImage is ours: a plausible pair so near the
// picture's edge that the face template or its search would be clipped.
enum class EyePairResult {
    Undecided = 0,  // eye distance exactly 70 or 125
    Valid = 1,
    TooNear = 2,  // eyes too far apart: the face is too close
    TooFar = 3,   // eyes too close together: the face is too far
    Tilted = 9,
    OutsideImage = 10,
};

// The rule for a pair of eye positions (camera pixels): 70 < distance < 125
// and a tilt of at most 0.17 radians.
EyePairResult ValidateEyePair(int leftX, int leftY, int rightX, int rightY);

// The window is the still picture (640 x 480 at its origin) and a 2-pixel
// strip below it; not scaled.
inline constexpr ScreenSize kManualEyeWindowSize{640, 482};
// Where clicks place markers and the crosshair follows: 71 <= x <= 569,
// 91 <= y <= 399.
inline constexpr ScreenRect kEyeImageArea{71, 91, 569, 399};
inline constexpr RgbColour kCrosshairColour{0x13, 0x42, 0xDB};
inline constexpr int kCrosshairPenWidth = 2;
inline constexpr int kCrosshairCircleRadius = 4;
inline constexpr RgbColour kMarkerValidColour{0x00, 0xFF, 0x00};
inline constexpr RgbColour kMarkerRefusedColour{0xFF, 0x00, 0x00};
inline constexpr int kMarkerArmPixels = 5;

// What the window asks of the program.
class ManualEyeActions {
  public:
    virtual ~ManualEyeActions() = default;
    // A valid pair is stored (the store is left unchanged when it fails).
    virtual void saveEyePositions(const ManualEyePositions& positions) = 0;
    // Both eyes are marked with a valid pair (the OK frame of the set-up bar
    // blinks), or no longer are.
    virtual void eyePairConfirmed(bool confirmed) = 0;
};

// The crosshair that follows the pointer over the picture: a vertical and a
// horizontal line and a small circle around the pointer.
struct Crosshair {
    ScreenPoint centre;
    ScreenPoint verticalFrom;
    ScreenPoint verticalTo;
    ScreenPoint horizontalFrom;
    ScreenPoint horizontalTo;
};

// The manual eye positions window's logic: two eye markers over a still
// picture, moved by clicks, validated, stored when valid, and the eyes that
// tracking may start from. GUI thread.
class ManualEyeWindow {
  public:
    // Creation: the stored positions become the markers.
    ManualEyeWindow(ManualEyeActions& actions, const ManualEyePositions& stored);

    // Pointer events in client pixels.
    Repaint OnPointerMoved(ScreenPoint clientPoint);
    void OnLeftButtonDown(ScreenPoint clientPoint);
    // The window is shown again after a menu over it closed: the markers
    // are hidden until the next click and the pair is no longer confirmed.
    void OnShownAgain();
    // The set-up bar's clear button.
    void ClearMarks();

    // A confirmed valid pair that fits the picture; what tracking starts from.
    std::optional<EyeLine> ConfirmedEyes() const;
    bool eyesConfirmed() const { return eyesConfirmed_; }
    bool markersShown() const { return markersShown_; }
    EyePairResult result() const { return result_; }
    ScreenPoint leftMarker() const { return left_; }
    ScreenPoint rightMarker() const { return right_; }

    // What to paint over the picture.
    std::optional<Crosshair> CrosshairView() const;
    RgbColour markerColour() const;
    // The verdict on the pair, centred at y 45; none when the markers are
    // hidden or the result is undecided.
    std::optional<SkinText> Message(const Lexicon& lexicon) const;

  private:
    void Validate();

    ManualEyeActions& actions_;
    ScreenPoint left_;
    ScreenPoint right_;
    EyePairResult result_ = EyePairResult::Valid;
    bool markersShown_ = true;
    bool eyesConfirmed_ = false;
    std::optional<ScreenPoint> pointer_;
};

}  // namespace veltranix
