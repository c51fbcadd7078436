#pragma once

#include <optional>
#include <string_view>

#include "app/shell/shell_actions_port.h"
#include "core/geometry.h"

namespace veltranix {

// Popups belong to the monitor that holds the main window and lie inside
// its share of the work area.
enum class PopupPosition {
    // Centred on the monitor.
    CentredOnScreen,
    // The work area's bottom-right corner, 2 pixels above its bottom.
    WorkAreaBottomRight,
    CentredInWorkArea,
    // x = (monitor width - width) / 2,
    // y = (monitor height + 2 x height - 480 x the bar's scale) / 2.
    LoadingBar,
};

enum class PointerOnOpen { UpLeft15, Down10, NotMoved };

// Confined popups keep the pointer on themselves while open.
enum class PointerConfinement { None, Window };

// The window frame: a one-pixel border, or none (the loading bar).
enum class PopupBorder { Thin, None };

// A popup's fixed traits. Sizes are in design units scaled by the size
// factor, except where `scaling` says the size is in pixels at 96 dpi,
// multiplied by the desktop scale; the loading bar's width is the
// lexicon's positionHintWidth.
struct PopupTraits {
    PopupKind kind;
    std::string_view className;
    int designWidth = 0;
    int designHeight = 0;
    // Pixels added to the scaled width.
    int extraWidthPx = 0;
    enum class Scaling { Scaled, Pixels } scaling = Scaling::Scaled;
    PopupPosition position = PopupPosition::CentredOnScreen;
    PointerOnOpen pointerOnOpen = PointerOnOpen::UpLeft15;
    PointerConfinement confinement = PointerConfinement::None;
    PopupBorder border = PopupBorder::Thin;
};

const PopupTraits& TraitsOf(PopupKind kind);

// What PopupLayoutFor needs of the desktop at the moment of opening, in
// device pixels.
struct PopupDesktop {
    // The monitor that holds the main window, and the work area's share of it.
    ScreenRect monitor;
    ScreenRect workArea;
    float sizeFactor = 1.0f;
    int positionHintWidth = 0;
    ScreenPoint pointer;
    float desktopScale = 1.0f;
};

// Where a popup opens and what it does to the pointer.
struct PopupLayout {
    // Screen pixels; right = left + width, bottom = top + height.
    ScreenRect window;
    ScreenSize size;
    // Where to put the pointer once the window is shown; none: leave it.
    std::optional<ScreenPoint> pointerAfterOpen;
    // The tracker's pointer range while the window is open (inclusive edges:
    // right = left + width - 1); none when the popup does not confine.
    std::optional<ScreenRect> pointerBounds;
};

// The factor a popup is drawn at: the desktop's size factor (the desktop
// scale for a popup sized in pixels), or the largest at which the work area
// holds the popup (a scaled desktop, a small screen).
float PopupSizeFactor(PopupKind kind, const PopupDesktop& desktop);

// The exit confirmation opened from the set-up bar is centred on the screen;
// from the button menu it sits where the pause window does.
PopupLayout PopupLayoutFor(PopupKind kind, PopupOrigin origin, const PopupDesktop& desktop);

}  // namespace veltranix
