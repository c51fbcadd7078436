#include "app/shell/mouse_options_menu.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace veltranix {

namespace {

using enum MouseControlKind;

constexpr std::array<std::array<int, 2>, 8> kColumns{
    {{3, 134}, {134, 214}, {214, 291}, {291, 369}, {369, 450}, {450, 528}, {528, 605}, {605, 683}}};
constexpr int kGestureCellCount = 7;
// The scroll speed's steps, slow to fast, under the scroll column.
constexpr std::array<DesignRect, 3> kScrollSpeedSteps{
    {{614, 361, 677, 387}, {614, 390, 677, 416}, {614, 419, 677, 445}}};
// Row 0 is the headings; rows 1 to 3 the eye, mouth and dwell triggers.
constexpr std::array<std::array<int, 2>, 4> kRows{{{8, 100}, {100, 174}, {174, 247}, {247, 329}}};

constexpr DesignRect kEyeTestArea{3, 100, 95, 174};
constexpr DesignRect kMouthTestArea{3, 174, 95, 247};

constexpr std::array<int, 3> kTimerPeriods{MouseOptionsMenu::kAnimationPeriodMs,
                                           MouseOptionsMenu::kDwellDemoPeriodMs,
                                           MouseOptionsMenu::kHeldCancelPeriodMs};

constexpr RgbColour kTestOutline{0xCC, 0x3F, 0x00};
constexpr RgbColour kTestFlash{0xCF, 0x3F, 0x00};
constexpr RgbColour kGaugeGreen{0x00, 0xFF, 0x00};
constexpr RgbColour kTestWordBlue{0x00, 0x00, 0xFF};
constexpr RgbColour kDisabledCell{0x9A, 0xA3, 0xAF};

DesignRect CellDesign(GestureRow row, int cell) {
    const auto& [top, bottom] = kRows[static_cast<std::size_t>(row) + 1];
    const auto& [left, right] = kColumns[static_cast<std::size_t>(cell) + 1];
    return {left, top, right, bottom};
}

std::vector<HitCell<MouseControl>> BuildControls() {
    std::vector<HitCell<MouseControl>> controls{
        {{EyeOffsetUp}, {100, 105, 130, 135}},
        {{EyeOffsetDown}, {100, 140, 130, 170}},
        {{MouthOffsetUp}, {100, 179, 130, 209}},
        {{MouthOffsetDown}, {100, 214, 130, 244}},
        {{DwellUp}, {100, 254, 130, 284}},
        {{DwellDown}, {100, 293, 130, 323}},
        {{HoldShorter}, {470, 410, 500, 440}},
        {{HoldLonger}, {566, 410, 596, 440}},
        {{EyeTest}, kEyeTestArea},
        {{MouthTest}, kMouthTestArea},
    };
    for (GestureRow row : {GestureRow::Eye, GestureRow::Mouth, GestureRow::Dwell}) {
        for (int cell = 0; cell < kGestureCellCount; ++cell) {
            controls.push_back({{TriggerCell, row, cell}, CellDesign(row, cell)});
        }
    }
    for (int step = 0; step < static_cast<int>(kScrollSpeedSteps.size()); ++step) {
        controls.push_back({{ScrollSpeed, GestureRow::Eye, step},
                            kScrollSpeedSteps[static_cast<std::size_t>(step)]});
    }
    controls.push_back({{ClicMacro}, {214, 331, 291, 419}});
    controls.push_back({{MacroEditor}, {26, 378, 106, 409}});
    controls.push_back({{Ok}, {160, 458, 304, 488}});
    controls.push_back({{Cancel}, {409, 458, 554, 488}});
    return controls;
}

const std::vector<HitCell<MouseControl>>& Controls() {
    static const std::vector<HitCell<MouseControl>> controls = BuildControls();
    return controls;
}

DesignRect DesignOf(const MouseControl& control) {
    for (const HitCell<MouseControl>& cell : Controls()) {
        if (cell.id == control) {
            return cell.design;
        }
    }
    return {};
}

// The picture of a click kind's click, for the demonstrations.
constexpr std::array<const char*, kGestureCellCount> kClickPictures{
    "RATOLI", "DESP_OBERT", "RATOLI_DRET", "RATOLI_DOBLE", "RATOLI_MIG", "ARRASTRA", "DESPLACA"};

// A gauge: the frame's design span and the bar's end for an offset.
struct Gauge {
    int top;
    int bottom;
};
constexpr Gauge kEyeGauge{103, 172};
constexpr Gauge kMouthGauge{177, 245};

}  // namespace

std::optional<MouseControl> MouseControlAt(ScreenPoint clientPoint, float sizeFactor) {
    return HitTable<MouseControl>(Controls(), sizeFactor).Hit(clientPoint);
}

std::span<const HitCell<MouseControl>> MouseControlCells() {
    return Controls();
}

ScreenRect MouseControlRect(const MouseControl& control, float sizeFactor) {
    return ScaleDesignRect(DesignOf(control), sizeFactor);
}

MouseOptionsMenu::MouseOptionsMenu(Settings& settings, SettingsPersistence& persistence,
                                   MouseMenuEngine& engine, OptionsMenuHost& host)
    : settings_(settings), persistence_(persistence), engine_(engine), host_(host) {}

std::span<const int> MouseOptionsMenu::timerPeriodsMs() const {
    return kTimerPeriods;
}

Repaint MouseOptionsMenu::OnPointerMoved(ScreenPoint clientPoint) {
    if (closed_ || flashTicks_ > 0) {
        return Repaint::NotNeeded;
    }
    const std::optional<MouseControl> hovered =
        MouseControlAt(clientPoint, SizeFactor(settings_.sizeFactor));
    std::optional<MouseControlKind> testArea;
    if (hovered && (hovered->kind == EyeTest || hovered->kind == MouthTest)) {
        testArea = hovered->kind;
    }
    engine_.setGestureTests(testArea == EyeTest, testArea == MouthTest);
    if (hovered == hovered_ && testArea == testArea_) {
        return Repaint::NotNeeded;
    }
    if (!hovered || hovered->kind != Cancel) {
        heldCancelCount_ = 0;
    }
    hovered_ = hovered;
    testArea_ = testArea;
    return Repaint::Needed;
}

void MouseOptionsMenu::OnLeftButtonDown(ScreenPoint clientPoint) {
    if (const std::optional<MouseControl> control =
            MouseControlAt(clientPoint, SizeFactor(settings_.sizeFactor))) {
        Click(*control);
    }
}

Repaint MouseOptionsMenu::OnTimer(std::size_t timer) {
    if (closed_) {
        return Repaint::NotNeeded;
    }
    switch (timer) {
        case Animation:
            animation_ = animation_ >= 13 ? 0 : animation_ + 1;
            eyeActivity_ = engine_.eyeActivity();
            mouthActivity_ = engine_.mouthActivity();
            return Repaint::Needed;
        case DwellDemo:
            dwellDemo_ =
                dwellDemo_ <= settings_.dwellSeconds && dwellDemo_ < 10 ? dwellDemo_ + 1 : 0;
            return Repaint::Needed;
        case HeldCancel:
            break;
        default:
            return Repaint::NotNeeded;
    }
    Repaint repaint = Repaint::NotNeeded;
    if (flashTicks_ > 0 && --flashTicks_ == 0) {
        flashArea_.reset();
        repaint = Repaint::Needed;
    }
    if (hovered_ && hovered_->kind == Cancel) {
        if (++heldCancelCount_ >= kHeldCancelTicks) {
            // Held on cancel: the same as the cancel button, so that nothing
            // unsaved stays live once the menu has gone.
            heldCancelCount_ = 0;
            Close(Cancel);
            return Repaint::NotNeeded;
        }
        repaint = Repaint::Needed;
    }
    return repaint;
}

void MouseOptionsMenu::StepOffset(std::int32_t& offset, int limit, int step, int selector) {
    offset = std::clamp(offset + step, -limit, limit);
    persistence_.RecomputeThresholds(selector);
}

void MouseOptionsMenu::Click(const MouseControl& control) {
    if (closed_) {
        return;
    }
    switch (control.kind) {
        case EyeOffsetUp:
        case EyeOffsetDown:
            StepOffset(settings_.OffSetRefUll, kEyeOffsetLimit,
                       control.kind == EyeOffsetUp ? 1 : -1, 1);
            return;
        case MouthOffsetUp:
        case MouthOffsetDown:
            StepOffset(settings_.OffSetRefBoca, kMouthOffsetLimit,
                       control.kind == MouthOffsetUp ? 1 : -1, 2);
            return;
        case DwellUp:
        case DwellDown: {
            std::int32_t& dwell = settings_.dwellSeconds;
            if (control.kind == DwellUp && dwell < kDwellSecondsMax) {
                ++dwell;
            } else if (control.kind == DwellDown && dwell > kDwellSecondsMin) {
                --dwell;
            }
            dwellDemo_ = 0;
            return;
        }
        case HoldShorter:
        case HoldLonger: {
            // The next offered hold, from whatever the store held.
            std::int32_t& hold = settings_.gestureHoldMs;
            if (control.kind == HoldLonger) {
                const auto* next = std::upper_bound(kGestureHoldChoicesMs.begin(),
                                                    kGestureHoldChoicesMs.end(), hold);
                hold = next == kGestureHoldChoicesMs.end()
                           ? std::max(hold, kGestureHoldChoicesMs.back())
                           : *next;
            } else {
                const auto* next = std::lower_bound(kGestureHoldChoicesMs.begin(),
                                                    kGestureHoldChoicesMs.end(), hold);
                hold = next == kGestureHoldChoicesMs.begin() ? 0 : *(next - 1);
            }
            return;
        }
        case EyeTest:
        case MouthTest:
            flashArea_ = control.kind;
            flashTicks_ = kFlashTicks;
            return;
        case TriggerCell:
            if (ClickGestureCell(settings_.mouseMenuCells, control.row, control.cell)) {
                persistence_.RebuildGestureMatrix();
            }
            return;
        case ScrollSpeed:
            settings_.scrollSpeed = control.cell + 1;
            return;
        case ClicMacro: {
            bool menuBound = false;
            for (const GestureCellRow& row : settings_.mouseMenuCells) {
                menuBound = menuBound || row[1].value == 1;
            }
            settings_.clicMacro = menuBound && settings_.clicMacro == 0 ? 1 : 0;
            return;
        }
        case MacroEditor:
        case Ok:
        case Cancel:
            Close(control.kind);
            return;
    }
}

void MouseOptionsMenu::Close(MouseControlKind how) {
    closed_ = true;
    engine_.setGestureTests(false, false);
    if (how == Cancel) {
        persistence_.LoadMouseSettings();
    } else {
        // OK, and the macro editor too: what the menu shows is stored before
        // it goes, so that nothing live is left unsaved.
        persistence_.SaveMouseSettings();
        persistence_.RecomputeThresholds(3);
    }
    // The editor opens first: the menu's host then knows that the menu
    // closes for the editor and comes back after it.
    if (how == MacroEditor) {
        host_.openMacroEditor();
    }
    host_.closeOptionsMenu(kind());
}

void MouseOptionsMenu::OnClosedFromOutside() {
    engine_.setGestureTests(false, false);
    if (!closed_) {
        closed_ = true;
        persistence_.LoadMouseSettings();
    }
}

std::optional<std::string> MouseOptionsMenu::DemoPicture(GestureRow row, int cell) const {
    if (row == GestureRow::Dwell) {
        if (dwellDemo_ < 2) {
            return std::nullopt;
        }
        if (dwellDemo_ <= settings_.dwellSeconds) {
            return "RELLOTGE" + std::to_string(std::min(dwellDemo_, kDwellSecondsMax));
        }
        return std::string(kClickPictures[static_cast<std::size_t>(cell)]);
    }
    if (animation_ < 7) {
        return std::string(row == GestureRow::Eye ? "OJO_CERRADO" : "BOCA_OBERTA");
    }
    return std::string(kClickPictures[static_cast<std::size_t>(cell)]);
}

OptionsMenuView MouseOptionsMenu::View(const Lexicon& lexicon) const {
    const float s = SizeFactor(settings_.sizeFactor);
    OptionsMenuView view;
    view.skin = kMouseMenuSkin;

    // The gesture cells: disabled ones greyed, assigned ones checked, the
    // hovered one demonstrating its trigger and its click.
    for (GestureRow row : {GestureRow::Eye, GestureRow::Mouth, GestureRow::Dwell}) {
        for (int cell = 0; cell < kGestureCellCount; ++cell) {
            const GestureCell& state =
                settings_
                    .mouseMenuCells[static_cast<std::size_t>(row)][static_cast<std::size_t>(cell)];
            const DesignRect d = CellDesign(row, cell);
            if (!state.enabled) {
                view.fills.push_back(
                    {ScaleDesignRect({d.left + 2, d.top + 2, d.right - 2, d.bottom - 2}, s),
                     kDisabledCell, 110});
            }
            if (state.value == 1) {
                view.checkMarks.push_back(CheckMarkAt(d.left + 5, d.top + 5, s));
            }
            const MouseControl control{TriggerCell, row, cell};
            if (hovered_ == control) {
                if (const std::optional<std::string> picture = DemoPicture(row, cell)) {
                    const int cx = (d.left + d.right) / 2;
                    const int cy = (d.top + d.bottom) / 2 + 6;
                    view.pictures.push_back(
                        {*picture, ScaleDesignRect({cx - 25, cy - 25, cx + 25, cy + 25}, s)});
                }
            }
        }
    }
    if (settings_.clicMacro == 1) {
        view.checkMarks.push_back(CheckMarkAt(219, 336, s));
    }

    // Headings of the click kinds, under their pictures.
    const std::array<std::optional<LexiconKey>, kGestureCellCount> headings{
        LexiconKey::Left,   std::nullopt,     LexiconKey::Right, LexiconKey::Double,
        LexiconKey::Middel, LexiconKey::Drag, LexiconKey::Scroll};
    for (std::size_t cell = 0; cell < headings.size(); ++cell) {
        if (!headings[cell]) {
            continue;
        }
        const auto& [left, right] = kColumns[cell + 1];
        const std::string& words = lexicon.text(*headings[cell]);
        view.texts.push_back(
            ScaledMenuText(words, CentredTextX(left, right - left, CharacterCount(words), 7), 78,
                           15, 7, {left + 1, 74, right - 1, 98}, s));
    }

    // Levels, dwell time, counters, buttons.
    const auto percent = [](std::int32_t offset) { return std::to_string(offset) + "%"; };
    view.texts.push_back(
        ScaledMenuText(percent(settings_.OffSetRefUll), 7, 105, 15, 10, {4, 102, 58, 122}, s));
    view.texts.push_back(
        ScaledMenuText(percent(settings_.OffSetRefBoca), 7, 178, 15, 10, {4, 176, 58, 196}, s));
    view.texts.push_back(ScaledMenuText(std::to_string(settings_.dwellSeconds) + "s", 40, 276, 20,
                                        12, {8, 260, 98, 318}, s));
    view.texts.push_back(ScaledMenuText(
        lexicon.text(LexiconKey::ClicTo) + ": " + std::to_string(engine_.clickCount()), 320, 345,
        15, 8, {320, 340, 606, 362}, s));
    const double travel = engine_.pointerTravelPixels();
    const long long travelPixels =
        std::isfinite(travel) ? static_cast<long long>(std::trunc(travel)) : 0;
    view.texts.push_back(ScaledMenuText(
        lexicon.text(LexiconKey::NPTo) + ": " + std::to_string(travelPixels) + "  px", 320, 375, 15,
        8, {320, 370, 606, 392}, s));
    const std::string hold = settings_.gestureHoldMs <= 0
                                 ? lexicon.text(LexiconKey::Disabled)
                                 : std::to_string(settings_.gestureHoldMs / 1000) + "." +
                                       std::to_string(settings_.gestureHoldMs % 1000 / 100) + " s";
    view.texts.push_back(ScaledMenuText(lexicon.text(LexiconKey::GestureHold), 322, 417, 15, 8,
                                        {320, 410, 466, 440}, s));
    view.texts.push_back(ScaledMenuText(hold, CentredTextX(502, 62, CharacterCount(hold), 8), 417,
                                        15, 8, {502, 410, 564, 440}, s));
    // The scroll speed: its name over the three steps, the stored one checked.
    const std::string& speedWords = lexicon.text(LexiconKey::ScrollSpeed);
    view.texts.push_back(ScaledMenuText(speedWords,
                                        CentredTextX(608, 75, CharacterCount(speedWords), 6), 340,
                                        15, 6, {609, 337, 682, 359}, s));
    const std::size_t speedStep =
        static_cast<std::size_t>(std::clamp(settings_.scrollSpeed, 1, 3) - 1);
    const DesignRect chosen = kScrollSpeedSteps[speedStep];
    view.checkMarks.push_back(CheckMarkAt(chosen.left + 2, chosen.top + 2, s));
    view.texts.push_back(ScaledMenuText(lexicon.text(LexiconKey::MacroEditorButton), 30, 386, 15, 7,
                                        {26, 378, 106, 409}, s));
    const auto button = [&](LexiconKey key, MouseControlKind kind) {
        const DesignRect d = DesignOf({kind});
        const std::string& words = lexicon.text(key);
        view.texts.push_back(
            ScaledMenuText(words, CentredTextX(d.left, d.right - d.left, CharacterCount(words), 15),
                           463, 20, 15, d, s));
    };
    button(LexiconKey::Ok, Ok);
    button(LexiconKey::Cancel, Cancel);

    // The test areas: outlined while hovered, filled while flashing, with the
    // live activity of the gesture against its level.
    for (MouseControlKind area : {EyeTest, MouthTest}) {
        const DesignRect d = area == EyeTest ? kEyeTestArea : kMouthTestArea;
        if (flashArea_ == area) {
            view.fills.push_back({ScaleDesignRect(d, s), kTestFlash});
        }
        if (testArea_ != area) {
            continue;
        }
        view.outlines.push_back({ScaleDesignRect(d, s), ScaleDesignUnits(4, s), kTestOutline});
        view.texts.push_back(ScaledMenuText("TEST", 58, d.top + 5, 15, 8,
                                            {56, d.top + 2, 94, d.top + 24}, s, Underline::No,
                                            kTestWordBlue));
        const std::optional<double> activity = area == EyeTest ? eyeActivity_ : mouthActivity_;
        const int threshold = area == EyeTest ? settings_.eyeThreshold : settings_.mouthThreshold;
        // The bar reaches the level mark (half way) at the threshold.
        constexpr int kBarLeft = 8;
        constexpr int kBarSpan = 76;
        const int y = d.bottom - 12;
        const int levelX = kBarLeft + kBarSpan / 2;
        if (activity && threshold > 0) {
            const double ratio = std::clamp(*activity / threshold, 0.0, 2.0);
            const int end = kBarLeft + static_cast<int>(ratio * kBarSpan / 2);
            view.lines.push_back({{ScaleDesignUnits(kBarLeft, s), ScaleDesignUnits(y, s)},
                                  {ScaleDesignUnits(end, s), ScaleDesignUnits(y, s)},
                                  ScaleDesignUnits(8, s),
                                  *activity > threshold ? kTestOutline : kGaugeGreen});
        }
        view.lines.push_back({{ScaleDesignUnits(levelX, s), ScaleDesignUnits(y - 7, s)},
                              {ScaleDesignUnits(levelX, s), ScaleDesignUnits(y + 7, s)},
                              ScaleDesignUnits(2, s),
                              kHoverOutlineColour});
    }

    // The level gauges while an offset button is hovered.
    if (hovered_ && (hovered_->kind == EyeOffsetUp || hovered_->kind == EyeOffsetDown ||
                     hovered_->kind == MouthOffsetUp || hovered_->kind == MouthOffsetDown)) {
        const bool eye = hovered_->kind == EyeOffsetUp || hovered_->kind == EyeOffsetDown;
        const Gauge gauge = eye ? kEyeGauge : kMouthGauge;
        const int scaled = eye ? settings_.OffSetRefUll * 30 / 40 : settings_.OffSetRefBoca;
        const int middle = (gauge.top + gauge.bottom) / 2;
        const int end = std::clamp(middle - scaled, gauge.top + 5, gauge.bottom - 5);
        view.outlines.push_back({ScaleDesignRect({85, gauge.top, 95, gauge.bottom}, s),
                                 ScaleDesignUnits(2, s), kHoverOutlineColour});
        view.lines.push_back({{ScaleDesignUnits(90, s), ScaleDesignUnits(gauge.bottom - 5, s)},
                              {ScaleDesignUnits(90, s), ScaleDesignUnits(end, s)},
                              ScaleDesignUnits(10, s),
                              kGaugeGreen});
    }

    if (hovered_ && hovered_->kind != EyeTest && hovered_->kind != MouthTest) {
        view.outlines.push_back({MouseControlRect(*hovered_, s)});
    }
    // Holding on cancel: a line growing along the button's foot.
    if (heldCancelCount_ > 0) {
        const DesignRect d = DesignOf({Cancel});
        const int length = (d.right - d.left - 8) * heldCancelCount_ / kHeldCancelTicks;
        view.lines.push_back(
            {{ScaleDesignUnits(d.left + 4, s), ScaleDesignUnits(d.bottom - 5, s)},
             {ScaleDesignUnits(d.left + 4 + length, s), ScaleDesignUnits(d.bottom - 5, s)},
             ScaleDesignUnits(4, s),
             kTestOutline});
    }
    return view;
}

}  // namespace veltranix
