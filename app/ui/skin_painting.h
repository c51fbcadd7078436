#pragma once

#include <map>
#include <string>
#include <string_view>
#include <utility>

#include <QFont>
#include <QPixmap>

#include "app/shell/skin.h"

class QPainter;

namespace veltranix {

// The windows' artwork: the SVG skins of the program's resources rendered
// at the size a window shows them, each size rendered once. GUI thread.
class SkinLibrary {
  public:
    // The skin `name` (":/skins/<name>.svg") at `size` pixels; a null pixmap
    // when the program has no such skin.
    const QPixmap& Render(std::string_view name, QSize size);

  private:
    std::map<std::pair<std::string, std::pair<int, int>>, QPixmap> cache_;
};

// The font of a skin text: the family with a metric equivalent on this
// desktop (Liberation Sans for Arial), the cell height and the average
// character width of the window's design.
QFont SkinQFont(const SkinFont& font);
QColor ToQColor(RgbColour colour);
void PaintSkinText(QPainter& painter, const SkinText& text);
// The width in pixels the text takes in its font.
int SkinTextWidth(const SkinText& text);
void PaintOutline(QPainter& painter, const ScreenRect& rect, int penWidth, RgbColour colour);

}  // namespace veltranix
