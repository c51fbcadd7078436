#include "app/ui/popup_widgets.h"

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
    const LoadingBarView view =
        LoadingBarViewFor(deviceRect().width(), shared_.faceStatus.load(),
                          shared_.steadyProgress.load(), shared_.calibrationHold.load(), lexicon_);
    painter.fillRect(deviceRect(), Qt::white);
    if (view.greenWidthPx) {
        painter.fillRect(QRect(0, 0, *view.greenWidthPx, deviceRect().height()),
                         ToQColor(kLoadingBarGreen));
    }
    if (view.hint) {
        PaintSkinText(painter, *view.hint);
    }
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(deviceRect().adjusted(0, 0, -1, -1));
}

}  // namespace veltranix
