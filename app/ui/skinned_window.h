#pragma once

#include <memory>
#include <string_view>

#include <QWidget>

#include "app/shell/skin.h"
#include "app/ui/confined_pointer.h"
#include "app/ui/skin_painting.h"

namespace veltranix {

// Whether a window may take the keyboard focus: only the macro editor and
// its dialogs do, because the user types into them; every other window
// leaves the focus with the user's application (the on-screen keyboard
// types into it).
enum class FocusTaking { Never, WhileOpen };

// The frame every skinned window of the program is built on: frameless,
// always on top, out of the task bar, painted from its logic at the size
// the logic gives. It sets the window's open flag when shown and clears it
// when closed or destroyed, and owns the pointer confinement of windows
// that confine. Pointer moves and left presses arrive in client pixels.
class SkinnedWindow : public QWidget {
  public:
    // `openFlag` may be null (a window the trigger code does not ask about).
    SkinnedWindow(std::string_view title, bool* openFlag, SkinLibrary& skins,
                  FocusTaking focus = FocusTaking::Never);
    ~SkinnedWindow() override;

    // Moves and sizes the window to a screen rectangle in device pixels
    // (right and bottom exclusive).
    void Place(const ScreenRect& rect);
    // Where Place put the window, in device pixels.
    const ScreenRect& placedRect() const { return placed_; }
    // The client area in device pixels, which Paint draws in.
    QRect deviceRect() const;
    // Confines the pointer to the window until released or closed.
    void ConfinePointer(PointerRange& range, ScreenRect bounds, ScreenRect wholeScreen);
    void ReleasePointer();
    bool pointerConfined() const { return confinement_ != nullptr; }

  protected:
    // Pointer events and painting in device pixels of the client area.
    virtual void OnPointerMoved(ScreenPoint) {}
    virtual void OnLeftButtonDown(ScreenPoint) {}
    virtual void Paint(QPainter& painter) = 0;

    // Draws a skin stretched over the whole window.
    void PaintSkin(QPainter& painter, std::string_view skin);
    SkinLibrary& skins() { return skins_; }

    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    bool* openFlag_;
    SkinLibrary& skins_;
    std::unique_ptr<ConfinedPointer> confinement_;
    ScreenRect placed_;
};

}  // namespace veltranix
