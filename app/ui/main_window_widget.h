#pragma once

#include <string>
#include <vector>

#include <QImage>

#include "app/shell/main_window_logic.h"
#include "app/ui/skinned_window.h"
#include "capture/camera_source.h"
#include "capture/capture_frame.h"
#include "settings/lexicon.h"

namespace veltranix {

// The main window: the camera picture (start-up and docked forms), the
// button menu, the restart countdown. Paints from MainWindowLogic and hands
// it the pointer. The picture is made once per frame at the size it is
// shown, in the screen's pixel format, and not at all while it is hidden.
class MainWindowWidget final : public SkinnedWindow {
  public:
    MainWindowWidget(MainWindowLogic& logic, const Lexicon& lexicon, SkinLibrary& skins);

    void ShowCameraFrame(const CaptureFrame& frame);
    void SetCameraHealth(CameraHealth health) {
        health_ = health;
        update();
    }
    // While no camera has been found: these words instead of the camera
    // trouble's (empty: the trouble's own).
    void SetCameraWaiting(std::string words) {
        waitingWords_ = std::move(words);
        update();
    }
    void SetCameraViewShown(bool shown);
    void SetCaptureLayout(FrameLayout layout) { layout_ = layout; }
    // A line of words under the picture for a passing condition (the demo camera).
    void SetNotice(std::string notice) { notice_ = std::move(notice); }

  protected:
    void OnPointerMoved(ScreenPoint clientPoint) override;
    void OnLeftButtonDown(ScreenPoint clientPoint) override;
    void Paint(QPainter& painter) override;

  private:
    // Where the camera picture is shown (device pixels) and the size it is made at.
    QRect PictureRect() const;
    QSize PictureSize() const;
    void PaintPicture(QPainter& painter);
    void PaintSetupBar(QPainter& painter);
    void PaintCameraTrouble(QPainter& painter, const QRect& area);

    MainWindowLogic& logic_;
    const Lexicon& lexicon_;
    QImage picture_;
    bool cameraViewShown_ = true;
    CameraHealth health_ = CameraHealth::Streaming;
    FrameLayout layout_ = FrameLayout::Rgb24BottomUp;
    std::string notice_;
    std::string waitingWords_;
};

}  // namespace veltranix
