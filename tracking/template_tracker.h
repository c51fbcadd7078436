#pragma once

#include <cstdint>
#include <vector>

#include "tracking/face_detector.h"
#include "tracking/work_image.h"

namespace veltranix {

// Index offsets (dx * 480 + dy) of the filled disc of radius 25 that the
// centroid averages over, centred one pixel right of and below the point it
// is applied to. Built once.
struct DiscPoint {
    int dx = 0;
    int dy = 0;
};
std::vector<DiscPoint> BuildNearDisc(int radius);

struct MatchResult {
    // Mean absolute grey difference per template point; infinite without a
    // template, so that every lost-face test sees a lost face.
    float cost = 0.0f;
    double centroidX = 0.0;
    double centroidY = 0.0;
    int bestPosition = 0;  // WorkImage index of the best candidate's stored position
};

// The candidate rectangle of the template's first grid point, inclusive.
struct SearchWindow {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int columns() const { return right - left + 1; }
    int rows() const { return bottom - top + 1; }
};

enum class TemplateBuild {
    Built,
    OutsideImage,  // the template itself would reach beyond the image
};

// Whether the template built on `eyes` and every candidate of its search
// window lie inside the image, so that nothing of it is clipped. Calibrated
// eyes always do; eyes placed by hand may not.
bool TemplateAndSearchInsideImage(const EyeLine& eyes);

// The face template and its search buffers, from `StartTracking` to `Reset`.
// Match() allocates nothing. GUI thread.
class TemplateTracker {
  public:
    explicit TemplateTracker(std::vector<DiscPoint> nearDisc);

    // Samples the grid around the eye line from the image, fixes the search
    // window (candidates that would put a template point outside the image
    // are left out) and fills the match map.
    TemplateBuild build(const WorkImage& image, const EyeLine& eyes);
    void release();
    bool built() const { return !values_.empty(); }

    // The vectorised match; the same result as MatchPlain. Without a built
    // template nothing is matched and the cost is infinite.
    MatchResult match(const WorkImage& image);
    // The plain sum over the candidate list, kept as the reference.
    MatchResult matchPlain(const WorkImage& image);

    int templatePoints() const { return static_cast<int>(values_.size()); }
    int gridColumns() const { return columns_; }
    int middleColumnOffset() const { return middleOffset_; }
    const SearchWindow& searchWindow() const { return window_; }
    const std::vector<int>& searchOffsets() const { return searchOffsets_; }
    const std::vector<std::int32_t>& matchMap() const { return matchMap_; }
    const std::vector<std::int32_t>& templateValues() const { return values_; }
    const std::vector<int>& templateOffsets() const { return offsets_; }

  private:
    MatchResult finish(int minimumCost, int maximumCost, int bestPosition);

    std::vector<DiscPoint> nearDisc_;
    std::vector<int> offsets_;
    std::vector<std::int32_t> values_;
    int columns_ = 0;
    int middleOffset_ = 0;
    SearchWindow window_;
    std::vector<int> searchOffsets_;
    std::vector<std::int32_t> matchMap_;
    std::vector<std::int32_t> costs_;  // one search-window column of costs
};

// Scales a cost written this frame: v <- min(255, truncate((v - min) x 510 /
// (max - min))) in single precision; with max == min it becomes 0.
void NormaliseMatchCost(std::int32_t& value, std::int32_t minimum, std::int32_t maximum);

}  // namespace veltranix
