#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/objdetect.hpp>

#include "core/geometry.h"
#include "tracking/work_image.h"

namespace veltranix {

// The placement hint shown to the user while detecting.
enum class FaceStatus : std::int32_t {
    WellPlaced = 0,
    TooFar = 1,
    TooClose = 2,
    TooHigh = 3,
    TooLow = 4,
    TooFarLeft = 5,
    TooFarRight = 6,
    NoFace = 100,
};

// A rectangle in pixels of the image it was found in.
struct FaceRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const FaceRect&, const FaceRect&) = default;
};

struct Placement {
    FaceStatus status = FaceStatus::NoFace;
    bool placed = false;
    int centreX = 0;
    int centreY = 0;
    int eyeLineY = 0;
    float halfEyeDistance = 0.0f;
};

// Classifies a face box (640 x 480 units); all-zero input means no face.
Placement CheckPlacement(int boxX, int boxY, double width, double height);

// The index of the rectangle (160 x 120 units) whose centre, scaled to
// 640 x 480, is nearest the image centre; on an exact tie the first one.
// None for an empty list.
std::optional<std::size_t> ChooseNearestCentre(const std::vector<FaceRect>& rects);

// The averaged face of the last detections, in 640 x 480 units.
struct AveragedFace {
    int meanX = 0;
    int meanY = 0;
    int meanWidth = 0;
    int meanHeight = 0;
    float centreX = 0.0f;  // mean width x 0.5 + mean x
    float centreY = 0.0f;
};

struct Detection {
    AveragedFace face;
    Placement placement;
    double faceMotion = 0.0;
};

// The eye line found by calibration, in WorkImage pixels.
struct EyeLine {
    int leftX = 0;
    int leftY = 0;
    int rightX = 0;
    int rightY = 0;
    friend bool operator==(const EyeLine&, const EyeLine&) = default;
};

struct Calibration {
    EyeLine eyes;
    int interocularDistance = 0;
    std::int32_t nivellUll = 0;
    std::int32_t nivellBoca = 0;
};

// Eye line and gesture levels from the averaged face of the frame that
// completes the steadiness countdown.
Calibration Calibrate(const AveragedFace& face);

// Detection image side lengths: the WorkImage sampled every fourth pixel.
inline constexpr int kDetectionWidth = 160;
inline constexpr int kDetectionHeight = 120;
// The least side (160 x 120 units) of a face whose eyes can be far enough
// apart to be placed: 70 pixels between the eyes take a face of about 160.
inline constexpr int kLargeFaceSide = 40;

// Which faces a detection looks for: any, or only those near enough to the
// camera to be placed (found for a quarter of the work).
enum class FaceReach { Any, NearEnoughToPlace };
// How a detection looks for a face that was in view at the last one: the
// whole picture at every size, or first only around the face at its own
// sizes (a tenth of the work), taking the box of the last search at every
// size again while the face is found where that search saw it. Every size is
// searched after all when the follow does not find it there, or when the
// averaged box is near a placement limit or moves more than half the
// steadiness limit.
enum class FaceSearch { EverySize, Follow };
// The face's centre may move this far (640 x 480 units) between detections
// for the countdown to go on.
inline constexpr double kSteadyMotionPixels = 8.0;

// The search for faces too far away to be placed (sides below
// kLargeFaceSide) is spread over this many detections, each a band of window
// sides over a band of rows of the picture, every other detection.
inline constexpr int kFarFacePartCount = 8;

// Finds the face with the cascade classifier and keeps the running averages
// (three face-box samples, eight widths) that live for the whole program run.
// GUI thread.
class FaceDetector {
  public:
    // Loads the cascade; false (with `loadError()` naming the file) when the
    // file is missing or is not a cascade.
    bool loadCascade(const std::filesystem::path& cascadeFile);
    void releaseCascade();
    bool cascadeLoaded() const { return !classifier_.empty(); }
    const std::string& loadError() const { return loadError_; }

    // One detection on the current image. None when no face was found (the
    // placement is then the no-face one). Requires a loaded cascade.
    // While a face is in view, each detection searches the picture at every
    // size, or follows the face as `search` says. Without one, detections
    // look in turn for faces near enough to be placed, over the whole
    // picture, and for far faces in one part of the search;
    // `farSearchUnfinished()` tells whether parts are left. A face found so
    // is searched for at every size on the same picture.
    std::optional<Detection> detect(const WorkImage& image, FaceReach reach = FaceReach::Any,
                                    FaceSearch search = FaceSearch::EverySize);
    // How the last detection searched.
    FaceSearch lastSearch() const { return lastSearch_; }

    // Since the last face was lost, not every part of the picture has been
    // searched for far faces yet.
    bool farSearchUnfinished() const { return searchTurn_ < 2 * kFarFacePartCount; }

    // Runs the classifier alone on the image sampled to 160 x 120 and
    // equalised: the rectangles found (160 x 120 units) with at least the
    // given side. Requires a loaded cascade; leaves the averages alone.
    const std::vector<FaceRect>& findFaces(const WorkImage& image, int minimumSide);

    // As findFaces with the least side kLargeFaceSide, on the image halved
    // again (80 x 60): a quarter of the work, for faces near enough to be
    // placed; the rectangles are in 160 x 120 units.
    const std::vector<FaceRect>& findLargeFaces(const WorkImage& image);

    // The face centre stored by the last detection (640 x 480 units,
    // multiples of 4).
    ScreenPoint storedCentre() const {
        return {static_cast<int>(averages_.previousCentreX),
                static_cast<int>(averages_.previousCentreY)};
    }

    // The rectangles of the last detection, in 160 x 120 units.
    const std::vector<FaceRect>& lastRects() const { return rects_; }

    // Averages a chosen rectangle (160 x 120 units) into the running samples;
    // the part of `detect` after the classifier.
    Detection accumulate(const FaceRect& chosen);

  private:
    // What `accumulate` keeps between detections; copied to try a box out.
    struct Averages {
        std::array<FaceRect, 3> samples{};
        int nextSample = 0;
        std::array<int, 8> widthRing{};
        int nextWidth = 0;
        double previousCentreX = 0.0;
        double previousCentreY = 0.0;
    };
    void prepareDetectionImage(const WorkImage& image);
    // Appends `found_` to `rects_`, multiplied by `scale` into 160 x 120 units.
    void appendFound(int scale);
    // The faces of at least kLargeFaceSide on the prepared image halved,
    // appended to `rects_`.
    void searchHalved();
    // The next part of the search for far faces: appends to `rects_` the
    // faces the windows accepted since the search began make up.
    void searchFarPart();
    // The prepared picture with windows of at least `minimumSide`: fills `rects_`.
    void searchWholePicture(int minimumSide);
    // The picture at every size: fills `rects_`; the nearest to the centre.
    std::optional<FaceRect> searchEverySize();
    std::optional<FaceRect> searchWithoutFace(FaceReach reach);
    // The prepared picture around `face` at the sizes nearest its own: the
    // one nearest `face`; all it finds are added to `rects` when given.
    std::optional<FaceRect> searchAround(const FaceRect& face, std::vector<FaceRect>* rects);
    // The detection of the box of the last search at every size again, when
    // the follow finds the face where that search saw it and the result
    // stays clear of the placement and steadiness limits.
    std::optional<Detection> follow();

    cv::CascadeClassifier classifier_;
    std::string loadError_;
    cv::Mat detectionImage_ = cv::Mat(kDetectionHeight, kDetectionWidth, CV_8UC1);
    cv::Mat halfImage_ = cv::Mat(kDetectionHeight / 2, kDetectionWidth / 2, CV_8UC1);
    std::vector<cv::Rect> found_;
    std::vector<FaceRect> rects_;
    std::vector<cv::Rect> farWindows_;
    bool faceInView_ = false;
    // Turns of the search without a face since it began: even turns look for
    // near faces, odd ones for far faces in part (turn / 2) mod
    // kFarFacePartCount; from 2 x kFarFacePartCount on, every part is done.
    int searchTurn_ = 0;
    Averages averages_;
    // The box the last search at every size chose, and what the follow
    // found around it on the same picture (160 x 120 units).
    FaceRect searchedFace_;
    std::optional<FaceRect> followedAtSearch_;
    FaceSearch lastSearch_ = FaceSearch::EverySize;
    // The box `accumulate` placed last is near a placement limit.
    bool nearPlacementLimit_ = false;
};

}  // namespace veltranix
