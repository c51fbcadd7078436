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
        case MainWindowForm::Startup:
            return QRect(0, 0, kStartupPictureWidth, kStartupPictureHeight);
        case MainWindowForm::Docked:
            return deviceRect();
        case MainWindowForm::ButtonMenu:
        case MainWindowForm::RestartCountdown:
            break;
    }
    return {};
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
    if (picture_.size() != area.size()) {
        picture_ = QImage(area.size(), QImage::Format_RGB32);
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
            PaintSkinText(painter, logic_.CountdownText());
            break;
    }
    if (const std::optional<ScreenRect> outline = logic_.hoverOutline()) {
        PaintOutline(painter, *outline, logic_.hoverOutlinePenWidth(), kHoverOutlineColour);
    }
}

void MainWindowWidget::PaintPicture(QPainter& painter) {
    const QRect area = PictureRect();
    if (cameraViewShown_ && picture_.size() == area.size() && health_ == CameraHealth::Streaming) {
        // One to one: the picture was made at the size it is shown.
        painter.drawImage(area.topLeft(), picture_);
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
        pen.setWidth(3);
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
    QFont font = SkinQFont({logic_.form() == MainWindowForm::Startup && !waiting ? 28 : 16, 0,
                            FontWeight::Bold, Underline::No});
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(area.adjusted(6, 6, -6, -6), Qt::AlignCenter | Qt::TextWordWrap,
                     QString::fromStdString(waiting ? waitingWords_ : lexicon_.text(key)));
}

void MainWindowWidget::PaintSetupBar(QPainter& painter) {
    const SetupBarKind bar = logic_.setupBar();
    const std::string_view skin =
        bar == SetupBarKind::Automatic ? kAutomaticBarSkin : kManualBarSkin;
    painter.drawPixmap(0, kSetupBarTopY,
                       skins().Render(skin, QSize(kStartupFormSize.width, kSetupBarHeight)));
    if (bar == SetupBarKind::Automatic) {
        for (const SkinText& text : AutomaticBarTexts(layout_, lexicon_)) {
            PaintSkinText(painter, text);
        }
    } else if (logic_.eyesMarkedBlinking()) {
        const QPixmap& okEyes = skins().Render(kEyesMarkedBitmap, QSize(128, 62));
        const QPoint origin(kEyesMarkedBitmapOrigin.x, kEyesMarkedBitmapOrigin.y);
        painter.drawPixmap(origin, okEyes);
        PaintOutline(
            painter,
            {origin.x(), origin.y(), origin.x() + okEyes.width(), origin.y() + okEyes.height()},
            kEyesMarkedFramePenWidth, logic_.eyesMarkedFrameColour());
    }
    if (!notice_.empty()) {
        painter.setFont(SkinQFont({16, 0, FontWeight::Bold, Underline::No}));
        painter.setPen(Qt::white);
        painter.fillRect(QRect(0, kSetupBarTopY - 26, kStartupFormSize.width, 24),
                         QColor(0, 0, 0, 160));
        painter.drawText(QRect(0, kSetupBarTopY - 26, kStartupFormSize.width, 24), Qt::AlignCenter,
                         QString::fromStdString(notice_));
    }
}

}  // namespace veltranix
