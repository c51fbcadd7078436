#include "app/ui/skin_painting.h"

#include "resources/skins/skins.h"

#include <cmath>

#include <QFontMetrics>
#include <QPainter>
#include <QSvgRenderer>

namespace veltranix {

const QPixmap& SkinLibrary::Render(std::string_view name, QSize size) {
    auto key = std::make_pair(std::string(name), std::make_pair(size.width(), size.height()));
    auto found = cache_.find(key);
    if (found != cache_.end()) {
        return found->second;
    }
    QPixmap pixmap;
    QSvgRenderer renderer(skinPath(QString::fromUtf8(name.data(), static_cast<int>(name.size()))));
    if (renderer.isValid() && !size.isEmpty()) {
        pixmap = QPixmap(size);
        pixmap.fill(Qt::white);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(0, 0, size.width(), size.height()));
    }
    return cache_.emplace(std::move(key), std::move(pixmap)).first->second;
}

QFont SkinQFont(const SkinFont& font) {
    QFont qfont(QString::fromUtf8(kSkinFontFamily.data(), kSkinFontFamily.size()));
    if (font.family == FontFamily::Serif) {
        qfont.setFamilies({"Times New Roman", "Liberation Serif", "DejaVu Serif"});
    } else {
        qfont.setFamilies({"Arial", "Liberation Sans", "DejaVu Sans"});
    }
    // The design gives the character cell; the glyphs fill about 80 % of it.
    qfont.setPixelSize(std::max(1, static_cast<int>(std::lround(font.heightPx * 0.8))));
    qfont.setWeight(font.weight == FontWeight::Bold ? QFont::Bold : QFont::Normal);
    qfont.setUnderline(font.underline == Underline::Yes);
    if (font.widthPx > 0) {
        const QFontMetrics metrics(qfont);
        const int average = metrics.averageCharWidth();
        if (average > 0) {
            const int stretch = std::clamp(100 * font.widthPx / average, 50, 150);
            qfont.setStretch(stretch);
        }
    }
    return qfont;
}

QColor ToQColor(RgbColour colour) {
    return QColor(colour.red, colour.green, colour.blue);
}

void PaintSkinText(QPainter& painter, const SkinText& text) {
    const QFont font = SkinQFont(text.font);
    painter.setFont(font);
    painter.setPen(ToQColor(text.colour));
    const QFontMetrics metrics(font);
    painter.drawText(QPoint(text.origin.x, text.origin.y + metrics.ascent()),
                     QString::fromStdString(text.text));
}

int SkinTextWidth(const SkinText& text) {
    return QFontMetrics(SkinQFont(text.font)).horizontalAdvance(QString::fromStdString(text.text));
}

void PaintOutline(QPainter& painter, const ScreenRect& rect, int penWidth, RgbColour colour) {
    QPen pen(ToQColor(colour));
    pen.setWidth(penWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const int inset = penWidth / 2;
    painter.drawRect(QRect(QPoint(rect.left + inset, rect.top + inset),
                           QPoint(rect.right - 1 - inset, rect.bottom - 1 - inset)));
}

}  // namespace veltranix
