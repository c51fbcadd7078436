#include "pointer/head_shake_detector.h"

namespace veltranix {

HeadShakeDetector::HeadShakeDetector(ScreenSize screen, const Settings& settings, SoundPort& sound,
                                     ProgramFolder folder)
    : settings_(settings),
      sound_(sound),
      folder_(std::move(folder)),
      thresholdX_((2 * WithinScreenLimits(screen).width) / 1280),
      thresholdY_((WithinScreenLimits(screen).height * 20) / 1024) {}

void HeadShakeDetector::GiveUpIfTooSlow() {
    if (frameCounter_ > kGiveUpFrames) {
        swings_.clear();
        progress_ = 1;
        frameCounter_ = 0;
    }
}

bool HeadShakeDetector::Update(int x, int y, int centreX, int centreY, HeadPauseState pauseState) {
    if (swings_.empty()) {
        swings_ = "L";
        frameCounter_ = 0;
        return false;
    }
    if (swings_.size() == 4) {
        swings_.clear();
        progress_ = 0;
        if (frameCounter_ < kCompletionFrames) {
            frameCounter_ = 0;
            return true;
        }
        GiveUpIfTooSlow();
        return false;
    }

    ++frameCounter_;
    const bool atCentreHeight = centreY - thresholdY_ < y && y < centreY + thresholdY_;
    const char last = swings_.back();
    bool swung = false;
    if (x < centreX - thresholdX_ && atCentreHeight && last == 'R') {
        swings_ += 'L';
        swung = true;
    }
    if (x > centreX + thresholdX_ && atCentreHeight && last == 'L') {
        swings_ += 'R';
        swung = true;
    }
    if (swung) {
        progress_ = static_cast<int>(swings_.size());
        if ((progress_ == 3 || progress_ == 4) && settings_.so == 1 &&
            pauseState == HeadPauseState::Paused) {
            sound_.play(folder_.soundsFolder() / "sound1.wav", SoundOverlap::DoNotInterrupt);
        }
    }
    GiveUpIfTooSlow();
    return false;
}

}  // namespace veltranix
