#include "platform/linux/x_display.h"

#include <X11/Xlib.h>

#include <mutex>

namespace veltranix {
namespace {

thread_local int protocolErrorCount = 0;

int RecordProtocolError(Display*, XErrorEvent*) {
    ++protocolErrorCount;
    return 0;
}

}  // namespace

std::shared_ptr<XDisplayConnection> XDisplayConnection::Open(const std::string& name,
                                                             std::string* error) {
    static std::once_flag once;
    std::call_once(once, [] {
        XInitThreads();
        XSetErrorHandler(RecordProtocolError);
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
