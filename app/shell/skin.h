#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/geometry.h"

namespace veltranix {

// A rectangle in the design units of a skin (the size the artwork is drawn
// at); multiplied by the size factor to become client pixels.
struct DesignRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const DesignRect&, const DesignRect&) = default;
};

// Every coordinate multiplied by `sizeFactor` in single precision and
// truncated toward zero, independently of the others.
ScreenRect ScaleDesignRect(const DesignRect& rect, float sizeFactor);
ScreenSize ScaleDesignSize(int designWidth, int designHeight, float sizeFactor);
// A fractional design value (a text position, 7.5 units per character)
// scaled and truncated like the integral ones.
int ScaleDesignValue(double designUnits, float sizeFactor);

// The design point under the middle of a client pixel of a window drawn at
// `sizeFactor`: where a click on a scaled picture lands in the picture.
ScreenPoint DesignPointAt(ScreenPoint clientPoint, float sizeFactor);

// The skins' hit rule: strictly inside, edges excluded
// (left < x < right, top < y < bottom).
bool StrictlyInside(const ScreenRect& rect, ScreenPoint point);

// One hit cell of a skinned window: what it is and where, in design units.
template <typename Id>
struct HitCell {
    Id id;
    DesignRect design;
};

// A window's cells scaled for one size factor. The first cell strictly
// containing a client point wins.
template <typename Id>
class HitTable {
  public:
    HitTable(std::span<const HitCell<Id>> cells, float sizeFactor) {
        scaled_.reserve(cells.size());
        for (const HitCell<Id>& cell : cells) {
            scaled_.push_back({cell.id, ScaleDesignRect(cell.design, sizeFactor)});
        }
    }

    std::optional<Id> Hit(ScreenPoint clientPoint) const {
        for (const Scaled& cell : scaled_) {
            if (StrictlyInside(cell.rect, clientPoint)) {
                return cell.id;
            }
        }
        return std::nullopt;
    }

    // The client rectangle of a cell; none for an id the table lacks.
    std::optional<ScreenRect> RectOf(Id id) const {
        for (const Scaled& cell : scaled_) {
            if (cell.id == id) {
                return cell.rect;
            }
        }
        return std::nullopt;
    }

  private:
    struct Scaled {
        Id id;
        ScreenRect rect;
    };
    std::vector<Scaled> scaled_;
};

struct RgbColour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const RgbColour&, const RgbColour&) = default;
};

// The outline around a hovered button.
inline constexpr RgbColour kHoverOutlineColour{127, 0, 128};
inline constexpr int kMenuOutlinePenWidth = 3;
inline constexpr int kSetupBarOutlinePenWidth = 4;

inline constexpr RgbColour kTextBlack{0, 0, 0};
inline constexpr RgbColour kLinkBlue{0, 0, 255};
inline constexpr RgbColour kSetupBarTextBlue{0, 0, 253};

// Every skin text is set in this family (the widget falls back to a metric
// equivalent where it is missing).
inline constexpr std::string_view kSkinFontFamily = "Arial";

enum class FontWeight { Normal = 400, Bold = 700 };
enum class Underline { No, Yes };
// Sans: Arial; Serif: Times New Roman (each with its metric equivalent).
enum class FontFamily { Sans, Serif };

// A font by its cell: height and average character width in pixels.
struct SkinFont {
    int heightPx = 0;
    int widthPx = 0;
    FontWeight weight = FontWeight::Bold;
    Underline underline = Underline::No;
    FontFamily family = FontFamily::Sans;
    friend bool operator==(const SkinFont&, const SkinFont&) = default;
};

// One text to paint: UTF-8, its top-left corner in client pixels.
struct SkinText {
    std::string text;
    ScreenPoint origin;
    SkinFont font;
    RgbColour colour;
};

// Whether a pointer event changed what the window shows.
enum class Repaint { NotNeeded, Needed };

// Characters (code points) of UTF-8 text: what the windows centre by.
std::size_t CharacterCount(std::string_view utf8);

// Cuts a lexicon text at each two-character sequence backslash, "n" into at
// most `maxLines` lines of at most `maxCharacters` characters each; text
// after the last allowed line is dropped.
std::vector<std::string> SplitLexiconLines(std::string_view text, std::size_t maxLines,
                                           std::size_t maxCharacters);

}  // namespace veltranix
