#pragma once

#include <cstdint>
#include <vector>

#include "capture/capture_frame.h"
#include "settings/settings.h"
#include "tests/support/face_sequence.h"
#include "tracking/default_stages.h"
#include "tracking/headless_ports.h"
#include "tracking/manual_clock.h"
#include "tracking/tracking_loop.h"

namespace veltranix::testing {

class RecordingSettingsActions : public TrackingSettingsActions {
  public:
    void saveGestureLevels(std::int32_t nivellUll, std::int32_t nivellBoca) override {
        savedLevels.push_back({nivellUll, nivellBoca});
    }
    void applyWebcamSettings() override { ++webcamApplies; }
    std::vector<std::pair<std::int32_t, std::int32_t>> savedLevels;
    int webcamApplies = 0;
};

// The loop with headless ports and a clock that advances 40 ms per frame.
struct LoopHarness {
    explicit LoopHarness(FrameLayout layout = FrameLayout::Rgb24BottomUp,
                         const char* cascade = VELTRANIX_FACE_DETECTOR_FILE)
        : table(*PixelOffsetTable::Build(static_cast<std::uint32_t>(layout))),
          loop(settings, shared,
               {clock, desktop, cursors, companion, windows, userInterface, settingsActions},
               stages.stages(), cascade) {
        settings.pointerMoveMode = 2;
    }

    const FrameReport& Step(const FaceScene& scene) {
        const cv::Mat bgr = faces.renderBgr(scene);
        FaceSequence::ToLayout(bgr, table.layout(), bytes);
        CaptureFrame frame{bytes, table.layout()};
        frameTimes.push_back(clock.utcNow());
        loop.OnFrame(frame, table);
        clock.advanceMs(40);
        ++frameNumber;
        return loop.lastFrame();
    }

    TrackingState State() const { return shared.state.load(); }

    const FaceSequence& faces = Faces();
    static const FaceSequence& Faces() {
        static const FaceSequence sequence;
        return sequence;
    }

    Settings settings;
    TrackingShared shared;
    ManualClock clock{SystemTime{10, 0, 0, 0}};
    HeadlessDesktop desktop{{1280, 1024}};
    HeadlessPointerInput input{desktop};
    HeadlessCursors cursors;
    HeadlessCompanion companion;
    HeadlessTrackingWindows windows;
    HeadlessUserInterface userInterface;
    RecordingSettingsActions settingsActions;
    DefaultTrackStages stages{input};
    PixelOffsetTable table;
    TrackingLoop loop;
    std::vector<std::uint8_t> bytes;
    std::vector<SystemTime> frameTimes;  // the clock at the start of each frame, from frame 1
    int frameNumber = 0;
};

}  // namespace veltranix::testing
