#include "app/ui/manual_eye_widget.h"

#include <span>

#include <QPainter>

#include "capture/frame_preview.h"

namespace veltranix {

ManualEyeWidget::ManualEyeWidget(ManualEyeWindow& logic, const Lexicon& lexicon, SkinLibrary& skins)
    : SkinnedWindow("TRANSPARENT", nullptr, skins), logic_(logic), lexicon_(lexicon) {}

void ManualEyeWidget::SetStillFrame(const CaptureFrame& frame) {
    QImage picture(kFrameWidth, kFrameHeight, QImage::Format_RGB32);
    auto* words = reinterpret_cast<std::uint32_t*>(picture.bits());
    RenderFramePreview(frame, kFrameWidth, kFrameHeight,
                       std::span<std::uint32_t>(words, static_cast<std::size_t>(kFramePixels)));
    still_ = std::move(picture);
    update();
}

float ManualEyeWidget::scale() const {
    return static_cast<float>(deviceRect().width()) /
           static_cast<float>(kManualEyeWindowSize.width);
}

void ManualEyeWidget::OnPointerMoved(ScreenPoint clientPoint) {
    if (logic_.OnPointerMoved(DesignPointAt(clientPoint, scale())) == Repaint::Needed) {
        update();
    }
}

void ManualEyeWidget::OnLeftButtonDown(ScreenPoint clientPoint) {
    // The logic works in camera pixels.
    logic_.OnLeftButtonDown(DesignPointAt(clientPoint, scale()));
    update();
}

void ManualEyeWidget::Paint(QPainter& painter) {
    painter.fillRect(deviceRect(), Qt::black);
    // Nothing but the background until a picture has come from the camera.
    if (still_.isNull()) {
        return;
    }
    // The picture scaled smoothly to device pixels; lines and texts drawn in
    // camera pixels scaled, sharp.
    const float factor = scale();
    if (factor == 1.0f) {
        painter.drawImage(0, 0, still_);
    } else {
        painter.save();
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(0, 0, ScaleDesignValue(kFrameWidth, factor),
                                ScaleDesignValue(kFrameHeight, factor)),
                          still_);
        painter.restore();
    }
    painter.scale(factor, factor);
    if (const std::optional<Crosshair> cross = logic_.CrosshairView()) {
        QPen pen(ToQColor(kCrosshairColour));
        pen.setWidth(kCrosshairPenWidth);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawLine(cross->verticalFrom.x, cross->verticalFrom.y, cross->verticalTo.x,
                         cross->verticalTo.y);
        painter.drawLine(cross->horizontalFrom.x, cross->horizontalFrom.y, cross->horizontalTo.x,
                         cross->horizontalTo.y);
        pen.setWidth(1);
        painter.setPen(pen);
        painter.drawEllipse(QPoint(cross->centre.x, cross->centre.y), kCrosshairCircleRadius,
                            kCrosshairCircleRadius);
    }
    if (!logic_.markersShown()) {
        return;
    }
    QPen marker(ToQColor(logic_.markerColour()));
    marker.setWidth(2);
    painter.setPen(marker);
    for (const ScreenPoint eye : {logic_.leftMarker(), logic_.rightMarker()}) {
        painter.drawLine(eye.x - kMarkerArmPixels, eye.y, eye.x + kMarkerArmPixels, eye.y);
        painter.drawLine(eye.x, eye.y - kMarkerArmPixels, eye.x, eye.y + kMarkerArmPixels);
    }
    if (const std::optional<SkinText> message = logic_.Message(lexicon_)) {
        // Black on an opaque white band, readable over any picture.
        const int width = SkinTextWidth(*message);
        const int left = (kManualEyeWindowSize.width - width) / 2;
        painter.fillRect(
            QRect(left - 4, message->origin.y - 2, width + 8, message->font.heightPx + 4),
            Qt::white);
        SkinText centred = *message;
        centred.origin.x = left;
        PaintSkinText(painter, centred);
    }
}

}  // namespace veltranix
