#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <QObject>
#include <QTimer>

#include "app/shell/program_figures.h"
#include "app/shell/remote_control.h"
#include "app/shell/webcam_options_menu.h"
#include "capture/camera_source.h"
#include "capture/capture_frame.h"
#include "core/companion_messages.h"
#include "core/exit_request.h"
#include "core/program_folder.h"
#include "core/user_interface_port.h"
#include "macros/macro_file.h"
#include "macros/macro_set.h"
#include "platform/linux/camera_factory.h"
#include "pointer/open_windows.h"
#include "settings/lexicon.h"
#include "settings/settings.h"
#include "settings/settings_persistence.h"
#include "settings/store_save_watch.h"
#include "tracking/tracking_loop.h"

namespace veltranix {

class CanberraSound;
class DesktopScreens;
class DesktopShell;
class EngineTrackStages;
class MacroPlayer;
class PersistenceActions;
class Profiles;
class ProgramWindows;
class QtMacroPlaybackDisplay;
class StatsLog;
class SystemCalendar;
class LinuxSystemInformation;
class MacroWindows;
class XKeyboardFocus;
class SystemClock;
class XCursors;
class XDisplayConnection;
class InputChannel;
class FileSettingsStore;
class DbusCompanionChannel;
class DbusControlChannel;
class ShowWindowService;
struct PointerActions;

// What paces the frame tick: the 40 ms clock, or (for tests: long runs that
// fit) the camera, the next frame as soon as the last has been taken.
enum class FramePacing { Clock, Camera };

struct ProgramOptions {
    // What --camera named, for this run; empty: the stored camera, else the first.
    std::string camera;
    // Cameras this build opens beside devices and videos.
    std::vector<ExtraCameraSource> extraCameras;
    // The settings folder, when --config-dir named one (else the XDG default).
    std::string configDir;
    // The camera is the bundled demo video: the start-up form says so.
    bool demo = false;
    // For tests: the macro editor opens once the program has started, and
    // SIGUSR1 executes this click request (20 to 25 play a macro).
    bool openMacroEditor = false;
    std::optional<int> testClickRequest;
    FramePacing framePacing = FramePacing::Clock;
    // Raised by SIGTERM and SIGINT (owned by main); null: the program's own,
    // raised only by requestShutdown.
    ExitRequest* exitRequest = nullptr;
};

// The running program: start-up, the 40 ms frame tick, the companion
// messages and shutdown. Owns every long-lived object; lives on the GUI
// thread for the whole run.
class Program final : public QObject,
                      public UserInterfacePort,
                      public SettingsObserver,
                      public CompanionMessageReceiver,
                      public CameraChoicePort {
  public:
    Program(ProgramFolder folder, ProgramOptions options);
    ~Program() override;

    // Runs start-up. An exit code when the program ends during start-up (a
    // second instance, missing files, a --camera that names no camera); none
    // when the event loop is to run (also while it waits for a camera).
    std::optional<int> start();
    // An exit request (SIGTERM, SIGINT, requestShutdown) ends it too, with code
    // 0, at its next step.

    // The shutdown sequence; ends the event loop with exit code 0. Safe to
    // call more than once; called once the event loop has ended, never from
    // inside a window's handler.
    void shutdown();

    // UserInterfacePort.
    void showMessage(std::string_view text, std::string_view caption) override;
    // Raises the exit request and ends every running event loop: a handler
    // waiting in a nested one returns first, then the main loop ends and
    // main() runs shutdown(); during start-up, start() stops at its next step.
    void requestShutdown() override;
    // SettingsObserver.
    void rebuildLayout(LayoutTarget target) override;
    void webcamSettingsApplied() override {}
    // CompanionMessageReceiver.
    void companionMessage(const CompanionMessage& message) override;
    void companionGone() override;
    // CameraChoicePort.
    CameraChoices listCameras() override;
    void openStoredCamera() override;

    // In a Wayland session the pointer reaches only X11 windows: said once, in words.
    void showWaylandNotice();
    // Settings that could not be saved: said in words, without stopping tracking.
    void showSaveFailure();

    // For the windows: the camera's name and format.
    std::string cameraDescription() const;
    // For the about window: its figures' lines; measuring starts with the
    // first call and ends when the window closes.
    std::vector<std::string> programFigures();
    // The click request that --test-click-request named, executed now.
    void executeTestClickRequest();

  private:
    bool openPlatform();
    // The desktop's scale and the largest size factor its work area holds.
    void followDesktopScale();
    // A monitor added, removed or resized: the windows are laid out again.
    void desktopChanged();
    bool openCamera();
    void onFrameTick();
    void showCameraFailure(const CameraOpenError& error);
    void writeTimingLog() const;
    // What ends the program during start-up, said before it ends.
    void sayBeforeExit();

    ProgramFolder folder_;
    ProgramOptions options_;
    ExitRequest ownExitRequest_;
    ExitRequest& exitRequest_;

    std::shared_ptr<XDisplayConnection> x_;
    std::unique_ptr<InputChannel> input_;
    // The input channel's desktop with Qt's monitors.
    std::unique_ptr<DesktopScreens> desktop_;
    std::unique_ptr<XCursors> cursors_;
    // The clock cursor where XFixes cannot reach (Wayland); null on X11.
    std::unique_ptr<CursorPort> waylandCursor_;
    std::unique_ptr<CanberraSound> sound_;
    std::unique_ptr<DesktopShell> shell_;
    std::unique_ptr<SystemClock> clock_;
    std::unique_ptr<DbusCompanionChannel> companion_;
    std::unique_ptr<CompanionPort> silentCompanion_;

    std::unique_ptr<FileSettingsStore> store_;
    std::unique_ptr<StoreSaveWatch> storeWatch_;
    Settings settings_;
    Lexicon lexicon_;
    std::unique_ptr<SettingsPersistence> persistence_;

    MacroSets macroSets_;
    std::unique_ptr<MacroFileStore> macroStore_;
    std::unique_ptr<Profiles> profiles_;
    std::unique_ptr<QtMacroPlaybackDisplay> playbackDisplay_;
    std::unique_ptr<MacroPlayer> player_;

    OpenWindows openWindows_;
    KeyboardCooperation keyboards_;
    TrackingShared shared_;
    std::unique_ptr<ProgramWindows> windows_;
    // A second start's request to show the main window.
    std::unique_ptr<ShowWindowService> showWindowService_;
    std::unique_ptr<XKeyboardFocus> keyboardFocus_;
    std::unique_ptr<MacroWindows> macroWindows_;
    std::unique_ptr<PointerActions> actions_;
    std::unique_ptr<SystemCalendar> calendar_;
    std::unique_ptr<LinuxSystemInformation> systemInformation_;
    std::unique_ptr<StatsLog> statsLog_;
    std::unique_ptr<EngineTrackStages> stages_;
    std::unique_ptr<PersistenceActions> settingsActions_;
    std::unique_ptr<TrackingLoop> loop_;
    // Other programs' requests on the session bus; none without a bus.
    std::unique_ptr<RemoteControl> remoteControl_;
    std::unique_ptr<DbusControlChannel> control_;

    std::unique_ptr<CameraSource> camera_;
    // What the camera was opened from: a device, a video, an extra source; empty: the first camera.
    std::string cameraArgument_;
    std::optional<PixelOffsetTable> offsetTable_;
    std::vector<std::uint8_t> frameBytes_;
    CameraHealth cameraHealth_ = CameraHealth::Streaming;
    // Started without a camera: its source keeps trying until the first frame.
    bool cameraWaiting_ = false;
    std::uint64_t cameraRecoveries_ = 0;
    QTimer frameTimer_;
    // With VELTRANIX_TIMING_LOG set: how long each frame took from its hand-over
    // by the camera to the pointer's move, and how many frames were processed,
    // written there every ten seconds and at shutdown.
    std::string timingLog_;
    std::vector<double> frameMs_;
    std::uint64_t framesProcessed_ = 0;
    ProgramFigures figures_;
    bool inFrame_ = false;
    // Messages said before the windows are shown: shown once they are, or
    // said before an exit during start-up.
    std::vector<std::pair<std::string, std::string>> startupMessages_;
    bool windowsShown_ = false;
    bool shutDown_ = false;
};

}  // namespace veltranix
