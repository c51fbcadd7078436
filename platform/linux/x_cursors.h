#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/feedback_port.h"
#include "platform/linux/ani_cursor_file.h"
#include "platform/linux/x_display.h"

namespace veltranix {

// The X names under which applications ask for the cursor of each of the
// thirteen system cursor roles (arrow, text, busy, cross, up arrow, the four
// resize arrows, move, forbidden, hand, working in background).
const std::vector<std::vector<std::string>>& CursorRoleNames();

// Replaces the desktop's cursors by name (XFixes): every cursor that an
// application made from the theme under one of the role names takes the new
// image, as the system cursors of the roles do elsewhere. The restore puts the
// theme's own images back under the same names.
class XCursors : public CursorPort {
  public:
    // Null when the server lacks XFixes 2.
    static std::unique_ptr<XCursors> Create(std::shared_ptr<XDisplayConnection> connection);

    bool installAnimatedCursor(const std::filesystem::path& aniFile) override;
    bool installCursorStill(const std::filesystem::path& aniFile, double part) override;
    // Also the restore at exit: a window holds on to the cursor it shows, so
    // the theme's images stay when this program's connection closes, and the
    // server keeps nothing of this program's after it. (Until another client
    // takes the freed client slot, XFixes gives readers of the cursor image
    // none for these cursors; the screen shows them all the same.)
    void restoreSystemCursors() override;
    // The theme's hand under the arrow's names, until the next restore.
    void showHandCursor() override;

  private:
    explicit XCursors(std::shared_ptr<XDisplayConnection> connection)
        : connection_(std::move(connection)) {}

    bool install(const AnimatedCursor& animation, std::span<const CursorStep> steps);

    std::shared_ptr<XDisplayConnection> connection_;
    AnimatedCursorCache files_;
};

}  // namespace veltranix
