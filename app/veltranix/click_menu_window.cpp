#include "app/veltranix/click_menu_window.h"

namespace veltranix {

ClickMenuWindow::~ClickMenuWindow() {
    delete widget_.data();
}

bool ClickMenuWindow::show(const ScreenRect& rect) {
    if (menu_ == nullptr) {
        return false;
    }
    if (!widget_) {
        widget_ = new ClickMenuWidget(*menu_, settings_, lexicon_, skins_, [this] {
            // The names of the macros a cell plays: the profile's committed set.
            return macros_ != nullptr ? MacroNames(macros_->playbackMacros)
                                      : std::array<std::string, kMacroSlotCount>{};
        });
    }
    widget_->Place(rect);
    widget_->show();
    widget_->raise();
    widget_->update();
    return true;
}

void ClickMenuWindow::hide() {
    if (widget_) {
        widget_->hide();
    }
}

void ClickMenuWindow::repaint() {
    if (widget_) {
        widget_->update();
    }
}

void ClickMenuWindow::rebuild() {
    if (menu_ != nullptr && menu_->visible()) {
        menu_->Hide();
    }
}

void ClickMenuWindow::close() {
    if (widget_) {
        widget_->close();
        delete widget_.data();
        widget_ = nullptr;
        if (menu_ != nullptr) {
            menu_->OnWindowClosed();
        }
    }
}

}  // namespace veltranix
