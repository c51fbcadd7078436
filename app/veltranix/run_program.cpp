// The hands-free pointer's start-up, its event loop and the ways the program
// ends (its exit window, SIGTERM, SIGINT).
#include <fcntl.h>
#include <unistd.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <QApplication>
#include <QSocketNotifier>
#include <opencv2/core/utility.hpp>

#include "app/veltranix/program.h"
#include "app/veltranix/run_program.h"
#include "core/exit_request.h"
#include "core/version.h"
#include "platform/linux/camera_factory.h"

namespace {

int signalPipe[2] = {-1, -1};
// Raised by SIGTERM and SIGINT from the first moment on; start-up ends at its
// next step, the running program once its event loop has ended.
veltranix::ExitRequest exitRequest;
QtMessageHandler defaultMessageHandler = nullptr;

// Qt reports a lost X server with this warning and then calls exit(), whose
// static destructors would run while the camera thread still uses them. The
// session is over and every setting is saved: the process ends at once.
void EndOnLostDisplay(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (defaultMessageHandler != nullptr) {
        defaultMessageHandler(type, context, message);
    }
    if (message.startsWith(QLatin1String("The X11 connection broke"))) {
        std::fprintf(stderr, "veltranix: the X display closed; the program ends\n");
        std::fflush(stderr);
        _exit(1);
    }
}

constexpr char kTerminate = 1;
constexpr char kTestClickRequest = 2;

void OnTestClickSignal(int) {
    const char byte = kTestClickRequest;
    [[maybe_unused]] const ssize_t written = write(signalPipe[1], &byte, 1);
}

void OnTerminationSignal(int) {
    // Only async-signal-safe work here: the event loop does the rest.
    exitRequest.raise();
    if (signalPipe[1] >= 0) {
        const char byte = kTerminate;
        [[maybe_unused]] const ssize_t written = write(signalPipe[1], &byte, 1);
    }
}

void PrintUsage(std::FILE* out) {
    std::fprintf(out,
                 "usage: veltranix [--camera DEVICE|FILE] [--demo] "
                 "[--config-dir DIR] [--list-cameras] [--version]\n"
                 "  --camera DEVICE   a V4L2 capture device such as /dev/video0, for this run "
                 "(default: the one chosen in the webcam options, else the first colour one)\n"
                 "  --camera FILE     a video file played as the camera, looping\n"
                 "  --demo            the bundled demo video as the camera\n"
                 "  --config-dir DIR  keep the settings in DIR instead of ~/.config/veltranix\n"
                 "  --list-cameras    list the capture devices and end\n"
                 "  --open-macro-editor         (tests) open the macro editor at start\n"
                 "  --test-click-request N      (tests) SIGUSR1 executes click request N\n"
                 "  --camera-paced              (tests) the next frame as soon as the last is "
                 "taken, not every 40 ms\n");
}

bool WaylandSession() {
    const char* sessionType = std::getenv("XDG_SESSION_TYPE");
    const char* waylandDisplay = std::getenv("WAYLAND_DISPLAY");
    return (sessionType != nullptr && std::string_view(sessionType) == "wayland") ||
           (waylandDisplay != nullptr && *waylandDisplay != '\0');
}

}  // namespace

int veltranix::RunProgram(int argc, char** argv, std::vector<ExtraCameraSource> extraCameras) {
    veltranix::ProgramOptions options;
    options.extraCameras = std::move(extraCameras);
    bool demo = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        auto value = [&](const char* name) -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "veltranix: %s needs a value\n", name);
                std::exit(2);
            }
            return argv[++i];
        };
        if (argument == "--camera") {
            options.camera = value("--camera");
        } else if (argument == "--config-dir") {
            options.configDir = value("--config-dir");
        } else if (argument == "--open-macro-editor") {
            options.openMacroEditor = true;
        } else if (argument == "--test-click-request") {
            options.testClickRequest = std::atoi(value("--test-click-request"));
        } else if (argument == "--camera-paced") {
            options.framePacing = veltranix::FramePacing::Camera;
        } else if (argument == "--demo") {
            demo = true;
        } else if (argument == "--version") {
            veltranix::PrintVersion("veltranix");
            return 0;
        } else if (argument == "--list-cameras") {
            for (const veltranix::CaptureDevice& device : veltranix::ListCaptureDevices()) {
                std::printf("%s\t%s\n", device.path.c_str(), device.card.c_str());
            }
            return 0;
        } else if (argument == "--help" || argument == "-h") {
            PrintUsage(stdout);
            return 0;
        } else {
            std::fprintf(stderr, "veltranix: unknown argument %s\n", argv[i]);
            PrintUsage(stderr);
            return 2;
        }
    }

    const std::filesystem::path programFolder =
        std::filesystem::canonical("/proc/self/exe").parent_path();
    if (demo) {
        options.demo = true;
        options.camera = veltranix::DemoVideo(programFolder).string();
    }
    if (!options.camera.empty() && options.camera.find(':') == std::string::npos &&
        std::filesystem::exists(options.camera)) {
        options.camera = std::filesystem::absolute(options.camera).string();
    }

    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        std::fprintf(stderr,
                     "veltranix: no X display (DISPLAY is not set): start it from an X11 or "
                     "XWayland desktop session\n");
        return 1;
    }
    // From here on an exit request is kept, and start-up ends at its next step.
    std::signal(SIGTERM, OnTerminationSignal);
    std::signal(SIGINT, OnTerminationSignal);
    // OpenCV's worker threads spin between the small conversions of each frame
    // and cost more than they save: its work stays on the thread that asks.
    cv::setNumThreads(0);
    // The pointer, the cursors and the windows' placement all go through X.
    qputenv("QT_QPA_PLATFORM", "xcb");
    defaultMessageHandler = qInstallMessageHandler(EndOnLostDisplay);
    QApplication application(argc, argv);
    application.setApplicationName("Veltranix");
    application.setQuitOnLastWindowClosed(false);
    options.exitRequest = &exitRequest;

    veltranix::Program program(veltranix::ProgramFolder{programFolder}, options);
    if (pipe2(signalPipe, O_CLOEXEC) == 0 && options.testClickRequest) {
        std::signal(SIGUSR1, OnTestClickSignal);
    }
    if (signalPipe[0] < 0) {
        // Nothing would hand the request to the event loop: the signals end the process.
        std::signal(SIGTERM, SIG_DFL);
        std::signal(SIGINT, SIG_DFL);
    }
    QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &program, [&] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = read(signalPipe[0], &byte, 1);
        if (byte == kTestClickRequest) {
            program.executeTestClickRequest();
        } else {
            // Never from inside a window's handler: the loops end first.
            program.requestShutdown();
        }
    });

    if (const std::optional<int> early = program.start()) {
        return *early;
    }
    if (WaylandSession()) {
        program.showWaylandNotice();
    }
    if (exitRequest.raised()) {
        return 0;
    }
    const int code = application.exec();
    program.shutdown();
    return code;
}
