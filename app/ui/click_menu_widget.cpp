#include "app/ui/click_menu_widget.h"

#include <QPainter>

namespace veltranix {

ClickMenuWidget::ClickMenuWidget(ClickTypeMenu& menu, const Settings& settings,
                                 const Lexicon& lexicon, SkinLibrary& skins,
                                 MacroNamesSource macroNames)
    : SkinnedWindow("CLICK_DESPL", nullptr, skins),
      menu_(menu),
      settings_(settings),
      lexicon_(lexicon),
      macroNames_(std::move(macroNames)) {}

void ClickMenuWidget::OnPointerMoved(ScreenPoint clientPoint) {
    // The menu repaints the window through its port.
    menu_.OnPointerMovedInWindow(clientPoint);
}

void ClickMenuWidget::Paint(QPainter& painter) {
    const bool macros = menu_.macroColumnShown();
    PaintSkin(painter, macros ? kClickMenuSkinWithMacros : kClickMenuSkinPlain);
    const std::array<std::string, kMacroSlotCount> names =
        macros && macroNames_ ? macroNames_() : std::array<std::string, kMacroSlotCount>{};
    for (const ClickMenuText& text :
         ClickMenuTexts(settings_.sizeFactor, macros, names, lexicon_)) {
        PaintSkinText(painter, text.text);
    }
    if (const std::optional<ScreenRect>& outline = menu_.highlight()) {
        PaintOutline(painter, *outline, kMenuOutlinePenWidth, kHoverOutlineColour);
    }
}

}  // namespace veltranix
