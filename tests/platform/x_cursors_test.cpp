// gtest first: the Xlib headers define macros that clash with it.
#include <gtest/gtest.h>

#include <X11/Xcursor/Xcursor.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <chrono>
#include <thread>

#include "platform/linux/ani_cursor_file.h"
#include "platform/linux/x_cursors.h"
#include "platform/linux/x_desktop.h"
#include "tests/platform/x_event_recorder.h"
#include "tests/platform/x_test_display.h"

namespace veltranix {
namespace {

using testing::CurrentCursor;
using testing::ShownCursor;
using testing::TestDisplayName;
using testing::XEventRecorder;

class XCursorsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        VELTRANIX_REQUIRE_X_DISPLAY();
        std::string error;
        connection_ = XDisplayConnection::Open(TestDisplayName(), &error);
        ASSERT_NE(connection_, nullptr) << error;
        cursors_ = XCursors::Create(connection_);
        ASSERT_NE(cursors_, nullptr);
        recorder_ = std::make_unique<XEventRecorder>(TestDisplayName());
        // The test window shows the theme's arrow, as a toolkit window does.
        Display* display = recorder_->display();
        arrow_ = XcursorLibraryLoadCursor(display, "left_ptr");
        ASSERT_NE(arrow_, 0u) << "no cursor theme with left_ptr";
        XFixesSetCursorName(display, arrow_, "left_ptr");
        ShowOnTheWindow(arrow_);
        XPointerInput::Create(connection_)->moveTo({400, 300});
    }

    void ShowOnTheWindow(Cursor cursor) {
        XDefineCursor(recorder_->display(), recorder_->window(), cursor);
        XSync(recorder_->display(), False);
    }

    std::shared_ptr<XDisplayConnection> connection_;
    std::unique_ptr<XCursors> cursors_;
    std::unique_ptr<XEventRecorder> recorder_;
    Cursor arrow_ = 0;
};

const std::filesystem::path kClockFile =
    std::filesystem::path(VELTRANIX_SOURCE_PROGRAM_FOLDER) / "cursors" / "cur3.ani";

bool ShowsAnImageOf(const ShownCursor& shown, const AnimatedCursor& animation) {
    for (const auto& image : animation.images) {
        if (image.width == shown.width && image.height == shown.height &&
            image.argbPixels == shown.pixels) {
            return true;
        }
    }
    return false;
}

TEST_F(XCursorsTest, TheClockReplacesTheArrowUntilTheRestoreAnUnreadableFileNever) {
    Display* display = recorder_->display();
    const ShownCursor before = CurrentCursor(display);
    ASSERT_FALSE(before.pixels.empty());
    EXPECT_FALSE(cursors_->installAnimatedCursor("/nonexistent/cur4.ani"));
    EXPECT_EQ(CurrentCursor(display).pixels, before.pixels);
    AnimatedCursor clock;
    ASSERT_TRUE(ReadAnimatedCursorFile(kClockFile, &clock, nullptr));

    ASSERT_TRUE(cursors_->installAnimatedCursor(kClockFile));
    // The server shows an animation's frames as they come up: wait for one.
    ShownCursor during = CurrentCursor(display);
    for (int attempt = 0; attempt < 40 && !ShowsAnImageOf(during, clock); ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
        during = CurrentCursor(display);
    }
    EXPECT_TRUE(ShowsAnImageOf(during, clock)) << "the pointer shows the clock";

    cursors_->restoreSystemCursors();
    const ShownCursor after = CurrentCursor(display);
    EXPECT_EQ(after.width, before.width);
    EXPECT_EQ(after.pixels, before.pixels) << "the theme's arrow is back";
}

TEST_F(XCursorsTest, AStillShowsTheClockAtThePartOfItsRound) {
    AnimatedCursor clock;
    ASSERT_TRUE(ReadAnimatedCursorFile(kClockFile, &clock, nullptr));
    const CursorImage& first = clock.images[clock.steps.front().imageIndex];
    const CursorImage& last = clock.images[clock.steps.back().imageIndex];
    ASSERT_NE(first.argbPixels, last.argbPixels);
    for (const auto& [part, image] : {std::pair{0.0, &first}, std::pair{1.0, &last}}) {
        ASSERT_TRUE(cursors_->installCursorStill(kClockFile, part));
        EXPECT_EQ(CurrentCursor(recorder_->display()).pixels, image->argbPixels) << part;
    }
    cursors_->restoreSystemCursors();
}

TEST_F(XCursorsTest, TheHandShowsAfterATimedPressUntilTheRestore) {
    Display* display = recorder_->display();
    const ShownCursor arrow = CurrentCursor(display);
    const Cursor hand = XcursorLibraryLoadCursor(display, "hand2");
    ASSERT_NE(hand, 0u);
    ShowOnTheWindow(hand);
    const ShownCursor handImage = CurrentCursor(display);
    ShowOnTheWindow(arrow_);

    cursors_->showHandCursor();
    EXPECT_EQ(CurrentCursor(display).pixels, handImage.pixels);
    cursors_->restoreSystemCursors();
    EXPECT_EQ(CurrentCursor(display).pixels, arrow.pixels);
}

// An X server serves a fixed number of clients: every run of the program
// must leave its slot free. The arrow stays on screen after each connection
// has gone (read through a new client, which takes the freed slot: XFixes
// reports no image of a cursor whose maker's slot is free).
TEST_F(XCursorsTest, RestoringAtEachExitKeepsTheArrowAndNoClientSlot) {
    const ShownCursor arrow = CurrentCursor(recorder_->display());
    cursors_->showHandCursor();
    cursors_.reset();
    connection_.reset();
    for (int run = 0; run < 300; ++run) {
        std::string error;
        auto connection = XDisplayConnection::Open(TestDisplayName(), &error);
        ASSERT_NE(connection, nullptr) << "run " << run << ": " << error;
        XCursors::Create(connection)->restoreSystemCursors();
    }
    Display* reader = XOpenDisplay(TestDisplayName().c_str());
    ASSERT_NE(reader, nullptr) << "a new client is refused";
    EXPECT_EQ(CurrentCursor(reader).pixels, arrow.pixels);
    XCloseDisplay(reader);
}

}  // namespace
}  // namespace veltranix
