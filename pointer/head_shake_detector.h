#pragma once

#include <string>

#include "core/feedback_port.h"
#include "core/geometry.h"
#include "core/program_folder.h"
#include "settings/settings.h"

namespace veltranix {

// Whether tracking is paused by the head-shake gesture (the resume sounds
// play only then).
enum class HeadPauseState { Tracking, Paused };

// Recognises a head shake: the tracked head point left, right, left, right of
// the calibrated face centre at about the centre's height, completed within
// 26 frames of its start. Called once per tracking frame; GUI thread.
class HeadShakeDetector {
  public:
    static constexpr int kCompletionFrames = 26;
    static constexpr int kGiveUpFrames = 27;

    // The thresholds follow the screen size at construction.
    HeadShakeDetector(ScreenSize screen, const Settings& settings, SoundPort& sound,
                      ProgramFolder folder);

    // `x`, `y`: the tracked head point; `centreX`, `centreY`: the calibrated
    // face centre; both in camera image pixels. True once, on the frame after
    // the fourth swing if it came in time.
    bool Update(int x, int y, int centreX, int centreY, HeadPauseState pauseState);

    // Swings seen so far (0 to 4), for the progress marks drawn while paused.
    int progress() const { return progress_; }
    int horizontalThreshold() const { return thresholdX_; }
    int verticalThreshold() const { return thresholdY_; }

  private:
    void GiveUpIfTooSlow();

    const Settings& settings_;
    SoundPort& sound_;
    ProgramFolder folder_;
    int thresholdX_ = 0;
    int thresholdY_ = 0;
    std::string swings_;  // "L" and "R", at most four
    int frameCounter_ = 0;
    int progress_ = 0;
};

}  // namespace veltranix
