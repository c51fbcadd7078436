// veltranix-replay: runs the tracking engine on a recorded video with a
// simulated clock (40 ms per frame); pointer, cursor, sound and window
// requests are recorded instead of acted on. Macros asked for by a click
// play through the real macro player into a recording keyboard. With an
// events list the video is taken at 25 pictures a second by its own time
// stamps, and the gesture clicks are scored against the marked events.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <opencv2/videoio.hpp>

#include "app/replay/clip_events.h"
#include "capture/camera_image.h"
#include "capture/capture_frame.h"
#include "core/settings_store.h"
#include "core/version.h"
#include "macros/macro_player.h"
#include "macros/macro_set.h"
#include "platform/linux/file_settings_store.h"
#include "platform/linux/system_information.h"
#include "pointer/click_codes.h"
#include "settings/lexicon.h"
#include "settings/settings.h"
#include "settings/settings_persistence.h"
#include "tracking/headless_engine.h"
#include "tracking/persistence_actions.h"
#include "tracking/stats_log.h"

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
    std::string statsLogFolder;
    std::string keys;
    std::optional<std::int32_t> menuChoice;
    std::string events;
    std::string framing;
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

bool IsMenuCellRequest(std::int32_t code) {
    return code == 0 || (code >= 2 && code <= 5) || code == 10 ||
           (code >= click_request::kFirstMacro && code <= click_request::kLastMacro);
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
            if (!width || !height || *width < 100 || *height < 100 || *width > kMaxScreenPixels ||
                *height > kMaxScreenPixels) {
                return "--screen needs WIDTHxHEIGHT (from 100x100 to 32767x32767), not \"" +
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
        } else if (name == "--events") {
            options.events = *text;
        } else if (name == "--framing") {
            options.framing = *text;
        } else if (name == "--trace") {
            options.trace = *text;
        } else if (name == "--stats-log") {
            options.statsLogFolder = *text;
        } else if (name == "--keys") {
            options.keys = *text;
        } else if (name == "--menu-choice") {
            const std::optional<long> code = ParseNumber(*text);
            if (!code || !IsMenuCellRequest(static_cast<std::int32_t>(*code))) {
                return "--menu-choice needs the request of a click-type menu cell (0, 2, 3, 4, "
                       "5, 10, 20 to 25), not \"" +
                       std::string(*text) + "\"";
            }
            options.menuChoice = static_cast<std::int32_t>(*code);
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

void FromBottomUpRgb(const std::vector<std::uint8_t>& bytes, cv::Mat& bgr) {
    bgr.create(kFrameHeight, kFrameWidth, CV_8UC3);
    for (int y = 0; y < kFrameHeight; ++y) {
        const std::uint8_t* row =
            bytes.data() + static_cast<std::ptrdiff_t>(kFrameHeight - 1 - y) * kFrameWidth * 3;
        std::copy(row, row + kFrameWidth * 3, bgr.ptr<std::uint8_t>(y));
    }
}

// The settings group that holds a value of that name; none when none does.
const char* GroupOf(const SettingsStore& store, const std::string& name) {
    for (const char* key : {store_keys::kWebcam, store_keys::kMouse, store_keys::kSystem}) {
        if (store.readValue(key, name)) {
            return key;
        }
    }
    return nullptr;
}

// Empty when no output names an input, the settings store or another output;
// writing it would destroy what the run reads.
std::string OutputsOverInputs(const Options& options) {
    const std::filesystem::path store = std::filesystem::path(options.configDir) / "settings.store";
    const auto same = [](const std::filesystem::path& a, const std::filesystem::path& b) {
        std::error_code error;
        if (std::filesystem::equivalent(a, b, error)) {
            return true;
        }
        return std::filesystem::weakly_canonical(a, error) ==
               std::filesystem::weakly_canonical(b, error);
    };
    const std::pair<const char*, std::string> outputs[] = {
        {"--trace", options.trace}, {"--overlay", options.overlay}, {"--keys", options.keys}};
    for (std::size_t index = 0; index < std::size(outputs); ++index) {
        const auto& [option, output] = outputs[index];
        if (output.empty()) {
            continue;
        }
        if (same(output, options.video) || same(output, store)) {
            return std::string(option) + " " + output +
                   " would overwrite an input (the video or "
                   "the settings store)";
        }
        for (std::size_t other = index + 1; other < std::size(outputs); ++other) {
            if (!outputs[other].second.empty() && same(output, outputs[other].second)) {
                return std::string(option) + " and " + outputs[other].first + " name one file";
            }
        }
    }
    return {};
}

std::string Cell(const std::optional<double>& value) {
    if (!value) {
        return "";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", *value);
    return text;
}

// Keeps what a macro would type, with the simulated time it was sent at.
// The macro player's thread writes, the main thread reads after the macro.
class RecordingKeyboard : public KeyboardInputPort {
  public:
    struct Sent {
        std::string kind;  // "scan", "key" or "char"
        std::uint32_t code = 0;
        bool extended = false;
        KeyDirection direction = KeyDirection::Press;
    };

    std::uint16_t scanCodeForVirtualKey(std::uint16_t virtualKey) const override {
        // The set-1 scan codes of the keys the default macros use; 0 (none)
        // for the rest, which the player then types as virtual keys.
        static const std::map<std::uint16_t, std::uint16_t> kScanCodes = {
            {0x08, 0x0E}, {0x09, 0x0F}, {0x0D, 0x1C}, {0x10, 0x2A}, {0x11, 0x1D},
            {0x12, 0x38}, {0x1B, 0x01}, {0x20, 0x39}, {0x25, 0x4B}, {0x26, 0x48},
            {0x27, 0x4D}, {0x28, 0x50}, {0x2E, 0x53}, {0x5B, 0x5B}, {0x43, 0x2E},
            {0x56, 0x2F}, {0x58, 0x2D}, {0x5A, 0x2C}, {0x41, 0x1E}, {0x53, 0x1F}};
        const auto found = kScanCodes.find(virtualKey);
        return found == kScanCodes.end() ? 0 : found->second;
    }
    void sendScanCode(std::uint16_t scanCode, KeyExtension extension,
                      KeyDirection direction) override {
        Record({"scan", scanCode, extension == KeyExtension::Extended, direction});
    }
    void sendVirtualKey(std::uint16_t virtualKey, KeyDirection direction) override {
        Record({"key", virtualKey, false, direction});
    }
    void sendCharacter(char32_t character, KeyDirection direction) override {
        Record({"char", static_cast<std::uint32_t>(character), false, direction});
    }
    bool lockKeyOn(LockKey) const override { return false; }
    bool keyHeld(std::uint16_t) const override { return false; }
    std::optional<KeyForCharacter> keyForCharacter(char32_t character) const override {
        if (character >= U'a' && character <= U'z') {
            return KeyForCharacter{static_cast<std::uint16_t>(character - U'a' + 0x41)};
        }
        if (character >= U'0' && character <= U'9') {
            return KeyForCharacter{static_cast<std::uint16_t>(character)};
        }
        return std::nullopt;
    }
    std::vector<Sent> TakeSent() {
        std::lock_guard lock(mutex_);
        std::vector<Sent> taken;
        taken.swap(sent_);
        return taken;
    }

  private:
    void Record(const Sent& sent) {
        std::lock_guard lock(mutex_);
        sent_.push_back(sent);
    }
    mutable std::mutex mutex_;
    std::vector<Sent> sent_;
};

// Shell entries of a macro are recorded, never run.
class RecordingShell : public ShellPort {
  public:
    int open(const std::string& command) override {
        std::lock_guard lock(mutex_);
        commands.push_back(command);
        return 42;  // above 32: success
    }
    std::mutex mutex_;
    std::vector<std::string> commands;
};

class SilentPlaybackDisplay : public MacroPlaybackDisplayPort {
  public:
    void showProgress() override {}
    void updateProgress(int, std::string_view) override {}
    void hideProgress() override {}
    void closeProgress() override {}
    void showShellError(std::string_view, std::function<void()> closed) override { closed(); }
};

// The macro player's own simulated time: its pauses pass at once. Thread-safe.
class PlayerClock : public Clock {
  public:
    SystemTime utcNow() const override {
        const long long ms = nowMs_.load();
        return {static_cast<int>(ms / 3600000 % 24), static_cast<int>(ms / 60000 % 60),
                static_cast<int>(ms / 1000 % 60), static_cast<int>(ms % 1000)};
    }
    void sleepMs(int durationMs) override { nowMs_ += durationMs; }

  private:
    std::atomic<long long> nowMs_{12LL * 3600 * 1000};
};

// The cell of the click-type menu that asks for `request`, in client pixels.
std::optional<ScreenPoint> CellCentre(const ClickTypeMenu& menu, std::int32_t request) {
    for (const ClickMenuCell& cell : menu.Cells()) {
        if (cell.clickRequest == request) {
            return ScreenPoint{(cell.hitRect.left + cell.hitRect.right) / 2,
                               (cell.hitRect.top + cell.hitRect.bottom) / 2};
        }
    }
    return std::nullopt;
}

// The pictures the engine gets, turned upright: each stored picture once, or,
// timed by the video's own time stamps, the picture shown at every 40 ms tick
// (as a camera of 25 frames a second would see the scene).
class PictureSource {
  public:
    enum class Timing { EachPicture, TimeStamps };
    PictureSource(cv::VideoCapture& video, Timing timing)
        : video_(video), timing_(timing), turn_(TakeOverPictureTurn(video)) {}

    // The next picture; false at the end of the video.
    bool next(cv::Mat& picture) {
        if (!nextAsStored(stored_)) {
            return false;
        }
        TurnPicture(stored_, picture, turn_);
        return true;
    }
    void rewind() {
        video_.set(cv::CAP_PROP_POS_FRAMES, 0);
        tick_ = 0;
        current_.release();
        haveNext_ = false;
        ended_ = false;
    }
    // The video time of the last picture's tick.
    double seconds() const { return seconds_; }

  private:
    bool nextAsStored(cv::Mat& picture) {
        if (timing_ == Timing::EachPicture) {
            seconds_ = tick_++ * kTickMs / 1000.0;
            return video_.read(picture) && !picture.empty();
        }
        const double tickMs = tick_ * kTickMs;
        for (;;) {
            if (!haveNext_ && !ended_) {
                haveNext_ = video_.read(next_) && !next_.empty();
                ended_ = !haveNext_;
                nextMs_ = video_.get(cv::CAP_PROP_POS_MSEC);
            }
            if (!haveNext_ || (!current_.empty() && nextMs_ > tickMs + 0.5)) {
                break;
            }
            std::swap(current_, next_);
            currentMs_ = nextMs_;
            haveNext_ = false;
        }
        if (current_.empty() || (ended_ && tickMs > currentMs_ + kTickMs)) {
            return false;
        }
        picture = current_;
        seconds_ = tickMs / 1000.0;
        ++tick_;
        return true;
    }

    static constexpr double kTickMs = 40.0;
    cv::VideoCapture& video_;
    Timing timing_;
    PictureTurn turn_;
    cv::Mat stored_;
    long tick_ = 0;
    double seconds_ = 0.0;
    cv::Mat current_;
    cv::Mat next_;
    double currentMs_ = 0.0;
    double nextMs_ = 0.0;
    bool haveNext_ = false;
    bool ended_ = false;
};

template <typename Number>
std::string Whole(const std::optional<Number>& value) {
    return value ? std::to_string(*value) : std::string();
}

int Run(const Options& options) {
    if (!std::filesystem::is_regular_file(options.video)) {
        return Fail("no such video file: " + options.video);
    }
    if (const std::string clash = OutputsOverInputs(options); !clash.empty()) {
        return Fail(clash);
    }
    cv::VideoCapture video(options.video);
    if (!video.isOpened()) {
        return Fail("cannot read the video " + options.video);
    }
    const std::string clipName = std::filesystem::path(options.video).filename().string();
    std::vector<ClipEvent> events;
    if (!options.events.empty()) {
        std::string problem;
        events = ReadClipEvents(options.events, clipName, problem);
        if (!problem.empty()) {
            return Fail(problem);
        }
    }
    std::optional<ClipPlacement> placement;
    if (!options.framing.empty()) {
        std::string problem;
        placement = ReadClipPlacement(options.framing, clipName, problem);
        if (!placement) {
            return Fail(problem);
        }
    }
    const bool scored = !options.events.empty();
    PictureSource pictures(video, scored || placement ? PictureSource::Timing::TimeStamps
                                                      : PictureSource::Timing::EachPicture);
    // Scored with --loop: a second pass shows what came before tracking started.
    const int lastPass = options.loop ? (scored && options.frames < 0 ? 1 : -1) : 0;
    int pass = 0;
    std::vector<ReplayedFrame> replayed;
    std::error_code error;
    std::filesystem::create_directories(options.configDir, error);
    if (error) {
        return Fail("cannot create the settings folder " + options.configDir);
    }
    const std::filesystem::path programFolder =
        std::filesystem::canonical("/proc/self/exe").parent_path();

    FileSettingsStore store({std::filesystem::path(options.configDir) / "settings.store",
                             std::filesystem::path(options.configDir) / "autostart"});
    switch (store.open()) {
        case StoreOpening::Unreadable:
            return Fail(store.lastError());
        case StoreOpening::CorruptSetAside:
        case StoreOpening::PartlyLoaded:
            std::fprintf(stderr,
                         "veltranix-replay: warning: %s; the file as it was is kept as %s\n",
                         store.lastError().c_str(), store.setAsidePath().c_str());
            break;
        case StoreOpening::Loaded:
        case StoreOpening::NoFile:
            break;
    }
    Settings settings;
    Lexicon lexicon;
    HeadlessUserInterface userInterface;
    SettingsObserver observer;
    SettingsPersistence persistence(settings, lexicon, store, ProgramFolder{programFolder},
                                    userInterface, observer, kLanguageSpanish);
    if (persistence.LoadSystemSettings() == LexiconLoad::ExitProgram) {
        return Fail("cannot load the lexicon beside the program: " + lexicon.loadProblem);
    }
    persistence.LayoutWindows(settings.tamany);
    for (const auto& [name, value] : options.sets) {
        const char* group = GroupOf(store, name);
        if (group == nullptr) {
            return Fail("no settings value named " + name);
        }
        if (WriteInteger(store, group, name, value) != StoreStatus::Ok) {
            return Fail("cannot save " + name + ": " + store.lastError());
        }
    }
    if (!options.sets.empty()) {
        persistence.LoadSystemSettings();
        persistence.LayoutWindows(settings.tamany);
    }

    std::ofstream keysFile;
    if (!options.keys.empty()) {
        keysFile.open(options.keys);
        if (!keysFile) {
            return Fail("cannot write the key list " + options.keys);
        }
        keysFile << "frame,macro,kind,code,extended,direction\n";
    }
    if (options.menuChoice && *options.menuChoice >= click_request::kFirstMacro) {
        settings.clicMacro = 1;
    }

    MacroSets macroSets;
    macroSets.defaultMacros = DefaultMacroSet();
    macroSets.workingMacros = macroSets.defaultMacros;
    macroSets.playbackMacros = macroSets.defaultMacros;
    RecordingKeyboard keyboard;
    RecordingShell shell;
    PlayerClock playerClock;
    SilentPlaybackDisplay playbackDisplay;
    MacroPlayer macroPlayer(macroSets, keyboard, shell, playerClock, lexicon, playbackDisplay);

    PersistenceActions actions(settings, persistence);
    HeadlessEngine engine(settings, actions, macroPlayer, options.screen,
                          programFolder / "faceDetector.xml", ProgramFolder{programFolder},
                          SystemTime{12, 0, 0, 0});
    SystemCalendar calendar;
    LinuxSystemInformation systemInformation;
    std::optional<StatsLog> statsLog;
    if (!options.statsLogFolder.empty()) {
        std::error_code folderError;
        std::filesystem::create_directories(options.statsLogFolder, folderError);
        if (folderError || !std::filesystem::is_directory(options.statsLogFolder)) {
            return Fail("cannot create the statistics folder " + options.statsLogFolder);
        }
        statsLog.emplace(StatsLogPorts{engine.clock, calendar, systemInformation}, "si",
                         std::filesystem::path(options.statsLogFolder));
        engine.stages.setStatsLog(&*statsLog);
    }
    engine.actions.menu.RebuildCells();
    TrackingLoop& loop = engine.loop;
    ManualClock& clock = engine.clock;
    HeadlessUserInterface& engineInterface = engine.userInterface;
    const PixelOffsetTable table = *PixelOffsetTable::Build(0);
    if (statsLog) {
        statsLog->WriteHeader(FrameLayout::Rgb24BottomUp);
    }

    std::ofstream trace;
    if (!options.trace.empty()) {
        trace.open(options.trace);
        if (!trace) {
            return Fail("cannot write the trace " + options.trace);
        }
        trace << "frame,state,faceStatus,facePlaced,faceX,faceY,faceW,faceH,matchCost,trackedX,"
                 "trackedY,targetX,targetY,pointerX,pointerY,eyeActivity1,eyeActivity2,"
                 "mouthActivity,trigger,clickRequest,cooldown,countdown,eyeClosure,mouthOpening,"
                 "gestureBuilding,videoSeconds\n";
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
    std::map<std::int32_t, int> requests;
    std::map<int, int> macroKeys;
    bool menuWasVisible = false;
    while (options.frames < 0 || delivered < options.frames) {
        if (!pictures.next(input_frame)) {
            if (delivered == 0 || (lastPass >= 0 && pass >= lastPass)) {
                break;
            }
            ++pass;
            pictures.rewind();
            if (!pictures.next(input_frame)) {
                break;
            }
        }
        if (placement) {
            PlaceClipPicture(input_frame, *placement, camera);
        } else if (const std::string problem = CropToCameraFrame(input_frame, camera);
                   !problem.empty()) {
            return Fail("the video " + options.video + ": " + problem);
        }
        BgrToLayout(camera, FrameLayout::Rgb24BottomUp, bytes);
        CaptureFrame frame{bytes, FrameLayout::Rgb24BottomUp};
        engine.OnFrame(frame, table);
        ++delivered;
        const FrameReport& report = loop.lastFrame();
        ClickTypeMenu& menu = engine.actions.menu;
        if (options.menuChoice && menu.visible() && !menuWasVisible) {
            // The user looks at the chosen cell of the menu that just opened.
            if (const std::optional<ScreenPoint> cell = CellCentre(menu, *options.menuChoice)) {
                menu.OnPointerMovedInWindow(*cell);
            }
        }
        menuWasVisible = menu.visible();
        if (report.clickRequest) {
            ++requests[*report.clickRequest];
            if (*report.clickRequest >= click_request::kFirstMacro &&
                *report.clickRequest <= click_request::kLastMacro) {
                // The replay waits for the macro, so its keys belong to this frame.
                macroPlayer.waitUntilFinished();
                const int macro = *report.clickRequest - click_request::kFirstMacro + 1;
                for (const RecordingKeyboard::Sent& sent : keyboard.TakeSent()) {
                    ++macroKeys[macro];
                    if (keysFile.is_open()) {
                        keysFile << delivered << ',' << macro << ',' << sent.kind << ','
                                 << sent.code << ',' << (sent.extended ? 1 : 0) << ','
                                 << (sent.direction == KeyDirection::Press ? "down" : "up") << '\n';
                    }
                }
            }
        }
        clock.advanceMs(40);
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
        if (scored) {
            const GestureClick click = !report.trigger                         ? GestureClick::None
                                       : *report.trigger == TriggerKind::Eye   ? GestureClick::Eye
                                       : *report.trigger == TriggerKind::Mouth ? GestureClick::Mouth
                                                                               : GestureClick::None;
            replayed.push_back({pass, pictures.seconds(),
                                report.processed && report.state == TrackingState::Track,
                                report.pointer, click});
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
                  << triggerName << ',' << Whole(report.clickRequest) << ','
                  << (loop.headPauseCooldown() ? 1 : 0) << ','
                  << Whole(engine.windows.countdownValue()) << ',' << Cell(report.eyeClosure) << ','
                  << Cell(report.mouthOpening) << ',' << (report.gestureBuilding ? 1 : 0) << ','
                  << Cell(pictures.seconds()) << '\n';
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
        return Fail(engineInterface.messages.empty() ? "the face detector cannot be loaded"
                                                     : engineInterface.messages.front().text);
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
    std::printf("click requests:");
    if (requests.empty()) {
        std::printf(" none");
    }
    for (const auto& [code, count] : requests) {
        std::printf(" %d=%d", code, count);
    }
    std::printf("\n");
    for (const auto& [macro, count] : macroKeys) {
        std::printf("macro %d keys: %d\n", macro, count);
    }
    if (scored) {
        std::printf("%s", DescribeScore(ScoreClip(replayed, events)).c_str());
    }
    if (statsLog && statsLog->file()) {
        std::printf("statistics log: %s\n", statsLog->file()->c_str());
    }
    return 0;
}

}  // namespace
}  // namespace veltranix

int main(int argc, char** argv) {
    if (veltranix::PrintVersionIfAsked(argc, argv, "veltranix-replay")) {
        return 0;
    }
    veltranix::Options options;
    const std::string problem = veltranix::ParseOptions(argc, argv, options);
    if (!problem.empty()) {
        std::fprintf(stderr,
                     "veltranix-replay: %s\nusage: veltranix-replay --video FILE --config-dir DIR "
                     "[--frames N] [--loop] [--screen WxH] [--set NAME=VALUE]... "
                     "[--overlay OUT.mp4] [--trace OUT.csv] [--stats-log DIR] [--keys OUT.csv] "
                     "[--menu-choice CODE] [--events EVENTS.csv] [--framing FRAMING.csv] | "
                     "--version\n",
                     problem.c_str());
        return 2;
    }
    return veltranix::Run(options);
}
