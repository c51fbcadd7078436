#include "platform/linux/x_display.h"

#include <X11/Xlib.h>
#include <unistd.h>

#include <mutex>

namespace veltranix {
namespace {

thread_local int protocolErrorCount = 0;

int RecordProtocolError(Display*, XErrorEvent*) {
    ++protocolErrorCount;
    return 0;
}

// The X server went away (the session ended): nothing can be shown or moved
// any more and every setting is already saved. The process ends at once:
// the default handler's exit() would run the static destructors while the
// camera and macro threads still use them.
int EndOnLostDisplay(Display*) {
    constexpr char kMessage[] = "veltranix: the X display closed; the program ends\n";
    [[maybe_unused]] const ssize_t written = write(2, kMessage, sizeof kMessage - 1);
    _exit(1);
}

}  // namespace

std::shared_ptr<XDisplayConnection> XDisplayConnection::Open(const std::string& name,
                                                             std::string* error) {
    static std::once_flag once;
    std::call_once(once, [] {
        XInitThreads();
        XSetErrorHandler(RecordProtocolError);
        XSetIOErrorHandler(EndOnLostDisplay);
    });
    Display* display = XOpenDisplay(name.empty() ? nullptr : name.c_str());
    if (display == nullptr) {
        if (error != nullptr) {
            const char* shown = name.empty() ? XDisplayName(nullptr) : name.c_str();
            *error = std::string("cannot open the X display \"") + (shown ? shown : "") + "\"";
        }
        return nullptr;
    }
    return std::shared_ptr<XDisplayConnection>(new XDisplayConnection(display));
}

XDisplayConnection::~XDisplayConnection() {
    XCloseDisplay(display_);
}

unsigned long XDisplayConnection::root() const {
    return DefaultRootWindow(display_);
}

XErrorTrap::XErrorTrap(Display* display) : display_(display), errorsBefore_(protocolErrorCount) {}

XErrorTrap::~XErrorTrap() {
    XSync(display_, False);
}

bool XErrorTrap::failed() {
    XSync(display_, False);
    return protocolErrorCount != errorsBefore_;
}

}  // namespace veltranix
