#include "tracking/template_tracker.h"

#include <algorithm>
#include <climits>
#include <cmath>

#if defined(__x86_64__)
#include <immintrin.h>
#endif
#include <cstdlib>
#include <limits>

#include "core/timing.h"

namespace veltranix {

namespace {

constexpr int kGridRows = 6;
constexpr int kGridStepPixels = 10;
constexpr std::int32_t kUnwritten = INT32_MAX;

MatchResult NothingMatched() {
    MatchResult result;
    result.cost = std::numeric_limits<float>::infinity();
    return result;
}

}  // namespace

std::vector<DiscPoint> BuildNearDisc(int radius) {
    const int side = 2 * radius + 1;
    std::vector<char> marked(static_cast<std::size_t>(side * side), 0);
    auto mark = [&](int dx, int dy) {
        if (dx >= -radius && dx <= radius && dy >= -radius && dy <= radius) {
            marked[static_cast<std::size_t>((dx + radius) * side + dy + radius)] = 1;
        }
    };
    constexpr double kPi = 3.1416;
    for (int degree = 0; degree <= 360; ++degree) {
        const double angle = degree * kPi / 180.0;
        const int c = TruncateTowardZero(radius * std::cos(angle));
        const int s = TruncateTowardZero(radius * std::sin(angle));
        const int row = s + 1;
        for (int dx = std::min(1, 1 + c); dx <= std::max(1, 1 + c); ++dx) {
            mark(dx, row);
        }
    }
    std::vector<DiscPoint> disc;
    for (int dx = -radius; dx <= radius; ++dx) {
        for (int dy = -radius; dy <= radius; ++dy) {
            if (marked[static_cast<std::size_t>((dx + radius) * side + dy + radius)]) {
                disc.push_back({dx, dy});
            }
        }
    }
    return disc;
}

void NormaliseMatchCost(std::int32_t& value, std::int32_t minimum, std::int32_t maximum) {
    if (maximum == minimum) {
        value = 0;
        return;
    }
    const float scaled =
        static_cast<float>(value - minimum) * 510.0f / static_cast<float>(maximum - minimum);
    value = scaled >= 255.0f ? 255 : static_cast<std::int32_t>(scaled);
}

TemplateTracker::TemplateTracker(std::vector<DiscPoint> nearDisc)
    : nearDisc_(std::move(nearDisc)) {}

bool TemplateAndSearchInsideImage(const EyeLine& eyes) {
    const int columns = (eyes.rightX - eyes.leftX + 30) / kGridStepPixels + 1;
    if (columns < 1) {
        return false;
    }
    const int spanX = (columns - 1) * kGridStepPixels;
    const int spanY = (kGridRows - 1) * kGridStepPixels;
    // The candidates for the first grid point run from 85 left of the left
    // eye to 55 right of it, and from 65 above the eye line to 55 below it.
    return eyes.leftX - 85 >= 0 && eyes.leftX + 55 + spanX < kFrameWidth && eyes.leftY - 65 >= 0 &&
           eyes.leftY + 55 + spanY < kFrameHeight;
}

TemplateBuild TemplateTracker::build(const WorkImage& image, const EyeLine& eyes) {
    release();
    const int firstX = eyes.leftX - 15;
    const int firstY = eyes.leftY - 5;
    const int columns = (eyes.rightX - eyes.leftX + 30) / kGridStepPixels + 1;
    const int spanX = (columns - 1) * kGridStepPixels;
    const int spanY = (kGridRows - 1) * kGridStepPixels;
    if (columns < 1 || firstX < 0 || firstY < 0 || firstX + spanX >= kFrameWidth ||
        firstY + spanY >= kFrameHeight) {
        return TemplateBuild::OutsideImage;
    }
    columns_ = columns;
    for (int column = 0; column < columns; ++column) {
        for (int row = 0; row < kGridRows; ++row) {
            const int x = firstX + column * kGridStepPixels;
            const int y = firstY + row * kGridStepPixels;
            offsets_.push_back(WorkIndex(column * kGridStepPixels, row * kGridStepPixels));
            values_.push_back(image[static_cast<std::size_t>(WorkIndex(x, y))]);
        }
    }
    middleOffset_ = (columns / 2) * kGridStepPixels * kFrameHeight;

    // Candidates for the first grid point: 141 columns and 121 rows around
    // it, less those whose template would leave the image (only hand-placed
    // eyes come near the edges).
    window_.left = std::max(eyes.leftX - 85, 0);
    window_.right = std::min(eyes.leftX + 55, kFrameWidth - 1 - spanX);
    window_.top = std::max(eyes.leftY - 65, 0);
    window_.bottom = std::min(eyes.leftY + 55, kFrameHeight - 1 - spanY);
    for (int y = window_.top; y <= window_.bottom; ++y) {
        for (int x = window_.left; x <= window_.right; ++x) {
            searchOffsets_.push_back(WorkIndex(x, y));
        }
    }
    matchMap_.assign(kFramePixels, kUnwritten);
    costs_.assign(static_cast<std::size_t>(window_.rows()), 0);
    return TemplateBuild::Built;
}

void TemplateTracker::release() {
    offsets_.clear();
    values_.clear();
    columns_ = 0;
    middleOffset_ = 0;
    window_ = {};
    searchOffsets_.clear();
    matchMap_.clear();
    costs_.clear();
}

MatchResult TemplateTracker::matchPlain(const WorkImage& image) {
    if (!built()) {
        return NothingMatched();
    }
    const std::size_t points = values_.size();
    int minimum = INT32_MAX;
    int maximum = INT32_MIN;
    int best = 0;
    for (const int search : searchOffsets_) {
        int cost = 0;
        for (std::size_t i = 0; i < points; ++i) {
            cost += std::abs(image[static_cast<std::size_t>(search + offsets_[i])] - values_[i]);
        }
        const int stored = search + middleOffset_;
        matchMap_[static_cast<std::size_t>(stored)] = cost;
        if (cost < minimum) {
            minimum = cost;
            best = stored;
        }
        maximum = std::max(maximum, cost);
    }
    return finish(minimum, maximum, best);
}

namespace {

// Adds |column[y] - value| for the `rows` consecutive candidates of one
// search column; contiguous in memory, so the compiler vectorises it.
__attribute__((target_clones("avx2", "default"))) void AccumulateColumn(
    const std::uint8_t* __restrict column, std::int32_t value, int rows,
    std::int32_t* __restrict costs) {
    for (int y = 0; y < rows; ++y) {
        const std::int32_t difference = static_cast<std::int32_t>(column[y]) - value;
        costs[y] += difference < 0 ? -difference : difference;
    }
}

#if defined(__x86_64__)
// The costs of 16 consecutive candidates of one search column over all the
// template's points, summed in registers: one pass instead of one per point.
__attribute__((target("avx2"))) void SumSixteenCandidates(const std::uint8_t* first,
                                                          const std::vector<int>& offsets,
                                                          const std::vector<std::int32_t>& values,
                                                          std::int32_t* costs) {
    __m256i low = _mm256_setzero_si256();
    __m256i high = _mm256_setzero_si256();
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        const __m128i pixels =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + offsets[i]));
        const __m128i value = _mm_set1_epi8(static_cast<char>(values[i]));
        const __m128i difference =
            _mm_or_si128(_mm_subs_epu8(pixels, value), _mm_subs_epu8(value, pixels));
        low = _mm256_add_epi32(low, _mm256_cvtepu8_epi32(difference));
        high = _mm256_add_epi32(high, _mm256_cvtepu8_epi32(_mm_srli_si128(difference, 8)));
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(costs), low);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(costs + 8), high);
}

// Sixteen-bit sums hold the cost of a template of up to this many points.
constexpr std::size_t kPointsForNarrowSums = 65535 / 255;

// As SumSixteenCandidates for 32 candidates, with sixteen-bit sums: the
// template must have at most kPointsForNarrowSums points.
__attribute__((target("avx2"))) void SumThirtyTwoCandidates(const std::uint8_t* first,
                                                            const std::vector<int>& offsets,
                                                            const std::vector<std::int32_t>& values,
                                                            std::int32_t* costs) {
    const __m256i zero = _mm256_setzero_si256();
    // Within each 128-bit half, `low` sums candidates 0-7 and `high` 8-15.
    __m256i low = zero;
    __m256i high = zero;
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        const __m256i pixels =
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(first + offsets[i]));
        const __m256i value = _mm256_set1_epi8(static_cast<char>(values[i]));
        const __m256i difference =
            _mm256_or_si256(_mm256_subs_epu8(pixels, value), _mm256_subs_epu8(value, pixels));
        low = _mm256_add_epi16(low, _mm256_unpacklo_epi8(difference, zero));
        high = _mm256_add_epi16(high, _mm256_unpackhi_epi8(difference, zero));
    }
    const __m128i parts[4] = {_mm256_castsi256_si128(low), _mm256_castsi256_si128(high),
                              _mm256_extracti128_si256(low, 1), _mm256_extracti128_si256(high, 1)};
    for (int part = 0; part < 4; ++part) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(costs + 8 * part),
                            _mm256_cvtepu16_epi32(parts[part]));
    }
}
#endif

// The costs of the `rows` consecutive candidates of one search column whose
// first template point is at `first`.
void ColumnCosts(const std::uint8_t* first, const std::vector<int>& offsets,
                 const std::vector<std::int32_t>& values, int rows, std::int32_t* costs) {
    int row = 0;
#if defined(__x86_64__)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) {
        // The last block ends on the last row, overlapping the one before:
        // the rows it repeats get the same costs again.
        if (offsets.size() <= kPointsForNarrowSums && rows >= 32) {
            for (; row < rows; row += 32) {
                const int start = std::min(row, rows - 32);
                SumThirtyTwoCandidates(first + start, offsets, values, costs + start);
            }
            return;
        }
        if (rows >= 16) {
            for (; row < rows; row += 16) {
                const int start = std::min(row, rows - 16);
                SumSixteenCandidates(first + start, offsets, values, costs + start);
            }
            return;
        }
    }
#endif
    if (row == rows) {
        return;
    }
    std::fill(costs + row, costs + rows, 0);
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        AccumulateColumn(first + offsets[i] + row, values[i], rows - row, costs + row);
    }
}

struct CostRange {
    std::int32_t lowest = INT32_MAX;
    std::int32_t highest = INT32_MIN;
};

#if defined(__x86_64__)
__attribute__((target("avx2"))) CostRange ColumnRangeAvx2(const std::int32_t* costs, int rows) {
    __m256i lowest = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(costs));
    __m256i highest = lowest;
    for (int row = 8; row < rows; row += 8) {
        const int start = std::min(row, rows - 8);
        const __m256i block = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(costs + start));
        lowest = _mm256_min_epi32(lowest, block);
        highest = _mm256_max_epi32(highest, block);
    }
    alignas(32) std::int32_t lows[8];
    alignas(32) std::int32_t highs[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(lows), lowest);
    _mm256_store_si256(reinterpret_cast<__m256i*>(highs), highest);
    return {*std::min_element(lows, lows + 8), *std::max_element(highs, highs + 8)};
}

// v <- NormaliseMatchCost(v) for `count` costs, eight at a time; the same
// single-precision steps, so the same results.
__attribute__((target("avx2"))) int NormaliseEightAtATime(std::int32_t* values, int count,
                                                          std::int32_t minimum,
                                                          std::int32_t maximum) {
    const __m256i low = _mm256_set1_epi32(minimum);
    const __m256 factor = _mm256_set1_ps(510.0f);
    const __m256 range = _mm256_set1_ps(static_cast<float>(maximum - minimum));
    const __m256 ceiling = _mm256_set1_ps(255.0f);
    int done = 0;
    for (; done + 8 <= count; done += 8) {
        __m256i* at = reinterpret_cast<__m256i*>(values + done);
        const __m256 above = _mm256_cvtepi32_ps(_mm256_sub_epi32(_mm256_loadu_si256(at), low));
        const __m256 scaled = _mm256_div_ps(_mm256_mul_ps(above, factor), range);
        const __m256 capped =
            _mm256_blendv_ps(scaled, ceiling, _mm256_cmp_ps(scaled, ceiling, _CMP_GE_OQ));
        _mm256_storeu_si256(at, _mm256_cvttps_epi32(capped));
    }
    return done;
}
#endif

CostRange ColumnRange(const std::int32_t* costs, int rows) {
#if defined(__x86_64__)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2 && rows >= 8) {
        return ColumnRangeAvx2(costs, rows);
    }
#endif
    CostRange range;
    for (int row = 0; row < rows; ++row) {
        range.lowest = std::min(range.lowest, costs[row]);
        range.highest = std::max(range.highest, costs[row]);
    }
    return range;
}

void NormaliseColumn(std::int32_t* values, int count, std::int32_t minimum, std::int32_t maximum) {
    int done = 0;
#if defined(__x86_64__)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2 && maximum != minimum) {
        done = NormaliseEightAtATime(values, count, minimum, maximum);
    }
#endif
    for (; done < count; ++done) {
        NormaliseMatchCost(values[done], minimum, maximum);
    }
}

}  // namespace

MatchResult TemplateTracker::match(const WorkImage& image) {
    if (!built()) {
        return NothingMatched();
    }
    const int rows = window_.rows();
    std::int32_t* costs = costs_.data();
    int minimum = INT32_MAX;
    int maximum = INT32_MIN;
    // Candidates are ranked in the list's order (by row, then column); the
    // best is kept as its (row, column) so that ties resolve the same way.
    int bestRow = 0;
    int bestColumn = 0;
    for (int column = 0; column < window_.columns(); ++column) {
        const int first = WorkIndex(window_.left + column, window_.top);
        ColumnCosts(image.data() + first, offsets_, values_, rows, costs);
        std::copy(costs, costs + rows, matchMap_.data() + first + middleOffset_);
        const CostRange range = ColumnRange(costs, rows);
        maximum = std::max(maximum, range.highest);
        if (range.lowest > minimum) {
            continue;
        }
        // The column's first lowest is its smallest row; an equal cost in a
        // later column wins only from a smaller row.
        const int row = static_cast<int>(std::find(costs, costs + rows, range.lowest) - costs);
        if (range.lowest < minimum || row < bestRow) {
            minimum = range.lowest;
            bestRow = row;
            bestColumn = column;
        }
    }
    return finish(minimum, maximum,
                  WorkIndex(window_.left + bestColumn, window_.top + bestRow) + middleOffset_);
}

MatchResult TemplateTracker::finish(int minimum, int maximum, int bestPosition) {
    MatchResult result;
    result.bestPosition = bestPosition;
    result.cost = static_cast<float>(minimum) / static_cast<float>(values_.size());

    // Only the entries this frame wrote are costs; the others keep the
    // unwritten mark and so never count as near the best.
    const int rows = window_.rows();
    for (int column = 0; column < window_.columns(); ++column) {
        std::int32_t* stored =
            matchMap_.data() + WorkIndex(window_.left + column, window_.top) + middleOffset_;
        NormaliseColumn(stored, rows, minimum, maximum);
    }

    const int threshold =
        TruncateTowardZero((255 - matchMap_[static_cast<std::size_t>(bestPosition)]) * 0.2);
    const int bestX = bestPosition / kFrameHeight;
    const int bestY = bestPosition % kFrameHeight;
    double sumX = 0.0;
    double sumY = 0.0;
    int count = 0;
    for (const DiscPoint& point : nearDisc_) {
        const int x = bestX + point.dx;
        const int y = bestY + point.dy;
        if (x < 0 || x >= kFrameWidth || y < 0 || y >= kFrameHeight) {
            continue;
        }
        if (matchMap_[static_cast<std::size_t>(WorkIndex(x, y))] < threshold) {
            sumX += x;
            sumY += y;
            ++count;
        }
    }
    result.centroidX = sumX / count;
    result.centroidY = sumY / count;
    return result;
}

}  // namespace veltranix
