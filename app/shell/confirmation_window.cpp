#include "app/shell/confirmation_window.h"

#include <array>

#include "core/timing.h"

namespace veltranix {

namespace {

constexpr std::array<HitCell<ConfirmationZone>, 2> kZones{{
    {ConfirmationZone::Yes, {10, 55, 69, 115}},
    {ConfirmationZone::No, {95, 55, 154, 115}},
}};

// Both windows are left with the pointer a little up and to the left, off
// the buttons the user just chose.
constexpr int kExitPointerShiftPx = 20;

}  // namespace

std::span<const HitCell<ConfirmationZone>> ConfirmationZoneCells() {
    return kZones;
}

ConfirmationWindow::ConfirmationWindow(ConfirmationKind kind, PopupOrigin origin, float sizeFactor,
                                       ShellActionsPort& actions)
    : kind_(kind), origin_(origin), sizeFactor_(sizeFactor), actions_(actions) {}

std::optional<ConfirmationZone> ConfirmationWindow::ZoneAt(ScreenPoint clientPoint) const {
    return HitTable<ConfirmationZone>(kZones, sizeFactor_).Hit(clientPoint);
}

Repaint ConfirmationWindow::OnPointerMoved(ScreenPoint clientPoint) {
    ConfirmationBitmap bitmap = ConfirmationBitmap::Plain;
    if (const std::optional<ConfirmationZone> zone = ZoneAt(clientPoint)) {
        bitmap = *zone == ConfirmationZone::Yes ? ConfirmationBitmap::Yes : ConfirmationBitmap::No;
    }
    if (bitmap == bitmap_) {
        return Repaint::NotNeeded;
    }
    bitmap_ = bitmap;
    return Repaint::Needed;
}

void ConfirmationWindow::OnLeftButtonDown(ScreenPoint clientPoint) {
    const std::optional<ConfirmationZone> zone = ZoneAt(clientPoint);
    if (zone == ConfirmationZone::Yes) {
        Yes();
    } else if (zone == ConfirmationZone::No) {
        No();
    }
}

void ConfirmationWindow::Yes() {
    if (kind_ == ConfirmationKind::Pause) {
        actions_.setTrackingState(TrackingRequest::HeadPause);
        actions_.closePopup(PopupKind::Pause);
        actions_.movePointerBy(-ScaleDesignUnits(kConfirmationDesignWidth, sizeFactor_) / 2, 0);
        actions_.repaintMainWindow();
        actions_.setMainWindowVisibility(Visibility::Shown);
        return;
    }
    actions_.movePointerBy(-kExitPointerShiftPx, -kExitPointerShiftPx);
    actions_.setMainWindowVisibility(Visibility::Hidden);
    actions_.closePopup(PopupKind::ExitConfirmation);
    actions_.exitProgram();
}

void ConfirmationWindow::No() {
    if (kind_ == ConfirmationKind::Pause) {
        actions_.closePopup(PopupKind::Pause);
        actions_.setMainWindowVisibility(Visibility::Shown);
        return;
    }
    actions_.closePopup(PopupKind::ExitConfirmation);
    actions_.movePointerBy(-kExitPointerShiftPx, -kExitPointerShiftPx);
    actions_.setMainWindowVisibility(Visibility::Shown);
    switch (origin_) {
        case PopupOrigin::SetupBarAutomatic:
            // Back to detection: the bar tells again where to move the face.
            actions_.setTrackingState(TrackingRequest::Detect);
            actions_.restartSettling();
            actions_.openPopup(PopupKind::LoadingBar, PopupOrigin::SetupBarAutomatic);
            break;
        case PopupOrigin::SetupBarManual:
            actions_.openPopup(PopupKind::ManualEyePositions, PopupOrigin::SetupBarManual);
            break;
        case PopupOrigin::ButtonMenu:
            break;
    }
}

std::string_view ConfirmationWindow::bitmapName() const {
    static constexpr std::array<std::string_view, 3> kPause{"PAUSE", "PAUSE_TRUE", "PAUSE_FALSE"};
    static constexpr std::array<std::string_view, 3> kExit{"SALIDA", "SALIDA_TRUE", "SALIDA_FALSE"};
    const auto& names = kind_ == ConfirmationKind::Pause ? kPause : kExit;
    return names[static_cast<std::size_t>(bitmap_)];
}

SkinText ConfirmationWindow::Question(const Lexicon& lexicon) const {
    const LexiconKey key = kind_ == ConfirmationKind::Pause ? LexiconKey::Pause : LexiconKey::Exit;
    std::string text = lexicon.text(key) + " ?";
    const double length = static_cast<double>(CharacterCount(text));
    const int x = ScaleDesignValue((kConfirmationDesignWidth - 15.0 * length) / 2.0, sizeFactor_);
    return {std::move(text),
            {x, ScaleDesignUnits(20, sizeFactor_)},
            {ScaleDesignUnits(25, sizeFactor_), ScaleDesignUnits(15, sizeFactor_), FontWeight::Bold,
             Underline::No},
            kTextBlack};
}

}  // namespace veltranix
