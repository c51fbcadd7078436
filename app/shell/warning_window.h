#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/shell/skin.h"
#include "settings/lexicon.h"

namespace veltranix {

inline constexpr std::string_view kWarningSkin = "WARNING";
inline constexpr int kWarningDesignWidth = 599;
inline constexpr int kWarningDesignHeight = 98;

enum class WarningChoice { Ok, Cancel };

// The hit cells in design units, in hit-test order (what the skin draws).
std::span<const HitCell<WarningChoice>> WarningButtonCells();

struct WarningLines {
    std::string first;
    std::string second;
};

// The two lines of the warning text: before and after the first backslash-n
// sequence; further sequences in the second line are dropped.
WarningLines SplitWarningText(std::string_view text);

// The warning window's logic: its texts, the hovered button and the choice
// passed back to the options menu that opened it. GUI thread.
class WarningWindow {
  public:
    explicit WarningWindow(float sizeFactor);

    std::optional<WarningChoice> ChoiceAt(ScreenPoint clientPoint) const;
    Repaint OnPointerMoved(ScreenPoint clientPoint);
    // The choice a click makes; none outside both buttons.
    std::optional<WarningChoice> OnLeftButtonDown(ScreenPoint clientPoint) const;

    std::optional<WarningChoice> hovered() const { return hovered_; }
    // The hovered button's outline (pen kMenuOutlinePenWidth), client pixels.
    std::optional<ScreenRect> hoverOutline() const;
    // The two lines of key "warning", then the texts of "ok" and "cancel".
    std::vector<SkinText> Texts(const Lexicon& lexicon) const;

  private:
    float sizeFactor_;
    std::optional<WarningChoice> hovered_;
};

}  // namespace veltranix
