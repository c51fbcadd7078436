#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include <QObject>
#include <QPointer>

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

    // Player thread. The progress window arrives with the macro windows.
    void showProgress() override {}
    void updateProgress(int, std::string_view) override {}
    void hideProgress() override {}
    void closeProgress() override {}
    void showShellError(std::string_view text, std::function<void()> closed) override;

    // GUI thread.
    void closeAll();

  private:
    std::vector<QPointer<QMessageBox>> boxes_;
};

}  // namespace veltranix
