#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/shell/skin.h"
#include "settings/lexicon.h"

namespace veltranix {

inline constexpr std::string_view kNoticeSkin = "NOTICE";
inline constexpr int kNoticeDesignWidth = 599;
inline constexpr int kNoticeDesignHeight = 300;
inline constexpr std::size_t kNoticeMaxLines = 8;
inline constexpr std::size_t kNoticeMaxLineCharacters = 52;

enum class NoticeChoice { Ok };

// The hit cells in design units (what the skin draws).
std::span<const HitCell<NoticeChoice>> NoticeButtonCells();

// Wraps a message into at most `maxLines` lines of at most `maxCharacters`
// characters: lines break at spaces, at newlines and at backslash-n
// sequences; a word longer than a line is cut. When the text does not fit,
// the last line ends in "...".
std::vector<std::string> WrapNoticeText(std::string_view text, std::size_t maxLines,
                                        std::size_t maxCharacters);

// A message in words with one large OK button, answered with the head like
// every window of the program. GUI thread.
class NoticeWindow {
  public:
    NoticeWindow(std::string caption, std::string_view text, float sizeFactor);

    Repaint OnPointerMoved(ScreenPoint clientPoint);
    // Ok on the button; none elsewhere.
    std::optional<NoticeChoice> OnLeftButtonDown(ScreenPoint clientPoint) const;
    std::optional<ScreenRect> hoverOutline() const;
    // The caption, the wrapped lines, then the text of key "ok" on the button.
    std::vector<SkinText> Texts(const Lexicon& lexicon) const;

  private:
    std::string caption_;
    std::vector<std::string> lines_;
    float sizeFactor_;
    bool hovered_ = false;
};

}  // namespace veltranix
