#include "app/ui/popup_widgets.h"

#include <QPainter>

namespace veltranix {

void WarningWidget::Paint(QPainter& painter) {
    PaintSkin(painter, kWarningSkin);
    for (const SkinText& text : logic_.Texts(lexicon_)) {
        PaintSkinText(painter, text);
    }
    if (const std::optional<ScreenRect> outline = logic_.hoverOutline()) {
        PaintOutline(painter, *outline, kMenuOutlinePenWidth, kHoverOutlineColour);
    }
}

void AboutWidget::Paint(QPainter& painter) {
    PaintSkin(painter, kAboutSkin);
    for (const SkinText& text : logic_.Texts(lexicon_)) {
        PaintSkinText(painter, text);
    }
    if (const std::optional<ScreenRect> outline = logic_.hoverOutline()) {
        PaintOutline(painter, *outline, kMenuOutlinePenWidth, kHoverOutlineColour);
    }
}

LoadingBarWidget::LoadingBarWidget(const TrackingShared& shared, const Lexicon& lexicon,
                                   SkinLibrary& skins)
    : SkinnedWindow("BarraDeCarga", nullptr, skins), shared_(shared), lexicon_(lexicon) {
    repaint_.setInterval(kLoadingBarRepaintPeriodMs);
    connect(&repaint_, &QTimer::timeout, this, [this] { update(); });
    repaint_.start();
}

void LoadingBarWidget::Paint(QPainter& painter) {
    const LoadingBarView view =
        LoadingBarViewFor(width(), shared_.faceStatus.load(), shared_.steadyProgress.load(),
                          shared_.calibrationHold.load(), lexicon_);
    painter.fillRect(rect(), Qt::white);
    if (view.greenWidthPx) {
        painter.fillRect(QRect(0, 0, *view.greenWidthPx, height()), ToQColor(kLoadingBarGreen));
    }
    if (view.hint) {
        PaintSkinText(painter, *view.hint);
    }
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace veltranix
