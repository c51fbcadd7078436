#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "app/shell/skin.h"
#include "macros/macro_set.h"
#include "settings/lexicon.h"

namespace veltranix {

// The click-type menu's skins: with the macro column, and without it.
inline constexpr std::string_view kClickMenuSkinWithMacros = "CLICK_DESPL";
inline constexpr std::string_view kClickMenuSkinPlain = "CLIC_SIMPLE";

// One text of the menu and the box (client pixels) it must stay inside.
struct ClickMenuText {
    SkinText text;
    ScreenRect box;
};

// The menu's words at a size: under each click type's pictogram its name,
// and with the macro column the six macro names (UTF-8), each centred in
// its cell. A name too long for its cell is set narrower so that it fits.
std::vector<ClickMenuText> ClickMenuTexts(
    float sizeFactor, bool macroColumn, const std::array<std::string, kMacroSlotCount>& macroNames,
    const Lexicon& lexicon);

// The names of a macro set, as UTF-8.
std::array<std::string, kMacroSlotCount> MacroNames(const MacroSet& macros);

}  // namespace veltranix
