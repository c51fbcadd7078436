#pragma once

#include <cstdint>
#include <optional>

#include "core/companion_port.h"

namespace veltranix {

// The companion keyboard's window as the program's windows see it: the id
// the companion handed over, whether it is shown, and whether an options
// menu took it away. An options menu would be covered by it, so opening one
// hides it; it comes back when the last open menu closes, however it closes.
// GUI thread.
class CompanionKeyboardWindow {
  public:
    explicit CompanionKeyboardWindow(CompanionPort& companion) : companion_(companion) {}

    // The companion handed over its window and shows it.
    void HandedOver(std::uint64_t windowId);
    // The companion hid its window itself.
    void HiddenByCompanion() { shown_ = false; }
    std::optional<std::uint64_t> id() const { return id_; }

    // Hides the shown window while an options menu is open (once).
    void HideForMenu();
    // An options menu closed; `anotherMenuOpen` when one is still open.
    void MenuClosed(bool anotherMenuOpen);
    // Asks the companion's window to close (shutdown); it is forgotten.
    void Close();
    // The companion is gone: nothing of its window is kept.
    void Forget();

  private:
    CompanionPort& companion_;
    std::optional<std::uint64_t> id_;
    bool shown_ = false;
    bool hiddenByUs_ = false;
};

}  // namespace veltranix
