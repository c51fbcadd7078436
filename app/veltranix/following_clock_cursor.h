#pragma once

#include <memory>
#include <optional>

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include "core/desktop_port.h"
#include "core/feedback_port.h"
#include "platform/linux/ani_cursor_file.h"

namespace veltranix {

// The clock cursor in a Wayland session. A program cannot change the cursor
// over native Wayland windows, so the animated cursor is drawn in a small
// window of its own instead: above every other, letting every click through,
// following the pointer while the dwell clock runs. The desktop's cursors
// themselves (the hand included) go through `xCursors`, for X windows.
// GUI thread.
class FollowingClockCursor : public CursorPort {
  public:
    FollowingClockCursor(const DesktopPort& desktop, CursorPort& xCursors);
    ~FollowingClockCursor() override;

    bool installAnimatedCursor(const std::filesystem::path& aniFile) override;
    // The clock stands at `part` of its round, for a held gesture's progress.
    bool installCursorStill(const std::filesystem::path& aniFile, double part) override;
    void restoreSystemCursors() override;
    void showHandCursor() override;

  private:
    class Window;
    bool show(const std::filesystem::path& aniFile, std::optional<double> stillPart);
    void follow();

    const DesktopPort& desktop_;
    CursorPort& xCursors_;
    AnimatedCursorCache files_;
    int picturesRead_ = 0;
    std::unique_ptr<Window> window_;
    QTimer followTimer_;
};

}  // namespace veltranix
