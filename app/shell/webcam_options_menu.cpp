#include "app/shell/webcam_options_menu.h"

namespace veltranix {

namespace {

using enum WebcamControl;

// In hit-test order: mirror, speed, range, pointer mode, buttons.
constexpr std::array<HitCell<WebcamControl>, 13> kControls{{
    {InvertNormal, {163, 13, 311, 101}},
    {InvertMirrored, {441, 13, 590, 101}},
    {Speed1, {163, 127, 277, 170}},
    {Speed2, {320, 127, 433, 170}},
    {Speed3, {477, 127, 590, 170}},
    {Range1, {163, 196, 277, 276}},
    {Range2, {320, 196, 433, 276}},
    {Range3, {477, 196, 590, 276}},
    {ModeDisabled, {12, 301, 144, 342}},
    {ModeRelative, {163, 302, 367, 450}},
    {ModeAbsolute, {388, 302, 590, 450}},
    {Ok, {108, 472, 254, 501}},
    {Cancel, {357, 472, 503, 501}},
}};

constexpr std::array<int, 1> kTimerPeriods{WebcamOptionsMenu::kAnimationPeriodMs};

// The animations of the two pointer modes, 150 x 113 units each.
constexpr int kAnimationWidth = 150;
constexpr int kAnimationHeight = 113;
constexpr ScreenPoint kRelativeAnimation{207, 328};
constexpr ScreenPoint kAbsoluteAnimation{430, 328};

struct RowControls {
    WebcamRow row;
    std::array<std::optional<WebcamControl>, 3> options;
};

constexpr std::array<RowControls, 4> kRows{{
    {WebcamRow::Invertir, {InvertNormal, InvertMirrored, std::nullopt}},
    {WebcamRow::Velocidad, {Speed1, Speed2, Speed3}},
    {WebcamRow::MoveCara, {Range1, Range2, Range3}},
    {WebcamRow::TipoMoveRatoli, {ModeDisabled, ModeRelative, ModeAbsolute}},
}};

// The row and option of a choice control; none for OK and cancel.
std::optional<std::pair<WebcamRow, std::size_t>> OptionOf(WebcamControl control) {
    for (const RowControls& row : kRows) {
        for (std::size_t option = 0; option < row.options.size(); ++option) {
            if (row.options[option] == control) {
                return std::make_pair(row.row, option);
            }
        }
    }
    return std::nullopt;
}

DesignRect DesignOf(WebcamControl control) {
    return kControls[static_cast<std::size_t>(control)].design;
}

// Where the check mark sits inside a selected option.
ScreenPoint CheckMarkOffset(WebcamRow row, std::size_t option) {
    switch (row) {
        case WebcamRow::Invertir:
            return {5, 5};
        case WebcamRow::Velocidad:
        case WebcamRow::MoveCara:
            return {5, 3};
        case WebcamRow::TipoMoveRatoli:
            break;
    }
    return option == 0 ? ScreenPoint{10, 8} : ScreenPoint{9, 8};
}

int NextFrame(int frame) {
    return frame >= WebcamOptionsMenu::kLastAnimationFrame ? WebcamOptionsMenu::kFirstAnimationFrame
                                                           : frame + 1;
}

}  // namespace

std::optional<WebcamControl> WebcamControlAt(ScreenPoint clientPoint, float sizeFactor) {
    return HitTable<WebcamControl>(kControls, sizeFactor).Hit(clientPoint);
}

std::span<const HitCell<WebcamControl>> WebcamControlCells() {
    return kControls;
}

ScreenRect WebcamControlRect(WebcamControl control, float sizeFactor) {
    return ScaleDesignRect(DesignOf(control), sizeFactor);
}

WebcamOptionsMenu::WebcamOptionsMenu(Settings& settings, SettingsPersistence& persistence,
                                     OptionsMenuHost& host)
    : settings_(settings),
      persistence_(persistence),
      host_(host),
      backup_(settings.webcamChoiceRows) {}

std::span<const int> WebcamOptionsMenu::timerPeriodsMs() const {
    return kTimerPeriods;
}

Repaint WebcamOptionsMenu::OnPointerMoved(ScreenPoint clientPoint) {
    const std::optional<WebcamControl> hovered = WebcamControlAt(clientPoint, settings_.sizeFactor);
    if (hovered == hovered_) {
        return Repaint::NotNeeded;
    }
    hovered_ = hovered;
    return Repaint::Needed;
}

void WebcamOptionsMenu::OnLeftButtonDown(ScreenPoint clientPoint) {
    if (const std::optional<WebcamControl> control =
            WebcamControlAt(clientPoint, settings_.sizeFactor)) {
        Click(*control);
    }
}

Repaint WebcamOptionsMenu::OnTimer(std::size_t) {
    relativeFrame_ = NextFrame(relativeFrame_);
    absoluteFrame_ = NextFrame(absoluteFrame_);
    return Repaint::Needed;
}

void WebcamOptionsMenu::Click(WebcamControl control) {
    if (closed_) {
        return;
    }
    auto& rows = settings_.webcamChoiceRows;
    if (control == Ok || control == Cancel) {
        closed_ = true;
        if (control == Ok) {
            persistence_.SaveWebcamSettings();
        } else {
            persistence_.LoadWebcamSettings();
        }
        host_.closeOptionsMenu(kind());
        return;
    }
    const auto [row, option] = *OptionOf(control);
    WebcamChoiceRow& flags = rows[static_cast<std::size_t>(row)];
    if (row != WebcamRow::TipoMoveRatoli) {
        flags.fill(0);
        flags[option] = 1;
        persistence_.ApplyWebcamSettings();
        return;
    }
    if (settings_.pointerMoveMode != 1) {
        backup_ = rows;
    }
    flags.fill(0);
    flags[option] = 1;
    if (option > 0) {
        settings_.pointerMoveMode = static_cast<std::int32_t>(option) + 1;
    } else if (settings_.pointerMoveMode != 1) {
        host_.askBeforeDisablingHeadMovement();
    }
}

void WebcamOptionsMenu::OnClosedFromOutside() {
    if (!closed_) {
        closed_ = true;
        persistence_.LoadWebcamSettings();
    }
}

void WebcamOptionsMenu::OnWarningAnswer(WarningChoice choice) {
    if (choice == WarningChoice::Ok) {
        settings_.pointerMoveMode = 1;
    } else {
        settings_.webcamChoiceRows = backup_;
    }
}

OptionsMenuView WebcamOptionsMenu::View(const Lexicon& lexicon) const {
    const float s = settings_.sizeFactor;
    OptionsMenuView view;
    view.skin = kWebcamMenuSkin;
    const auto animation = [s](const char* name, int frame, ScreenPoint at) {
        return MenuPicture{
            name + std::to_string(frame),
            ScaleDesignRect({at.x, at.y, at.x + kAnimationWidth, at.y + kAnimationHeight}, s)};
    };
    view.pictures.push_back(animation("RELATIVO", relativeFrame_, kRelativeAnimation));
    view.pictures.push_back(animation("ABSOLUTE", absoluteFrame_, kAbsoluteAnimation));

    for (const RowControls& row : kRows) {
        const WebcamChoiceRow& flags =
            settings_.webcamChoiceRows[static_cast<std::size_t>(row.row)];
        for (std::size_t option = 0; option < row.options.size(); ++option) {
            if (!row.options[option] || flags[option] != 1) {
                continue;
            }
            // "Disabled" is marked by the mode in force, whatever the row says.
            if (row.row == WebcamRow::TipoMoveRatoli && option == 0) {
                continue;
            }
            const DesignRect design = DesignOf(*row.options[option]);
            const ScreenPoint offset = CheckMarkOffset(row.row, option);
            view.checkMarks.push_back(
                CheckMarkAt(design.left + offset.x, design.top + offset.y, s));
        }
    }
    if (settings_.pointerMoveMode == 1) {
        const DesignRect design = DesignOf(ModeDisabled);
        view.checkMarks.push_back(CheckMarkAt(design.left + 10, design.top + 8, s));
    }

    const auto centred = [&](LexiconKey key, double left, double span, double y, int height,
                             int width, const DesignRect& box) {
        const std::string& text = lexicon.text(key);
        view.texts.push_back(ScaledMenuText(
            text, CentredTextX(left, span, CharacterCount(text), width), y, height, width, box, s));
    };
    centred(LexiconKey::Disabled, 40, 104, 315, 15, 7, {40, 301, 144, 342});
    centred(LexiconKey::Relative, 208, 148, 310, 15, 7, {208, 302, 356, 328});
    centred(LexiconKey::Absolute, 431, 148, 310, 15, 7, {431, 302, 579, 328});
    centred(LexiconKey::Ok, 109, 146, 480, 20, 15, DesignOf(Ok));
    centred(LexiconKey::Cancel, 356, 148, 480, 20, 15, DesignOf(Cancel));

    if (hovered_) {
        view.outlines.push_back({WebcamControlRect(*hovered_, s)});
    }
    return view;
}

}  // namespace veltranix
