#include "tracking/default_stages.h"

#include <cmath>

namespace veltranix {

void CentroidHeadMotion::startRun(const TrackingRun&, const Settings&) {
    first_ = true;
}

HeadMotion CentroidHeadMotion::update(const MatchResult& match, const PointerRange& range) {
    HeadMotion motion;
    motion.trackedX = match.centroidX;
    motion.trackedY = match.centroidY;
    motion.trackMotion =
        first_ ? 0.0 : std::hypot(match.centroidX - previousX_, match.centroidY - previousY_);
    first_ = false;
    previousX_ = match.centroidX;
    previousY_ = match.centroidY;
    motion.target = {(range.bounds.left + range.bounds.right) / 2,
                     (range.bounds.top + range.bounds.bottom) / 2};
    return motion;
}

}  // namespace veltranix
