#include "app/shell/popup_layout.h"

#include <algorithm>
#include <array>

#include "app/shell/mouse_options_menu.h"
#include "app/shell/options_menu.h"
#include "app/shell/skin.h"
#include "core/desktop_layout.h"

namespace veltranix {

namespace {

using Scaling = PopupTraits::Scaling;

// In PopupKind order.
constexpr std::array<PopupTraits, 10> kPopups{{
    {PopupKind::About, "ABOUT", 608, 514, 0, Scaling::Scaled, PopupPosition::CentredOnScreen,
     PointerOnOpen::UpLeft15, PointerConfinement::Window, PopupBorder::Thin},
    {PopupKind::LoadingBar, "BarraDeCarga", 0, 30, 0, Scaling::Pixels, PopupPosition::LoadingBar,
     PointerOnOpen::UpLeft15, PointerConfinement::None, PopupBorder::None},
    {PopupKind::WebcamOptions, "MOPTIONS", kOptionsMenuDesignWidth, kWebcamMenuDesignHeight, 0,
     Scaling::Scaled, PopupPosition::CentredOnScreen, PointerOnOpen::UpLeft15,
     PointerConfinement::Window, PopupBorder::Thin},
    {PopupKind::MouseOptions, "MOPTIONSRATOLI", kMouseMenuDesignWidth, 514, 2, Scaling::Scaled,
     PopupPosition::CentredOnScreen, PointerOnOpen::UpLeft15, PointerConfinement::Window,
     PopupBorder::Thin},
    {PopupKind::SystemOptions, "MSYSTEM", 608, 514, 0, Scaling::Scaled,
     PopupPosition::CentredOnScreen, PointerOnOpen::UpLeft15, PointerConfinement::Window,
     PopupBorder::Thin},
    {PopupKind::Pause, "PAUSE", 160, 120, 0, Scaling::Scaled, PopupPosition::WorkAreaBottomRight,
     PointerOnOpen::Down10, PointerConfinement::Window, PopupBorder::Thin},
    {PopupKind::ExitConfirmation, "SALIDA", 160, 120, 0, Scaling::Scaled,
     PopupPosition::WorkAreaBottomRight, PointerOnOpen::Down10, PointerConfinement::Window,
     PopupBorder::Thin},
    {PopupKind::Warning, "Warning", 599, 98, 0, Scaling::Scaled, PopupPosition::CentredOnScreen,
     PointerOnOpen::UpLeft15, PointerConfinement::Window, PopupBorder::Thin},
    {PopupKind::ManualEyePositions, "TRANSPARENT", 640, 482, 0, Scaling::Pixels,
     PopupPosition::CentredInWorkArea, PointerOnOpen::NotMoved, PointerConfinement::None,
     PopupBorder::Thin},
    {PopupKind::Notice, "NOTICE", 599, 300, 0, Scaling::Scaled, PopupPosition::CentredOnScreen,
     PointerOnOpen::UpLeft15, PointerConfinement::Window, PopupBorder::Thin},
}};

// The loading bar sits a little below the screen's middle: the camera
// picture's height less two bar heights, halved.
constexpr int kLoadingBarPictureHeight = 480;

ScreenSize DesignSizeOf(const PopupTraits& traits, const PopupDesktop& desktop) {
    if (traits.kind == PopupKind::LoadingBar) {
        return {desktop.positionHintWidth, traits.designHeight};
    }
    return {traits.designWidth, traits.designHeight};
}

ScreenSize SizeOf(const PopupTraits& traits, const PopupDesktop& desktop) {
    const ScreenSize design = DesignSizeOf(traits, desktop);
    ScreenSize size =
        ScaleDesignSize(design.width, design.height, PopupSizeFactor(traits.kind, desktop));
    size.width += traits.extraWidthPx;
    return size;
}

ScreenPoint TopLeftOf(PopupPosition position, ScreenSize size, float scale,
                      const PopupDesktop& desktop) {
    const ScreenRect& work = desktop.workArea;
    const ScreenRect& monitor = desktop.monitor;
    const int monitorWidth = monitor.right - monitor.left;
    const int monitorHeight = monitor.bottom - monitor.top;
    switch (position) {
        case PopupPosition::WorkAreaBottomRight:
            return {work.right - size.width, work.bottom - size.height - 2};
        case PopupPosition::CentredInWorkArea:
            return {work.left + (work.right - work.left - size.width) / 2,
                    work.top + (work.bottom - work.top - size.height) / 2};
        case PopupPosition::LoadingBar:
            return {monitor.left + (monitorWidth - size.width) / 2,
                    monitor.top + (monitorHeight + 2 * size.height -
                                   ScaleDesignValue(kLoadingBarPictureHeight, scale)) /
                                      2};
        case PopupPosition::CentredOnScreen:
            break;
    }
    return {monitor.left + (monitorWidth - size.width) / 2,
            monitor.top + (monitorHeight - size.height) / 2};
}

// Panels cover the monitor's edges: a window that would reach under one is
// moved into the work area (its top-left corner first when it is larger).
ScreenPoint InsideWorkArea(ScreenPoint corner, ScreenSize size, const ScreenRect& work) {
    return {std::max(work.left, std::min(corner.x, work.right - size.width)),
            std::max(work.top, std::min(corner.y, work.bottom - size.height))};
}

}  // namespace

float PopupSizeFactor(PopupKind kind, const PopupDesktop& desktop) {
    const PopupTraits& traits = TraitsOf(kind);
    const ScreenRect& work = desktop.workArea;
    const ScreenSize design = DesignSizeOf(traits, desktop);
    return FittingSizeFactor(
        traits.scaling == Scaling::Pixels ? desktop.desktopScale : desktop.sizeFactor,
        {design.width + traits.extraWidthPx, design.height},
        {work.right - work.left, work.bottom - work.top});
}

const PopupTraits& TraitsOf(PopupKind kind) {
    return kPopups[static_cast<std::size_t>(kind)];
}

PopupLayout PopupLayoutFor(PopupKind kind, PopupOrigin origin, const PopupDesktop& desktop) {
    const PopupTraits& traits = TraitsOf(kind);
    PopupPosition position = traits.position;
    if (kind == PopupKind::ExitConfirmation && origin != PopupOrigin::ButtonMenu) {
        position = PopupPosition::CentredOnScreen;
    }
    PopupLayout layout;
    layout.size = SizeOf(traits, desktop);
    const ScreenPoint corner =
        InsideWorkArea(TopLeftOf(position, layout.size, PopupSizeFactor(kind, desktop), desktop),
                       layout.size, desktop.workArea);
    layout.window = {corner.x, corner.y, corner.x + layout.size.width,
                     corner.y + layout.size.height};
    switch (traits.pointerOnOpen) {
        case PointerOnOpen::UpLeft15:
            layout.pointerAfterOpen = ScreenPoint{desktop.pointer.x - 15, desktop.pointer.y - 15};
            break;
        case PointerOnOpen::Down10:
            layout.pointerAfterOpen = ScreenPoint{desktop.pointer.x, desktop.pointer.y + 10};
            break;
        case PointerOnOpen::NotMoved:
            break;
    }
    if (traits.confinement == PointerConfinement::Window) {
        // The pause window too: its range is its own rectangle wherever the
        // work area puts it, so that its buttons stay within reach.
        layout.pointerBounds = ScreenRect{corner.x, corner.y, corner.x + layout.size.width - 1,
                                          corner.y + layout.size.height - 1};
    }
    return layout;
}

}  // namespace veltranix
