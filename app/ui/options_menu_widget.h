#pragma once

#include <memory>
#include <vector>

#include <QTimer>

#include "app/shell/options_menu.h"
#include "app/ui/skinned_window.h"
#include "settings/lexicon.h"

namespace veltranix {

// The window of an options menu: paints the menu's view, forwards pointer
// events and runs the menu's timers. No rule of the menu lives here.
class OptionsMenuWidget final : public SkinnedWindow {
  public:
    OptionsMenuWidget(std::string_view title, bool* openFlag, OptionsMenu& menu,
                      const Lexicon& lexicon, SkinLibrary& skins);

  protected:
    void OnPointerMoved(ScreenPoint clientPoint) override;
    void OnLeftButtonDown(ScreenPoint clientPoint) override;
    void Paint(QPainter& painter) override;

  private:
    OptionsMenu& menu_;
    const Lexicon& lexicon_;
    std::vector<std::unique_ptr<QTimer>> timers_;
};

// Paints an options menu's view over the window's whole client area.
void PaintOptionsMenuView(QPainter& painter, SkinLibrary& skins, const OptionsMenuView& view,
                          QSize windowSize);

}  // namespace veltranix
