#pragma once

#include <functional>
#include <optional>

#include <QTimer>

#include "app/shell/about_window.h"
#include "app/shell/confirmation_window.h"
#include "app/shell/loading_bar.h"
#include "app/shell/notice_window.h"
#include "app/shell/warning_window.h"
#include "app/ui/skinned_window.h"
#include "settings/lexicon.h"
#include "tracking/tracking_loop.h"

namespace veltranix {

// The pause window and the exit confirmation.
class ConfirmationWidget final : public SkinnedWindow {
  public:
    ConfirmationWidget(std::string_view title, bool* openFlag, ConfirmationWindow& logic,
                       const Lexicon& lexicon, SkinLibrary& skins)
        : SkinnedWindow(title, openFlag, skins), logic_(logic), lexicon_(lexicon) {}

  protected:
    void OnPointerMoved(ScreenPoint clientPoint) override {
        if (logic_.OnPointerMoved(clientPoint) == Repaint::Needed) {
            update();
        }
    }
    void OnLeftButtonDown(ScreenPoint clientPoint) override {
        logic_.OnLeftButtonDown(clientPoint);
    }
    void Paint(QPainter& painter) override {
        PaintSkin(painter, logic_.bitmapName());
        PaintSkinText(painter, logic_.Question(lexicon_));
    }

  private:
    ConfirmationWindow& logic_;
    const Lexicon& lexicon_;
};

// A popup of texts over a skin with buttons or links (the warning, the about
// window): the hovered item is outlined and a click hands its choice on.
template <typename Logic, typename Choice>
class TextPopupWidget final : public SkinnedWindow {
  public:
    TextPopupWidget(std::string_view title, std::string_view skin, bool* openFlag, Logic& logic,
                    const Lexicon& lexicon, SkinLibrary& skins, std::function<void(Choice)> chosen)
        : SkinnedWindow(title, openFlag, skins),
          skin_(skin),
          logic_(logic),
          lexicon_(lexicon),
          chosen_(std::move(chosen)) {}

  protected:
    void OnPointerMoved(ScreenPoint clientPoint) override {
        if (logic_.OnPointerMoved(clientPoint) == Repaint::Needed) {
            update();
        }
    }
    void OnLeftButtonDown(ScreenPoint clientPoint) override {
        if (const std::optional<Choice> choice = logic_.OnLeftButtonDown(clientPoint)) {
            chosen_(*choice);
        }
    }
    void Paint(QPainter& painter) override {
        PaintSkin(painter, skin_);
        for (const SkinText& text : logic_.Texts(lexicon_)) {
            PaintSkinText(painter, text);
        }
        if (const std::optional<ScreenRect> outline = logic_.hoverOutline()) {
            PaintOutline(painter, *outline, kMenuOutlinePenWidth, kHoverOutlineColour);
        }
    }

  private:
    std::string_view skin_;
    Logic& logic_;
    const Lexicon& lexicon_;
    std::function<void(Choice)> chosen_;
};

// The warning before the pointer stops following the head; the choice goes
// to whoever opened it.
using WarningWidget = TextPopupWidget<WarningWindow, WarningChoice>;
using AboutWidget = TextPopupWidget<AboutWindow, AboutItem>;
// A message in words, named by its caption.
using NoticeWidget = TextPopupWidget<NoticeWindow, NoticeChoice>;

// The face-position hint and steadiness bar shown while the face is looked
// for; repainted every 100 ms from the tracker's shared values.
class LoadingBarWidget final : public SkinnedWindow {
  public:
    LoadingBarWidget(const TrackingShared& shared, const Lexicon& lexicon, SkinLibrary& skins);

  protected:
    void Paint(QPainter& painter) override;

  private:
    const TrackingShared& shared_;
    const Lexicon& lexicon_;
    QTimer repaint_;
};

}  // namespace veltranix
