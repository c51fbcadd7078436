#include <benchmark/benchmark.h>

#include "pointer/click_codes.h"
#include "pointer/pointer_actions.h"
#include "tests/fakes/fake_desktop.h"
#include "tests/fakes/fake_macro_player.h"
#include "tests/fakes/recording_click_menu_window.h"
#include "tests/fakes/recording_cursors.h"
#include "tests/fakes/recording_pointer_input.h"
#include "tests/fakes/recording_sound.h"
#include "tracking/manual_clock.h"

namespace veltranix {
namespace {

class NoWindowAtPoint : public WindowAtPointPort {
  public:
    OwnWindowAtPoint ownWindowAt(ScreenPoint) const override { return OwnWindowAtPoint::None; }
};

// The pointer-action share of one tracking frame with a still head and the
// dwell clock running: pause check, stillness, clock step, dispatch.
void BM_DwellFrameWithClockRunning(benchmark::State& state) {
    Settings settings;
    settings.so = 1;
    settings.sizeFactor = 1.0f;
    settings.dwellSeconds = 8;
    settings.pointerMoveMode = 2;
    settings.gestureClickMatrix[static_cast<int>(GestureRow::Dwell)][click_kind::kRight] = 1;
    testing::FakeDesktop desktop;
    testing::RecordingPointerInput input;
    testing::RecordingCursors cursors;
    testing::RecordingSound sound;
    testing::FakeMacroPlayer macros;
    ManualClock clock;
    testing::RecordingClickMenuWindow menuWindow;
    NoWindowAtPoint windowAtPoint;
    OpenWindows openWindows;
    KeyboardCooperation keyboards;
    PointerActions actions(
        {input, desktop, cursors, sound, macros, clock, menuWindow, windowAtPoint}, settings,
        ProgramFolder{"/opt/veltranix"}, openWindows, keyboards);
    const ScreenPoint pointer{640, 512};
    actions.dwellClock.CheckStillness(pointer, 0.5);  // the reference position
    for (auto _ : state) {
        if (!actions.dwellClock.PostClickPauseStands() &&
            actions.dwellClock.CheckStillness(pointer, 0.5) == PointerMotion::Still) {
            actions.dwellClock.Advance(actions.triggers);
        }
        benchmark::DoNotOptimize(actions.dispatcher.Dispatch(actions.triggers));
    }
    if (!actions.dwellClock.clockRunning()) {
        state.SkipWithError("the dwell clock did not run");
    }
}
BENCHMARK(BM_DwellFrameWithClockRunning);

void BM_HeadShakeDetector(benchmark::State& state) {
    Settings settings;
    testing::RecordingSound sound;
    HeadShakeDetector detector({1280, 1024}, settings, sound, ProgramFolder{});
    const int swing[] = {320, 330, 310, 330, 320, 320};
    int frame = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            detector.Update(swing[frame % 6], 240, 320, 240, HeadPauseState::Tracking));
        ++frame;
    }
}
BENCHMARK(BM_HeadShakeDetector);

}  // namespace
}  // namespace veltranix
