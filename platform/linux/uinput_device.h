#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "core/input_port.h"
#include "platform/linux/pointer_whereabouts.h"
#include "platform/linux/remote_keyboard.h"

namespace veltranix {

// Writes input events, each report closed by a synchronisation event, to a
// uinput device's file descriptor (or any other: the tests use a pipe). Does
// not own the descriptor. Not thread-safe on its own.
class UinputEventWriter {
  public:
    explicit UinputEventWriter(int fileDescriptor) : fd_(fileDescriptor) {}

    // An absolute position in the device's range.
    bool moveTo(int x, int y);
    // A key or button by its Linux input event code.
    bool key(std::uint16_t code, KeyDirection direction);
    // Wheel notches on a relative axis (REL_WHEEL, REL_HWHEEL).
    bool wheel(std::uint16_t code, int notches);

  private:
    bool write(std::uint16_t type, std::uint16_t code, std::int32_t value);

    int fd_;
};

// The pointer device's absolute axes over `desktop`, the bounding box of
// every monitor: each runs from 0 to the box's size less one (at least 1).
struct UinputAxes {
    int maximumX = 1;
    int maximumY = 1;
    friend bool operator==(const UinputAxes&, const UinputAxes&) = default;
};
UinputAxes UinputAxesOver(ScreenRect desktop);
// A desktop point on those axes: its offset from the box's top-left corner,
// kept inside the axes' range.
ScreenPoint UinputAxisPoint(ScreenRect desktop, ScreenPoint point);

// Pointer and keyboard input through /dev/uinput: two virtual devices that
// every compositor takes as real ones. The pointer is absolute, as a tablet's
// is, over the bounding box of every monitor. Opening /dev/uinput needs an
// administrator's rule (the README gives it). Events may be sent from any
// thread; they reach the kernel in call order. Keysyms are not taken: keys
// go by the key codes of XWayland's copy of the layout.
class UinputDevice : public PointerInputPort, public KeyEventSink {
  public:
    static constexpr const char* kPath = "/dev/uinput";

    // True when this user may open /dev/uinput for writing.
    static bool CanOpen();
    // Null, with the reason in `error`, when the devices cannot be made.
    static std::unique_ptr<UinputDevice> Open(PointerWhereabouts& whereabouts, std::string* error);
    ~UinputDevice() override;

    void sendButton(PointerButton button, KeyDirection direction) override;
    void moveTo(ScreenPoint point) override;
    void moveBy(int dxPixels, int dyPixels) override;
    void sendWheel(WheelAxis axis, int steps) override;
    void sendKeycode(std::uint16_t linuxKeyCode, KeyDirection direction) override;
    bool sendKeysym(std::uint32_t, KeyDirection) override { return false; }

  private:
    UinputDevice(int pointerFd, int keyboardFd, PointerWhereabouts& whereabouts);
    void moveToPlaced(ScreenPoint point);

    int pointerFd_;
    int keyboardFd_;
    UinputEventWriter pointer_;
    UinputEventWriter keyboard_;
    PointerWhereabouts& whereabouts_;
    std::mutex mutex_;
};

}  // namespace veltranix
