#include "app/shell/click_menu_view.h"

#include <algorithm>

#include "macros/utf16.h"

namespace veltranix {

namespace {

// Where a cell's name goes: under the pictogram, or (in the wide scroll
// row) beside it, centred in the rest of the cell.
enum class LabelPlace { UnderPicture, BesidePicture };

struct DesignLabel {
    DesignRect cell;
    LexiconKey key;
    LabelPlace place = LabelPlace::UnderPicture;
};

// The plain cells, as the menu's hit table has them.
constexpr std::array<DesignLabel, 7> kLabels{{
    {{0, 0, 70, 68}, LexiconKey::Double},
    {{70, 0, 140, 68}, LexiconKey::Drag},
    {{0, 68, 70, 136}, LexiconKey::Right},
    {{70, 68, 140, 136}, LexiconKey::Left},
    {{0, 136, 70, 200}, LexiconKey::TimedPress},
    {{70, 136, 140, 200}, LexiconKey::Middel},
    {{0, 200, 140, 250}, LexiconKey::Scroll, LabelPlace::BesidePicture},
}};
// The scroll row's pictogram takes its left part.
constexpr int kBesidePictureLeft = 52;
constexpr int kLabelHeight = 13;
constexpr double kLabelCharWidth = 6.0;
constexpr int kLabelBottomGap = 5;

// The macro column: cells, and where each name stands.
constexpr int kMacroLeft = 140;
constexpr int kMacroWidth = 91;
// The light faces the skin draws in the macro cells: the names stay on them.
constexpr std::array<DesignRect, kMacroSlotCount> kMacroFaces{{
    {144, 0, 228, 38},
    {144, 38, 228, 68},
    {144, 68, 228, 102},
    {144, 102, 228, 136},
    {144, 136, 228, 170},
    {144, 170, 228, 200},
}};
constexpr std::array<int, kMacroSlotCount> kMacroNameY{10, 44, 78, 112, 146, 180};
constexpr int kMacroNameHeight = 15;
constexpr double kMacroCharWidth = 9.0;
// A long name keeps this much of the column free on either side.
constexpr double kMacroNameMargin = 6.0;
// Macro names are mostly capitals ("CONTROL+C"), which run this much wider
// than the font's average character that the design's widths count in.
constexpr double kCapitalsWidth = 1.25;

// Characters narrower than the design's when the text would not fit.
double FittingCharWidth(double designCharWidth, double boxWidth, std::size_t characters) {
    if (characters == 0) {
        return designCharWidth;
    }
    return std::min(designCharWidth, boxWidth / static_cast<double>(characters));
}

}  // namespace

std::vector<ClickMenuText> ClickMenuTexts(
    float sizeFactor, bool macroColumn, const std::array<std::string, kMacroSlotCount>& macroNames,
    const Lexicon& lexicon) {
    std::vector<ClickMenuText> texts;
    for (const DesignLabel& label : kLabels) {
        const std::string& text = lexicon.text(label.key);
        const std::size_t length = CharacterCount(text);
        const bool beside = label.place == LabelPlace::BesidePicture;
        const int left = beside ? kBesidePictureLeft : label.cell.left;
        const int cellWidth = label.cell.right - left;
        const double charWidth = FittingCharWidth(kLabelCharWidth, cellWidth - 6.0, length);
        const double x = left + (cellWidth - charWidth * static_cast<double>(length)) / 2;
        const int y = beside ? (label.cell.top + label.cell.bottom - kLabelHeight) / 2
                             : label.cell.bottom - kLabelBottomGap - kLabelHeight;
        const SkinFont font{ScaleDesignValue(kLabelHeight, sizeFactor),
                            std::max(1, ScaleDesignValue(charWidth, sizeFactor)), FontWeight::Bold,
                            Underline::No};
        texts.push_back({{text,
                          {ScaleDesignValue(x, sizeFactor), ScaleDesignValue(y, sizeFactor)},
                          font,
                          kTextBlack},
                         ScaleDesignRect(label.cell, sizeFactor)});
    }
    if (!macroColumn) {
        return texts;
    }
    for (int slot = 0; slot < kMacroSlotCount; ++slot) {
        const std::string& name = macroNames[static_cast<std::size_t>(slot)];
        const std::size_t length = CharacterCount(name);
        const double charWidth = FittingCharWidth(
            kMacroCharWidth, (kMacroWidth - 2 * kMacroNameMargin) / kCapitalsWidth, length);
        const double x =
            kMacroLeft +
            (kMacroWidth - kCapitalsWidth * charWidth * static_cast<double>(length)) / 2;
        const SkinFont font{ScaleDesignValue(kMacroNameHeight, sizeFactor),
                            std::max(1, ScaleDesignValue(charWidth, sizeFactor)), FontWeight::Bold,
                            Underline::No, FontFamily::Serif};
        texts.push_back(
            {{name,
              {ScaleDesignValue(x, sizeFactor),
               ScaleDesignValue(kMacroNameY[static_cast<std::size_t>(slot)], sizeFactor)},
              font,
              kTextBlack},
             ScaleDesignRect(kMacroFaces[static_cast<std::size_t>(slot)], sizeFactor)});
    }
    return texts;
}

std::array<std::string, kMacroSlotCount> MacroNames(const MacroSet& macros) {
    std::array<std::string, kMacroSlotCount> names;
    for (std::size_t slot = 0; slot < names.size(); ++slot) {
        names[slot] = Utf16ToUtf8(macros[slot].name);
    }
    return names;
}

}  // namespace veltranix
