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
    explicit Window(AnimatedCursor cursor) : QWidget(nullptr) {
        MakeFocusFree(*this, Qt::WindowTransparentForInput);
        setWindowTitle("VeltranixClockCursor");
        setAttribute(Qt::WA_TransparentForMouseEvents);
        replace(std::move(cursor));
    }

    // A new animation, from its start; the next `advance` shows it.
    void replace(AnimatedCursor cursor) {
        cursor_ = std::move(cursor);
        frames_.clear();
        int width = 1;
        int height = 1;
        for (const CursorImage& image : cursor_.images) {
            width = std::max(width, image.width);
            height = std::max(height, image.height);
            QImage frame(image.width, image.height, QImage::Format_ARGB32);
            for (int y = 0; y < image.height; ++y) {
                for (int x = 0; x < image.width; ++x) {
                    frame.setPixel(x, y,
                                   image.argbPixels[static_cast<std::size_t>(y * image.width + x)]);
                }
            }
            frames_.push_back(frame);
        }
        setFixedSize(width, height);
        // Shaped rather than translucent: on GNOME an XWayland window with an
        // alpha channel near the pointer takes the pointer from the native
        // windows for good.
        if (!frames_.empty()) {
            setMask(QBitmap::fromImage(frames_.front().createAlphaMask()));
        }
        shown_ = 0;
        started_.start();
        update();
    }

    // Stops the animation at the step standing for `part` of it.
    void standStill(double part) {
        if (!cursor_.steps.empty()) {
            cursor_.steps = {cursor_.steps[cursor_.stepAt(part)]};
        }
    }

    void advance() {
        if (cursor_.steps.empty()) {
            return;
        }
        const int duration = std::max(1, cursor_.durationMs());
        int left = static_cast<int>(started_.elapsed() % duration);
        std::size_t image = cursor_.steps.back().imageIndex;
        for (const CursorStep& step : cursor_.steps) {
            if (left < step.delayMs) {
                image = step.imageIndex;
                break;
            }
            left -= step.delayMs;
        }
        if (image != shown_ && image < frames_.size()) {
            shown_ = image;
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
    AnimatedCursor cursor_;
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
    AnimatedCursor cursor;
    std::string error;
    if (!ReadAnimatedCursorFile(aniFile, &cursor, &error) || cursor.images.empty()) {
        std::fprintf(stderr, "veltranix: %s: %s\n", aniFile.string().c_str(), error.c_str());
        return false;
    }
    // The window already shown is kept: a new one would flash at each step.
    const bool fresh = !window_;
    if (fresh) {
        window_ = std::make_unique<Window>(std::move(cursor));
    } else {
        window_->replace(std::move(cursor));
    }
    if (stillPart) {
        window_->standStill(*stillPart);
    }
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
