// Every form of the main window and every popup, painted by the real widgets
// in each window size and language: each is painted, and every text fits its
// window. The window_screenshots tool writes the same pictures as PNG files.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>

#include "app/ui/skin_painting.h"
#include "app/veltranix/following_clock_cursor.h"
#include "tests/screenshots/window_gallery.h"
#include "tracking/headless_ports.h"

// Fontconfig, loaded by Qt's font set-up, leaks at load time; our own code
// keeps its leak check in the other suites.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}

namespace veltranix::testing {
namespace {

// A skin that failed to load leaves one flat colour.
bool Flat(const QImage& image) {
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width(); x += 3) {
            if (image.pixel(x, y) != image.pixel(0, 0)) {
                return false;
            }
        }
    }
    return true;
}

void ExpectInside(const BoxedText& boxed, const std::string& where) {
    const SkinText& text = boxed.text;
    const ScreenRect& box = boxed.box;
    const int width = SkinTextWidth(text);
    const std::string what = where + ": \"" + text.text + "\" " + std::to_string(width) +
                             " px wide at x " + std::to_string(text.origin.x);
    EXPECT_GE(text.origin.x, box.left) << what;
    EXPECT_LE(text.origin.x + width, box.right) << what;
    if (boxed.fit == Fit::AcrossAndDown) {
        EXPECT_GE(text.origin.y, box.top) << what;
        EXPECT_LE(text.origin.y + text.font.heightPx, box.bottom) << what;
    }
}

// Every label, button and group title of a window fits its control.
void ExpectChildTextsFit(const QWidget& window, const std::string& where) {
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (label->text().isEmpty()) {
            continue;
        }
        if (label->wordWrap()) {
            EXPECT_LE(label->heightForWidth(label->width()), label->height())
                << where << ": \"" << label->text().toStdString() << "\" does not fit";
            continue;
        }
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
            << where << ": \"" << label->text().toStdString() << "\" does not fit";
    }
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()), button->width() - 4)
            << where << ": \"" << button->text().toStdString() << "\" does not fit";
    }
    for (QGroupBox* group : window.findChildren<QGroupBox*>()) {
        EXPECT_LE(group->fontMetrics().horizontalAdvance(group->title()), group->width() - 20)
            << where << ": \"" << group->title().toStdString() << "\" does not fit";
    }
}

void StartQt() {
    static int argc = 1;
    static char name[] = "window_screenshots_test";
    static char* argv[] = {name, nullptr};
    static QApplication application(argc, argv);
}

class WindowScreenshots : public ::testing::TestWithParam<const char*> {};

TEST_P(WindowScreenshots, EveryWindowIsPaintedAndItsTextsFitInEverySize) {
    StartQt();
    const std::optional<Lexicon> lexicon = LoadLanguage(GetParam());
    ASSERT_TRUE(lexicon.has_value());
    for (const WindowSize& size : kWindowSizes) {
        PaintWindows(*lexicon, size, [&](const WindowPicture& picture) {
            const std::string where = picture.name + "_" + GetParam() + size.suffix;
            EXPECT_FALSE(picture.image.isNull() || Flat(picture.image)) << where;
            for (const BoxedText& text : picture.texts) {
                ExpectInside(text, where);
            }
            if (picture.window != nullptr) {
                ExpectChildTextsFit(*picture.window, where);
            }
        });
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, WindowScreenshots, ::testing::ValuesIn(kLanguages));

// Where the pointer's cursor cannot be changed, a held gesture's progress is
// the clock standing still in the one window that follows the pointer.
TEST(FollowingClockCursor, AHoldShowsTheClockStandingAtItsPartInOneWindow) {
    StartQt();
    HeadlessDesktop desktop;
    HeadlessCursors xCursors;
    FollowingClockCursor cursor(desktop, xCursors);
    const std::filesystem::path file =
        ProgramFolder{VELTRANIX_PROGRAM_FOLDER}.cursorsFolder() / "cur3.ani";
    AnimatedCursor animation;
    ASSERT_TRUE(ReadAnimatedCursorFile(file, &animation, nullptr));
    const QWidget* first = nullptr;
    for (const double part : {0.0, 0.5, 1.0}) {
        ASSERT_TRUE(cursor.installCursorStill(file, part));
        const QWidgetList shown = QApplication::topLevelWidgets();
        const auto window = std::find_if(shown.begin(), shown.end(), [](const QWidget* widget) {
            return widget->windowTitle() == "VeltranixClockCursor";
        });
        ASSERT_NE(window, shown.end());
        EXPECT_EQ(*window, first = first ? first : *window) << "a new window at part " << part;
        const CursorImage& wanted =
            animation.images[animation.steps[animation.stepAt(part)].imageIndex];
        const QImage painted = (*window)->grab().toImage();
        for (std::size_t at = 0; at < wanted.argbPixels.size(); ++at) {
            const int x = static_cast<int>(at) % wanted.width,
                      y = static_cast<int>(at) / wanted.width;
            ASSERT_TRUE(wanted.argbPixels[at] >> 24 != 0xFF ||
                        painted.pixel(x, y) == wanted.argbPixels[at])
                << "not the clock at part " << part;
        }
    }
}

}  // namespace
}  // namespace veltranix::testing
