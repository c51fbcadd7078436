#include "app/shell/about_window.h"

#include <array>

#include "core/timing.h"
#include "core/version.h"

namespace veltranix {

namespace {

enum class LineRole { Plain, Link, Manual };

struct LineDesign {
    int y;
    LineRole role;
};

constexpr std::array<LineDesign, kAboutMaxLines> kLines{{
    {120, LineRole::Plain},
    {140, LineRole::Plain},
    {190, LineRole::Plain},
    {215, LineRole::Link},
    {240, LineRole::Link},
    {280, LineRole::Plain},
    {304, LineRole::Link},
    {475, LineRole::Manual},
}};

constexpr std::size_t kManualLineIndex = 7;
constexpr int kStatusLineY = 400;
constexpr int kFiguresY = 330;
constexpr int kFigureLineSpacing = 20;

// The lexicon writes "{version}" where the program's version goes.
std::string WithVersion(std::string_view text) {
    constexpr std::string_view kPlaceholder = "{version}";
    std::string stamped(text);
    for (std::size_t at = stamped.find(kPlaceholder); at != std::string::npos;
         at = stamped.find(kPlaceholder, at + kVersion.size())) {
        stamped.replace(at, kPlaceholder.size(), kVersion);
    }
    return stamped;
}

constexpr double kLineCharacterWidth = 7.5;
constexpr int kLineFontHeight = 15;
constexpr int kLineFontWidth = 8;
constexpr int kButtonFontHeight = 20;
constexpr int kButtonFontWidth = 12;

std::size_t LineIndexOf(AboutItem item) {
    switch (item) {
        case AboutItem::LinkLine4:
            return 3;
        case AboutItem::LinkLine5:
            return 4;
        case AboutItem::LinkLine7:
            return 6;
        case AboutItem::ManualLine:
        case AboutItem::Close:
            break;
    }
    return kManualLineIndex;
}

}  // namespace

std::vector<std::string> SplitAboutText(std::string_view text) {
    return SplitLexiconLines(text, kAboutMaxLines, kAboutMaxLineCharacters);
}

AboutWindow::AboutWindow(std::string_view aboutText, float sizeFactor, std::string_view statusLine)
    : lines_(SplitAboutText(WithVersion(aboutText))),
      statusLine_(statusLine),
      sizeFactor_(sizeFactor) {}

std::optional<ScreenRect> AboutWindow::LinkRect(AboutItem item) const {
    const std::size_t index = LineIndexOf(item);
    if (index >= lines_.size()) {
        return std::nullopt;
    }
    const float s = sizeFactor_;
    const double length = static_cast<double>(CharacterCount(lines_[index]));
    if (item == AboutItem::ManualLine) {
        // Exclusive edges: 15 s < x < 15 s + 13 s x length, 475 s - 10 < y < 475 s + 20.
        const int left = ScaleDesignUnits(15, s);
        const int baseY = ScaleDesignUnits(kLines[index].y, s);
        return ScreenRect{left + 1, baseY - 9, left + ScaleDesignValue(13.0 * length, s),
                          baseY + 20};
    }
    // The drawn text's box: its font height and width per character, centred
    // on the window like the text.
    const int width = ScaleDesignValue(kLineFontWidth * length, s);
    const int left = ScaleDesignValue((kAboutDesignWidth - kLineFontWidth * length) / 2.0, s);
    const int top = ScaleDesignUnits(kLines[index].y, s);
    return ScreenRect{left, top, left + width, top + ScaleDesignUnits(kLineFontHeight, s)};
}

std::optional<AboutItem> AboutWindow::ItemAt(ScreenPoint clientPoint) const {
    if (StrictlyInside(ScaleDesignRect(kAboutCloseButton, sizeFactor_), clientPoint)) {
        return AboutItem::Close;
    }
    for (const AboutItem item : {AboutItem::LinkLine4, AboutItem::LinkLine5, AboutItem::LinkLine7,
                                 AboutItem::ManualLine}) {
        const std::optional<ScreenRect> rect = LinkRect(item);
        if (rect && rect->left <= clientPoint.x && clientPoint.x < rect->right &&
            rect->top <= clientPoint.y && clientPoint.y < rect->bottom) {
            return item;
        }
    }
    return std::nullopt;
}

Repaint AboutWindow::OnPointerMoved(ScreenPoint clientPoint) {
    const std::optional<AboutItem> hovered = ItemAt(clientPoint);
    if (hovered == hovered_) {
        return Repaint::NotNeeded;
    }
    hovered_ = hovered;
    return Repaint::Needed;
}

std::optional<AboutItem> AboutWindow::OnLeftButtonDown(ScreenPoint clientPoint) const {
    return ItemAt(clientPoint);
}

std::optional<ScreenRect> AboutWindow::hoverOutline() const {
    if (hovered_ == AboutItem::LinkLine4 || hovered_ == AboutItem::LinkLine5 ||
        hovered_ == AboutItem::LinkLine7) {
        return LinkRect(*hovered_);
    }
    return std::nullopt;
}

std::vector<SkinText> AboutWindow::Texts(const Lexicon& lexicon) const {
    const float s = sizeFactor_;
    const SkinFont lineFont{ScaleDesignUnits(kLineFontHeight, s),
                            ScaleDesignUnits(kLineFontWidth, s), FontWeight::Bold, Underline::No};
    SkinFont linkFont = lineFont;
    linkFont.underline = Underline::Yes;
    const SkinFont buttonFont{ScaleDesignUnits(kButtonFontHeight, s),
                              ScaleDesignUnits(kButtonFontWidth, s), FontWeight::Bold,
                              Underline::No};
    std::vector<SkinText> texts;
    for (std::size_t index = 0; index < lines_.size(); ++index) {
        const std::string& line = lines_[index];
        const LineDesign& design = kLines[index];
        const int y = ScaleDesignUnits(design.y, s);
        if (design.role == LineRole::Manual) {
            texts.push_back({line, {ScaleDesignUnits(20, s), y}, buttonFont, kLinkBlue});
            continue;
        }
        const double length = static_cast<double>(CharacterCount(line));
        const int x = ScaleDesignValue((kAboutDesignWidth - kLineCharacterWidth * length) / 2.0, s);
        const bool link = design.role == LineRole::Link;
        texts.push_back({line, {x, y}, link ? linkFont : lineFont, link ? kLinkBlue : kTextBlack});
    }
    const auto centred = [&](const std::string& line, int designY) {
        const double length = static_cast<double>(CharacterCount(line));
        const int x = ScaleDesignValue((kAboutDesignWidth - kLineCharacterWidth * length) / 2.0, s);
        texts.push_back({line, {x, ScaleDesignUnits(designY, s)}, lineFont, kTextBlack});
    };
    for (std::size_t index = 0; index < figures_.size(); ++index) {
        centred(figures_[index], kFiguresY + kFigureLineSpacing * static_cast<int>(index));
    }
    if (!statusLine_.empty()) {
        centred(statusLine_, kStatusLineY);
    }
    const std::string& ok = lexicon.text(LexiconKey::Ok);
    const int okX =
        ScaleDesignUnits(439, s) + (146 - 15 * static_cast<int>(CharacterCount(ok))) / 2;
    texts.push_back({ok, {okX, ScaleDesignUnits(477, s)}, buttonFont, kTextBlack});
    return texts;
}

}  // namespace veltranix
