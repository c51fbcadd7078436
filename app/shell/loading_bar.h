#pragma once

#include <cstdint>
#include <optional>

#include "app/shell/skin.h"
#include "settings/lexicon.h"

namespace veltranix {

inline constexpr int kLoadingBarHeight = 30;
inline constexpr int kLoadingBarRepaintPeriodMs = 100;
inline constexpr RgbColour kLoadingBarGreen{109, 247, 119};

// The hint for a `faceStatus` value; none for a value without a hint.
std::optional<LexiconKey> LoadingBarHintKey(std::int32_t faceStatus);

// What the loading bar paints, in this order: white, the green progress area
// (when present), the hint text, a one-pixel black frame.
struct LoadingBarView {
    ScreenSize size;
    // Width in pixels of the green area from the left edge; none: no green.
    std::optional<int> greenWidthPx;
    std::optional<SkinText> hint;
};

// The bar's view for the shared tracking values. `widthPx` is the bar's
// width (the lexicon's positionHintWidth).
LoadingBarView LoadingBarViewFor(int widthPx, std::int32_t faceStatus, std::int32_t steadyProgress,
                                 bool calibrationHold, const Lexicon& lexicon);

}  // namespace veltranix
