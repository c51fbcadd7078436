#pragma once

#include <array>
#include <functional>
#include <string>

#include "app/shell/click_menu_view.h"
#include "app/ui/skinned_window.h"
#include "pointer/click_type_menu.h"
#include "settings/lexicon.h"

namespace veltranix {

// The click-type menu's window: the skin with or without the macro column,
// the click types' names, the macro names of the current profile and the
// outline of the hovered cell, all from the menu's logic. It never takes
// the focus; it is hidden and shown again, not destroyed, between uses.
class ClickMenuWidget final : public SkinnedWindow {
  public:
    using MacroNamesSource = std::function<std::array<std::string, kMacroSlotCount>()>;

    ClickMenuWidget(ClickTypeMenu& menu, const Settings& settings, const Lexicon& lexicon,
                    SkinLibrary& skins, MacroNamesSource macroNames);

  protected:
    void OnPointerMoved(ScreenPoint clientPoint) override;
    void Paint(QPainter& painter) override;

  private:
    ClickTypeMenu& menu_;
    const Settings& settings_;
    const Lexicon& lexicon_;
    MacroNamesSource macroNames_;
};

}  // namespace veltranix
