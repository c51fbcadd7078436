#include "app/veltranix/options_menus.h"

#include <algorithm>

#include "app/veltranix/macro_windows.h"
#include "app/veltranix/program_windows.h"
#include "pointer/pointer_actions.h"

namespace veltranix {

OptionsMenus::OptionsMenus(ProgramWindows& windows, OptionsMenuServices services)
    : windows_(windows), services_(services) {}

OptionsMenus::~OptionsMenus() {
    // At the end of the run the engine may be gone: the windows only.
    for (Open* open : {&webcam_, &mouse_, &system_}) {
        delete open->window.data();
    }
}

OptionsMenus::Open& OptionsMenus::slot(PopupKind menu) {
    switch (menu) {
        case PopupKind::WebcamOptions:
            return webcam_;
        case PopupKind::MouseOptions:
            return mouse_;
        default:
            return system_;
    }
}

void OptionsMenus::open(PopupKind menu, PopupOrigin origin) {
    Open& open = slot(menu);
    if (open.window) {
        return;
    }
    const ProgramWindowsServices& program = windows_.services_;
    // The companion keyboard would cover the menu.
    windows_.hideCompanionWindow();
    bool* openFlag = nullptr;
    switch (menu) {
        case PopupKind::WebcamOptions:
            open.logic = std::make_unique<WebcamOptionsMenu>(
                program.settings, services_.persistence, *this, &services_.cameras);
            openFlag = &program.openWindows.webcamOptions;
            break;
        case PopupKind::MouseOptions:
            open.logic = std::make_unique<MouseOptionsMenu>(program.settings, services_.persistence,
                                                            *this, *this);
            openFlag = &program.openWindows.mouseOptions;
            break;
        default:
            open.logic = std::make_unique<SystemOptionsMenu>(
                SystemMenuServices{program.settings, services_.lexicon, services_.persistence,
                                   program.folder, program.userInterface,
                                   program.shared.handPlacedEyes},
                *this);
            openFlag = &program.openWindows.systemOptions;
            break;
    }
    open.origin = origin;
    open.logic->FitSizeFactor(PopupSizeFactor(menu, windows_.popupDesktop()));
    open.window = new OptionsMenuWidget(TraitsOf(menu).className, openFlag, *open.logic,
                                        program.lexicon, windows_.skins_);
    windows_.placePopup(*open.window, menu, origin);
}

void OptionsMenus::closeOptionsMenu(PopupKind menu) {
    Open& open = slot(menu);
    if (!open.window) {
        return;
    }
    open.window->ReleasePointer();
    open.window->close();
    open.window->deleteLater();
    open.window = nullptr;
    if (menu == PopupKind::MouseOptions && windows_.actions_ != nullptr) {
        // Macros in the click-type menu decide its height.
        windows_.actions_->menu.RebuildCells();
    }
    if (menu == PopupKind::MouseOptions && editorReturn_) {
        if (windows_.macroWindows_ != nullptr && windows_.macroWindows_->editorOpen()) {
            // The editor stands in for the menu: nothing behind it starts
            // again (no set-up, no detection) until the menu is back.
            return;
        }
        editorReturn_.reset();
    }
    windows_.returnFromPopup(open.origin);
    menuClosed();
}

void OptionsMenus::closeFromOutside(PopupKind menu) {
    Open& open = slot(menu);
    if (!open.window) {
        return;
    }
    open.logic->OnClosedFromOutside();
    open.window->ReleasePointer();
    open.window->close();
    delete open.window.data();
    menuClosed();
}

void OptionsMenus::menuClosed() {
    windows_.companionKeyboard_.MenuClosed(webcam_.window || mouse_.window || system_.window);
}

void OptionsMenus::raise() {
    for (const Open* open : {&webcam_, &mouse_, &system_}) {
        if (open->window && open->window->isVisible()) {
            open->window->raise();
        }
    }
}

SkinnedWindow* OptionsMenus::shownWindow() const {
    for (const Open* open : {&webcam_, &mouse_, &system_}) {
        if (open->window && open->window->isVisible()) {
            return open->window.data();
        }
    }
    return nullptr;
}

void OptionsMenus::repaint() {
    for (const Open* open : {&webcam_, &mouse_, &system_}) {
        if (open->window) {
            open->window->update();
        }
    }
}

void OptionsMenus::relayout() {
    for (PopupKind menu :
         {PopupKind::WebcamOptions, PopupKind::MouseOptions, PopupKind::SystemOptions}) {
        Open& open = slot(menu);
        if (open.window) {
            windows_.replacePopup(*open.window, menu, open.origin);
        }
    }
}

void OptionsMenus::askBeforeDisablingHeadMovement() {
    if (!webcam_.window) {
        return;
    }
    webcam_.window->ReleasePointer();
    webcam_.window->hide();
    windows_.openWarning([this](WarningChoice choice) { onWarningAnswer(choice); });
}

void OptionsMenus::onWarningAnswer(WarningChoice choice) {
    windows_.closePopup(PopupKind::Warning);
    if (!webcam_.window) {
        return;
    }
    static_cast<WebcamOptionsMenu&>(*webcam_.logic).OnWarningAnswer(choice);
    OptionsMenuWidget& window = *webcam_.window;
    window.show();
    window.raise();
    if (windows_.loop_ != nullptr) {
        const ScreenRect frame = window.placedRect();
        window.ConfinePointer(windows_.loop_->pointerRange(),
                              {frame.left, frame.top, frame.right - 1, frame.bottom - 1},
                              windows_.wholeScreen());
    }
    window.update();
}

void OptionsMenus::lexiconReloaded() {
    windows_.repaintAllWindows();
}

void OptionsMenus::openMacroEditor() {
    editorReturn_ = EditorReturn{mouse_.origin};
    windows_.openMacroEditor();
}

void OptionsMenus::returnFromMacroEditor() {
    const EditorReturn back = editorReturn_.value_or(EditorReturn{});
    editorReturn_.reset();
    windows_.openPopup(PopupKind::MouseOptions, back.origin);
}

void OptionsMenus::setGestureTests(bool eyeTest, bool mouthTest) {
    services_.gestureTests.eyeTest = eyeTest;
    services_.gestureTests.mouthTest = mouthTest;
}

std::optional<double> OptionsMenus::eyeActivity() const {
    if (windows_.loop_ == nullptr) {
        return std::nullopt;
    }
    const FrameReport& frame = windows_.loop_->lastFrame();
    // The eyes count as closed when both patches are.
    if (frame.eyeActivity1 && frame.eyeActivity2) {
        return std::min(*frame.eyeActivity1, *frame.eyeActivity2);
    }
    return frame.eyeActivity1;
}

std::optional<double> OptionsMenus::mouthActivity() const {
    return windows_.loop_ != nullptr ? windows_.loop_->lastFrame().mouthActivity : std::nullopt;
}

std::int32_t OptionsMenus::clickCount() const {
    return windows_.actions_ != nullptr ? windows_.actions_->clicks.clickCount() : 0;
}

double OptionsMenus::pointerTravelPixels() const {
    return windows_.loop_ != nullptr ? windows_.loop_->pointerTravel() : 0.0;
}

}  // namespace veltranix
