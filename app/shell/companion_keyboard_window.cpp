#include "app/shell/companion_keyboard_window.h"

namespace veltranix {

void CompanionKeyboardWindow::HandedOver(std::uint64_t windowId) {
    // A new window was never hidden by us.
    if (id_ != windowId) {
        hiddenByUs_ = false;
    }
    id_ = windowId;
    shown_ = true;
}

void CompanionKeyboardWindow::Forget() {
    id_.reset();
    shown_ = false;
    hiddenByUs_ = false;
}

void CompanionKeyboardWindow::HideForMenu() {
    if (id_ && shown_ && !hiddenByUs_) {
        companion_.hideCompanionWindow(*id_);
        hiddenByUs_ = true;
    }
}

void CompanionKeyboardWindow::MenuClosed(bool anotherMenuOpen) {
    if (anotherMenuOpen || !hiddenByUs_ || !id_) {
        return;
    }
    companion_.showCompanionWindow(*id_);
    hiddenByUs_ = false;
    shown_ = true;
}

void CompanionKeyboardWindow::Close() {
    if (id_) {
        companion_.closeCompanionWindow(*id_);
    }
    id_.reset();
    hiddenByUs_ = false;
}

}  // namespace veltranix
