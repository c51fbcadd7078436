#include "app/ui/popup_widgets.h"

#include <algorithm>

#include <QPainter>

namespace veltranix {

LoadingBarWidget::LoadingBarWidget(const TrackingShared& shared, const Lexicon& lexicon,
                                   SkinLibrary& skins)
    : SkinnedWindow("BarraDeCarga", nullptr, skins), shared_(shared), lexicon_(lexicon) {
    repaint_.setInterval(kLoadingBarRepaintPeriodMs);
    connect(&repaint_, &QTimer::timeout, this, [this] { update(); });
    repaint_.start();
}

void LoadingBarWidget::Paint(QPainter& painter) {
    // Drawn in pixels at 96 dpi scaled to the bar's size: the progress
    // counts in those pixels.
    const int widthPx = std::max(1, lexicon_.positionHintWidth);
    const double scale = static_cast<double>(deviceRect().width()) / widthPx;
    painter.fillRect(deviceRect(), Qt::white);
    painter.save();
    painter.scale(scale, scale);
    const LoadingBarView view =
        LoadingBarViewFor(widthPx, shared_.faceStatus.load(), shared_.steadyProgress.load(),
                          shared_.calibrationHold.load(), lexicon_);
    if (view.greenWidthPx) {
        painter.fillRect(QRect(0, 0, *view.greenWidthPx, kLoadingBarHeight),
                         ToQColor(kLoadingBarGreen));
    }
    if (view.hint) {
        PaintSkinText(painter, *view.hint);
    }
    painter.restore();
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(deviceRect().adjusted(0, 0, -1, -1));
}

}  // namespace veltranix
