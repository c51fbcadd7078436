#include "app/veltranix/program_windows.h"

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>

#include "app/shell/open_document.h"
#include "app/ui/main_window_widget.h"
#include "app/ui/popup_widgets.h"
#include "app/veltranix/macro_windows.h"
#include "app/veltranix/options_menus.h"
#include "core/desktop_layout.h"
#include "pointer/pointer_actions.h"
#include "resources/skins/skins.h"
#include "settings/user_manual.h"

namespace veltranix {
namespace {

constexpr int kHeadPauseCooldownPeriodMs = 2000;
constexpr int kHeadPauseCooldownTicks = 2;
constexpr int kAboutFiguresRefreshMs = 1000;

std::size_t TimerIndex(MainWindowTimer timer) {
    return static_cast<std::size_t>(timer);
}

// Closes a popup, releases its pointer and forgets it. It is deleted later:
// it may be the window whose click is being handled.
template <typename Window>
void CloseAndForget(QPointer<Window>& window) {
    if (window) {
        window->ReleasePointer();
        window->close();
        window->deleteLater();
        window = nullptr;
    }
}

}  // namespace

OwnWindowAtPoint ProgramWindows::OwnWindowLookup::ownWindowAt(ScreenPoint point) const {
    auto inside = [&](const ScreenRect& rect) {
        return rect.left <= point.x && point.x < rect.right && rect.top <= point.y &&
               point.y < rect.bottom;
    };
    if (open_.profileNameDialogShown && inside(open_.profileNameDialogRect)) {
        return OwnWindowAtPoint::ProfileNameDialog;
    }
    if (open_.macroEditor && inside(open_.macroEditorRect)) {
        return OwnWindowAtPoint::MacroEditor;
    }
    return OwnWindowAtPoint::None;
}

ProgramWindows::ProgramWindows(ProgramWindowsServices services)
    : services_(std::move(services)),
      clickMenuWindow_(services_.settings, services_.lexicon, skins_),
      manualEyes_(services_.settings, services_.lexicon, skins_,
                  [this](bool confirmed) { onEyePairConfirmed(confirmed); }),
      windowAtPoint_(services_.openWindows),
      companionKeyboard_(services_.companion) {
    for (MainWindowTimer timer :
         {MainWindowTimer::RestartCountdown, MainWindowTimer::CalibrationBlink,
          MainWindowTimer::SetupSwitch, MainWindowTimer::OkFrameBlink}) {
        QTimer& qtimer = mainTimers_[TimerIndex(timer)];
        qtimer.setInterval(TimerPeriodMs(timer));
        connect(&qtimer, &QTimer::timeout, this, [this, timer] {
            mainLogic_->OnTimer(timer);
            repaintMainWindow();
        });
    }
    headPauseCooldown_.setInterval(kHeadPauseCooldownPeriodMs);
    connect(&headPauseCooldown_, &QTimer::timeout, this, [this] {
        // The second tick, about 4 s after the shake, ends the cooldown.
        if (++headPauseCooldownTicks_ >= kHeadPauseCooldownTicks) {
            headPauseCooldown_.stop();
            if (loop_ != nullptr) {
                loop_->endHeadPauseCooldown();
            }
        }
    });
}

ProgramWindows::~ProgramWindows() {
    closeForShutdown();
}

void ProgramWindows::attach(TrackingLoop& loop, PointerActions& actions) {
    loop_ = &loop;
    actions_ = &actions;
    clickMenuWindow_.attach(actions.menu);
    manualEyes_.attach(loop);
}

void ProgramWindows::attachStores(SettingsPersistence& persistence, const MacroSets& macros) {
    manualEyes_.attachStore(persistence);
    clickMenuWindow_.attachMacros(macros);
}

void ProgramWindows::attachOptionsMenus(OptionsMenuServices services) {
    options_ = std::make_unique<OptionsMenus>(*this, services);
}

void ProgramWindows::repaintAllWindows() {
    repaintMainWindow();
    for (QWidget* popup : std::initializer_list<QWidget*>{
             loadingBar_.data(), pauseWindow_.data(), exitWindow_.data(), aboutWindow_.data(),
             warningWindow_.data(), noticeWindow_.data()}) {
        if (popup != nullptr) {
            popup->update();
        }
    }
    if (options_) {
        options_->repaint();
    }
    for (const auto& [action, key] : trayTexts_) {
        action->setText(QString::fromStdString(services_.lexicon.text(key)));
    }
}

void ProgramWindows::createMainWindow() {
    mainLogic_ = std::make_unique<MainWindowLogic>(*this, services_.desktop, services_.settings,
                                                   services_.openWindows);
    mainWindow_ = new MainWindowWidget(*mainLogic_, services_.lexicon, skins_);
    createTrayIcon();
}

void ProgramWindows::showStartup() {
    mainLogic_->EnterForm(MainWindowForm::Startup);
    mainWindow_->show();
}

void ProgramWindows::createTrayIcon() {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        // A desktop without a notification area: the docked window alone.
        return;
    }
    const Lexicon& lexicon = services_.lexicon;
    trayMenu_ = new QMenu();
    auto add = [&](LexiconKey key, MainWindowCommand command) {
        QAction* action = trayMenu_->addAction(QString::fromStdString(lexicon.text(key)));
        trayTexts_.emplace_back(action, key);
        trayCommands_.emplace_back(action, command);
        connect(action, &QAction::triggered, this,
                [this, command] { mainLogic_->OnCommand(command); });
    };
    add(LexiconKey::TrayAbout, MainWindowCommand::About);
    add(LexiconKey::TrayWebcam, MainWindowCommand::WebcamOptions);
    add(LexiconKey::TrayMouse, MainWindowCommand::MouseOptions);
    add(LexiconKey::TrayManual, MainWindowCommand::UserManual);
    trayMenu_->addSeparator();
    add(LexiconKey::TrayExit, MainWindowCommand::Exit);
    // While the menu is shown, triggers make plain clicks on it.
    connect(trayMenu_, &QMenu::aboutToShow, this, [this] {
        updateTrayItems();
        services_.openWindows.notificationMenu = true;
    });
    connect(trayMenu_, &QMenu::aboutToHide, this,
            [this] { services_.openWindows.notificationMenu = false; });
    trayIcon_ = new QSystemTrayIcon(QIcon(skinPath(u"Icono")));
    trayIcon_->setToolTip("Veltranix");
    trayIcon_->setContextMenu(trayMenu_);
    // A left click opens the menu too: the user's gestures may make only left clicks.
    connect(trayIcon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger && trayMenu_ != nullptr &&
                    !trayMenu_->isVisible()) {
                    trayMenu_->popup(QCursor::pos());
                }
            });
    trayIcon_->show();
}

void ProgramWindows::updateTrayItems() {
    for (const auto& [action, command] : trayCommands_) {
        action->setEnabled(mainLogic_->CommandAvailable(command));
    }
}

void ProgramWindows::showCameraFrame(const CaptureFrame& frame) {
    if (mainWindow_) {
        mainWindow_->ShowCameraFrame(frame);
    }
}

void ProgramWindows::setCameraHealth(CameraHealth health) {
    if (mainWindow_) {
        mainWindow_->SetCameraHealth(health);
        if (health != CameraHealth::Streaming && !mainWindow_->isVisible() &&
            !services_.openWindows.mainWindowHiddenByUser) {
            mainWindow_->show();
        }
    }
}

void ProgramWindows::setCameraWaiting(std::string words) {
    if (mainWindow_) {
        mainWindow_->SetCameraWaiting(std::move(words));
    }
}

void ProgramWindows::setNotice(std::string notice) {
    if (mainWindow_) {
        mainWindow_->SetNotice(std::move(notice));
    }
}

void ProgramWindows::rebuildLayout(LayoutTarget target) {
    if (target == LayoutTarget::ClickTypeMenu) {
        clickMenuWindow_.rebuild();
    }
    if (target != LayoutTarget::MainWindow || !mainLogic_) {
        return;
    }
    showForm(mainLogic_->form());
}

void ProgramWindows::hideMainWindow() {
    if (mainWindow_) {
        mainWindow_->hide();
    }
}

void ProgramWindows::showOnRequest() {
    if (!mainWindow_ || shuttingDown_) {
        return;
    }
    if (mainLogic_->hiddenByUser()) {
        mainLogic_->EndHiddenByUser();
        // The start-up and restart forms stay what they are.
        if (mainLogic_->form() == MainWindowForm::ButtonMenu) {
            dockMainWindow();
        }
        if (mainLogic_->form() == MainWindowForm::Docked) {
            setCameraViewVisibility(Visibility::Shown);
        }
    }
    setMainWindowVisibility(Visibility::Shown);
    mainWindow_->raise();
    raisePopups();
}

void ProgramWindows::closeForShutdown() {
    if (shuttingDown_) {
        return;
    }
    shuttingDown_ = true;
    for (QTimer& timer : mainTimers_) {
        timer.stop();
    }
    headPauseCooldown_.stop();
    if (trayIcon_ != nullptr) {
        trayIcon_->hide();
        delete trayIcon_;
        trayIcon_ = nullptr;
    }
    trayTexts_.clear();
    trayCommands_.clear();
    delete trayMenu_;
    trayMenu_ = nullptr;
    closeAllPopups();
    closeLoadingBar();
    messages_.clear();
    CloseAndForget(noticeWindow_);
    services_.openWindows.notice = false;
    clickMenuWindow_.close();
    if (macroWindows_ != nullptr) {
        macroWindows_->CloseAll();
    }
    delete mainWindow_.data();
}

ScreenRect ProgramWindows::wholeScreen() const {
    const ScreenSize screen = services_.desktop.screenSize();
    return {0, 0, screen.width, screen.height};
}

// The tracking loop's side.

ScreenPoint ProgramWindows::mainWindowTopLeft() const {
    const ScreenRect rect = mainLogic_->FormRect();
    return {rect.left, rect.top};
}

bool ProgramWindows::mainWindowInStartupForm() const {
    return mainLogic_->form() == MainWindowForm::Startup;
}

bool ProgramWindows::mainWindowHiddenByUser() const {
    return mainLogic_->hiddenByUser();
}

void ProgramWindows::endMainWindowHidden() {
    mainLogic_->EndHiddenByUser();
}

void ProgramWindows::dockMainWindow() {
    if (mainLogic_->form() != MainWindowForm::Docked) {
        mainLogic_->EnterForm(MainWindowForm::Docked);
    }
}

void ProgramWindows::showMainMenuForm() {
    if (mainLogic_->form() != MainWindowForm::ButtonMenu) {
        mainLogic_->EnterForm(MainWindowForm::ButtonMenu);
    }
}

void ProgramWindows::centerMainWindowLarge() {
    mainLogic_->EnterForm(MainWindowForm::Startup);
    repaintMainWindow();
}

void ProgramWindows::setMainWindowVisibility(Visibility visibility) {
    if (!mainWindow_) {
        return;
    }
    if (visibility == Visibility::Shown) {
        if (!mainWindow_->isVisible()) {
            mainWindow_->show();
            mainWindow_->raise();
            raisePopups();
        }
    } else {
        mainWindow_->hide();
    }
}

void ProgramWindows::raisePopups() {
    // The popups belong to the main window and stay above it, as owned
    // windows do, also where no window manager keeps them there.
    if (QWidget* eyes = manualEyes_.widget(); eyes != nullptr && eyes->isVisible()) {
        eyes->raise();
    }
    for (QWidget* popup : std::initializer_list<QWidget*>{loadingBar_.data(), pauseWindow_.data(),
                                                          exitWindow_.data(), aboutWindow_.data(),
                                                          warningWindow_.data()}) {
        if (popup != nullptr && popup->isVisible()) {
            popup->raise();
        }
    }
    if (options_) {
        options_->raise();
    }
    // A message stays above everything until answered.
    if (noticeWindow_) {
        noticeWindow_->raise();
    }
}

void ProgramWindows::setCameraViewVisibility(Visibility visibility) {
    if (mainWindow_) {
        mainWindow_->SetCameraViewShown(visibility == Visibility::Shown);
    }
}

void ProgramWindows::clearButtonHighlightUnlessHovered(ScreenPoint pointer) {
    if (mainLogic_->ClearHighlightUnlessOver(pointer) == Repaint::Needed) {
        repaintMainWindow();
    }
}

void ProgramWindows::invalidateCameraView() {
    repaintMainWindow();
}

bool ProgramWindows::anyPopupOpen() const {
    const OpenWindows& open = services_.openWindows;
    return open.about || open.pause || open.exitConfirmation || open.webcamOptions ||
           open.mouseOptions || open.systemOptions || open.warning || open.macroEditor;
}

bool ProgramWindows::dockingHeldByPopup() const {
    return services_.openWindows.pause || services_.openWindows.exitConfirmation;
}

bool ProgramWindows::restartCountdownShown() const {
    return mainLogic_->form() == MainWindowForm::RestartCountdown;
}

void ProgramWindows::startRestartCountdown() {
    mainLogic_->StartRestartCountdown();
}

void ProgramWindows::closeAllPopups() {
    for (PopupKind popup : {PopupKind::About, PopupKind::Pause, PopupKind::ExitConfirmation,
                            PopupKind::Warning, PopupKind::WebcamOptions, PopupKind::MouseOptions,
                            PopupKind::SystemOptions, PopupKind::ManualEyePositions}) {
        closePopup(popup);
    }
}

void ProgramWindows::openLoadingBar() {
    if (loadingBar_ || shuttingDown_) {
        return;
    }
    loadingBar_ = new LoadingBarWidget(services_.shared, services_.lexicon, skins_);
    placePopup(*loadingBar_, PopupKind::LoadingBar, PopupOrigin::ButtonMenu);
    loadingBar_->show();
}

void ProgramWindows::closeLoadingBar() {
    CloseAndForget(loadingBar_);
}

int ProgramWindows::positionHintWidth() const {
    return services_.lexicon.positionHintWidth;
}

void ProgramWindows::startHeadPauseCooldownTimer() {
    headPauseCooldownTicks_ = 0;
    headPauseCooldown_.start();
}

// The window logic's side.

void ProgramWindows::setTrackingState(TrackingRequest state) {
    services_.shared.headPaused.store(state == TrackingRequest::HeadPause);
    services_.shared.state.store(static_cast<TrackingState>(static_cast<std::int32_t>(state)));
}

bool ProgramWindows::trackingPaused() const {
    return services_.shared.headPaused.load();
}

void ProgramWindows::setCalibrationHold(bool hold) {
    services_.shared.calibrationHold.store(hold);
}

void ProgramWindows::restartSettling() {
    if (loop_ != nullptr) {
        loop_->restartSettling();
    }
}

void ProgramWindows::showForm(MainWindowForm form) {
    if (!mainWindow_) {
        return;
    }
    mainWindow_->Place(mainLogic_->FormRect());
    mainWindow_->SetCameraViewShown(form == MainWindowForm::Startup ||
                                    form == MainWindowForm::Docked);
    mainWindow_->update();
}

void ProgramWindows::repaintMainWindow() {
    if (mainWindow_) {
        mainWindow_->update();
    }
}

void ProgramWindows::startTimer(MainWindowTimer timer) {
    mainTimers_[TimerIndex(timer)].start();
}

void ProgramWindows::stopTimer(MainWindowTimer timer) {
    mainTimers_[TimerIndex(timer)].stop();
}

PopupDesktop ProgramWindows::popupDesktop() const {
    const std::vector<ScreenRect> monitors = services_.desktop.monitors();
    const ScreenRect workArea = services_.desktop.workArea();
    const ScreenRect mainWindow =
        mainLogic_ ? mainLogic_->FormRect() : PrimaryWorkArea(monitors, workArea);
    const ScreenRect monitor = MonitorHolding(monitors, mainWindow, workArea);
    return {monitor,
            WorkAreaShare(monitor, workArea),
            services_.settings.sizeFactor,
            services_.lexicon.positionHintWidth,
            services_.desktop.pointerPosition(),
            services_.settings.desktopScale};
}

void ProgramWindows::placePopup(SkinnedWindow& window, PopupKind popup, PopupOrigin origin) {
    const PopupLayout layout = PopupLayoutFor(popup, origin, popupDesktop());
    window.Place(layout.window);
    window.show();
    window.raise();
    if (layout.pointerAfterOpen && actions_ != nullptr) {
        actions_->clicks.PlacePointer(*layout.pointerAfterOpen);
    }
    if (layout.pointerBounds && loop_ != nullptr) {
        window.ConfinePointer(loop_->pointerRange(), *layout.pointerBounds, wholeScreen());
    }
}

void ProgramWindows::replacePopup(SkinnedWindow& window, PopupKind popup, PopupOrigin origin) {
    const PopupLayout layout = PopupLayoutFor(popup, origin, popupDesktop());
    window.Place(layout.window);
    if (window.pointerConfined() && layout.pointerBounds && loop_ != nullptr) {
        window.ConfinePointer(loop_->pointerRange(), *layout.pointerBounds, wholeScreen());
    }
}

void ProgramWindows::relayoutPopups() {
    const auto again = [this](SkinnedWindow* window, PopupKind popup, PopupOrigin origin) {
        if (window != nullptr) {
            replacePopup(*window, popup, origin);
        }
    };
    constexpr PopupOrigin kMenu = PopupOrigin::ButtonMenu;
    again(pauseWindow_.data(), PopupKind::Pause, kMenu);
    again(exitWindow_.data(), PopupKind::ExitConfirmation,
          exitLogic_ ? exitLogic_->origin() : kMenu);
    again(aboutWindow_.data(), PopupKind::About, kMenu);
    again(warningWindow_.data(), PopupKind::Warning, kMenu);
    again(noticeWindow_.data(), PopupKind::Notice, kMenu);
    again(loadingBar_.data(), PopupKind::LoadingBar, kMenu);
    if (options_) {
        options_->relayout();
    }
}

void ProgramWindows::openPopup(PopupKind popup, PopupOrigin origin) {
    if (shuttingDown_) {
        return;
    }
    // A window opened from the manual set-up bar covers the eye positions
    // window; it is shown again when that window closes.
    if (origin == PopupOrigin::SetupBarManual && popup != PopupKind::ManualEyePositions) {
        manualEyes_.hideForMenu();
    }
    switch (popup) {
        case PopupKind::Pause:
        case PopupKind::ExitConfirmation:
            openConfirmation(popup, origin);
            return;
        case PopupKind::About:
            openAbout();
            return;
        case PopupKind::Warning:
            openWarning();
            return;
        case PopupKind::LoadingBar:
            openLoadingBar();
            return;
        case PopupKind::ManualEyePositions:
            openManualEyes();
            return;
        case PopupKind::Notice:
            showNextMessage();
            return;
        case PopupKind::WebcamOptions:
        case PopupKind::MouseOptions:
        case PopupKind::SystemOptions:
            if (options_) {
                options_->open(popup, origin);
                return;
            }
            break;
    }
    // Before the options menus are attached: put back what opening them took
    // away.
    returnFromPopup(origin);
}

void ProgramWindows::returnFromPopup(PopupOrigin origin) {
    if (origin == PopupOrigin::SetupBarManual) {
        // Back to placing the eyes by hand, over a fresh picture.
        openPopup(PopupKind::ManualEyePositions, PopupOrigin::SetupBarManual);
        return;
    }
    if (origin == PopupOrigin::ButtonMenu) {
        setMainWindowVisibility(Visibility::Shown);
    } else {
        // Set-up begins again: the face is looked for and must hold still anew.
        mainLogic_->EnterForm(MainWindowForm::Startup);
        setMainWindowVisibility(Visibility::Shown);
        setTrackingState(TrackingRequest::Detect);
        restartSettling();
        openLoadingBar();
    }
}

void ProgramWindows::openMacroEditor() {
    if (macroWindows_ == nullptr || shuttingDown_) {
        return;
    }
    macroWindows_->OpenEditor(
        [this] {
            if (options_) {
                options_->returnFromMacroEditor();
            }
        },
        [this](bool shown) { macroFileDialogShown(shown); });
}

void ProgramWindows::macroFileDialogShown(bool shown) {
    // While the open-file dialog is up the click-type menu is closed and
    // offers no macros; afterwards it offers what it offered before.
    Settings& settings = services_.settings;
    if (shown && !clicMacroBeforeFileDialog_) {
        clicMacroBeforeFileDialog_ = settings.clicMacro;
        settings.clicMacro = 0;
    } else if (!shown && clicMacroBeforeFileDialog_) {
        settings.clicMacro = *clicMacroBeforeFileDialog_;
        clicMacroBeforeFileDialog_.reset();
    }
    if (actions_ != nullptr) {
        actions_->menu.Hide();
        actions_->menu.RebuildCells();
    }
    clickMenuWindow_.rebuild();
}

void ProgramWindows::openConfirmation(PopupKind popup, PopupOrigin origin) {
    const bool pause = popup == PopupKind::Pause;
    QPointer<ConfirmationWidget>& window = pause ? pauseWindow_ : exitWindow_;
    std::unique_ptr<ConfirmationWindow>& logic = pause ? pauseLogic_ : exitLogic_;
    if (window) {
        return;
    }
    logic = std::make_unique<ConfirmationWindow>(
        pause ? ConfirmationKind::Pause : ConfirmationKind::Exit, origin,
        PopupSizeFactor(popup, popupDesktop()), *this);
    window = new ConfirmationWidget(
        pause ? "PAUSE" : "SALIDA",
        pause ? &services_.openWindows.pause : &services_.openWindows.exitConfirmation, *logic,
        services_.lexicon, skins_);
    placePopup(*window, popup, origin);
}

void ProgramWindows::openAbout() {
    if (aboutWindow_) {
        return;
    }
    aboutLogic_ = std::make_unique<AboutWindow>(
        services_.lexicon.text(LexiconKey::About),
        PopupSizeFactor(PopupKind::About, popupDesktop()),
        services_.inputDescription ? services_.inputDescription() : std::string());
    aboutWindow_ =
        new AboutWidget("ABOUT", kAboutSkin, &services_.openWindows.about, *aboutLogic_,
                        services_.lexicon, skins_, [this](AboutItem item) { onAboutItem(item); });
    placePopup(*aboutWindow_, PopupKind::About, PopupOrigin::ButtonMenu);
    if (services_.programFigures) {
        aboutLogic_->setFigures(services_.programFigures());
        auto* refresh = new QTimer(aboutWindow_);
        connect(refresh, &QTimer::timeout, aboutWindow_, [this] {
            if (aboutLogic_ && aboutWindow_) {
                aboutLogic_->setFigures(services_.programFigures());
                aboutWindow_->update();
            }
        });
        refresh->start(kAboutFiguresRefreshMs);
    }
}

void ProgramWindows::openWarning(std::function<void(WarningChoice)> answer) {
    if (warningWindow_) {
        return;
    }
    if (!answer) {
        answer = [this](WarningChoice) { closePopup(PopupKind::Warning); };
    }
    warningLogic_ =
        std::make_unique<WarningWindow>(PopupSizeFactor(PopupKind::Warning, popupDesktop()));
    warningWindow_ =
        new WarningWidget("Warning", kWarningSkin, &services_.openWindows.warning, *warningLogic_,
                          services_.lexicon, skins_, std::move(answer));
    placePopup(*warningWindow_, PopupKind::Warning, PopupOrigin::ButtonMenu);
}

void ProgramWindows::showMessage(std::string caption, std::string text,
                                 std::function<void()> answered) {
    if (shuttingDown_) {
        return;
    }
    messages_.push_back({std::move(caption), std::move(text), std::move(answered)});
    showNextMessage();
    // Above whatever the caller raises next (the macro editor after a failed
    // profile deletion).
    QTimer::singleShot(0, noticeWindow_.data(), [window = noticeWindow_] { window->raise(); });
}

void ProgramWindows::showNextMessage() {
    if (noticeWindow_ || messages_.empty() || shuttingDown_) {
        return;
    }
    const Message& message = messages_.front();
    noticeLogic_ = std::make_shared<NoticeWindow>(
        message.caption, message.text, PopupSizeFactor(PopupKind::Notice, popupDesktop()));
    // The flag is kept here, not by the window: a closed message's window is
    // deleted later, after the next one has shown.
    services_.openWindows.notice = true;
    noticeWindow_ =
        new NoticeWidget(message.caption, kNoticeSkin, nullptr, *noticeLogic_, services_.lexicon,
                         skins_, [this](NoticeChoice) { onMessageAnswered(); });
    // The next message replaces the logic while this window may still get
    // events before its deletion: the window keeps its own alive.
    connect(noticeWindow_, &QObject::destroyed, [logic = noticeLogic_] {});
    placePopup(*noticeWindow_, PopupKind::Notice, PopupOrigin::ButtonMenu);
}

void ProgramWindows::onMessageAnswered() {
    std::function<void()> answered = std::move(messages_.front().answered);
    messages_.pop_front();
    CloseAndForget(noticeWindow_);
    services_.openWindows.notice = false;
    if (answered) {
        answered();
    }
    showNextMessage();
    if (!noticeWindow_) {
        confineToShownPopup();
    }
}

void ProgramWindows::confineToShownPopup() {
    if (loop_ == nullptr || shuttingDown_) {
        return;
    }
    for (SkinnedWindow* popup : std::initializer_list<SkinnedWindow*>{
             pauseWindow_.data(), exitWindow_.data(), aboutWindow_.data(), warningWindow_.data(),
             options_ ? options_->shownWindow() : nullptr}) {
        if (popup != nullptr && popup->isVisible() && popup->pointerConfined()) {
            const ScreenRect bounds = popup->placedRect();
            popup->ConfinePointer(loop_->pointerRange(),
                                  {bounds.left, bounds.top, bounds.right - 1, bounds.bottom - 1},
                                  wholeScreen());
            return;
        }
    }
}

void ProgramWindows::openManualEyes() {
    // Over the start-up form's camera picture at the form's scale, leaving
    // its set-up bar free.
    const ScreenRect workArea =
        PrimaryWorkArea(services_.desktop.monitors(), services_.desktop.workArea());
    const float desktopScale = services_.settings.desktopScale;
    const ScreenRect form = MainWindowFormRect(MainWindowForm::Startup, workArea,
                                               services_.settings.sizeFactor, desktopScale);
    const ScreenSize size =
        ScaleDesignSize(kManualEyeWindowSize.width, kManualEyeWindowSize.height,
                        FixedFormScale(MainWindowForm::Startup, workArea, desktopScale));
    manualEyes_.open({form.left, form.top, form.left + size.width, form.top + size.height});
}

void ProgramWindows::onEyePairConfirmed(bool confirmed) {
    if (!mainLogic_) {
        return;
    }
    if (confirmed) {
        mainLogic_->StartEyesMarkedBlink();
    } else {
        mainLogic_->StopEyesMarkedBlink();
    }
    repaintMainWindow();
}

void ProgramWindows::leaveManualEyeView() {
    manualEyes_.leave();
    if (mainLogic_) {
        mainLogic_->SetSetupBar(SetupBarKind::Automatic);
    }
}

void ProgramWindows::onAboutItem(AboutItem item) {
    closePopup(PopupKind::About);
    setMainWindowVisibility(Visibility::Shown);
    switch (item) {
        case AboutItem::Close:
            return;
        case AboutItem::LinkLine4:
        case AboutItem::ManualLine:
            openUserManual();
            return;
        case AboutItem::LinkLine5:
            openDocument(services_.folder.readMeFile());
            return;
        case AboutItem::LinkLine7:
            openDocument(services_.folder.manualsFolder());
            return;
    }
}

void ProgramWindows::openDocument(const std::filesystem::path& path) {
    OpenDocument(path, services_.shell, services_.userInterface, services_.lexicon);
}

void ProgramWindows::closePopup(PopupKind popup) {
    switch (popup) {
        case PopupKind::Pause:
            CloseAndForget(pauseWindow_);
            break;
        case PopupKind::ExitConfirmation:
            CloseAndForget(exitWindow_);
            break;
        case PopupKind::About:
            CloseAndForget(aboutWindow_);
            break;
        case PopupKind::Warning:
            CloseAndForget(warningWindow_);
            break;
        case PopupKind::LoadingBar:
            closeLoadingBar();
            break;
        case PopupKind::ManualEyePositions:
            leaveManualEyeView();
            break;
        case PopupKind::Notice:
            // Only its own OK closes a message: a reset must not lose it.
            break;
        case PopupKind::WebcamOptions:
        case PopupKind::MouseOptions:
        case PopupKind::SystemOptions:
            if (options_) {
                options_->closeFromOutside(popup);
            }
            break;
    }
}

void ProgramWindows::movePointerBy(int dxPixels, int dyPixels) {
    if (actions_ == nullptr) {
        return;
    }
    const ScreenPoint pointer = services_.desktop.pointerPosition();
    actions_->clicks.PlacePointer({pointer.x + dxPixels, pointer.y + dyPixels});
}

void ProgramWindows::hideCompanionWindow() {
    companionKeyboard_.HideForMenu();
}

void ProgramWindows::openUserManual() {
    openDocument(UserManualPath(services_.folder, services_.lexicon.languageName));
}

void ProgramWindows::exitProgram() {
    services_.userInterface.requestShutdown();
}

}  // namespace veltranix
