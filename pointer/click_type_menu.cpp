#include "pointer/click_type_menu.h"

#include <cstdlib>

#include "core/desktop_layout.h"
#include "core/timing.h"
#include "pointer/click_codes.h"

namespace veltranix {

namespace {

struct DesignCell {
    int left;
    int top;
    int right;
    int bottom;
    std::int32_t clickRequest;
};

// The menu's cells in design units; the first seven are the plain click types.
constexpr std::array<DesignCell, 13> kDesignCells{{
    {0, 0, 70, 68, click_request::kDouble},
    {70, 0, 140, 68, click_request::kDragToggle},
    {0, 68, 70, 136, click_request::kRight},
    {70, 68, 140, 136, click_request::kLeft},
    {0, 136, 70, 200, click_request::kTimedPress},
    {70, 136, 140, 200, click_request::kMiddle},
    {0, 200, 140, 250, click_request::kScroll},
    {140, 0, 231, 38, click_request::kFirstMacro},
    {140, 38, 231, 68, click_request::kFirstMacro + 1},
    {140, 68, 231, 102, click_request::kFirstMacro + 2},
    {140, 102, 231, 136, click_request::kFirstMacro + 3},
    {140, 136, 231, 170, click_request::kFirstMacro + 4},
    {140, 170, 231, 200, click_request::kFirstMacro + 5},
}};
constexpr std::size_t kPlainCellCount = 7;

bool StrictlyInside(const ScreenRect& rect, ScreenPoint point) {
    return rect.left < point.x && point.x < rect.right && rect.top < point.y &&
           point.y < rect.bottom;
}

}  // namespace

ClickTypeMenu::ClickTypeMenu(ClickMenuWindowPort& window, const DesktopPort& desktop,
                             const Settings& settings)
    : window_(window), desktop_(desktop), settings_(settings) {
    RebuildCells();
}

void ClickTypeMenu::RebuildCells() {
    const float scale = settings_.sizeFactor;
    for (std::size_t i = 0; i < kDesignCells.size(); ++i) {
        const DesignCell& design = kDesignCells[i];
        cells_[i] = {
            {ScaleDesignUnits(design.left, scale), ScaleDesignUnits(design.top, scale),
             ScaleDesignUnits(design.right, scale), ScaleDesignUnits(design.bottom, scale)},
            design.clickRequest,
            i >= kPlainCellCount};
    }
}

int ClickTypeMenu::DesignWidth() const {
    return macroColumnShown() ? kDesignWidthWithMacros : kDesignWidthPlain;
}

ScreenSize ClickTypeMenu::WindowSize() const {
    return {ScaleDesignUnits(DesignWidth(), settings_.sizeFactor),
            ScaleDesignUnits(kDesignHeight, settings_.sizeFactor)};
}

std::span<const ClickMenuCell> ClickTypeMenu::Cells() const {
    return std::span<const ClickMenuCell>(cells_).first(macroColumnShown() ? cells_.size()
                                                                           : kPlainCellCount);
}

ScreenPoint ClickTypeMenu::PlacementFor(ScreenPoint pointer, MenuOffsets offsets) const {
    // The edges are those of the monitor under the pointer: the menu never
    // straddles two monitors.
    const ScreenSize screen = desktop_.screenSize();
    const ScreenRect monitor =
        MonitorHolding(desktop_.monitors(), {pointer.x, pointer.y, pointer.x + 1, pointer.y + 1},
                       {0, 0, screen.width, screen.height});
    const ScreenSize size = WindowSize();
    const int w = size.width;
    const int h = size.height;
    const bool scaled = offsets == MenuOffsets::Scaled;
    const int offsetX = scaled ? ScaleDesignUnits(105, settings_.sizeFactor) : 105;
    const int offsetY = scaled ? ScaleDesignUnits(36, settings_.sizeFactor) : 36;

    ScreenPoint corner;
    if (pointer.x + w / 2 > monitor.right) {
        corner.x = monitor.right - w;
    } else if (pointer.x - (w / 4 + w / 2) < monitor.left) {
        corner.x = monitor.left;
    } else {
        corner.x = pointer.x - offsetX;
    }
    if (pointer.y - h / 2 < monitor.top) {
        corner.y = monitor.top;
    } else if (pointer.y + h / 4 + h / 2 > monitor.bottom) {
        corner.y = monitor.bottom - h;
    } else {
        corner.y = pointer.y - offsetY;
    }
    return corner;
}

bool ClickTypeMenu::Open(ScreenPoint pointer) {
    savedClickPos_ = pointer;
    const ScreenPoint corner =
        PlacementFor(pointer, created_ ? MenuOffsets::Unscaled : MenuOffsets::Scaled);
    const ScreenSize size = WindowSize();
    const ScreenRect rect{corner.x, corner.y, corner.x + size.width, corner.y + size.height};
    if (!window_.show(rect)) {
        return false;
    }
    windowRect_ = rect;
    created_ = true;
    visible_ = true;
    return true;
}

void ClickTypeMenu::Hide() {
    if (created_) {
        window_.hide();
    }
    visible_ = false;
}

void ClickTypeMenu::OnWindowClosed() {
    visible_ = false;
    created_ = false;
    highlight_.reset();
}

void ClickTypeMenu::OnPointerMovedInWindow(ScreenPoint clientPoint) {
    highlight_.reset();
    for (const ClickMenuCell& cell : Cells()) {
        if (StrictlyInside(cell.hitRect, clientPoint)) {
            menuClickRequest_ = cell.clickRequest;
            // Pulled in so that the 3-pixel outline stays inside the cell.
            highlight_ = ScreenRect{cell.hitRect.left + 1, cell.hitRect.top + 1,
                                    cell.hitRect.right - 2, cell.hitRect.bottom - 2};
            break;
        }
    }
    window_.repaint();
}

bool ClickTypeMenu::HideIfPointerFarAway(ScreenPoint pointer) {
    if (!visible_) {
        return false;
    }
    // Measured from the window's top-left corner, in unscaled design units.
    const double reachX = 1.5 * DesignWidth();
    const double reachY = 1.5 * kDesignHeight;
    if (std::abs(pointer.x - windowRect_.left) > reachX ||
        std::abs(pointer.y - windowRect_.top) > reachY) {
        Hide();
        return true;
    }
    return false;
}

void ClickTypeMenu::ClearHighlightUnlessOver(ScreenPoint pointer) {
    if (highlight_ && !PointerInside(pointer)) {
        highlight_.reset();
        window_.repaint();
    }
}

bool ClickTypeMenu::PointerInside(ScreenPoint pointer) const {
    return visible_ && StrictlyInside(windowRect_, pointer);
}

}  // namespace veltranix
