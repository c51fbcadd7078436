#pragma once

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "capture/capture_frame.h"
#include "settings/settings.h"
#include "tests/support/engine_settings.h"
#include "tests/support/face_sequence.h"
#include "tracking/headless_engine.h"
#include "tracking/work_image.h"

namespace veltranix::testing {

// The statistics log's date and machine, fixed.
class FixedCalendar : public CalendarPort {
  public:
    CalendarDate utcDate() const override { return {5, 12, 2026}; }
};

class FixedSystem : public SystemInformationPort {
  public:
    SystemInformation systemInformation() const override { return {"CPU", 2, 512, "Linux"}; }
};

class RecordingSettingsActions : public TrackingSettingsActions {
  public:
    void saveGestureLevels(std::int32_t nivellUll, std::int32_t nivellBoca) override {
        savedLevels.push_back({nivellUll, nivellBoca});
    }
    void applyWebcamSettings() override { ++webcamApplies; }
    std::vector<std::pair<std::int32_t, std::int32_t>> savedLevels;
    int webcamApplies = 0;
};

// The frame without the face, with fresh camera noise.
inline FaceScene Away(std::uint32_t seed) {
    FaceScene away{0.0, 0.0, 1.5, seed};
    away.faceVisible = false;
    return away;
}

// The grey work image of a picture sent as I420.
inline WorkImage GreyImage(const cv::Mat& bgr) {
    std::vector<std::uint8_t> bytes;
    FaceSequence::ToLayout(bgr, FrameLayout::I420, bytes);
    WorkImage image(kFramePixels);
    FillWorkImageByLayout({bytes, FrameLayout::I420}, image);
    return image;
}

// The loop with the real stages, headless ports and a clock that advances
// `frameMs` (40 ms) per frame.
struct LoopHarness {
    explicit LoopHarness(FrameLayout layout = FrameLayout::Rgb24BottomUp,
                         const char* cascade = VELTRANIX_FACE_DETECTOR_FILE)
        : settings(FreshTrackingSettings()),
          table(*PixelOffsetTable::Build(static_cast<std::uint32_t>(layout))),
          engine(settings, settingsActions, macros, {1280, 1024}, cascade,
                 ProgramFolder{VELTRANIX_SOURCE_PROGRAM_FOLDER}, SystemTime{10, 0, 0, 0}) {}

    const FrameReport& Step(const FaceScene& scene) { return StepFrame(faces.renderBgr(scene)); }
    // The resting face with fresh camera noise; `frames` of them.
    const FrameReport& StepStill(int frames = 1) {
        for (int frame = 1; frame < frames; ++frame) {
            Step({0.0, 0.0, 1.5, static_cast<std::uint32_t>(frameNumber + 1)});
        }
        return Step({0.0, 0.0, 1.5, static_cast<std::uint32_t>(frameNumber + 1)});
    }

    const FrameReport& StepFrame(const cv::Mat& bgr) {
        FaceSequence::ToLayout(bgr, table.layout(), bytes);
        CaptureFrame frame{bytes, table.layout()};
        frameTimes.push_back(clock.utcNow());
        engine.OnFrame(frame, table);
        clock.advanceMs(frameMs);
        ++frameNumber;
        return loop.lastFrame();
    }

    // Runs the still face through calibration and StartTracking.
    void TrackStill() {
        while (!StepStill().calibration && frameNumber < 150) {
        }
        StepStill();
        ASSERT_EQ(State(), TrackingState::Track);
    }

    TrackingState State() const { return shared.state.load(); }

    const FaceSequence& faces = Faces();
    static const FaceSequence& Faces() {
        static const FaceSequence sequence;
        return sequence;
    }

    Settings settings;
    RecordingSettingsActions settingsActions;
    HeadlessMacroPlayer macros;
    PixelOffsetTable table;
    HeadlessEngine engine;
    TrackingShared& shared = engine.shared;
    ManualClock& clock = engine.clock;
    HeadlessDesktop& desktop = engine.desktop;
    HeadlessPointerInput& input = engine.input;
    HeadlessCursors& cursors = engine.cursors;
    HeadlessCompanion& companion = engine.companion;
    HeadlessTrackingWindows& windows = engine.windows;
    HeadlessUserInterface& userInterface = engine.userInterface;
    TrackingLoop& loop = engine.loop;
    std::vector<std::uint8_t> bytes;
    std::vector<SystemTime> frameTimes;  // the clock at the start of each frame, from frame 1
    int frameNumber = 0;
    int frameMs = 40;
};

// The engine's pointer actions on their own, no frame stepped, with one
// journal of all their events in order, sleeps included.
struct PointerRig : LoopHarness {
    PointerRig() {
        settings.so = 1;
        settings.clicMacro = 1;
        for (PortLog** log : {&input.log, &cursors.log, &sound.log, &macros.log, &menuWindow.log}) {
            *log = &journal;
        }
        clock.sleepLog = &journal;
    }

    // Binds one trigger row (eye, mouth, dwell) to one click kind only.
    void Bind(GestureRow row, int clickKindIndex) {
        auto& flags = settings.gestureClickMatrix[static_cast<int>(row)];
        flags.fill(0);
        flags[clickKindIndex] = 1;
    }

    PortLog journal;
    const ProgramFolder folder{VELTRANIX_SOURCE_PROGRAM_FOLDER};
    HeadlessSound& sound = engine.sound;
    HeadlessClickMenuWindow& menuWindow = engine.menuWindow;
    OpenWindows& openWindows = engine.openWindows;
    KeyboardCooperation& keyboards = engine.keyboards;
    PointerActions& actions = engine.actions;
    ClickTypeMenu& menu = actions.menu;
    CursorFeedback& cursorFeedback = actions.cursorFeedback;
    ClickExecutor& clicks = actions.clicks;
    DwellClock& dwell = actions.dwellClock;
    TriggerState& triggers = actions.triggers;
    TriggerDispatcher& dispatcher = actions.dispatcher;
};

}  // namespace veltranix::testing
