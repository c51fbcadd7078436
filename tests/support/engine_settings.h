#pragma once

#include "settings/settings.h"

namespace veltranix::testing {

// Settings as a fresh installation derives them: relative movement, middle
// speed and curve, dwell 3 s, nothing bound.
inline Settings FreshTrackingSettings() {
    Settings settings;
    settings.pointerMoveMode = 2;
    settings.speedGain = 0.6;
    settings.moveCaraCurve = 45.0;
    settings.moveCaraSpan = 100.0;
    settings.dwellSeconds = 3;
    settings.tempsRellotge = 3;
    settings.sizeFactor = 1.0f;
    return settings;
}

}  // namespace veltranix::testing
