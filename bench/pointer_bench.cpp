#include <benchmark/benchmark.h>

#include "pointer/click_codes.h"
#include "pointer/pointer_actions.h"
#include "tracking/headless_ports.h"

namespace veltranix {
namespace {

// The pointer-action share of one tracking frame with a still head and the
// dwell clock running: pause check, stillness, clock step, dispatch.
void BM_DwellFrameWithClockRunning(benchmark::State& state) {
    Settings settings;
    settings.so = 1;
    settings.sizeFactor = 1.0f;
    settings.dwellSeconds = 8;
    settings.pointerMoveMode = 2;
    settings.gestureClickMatrix[static_cast<int>(GestureRow::Dwell)][click_kind::kRight] = 1;
    HeadlessDesktop desktop;
    HeadlessPointerInput input(desktop);
    HeadlessCursors cursors;
    HeadlessSound sound;
    HeadlessMacroPlayer macros;
    ManualClock clock;
    HeadlessClickMenuWindow menuWindow;
    HeadlessWindowAtPoint windowAtPoint;
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
    HeadlessSound sound;
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
