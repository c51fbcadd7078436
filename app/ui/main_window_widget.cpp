#include "app/ui/main_window_widget.h"

#include <span>

#include <QPainter>

#include "app/ui/device_pixels.h"
#include "capture/frame_preview.h"

namespace veltranix {
namespace {

constexpr int kStartupPictureWidth = 640;
constexpr int kStartupPictureHeight = 480;

}  // namespace

MainWindowWidget::MainWindowWidget(MainWindowLogic& logic, const Lexicon& lexicon,
                                   SkinLibrary& skins)
    : SkinnedWindow("Veltranix", nullptr, skins), logic_(logic), lexicon_(lexicon) {}

QRect MainWindowWidget::PictureRect() const {
    switch (logic_.form()) {
        case MainWindowForm::Startup: {
            const float scale = logic_.formScale();
            return QRect(0, 0, ScaleDesignValue(kStartupPictureWidth, scale),
                         ScaleDesignValue(kStartupPictureHeight, scale));
        }
        case MainWindowForm::Docked:
            return deviceRect();
        case MainWindowForm::ButtonMenu:
        case MainWindowForm::RestartCountdown:
            break;
    }
    return {};
}

QSize MainWindowWidget::PictureSize() const {
    // The start-up picture is made at the camera's size and drawn scaled
    // smoothly; the docked one at the size it is shown.
    if (logic_.form() == MainWindowForm::Startup) {
        return QSize(kStartupPictureWidth, kStartupPictureHeight);
    }
    return PictureRect().size();
}

void MainWindowWidget::SetCameraViewShown(bool shown) {
    if (cameraViewShown_ != shown) {
        cameraViewShown_ = shown;
        update();
    }
}

void MainWindowWidget::ShowCameraFrame(const CaptureFrame& frame) {
    layout_ = frame.layout;
    const QRect area = PictureRect();
    if (!isVisible() || !cameraViewShown_ || area.isEmpty()) {
        return;
    }
    const QSize size = PictureSize();
    if (picture_.size() != size) {
        picture_ = QImage(size, QImage::Format_RGB32);
    }
    auto* words = reinterpret_cast<std::uint32_t*>(picture_.bits());
    RenderFramePreview(frame, picture_.width(), picture_.height(),
                       std::span<std::uint32_t>(
                           words, static_cast<std::size_t>(picture_.width()) * picture_.height()));
    update(ToLogicalClient(*this, area));
}

void MainWindowWidget::OnPointerMoved(ScreenPoint clientPoint) {
    if (logic_.OnPointerMoved(clientPoint) == Repaint::Needed) {
        update();
    }
}

void MainWindowWidget::OnLeftButtonDown(ScreenPoint clientPoint) {
    logic_.OnLeftButtonDown(clientPoint);
    update();
}

void MainWindowWidget::Paint(QPainter& painter) {
    // Pictures and artwork in device pixels, texts and lines in form pixels
    // scaled to device pixels: sharp at any desktop scale.
    const float scale = logic_.formScale();
    switch (logic_.form()) {
        case MainWindowForm::Startup:
            PaintPicture(painter);
            PaintSetupBar(painter);
            break;
        case MainWindowForm::Docked:
            PaintPicture(painter);
            break;
        case MainWindowForm::ButtonMenu:
            PaintSkin(painter, logic_.menuSkin());
            break;
        case MainWindowForm::RestartCountdown:
            PaintSkin(painter, kRestartSkin);
            break;
    }
    painter.scale(scale, scale);
    if (logic_.form() == MainWindowForm::RestartCountdown) {
        PaintSkinText(painter, logic_.CountdownText());
    }
    if (const std::optional<ScreenRect> outline = logic_.hoverOutline()) {
        PaintOutline(painter, *outline, logic_.hoverOutlinePenWidth(), kHoverOutlineColour);
    }
}

void MainWindowWidget::PaintPicture(QPainter& painter) {
    const QRect area = PictureRect();
    if (cameraViewShown_ && picture_.size() == PictureSize() &&
        health_ == CameraHealth::Streaming) {
        if (picture_.size() == area.size()) {
            painter.drawImage(area.topLeft(), picture_);
        } else {
            painter.save();
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(area, picture_);
            painter.restore();
        }
    } else {
        painter.fillRect(area, QColor(30, 30, 30));
    }
    if (health_ != CameraHealth::Streaming) {
        PaintCameraTrouble(painter, area);
    }
    if (logic_.form() == MainWindowForm::Startup && logic_.calibrationHold() &&
        logic_.markerGridShown()) {
        // The held calibration: a grid over the picture, blinking.
        QPen pen(QColor(255, 230, 0));
        pen.setWidth(ScaleDesignValue(3, logic_.formScale()));
        painter.setPen(pen);
        for (int column = 1; column < 4; ++column) {
            const int x = area.left() + area.width() * column / 4;
            painter.drawLine(x, area.top(), x, area.bottom());
        }
        for (int row = 1; row < 3; ++row) {
            const int y = area.top() + area.height() * row / 3;
            painter.drawLine(area.left(), y, area.right(), y);
        }
    }
}

void MainWindowWidget::PaintCameraTrouble(QPainter& painter, const QRect& area) {
    const LexiconKey key =
        health_ == CameraHealth::Frozen ? LexiconKey::CameraFrozen : LexiconKey::CameraLost;
    const bool waiting = !waitingWords_.empty();
    // The waiting words carry the device and the system's reason: smaller.
    const float scale = logic_.formScale();
    const int heightPx = logic_.form() == MainWindowForm::Startup && !waiting ? 28 : 16;
    QFont font = SkinQFont({ScaleDesignValue(heightPx, scale), 0, FontWeight::Bold, Underline::No});
    painter.setFont(font);
    painter.setPen(Qt::white);
    const int margin = ScaleDesignValue(6, scale);
    painter.drawText(area.adjusted(margin, margin, -margin, -margin),
                     Qt::AlignCenter | Qt::TextWordWrap,
                     QString::fromStdString(waiting ? waitingWords_ : lexicon_.text(key)));
}

void MainWindowWidget::PaintSetupBar(QPainter& painter) {
    const SetupBarKind bar = logic_.setupBar();
    const std::string_view skin =
        bar == SetupBarKind::Automatic ? kAutomaticBarSkin : kManualBarSkin;
    // The artwork is rendered at its size in device pixels, the rest drawn
    // in form pixels.
    const float scale = logic_.formScale();
    const int barTop = ScaleDesignValue(kSetupBarTopY, scale);
    painter.drawPixmap(
        0, barTop,
        skins().Render(skin, QSize(deviceRect().width(), deviceRect().height() - barTop)));
    if (bar == SetupBarKind::Automatic) {
        painter.save();
        painter.scale(scale, scale);
        for (const SkinText& text : AutomaticBarTexts(layout_, lexicon_)) {
            PaintSkinText(painter, text);
        }
        painter.restore();
    } else if (logic_.eyesMarkedBlinking()) {
        const ScreenRect frame =
            ScaleDesignRect({kEyesMarkedBitmapOrigin.x, kEyesMarkedBitmapOrigin.y,
                             kEyesMarkedBitmapOrigin.x + 128, kEyesMarkedBitmapOrigin.y + 62},
                            scale);
        painter.drawPixmap(frame.left, frame.top,
                           skins().Render(kEyesMarkedBitmap, QSize(frame.right - frame.left,
                                                                   frame.bottom - frame.top)));
        PaintOutline(painter, frame, ScaleDesignValue(kEyesMarkedFramePenWidth, scale),
                     logic_.eyesMarkedFrameColour());
    }
    if (!notice_.empty()) {
        painter.save();
        painter.scale(scale, scale);
        painter.setFont(SkinQFont({16, 0, FontWeight::Bold, Underline::No}));
        painter.setPen(Qt::white);
        painter.fillRect(QRect(0, kSetupBarTopY - 26, kStartupFormSize.width, 24),
                         QColor(0, 0, 0, 160));
        painter.drawText(QRect(0, kSetupBarTopY - 26, kStartupFormSize.width, 24), Qt::AlignCenter,
                         QString::fromStdString(notice_));
        painter.restore();
    }
}

}  // namespace veltranix
