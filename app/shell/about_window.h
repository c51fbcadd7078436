#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/shell/skin.h"
#include "settings/lexicon.h"

namespace veltranix {

inline constexpr std::string_view kAboutSkin = "ABOUT";
inline constexpr int kAboutDesignWidth = 608;
inline constexpr int kAboutDesignHeight = 514;
inline constexpr std::size_t kAboutMaxLines = 8;
// The close button of the skin, around the "ok" text.
inline constexpr DesignRect kAboutCloseButton{439, 470, 585, 504};
inline constexpr std::size_t kAboutMaxLineCharacters = 499;

// The about window's active parts: the close button, the three link lines
// (lines 4, 5 and 7 of the text) and the manual line (line 8).
enum class AboutItem { Close, LinkLine4, LinkLine5, LinkLine7, ManualLine };

// The lines of key "about": cut at each backslash-n sequence into at most
// eight lines of at most 499 characters.
std::vector<std::string> SplitAboutText(std::string_view text);

// The about window's logic over one set of lines. GUI thread.
class AboutWindow {
  public:
    // `statusLine`, when not empty, is shown under the last link line: what
    // the pointer and keys go through.
    AboutWindow(std::string_view aboutText, float sizeFactor, std::string_view statusLine = {});

    // The item under a client point; the close button first.
    std::optional<AboutItem> ItemAt(ScreenPoint clientPoint) const;
    Repaint OnPointerMoved(ScreenPoint clientPoint);
    // The item a click acts on. Every item closes the window; a link or the
    // manual line then opens its document (the caller maps the item to it).
    std::optional<AboutItem> OnLeftButtonDown(ScreenPoint clientPoint) const;

    std::optional<AboutItem> hovered() const { return hovered_; }
    // The outline of a hovered link line (pen kMenuOutlinePenWidth).
    std::optional<ScreenRect> hoverOutline() const;
    // Every line that exists, then the text of key "ok" on the close button.
    std::vector<SkinText> Texts(const Lexicon& lexicon) const;
    const std::vector<std::string>& lines() const { return lines_; }
    // The program's live figures, a line each, shown above the status line.
    void setFigures(std::vector<std::string> figures) { figures_ = std::move(figures); }

  private:
    std::optional<ScreenRect> LinkRect(AboutItem item) const;

    std::vector<std::string> lines_;
    std::string statusLine_;
    std::vector<std::string> figures_;
    float sizeFactor_;
    std::optional<AboutItem> hovered_;
};

}  // namespace veltranix
