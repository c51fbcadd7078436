#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "core/desktop_port.h"
#include "core/geometry.h"
#include "settings/settings.h"

namespace veltranix {

// What the menu logic asks of the click-type menu window. The window is a
// non-activating popup on the GUI thread; it paints itself from the
// ClickTypeMenu's state (background with or without the macro column, the
// highlight outline, the macro names).
class ClickMenuWindowPort {
  public:
    virtual ~ClickMenuWindowPort() = default;
    // Creates the window if it does not exist yet, moves it to `rect` (left,
    // top, right, bottom in screen pixels) and shows it without taking the
    // focus. False when the window cannot be created; nothing is shown then.
    virtual bool show(const ScreenRect& rect) = 0;
    virtual void hide() = 0;
    virtual void repaint() = 0;
};

// One cell of the menu: its hit rectangle in client pixels (a point hits it
// when strictly inside) and the click request it selects.
struct ClickMenuCell {
    ScreenRect hitRect;
    std::int32_t clickRequest = 0;
    bool macroColumn = false;
};

// Where the placement takes its offsets from the pointer: scaled by the size
// factor when the window is created, in plain pixels when it is shown again.
enum class MenuOffsets { Scaled, Unscaled };

// The click-type menu's logic: its geometry for both widths and the three
// sizes, where it opens, which cell is hovered, and when it hides. GUI thread.
class ClickTypeMenu {
  public:
    static constexpr int kDesignWidthWithMacros = 231;
    static constexpr int kDesignWidthPlain = 140;
    // Three rows of click types and the scroll row beneath them.
    static constexpr int kDesignHeight = 251;

    ClickTypeMenu(ClickMenuWindowPort& window, const DesktopPort& desktop,
                  const Settings& settings);

    // Rebuilds the cells' hit rectangles from the size factor; at start-up
    // and whenever the size setting changes.
    void RebuildCells();

    // The window's size for the current size factor and macro setting.
    ScreenSize WindowSize() const;
    // The window's top-left corner for a pointer position.
    ScreenPoint PlacementFor(ScreenPoint pointer, MenuOffsets offsets) const;

    // Opens the menu at the pointer: remembers the pointer as the position the
    // chosen click will act on, then creates or re-shows the window. False
    // when the window could not be created (the menu stays closed and the next
    // menu trigger tries again).
    bool Open(ScreenPoint pointer);
    // Hides the window without a click.
    void Hide();
    // The window was closed by the program (shutdown): it no longer exists.
    void OnWindowClosed();

    // The pointer moved over the window's client area (client pixels).
    void OnPointerMovedInWindow(ScreenPoint clientPoint);
    // Once per tracking frame: hides the menu when the pointer has gone far
    // from it; returns true when it did.
    bool HideIfPointerFarAway(ScreenPoint pointer);
    // Once per tracking frame: clears the highlight when the pointer is no
    // longer over the menu.
    void ClearHighlightUnlessOver(ScreenPoint pointer);

    // Strictly inside the shown window's rectangle.
    bool PointerInside(ScreenPoint pointer) const;

    bool visible() const { return visible_; }
    bool created() const { return created_; }
    bool macroColumnShown() const { return settings_.clicMacro == 1; }
    // Screen rectangle of the window as last placed.
    const ScreenRect& windowRect() const { return windowRect_; }
    ScreenPoint savedClickPos() const { return savedClickPos_; }
    void setSavedClickPos(ScreenPoint point) { savedClickPos_ = point; }
    std::int32_t menuClickRequest() const { return menuClickRequest_; }
    void setMenuClickRequest(std::int32_t request) { menuClickRequest_ = request; }
    // The outline to draw around the hovered cell, in client pixels.
    const std::optional<ScreenRect>& highlight() const { return highlight_; }
    // The cells that exist with the current macro setting.
    std::span<const ClickMenuCell> Cells() const;

  private:
    int DesignWidth() const;

    ClickMenuWindowPort& window_;
    const DesktopPort& desktop_;
    const Settings& settings_;
    // The plain cells first, then the macro column.
    std::array<ClickMenuCell, 13> cells_{};
    bool created_ = false;
    bool visible_ = false;
    ScreenRect windowRect_;
    ScreenPoint savedClickPos_;
    std::int32_t menuClickRequest_ = 0;
    std::optional<ScreenRect> highlight_;
};

}  // namespace veltranix
