#include "tracking/gestures.h"

#include <cstdlib>
#include <limits>

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

}  // namespace

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
    firstEye_.allocate(kEyePatchColumns, kEyePatchRows);
    secondEye_.allocate(kEyePatchColumns, kEyePatchRows);
    mouth_.allocate(kMouthPatchColumns, kMouthPatchRows);
}

void GestureDetector::endRun() {
    firstEye_.release();
    secondEye_.release();
    mouth_.release();
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
    // Both eyes, and a still mouth: a wink or talking is not a blink.
    outcome.fired = first > settings_.eyeThreshold && second > settings_.eyeThreshold && mouth == 0;
    eyesFiredThisFrame_ = outcome.fired;
    return outcome;
}

GestureOutcome GestureDetector::testMouth(const WorkImage& current, const WorkImage& previous,
                                          const HeadMotion& motion) {
    GestureOutcome outcome;
    if ((Bound(GestureRow::Mouth) && !eyesFiredThisFrame_) || switches_.mouthTest) {
        const int mouth = eyeTestMouthActivity_ ? *eyeTestMouthActivity_
                                                : MeasureMouth(current, previous, motion);
        outcome.activity = mouth;
        outcome.fired = mouth > settings_.mouthThreshold;
    } else if (eyeTestMouthActivity_) {
        outcome.activity = *eyeTestMouthActivity_;
    }
    eyesFiredThisFrame_ = false;
    eyeTestMouthActivity_.reset();
    return outcome;
}

}  // namespace veltranix
