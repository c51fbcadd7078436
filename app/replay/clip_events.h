#pragma once

#include <optional>
#include <string>
#include <vector>

#include <opencv2/core.hpp>

#include "core/geometry.h"

namespace veltranix {

// One marked span of a clip, in seconds of the clip's presentation time.
struct ClipEvent {
    double startSeconds = 0.0;
    double endSeconds = 0.0;
    std::string kind;  // "eyes_closed_deliberate", "mouth_open", "talking", "blink", ...
};

// The rows of an events list ("clip,start_s,end_s,event") for the clip named
// `clip`; empty with `problem` set when the file cannot be read or a row of
// that clip is malformed.
std::vector<ClipEvent> ReadClipEvents(const std::string& file, const std::string& clip,
                                      std::string& problem);

// Where a clip goes in the 640 x 480 camera picture: scaled to `heightPx`
// (keeping its aspect) and placed `topPx` from the top, centred left to
// right, on grey.
struct ClipPlacement {
    int heightPx = 0;
    int topPx = 0;
};

// The row ("clip,height_px,top_px") of a framing list for `clip`; none with
// `problem` set when the file cannot be read or the row is missing or bad.
std::optional<ClipPlacement> ReadClipPlacement(const std::string& file, const std::string& clip,
                                               std::string& problem);

// Makes `picture` into the 640 x 480 blue-green-red camera picture `frame`.
void PlaceClipPicture(const cv::Mat& picture, const ClipPlacement& placement, cv::Mat& frame);

enum class GestureClick { None, Eye, Mouth };

// One replayed frame, as the event score needs it.
struct ReplayedFrame {
    int pass = 0;
    double clipSeconds = 0.0;
    bool tracking = false;
    std::optional<ScreenPoint> pointer;
    GestureClick click = GestureClick::None;
};

struct DeliberateResult {
    int pass = 0;
    ClipEvent event;
    std::optional<double> caughtAtSeconds;
    double largestMovePx = 0.0;
};

struct ClipScore {
    std::optional<double> trackingFromSeconds;  // first pass's clip time
    int clicksInside = 0;
    int clicksOutside = 0;
    int clicksTalking = 0;
    int clicksBlinking = 0;
    std::vector<DeliberateResult> deliberate;  // the ones seen while tracking
    int caught() const;
    double largestMovePx() const;
};

// Scores the gesture clicks of a replay against the clip's marked events:
// a deliberate eye closure or mouth opening seen while tracking is caught by
// a click of its gesture within 1 s of its start; the pointer's movement is
// measured from the start until the click (or the end).
ClipScore ScoreClip(const std::vector<ReplayedFrame>& frames, const std::vector<ClipEvent>& events);

// The report lines of a score.
std::string DescribeScore(const ClipScore& score);

}  // namespace veltranix
