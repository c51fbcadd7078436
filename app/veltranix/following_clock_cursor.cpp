#include "app/veltranix/following_clock_cursor.h"

#include <algorithm>
#include <cstdio>

#include <QBitmap>
#include <QImage>
#include <QPainter>

#include "app/ui/device_pixels.h"
#include "app/ui/focus_free_window.h"

namespace veltranix {
namespace {

constexpr int kFollowPeriodMs = 20;
// The clock sits below and right of the pointer, as a busy cursor's does,
// leaving the point the pointer aims at in sight.
constexpr int kOffsetFromPointerPixels = 12;

}  // namespace

class FollowingClockCursor::Window : public QWidget {
  public:
    Window() : QWidget(nullptr) {
        MakeFocusFree(*this, Qt::WindowTransparentForInput);
        setWindowTitle("VeltranixClockCursor");
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

    // Converts the cursor's pictures once per cursor file read.
    void takePictures(const AnimatedCursor& cursor) {
        frames_.clear();
        int width = 1;
        int height = 1;
        for (const CursorImage& image : cursor.images) {
            width = std::max(width, image.width);
            height = std::max(height, image.height);
            QImage frame(image.width, image.height, QImage::Format_ARGB32);
            for (int y = 0; y < image.height; ++y) {
                auto* row = reinterpret_cast<QRgb*>(frame.scanLine(y));
                std::copy_n(image.argbPixels.begin() + static_cast<std::ptrdiff_t>(y) * image.width,
                            image.width, row);
            }
            frames_.push_back(frame);
        }
        setFixedSize(width, height);
        shown_ = frames_.size();
    }

    // Plays `steps` from their start; one step stands still.
    void play(std::vector<CursorStep> steps) {
        steps_ = std::move(steps);
        durationMs_ = std::max(1, StepsDurationMs(steps_));
        started_.start();
        advance();
    }

    void advance() {
        if (steps_.empty()) {
            return;
        }
        int left = static_cast<int>(started_.elapsed() % durationMs_);
        std::size_t image = steps_.back().imageIndex;
        for (const CursorStep& step : steps_) {
            if (left < step.delayMs) {
                image = step.imageIndex;
                break;
            }
            left -= step.delayMs;
        }
        if (image != shown_ && image < frames_.size()) {
            shown_ = image;
            // Shaped rather than translucent: on GNOME an XWayland window with
            // an alpha channel near the pointer takes the pointer from the
            // native windows for good.
            setMask(QBitmap::fromImage(frames_[shown_].createAlphaMask()));
            update();
        }
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        if (shown_ < frames_.size()) {
            painter.drawImage(0, 0, frames_[shown_]);
        }
    }

  private:
    std::vector<CursorStep> steps_;
    int durationMs_ = 1;
    std::vector<QImage> frames_;
    std::size_t shown_ = 0;
    QElapsedTimer started_;
};

FollowingClockCursor::FollowingClockCursor(const DesktopPort& desktop, CursorPort& xCursors)
    : desktop_(desktop), xCursors_(xCursors) {
    followTimer_.setInterval(kFollowPeriodMs);
    QObject::connect(&followTimer_, &QTimer::timeout, [this] { follow(); });
}

FollowingClockCursor::~FollowingClockCursor() = default;

bool FollowingClockCursor::installAnimatedCursor(const std::filesystem::path& aniFile) {
    return show(aniFile, std::nullopt);
}

bool FollowingClockCursor::installCursorStill(const std::filesystem::path& aniFile, double part) {
    return show(aniFile, part);
}

bool FollowingClockCursor::show(const std::filesystem::path& aniFile,
                                std::optional<double> stillPart) {
    std::string error;
    const AnimatedCursor* cursor = files_.load(aniFile, &error);
    if (cursor == nullptr) {
        std::fprintf(stderr, "veltranix: %s: %s\n", aniFile.string().c_str(), error.c_str());
        return false;
    }
    // The window already shown is kept: a new one would flash at each step.
    const bool fresh = !window_;
    if (fresh) {
        window_ = std::make_unique<Window>();
    }
    if (fresh || picturesRead_ != files_.reads()) {
        window_->takePictures(*cursor);
        picturesRead_ = files_.reads();
    }
    window_->play(stillPart ? std::vector{cursor->steps[cursor->stepAt(*stillPart)]}
                            : cursor->steps);
    follow();
    if (fresh) {
        window_->show();
    }
    followTimer_.start();
    return true;
}

void FollowingClockCursor::follow() {
    if (!window_) {
        return;
    }
    const ScreenPoint pointer = desktop_.pointerPosition();
    const ScreenPoint corner{pointer.x + kOffsetFromPointerPixels,
                             pointer.y + kOffsetFromPointerPixels};
    window_->move(ToLogical({corner.x, corner.y, corner.x + 1, corner.y + 1}).topLeft());
    window_->advance();
}

void FollowingClockCursor::restoreSystemCursors() {
    followTimer_.stop();
    window_.reset();
    xCursors_.restoreSystemCursors();
}

void FollowingClockCursor::showHandCursor() {
    followTimer_.stop();
    window_.reset();
    xCursors_.showHandCursor();
}

}  // namespace veltranix
