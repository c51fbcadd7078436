#include <benchmark/benchmark.h>

#include <vector>

#include <opencv2/core/utility.hpp>

#include "capture/capture_frame.h"
#include "tests/support/engine_settings.h"
#include "tests/support/face_sequence.h"
#include "tracking/face_detector.h"
#include "tracking/headless_engine.h"
#include "tracking/template_tracker.h"
#include "tracking/tracking_loop.h"
#include "tracking/work_image.h"

namespace veltranix {
namespace {

const testing::FaceSequence& Faces() {
    static const testing::FaceSequence faces;
    return faces;
}

std::vector<std::uint8_t> FaceFrame(FrameLayout layout, double offsetX, std::uint32_t seed) {
    std::vector<std::uint8_t> bytes;
    testing::FaceSequence::ToLayout(Faces().renderBgr({offsetX, 0.0, 1.5, seed}), layout, bytes);
    return bytes;
}

void BM_GreyThroughOffsetTable(benchmark::State& state) {
    const auto layout = static_cast<FrameLayout>(state.range(0));
    std::vector<std::uint8_t> bytes = FaceFrame(layout, 0.0, 1);
    const PixelOffsetTable table = *PixelOffsetTable::Build(static_cast<std::uint32_t>(layout));
    WorkImage image(kFramePixels);
    for (auto _ : state) {
        FillWorkImage({bytes, layout}, table, image);
        benchmark::DoNotOptimize(image.data());
    }
}
BENCHMARK(BM_GreyThroughOffsetTable)
    ->Arg(static_cast<std::int64_t>(FrameLayout::Rgb24BottomUp))
    ->Arg(static_cast<std::int64_t>(FrameLayout::I420));

void BM_GreyByLayout(benchmark::State& state) {
    const auto layout = static_cast<FrameLayout>(state.range(0));
    std::vector<std::uint8_t> bytes = FaceFrame(layout, 0.0, 1);
    WorkImage image(kFramePixels);
    for (auto _ : state) {
        FillWorkImageByLayout({bytes, layout}, image);
        benchmark::DoNotOptimize(image.data());
    }
}
BENCHMARK(BM_GreyByLayout)
    ->Arg(static_cast<std::int64_t>(FrameLayout::Rgb24BottomUp))
    ->Arg(static_cast<std::int64_t>(FrameLayout::I420));

WorkImage GreyFace(double offsetX, std::uint32_t seed) {
    std::vector<std::uint8_t> bytes = FaceFrame(FrameLayout::I420, offsetX, seed);
    WorkImage image(kFramePixels);
    FillWorkImageByLayout({bytes, FrameLayout::I420}, image);
    return image;
}

// One detection of the Detect state on a 640 x 480 picture: first argument 0
// with the face, 1 the same scene without it; second argument 0 any face,
// 1 faces near enough to be placed (while nobody is in view); third argument
// 0 the search at every size, 1 the follow of a still face in view.
void BM_DetectFrame(benchmark::State& state) {
    const bool withFace = state.range(0) == 0;
    testing::FaceScene scene{0.0, 0.0, 1.5, 1};
    scene.faceVisible = withFace;
    std::vector<std::uint8_t> bytes;
    testing::FaceSequence::ToLayout(Faces().renderBgr(scene), FrameLayout::I420, bytes);
    WorkImage image(kFramePixels);
    FillWorkImageByLayout({bytes, FrameLayout::I420}, image);
    cv::setNumThreads(0);  // as the program runs it
    FaceDetector detector;
    if (!detector.loadCascade(VELTRANIX_FACE_DETECTOR_FILE)) {
        state.SkipWithError(detector.loadError().c_str());
        return;
    }
    const auto reach = static_cast<FaceReach>(state.range(1));
    const auto search = static_cast<FaceSearch>(state.range(2));
    // The averages filled, as after the face's first third of a second.
    for (int look = 0; look < 8; ++look) {
        detector.detect(image, reach);
    }
    bool found = false;
    for (auto _ : state) {
        found = detector.detect(image, reach, search).has_value();
    }
    if (found != withFace) {
        state.SkipWithError(withFace ? "the face was not found" : "a face was found");
    } else if (withFace && detector.lastSearch() != search) {
        state.SkipWithError("the still face was searched for at every size");
    }
}
BENCHMARK(BM_DetectFrame)->ArgsProduct({{0, 1}, {0, 1}, {0}})->Args({0, 0, 1});

// The cascade over the 160 x 120 detection picture with the face, window
// sides from the argument (a step of the ladder 20 x 1.1^k) up: differences
// between arguments give where a search at every size spends its time.
void BM_FindFacesFromSide(benchmark::State& state) {
    const WorkImage image = GreyFace(0.0, 1);
    cv::setNumThreads(0);
    FaceDetector detector;
    if (!detector.loadCascade(VELTRANIX_FACE_DETECTOR_FILE)) {
        state.SkipWithError(detector.loadError().c_str());
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(detector.findFaces(image, static_cast<int>(state.range(0))));
    }
}
BENCHMARK(BM_FindFacesFromSide)->Arg(20)->Arg(24)->Arg(29)->Arg(35)->Arg(43)->Arg(52)->Arg(63);

// Matching with normalisation and centroid; argument 1 is the plain reference.
void BM_MatchTemplate(benchmark::State& state) {
    TemplateTracker tracker(BuildNearDisc(25));
    tracker.build(GreyFace(0.0, 1), {272, 217, 359, 217});
    const WorkImage moved = GreyFace(12.0, 2);
    const bool plain = state.range(0) == 1;
    for (auto _ : state) {
        MatchResult result = plain ? tracker.matchPlain(moved) : tracker.match(moved);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_MatchTemplate)->Arg(0)->Arg(1);

class NoSettingsActions : public TrackingSettingsActions {
  public:
    void saveGestureLevels(std::int32_t, std::int32_t) override {}
    void applyWebcamSettings() override {}
};

// One OnFrame in the Track state with the real stages: grey conversion,
// match, head motion, all three gesture patches measured, the dwell clock
// running, the statistics stage, feedback. The eyes, the mouth and the dwell
// clock are bound, the frame is still, so every test runs on every frame.
void BM_TrackFrame(benchmark::State& state) {
    Settings settings = testing::FreshTrackingSettings();
    settings.dwellSeconds = 8;
    settings.eyeThreshold = 1000;
    settings.mouthThreshold = 1000;
    settings.gestureClickMatrix[static_cast<int>(GestureRow::Eye)][0] = 1;
    settings.gestureClickMatrix[static_cast<int>(GestureRow::Mouth)][3] = 1;
    settings.gestureClickMatrix[static_cast<int>(GestureRow::Dwell)][2] = 1;
    NoSettingsActions actions;
    HeadlessMacroPlayer macros;
    HeadlessEngine engine(settings, actions, macros, {1280, 1024}, "faceDetector.xml",
                          ProgramFolder{"."}, SystemTime{10, 0, 0, 0});
    TrackingLoop& loop = engine.loop;
    const PixelOffsetTable table = *PixelOffsetTable::Build(0);
    // Two frames of camera noise in turn, so that the gesture blocks see change.
    const std::vector<std::uint8_t> frames[2] = {FaceFrame(FrameLayout::Rgb24BottomUp, 0.0, 1),
                                                 FaceFrame(FrameLayout::Rgb24BottomUp, 0.0, 2)};
    std::vector<std::uint8_t> bytes = frames[0];
    CaptureFrame frame{bytes, FrameLayout::Rgb24BottomUp};
    for (int warmUp = 0; warmUp < 21; ++warmUp) {
        loop.OnFrame(frame, table);
        engine.clock.advanceMs(40);
    }
    loop.startWithEyes({272, 217, 359, 217});
    loop.OnFrame(frame, table);
    // Two tracked frames: the first one is the stillness test's reference.
    for (int tracked = 0; tracked < 2; ++tracked) {
        bytes = frames[1 - tracked];
        loop.OnFrame(frame, table);
    }
    // The clock stands still: the dwell clock runs and never fires, so no
    // post-click pause stops the gesture tests.
    int next = 0;
    std::int64_t measured = 0;
    for (auto _ : state) {
        state.PauseTiming();
        next = 1 - next;
        bytes = frames[next];
        state.ResumeTiming();
        loop.OnFrame(frame, table);
        measured += loop.lastFrame().mouthActivity.has_value() ? 1 : 0;
    }
    if (engine.shared.state.load() != TrackingState::Track) {
        state.SkipWithError("the loop left the Track state");
    } else if (measured == 0) {
        state.SkipWithError("the gesture patches were never measured");
    }
}
BENCHMARK(BM_TrackFrame);

}  // namespace
}  // namespace veltranix
