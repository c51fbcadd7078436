#include "tracking/gestures.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <utility>

#include "core/timing.h"

namespace veltranix {

namespace {

constexpr int kChangedMeanDifference = 8;
constexpr int kThinningUnflaggedLimit = 2;
// The shifts tried, in order; the order decides between equal costs.
constexpr int kShiftOrder[] = {-5, 5, -4, 4, -3, 3, -2, 2, -1, 1};

// Sum of absolute differences between the reference block at (x, y) and the
// current block shifted by (dx, dy); copies are column-major with `rows`.
int BlockSad(std::span<const std::int32_t> current, std::span<const std::int32_t> previous,
             int rows, int x, int y, int dx, int dy) {
    int sum = 0;
    for (int column = 0; column < kGestureBlockSize; ++column) {
        const std::int32_t* reference = previous.data() + (x + column) * rows + y;
        const std::int32_t* shifted = current.data() + (x + column + dx) * rows + y + dy;
        for (int row = 0; row < kGestureBlockSize; ++row) {
            sum += std::abs(reference[row] - shifted[row]);
        }
    }
    return sum;
}

enum class TieRule { LaterWins, EarlierWins };

// The best shift along one axis; 0 when the unshifted block is at least as good.
int BestShift(std::span<const std::int32_t> current, std::span<const std::int32_t> previous,
              int rows, int x, int y, bool vertical, TieRule tieRule, int unshiftedSad) {
    int best = 0;
    int bestSad = std::numeric_limits<int>::max();
    for (const int shift : kShiftOrder) {
        const int sad = vertical ? BlockSad(current, previous, rows, x, y, 0, shift)
                                 : BlockSad(current, previous, rows, x, y, shift, 0);
        if (sad < bestSad || (tieRule == TieRule::LaterWins && sad == bestSad)) {
            bestSad = sad;
            best = shift;
        }
    }
    return unshiftedSad > bestSad ? best : 0;
}

constexpr int kHeldShiftPixels = 3;
// A dip of the held signal this short (a fluttering lid) does not end a hold.
constexpr long long kHoldGapMs = 120;
// The change from the run's first picture that counts as a closed eye or an
// open mouth, measured on real faces.
constexpr double kEyeClosedChange = 0.55;
constexpr double kMouthOpenChange = 1.2;
// The usual appearance: a picture of each patch this often, and how many of
// the others must resemble one (within this part of the gesture's level) for
// it to be what the face shows most of the time.
constexpr long long kPictureEveryMs = 400;
constexpr int kPictureShiftPixels = 2;
constexpr int kUsualMinimumAlike = 6;
constexpr double kAlikePart = 0.7;
// A face changed this long becomes the reference.
constexpr int kRelearnMs = 3000;
// The longest a face may stay changed past the hold without a click: the
// pointer holds still no longer.
constexpr long long kLongestBuildingPastHoldMs = 1500;
// Eye patches this much darker than their references show opened eyes.
constexpr double kOpenerDarkRatio = 1.08;
constexpr int kOpenerFrames = 3;
// Normalised values below this count as dark.
constexpr double kDarkBelow = -1.2;
// An open mouth darkens the middle columns of its patch by this share of its pixels
// past the reference (the mouth's inside); puffed cheeks or a smile change the
// patch as much without, measured on real faces.
constexpr double kOpenMouthCentreDarkening = 0.03;
// The inside of an open mouth, seen when the patch changes less than its
// level (a head raised from a bowed pose): a spot this dark against the
// patch's median, and this much darker than the reference's own darkest
// spot; over half a second talking, puffed cheeks or a face coming closer
// stay above 0.45, a bowed head above 0.35, measured on real faces.
constexpr double kOpenMouthDarkestSpot = 0.25;
constexpr double kOpenMouthDarkerThanReference = 0.5;
constexpr int kDarkSpotPixels = 5;
// Eyes changed this part of the level are closed when both darkest spots are
// this much lighter than the references' (the pupils hidden); a gaze turned
// aside or a smile's squint keeps them as dark, measured on real faces. On a
// small face this reading flickers from frame to frame through a closure: it
// lasts this long.
constexpr double kPupilsHiddenEyePart = 0.7;
constexpr double kPupilsHiddenLighter = 1.3;
constexpr long long kEyeFlickerMs = 80;
// Eye patches this much lighter than their references show lids down: a face
// changed that way is not taken as the reference, whatever the time.
constexpr double kCloserDarkRatio = 0.8;
// The first frames of an opening jaw or a closing lid move the tracked point
// by a pixel or so before the change reaches half its level: a change this
// far above its resting value holds back a small head movement for this
// long, which is let go when no gesture follows.
constexpr double kRiseAboveRest = 0.12;
constexpr double kHoldBackMovePx = 1.5;
constexpr long long kHoldBackMs = 120;
// The resting value: the least change lately, rising by at most this a second.
constexpr double kRestRisePerSecond = 0.25;

// The patch at (left, top): its values, their mean and mean deviation; false
// outside the image.
bool ReadPatch(int left, int top, int columns, int rows, const WorkImage& image,
               std::vector<float>& values, double& mean, double& deviation) {
    if (left < 0 || top < 0 || left + columns > kFrameWidth || top + rows > kFrameHeight ||
        image.size() < kFramePixels) {
        return false;
    }
    values.resize(static_cast<std::size_t>(columns * rows));
    double sum = 0.0;
    std::size_t at = 0;
    for (int column = 0; column < columns; ++column) {
        const std::uint8_t* pixel = image.data() + WorkIndex(left + column, top);
        for (int row = 0; row < rows; ++row) {
            values[at++] = pixel[row];
            sum += pixel[row];
        }
    }
    mean = sum / static_cast<double>(values.size());
    double spread = 0.0;
    for (const float value : values) {
        spread += std::abs(value - mean);
    }
    deviation = spread / static_cast<double>(values.size());
    return true;
}

// The share of the patch's middle columns below `darkBelow`; values column by column.
double CentreDarkShare(std::span<const float> values, int columns, int rows, double darkBelow) {
    int dark = 0;
    int counted = 0;
    for (int column = columns / 4; column < columns - columns / 4; ++column) {
        for (int row = 0; row < rows; ++row) {
            dark += values[static_cast<std::size_t>(column * rows + row)] < darkBelow ? 1 : 0;
            ++counted;
        }
    }
    return counted > 0 ? dark / static_cast<double>(counted) : 0.0;
}

// The darkest 5 x 5 spot's mean over the median of the patch's pixel values
// (column by column); 1 for a patch smaller than a spot or black.
double DarkestSpotRatio(std::span<const float> values, int columns, int rows) {
    if (columns < kDarkSpotPixels || rows < kDarkSpotPixels) {
        return 1.0;
    }
    // Sums of five rows, column by column, then of five such columns.
    const int spotRows = rows - kDarkSpotPixels + 1;
    std::vector<float> rowSums(static_cast<std::size_t>(columns * spotRows));
    for (int column = 0; column < columns; ++column) {
        const float* value = values.data() + column * rows;
        float sum = 0.0f;
        for (int row = 0; row < rows; ++row) {
            sum += value[row];
            if (row >= kDarkSpotPixels) {
                sum -= value[row - kDarkSpotPixels];
            }
            if (row >= kDarkSpotPixels - 1) {
                rowSums[static_cast<std::size_t>(column * spotRows + row - kDarkSpotPixels + 1)] =
                    sum;
            }
        }
    }
    float darkest = std::numeric_limits<float>::max();
    for (int row = 0; row < spotRows; ++row) {
        float sum = 0.0f;
        for (int column = 0; column < columns; ++column) {
            sum += rowSums[static_cast<std::size_t>(column * spotRows + row)];
            if (column >= kDarkSpotPixels) {
                sum -=
                    rowSums[static_cast<std::size_t>((column - kDarkSpotPixels) * spotRows + row)];
            }
            if (column >= kDarkSpotPixels - 1) {
                darkest = std::min(darkest, sum);
            }
        }
    }
    std::vector<float> sorted(values.begin(), values.end());
    const auto middle = sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 2);
    std::nth_element(sorted.begin(), middle, sorted.end());
    if (*middle <= 0.0f) {
        return 1.0;
    }
    return darkest / (kDarkSpotPixels * kDarkSpotPixels) / *middle;
}

// A patch's mean and the scale that divides by its mean deviation.
struct PatchLevels {
    float mean = 0.0f;
    float scale = 1.0f;
};

// In whole numbers, so the sums vectorise and do not depend on their order:
// the deviation is the sum of |pixels x value - sum| over pixels squared.
PatchLevels MeasureLevels(const WorkImage& image, int left, int top, int columns, int rows) {
    const std::int64_t pixels = static_cast<std::int64_t>(columns) * rows;
    std::int64_t sum = 0;
    for (int column = 0; column < columns; ++column) {
        const std::uint8_t* pixel = image.data() + WorkIndex(left + column, top);
        int columnSum = 0;
        for (int row = 0; row < rows; ++row) {
            columnSum += pixel[row];
        }
        sum += columnSum;
    }
    std::int64_t spread = 0;
    const auto scaledSum = static_cast<std::int32_t>(sum);
    const auto scale = static_cast<std::int32_t>(pixels);
    for (int column = 0; column < columns; ++column) {
        const std::uint8_t* pixel = image.data() + WorkIndex(left + column, top);
        std::int32_t columnSpread = 0;
        for (int row = 0; row < rows; ++row) {
            columnSpread += std::abs(pixel[row] * scale - scaledSum);
        }
        spread += columnSpread;
    }
    const double mean = static_cast<double>(sum) / static_cast<double>(pixels);
    const double deviation =
        static_cast<double>(spread) / static_cast<double>(pixels) / static_cast<double>(pixels);
    return {static_cast<float>(mean), static_cast<float>(1.0 / std::max(deviation, 1.0))};
}

// The sum over one column of |(pixel - mean) x scale - value|, in eight lanes
// so that it vectorises.
float ColumnDifference(const std::uint8_t* pixel, const float* value, int rows,
                       PatchLevels levels) {
    constexpr int kLanes = 8;
    float lanes[kLanes] = {};
    int row = 0;
    for (; row + kLanes <= rows; row += kLanes) {
        for (int lane = 0; lane < kLanes; ++lane) {
            lanes[lane] +=
                std::abs((static_cast<float>(pixel[row + lane]) - levels.mean) * levels.scale -
                         value[row + lane]);
        }
    }
    float sum = 0.0f;
    for (; row < rows; ++row) {
        sum += std::abs((static_cast<float>(pixel[row]) - levels.mean) * levels.scale - value[row]);
    }
    for (const float lane : lanes) {
        sum += lane;
    }
    return sum;
}

}  // namespace

bool PatchReference::take(int left, int top, const WorkImage& image) {
    if (!ReadPatch(left, top, columns, rows, image, values, rawMean, rawDeviation) ||
        rawDeviation < 1.0) {
        values.clear();
        return false;
    }
    const double mean = rawMean;
    const double deviation = rawDeviation;
    centreDarkShare = CentreDarkShare(values, columns, rows, mean + kDarkBelow * deviation);
    darkestSpotRatio = DarkestSpotRatio(values, columns, rows);
    int dark = 0;
    for (float& value : values) {
        value = static_cast<float>((value - mean) / deviation);
        dark += value < kDarkBelow ? 1 : 0;
    }
    darkShare = dark / static_cast<double>(values.size());
    return true;
}

std::optional<PatchReference::Change> PatchReference::change(int left, int top,
                                                             const WorkImage& image) const {
    if (values.empty()) {
        return std::nullopt;
    }
    // Every shift is compared, in a fixed order, the first of equal ones
    // winning; a shift stops being summed once it is past the best so far.
    const int pixels = columns * rows;
    float bestSum = std::numeric_limits<float>::max();
    std::optional<ScreenPoint> best;
    for (int dx = -kHeldShiftPixels; dx <= kHeldShiftPixels; ++dx) {
        for (int dy = -kHeldShiftPixels; dy <= kHeldShiftPixels; ++dy) {
            const int x = left + dx;
            const int y = top + dy;
            if (x < 0 || y < 0 || x + columns > kFrameWidth || y + rows > kFrameHeight ||
                image.size() < kFramePixels) {
                continue;
            }
            const PatchLevels levels = MeasureLevels(image, x, y, columns, rows);
            float sum = 0.0f;
            for (int column = 0; column < columns && sum <= bestSum; ++column) {
                sum += ColumnDifference(image.data() + WorkIndex(x + column, y),
                                        values.data() + column * rows, rows, levels);
            }
            if (sum < bestSum) {
                bestSum = sum;
                best = ScreenPoint{x, y};
            }
        }
    }
    if (!best) {
        return std::nullopt;
    }
    std::vector<float> current;
    double mean = 0.0;
    double deviation = 0.0;
    ReadPatch(best->x, best->y, columns, rows, image, current, mean, deviation);
    const double scale = 1.0 / std::max(deviation, 1.0);
    int dark = 0;
    for (const float value : current) {
        dark += (value - mean) * scale < kDarkBelow ? 1 : 0;
    }
    const double middleDarkShare =
        CentreDarkShare(current, columns, rows, rawMean + kDarkBelow * rawDeviation);
    return Change{bestSum / static_cast<double>(pixels), dark / static_cast<double>(pixels),
                  middleDarkShare, *best, std::move(current)};
}

double PatchReference::darkestSpotRatioOf(const Change& change) const {
    return DarkestSpotRatio(change.patch, columns, rows);
}

double PatchReference::differenceFrom(const PatchReference& other) const {
    if (values.empty() || values.size() != other.values.size()) {
        return std::numeric_limits<double>::max();
    }
    // The least over shifts of up to 2 pixels, on every other pixel of the
    // part both cover: two pictures of a face seldom stand exactly in place.
    double best = std::numeric_limits<double>::max();
    for (int dx = -kPictureShiftPixels; dx <= kPictureShiftPixels; ++dx) {
        for (int dy = -kPictureShiftPixels; dy <= kPictureShiftPixels; ++dy) {
            double sum = 0.0;
            int counted = 0;
            for (int column = kPictureShiftPixels; column < columns - kPictureShiftPixels;
                 column += 2) {
                const float* mine = values.data() + column * rows;
                const float* theirs = other.values.data() + (column + dx) * rows + dy;
                for (int row = kPictureShiftPixels; row < rows - kPictureShiftPixels; row += 2) {
                    sum += std::abs(mine[row] - theirs[row]);
                    ++counted;
                }
            }
            best = std::min(best, sum / std::max(counted, 1));
        }
    }
    return best;
}

void UsualAppearance::clear() {
    pictures_.clear();
    differences_.assign(static_cast<std::size_t>(kPictures * kPictures), 0.0);
    next_ = 0;
}

void UsualAppearance::add(int left, int top, const WorkImage& image, const PatchReference& shape) {
    PatchReference picture;
    picture.columns = shape.columns;
    picture.rows = shape.rows;
    if (!picture.take(left, top, image)) {
        return;
    }
    const std::size_t slot = next_;
    if (slot < pictures_.size()) {
        pictures_[slot] = std::move(picture);
    } else {
        pictures_.push_back(std::move(picture));
    }
    next_ = (next_ + 1) % kPictures;
    for (std::size_t other = 0; other < pictures_.size(); ++other) {
        const double difference = pictures_[slot].differenceFrom(pictures_[other]);
        differences_[slot * kPictures + other] = difference;
        differences_[other * kPictures + slot] = difference;
    }
}

const PatchReference* UsualAppearance::usual(double alikeBelow, int minimumAlike) const {
    const PatchReference* found = nullptr;
    int mostAlike = 0;
    for (std::size_t picture = 0; picture < pictures_.size(); ++picture) {
        int alike = 0;
        for (std::size_t other = 0; other < pictures_.size(); ++other) {
            alike += other != picture && differences_[picture * kPictures + other] < alikeBelow;
        }
        const auto others = static_cast<int>(pictures_.size()) - 1;
        if (alike >= minimumAlike && 2 * alike > others && alike > mostAlike) {
            mostAlike = alike;
            found = &pictures_[picture];
        }
    }
    return found;
}

bool HoldTimer::follow(bool held, long long nowMs, int holdMs) {
    if (held) {
        lastHeldMs = nowMs;
        if (!sinceMs) {
            sinceMs = nowMs;
        }
    } else if (!sinceMs || nowMs - lastHeldMs > kHoldGapMs) {
        sinceMs.reset();
        fired = false;
        return false;
    }
    if (!fired && held && nowMs - *sinceMs >= holdMs) {
        fired = true;
        return true;
    }
    return false;
}

double HoldTimer::progress(long long nowMs, int holdMs) const {
    if (!sinceMs || fired || holdMs <= 0) {
        return 0.0;
    }
    return std::min(1.0, static_cast<double>(nowMs - *sinceMs) / holdMs);
}

int BlockActivity(int rows, int columns, std::span<const std::int32_t> current,
                  std::span<const std::int32_t> previous, std::vector<BlockMotion>& blocks) {
    const int blockColumns = columns / kGestureBlockSize;
    const int blockRows = rows / kGestureBlockSize;
    blocks.assign(static_cast<std::size_t>(blockColumns * blockRows), BlockMotion{});
    if (blockColumns < 3 || blockRows < 3) {
        return 0;
    }
    auto at = [&](int blockColumn, int blockRow) -> BlockMotion& {
        return blocks[static_cast<std::size_t>(blockColumn * blockRows + blockRow)];
    };
    constexpr int kBlockPixels = kGestureBlockSize * kGestureBlockSize;

    // Change test; interior blocks flag themselves and their neighbours.
    std::vector<int> unshiftedSad(blocks.size(), 0);
    for (int bc = 1; bc < blockColumns - 1; ++bc) {
        for (int br = 1; br < blockRows - 1; ++br) {
            const int sad = BlockSad(current, previous, rows, bc * kGestureBlockSize,
                                     br * kGestureBlockSize, 0, 0);
            unshiftedSad[static_cast<std::size_t>(bc * blockRows + br)] = sad;
            if (sad / kBlockPixels > kChangedMeanDifference) {
                for (int nc = bc - 1; nc <= bc + 1; ++nc) {
                    for (int nr = br - 1; nr <= br + 1; ++nr) {
                        at(nc, nr).changed = true;
                    }
                }
            }
        }
    }
    // Thinning: counted on the flags as they stand, applied afterwards.
    std::vector<char> thinned(blocks.size(), 0);
    for (int bc = 1; bc < blockColumns - 1; ++bc) {
        for (int br = 1; br < blockRows - 1; ++br) {
            if (!at(bc, br).changed) {
                continue;
            }
            int unflagged = 0;
            for (int nc = bc - 1; nc <= bc + 1; ++nc) {
                for (int nr = br - 1; nr <= br + 1; ++nr) {
                    if ((nc != bc || nr != br) && !at(nc, nr).changed) {
                        ++unflagged;
                    }
                }
            }
            thinned[static_cast<std::size_t>(bc * blockRows + br)] =
                unflagged > kThinningUnflaggedLimit;
        }
    }
    for (std::size_t block = 0; block < blocks.size(); ++block) {
        if (thinned[block]) {
            blocks[block].changed = false;
        }
    }
    // Motion search of the interior blocks still flagged.
    int activity = 0;
    for (int bc = 1; bc < blockColumns - 1; ++bc) {
        for (int br = 1; br < blockRows - 1; ++br) {
            BlockMotion& block = at(bc, br);
            if (!block.changed) {
                continue;
            }
            const int x = bc * kGestureBlockSize;
            const int y = br * kGestureBlockSize;
            const int sad0 = unshiftedSad[static_cast<std::size_t>(bc * blockRows + br)];
            const int horizontal =
                BestShift(current, previous, rows, x, y, false, TieRule::LaterWins, sad0);
            const int vertical =
                BestShift(current, previous, rows, x, y, true, TieRule::EarlierWins, sad0);
            (vertical > 0 ? block.down : block.upOrNone) = std::abs(vertical);
            (horizontal > 0 ? block.right : block.leftOrNone) = std::abs(horizontal);
        }
    }
    for (const BlockMotion& block : blocks) {
        activity += block.upOrNone + block.down;
    }
    return activity;
}

void GesturePatch::allocate(int patchColumns, int patchRows) {
    columns = patchColumns;
    rows = patchRows;
    const auto pixels = static_cast<std::size_t>(columns * rows);
    indices.assign(pixels, 0);
    current.assign(pixels, 0);
    previous.assign(pixels, 0);
    blocks.assign(
        static_cast<std::size_t>((columns / kGestureBlockSize) * (rows / kGestureBlockSize)), {});
}

void GesturePatch::release() {
    indices = {};
    current = {};
    previous = {};
    blocks = {};
}

int GesturePatch::measure(int left, int top, const WorkImage& currentImage,
                          const WorkImage& previousImage) {
    if (indices.empty() || left < 0 || top < 0 || left + columns > kFrameWidth ||
        top + rows > kFrameHeight || currentImage.size() < kFramePixels ||
        previousImage.size() < kFramePixels) {
        return 0;
    }
    std::size_t at = 0;
    for (int column = 0; column < columns; ++column) {
        for (int row = 0; row < rows; ++row) {
            const int index = WorkIndex(left + column, top + row);
            indices[at] = index;
            current[at] = currentImage[static_cast<std::size_t>(index)];
            previous[at] = previousImage[static_cast<std::size_t>(index)];
            ++at;
        }
    }
    return BlockActivity(rows, columns, current, previous, blocks);
}

void GestureDetector::startRun(const TrackingRun& run, const WorkImage&) {
    halfEyeDistance_ = (run.eyes.rightX - run.eyes.leftX) / 2;
    firstEyeReference_ = {kEyePatchColumns, kEyePatchRows, {}, 0.0};
    secondEyeReference_ = {kEyePatchColumns, kEyePatchRows, {}, 0.0};
    mouthReference_ = {kMouthPatchColumns, kMouthPatchRows, {}, 0.0};
    firstEyeUsual_.clear();
    secondEyeUsual_.clear();
    mouthUsual_.clear();
    lastPictureMs_.reset();
    eyesChanged_ = {};
    mouthChanged_ = {};
    openerFrames_ = 0;
    eyeHold_ = {};
    mouthHold_ = {};
    building_ = false;
    buildingClicked_ = false;
    risingSinceMs_.reset();
    eyeRest_ = {};
    mouthRest_ = {};
    holdBackSinceMs_.reset();
    pupilsHiddenMs_.reset();
    mouthInsideBefore_ = false;
    firstEye_.allocate(kEyePatchColumns, kEyePatchRows);
    secondEye_.allocate(kEyePatchColumns, kEyePatchRows);
    mouth_.allocate(kMouthPatchColumns, kMouthPatchRows);
}

void GestureDetector::endRun() {
    firstEye_.release();
    secondEye_.release();
    mouth_.release();
    firstEyeReference_.values = {};
    secondEyeReference_.values = {};
    mouthReference_.values = {};
    firstEyeUsual_.clear();
    secondEyeUsual_.clear();
    mouthUsual_.clear();
}

bool GestureDetector::Bound(GestureRow row) const {
    for (const std::int32_t flag : settings_.gestureClickMatrix[static_cast<std::size_t>(row)]) {
        if (flag != 0) {
            return true;
        }
    }
    return false;
}

GestureDetector::PatchCorners GestureDetector::PlacePatches(const HeadMotion& motion) const {
    const int x = RoundHalfDown(motion.trackedX);
    const int y = RoundHalfDown(motion.trackedY);
    const int eyeTop = y - motion.angleY - 9;
    const int halfColumns = kEyePatchColumns / 2;
    return {{x - halfEyeDistance_ + motion.angleX - halfColumns, eyeTop},
            {x + halfEyeDistance_ + motion.angleX - halfColumns, eyeTop},
            {x - kMouthPatchColumns / 2, y + 2 * halfEyeDistance_}};
}

int GestureDetector::MeasureMouth(const WorkImage& current, const WorkImage& previous,
                                  const HeadMotion& motion) {
    const ScreenPoint corner = PlacePatches(motion).mouth;
    return mouth_.measure(corner.x, corner.y, current, previous);
}

GestureOutcome GestureDetector::testEyes(const WorkImage& current, const WorkImage& previous,
                                         const HeadMotion& motion) {
    eyesFiredThisFrame_ = false;
    eyeTestMouthActivity_.reset();
    GestureOutcome outcome;
    if (!Bound(GestureRow::Eye) && !switches_.eyeTest) {
        return outcome;
    }
    const PatchCorners corners = PlacePatches(motion);
    const int first = firstEye_.measure(corners.firstEye.x, corners.firstEye.y, current, previous);
    const int second =
        secondEye_.measure(corners.secondEye.x, corners.secondEye.y, current, previous);
    const int mouth = MeasureMouth(current, previous, motion);
    outcome.activity = first;
    outcome.secondActivity = second;
    eyeTestMouthActivity_ = mouth;
    // Both eyes, and a still mouth: a wink or talking is not a blink. Held
    // gestures fire from followHeld instead.
    outcome.fired = settings_.gestureHoldMs <= 0 && first > settings_.eyeThreshold &&
                    second > settings_.eyeThreshold && mouth == 0;
    eyesFiredThisFrame_ = outcome.fired;
    movementFired_ = movementFired_ || outcome.fired;
    eyeActivityPart_ =
        std::max(first, second) / static_cast<double>(std::max(settings_.eyeThreshold, 1));
    return outcome;
}

GestureOutcome GestureDetector::testMouth(const WorkImage& current, const WorkImage& previous,
                                          const HeadMotion& motion) {
    GestureOutcome outcome;
    if ((Bound(GestureRow::Mouth) && !eyesFiredThisFrame_) || switches_.mouthTest) {
        const int mouth = eyeTestMouthActivity_ ? *eyeTestMouthActivity_
                                                : MeasureMouth(current, previous, motion);
        outcome.activity = mouth;
        outcome.fired = settings_.gestureHoldMs <= 0 && mouth > settings_.mouthThreshold;
        movementFired_ = movementFired_ || outcome.fired;
        mouthActivityPart_ = mouth / static_cast<double>(std::max(settings_.mouthThreshold, 1));
    } else if (eyeTestMouthActivity_) {
        outcome.activity = *eyeTestMouthActivity_;
    }
    eyesFiredThisFrame_ = false;
    eyeTestMouthActivity_.reset();
    return outcome;
}

HeldGestures GestureDetector::followHeld(const WorkImage& current, const HeadMotion& motion,
                                         long long nowMs) {
    HeldGestures held;
    const bool eyesBound = Bound(GestureRow::Eye);
    const bool mouthBound = Bound(GestureRow::Mouth);
    const PatchCorners corners = PlacePatches(motion);
    const ScreenPoint eyeCorners[] = {corners.firstEye, corners.secondEye};
    PatchReference* eyeReferences[] = {&firstEyeReference_, &secondEyeReference_};
    const auto takeEyes = [&] {
        for (int eye = 0; eye < 2; ++eye) {
            eyeReferences[eye]->take(eyeCorners[eye].x, eyeCorners[eye].y, current);
        }
    };
    if (eyesBound && (firstEyeReference_.empty() || secondEyeReference_.empty())) {
        takeEyes();
    }
    if (mouthBound && mouthReference_.empty()) {
        mouthReference_.take(corners.mouth.x, corners.mouth.y, current);
    }
    double eyePart = 0.0;
    double mouthPart = 0.0;
    bool eyesOpener = false;
    bool eyesCloser = false;
    std::optional<PatchReference::Change> eyeChanges[2];
    for (int eye = 0; eye < 2 && eyesBound; ++eye) {
        eyeChanges[eye] = eyeReferences[eye]->change(eyeCorners[eye].x, eyeCorners[eye].y, current);
    }
    if (eyeChanges[0] && eyeChanges[1]) {
        // The less changed eye: a wink is not a closure.
        eyePart = std::min(eyeChanges[0]->difference, eyeChanges[1]->difference) / kEyeClosedChange;
        held.eyeClosure = eyePart;
        double darker = 0.0;
        double lighter = std::numeric_limits<double>::max();
        for (int eye = 0; eye < 2; ++eye) {
            const double ratio =
                eyeChanges[eye]->darkShare / std::max(eyeReferences[eye]->darkShare, 0.001);
            darker = std::max(darker, ratio);
            lighter = std::min(lighter, ratio);
        }
        // Darker than the reference: the eyes opened since it was taken.
        eyesOpener = darker >= kOpenerDarkRatio;
        eyesCloser = lighter < kCloserDarkRatio;
    }
    const std::optional<PatchReference::Change> mouthChange =
        mouthBound ? mouthReference_.change(corners.mouth.x, corners.mouth.y, current)
                   : std::nullopt;
    if (mouthChange) {
        mouthPart = mouthChange->difference / kMouthOpenChange;
        held.mouthOpening = mouthPart;
    }

    // The references follow what the face shows most of the time, so one
    // taken during a closure, a word or a bowed head is mended; an eye's
    // never with lids lower than the reference shows.
    if (!lastPictureMs_ || nowMs - *lastPictureMs_ >= kPictureEveryMs) {
        lastPictureMs_ = nowMs;
        UsualAppearance* eyeUsual[] = {&firstEyeUsual_, &secondEyeUsual_};
        for (int eye = 0; eye < 2 && eyeChanges[0] && eyeChanges[1]; ++eye) {
            PatchReference& reference = *eyeReferences[eye];
            eyeUsual[eye]->add(eyeChanges[eye]->at.x, eyeChanges[eye]->at.y, current, reference);
            const double alike = kAlikePart * kEyeClosedChange;
            const PatchReference* usual = eyeUsual[eye]->usual(alike, kUsualMinimumAlike);
            if (usual && usual->differenceFrom(reference) >= alike &&
                usual->darkShare >= reference.darkShare * kCloserDarkRatio) {
                reference = *usual;
                eyesChanged_ = {};
            }
        }
        if (mouthChange) {
            mouthUsual_.add(mouthChange->at.x, mouthChange->at.y, current, mouthReference_);
            const double alike = kAlikePart * kMouthOpenChange;
            const PatchReference* usual = mouthUsual_.usual(alike, kUsualMinimumAlike);
            if (usual && usual->differenceFrom(mouthReference_) >= alike) {
                mouthReference_ = *usual;
                mouthChanged_ = {};
            }
        }
    }
    // A reference is taken afresh when the face stays changed, or the eyes
    // open wider than it shows them: one taken mid-blink or on a turned head
    // does not last.
    const auto relearn = [&](HoldTimer& changed, bool isChanged) {
        changed.follow(isChanged, nowMs, kRelearnMs);
        return changed.fired;
    };
    if (eyeChanges[0] && eyeChanges[1]) {
        openerFrames_ = eyesOpener && eyePart >= 1.0 ? openerFrames_ + 1 : 0;
        // Eyes kept shut past the relearning time are not the face at rest.
        if (relearn(eyesChanged_, eyePart >= 0.5 && !eyesCloser) ||
            openerFrames_ >= kOpenerFrames) {
            takeEyes();
            eyesChanged_ = {};
            openerFrames_ = 0;
        }
    }
    if (mouthChange) {
        if (relearn(mouthChanged_, mouthPart >= 0.5)) {
            mouthReference_.take(corners.mouth.x, corners.mouth.y, current);
            mouthChanged_ = {};
        }
    }

    double rise = 0.0;
    const double restRise =
        kRestRisePerSecond * static_cast<double>(nowMs - lastHeldFrameMs_) / 1000;
    lastHeldFrameMs_ = nowMs;
    const auto followRest = [&](std::optional<double>& rest, const std::optional<double>& part) {
        if (part) {
            rest = std::min(*part, rest.value_or(*part) + restRise);
            rise = std::max(rise, *part - *rest);
        }
    };
    followRest(eyeRest_, held.eyeClosure);
    followRest(mouthRest_, held.mouthOpening);
    if (rise < kRiseAboveRest) {
        holdBackSinceMs_.reset();
    } else if (!holdBackSinceMs_) {
        holdBackSinceMs_ = nowMs;
    }
    const bool heldBack = holdBackSinceMs_ && nowMs - *holdBackSinceMs_ < kHoldBackMs &&
                          motion.trackMotion <= kHoldBackMovePx;

    const int holdMs = settings_.gestureHoldMs;
    const bool rising = std::max({eyeActivityPart_, mouthActivityPart_, eyePart, mouthPart}) > 0.5;
    if (!rising) {
        risingSinceMs_.reset();
        buildingClicked_ = false;
    } else if (!risingSinceMs_) {
        // The time held back counts towards the longest the pointer stays.
        risingSinceMs_ = std::max(holdBackSinceMs_.value_or(nowMs), nowMs - kHoldBackMs);
    }
    // A face that stays changed long past the hold without a click (a measure
    // off its level, a grimace, puffed cheeks) gives the pointer back to the
    // head, and its mouth does not click until the face settles or the
    // reference is taken afresh.
    bool overdue = risingSinceMs_ &&
                   nowMs - *risingSinceMs_ > std::max(holdMs, 0) + kLongestBuildingPastHoldMs;
    // The inside of an open mouth, when the patch changes less than its level
    // (a head raised from a bowed pose); its appearing after the pointer was
    // given back starts a held gesture of its own.
    bool mouthInside = mouthChange && mouthPart >= 0.5;
    if (mouthInside) {
        const double spot = mouthReference_.darkestSpotRatioOf(*mouthChange);
        mouthInside = spot <= kOpenMouthDarkestSpot &&
                      spot <= mouthReference_.darkestSpotRatio * kOpenMouthDarkerThanReference;
    }
    if (holdMs > 0 && overdue && mouthInside && !mouthInsideBefore_ && !buildingClicked_) {
        risingSinceMs_ = nowMs;
        overdue = false;
    }
    mouthInsideBefore_ = mouthInside;
    if (holdMs > 0) {
        // Closed eyes with a mouth at rest; an open mouth whatever the eyes do.
        // The eyes are closed changed past the level, or past most of it with
        // both pupils hidden (the darkest spots lighter than the references')
        // in a frame of the last few.
        bool pupilsHidden = eyePart >= kPupilsHiddenEyePart;
        for (int eye = 0; eye < 2 && pupilsHidden; ++eye) {
            pupilsHidden = eyeReferences[eye]->darkestSpotRatio * kPupilsHiddenLighter <=
                           eyeReferences[eye]->darkestSpotRatioOf(*eyeChanges[eye]);
        }
        if (pupilsHidden) {
            pupilsHiddenMs_ = nowMs;
        }
        const bool eyesClosed =
            (eyePart >= 1.0 || (pupilsHiddenMs_ && nowMs - *pupilsHiddenMs_ <= kEyeFlickerMs)) &&
            !eyesOpener && mouthPart < 0.5;
        const bool mouthOpen =
            mouthInside ||
            (mouthPart >= 1.0 && mouthChange->centreDarkShare >=
                                     mouthReference_.centreDarkShare + kOpenMouthCentreDarkening);
        held.eyesFired = eyeHold_.follow(eyesClosed, nowMs, holdMs);
        if (mouthHold_.sinceMs && mouthActivityPart_ > 1.0) {
            // The jaw still moves past its level: talking, not a held mouth.
            mouthHold_.sinceMs = nowMs;
        }
        held.mouthFired =
            mouthHold_.follow(mouthOpen && !held.eyesFired && !overdue, nowMs, holdMs);
        held.progress =
            std::max(eyeHold_.progress(nowMs, holdMs), mouthHold_.progress(nowMs, holdMs));
    }
    if (held.eyesFired || held.mouthFired || movementFired_) {
        // Still on the click's frame: the click lands where the pointer stood.
        held.building = true;
        building_ = false;
        buildingClicked_ = true;
        risingSinceMs_ = nowMs;  // a next gesture gets its own time
    } else {
        building_ = rising && !buildingClicked_ && !overdue;
        held.building = building_ || (heldBack && !buildingClicked_);
    }
    eyeActivityPart_ = 0.0;
    mouthActivityPart_ = 0.0;
    movementFired_ = false;
    return held;
}

}  // namespace veltranix
