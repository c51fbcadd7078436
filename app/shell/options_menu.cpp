#include "app/shell/options_menu.h"

#include "core/timing.h"

namespace veltranix {

double CentredTextX(double spanLeft, double spanWidth, std::size_t characters,
                    double characterWidth) {
    return spanLeft + (spanWidth - characterWidth * static_cast<double>(characters)) / 2.0;
}

MenuText ScaledMenuText(std::string text, double designX, double designY, int fontHeight,
                        int fontWidth, const DesignRect& box, float sizeFactor, Underline underline,
                        RgbColour colour) {
    const SkinFont font{ScaleDesignUnits(fontHeight, sizeFactor),
                        ScaleDesignUnits(fontWidth, sizeFactor), FontWeight::Bold, underline};
    const ScreenPoint origin{ScaleDesignValue(designX, sizeFactor),
                             ScaleDesignValue(designY, sizeFactor)};
    return {{std::move(text), origin, font, colour}, ScaleDesignRect(box, sizeFactor)};
}

ScreenRect CheckMarkAt(int designX, int designY, float sizeFactor) {
    return ScaleDesignRect(
        {designX, designY, designX + kCheckMarkWidth, designY + kCheckMarkHeight}, sizeFactor);
}

}  // namespace veltranix
