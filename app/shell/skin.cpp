#include "app/shell/skin.h"

#include <cmath>

#include "core/text_codec.h"
#include "core/timing.h"

namespace veltranix {

ScreenRect ScaleDesignRect(const DesignRect& rect, float sizeFactor) {
    return {ScaleDesignUnits(rect.left, sizeFactor), ScaleDesignUnits(rect.top, sizeFactor),
            ScaleDesignUnits(rect.right, sizeFactor), ScaleDesignUnits(rect.bottom, sizeFactor)};
}

ScreenSize ScaleDesignSize(int designWidth, int designHeight, float sizeFactor) {
    return {ScaleDesignUnits(designWidth, sizeFactor), ScaleDesignUnits(designHeight, sizeFactor)};
}

int ScaleDesignValue(double designUnits, float sizeFactor) {
    return TruncateTowardZero(static_cast<float>(designUnits) * sizeFactor);
}

ScreenPoint DesignPointAt(ScreenPoint clientPoint, float sizeFactor) {
    const auto design = [sizeFactor](int client) {
        return static_cast<int>(std::floor((static_cast<float>(client) + 0.5f) / sizeFactor));
    };
    return {design(clientPoint.x), design(clientPoint.y)};
}

bool StrictlyInside(const ScreenRect& rect, ScreenPoint point) {
    return rect.left < point.x && point.x < rect.right && rect.top < point.y &&
           point.y < rect.bottom;
}

std::size_t CharacterCount(std::string_view utf8) {
    return Utf8Length(utf8);
}

std::vector<std::string> SplitLexiconLines(std::string_view text, std::size_t maxLines,
                                           std::size_t maxCharacters) {
    constexpr std::string_view kBreak = "\\n";
    std::vector<std::string> lines;
    while (lines.size() < maxLines) {
        const std::size_t cut = text.find(kBreak);
        lines.emplace_back(Utf8Prefix(text.substr(0, cut), maxCharacters));
        if (cut == std::string_view::npos) {
            break;
        }
        text.remove_prefix(cut + kBreak.size());
    }
    return lines;
}

}  // namespace veltranix
