#include "platform/linux/x_cursors.h"

#include <algorithm>

#include <X11/Xcursor/Xcursor.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include "platform/linux/ani_cursor_file.h"

namespace veltranix {
namespace {

// A cursor from the theme under `name`, else from the core cursor font; 0 when neither has it.
Cursor ThemeCursor(Display* display, const std::string& name) {
    Cursor cursor = XcursorLibraryLoadCursor(display, name.c_str());
    if (cursor == None) {
        const int shape = XcursorLibraryShape(name.c_str());
        if (shape >= 0) {
            cursor = XCreateFontCursor(display, static_cast<unsigned int>(shape));
        }
    }
    return cursor;
}

// Gives every cursor named `name` the image of `source`, which keeps the name
// so that the next change finds it again. Frees `source`.
void ReplaceByName(Display* display, Cursor source, const std::string& name) {
    XFixesSetCursorName(display, source, name.c_str());
    XFixesChangeCursorByName(display, source, name.c_str());
    XFreeCursor(display, source);
}

// Every role's names get the theme's image back.
void PutThemeCursorsBack(Display* display) {
    for (const auto& role : CursorRoleNames()) {
        for (const auto& name : role) {
            Cursor cursor = ThemeCursor(display, name);
            if (cursor == None) {
                cursor = ThemeCursor(display, role.front());
            }
            if (cursor == None) {
                cursor = ThemeCursor(display, "left_ptr");
            }
            if (cursor != None) {
                ReplaceByName(display, cursor, name);
            }
        }
    }
    XSync(display, False);
}

}  // namespace

const std::vector<std::vector<std::string>>& CursorRoleNames() {
    static const std::vector<std::vector<std::string>> names = {
        {"left_ptr", "default", "arrow", "top_left_arrow"},
        {"xterm", "text", "ibeam"},
        {"watch", "wait"},
        {"crosshair", "cross", "tcross"},
        {"sb_up_arrow", "up-arrow", "center_ptr"},
        {"nwse-resize", "bd_double_arrow", "size_fdiag", "top_left_corner", "bottom_right_corner"},
        {"nesw-resize", "fd_double_arrow", "size_bdiag", "top_right_corner", "bottom_left_corner"},
        {"ew-resize", "sb_h_double_arrow", "h_double_arrow", "col-resize", "size_hor", "left_side",
         "right_side"},
        {"ns-resize", "sb_v_double_arrow", "v_double_arrow", "row-resize", "size_ver", "top_side",
         "bottom_side"},
        {"fleur", "move", "all-scroll", "size_all"},
        {"not-allowed", "crossed_circle", "forbidden", "no-drop"},
        {"pointer", "hand2", "hand1", "hand", "pointing_hand"},
        {"progress", "left_ptr_watch", "half-busy"},
    };
    return names;
}

std::unique_ptr<XCursors> XCursors::Create(std::shared_ptr<XDisplayConnection> connection) {
    std::lock_guard lock(connection->mutex());
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XFixesQueryExtension(connection->display(), &eventBase, &errorBase) ||
        !XFixesQueryVersion(connection->display(), &major, &minor) || major < 2) {
        return nullptr;
    }
    return std::unique_ptr<XCursors>(new XCursors(std::move(connection)));
}

bool XCursors::installAnimatedCursor(const std::filesystem::path& aniFile) {
    const AnimatedCursor* animation = files_.load(aniFile, nullptr);
    return animation != nullptr && install(*animation, animation->steps);
}

bool XCursors::installCursorStill(const std::filesystem::path& aniFile, double part) {
    const AnimatedCursor* animation = files_.load(aniFile, nullptr);
    return animation != nullptr &&
           install(*animation, std::span(animation->steps).subspan(animation->stepAt(part), 1));
}

bool XCursors::install(const AnimatedCursor& animation, std::span<const CursorStep> steps) {
    XcursorImages* images = XcursorImagesCreate(static_cast<int>(steps.size()));
    if (images == nullptr) {
        return false;
    }
    for (const CursorStep& step : steps) {
        const CursorImage& source = animation.images[step.imageIndex];
        XcursorImage* image = XcursorImageCreate(source.width, source.height);
        if (image == nullptr) {
            XcursorImagesDestroy(images);
            return false;
        }
        image->xhot = static_cast<XcursorDim>(source.hotspotX);
        image->yhot = static_cast<XcursorDim>(source.hotspotY);
        image->delay = static_cast<XcursorUInt>(step.delayMs);
        std::copy(source.argbPixels.begin(), source.argbPixels.end(), image->pixels);
        images->images[images->nimage++] = image;
    }
    std::lock_guard lock(connection_->mutex());
    Display* display = connection_->display();
    // One cursor per name: a cursor carries a single name.
    for (const auto& role : CursorRoleNames()) {
        for (const auto& name : role) {
            const Cursor cursor = XcursorImagesLoadCursor(display, images);
            if (cursor != None) {
                ReplaceByName(display, cursor, name);
            }
        }
    }
    XcursorImagesDestroy(images);
    XSync(display, False);
    return true;
}

void XCursors::restoreSystemCursors() {
    std::lock_guard lock(connection_->mutex());
    PutThemeCursorsBack(connection_->display());
}

void XCursors::showHandCursor() {
    std::lock_guard lock(connection_->mutex());
    Display* display = connection_->display();
    for (const auto& name : CursorRoleNames().front()) {
        Cursor hand = ThemeCursor(display, "hand2");
        if (hand == None) {
            hand = ThemeCursor(display, "pointer");
        }
        if (hand != None) {
            ReplaceByName(display, hand, name);
        }
    }
    XSync(display, False);
}

}  // namespace veltranix
