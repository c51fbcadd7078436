#pragma once

#include <functional>
#include <optional>

#include <QTimer>

#include "app/shell/about_window.h"
#include "app/shell/confirmation_window.h"
#include "app/shell/loading_bar.h"
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

// The warning before the pointer stops following the head; the choice goes
// to whoever opened it.
class WarningWidget final : public SkinnedWindow {
  public:
    WarningWidget(bool* openFlag, WarningWindow& logic, const Lexicon& lexicon, SkinLibrary& skins,
                  std::function<void(WarningChoice)> chosen)
        : SkinnedWindow("Warning", openFlag, skins),
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
        if (const std::optional<WarningChoice> choice = logic_.OnLeftButtonDown(clientPoint)) {
            chosen_(*choice);
        }
    }
    void Paint(QPainter& painter) override;

  private:
    WarningWindow& logic_;
    const Lexicon& lexicon_;
    std::function<void(WarningChoice)> chosen_;
};

class AboutWidget final : public SkinnedWindow {
  public:
    AboutWidget(bool* openFlag, AboutWindow& logic, const Lexicon& lexicon, SkinLibrary& skins,
                std::function<void(AboutItem)> clicked)
        : SkinnedWindow("ABOUT", openFlag, skins),
          logic_(logic),
          lexicon_(lexicon),
          clicked_(std::move(clicked)) {}

  protected:
    void OnPointerMoved(ScreenPoint clientPoint) override {
        if (logic_.OnPointerMoved(clientPoint) == Repaint::Needed) {
            update();
        }
    }
    void OnLeftButtonDown(ScreenPoint clientPoint) override {
        if (const std::optional<AboutItem> item = logic_.OnLeftButtonDown(clientPoint)) {
            clicked_(*item);
        }
    }
    void Paint(QPainter& painter) override;

  private:
    AboutWindow& logic_;
    const Lexicon& lexicon_;
    std::function<void(AboutItem)> clicked_;
};

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
