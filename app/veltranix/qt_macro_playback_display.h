#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include <QObject>
#include <QPointer>

#include "app/ui/macro_progress_window.h"
#include "macros/macro_player.h"

class QMessageBox;

namespace veltranix {

// The player's messages, shown on the GUI thread. The shell error box is
// opened without a nested event loop; its `closed` call tells the player
// when the user has closed it. At shutdown `closeAll` closes every box.
class QtMacroPlaybackDisplay final : public QObject, public MacroPlaybackDisplayPort {
  public:
    QtMacroPlaybackDisplay() = default;
    ~QtMacroPlaybackDisplay() override { closeAll(); }

    // Player thread: each call is handed to the GUI thread, in order.
    void showProgress() override;
    void updateProgress(int barPosition, std::string_view counterText) override;
    void hideProgress() override;
    void closeProgress() override;
    void showShellError(std::string_view text, std::function<void()> closed) override;

    // GUI thread.
    void closeAll();
    MacroProgressWindow* progressWindow() const { return progress_.data(); }

  private:
    std::vector<QPointer<QMessageBox>> boxes_;
    QPointer<MacroProgressWindow> progress_;
};

}  // namespace veltranix
