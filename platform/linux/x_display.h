#pragma once

#include <memory>
#include <mutex>
#include <string>

struct _XDisplay;

namespace veltranix {

// One connection to the X server (the Xlib headers stay out of this header:
// their macros would clash with the users' code), shared by the X implementations of the
// ports. Every use of `display()` happens under `mutex()`, so the ports may
// be called from any thread. Protocol errors (a window id that no longer
// exists, a refused request) never end the process: they are recorded and
// the request counts as failed.
class XDisplayConnection {
  public:
    // Opens the display named by `name` (empty: $DISPLAY). Null when the
    // server cannot be reached; `error` then says why.
    static std::shared_ptr<XDisplayConnection> Open(const std::string& name, std::string* error);

    ~XDisplayConnection();
    XDisplayConnection(const XDisplayConnection&) = delete;
    XDisplayConnection& operator=(const XDisplayConnection&) = delete;

    _XDisplay* display() const { return display_; }
    unsigned long root() const;
    std::mutex& mutex() const { return mutex_; }

  private:
    explicit XDisplayConnection(_XDisplay* display) : display_(display) {}

    _XDisplay* display_;
    mutable std::mutex mutex_;
};

// Counts the protocol errors of the calls made while it lives on this thread;
// `failed()` syncs with the server first, so every error of those calls is in.
class XErrorTrap {
  public:
    explicit XErrorTrap(_XDisplay* display);
    ~XErrorTrap();
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;

    bool failed();

  private:
    _XDisplay* display_;
    int errorsBefore_;
};

}  // namespace veltranix
