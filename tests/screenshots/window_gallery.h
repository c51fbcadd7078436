#pragma once

// Every form of the main window and every popup, painted offscreen by the
// real widgets in a language and window size: the pictures of the screenshot
// tool and the manuals, and the windows whose texts the screenshot test
// checks. A QApplication must exist.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QImage>
#include <QWidget>

#include "app/shell/skin.h"
#include "settings/lexicon.h"

namespace veltranix::testing {

struct WindowSize {
    int tamany;
    float sizeFactor;
    const char* suffix;
    float desktopScale = 1.0f;
};
inline constexpr WindowSize kWindowSizes[] = {
    {0, 1.0f, "_size0"}, {1, 1.2f, "_size1"}, {2, 1.4f, "_size2"}};
inline constexpr const char* kLanguages[] = {"English", "Spanish", "Portuguese", "Italian"};

// How much of its box a text must keep to.
enum class Fit {
    Across,         // its width only
    AcrossAndDown,  // its width and its height
};

struct BoxedText {
    SkinText text;
    ScreenRect box;
    Fit fit;
};

struct WindowPicture {
    std::string name;  // "mouse_options", without language or size
    QImage image;
    std::vector<BoxedText> texts;     // each must lie in its box
    const QWidget* window = nullptr;  // Qt controls whose texts must fit them
};
using PictureVisit = std::function<void(const WindowPicture&)>;

// The language's lexicon from the project's program folder; none when it
// does not load.
std::optional<Lexicon> LoadLanguage(const char* language);

// Paints every window in `size` (times VELTRANIX_DESKTOP_SCALE when set) and
// hands each picture to `visit`.
void PaintWindows(const Lexicon& lexicon, const WindowSize& size, const PictureVisit& visit);

// The pictures of the user manuals, at the smallest size: the gallery's
// name and the manual's.
struct ManualPicture {
    const char* galleryName;
    const char* manualName;
};
inline constexpr ManualPicture kManualPictures[] = {{"main_startup_bar", "startup"},
                                                    {"main_menu_tracking", "button_menu"},
                                                    {"webcam_options", "webcam_options"},
                                                    {"mouse_options", "mouse_options"},
                                                    {"system_options", "system_options"},
                                                    {"click_menu_macros", "click_menu"},
                                                    {"macro_editor_record_mode", "macro_editor"}};

}  // namespace veltranix::testing
