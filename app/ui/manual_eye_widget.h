#pragma once

#include <QImage>

#include "app/shell/manual_eye_window.h"
#include "app/ui/skinned_window.h"
#include "capture/capture_frame.h"
#include "settings/lexicon.h"

namespace veltranix {

// The manual eye positions window: a still camera picture with the eye
// markers, the crosshair and the verdict on the pair, painted from its
// logic; pointer moves and clicks go to the logic in camera pixels. Never
// takes the focus.
class ManualEyeWidget final : public SkinnedWindow {
  public:
    ManualEyeWidget(ManualEyeWindow& logic, const Lexicon& lexicon, SkinLibrary& skins);

    // Takes a copy of the frame as the still picture and repaints.
    void SetStillFrame(const CaptureFrame& frame);
    bool hasStillFrame() const { return !still_.isNull(); }

  protected:
    void OnPointerMoved(ScreenPoint clientPoint) override;
    void OnLeftButtonDown(ScreenPoint clientPoint) override;
    void Paint(QPainter& painter) override;

  private:
    // Device pixels per camera pixel: the window is placed at a multiple
    // of its size in camera pixels.
    float scale() const;

    ManualEyeWindow& logic_;
    const Lexicon& lexicon_;
    QImage still_;
};

}  // namespace veltranix
