#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/shell/shell_actions_port.h"
#include "app/shell/skin.h"
#include "core/timing.h"
#include "settings/lexicon.h"

namespace veltranix {

// The options menus' common design: a 608 x 514 skin, the check mark bitmap.
inline constexpr int kOptionsMenuDesignWidth = 608;
inline constexpr int kOptionsMenuDesignHeight = 514;
// The webcam menu is taller: its camera row lies below OK and cancel, so
// that every other control keeps its place.
inline constexpr int kWebcamMenuDesignHeight = 570;
inline constexpr std::string_view kCheckMarkSkin = "checkbox";
inline constexpr int kCheckMarkWidth = 25;
inline constexpr int kCheckMarkHeight = 23;

// A picture of the skin library drawn stretched into a client rectangle.
struct MenuPicture {
    std::string skin;
    ScreenRect rect;
};

struct MenuFill {
    ScreenRect rect;
    RgbColour colour;
    std::uint8_t alpha = 255;
};

struct MenuOutline {
    ScreenRect rect;
    int penWidth = kMenuOutlinePenWidth;
    RgbColour colour = kHoverOutlineColour;
};

struct MenuLine {
    ScreenPoint from;
    ScreenPoint to;
    int penWidth = 1;
    RgbColour colour;
};

// A text and the client rectangle it has to fit in.
struct MenuText {
    SkinText text;
    ScreenRect box;
};

// Everything an options menu shows, in client pixels, painted in this order:
// the skin stretched over the window, fills, pictures, check marks, texts,
// lines, outlines.
struct OptionsMenuView {
    std::string_view skin;
    std::vector<MenuFill> fills;
    std::vector<MenuPicture> pictures;
    std::vector<ScreenRect> checkMarks;
    std::vector<MenuText> texts;
    std::vector<MenuLine> lines;
    std::vector<MenuOutline> outlines;
};

// What an options menu asks of the program when it closes or hands over.
// GUI thread; each call returns before the menu goes on.
class OptionsMenuHost {
  public:
    virtual ~OptionsMenuHost() = default;
    // Destroys the menu's window (releasing the pointer), then brings back
    // what opening it from `origin` took away. The menu object may be
    // destroyed later, never during the call.
    virtual void closeOptionsMenu(PopupKind menu) = 0;
    // The webcam menu hides and the warning asks before head movement is
    // switched off; the answer comes back through WebcamOptionsMenu.
    virtual void askBeforeDisablingHeadMovement() = 0;
    // Every open window shows the lexicon's texts again.
    virtual void lexiconReloaded() = 0;
    // The macro editor of the current profile, asked for while the mouse
    // menu is still open; the menu closes next and comes back after the editor.
    virtual void openMacroEditor() = 0;
};

// The logic of one options menu, for its thin widget: pointer events in
// client pixels, the ticks of its timers and what to paint. GUI thread.
class OptionsMenu {
  public:
    virtual ~OptionsMenu() = default;

    virtual PopupKind kind() const = 0;
    // The periods of the menu's timers; OnTimer gets the index of the one
    // that ticked.
    virtual std::span<const int> timerPeriodsMs() const = 0;
    virtual Repaint OnPointerMoved(ScreenPoint clientPoint) = 0;
    virtual void OnLeftButtonDown(ScreenPoint clientPoint) = 0;
    virtual Repaint OnTimer(std::size_t timer) = 0;
    virtual OptionsMenuView View(const Lexicon& lexicon) const = 0;
    // The menu was closed other than by its own buttons (a tracking reset,
    // shutdown): unsaved edits are read back from the store, as cancel does,
    // without the return to the main window.
    virtual void OnClosedFromOutside() = 0;

    // At most `sizeFactor`: the factor at which the work area holds the menu.
    void FitSizeFactor(float sizeFactor) { fittedSizeFactor_ = sizeFactor; }

  protected:
    // The factor the menu is drawn and hit-tested at.
    float SizeFactor(float settingsFactor) const {
        return fittedSizeFactor_ < settingsFactor ? fittedSizeFactor_ : settingsFactor;
    }

  private:
    float fittedSizeFactor_ = kUnfittedSizeFactor;
    static constexpr float kUnfittedSizeFactor = 1.0e6f;
};

// The x at which a text of `characters` characters, `characterWidth` design
// units each, is centred on the span of `spanWidth` units from `spanLeft`.
double CentredTextX(double spanLeft, double spanWidth, std::size_t characters,
                    double characterWidth);

// A text at a design position in a font of design height and width, scaled;
// its box is a design rectangle, scaled.
MenuText ScaledMenuText(std::string text, double designX, double designY, int fontHeight,
                        int fontWidth, const DesignRect& box, float sizeFactor,
                        Underline underline = Underline::No, RgbColour colour = kTextBlack);

// The check mark's rectangle with its top-left corner at a design point.
ScreenRect CheckMarkAt(int designX, int designY, float sizeFactor);

}  // namespace veltranix
