#pragma once

#include <functional>
#include <string>
#include <string_view>

#include <QObject>
#include <QPointer>

#include "app/ui/macro_progress_window.h"
#include "macros/macro_player.h"

namespace veltranix {

// The player's messages, shown on the GUI thread. The shell error is handed
// to `showMessage`, which shows it as the program's other messages and calls
// its second argument once the user has closed it; that call tells the
// player. At shutdown `closeAll` closes the progress window.
class QtMacroPlaybackDisplay final : public QObject, public MacroPlaybackDisplayPort {
  public:
    using MessageShower = std::function<void(std::string text, std::function<void()> closed)>;
    explicit QtMacroPlaybackDisplay(MessageShower showMessage)
        : showMessage_(std::move(showMessage)) {}
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
    MessageShower showMessage_;
    QPointer<MacroProgressWindow> progress_;
};

}  // namespace veltranix
