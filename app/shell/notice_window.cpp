#include "app/shell/notice_window.h"

#include <array>

#include "core/text_codec.h"
#include "core/timing.h"

namespace veltranix {

namespace {

constexpr std::array<HitCell<NoticeChoice>, 1> kButtons{{
    {NoticeChoice::Ok, {200, 232, 399, 290}},
}};

constexpr double kTextLeft = 24;
constexpr int kFirstLineTop = 50;
constexpr int kLineStep = 22;
constexpr double kCaptionCharacterWidth = 12;
constexpr double kOkCharacterWidth = 15;
constexpr double kOkCentre = 299.5;
constexpr std::string_view kCut = "...";

double CentredX(double left, double width, double characterWidth, const std::string& text) {
    return left + (width - characterWidth * static_cast<double>(CharacterCount(text))) / 2.0;
}

}  // namespace

std::span<const HitCell<NoticeChoice>> NoticeButtonCells() {
    return kButtons;
}

std::vector<std::string> WrapNoticeText(std::string_view text, std::size_t maxLines,
                                        std::size_t maxCharacters) {
    // Every break becomes a newline; then each paragraph is wrapped.
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\\n") == 0) {
            plain += '\n';
            ++i;
        } else {
            plain += text[i];
        }
    }
    std::vector<std::string> lines;
    bool cut = false;
    std::string_view rest = plain;
    while (!rest.empty() || lines.empty()) {
        if (lines.size() == maxLines) {
            cut = true;
            break;
        }
        const std::size_t paragraphEnd = rest.find('\n');
        std::string_view paragraph = rest.substr(0, paragraphEnd);
        std::string_view line = Utf8Prefix(paragraph, maxCharacters);
        if (line.size() < paragraph.size() && paragraph[line.size()] != ' ') {
            // Back to the last space that lets the word after it start the next line.
            if (const std::size_t space = line.rfind(' ');
                space != std::string_view::npos && space > 0) {
                line = line.substr(0, space);
            }
        }
        lines.emplace_back(line);
        rest.remove_prefix(line.size());
        if (!rest.empty() && (rest.front() == ' ' || rest.front() == '\n')) {
            rest.remove_prefix(1);
        }
    }
    if (cut && !lines.empty()) {
        std::string& last = lines.back();
        last = std::string(Utf8Prefix(last, maxCharacters - kCut.size())) + std::string(kCut);
    }
    return lines;
}

NoticeWindow::NoticeWindow(std::string caption, std::string_view text, float sizeFactor)
    : caption_(std::move(caption)),
      lines_(WrapNoticeText(text, kNoticeMaxLines, kNoticeMaxLineCharacters)),
      sizeFactor_(sizeFactor) {}

Repaint NoticeWindow::OnPointerMoved(ScreenPoint clientPoint) {
    const bool hovered = OnLeftButtonDown(clientPoint).has_value();
    if (hovered == hovered_) {
        return Repaint::NotNeeded;
    }
    hovered_ = hovered;
    return Repaint::Needed;
}

std::optional<NoticeChoice> NoticeWindow::OnLeftButtonDown(ScreenPoint clientPoint) const {
    return HitTable<NoticeChoice>(kButtons, sizeFactor_).Hit(clientPoint);
}

std::optional<ScreenRect> NoticeWindow::hoverOutline() const {
    if (!hovered_) {
        return std::nullopt;
    }
    return HitTable<NoticeChoice>(kButtons, sizeFactor_).RectOf(NoticeChoice::Ok);
}

std::vector<SkinText> NoticeWindow::Texts(const Lexicon& lexicon) const {
    const float s = sizeFactor_;
    const SkinFont captionFont{ScaleDesignUnits(24, s), ScaleDesignUnits(12, s), FontWeight::Bold,
                               Underline::No};
    const SkinFont lineFont{ScaleDesignUnits(20, s), ScaleDesignUnits(9, s), FontWeight::Normal,
                            Underline::No};
    const SkinFont okFont{ScaleDesignUnits(32, s), ScaleDesignUnits(16, s), FontWeight::Bold,
                          Underline::No};
    std::vector<SkinText> texts;
    texts.push_back(
        {caption_,
         {ScaleDesignValue(CentredX(0, kNoticeDesignWidth, kCaptionCharacterWidth, caption_), s),
          ScaleDesignUnits(10, s)},
         captionFont,
         kTextBlack});
    int top = kFirstLineTop;
    for (const std::string& line : lines_) {
        texts.push_back({line,
                         {ScaleDesignValue(kTextLeft, s), ScaleDesignUnits(top, s)},
                         lineFont,
                         kTextBlack});
        top += kLineStep;
    }
    const std::string& ok = lexicon.text(LexiconKey::Ok);
    texts.push_back({ok,
                     {ScaleDesignValue(CentredX(kOkCentre - 100, 200, kOkCharacterWidth, ok), s),
                      ScaleDesignUnits(244, s)},
                     okFont,
                     kTextBlack});
    return texts;
}

}  // namespace veltranix
