#pragma once

#include <functional>
#include <memory>

#include <QPointer>

#include "app/shell/manual_eye_window.h"
#include "app/ui/manual_eye_widget.h"
#include "settings/settings_persistence.h"
#include "tracking/tracking_loop.h"

namespace veltranix {

// The manual eye positions view: its window over a still camera picture,
// the markers drawn into the live frame while it is active, and tracking
// started from the marked eyes. GUI thread.
class ManualEyeView final : public ManualEyeActions {
  public:
    // `eyePairConfirmed` tells the main window whether to blink its OK frame.
    ManualEyeView(Settings& settings, const Lexicon& lexicon, SkinLibrary& skins,
                  std::function<void(bool)> eyePairConfirmed);
    ~ManualEyeView() override;

    void attach(TrackingLoop& loop) { loop_ = &loop; }
    void attachStore(SettingsPersistence& persistence) { persistence_ = &persistence; }

    // Creates the window at `rect` (fresh picture, stored markers), or shows
    // it again with a fresh picture after a menu over it closed.
    void open(const ScreenRect& rect);
    // A menu opened over the window hides it.
    void hideForMenu();
    // The window is destroyed; the view stays active until left.
    void close();
    // Ends the view: the window closes, nothing more is drawn into frames.
    void leave();

    // The camera's frame, before anything is drawn into it: taken as the
    // still picture when one was asked for.
    void offerFrame(const CaptureFrame& frame);

    bool active() const { return active_; }
    void drawGuides(CaptureFrame& frame) const;
    bool bothEyesMarked() const;
    void clearMarks();
    // Tracking starts from the confirmed pair, with the automatic adjustment
    // off; nothing happens without one.
    void startTracking();

    QWidget* widget() const { return widget_.data(); }
    const ManualEyeWindow* logic() const { return logic_.get(); }

    // ManualEyeActions.
    void saveEyePositions(const ManualEyePositions& positions) override;
    void eyePairConfirmed(bool confirmed) override;

  private:
    Settings& settings_;
    const Lexicon& lexicon_;
    SkinLibrary& skins_;
    std::function<void(bool)> confirmed_;
    TrackingLoop* loop_ = nullptr;
    SettingsPersistence* persistence_ = nullptr;
    std::unique_ptr<ManualEyeWindow> logic_;
    QPointer<ManualEyeWidget> widget_;
    bool active_ = false;
    bool stillWanted_ = false;
};

}  // namespace veltranix
