#include "app/shell/loading_bar.h"

#include <algorithm>

namespace veltranix {

namespace {

constexpr SkinFont kHintFont{22, 12, FontWeight::Bold, Underline::No};
constexpr std::int32_t kWellPlaced = 0;

}  // namespace

std::optional<LexiconKey> LoadingBarHintKey(std::int32_t faceStatus) {
    switch (faceStatus) {
        case 0:
            return LexiconKey::Pos;
        case 1:
            return LexiconKey::Far;
        case 2:
            return LexiconKey::Near;
        case 3:
            return LexiconKey::HighPos;
        case 4:
            return LexiconKey::LowPos;
        case 5:
            return LexiconKey::RightPos;
        case 6:
            return LexiconKey::LeftPos;
        case 100:
            return LexiconKey::NoFace;
        default:
            return std::nullopt;
    }
}

LoadingBarView LoadingBarViewFor(int widthPx, std::int32_t faceStatus, std::int32_t steadyProgress,
                                 bool calibrationHold, const Lexicon& lexicon) {
    LoadingBarView view;
    view.size = {widthPx, kLoadingBarHeight};
    if (!calibrationHold && faceStatus == kWellPlaced) {
        view.greenWidthPx = std::clamp(steadyProgress, 0, std::max(widthPx, 0));
    }
    if (const std::optional<LexiconKey> key = LoadingBarHintKey(faceStatus)) {
        const std::string& hint = lexicon.text(*key);
        const int textWidthPx = kHintFont.widthPx * static_cast<int>(CharacterCount(hint));
        view.hint = SkinText{
            hint,
            {(widthPx - textWidthPx) / 2 - 5, (kLoadingBarHeight - kHintFont.heightPx) / 2},
            kHintFont,
            kTextBlack};
    }
    return view;
}

}  // namespace veltranix
