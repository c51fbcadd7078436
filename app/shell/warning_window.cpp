#include "app/shell/warning_window.h"

#include <array>

#include "core/timing.h"

namespace veltranix {

namespace {

constexpr std::string_view kLineBreak = "\\n";

constexpr std::array<HitCell<WarningChoice>, 2> kButtons{{
    {WarningChoice::Ok, {156, 59, 301, 87}},
    {WarningChoice::Cancel, {390, 59, 535, 87}},
}};

// Each line is centred in the band right of the warning sign.
constexpr double kBandLeft = 113;
constexpr double kBandWidth = 445;
constexpr double kLineCharacterWidth = 10;
constexpr double kButtonCharacterWidth = 15;
constexpr double kOkCentre = 150 + 72;
constexpr double kCancelCentre = 385 + 72;

}  // namespace

WarningLines SplitWarningText(std::string_view text) {
    WarningLines lines;
    const std::size_t cut = text.find(kLineBreak);
    lines.first = std::string(text.substr(0, cut));
    if (cut == std::string_view::npos) {
        return lines;
    }
    std::string_view rest = text.substr(cut + kLineBreak.size());
    for (std::size_t next = rest.find(kLineBreak); next != std::string_view::npos;
         next = rest.find(kLineBreak)) {
        lines.second.append(rest.substr(0, next));
        rest.remove_prefix(next + kLineBreak.size());
    }
    lines.second.append(rest);
    return lines;
}

std::span<const HitCell<WarningChoice>> WarningButtonCells() {
    return kButtons;
}

WarningWindow::WarningWindow(float sizeFactor) : sizeFactor_(sizeFactor) {}

std::optional<WarningChoice> WarningWindow::ChoiceAt(ScreenPoint clientPoint) const {
    return HitTable<WarningChoice>(kButtons, sizeFactor_).Hit(clientPoint);
}

Repaint WarningWindow::OnPointerMoved(ScreenPoint clientPoint) {
    const std::optional<WarningChoice> hovered = ChoiceAt(clientPoint);
    if (hovered == hovered_) {
        return Repaint::NotNeeded;
    }
    hovered_ = hovered;
    return Repaint::Needed;
}

std::optional<WarningChoice> WarningWindow::OnLeftButtonDown(ScreenPoint clientPoint) const {
    return ChoiceAt(clientPoint);
}

std::optional<ScreenRect> WarningWindow::hoverOutline() const {
    if (!hovered_) {
        return std::nullopt;
    }
    return HitTable<WarningChoice>(kButtons, sizeFactor_).RectOf(*hovered_);
}

std::vector<SkinText> WarningWindow::Texts(const Lexicon& lexicon) const {
    const float s = sizeFactor_;
    const WarningLines lines = SplitWarningText(lexicon.text(LexiconKey::Warning));
    const SkinFont lineFont{ScaleDesignUnits(22, s), ScaleDesignUnits(10, s), FontWeight::Normal,
                            Underline::No};
    const SkinFont buttonFont{ScaleDesignUnits(20, s), ScaleDesignUnits(15, s), FontWeight::Normal,
                              Underline::No};
    const auto lineX = [s](const std::string& line) {
        const double length = static_cast<double>(CharacterCount(line));
        return ScaleDesignValue(kBandLeft + (kBandWidth - kLineCharacterWidth * length) / 2.0, s);
    };
    const auto buttonX = [s](double centre, const std::string& text) {
        const double length = static_cast<double>(CharacterCount(text));
        return ScaleDesignValue(centre - kButtonCharacterWidth * length / 2.0, s);
    };
    const std::string& ok = lexicon.text(LexiconKey::Ok);
    const std::string& cancel = lexicon.text(LexiconKey::Cancel);
    const int buttonY = ScaleDesignUnits(64, s);
    return {
        {lines.first, {lineX(lines.first), ScaleDesignUnits(8, s)}, lineFont, kTextBlack},
        {lines.second, {lineX(lines.second), ScaleDesignUnits(30, s)}, lineFont, kTextBlack},
        {ok, {buttonX(kOkCentre, ok), buttonY}, buttonFont, kTextBlack},
        {cancel, {buttonX(kCancelCentre, cancel), buttonY}, buttonFont, kTextBlack},
    };
}

}  // namespace veltranix
