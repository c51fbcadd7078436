#include "app/shell/popup_layout.h"

#include <array>

#include "app/shell/options_menu.h"
#include "app/shell/skin.h"

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
    {PopupKind::MouseOptions, "MOPTIONSRATOLI", 608, 514, 2, Scaling::Scaled,
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

ScreenSize SizeOf(const PopupTraits& traits, const PopupDesktop& desktop) {
    if (traits.kind == PopupKind::LoadingBar) {
        return {desktop.positionHintWidth, traits.designHeight};
    }
    if (traits.scaling == Scaling::Pixels) {
        return {traits.designWidth, traits.designHeight};
    }
    ScreenSize size = ScaleDesignSize(traits.designWidth, traits.designHeight, desktop.sizeFactor);
    size.width += traits.extraWidthPx;
    return size;
}

ScreenPoint TopLeftOf(PopupPosition position, ScreenSize size, const PopupDesktop& desktop) {
    const ScreenRect& work = desktop.workArea;
    switch (position) {
        case PopupPosition::WorkAreaBottomRight:
            return {work.right - size.width, work.bottom - size.height - 2};
        case PopupPosition::CentredInWorkArea:
            return {work.left + (work.right - work.left - size.width) / 2,
                    work.top + (work.bottom - work.top - size.height) / 2};
        case PopupPosition::LoadingBar:
            return {(desktop.screen.width - size.width) / 2,
                    (desktop.screen.height + 2 * size.height - kLoadingBarPictureHeight) / 2};
        case PopupPosition::CentredOnScreen:
            break;
    }
    return {(desktop.screen.width - size.width) / 2, (desktop.screen.height - size.height) / 2};
}

}  // namespace

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
    const ScreenPoint corner = TopLeftOf(position, layout.size, desktop);
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
