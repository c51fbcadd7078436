#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "settings/settings.h"
#include "tracking/track_stages.h"
#include "tracking/work_image.h"

namespace veltranix {

// The motion of one 5 x 5 block between two frames: whether it changed, and
// its displacement (0..5) up-or-none, down, left-or-none and right.
struct BlockMotion {
    bool changed = false;
    int upOrNone = 0;
    int down = 0;
    int leftOrNone = 0;
    int right = 0;
    friend bool operator==(const BlockMotion&, const BlockMotion&) = default;
};

inline constexpr int kGestureBlockSize = 5;
inline constexpr int kGestureSearchRange = 5;

// The block motion of a patch of `rows` x `columns` pixels between the
// previous copy (the reference) and the current copy, both stored column by
// column. Fills `blocks` (block columns outer, block rows inner; resized to
// the grid) and returns the activity: the sum of the vertical displacements.
// Only interior blocks are measured: a block counts as changed when its mean
// absolute difference exceeds 8; changed blocks flag their neighbours too;
// blocks with more than two unflagged neighbours are thinned out; the
// remaining ones are searched for their best shift, up to 5 pixels.
int BlockActivity(int rows, int columns, std::span<const std::int32_t> current,
                  std::span<const std::int32_t> previous, std::vector<BlockMotion>& blocks);

// One gesture patch: its place in the image and its two copies.
struct GesturePatch {
    int columns = 0;
    int rows = 0;
    std::vector<int> indices;  // WorkImage indices, columns outer
    std::vector<std::int32_t> current;
    std::vector<std::int32_t> previous;
    std::vector<BlockMotion> blocks;

    void allocate(int patchColumns, int patchRows);
    void release();
    // Places the patch with its top-left pixel at (left, top) and measures it;
    // a patch reaching outside the image is skipped (activity 0).
    int measure(int left, int top, const WorkImage& currentImage, const WorkImage& previousImage);
};

// A patch as the face shows it at rest, each value taken from the patch's mean and
// divided by its mean deviation, column by column.
struct PatchReference {
    int columns = 0;
    int rows = 0;
    std::vector<float> values;
    double darkShare = 0.0;  // of the values well below the mean: pupils, an open mouth
    double rawMean = 0.0;    // the pixel values' mean and mean deviation
    double rawDeviation = 0.0;
    // Of the patch's middle columns, the pixels darker than the reference's own
    // dark values: the inside of an open mouth.
    double centreDarkShare = 0.0;
    // The darkest 5 x 5 spot's mean over the patch's median, in pixel values:
    // near 0 for the black inside of an open mouth, whatever lights the face.
    double darkestSpotRatio = 1.0;

    struct Change {
        double difference = 0.0;
        double darkShare = 0.0;  // of the current patch, where it matches best
        double centreDarkShare = 0.0;
        ScreenPoint at;            // the top-left corner where it matches best
        std::vector<float> patch;  // its pixel values there, column by column
    };

    // Takes the reference at (left, top); false (and empty) when the patch
    // reaches outside the image or is flat.
    bool take(int left, int top, const WorkImage& image);
    bool empty() const { return values.empty(); }
    // How far the patch at (left, top) has changed from the reference: the
    // least, over shifts of up to 3 pixels, of the mean absolute difference
    // of the normalised values. None when empty or outside the image.
    std::optional<Change> change(int left, int top, const WorkImage& image) const;
    // The darkest spot ratio of the patch where `change` found it.
    double darkestSpotRatioOf(const Change& change) const;
    // The mean absolute difference of the normalised values of two references
    // of the same size, the least over shifts of up to 2 pixels.
    double differenceFrom(const PatchReference& other) const;
};

// Pictures of one patch taken now and then while tracking runs, and how much
// each two of them differ: the one most others resemble is what the face
// shows most of the time, whatever it showed when the run began.
class UsualAppearance {
  public:
    static constexpr int kPictures = 16;

    void clear();
    // Takes a picture at (left, top), in place of the oldest when full.
    void add(int left, int top, const WorkImage& image, const PatchReference& shape);
    // The picture that at least `minimumAlike` others, and most of the
    // others, differ from by less than `alikeBelow`; null when none does.
    const PatchReference* usual(double alikeBelow, int minimumAlike) const;

  private:
    std::vector<PatchReference> pictures_;
    std::vector<double> differences_;  // kPictures x kPictures
    std::size_t next_ = 0;
};

// A gesture kept for a time: closed (or open) since `sinceMs`, clicked once.
struct HoldTimer {
    std::optional<long long> sinceMs;
    long long lastHeldMs = 0;
    bool fired = false;

    // One frame: returns true on the frame the hold completes.
    bool follow(bool held, long long nowMs, int holdMs);
    double progress(long long nowMs, int holdMs) const;
};

// Test switches of the mouse options window: while one is on, that test runs
// whether or not a click kind is bound to it, so the window can show the
// live activity against the level. GUI thread.
struct GestureTestSwitches {
    bool eyeTest = false;
    bool mouthTest = false;
};

// Eye closing and mouth opening, seen as vertical movement inside patches on
// the eyes and the mouth between two consecutive frames of a still head.
// GUI thread, once per still tracking frame.
class GestureDetector : public GestureStage {
  public:
    static constexpr int kEyePatchColumns = 61;
    static constexpr int kEyePatchRows = 37;
    static constexpr int kMouthPatchColumns = 31;
    static constexpr int kMouthPatchRows = 50;

    explicit GestureDetector(const Settings& settings) : settings_(settings) {}

    void startRun(const TrackingRun& run, const WorkImage& image) override;
    void endRun() override;
    GestureOutcome testEyes(const WorkImage& current, const WorkImage& previous,
                            const HeadMotion& motion) override;
    GestureOutcome testMouth(const WorkImage& current, const WorkImage& previous,
                             const HeadMotion& motion) override;
    HeldGestures followHeld(const WorkImage& current, const HeadMotion& motion,
                            long long nowMs) override;

    GestureTestSwitches& testSwitches() { return switches_; }
    // Top-left corners of the three patches for a head position.
    struct PatchCorners {
        ScreenPoint firstEye;
        ScreenPoint secondEye;
        ScreenPoint mouth;
    };
    PatchCorners PlacePatches(const HeadMotion& motion) const;

  private:
    bool Bound(GestureRow row) const;
    int MeasureMouth(const WorkImage& current, const WorkImage& previous, const HeadMotion& motion);

    const Settings& settings_;
    GestureTestSwitches switches_;
    int halfEyeDistance_ = 0;
    GesturePatch firstEye_;
    GesturePatch secondEye_;
    GesturePatch mouth_;
    bool eyesFiredThisFrame_ = false;
    std::optional<int> eyeTestMouthActivity_;
    // The held gestures: the patches as the face usually shows them, this
    // frame's activities, the holds and whether a gesture is building.
    PatchReference firstEyeReference_;
    PatchReference secondEyeReference_;
    PatchReference mouthReference_;
    UsualAppearance firstEyeUsual_;
    UsualAppearance secondEyeUsual_;
    UsualAppearance mouthUsual_;
    std::optional<long long> lastPictureMs_;
    HoldTimer eyesChanged_;
    HoldTimer mouthChanged_;
    int openerFrames_ = 0;
    double eyeActivityPart_ = 0.0;
    double mouthActivityPart_ = 0.0;
    HoldTimer eyeHold_;
    HoldTimer mouthHold_;
    bool building_ = false;
    bool buildingClicked_ = false;
    std::optional<long long> risingSinceMs_;
    // The changes' resting values, and since when one has risen above its own.
    std::optional<double> eyeRest_;
    std::optional<double> mouthRest_;
    std::optional<long long> holdBackSinceMs_;
    // When both pupils last read hidden.
    std::optional<long long> pupilsHiddenMs_;
    bool mouthInsideBefore_ = false;
    long long lastHeldFrameMs_ = 0;
    bool movementFired_ = false;
};

}  // namespace veltranix
