#include "app/ui/options_menu_widget.h"

#include <QPainter>

namespace veltranix {

namespace {

QRect ToQRect(const ScreenRect& rect) {
    return QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

}  // namespace

OptionsMenuWidget::OptionsMenuWidget(std::string_view title, bool* openFlag, OptionsMenu& menu,
                                     const Lexicon& lexicon, SkinLibrary& skins)
    : SkinnedWindow(title, openFlag, skins), menu_(menu), lexicon_(lexicon) {
    const std::span<const int> periods = menu_.timerPeriodsMs();
    for (std::size_t index = 0; index < periods.size(); ++index) {
        auto timer = std::make_unique<QTimer>(this);
        timer->setInterval(periods[index]);
        connect(timer.get(), &QTimer::timeout, this, [this, index] {
            if (menu_.OnTimer(index) == Repaint::Needed) {
                update();
            }
        });
        timer->start();
        timers_.push_back(std::move(timer));
    }
}

void OptionsMenuWidget::OnPointerMoved(ScreenPoint clientPoint) {
    if (menu_.OnPointerMoved(clientPoint) == Repaint::Needed) {
        update();
    }
}

void OptionsMenuWidget::OnLeftButtonDown(ScreenPoint clientPoint) {
    menu_.OnLeftButtonDown(clientPoint);
    update();
}

void OptionsMenuWidget::Paint(QPainter& painter) {
    PaintOptionsMenuView(painter, skins(), menu_.View(lexicon_), deviceRect().size());
}

void PaintOptionsMenuView(QPainter& painter, SkinLibrary& skins, const OptionsMenuView& view,
                          QSize windowSize) {
    painter.drawPixmap(0, 0, skins.Render(view.skin, windowSize));
    for (const MenuFill& fill : view.fills) {
        QColor colour = ToQColor(fill.colour);
        colour.setAlpha(fill.alpha);
        painter.fillRect(ToQRect(fill.rect), colour);
    }
    for (const MenuPicture& picture : view.pictures) {
        const QRect rect = ToQRect(picture.rect);
        painter.drawPixmap(rect.topLeft(), skins.Render(picture.skin, rect.size()));
    }
    for (const ScreenRect& mark : view.checkMarks) {
        const QRect rect = ToQRect(mark);
        painter.drawPixmap(rect.topLeft(), skins.Render(kCheckMarkSkin, rect.size()));
    }
    for (const MenuText& text : view.texts) {
        PaintSkinText(painter, text.text);
    }
    for (const MenuLine& line : view.lines) {
        QPen pen(ToQColor(line.colour));
        pen.setWidth(line.penWidth);
        pen.setCapStyle(Qt::FlatCap);
        painter.setPen(pen);
        painter.drawLine(QPoint(line.from.x, line.from.y), QPoint(line.to.x, line.to.y));
    }
    for (const MenuOutline& outline : view.outlines) {
        PaintOutline(painter, outline.rect, outline.penWidth, outline.colour);
    }
}

}  // namespace veltranix
