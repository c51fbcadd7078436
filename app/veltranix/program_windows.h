#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QTimer>

#include "app/shell/about_window.h"
#include "app/shell/companion_keyboard_window.h"
#include "app/shell/confirmation_window.h"
#include "app/shell/main_window_logic.h"
#include "app/shell/popup_layout.h"
#include "app/shell/warning_window.h"
#include "app/ui/main_window_widget.h"
#include "app/ui/popup_widgets.h"
#include "app/ui/skin_painting.h"
#include "app/veltranix/click_menu_window.h"
#include "app/veltranix/manual_eye_view.h"
#include "capture/camera_source.h"
#include "core/companion_port.h"
#include "core/desktop_port.h"
#include "core/program_folder.h"
#include "core/shell_port.h"
#include "core/user_interface_port.h"
#include "macros/macro_set.h"
#include "pointer/click_type_menu.h"
#include "pointer/open_windows.h"
#include "settings/lexicon.h"
#include "settings/settings.h"
#include "settings/settings_persistence.h"
#include "tracking/tracking_loop.h"

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace veltranix {

class MacroWindows;
struct PointerActions;
class OptionsMenus;
struct OptionsMenuServices;

// What the windows use of the rest of the program.
struct ProgramWindowsServices {
    Settings& settings;
    const Lexicon& lexicon;
    TrackingShared& shared;
    OpenWindows& openWindows;
    KeyboardCooperation& keyboards;
    const DesktopPort& desktop;
    ShellPort& shell;
    const ProgramFolder& folder;
    UserInterfacePort& userInterface;
    CompanionPort& companion;
    std::function<std::string()> cameraDescription;
    // What the pointer and the keys go through, for the about window.
    std::function<std::string()> inputDescription;
    // The program's live figures for the about window, a line each; they are
    // measured from the first call until the window closes.
    std::function<std::vector<std::string>()> programFigures;
};

// Every window of the program and the notification icon, seen from the
// tracking loop (TrackingWindowsPort) and from the windows' logic
// (ShellActionsPort). GUI thread.
class ProgramWindows final : public QObject, public TrackingWindowsPort, public ShellActionsPort {
  public:
    explicit ProgramWindows(ProgramWindowsServices services);
    ~ProgramWindows() override;

    // The loop and the pointer actions exist after the windows; attach them
    // before the first frame.
    void attach(TrackingLoop& loop, PointerActions& actions);
    void attachOptionsMenus(OptionsMenuServices services);
    // Every window shows its texts again (after a language change).
    void repaintAllWindows();
    // The stores the manual eye positions and the click-type menu's macro
    // names come from.
    void attachStores(SettingsPersistence& persistence, const MacroSets& macros);
    // Each camera frame before the tracking loop draws into it.
    void offerStillFrame(const CaptureFrame& frame) { manualEyes_.offerFrame(frame); }
    // The macro editor's windows, owned by the program.
    void setMacroWindows(MacroWindows* macroWindows) { macroWindows_ = macroWindows; }
    // Opens the macro editor (the mouse options menu's button); its OK and
    // cancel bring the mouse options menu back.
    void openMacroEditor();
    void macroFileDialogShown(bool shown);
    void createMainWindow();
    // The start-up form, centred, shown.
    void showStartup();
    void showCameraFrame(const CaptureFrame& frame);
    void setCameraHealth(CameraHealth health);
    // Words for the main window while no camera has been found; empty once one has.
    void setCameraWaiting(std::string words);
    void setNotice(std::string notice);
    // A message in words over every other window, answered by its OK button
    // with the head; tracking goes on meanwhile. Messages wait their turn and
    // show one at a time. `answered` runs once the user has closed it (never
    // at shutdown).
    void showMessage(std::string caption, std::string text, std::function<void()> answered = {});
    void rebuildLayout(LayoutTarget target);
    // After a monitor change: every open popup placed again, the pointer
    // left where it is.
    void relayoutPopups();

    ClickMenuWindowPort& clickMenuWindow() { return clickMenuWindow_; }
    const WindowAtPointPort& windowAtPoint() const { return windowAtPoint_; }

    void setCompanionWindow(std::uint64_t windowId) { companionKeyboard_.HandedOver(windowId); }
    void setCompanionHidden() { companionKeyboard_.HiddenByCompanion(); }
    // The companion left the bus or lost its window: it is forgotten.
    void forgetCompanion() { companionKeyboard_.Forget(); }
    void hideMainWindow();
    void closeCompanion() { companionKeyboard_.Close(); }
    // A second start asked to see the program: the window hidden by the
    // user comes back docked, and the main window is shown and raised.
    void showOnRequest();
    // Shutdown: the icon removed, every popup closed, the main window gone.
    void closeForShutdown();

    MainWindowLogic& mainWindowLogic() { return *mainLogic_; }
    MainWindowWidget* mainWindow() const { return mainWindow_; }

    // TrackingWindowsPort.
    ScreenPoint mainWindowTopLeft() const override;
    bool mainWindowInStartupForm() const override;
    bool mainWindowHiddenByUser() const override;
    void endMainWindowHidden() override;
    void dockMainWindow() override;
    void showMainMenuForm() override;
    void centerMainWindowLarge() override;
    void setMainWindowVisibility(Visibility visibility) override;
    void setCameraViewVisibility(Visibility visibility) override;
    void clearButtonHighlightUnlessHovered(ScreenPoint pointer) override;
    void invalidateCameraView() override;
    bool anyPopupOpen() const override;
    bool dockingHeldByPopup() const override;
    bool restartCountdownShown() const override;
    void startRestartCountdown() override;
    void closeAllPopups() override;
    void destroyGuideWindow() override { manualEyes_.close(); }
    void openLoadingBar() override;
    void closeLoadingBar() override;
    int positionHintWidth() const override;
    bool manualEyeViewActive() const override { return manualEyes_.active(); }
    void drawManualEyeGuides(CaptureFrame& frame) override { manualEyes_.drawGuides(frame); }
    void leaveManualEyeView() override;
    void startHeadPauseCooldownTimer() override;
    std::optional<std::uint64_t> companionWindow() const override {
        return companionKeyboard_.id();
    }

    // ShellActionsPort.
    void setTrackingState(TrackingRequest state) override;
    bool trackingPaused() const override;
    void setCalibrationHold(bool hold) override;
    void restartSettling() override;
    bool bothEyesMarked() const override { return manualEyes_.bothEyesMarked(); }
    void clearEyeMarks() override { manualEyes_.clearMarks(); }
    void startTrackingWithMarkedEyes() override { manualEyes_.startTracking(); }
    void showForm(MainWindowForm form) override;
    void repaintMainWindow() override;
    void startTimer(MainWindowTimer timer) override;
    void stopTimer(MainWindowTimer timer) override;
    void openPopup(PopupKind popup, PopupOrigin origin) override;
    void closePopup(PopupKind popup) override;
    void movePointerBy(int dxPixels, int dyPixels) override;
    void hideCompanionWindow() override;
    void openUserManual() override;
    void exitProgram() override;

  private:
    friend class OptionsMenus;
    class OwnWindowLookup : public WindowAtPointPort {
      public:
        explicit OwnWindowLookup(const OpenWindows& open) : open_(open) {}
        OwnWindowAtPoint ownWindowAt(ScreenPoint point) const override;

      private:
        const OpenWindows& open_;
    };

    void openConfirmation(PopupKind popup, PopupOrigin origin);
    void openAbout();
    // `answer` receives the choice; without one the warning just closes.
    void openWarning(std::function<void(WarningChoice)> answer = {});
    // Brings back what opening a popup from `origin` took away.
    void returnFromPopup(PopupOrigin origin);
    void openManualEyes();
    void showNextMessage();
    void onMessageAnswered();
    // Once the last message is answered, a shown popup that confines the
    // pointer holds it again (the message took it over).
    void confineToShownPopup();
    void onEyePairConfirmed(bool confirmed);
    void onAboutItem(AboutItem item);
    void openDocument(const std::filesystem::path& path);
    // The monitor that holds the main window, its work area, the pointer.
    PopupDesktop popupDesktop() const;
    void placePopup(SkinnedWindow& window, PopupKind popup, PopupOrigin origin);
    void replacePopup(SkinnedWindow& window, PopupKind popup, PopupOrigin origin);
    void createTrayIcon();
    // The tray menu's items that cannot act now are disabled.
    void updateTrayItems();
    void raisePopups();
    ScreenRect wholeScreen() const;

    ProgramWindowsServices services_;
    MacroWindows* macroWindows_ = nullptr;
    std::optional<std::int32_t> clicMacroBeforeFileDialog_;
    TrackingLoop* loop_ = nullptr;
    PointerActions* actions_ = nullptr;
    SkinLibrary skins_;
    ClickMenuWindow clickMenuWindow_;
    ManualEyeView manualEyes_;
    OwnWindowLookup windowAtPoint_;

    std::unique_ptr<MainWindowLogic> mainLogic_;
    QPointer<MainWindowWidget> mainWindow_;
    std::array<QTimer, 4> mainTimers_;

    std::unique_ptr<ConfirmationWindow> pauseLogic_;
    QPointer<ConfirmationWidget> pauseWindow_;
    std::unique_ptr<ConfirmationWindow> exitLogic_;
    QPointer<ConfirmationWidget> exitWindow_;
    std::unique_ptr<WarningWindow> warningLogic_;
    QPointer<WarningWidget> warningWindow_;
    std::unique_ptr<AboutWindow> aboutLogic_;
    QPointer<AboutWidget> aboutWindow_;
    struct Message {
        std::string caption;
        std::string text;
        std::function<void()> answered;
    };
    // The message shown first, then those waiting.
    std::deque<Message> messages_;
    std::shared_ptr<NoticeWindow> noticeLogic_;
    QPointer<NoticeWidget> noticeWindow_;
    QPointer<LoadingBarWidget> loadingBar_;
    std::unique_ptr<OptionsMenus> options_;

    QTimer headPauseCooldown_;
    int headPauseCooldownTicks_ = 0;

    QSystemTrayIcon* trayIcon_ = nullptr;
    QMenu* trayMenu_ = nullptr;
    // The tray menu's items and their texts' keys, for a language change.
    std::vector<std::pair<QAction*, LexiconKey>> trayTexts_;
    // Each tray item's command, for enabling it.
    std::vector<std::pair<QAction*, MainWindowCommand>> trayCommands_;

    CompanionKeyboardWindow companionKeyboard_;
    bool shuttingDown_ = false;
};

}  // namespace veltranix
