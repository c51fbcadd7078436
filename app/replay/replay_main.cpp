// veltranix-replay: runs the tracking engine on a recorded video with a
// simulated clock (40 ms per frame); pointer, cursor, sound and window
// requests are recorded instead of acted on.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

#include "capture/capture_frame.h"
#include "core/settings_store.h"
#include "platform/linux/file_settings_store.h"
#include "settings/lexicon.h"
#include "settings/settings.h"
#include "settings/settings_persistence.h"
#include "tracking/default_stages.h"
#include "tracking/headless_ports.h"
#include "tracking/manual_clock.h"
#include "tracking/tracking_loop.h"

namespace veltranix {
namespace {

struct Options {
    std::string video;
    long frames = -1;
    bool loop = false;
    ScreenSize screen{1280, 1024};
    std::string configDir;
    std::vector<std::pair<std::string, std::int32_t>> sets;
    std::string overlay;
    std::string trace;
};

int Fail(const std::string& message) {
    std::fprintf(stderr, "veltranix-replay: %s\n", message.c_str());
    return 2;
}

std::optional<long> ParseNumber(std::string_view text) {
    if (text.empty() || text.size() > 9) {
        return std::nullopt;
    }
    long value = 0;
    bool negative = false;
    std::size_t i = 0;
    if (text[0] == '-') {
        negative = true;
        i = 1;
    }
    if (i == text.size()) {
        return std::nullopt;
    }
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return std::nullopt;
        }
        value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

// Empty on success, else the error.
std::string ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view name = argv[i];
        auto value = [&]() -> std::optional<std::string_view> {
            if (i + 1 >= argc) {
                return std::nullopt;
            }
            return std::string_view(argv[++i]);
        };
        if (name == "--loop") {
            options.loop = true;
            continue;
        }
        const std::optional<std::string_view> text = value();
        if (!text) {
            return "option " + std::string(name) + " needs a value";
        }
        if (name == "--video") {
            options.video = *text;
        } else if (name == "--frames") {
            const std::optional<long> frames = ParseNumber(*text);
            if (!frames || *frames < 0) {
                return "--frames needs a whole number, not \"" + std::string(*text) + "\"";
            }
            options.frames = *frames;
        } else if (name == "--screen") {
            const std::size_t x = text->find('x');
            const std::optional<long> width =
                x == std::string_view::npos ? std::nullopt : ParseNumber(text->substr(0, x));
            const std::optional<long> height =
                x == std::string_view::npos ? std::nullopt : ParseNumber(text->substr(x + 1));
            if (!width || !height || *width < 100 || *height < 100) {
                return "--screen needs WIDTHxHEIGHT (at least 100x100), not \"" +
                       std::string(*text) + "\"";
            }
            options.screen = {static_cast<int>(*width), static_cast<int>(*height)};
        } else if (name == "--config-dir") {
            options.configDir = *text;
        } else if (name == "--set") {
            const std::size_t equals = text->find('=');
            const std::optional<long> number = equals == std::string_view::npos
                                                   ? std::nullopt
                                                   : ParseNumber(text->substr(equals + 1));
            if (equals == 0 || !number) {
                return "--set needs NAME=INTEGER, not \"" + std::string(*text) + "\"";
            }
            options.sets.emplace_back(std::string(text->substr(0, equals)),
                                      static_cast<std::int32_t>(*number));
        } else if (name == "--overlay") {
            options.overlay = *text;
        } else if (name == "--trace") {
            options.trace = *text;
        } else {
            return "unknown option " + std::string(name);
        }
    }
    if (options.video.empty()) {
        return "--video FILE is required";
    }
    if (options.configDir.empty()) {
        return "--config-dir DIR is required";
    }
    return {};
}

// Centre-crops to 4:3 and scales to 640 x 480.
void ToCameraFrame(const cv::Mat& input, cv::Mat& output) {
    int width = input.cols;
    int height = input.rows;
    if (width * 3 > height * 4) {
        width = height * 4 / 3;
    } else {
        height = width * 3 / 4;
    }
    const cv::Rect crop((input.cols - width) / 2, (input.rows - height) / 2, width, height);
    cv::resize(input(crop), output, cv::Size(kFrameWidth, kFrameHeight), 0, 0, cv::INTER_AREA);
}

void ToBottomUpRgb(const cv::Mat& bgr, std::vector<std::uint8_t>& bytes) {
    bytes.resize(FrameBufferBytes(FrameLayout::Rgb24BottomUp));
    for (int y = 0; y < kFrameHeight; ++y) {
        const std::uint8_t* row = bgr.ptr<std::uint8_t>(y);
        std::copy(
            row, row + kFrameWidth * 3,
            bytes.begin() + static_cast<std::ptrdiff_t>(kFrameHeight - 1 - y) * kFrameWidth * 3);
    }
}

void FromBottomUpRgb(const std::vector<std::uint8_t>& bytes, cv::Mat& bgr) {
    bgr.create(kFrameHeight, kFrameWidth, CV_8UC3);
    for (int y = 0; y < kFrameHeight; ++y) {
        const std::uint8_t* row =
            bytes.data() + static_cast<std::ptrdiff_t>(kFrameHeight - 1 - y) * kFrameWidth * 3;
        std::copy(row, row + kFrameWidth * 3, bgr.ptr<std::uint8_t>(y));
    }
}

// Saves the calibrated levels through the settings persistence.
class PersistenceActions : public TrackingSettingsActions {
  public:
    PersistenceActions(Settings& settings, SettingsPersistence& persistence)
        : settings_(settings), persistence_(persistence) {}
    void saveGestureLevels(std::int32_t nivellUll, std::int32_t nivellBoca) override {
        settings_.nivellUll = nivellUll;
        settings_.nivellBoca = nivellBoca;
        persistence_.SaveGestureLevels();
    }
    void applyWebcamSettings() override { persistence_.ApplyWebcamSettings(); }

  private:
    Settings& settings_;
    SettingsPersistence& persistence_;
};

// Writes an integer value into whichever settings group holds that name.
bool SetByRegistryName(SettingsStore& store, const std::string& name, std::int32_t value) {
    for (const char* key : {store_keys::kWebcam, store_keys::kMouse, store_keys::kSystem}) {
        if (store.readValue(key, name)) {
            return WriteInteger(store, key, name, value) == StoreStatus::Ok;
        }
    }
    return false;
}

std::string Cell(const std::optional<double>& value) {
    if (!value) {
        return "";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", *value);
    return text;
}

template <typename Number>
std::string Whole(const std::optional<Number>& value) {
    return value ? std::to_string(*value) : std::string();
}

int Run(const Options& options) {
    if (!std::filesystem::is_regular_file(options.video)) {
        return Fail("no such video file: " + options.video);
    }
    cv::VideoCapture video(options.video);
    if (!video.isOpened()) {
        return Fail("cannot read the video " + options.video);
    }
    std::error_code error;
    std::filesystem::create_directories(options.configDir, error);
    if (error) {
        return Fail("cannot create the settings folder " + options.configDir);
    }
    const std::filesystem::path programFolder =
        std::filesystem::canonical("/proc/self/exe").parent_path();

    FileSettingsStore store({std::filesystem::path(options.configDir) / "settings.store",
                             std::filesystem::path(options.configDir) / "autostart"});
    if (store.open() == StoreOpening::Unreadable) {
        return Fail("cannot read the settings store in " + options.configDir);
    }
    Settings settings;
    Lexicon lexicon;
    HeadlessUserInterface userInterface;
    SettingsObserver observer;
    SettingsPersistence persistence(settings, lexicon, store, ProgramFolder{programFolder},
                                    userInterface, observer, kLanguageSpanish);
    if (persistence.LoadSystemSettings() == LexiconLoad::ExitProgram) {
        return Fail("cannot load the lexicon beside the program");
    }
    persistence.LayoutWindows(settings.tamany);
    for (const auto& [name, value] : options.sets) {
        if (!SetByRegistryName(store, name, value)) {
            return Fail("no settings value named " + name);
        }
    }
    if (!options.sets.empty()) {
        persistence.LoadSystemSettings();
        persistence.LayoutWindows(settings.tamany);
    }

    ManualClock clock(SystemTime{12, 0, 0, 0});
    HeadlessDesktop desktop(options.screen);
    HeadlessPointerInput input(desktop);
    HeadlessCursors cursors;
    HeadlessCompanion companion;
    HeadlessTrackingWindows windows;
    PersistenceActions actions(settings, persistence);
    DefaultTrackStages stages(input);
    TrackingShared shared;
    TrackingLoop loop(settings, shared,
                      {clock, desktop, cursors, companion, windows, userInterface, actions},
                      stages.stages(), programFolder / "faceDetector.xml");
    const PixelOffsetTable table = *PixelOffsetTable::Build(0);

    std::ofstream trace;
    if (!options.trace.empty()) {
        trace.open(options.trace);
        if (!trace) {
            return Fail("cannot write the trace " + options.trace);
        }
        trace << "frame,state,faceStatus,facePlaced,faceX,faceY,faceW,faceH,matchCost,trackedX,"
                 "trackedY,targetX,targetY,pointerX,pointerY,eyeActivity1,eyeActivity2,"
                 "mouthActivity,trigger,clickRequest\n";
    }
    cv::VideoWriter overlay;
    if (!options.overlay.empty()) {
        overlay.open(options.overlay, cv::VideoWriter::fourcc('m', 'p', '4', 'v'), 25.0,
                     cv::Size(kFrameWidth, kFrameHeight));
        if (!overlay.isOpened()) {
            return Fail("cannot write the overlay video " + options.overlay);
        }
    }

    cv::Mat input_frame;
    cv::Mat camera;
    cv::Mat drawn;
    std::vector<std::uint8_t> bytes;
    long delivered = 0;
    long calibratedAt = -1;
    int resets = 0;
    std::map<std::string, int> clicks;
    while (options.frames < 0 || delivered < options.frames) {
        if (!video.read(input_frame) || input_frame.empty()) {
            if (!options.loop || delivered == 0) {
                break;
            }
            video.set(cv::CAP_PROP_POS_FRAMES, 0);
            if (!video.read(input_frame) || input_frame.empty()) {
                break;
            }
        }
        ToCameraFrame(input_frame, camera);
        ToBottomUpRgb(camera, bytes);
        CaptureFrame frame{bytes, FrameLayout::Rgb24BottomUp};
        loop.OnFrame(frame, table);
        clock.advanceMs(40);
        ++delivered;
        const FrameReport& report = loop.lastFrame();
        if (report.calibration && calibratedAt < 0) {
            calibratedAt = delivered;
        }
        if (report.state == TrackingState::Reset && report.processed) {
            ++resets;
        }
        std::string triggerName;
        if (report.trigger) {
            triggerName = *report.trigger == TriggerKind::Eye     ? "eye"
                          : *report.trigger == TriggerKind::Mouth ? "mouth"
                                                                  : "dwell";
            ++clicks[triggerName];
        }
        if (trace.is_open()) {
            const std::optional<int> status =
                report.faceStatus ? std::optional<int>(static_cast<int>(*report.faceStatus))
                                  : std::nullopt;
            const std::optional<int> placed =
                report.facePlaced ? std::optional<int>(*report.facePlaced ? 1 : 0) : std::nullopt;
            auto face = [&](int FaceRect::*field) {
                return report.face ? std::to_string((*report.face).*field) : std::string();
            };
            auto point = [&](const std::optional<ScreenPoint>& p, int ScreenPoint::*field) {
                return p ? std::to_string((*p).*field) : std::string();
            };
            trace << delivered << ',' << TrackingStateName(report.state) << ',' << Whole(status)
                  << ',' << Whole(placed) << ',' << face(&FaceRect::x) << ',' << face(&FaceRect::y)
                  << ',' << face(&FaceRect::width) << ',' << face(&FaceRect::height) << ','
                  << Cell(report.matchCost ? std::optional<double>(*report.matchCost)
                                           : std::nullopt)
                  << ',' << Cell(report.trackedX) << ',' << Cell(report.trackedY) << ','
                  << point(report.target, &ScreenPoint::x) << ','
                  << point(report.target, &ScreenPoint::y) << ','
                  << point(report.pointer, &ScreenPoint::x) << ','
                  << point(report.pointer, &ScreenPoint::y) << ',' << Cell(report.eyeActivity1)
                  << ',' << Cell(report.eyeActivity2) << ',' << Cell(report.mouthActivity) << ','
                  << triggerName << ',' << Whole(report.clickRequest) << '\n';
        }
        if (overlay.isOpened()) {
            FromBottomUpRgb(bytes, drawn);
            overlay.write(drawn);
        }
        if (loop.detectorFailed()) {
            break;
        }
    }
    if (loop.detectorFailed()) {
        return Fail(userInterface.messages.empty() ? "the face detector cannot be loaded"
                                                   : userInterface.messages.front());
    }
    if (delivered == 0) {
        return Fail("the video " + options.video + " holds no frames");
    }
    std::printf("frames: %ld\n", delivered);
    if (calibratedAt > 0) {
        std::printf("calibrated at frame: %ld\n", calibratedAt);
    } else {
        std::printf("calibrated at frame: never\n");
    }
    std::printf("resets: %d\n", resets);
    std::printf("clicks: eye %d, mouth %d, dwell %d\n", clicks["eye"], clicks["mouth"],
                clicks["dwell"]);
    return 0;
}

}  // namespace
}  // namespace veltranix

int main(int argc, char** argv) {
    veltranix::Options options;
    const std::string problem = veltranix::ParseOptions(argc, argv, options);
    if (!problem.empty()) {
        std::fprintf(stderr,
                     "veltranix-replay: %s\nusage: veltranix-replay --video FILE --config-dir DIR "
                     "[--frames N] [--loop] [--screen WxH] [--set NAME=VALUE]... "
                     "[--overlay OUT.mp4] [--trace OUT.csv]\n",
                     problem.c_str());
        return 2;
    }
    return veltranix::Run(options);
}
