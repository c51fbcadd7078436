#include "app/veltranix/program.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>

#include <QApplication>
#include <QMessageBox>

#include "app/shell/camera_messages.h"
#include "app/veltranix/desktop_screens.h"
#include "app/veltranix/following_clock_cursor.h"
#include "app/veltranix/input_channel.h"
#include "app/veltranix/macro_windows.h"
#include "app/veltranix/options_menus.h"
#include "app/veltranix/program_windows.h"
#include "app/veltranix/qt_macro_playback_display.h"
#include "capture/camera_source.h"
#include "core/desktop_layout.h"
#include "core/writable_folder.h"
#include "macros/macro_player.h"
#include "macros/macros_folder.h"
#include "macros/profiles.h"
#include "platform/linux/camera_factory.h"
#include "platform/linux/canberra_sound.h"
#include "platform/linux/dbus_companion_channel.h"
#include "platform/linux/dbus_control_channel.h"
#include "platform/linux/desktop_shell.h"
#include "platform/linux/file_settings_store.h"
#include "platform/linux/show_window_request.h"
#include "platform/linux/single_instance.h"
#include "platform/linux/system_clock.h"
#include "platform/linux/system_information.h"
#include "platform/linux/user_locale.h"
#include "platform/linux/x_cursors.h"
#include "platform/linux/x_desktop.h"
#include "platform/linux/x_display.h"
#include "platform/linux/x_keyboard_focus.h"
#include "pointer/pointer_actions.h"
#include "settings/install_folder.h"
#include "tracking/engine_stages.h"
#include "tracking/persistence_actions.h"
#include "tracking/stats_log.h"

namespace veltranix {
namespace {

constexpr int kFramePeriodMs = 40;
// Paced by the camera: the tick looks for the next frame within a
// millisecond of the last one's end, without spinning while it is decoded.
constexpr int kCameraPacedPeriodMs = 1;
// Where the pointer goes at exit, from where it is.
constexpr int kExitPointerShiftPixels = 50;
// Ten minutes at 25 frames a second: the measurements are short runs.
constexpr std::size_t kTimedFramesAtMost = 25 * 60 * 10;
// Every ten seconds at 25 frames a second.
constexpr std::uint64_t kTimingLogEveryFrames = 250;
// A message that ends the program before any window of ours exists closes by
// itself: nothing tracks the head yet to answer it.
constexpr int kExitMessageMs = 20000;

// Used when there is no session bus: the program runs, without its companion.
class NoCompanion : public CompanionPort {
  public:
    void broadcastTrackingStarted() override {}
    void showCompanionWindow(std::uint64_t) override {}
    void hideCompanionWindow(std::uint64_t) override {}
    void closeCompanionWindow(std::uint64_t) override {}
};

long long SteadyMs(std::chrono::steady_clock::time_point time) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
}

// The processor time of every thread of the program.
double ProcessCpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

UserDataLocations UserDataFromEnvironment() {
    UserDataLocations locations;
    if (const char* dataHome = std::getenv("XDG_DATA_HOME")) {
        locations.xdgDataHome = dataHome;
    }
    if (const std::optional<std::filesystem::path> home = UserHomeFolder()) {
        locations.home = home->string();
    }
    return locations;
}

}  // namespace

Program::Program(ProgramFolder folder, ProgramOptions options)
    : folder_(std::move(folder)),
      options_(std::move(options)),
      exitRequest_(options_.exitRequest != nullptr ? *options_.exitRequest : ownExitRequest_) {
    if (const char* timingLog = std::getenv("VELTRANIX_TIMING_LOG")) {
        timingLog_ = timingLog;
    }
    frameTimer_.setTimerType(Qt::PreciseTimer);
    frameTimer_.setInterval(options_.framePacing == FramePacing::Camera ? kCameraPacedPeriodMs
                                                                        : kFramePeriodMs);
    connect(&frameTimer_, &QTimer::timeout, this, [this] { onFrameTick(); });
}

Program::~Program() {
    shutdown();
}

bool Program::openPlatform() {
    std::string error;
    x_ = XDisplayConnection::Open("", &error);
    if (!x_) {
        std::fprintf(stderr, "veltranix: cannot reach the X display: %s\n", error.c_str());
        return false;
    }
    const SessionKind session = SessionKindFromEnvironment();
    // The desktop portal's approval is kept beside the settings store.
    const std::filesystem::path configFolder =
        options_.configDir.empty() ? StoreLocations::FromEnvironment().storeFile.parent_path()
                                   : std::filesystem::path(options_.configDir);
    input_ = InputChannel::Open(
        x_, session, configFolder.empty() ? configFolder : configFolder / "portal-restore-token",
        &error, &exitRequest_);
    cursors_ = XCursors::Create(x_);
    if (!input_ || !cursors_) {
        std::fprintf(stderr,
                     "veltranix: the X server lacks the XTest, XKB or XFixes extension that "
                     "moving the pointer needs\n");
        return false;
    }
    std::fprintf(stderr, "veltranix: pointer and keys through %s\n", input_->description().c_str());
    desktop_ = std::make_unique<DesktopScreens>(
        input_->desktop(), [this] { return XineramaHeads(*x_); }, [this] { desktopChanged(); });
    if (session == SessionKind::Wayland) {
        waylandCursor_ = std::make_unique<FollowingClockCursor>(input_->desktop(), *cursors_);
    }
    sound_ = std::make_unique<CanberraSound>();
    if (!sound_->problem().empty()) {
        std::fprintf(stderr, "veltranix: no sound output, the program plays no sounds: %s\n",
                     sound_->problem().c_str());
    }
    shell_ = std::make_unique<DesktopShell>();
    clock_ = std::make_unique<SystemClock>();
    return true;
}

std::optional<int> Program::start() {
    // The writable Macros folder: beside the program, else in the user's data folder.
    const std::optional<std::filesystem::path> macrosDir =
        PrepareMacrosFolder(folder_, UserDataFromEnvironment());
    if (!macrosDir) {
        std::fprintf(stderr, "veltranix: no writable folder for the macros\n");
        return 1;
    }
    // A second start shows the running program's window, and ends.
    if (IsAnotherInstanceRunning()) {
        std::string busError;
        if (AskRunningProgramToShowItsWindow(&busError)) {
            std::fprintf(stderr, "veltranix: Veltranix runs already; its window is shown\n");
        } else {
            std::fprintf(stderr,
                         "veltranix: Veltranix runs already, but cannot be asked to show its "
                         "window: %s\n",
                         busError.c_str());
        }
        return 0;
    }
    // An exit request ends start-up at the next step: after each one that
    // may wait (the desktop's approval, a message, the camera).
    const bool platformOpen = !exitRequest_.raised() && openPlatform();
    if (exitRequest_.raised()) {
        return 0;
    }
    if (!platformOpen) {
        return 1;
    }

    // Settings and language.
    StoreLocations locations = StoreLocations::FromEnvironment();
    if (!options_.configDir.empty()) {
        locations.storeFile = std::filesystem::path(options_.configDir) / "settings.store";
    }
    store_ = std::make_unique<FileSettingsStore>(locations);
    const StoreOpening opening = store_->open();
    storeWatch_ = std::make_unique<StoreSaveWatch>(*store_, [this] { showSaveFailure(); });
    persistence_ = std::make_unique<SettingsPersistence>(settings_, lexicon_, *storeWatch_, folder_,
                                                         *this, *this, UserInterfaceLanguageId());
    if (persistence_->LoadSystemSettings() == LexiconLoad::ExitProgram) {
        sayBeforeExit();
        return 0;
    }
    // A settings file that could not be read whole is said once, in words;
    // the program goes on with what was read and the defaults.
    if (opening == StoreOpening::CorruptSetAside || opening == StoreOpening::Unreadable ||
        opening == StoreOpening::PartlyLoaded) {
        showMessage(store_->lastError(), lexicon_.text(LexiconKey::E4));
    }
    if (exitRequest_.raised()) {
        return 0;
    }
    // A folder installed for all users had no installer run for this user:
    // the program records it, so that starting at log-on runs this installation.
    if (std::filesystem::exists(folder_.sharedInstallMarker()) &&
        RecordInstallFolder(*store_, folder_.root) != StoreStatus::Ok) {
        std::fprintf(stderr, "veltranix: cannot record the install folder: %s\n",
                     store_->lastError().c_str());
    }

    // The companion channel: the three messages and the start broadcast.
    std::string busError;
    companion_ = DbusCompanionChannel::Create(*this, x_, &busError);
    if (!companion_) {
        std::fprintf(stderr, "veltranix: no companion messages: %s\n", busError.c_str());
        silentCompanion_ = std::make_unique<NoCompanion>();
    }
    CompanionPort& companion =
        companion_ ? static_cast<CompanionPort&>(*companion_) : *silentCompanion_;

    // The current profile's macros.
    macroStore_ = std::make_unique<MacroFileStore>(macroSets_);
    profiles_ = std::make_unique<Profiles>(*macroStore_, *persistence_, settings_, *macrosDir,
                                           lexicon_, *this);
    profiles_->ChooseStartupProfile();
    if (exitRequest_.raised()) {
        return 0;
    }
    playbackDisplay_ = std::make_unique<QtMacroPlaybackDisplay>(
        [this](std::string text, std::function<void()> closed) {
            std::fprintf(stderr, "veltranix: %s\n", text.c_str());
            if (windows_ && !shutDown_) {
                windows_->showMessage(std::string(), std::move(text), std::move(closed));
            } else {
                closed();
            }
        });
    player_ = std::make_unique<MacroPlayer>(macroSets_, input_->keyboard(), *shell_, *clock_,
                                            lexicon_, *playbackDisplay_);

    // Windows, the pointer actions and the tracking loop.
    windows_ = std::make_unique<ProgramWindows>(ProgramWindowsServices{
        settings_, lexicon_, shared_, openWindows_, keyboards_, *desktop_, *shell_, folder_, *this,
        companion, [this] { return cameraDescription(); }, [this] { return input_->description(); },
        [this] { return programFigures(); }});
    keyboardFocus_ = std::make_unique<XKeyboardFocus>(x_);
    macroWindows_ = std::make_unique<MacroWindows>(MacroWindowsServices{
        settings_, lexicon_, openWindows_, *desktop_, *this, macroSets_, *macroStore_, *profiles_,
        input_->keyboard(), *keyboardFocus_, folder_});
    windows_->setMacroWindows(macroWindows_.get());
    actions_ = std::make_unique<PointerActions>(
        PointerActionPorts{input_->pointer(), *desktop_,
                           waylandCursor_ ? *waylandCursor_ : *cursors_, *sound_, *player_, *clock_,
                           windows_->clickMenuWindow(), windows_->windowAtPoint()},
        settings_, folder_, openWindows_, keyboards_);
    followDesktopScale();
    persistence_->LayoutWindows(settings_.tamany);
    calendar_ = std::make_unique<SystemCalendar>();
    systemInformation_ = std::make_unique<LinuxSystemInformation>();
    statsLog_ = std::make_unique<StatsLog>(StatsLogPorts{*clock_, *calendar_, *systemInformation_},
                                           lexicon_.debugSwitch,
                                           PrepareStatsFolder(folder_, UserDataFromEnvironment()));
    stages_ = std::make_unique<EngineTrackStages>(
        settings_, *actions_, *clock_, folder_.root / "faceDetector.xml", statsLog_.get());
    settingsActions_ = std::make_unique<PersistenceActions>(settings_, *persistence_);
    loop_ = std::make_unique<TrackingLoop>(
        settings_, shared_,
        TrackingLoopPorts{*clock_, *desktop_, companion, *windows_, *this, *settingsActions_},
        stages_->stages(), folder_.root / "faceDetector.xml");
    actions_->menu.RebuildCells();
    windows_->attach(*loop_, *actions_);
    windows_->attachOptionsMenus(
        {*persistence_, lexicon_, stages_->gestures().testSwitches(), *this});
    windows_->attachStores(*persistence_, macroSets_);
    windows_->createMainWindow();
    remoteControl_ = std::make_unique<RemoteControl>(RemoteControlParts{
        *windows_, windows_->mainWindowLogic(), shared_, openWindows_, *actions_, *player_,
        *profiles_,
        [this] { return figures_.framesPerSecond(SteadyMs(std::chrono::steady_clock::now())); },
        [this] { return input_->description(); }});
    if (companion_) {
        control_ = std::make_unique<DbusControlChannel>(*companion_, *remoteControl_);
    } else {
        std::fprintf(stderr, "veltranix: no control interface for other programs: %s\n",
                     busError.c_str());
    }
    std::string showError;
    showWindowService_ =
        ShowWindowService::Register([this] { windows_->showOnRequest(); }, &showError);
    if (!showWindowService_) {
        std::fprintf(stderr, "veltranix: a second start cannot show this window: %s\n",
                     showError.c_str());
    }

    // The lexicon load has read config.ini's desktop switch ("metro"); it
    // shows a tablet start screen's desktop, which this desktop does not have,
    // so nothing is switched.

    if (!openCamera() || exitRequest_.raised()) {
        if (!exitRequest_.raised()) {
            sayBeforeExit();
        }
        return 0;
    }
    if (statsLog_) {
        FrameLayout layout = FrameLayout::Rgb24BottomUp;
        if (offsetTable_) {
            layout = offsetTable_->layout();
        }
        statsLog_->WriteHeader(layout);
    }
    if (options_.demo) {
        windows_->setNotice(lexicon_.text(LexiconKey::DemoCamera));
    }
    windows_->showStartup();
    windowsShown_ = true;
    for (auto& [caption, text] : startupMessages_) {
        windows_->showMessage(std::move(caption), std::move(text));
    }
    startupMessages_.clear();
    frameTimer_.start();
    if (options_.openMacroEditor) {
        QMetaObject::invokeMethod(
            this, [this] { windows_->openMacroEditor(); }, Qt::QueuedConnection);
    }
    return std::nullopt;
}

bool Program::openCamera() {
    // --camera for this run, else the stored camera while it is plugged in.
    const bool stored = options_.camera.empty() && !settings_.cameraPath.empty();
    cameraArgument_ = CameraToOpen(options_.camera, settings_.cameraPath,
                                   stored ? ListCaptureDevices() : std::vector<CaptureDevice>{});
    OpenedCamera opened =
        OpenCamera(cameraArgument_, folder_.root, CameraStart::KeepTrying, options_.extraCameras);
    if (!opened.source) {
        showCameraFailure(opened.error);
        return false;
    }
    camera_ = std::move(opened.source);
    if (opened.waiting) {
        // Absent, busy or failing: the program starts anyway and says so;
        // the source opens the camera when it can, and tracking starts then.
        cameraWaiting_ = true;
        const std::string words =
            lexicon_.text(LexiconKey::CameraWaiting) + " " +
            (opened.error.step.empty() ? "no video capture device" : opened.error.step);
        std::fprintf(stderr, "veltranix: %s\n", words.c_str());
        windows_->setCameraWaiting(words);
        cameraHealth_ = CameraHealth::Lost;
        windows_->setCameraHealth(cameraHealth_);
        return true;
    }
    std::fprintf(stderr, "veltranix: camera %s\n", camera_->description().c_str());
    return true;
}

CameraChoices Program::listCameras() {
    const std::vector<CaptureDevice> devices = ListCaptureDevices();
    CameraChoices choices;
    for (const CaptureDevice& device : ChoosableCameras(devices)) {
        choices.cameras.push_back({device.stablePath, device.card});
    }
    if (const CaptureDevice* inUse = DeviceFor(cameraArgument_, devices)) {
        choices.pathInUse = inUse->stablePath;
    }
    return choices;
}

void Program::openStoredCamera() {
    // Once the menu has closed; never inside a frame.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (shutDown_) {
                return;
            }
            // The user's choice ends what --camera and --demo asked for this run.
            options_.camera.clear();
            if (options_.demo) {
                options_.demo = false;
                windows_->setNotice({});
            }
            camera_.reset();
            if (cameraWaiting_) {
                cameraWaiting_ = false;
                windows_->setCameraWaiting({});
            }
            cameraRecoveries_ = 0;
            if (openCamera()) {
                // Another picture: tracking starts again from the beginning.
                shared_.state.store(TrackingState::Reset);
            }
        },
        Qt::QueuedConnection);
}

void Program::showCameraFailure(const CameraOpenError& error) {
    const std::string text = CameraFailureMessage(error, lexicon_);
    showMessage(text, lexicon_.text(LexiconKey::E4));
}

void Program::showWaylandNotice() {
    if (input_ && input_->reachesEveryWindow()) {
        return;
    }
    showMessage(lexicon_.text(LexiconKey::WaylandNotice), "Veltranix");
}

void Program::showSaveFailure() {
    showMessage("The settings could not be saved (" + store_->lastError() +
                    "). They stay in use and are saved with the next change.",
                lexicon_.text(LexiconKey::E4));
}

void Program::sayBeforeExit() {
    for (const auto& [caption, text] : startupMessages_) {
        if (shutDown_) {
            break;
        }
        // No tracking runs yet, so this loop holds nothing up; it ends by
        // itself, with a hand's OK, or with an exit request.
        QMessageBox box(QMessageBox::Warning, QString::fromStdString(caption),
                        QString::fromStdString(text), QMessageBox::Ok);
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        QTimer::singleShot(kExitMessageMs, &box, &QMessageBox::accept);
        box.exec();
    }
    startupMessages_.clear();
}

std::string Program::cameraDescription() const {
    return camera_ ? camera_->description() : std::string();
}

std::vector<std::string> Program::programFigures() {
    const long long nowMs = SteadyMs(std::chrono::steady_clock::now());
    const double cpuSeconds = ProcessCpuSeconds();
    if (!figures_.measuring()) {
        figures_.start(nowMs, cpuSeconds);
    }
    return figures_.Lines(lexicon_, nowMs, cpuSeconds, cameraDescription());
}

void Program::onFrameTick() {
    // The loop is never re-entered.
    if (inFrame_ || shutDown_) {
        return;
    }
    // Whatever changed the state since the last tick: the loop, a window, a request.
    if (control_) {
        control_->announceState(TrackingStateName(shared_.state.load()));
    }
    // A timed press ends on time whether frames come or not.
    if (actions_) {
        actions_->clicks.AdvanceTimedPress();
    }
    if (!camera_) {
        return;
    }
    const CameraStatus status = camera_->status();
    if (status.health != CameraHealth::Streaming && actions_ && actions_->clicks.timedPressHeld()) {
        // No picture, no way to see the user: the button goes up at once.
        actions_->clicks.ReleaseTimedPress();
    }
    // While waiting for the first frame the window keeps the waiting words.
    if (!cameraWaiting_ && status.health != cameraHealth_) {
        cameraHealth_ = status.health;
        windows_->setCameraHealth(status.health);
        if (status.health != CameraHealth::Streaming) {
            const LexiconKey key = status.health == CameraHealth::Frozen ? LexiconKey::CameraFrozen
                                                                         : LexiconKey::CameraLost;
            std::fprintf(stderr, "veltranix: %s\n", lexicon_.text(key).c_str());
        }
    }
    if (status.recoveries != cameraRecoveries_) {
        // Frames are back after a loss: tracking starts again from the beginning.
        cameraRecoveries_ = status.recoveries;
        shared_.state.store(TrackingState::Reset);
    }
    const auto handedOver = std::chrono::steady_clock::now();
    FrameLayout layout = FrameLayout::Rgb24BottomUp;
    if (!camera_->takeNewestFrame(frameBytes_, layout)) {
        return;
    }
    if (cameraWaiting_) {
        cameraWaiting_ = false;
        windows_->setCameraWaiting({});
        std::fprintf(stderr, "veltranix: camera %s\n", camera_->description().c_str());
    }
    if (!offsetTable_ || offsetTable_->layout() != layout) {
        offsetTable_ = PixelOffsetTable::Build(static_cast<std::uint32_t>(layout));
    }
    CaptureFrame frame{frameBytes_, layout};
    windows_->offerStillFrame(frame);
    inFrame_ = true;
    loop_->OnFrame(frame, *offsetTable_);
    inFrame_ = false;
    const double frameMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - handedOver)
            .count();
    if (!timingLog_.empty() && frameMs_.size() < kTimedFramesAtMost) {
        frameMs_.push_back(frameMs);
    }
    if (figures_.measuring() && !openWindows_.about) {
        figures_.stop();
    }
    figures_.addFrame(SteadyMs(handedOver), frameMs);
    // Long runs read the count of frames processed while the program runs.
    if (++framesProcessed_ % kTimingLogEveryFrames == 0) {
        writeTimingLog();
    }
    // While nobody is in view, the frames the loop skips are not shown either.
    if (loop_->lastFrame().processed || !loop_->nobodyHere()) {
        windows_->showCameraFrame(frame);
    }
}

void Program::executeTestClickRequest() {
    if (options_.testClickRequest && actions_ && !shutDown_) {
        actions_->clicks.ExecuteClick(*options_.testClickRequest);
    }
}

void Program::showMessage(std::string_view text, std::string_view caption) {
    // Also in the journal, for whoever helps the user.
    std::fprintf(stderr, "veltranix: %.*s\n", static_cast<int>(text.size()), text.data());
    // Returns at once: tracking, the dwell clock and the clicks go on, and
    // the user answers with the head.
    if (windowsShown_ && windows_) {
        windows_->showMessage(std::string(caption), std::string(text));
    } else {
        startupMessages_.emplace_back(caption, text);
    }
}

void Program::requestShutdown() {
    exitRequest_.raise();
    QCoreApplication::exit(0);
}

void Program::followDesktopScale() {
    // Qt scales itself (QT_SCALE_FACTOR, and Xft.dpi on its own terms); a
    // scaled session's Xft.dpi counts where Qt does not follow it.
    const double resourceScale = DesktopScaleForDpi(XftDpiFromResources(RootResources(*x_)));
    settings_.desktopScale =
        static_cast<float>(std::max(desktop_->devicePixelRatio(), resourceScale));
}

void Program::desktopChanged() {
    if (!windows_ || !actions_) {
        return;
    }
    followDesktopScale();
    settings_.sizeFactor = WindowSizeFactor(settings_.tamany, settings_);
    actions_->menu.Hide();
    rebuildLayout(LayoutTarget::MainWindow);
    rebuildLayout(LayoutTarget::ClickTypeMenu);
    windows_->relayoutPopups();
}

void Program::rebuildLayout(LayoutTarget target) {
    if (target == LayoutTarget::ClickTypeMenu && actions_) {
        actions_->menu.RebuildCells();
    }
    if (windows_) {
        windows_->rebuildLayout(target);
    }
}

void Program::companionMessage(const CompanionMessage& message) {
    switch (message.kind) {
        case CompanionMessageKind::KeyboardRectangle:
        case CompanionMessageKind::MacroKeyboardRectangle:
            ApplyKeyboardMessage(keyboards_, message);
            break;
        case CompanionMessageKind::CompanionShown:
            if (windows_) {
                windows_->setCompanionWindow(message.wParam);
            }
            break;
        case CompanionMessageKind::CompanionHidden:
            if (windows_) {
                windows_->setCompanionHidden();
            }
            if (persistence_) {
                persistence_->ApplyWebcamSettings();
            }
            break;
        case CompanionMessageKind::Ignored:
        case CompanionMessageKind::TrackingStarted:
            break;
    }
}

void Program::companionGone() {
    keyboards_ = KeyboardCooperation{};
    if (windows_) {
        windows_->forgetCompanion();
    }
}

void Program::shutdown() {
    if (shutDown_) {
        return;
    }
    shutDown_ = true;
    frameTimer_.stop();
    control_.reset();
    showWindowService_.reset();
    if (windows_) {
        windows_->hideMainWindow();
        windows_->closeCompanion();
    }
    // Nothing of ours may stay on the user's desktop: the clock cursor, a
    // held button (a drag, a timed press), the pointer on our window.
    if (cursors_) {
        cursors_->restoreSystemCursors();
    }
    if (actions_) {
        actions_->clicks.ReleaseHeldButtons();
        if (input_) {
            const ScreenPoint pointer = input_->desktop().pointerPosition();
            actions_->clicks.PlacePointer(
                {pointer.x - kExitPointerShiftPixels, pointer.y - kExitPointerShiftPixels});
        }
    }
    if (windows_) {
        windows_->closeForShutdown();
    }
    macroWindows_.reset();
    if (player_) {
        // A macro with a long pause, or an open error box, never holds the exit.
        player_->requestStop();
        player_->waitUntilFinished(MacroPlayer::kShutdownWait);
    }
    if (playbackDisplay_) {
        playbackDisplay_->closeAll();
    }
    camera_.reset();
    writeTimingLog();
    QCoreApplication::exit(0);
}

void Program::writeTimingLog() const {
    if (timingLog_.empty()) {
        return;
    }
    std::ofstream(timingLog_) << TimingLogText(frameMs_, framesProcessed_);
}

}  // namespace veltranix
