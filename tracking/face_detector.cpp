#include "tracking/face_detector.h"

#include <algorithm>
#include <cmath>
#include <fstream>

#include <opencv2/imgproc.hpp>

#include "core/timing.h"

namespace veltranix {
namespace {

constexpr double kScaleStep = 1.1;
constexpr int kMinimumNeighbours = 2;
constexpr int kSmallestSide = 20;
// The grouping of accepted windows that the cascade's own search uses.
constexpr double kGroupEps = 0.2;
// The follow searches around the face with this margin (a share of its
// side) at the sizes within this ratio of its own: the two or three steps of
// the ladder nearest it.
constexpr int kFollowMarginDivisor = 4;
constexpr double kFollowSizeRatio = 1.15;
// The follow takes the face for unmoved while its box stays within a pixel
// of the picture (160 x 120) of where it was on the picture of the last
// search at every size.
constexpr int kFollowToleranceUnits = 1;
// A box this close (640 x 480 units) to a placement limit is searched for at
// every size: the boxes of that search jitter by about this much.
constexpr int kPlacementMarginPixels = 8;

// Whether moving the placement's box or sizes by up to the margin changes
// its status.
bool NearPlacementLimit(int boxX, int boxY, double width, double height) {
    const FaceStatus status = CheckPlacement(boxX, boxY, width, height).status;
    constexpr int m = kPlacementMarginPixels;
    for (int dx : {-m, 0, m}) {
        for (int dy : {-m, 0, m}) {
            for (int dw : {-m, 0, m}) {
                for (int dh : {-m, 0, m}) {
                    if (CheckPlacement(boxX + dx, boxY + dy, width + dw, height + dh).status !=
                        status) {
                        return true;
                    }
                }
            }
        }
    }
    return false;
}

struct FarFacePart {
    int minimumSide = 0;
    int maximumSide = 0;
    int firstRow = 0;  // of the windows' top edges
    int endRow = 0;
};

// Window sides of the cascade's ladder (20 x 1.1^k) below kLargeFaceSide, in
// three bands, each split by the windows' top rows into parts of roughly
// equal work.
constexpr std::array<FarFacePart, kFarFacePartCount> BuildFarFaceParts() {
    struct SideBand {
        int minimumSide;
        int maximumSide;
        int rowBands;
    };
    constexpr SideBand bands[] = {{20, 22, 4}, {24, 27, 2}, {29, 39, 2}};
    std::array<FarFacePart, kFarFacePartCount> parts{};
    std::size_t next = 0;
    for (const SideBand& band : bands) {
        const int origins = kDetectionHeight - band.minimumSide + 1;
        for (int row = 0; row < band.rowBands; ++row) {
            parts[next++] = {band.minimumSide, band.maximumSide, origins * row / band.rowBands,
                             origins * (row + 1) / band.rowBands};
        }
    }
    return parts;
}
constexpr std::array<FarFacePart, kFarFacePartCount> kFarFaceParts = BuildFarFaceParts();

}  // namespace

Placement CheckPlacement(int boxX, int boxY, double width, double height) {
    Placement result;
    if (boxX == 0 && boxY == 0 && width == 0.0 && height == 0.0) {
        return result;
    }
    result.centreX = RoundHalfDown(TruncateTowardZero(width * 0.5 + boxX) / 4) * 4;
    result.centreY = RoundHalfDown(TruncateTowardZero(height * 0.5 + boxY) / 4) * 4;
    result.halfEyeDistance = static_cast<float>(width) * 29.0f / 149.0f;
    result.eyeLineY = TruncateTowardZero(static_cast<float>(result.centreY) -
                                         static_cast<float>(height) * 12.5f / 149.0f);
    const float centreX = static_cast<float>(result.centreX);
    const int leftEyeX = TruncateTowardZero(centreX - result.halfEyeDistance);
    const int rightEyeX = TruncateTowardZero(result.halfEyeDistance + centreX) + 7;
    const int eyeDistance = std::abs(leftEyeX - rightEyeX);
    // The limits themselves are in range: at exactly 70 or 125 the status
    // tells the user the face is placed, so it must count as placed too.
    const bool inRange = eyeDistance >= 70 && eyeDistance <= 125;
    if (eyeDistance < 70) {
        result.status = FaceStatus::TooFar;
    } else if (eyeDistance > 125) {
        result.status = FaceStatus::TooClose;
    } else if (result.eyeLineY < 150) {
        result.status = FaceStatus::TooHigh;
    } else if (result.eyeLineY >= 331) {
        result.status = FaceStatus::TooLow;
    } else if (result.centreX < 160) {
        result.status = FaceStatus::TooFarLeft;
    } else if (result.centreX >= 481) {
        result.status = FaceStatus::TooFarRight;
    } else {
        result.status = FaceStatus::WellPlaced;
    }
    result.placed = inRange && result.status == FaceStatus::WellPlaced;
    return result;
}

std::optional<std::size_t> ChooseNearestCentre(const std::vector<FaceRect>& rects) {
    std::optional<std::size_t> best;
    double bestDistance = 640.0;
    for (std::size_t i = 0; i < rects.size(); ++i) {
        const double dx = (rects[i].x + rects[i].width / 2) * 4 - 320.0;
        const double dy = (rects[i].y + rects[i].height / 2) * 4 - 240.0;
        const double distance = std::sqrt(dx * dx + dy * dy);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

Calibration Calibrate(const AveragedFace& face) {
    Calibration result;
    const int centreX4 = TruncateTowardZero(face.centreX) / 4 * 4;
    const int centreY4 = TruncateTowardZero(face.centreY) / 4 * 4;
    const float halfEyeDistance = static_cast<float>(face.meanWidth) * 29.0f / 149.0f;
    const int eyeY = TruncateTowardZero(static_cast<float>(centreY4) -
                                        static_cast<float>(face.meanHeight) * 12.5f / 149.0f);
    result.eyes.leftX = TruncateTowardZero(static_cast<float>(centreX4) - halfEyeDistance);
    result.eyes.rightX = TruncateTowardZero(halfEyeDistance + static_cast<float>(centreX4));
    result.eyes.leftY = eyeY;
    result.eyes.rightY = eyeY;
    result.interocularDistance = result.eyes.rightX - result.eyes.leftX;
    result.nivellUll = std::max(31, TruncateTowardZero(result.interocularDistance * 0.66 - 17.0));
    result.nivellBoca = std::max(31, TruncateTowardZero(result.interocularDistance * 0.97 - 5.0));
    return result;
}

bool FaceDetector::loadCascade(const std::filesystem::path& cascadeFile) {
    loadError_.clear();
    if (!std::ifstream(cascadeFile).good()) {
        loadError_ = "The face detector file \"" + cascadeFile.string() + "\" cannot be read.";
        return false;
    }
    // OpenCV reports a malformed file by an exception or by an empty classifier.
    bool loaded = false;
    try {
        loaded = classifier_.load(cascadeFile.string());
    } catch (const cv::Exception&) {
        loaded = false;
    }
    if (!loaded || classifier_.empty()) {
        classifier_ = cv::CascadeClassifier();
        loadError_ = "The face detector file \"" + cascadeFile.string() +
                     "\" is not a usable cascade classifier.";
        return false;
    }
    return true;
}

void FaceDetector::releaseCascade() {
    classifier_ = cv::CascadeClassifier();
    // The next detections come after a while: search every size first.
    followedAtSearch_.reset();
}

void FaceDetector::prepareDetectionImage(const WorkImage& image) {
    for (int row = 0; row < kDetectionHeight; ++row) {
        std::uint8_t* line = detectionImage_.ptr<std::uint8_t>(row);
        for (int column = 0; column < kDetectionWidth; ++column) {
            line[column] = static_cast<std::uint8_t>(
                image[static_cast<std::size_t>(WorkIndex(4 * column, 4 * row))] & 0xFF);
        }
    }
    cv::equalizeHist(detectionImage_, detectionImage_);
}

const std::vector<FaceRect>& FaceDetector::findFaces(const WorkImage& image, int minimumSide) {
    rects_.clear();
    if (classifier_.empty()) {
        return rects_;
    }
    prepareDetectionImage(image);
    searchWholePicture(minimumSide);
    return rects_;
}

const std::vector<FaceRect>& FaceDetector::findLargeFaces(const WorkImage& image) {
    rects_.clear();
    if (classifier_.empty()) {
        return rects_;
    }
    prepareDetectionImage(image);
    searchHalved();
    return rects_;
}

void FaceDetector::appendFound(int scale) {
    for (const cv::Rect& rect : found_) {
        rects_.push_back({scale * rect.x, scale * rect.y, scale * rect.width, scale * rect.height});
    }
}

void FaceDetector::searchHalved() {
    cv::resize(detectionImage_, halfImage_, halfImage_.size(), 0.0, 0.0, cv::INTER_AREA);
    found_.clear();
    classifier_.detectMultiScale(halfImage_, found_, kScaleStep, kMinimumNeighbours,
                                 cv::CASCADE_DO_CANNY_PRUNING,
                                 cv::Size(kLargeFaceSide / 2, kLargeFaceSide / 2));
    appendFound(2);
}

void FaceDetector::searchFarPart() {
    const std::size_t partIndex = static_cast<std::size_t>(searchTurn_ / 2) % kFarFaceParts.size();
    if (partIndex == 0) {
        farWindows_.clear();
    }
    const FarFacePart& part = kFarFaceParts[partIndex];
    const int bandEnd = std::min(kDetectionHeight, part.endRow + part.maximumSide);
    found_.clear();
    // Every window the cascade accepts, grouped below with those of the parts
    // before, as one search of the whole picture would group them.
    classifier_.detectMultiScale(
        detectionImage_(cv::Range(part.firstRow, bandEnd), cv::Range::all()), found_, kScaleStep, 0,
        cv::CASCADE_DO_CANNY_PRUNING, cv::Size(part.minimumSide, part.minimumSide),
        cv::Size(part.maximumSide, part.maximumSide));
    for (cv::Rect rect : found_) {
        rect.y += part.firstRow;
        if (rect.y < part.endRow) {
            farWindows_.push_back(rect);
        }
    }
    found_ = farWindows_;
    cv::groupRectangles(found_, kMinimumNeighbours, kGroupEps);
    appendFound(1);
}

void FaceDetector::searchWholePicture(int minimumSide) {
    found_.clear();
    classifier_.detectMultiScale(detectionImage_, found_, kScaleStep, kMinimumNeighbours,
                                 cv::CASCADE_DO_CANNY_PRUNING, cv::Size(minimumSide, minimumSide));
    rects_.clear();
    appendFound(1);
}

std::optional<FaceRect> FaceDetector::searchEverySize() {
    searchWholePicture(kSmallestSide);
    const std::optional<std::size_t> chosen = ChooseNearestCentre(rects_);
    if (!chosen) {
        return std::nullopt;
    }
    return rects_[*chosen];
}

std::optional<FaceRect> FaceDetector::searchWithoutFace(FaceReach reach) {
    // Near faces and a part of the far ones in turn: each detection about
    // the same work.
    if (reach == FaceReach::NearEnoughToPlace) {
        // The next turn for any face looks for near ones again.
        searchTurn_ -= searchTurn_ % 2;
        searchHalved();
    } else {
        if (searchTurn_ % 2 == 0) {
            searchHalved();
        } else {
            searchFarPart();
        }
        // Past the first round the count runs over its second one, keeping
        // the turn's kind and part.
        searchTurn_ =
            searchTurn_ + 1 < 4 * kFarFacePartCount ? searchTurn_ + 1 : 2 * kFarFacePartCount;
    }
    if (rects_.empty()) {
        return std::nullopt;
    }
    // A face: the picture searched at every size at once, as every detection
    // while a face is in view, so that its box and choice are those.
    return searchEverySize();
}

std::optional<FaceRect> FaceDetector::searchAround(const FaceRect& face,
                                                   std::vector<FaceRect>* rects) {
    const int margin = std::max(2, face.width / kFollowMarginDivisor);
    const cv::Rect area = cv::Rect(face.x - margin, face.y - margin, face.width + 2 * margin,
                                   face.height + 2 * margin) &
                          cv::Rect(0, 0, kDetectionWidth, kDetectionHeight);
    const int least = static_cast<int>(face.width / kFollowSizeRatio);
    const int most = static_cast<int>(std::ceil(face.width * kFollowSizeRatio));
    found_.clear();
    if (!area.empty()) {
        classifier_.detectMultiScale(detectionImage_(area), found_, kScaleStep, kMinimumNeighbours,
                                     cv::CASCADE_DO_CANNY_PRUNING, cv::Size(least, least),
                                     cv::Size(most, most));
    }
    std::optional<FaceRect> nearest;
    int nearestDistance = 0;
    for (const cv::Rect& rect : found_) {
        const FaceRect found{rect.x + area.x, rect.y + area.y, rect.width, rect.height};
        if (rects != nullptr) {
            rects->push_back(found);
        }
        const int distance = std::abs(found.x - face.x) + std::abs(found.y - face.y) +
                             std::abs(found.width - face.width);
        if (!nearest || distance < nearestDistance) {
            nearest = found;
            nearestDistance = distance;
        }
    }
    return nearest;
}

std::optional<Detection> FaceDetector::follow() {
    const std::optional<FaceRect> followed = searchAround(searchedFace_, &rects_);
    if (!followed || !followedAtSearch_ ||
        std::abs(followed->x - followedAtSearch_->x) > kFollowToleranceUnits ||
        std::abs(followed->y - followedAtSearch_->y) > kFollowToleranceUnits ||
        std::abs(followed->width - followedAtSearch_->width) > kFollowToleranceUnits) {
        return std::nullopt;
    }
    const Averages before = averages_;
    const Detection detection = accumulate(searchedFace_);
    if (detection.faceMotion > kSteadyMotionPixels / 2 || nearPlacementLimit_) {
        averages_ = before;
        return std::nullopt;
    }
    return detection;
}

std::optional<Detection> FaceDetector::detect(const WorkImage& image, FaceReach reach,
                                              FaceSearch search) {
    rects_.clear();
    if (classifier_.empty()) {
        return std::nullopt;
    }
    prepareDetectionImage(image);
    const bool wasInView = faceInView_;
    if (wasInView && search == FaceSearch::Follow) {
        if (const std::optional<Detection> followed = follow()) {
            lastSearch_ = FaceSearch::Follow;
            return followed;
        }
    }
    lastSearch_ = FaceSearch::EverySize;
    const std::optional<FaceRect> chosen = wasInView ? searchEverySize() : searchWithoutFace(reach);
    faceInView_ = chosen.has_value();
    if (!chosen) {
        if (wasInView) {
            // A face lost: the whole picture has just been searched.
            searchTurn_ = 2 * kFarFacePartCount;
        }
        return std::nullopt;
    }
    // Once this face is lost, the far faces are searched for anew.
    searchTurn_ = 0;
    // What the follow finds on this picture is where it must find the face on
    // the next ones; `lastRects()` stays the search's.
    searchedFace_ = *chosen;
    followedAtSearch_ = searchAround(*chosen, nullptr);
    return accumulate(*chosen);
}

Detection FaceDetector::accumulate(const FaceRect& chosen) {
    Averages& a = averages_;
    a.samples[static_cast<std::size_t>(a.nextSample)] = {4 * chosen.x, 4 * chosen.y,
                                                         TruncateTowardZero(4.0 * chosen.width),
                                                         TruncateTowardZero(4.0 * chosen.height)};
    a.nextSample = (a.nextSample + 1) % 3;

    Detection result;
    AveragedFace& face = result.face;
    int sumX = 0, sumY = 0, sumWidth = 0, sumHeight = 0;
    for (const FaceRect& sample : a.samples) {
        sumX += sample.x;
        sumY += sample.y;
        sumWidth += sample.width;
        sumHeight += sample.height;
    }
    face.meanX = sumX / 3;
    face.meanY = sumY / 3;
    face.meanWidth = sumWidth / 3;
    face.meanHeight = sumHeight / 3;

    const float roundedWidth = std::round(static_cast<float>(face.meanWidth) / 4.0f) * 4.0f;
    a.widthRing[static_cast<std::size_t>(a.nextWidth)] = TruncateTowardZero(roundedWidth);
    a.nextWidth = (a.nextWidth + 1) % 8;
    int ringSum = 0;
    for (int width : a.widthRing) {
        ringSum += width;
    }
    const double ringMean = ringSum * 0.125;

    const int boxX = RoundHalfDown(face.meanX * 0.25) * 4;
    const int boxY = RoundHalfDown(face.meanY * 0.25) * 4;
    result.placement = CheckPlacement(boxX, boxY, ringMean, roundedWidth);
    nearPlacementLimit_ = NearPlacementLimit(boxX, boxY, ringMean, roundedWidth);

    face.centreX = static_cast<float>(face.meanWidth) * 0.5f + static_cast<float>(face.meanX);
    face.centreY = static_cast<float>(face.meanHeight) * 0.5f + static_cast<float>(face.meanY);
    const double storedX = RoundHalfDown(face.centreX / 4.0f) * 4;
    const double storedY = RoundHalfDown(face.centreY / 4.0f) * 4;
    result.faceMotion = std::hypot(storedX - a.previousCentreX, storedY - a.previousCentreY);
    a.previousCentreX = storedX;
    a.previousCentreY = storedY;
    return result;
}

}  // namespace veltranix
