#include "platform/linux/uinput_device.h"

#include <fcntl.h>
#include <linux/input.h>
#include <linux/uinput.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace veltranix {
namespace {

constexpr std::uint16_t kLastKeyboardKey = KEY_MICMUTE;

bool Control(int fd, unsigned long request, int value) {
    return ioctl(fd, request, value) == 0;
}

int OpenUinput() {
    return open(UinputDevice::kPath, O_WRONLY | O_NONBLOCK | O_CLOEXEC);
}

bool SetUp(int fd, const char* name, std::uint16_t product) {
    uinput_setup setup{};
    setup.id.bustype = BUS_VIRTUAL;
    setup.id.vendor = 0x1d6b;  // the Linux Foundation's, as virtual devices use
    setup.id.product = product;
    std::strncpy(setup.name, name, UINPUT_MAX_NAME_SIZE - 1);
    return ioctl(fd, UI_DEV_SETUP, &setup) == 0 && ioctl(fd, UI_DEV_CREATE) == 0;
}

bool AbsoluteAxis(int fd, std::uint16_t axis, int maximum) {
    uinput_abs_setup abs{};
    abs.code = axis;
    abs.absinfo.minimum = 0;
    abs.absinfo.maximum = maximum;
    return Control(fd, UI_SET_ABSBIT, axis) && ioctl(fd, UI_ABS_SETUP, &abs) == 0;
}

}  // namespace

UinputAxes UinputAxesOver(ScreenRect desktop) {
    return {std::max(1, desktop.right - desktop.left - 1),
            std::max(1, desktop.bottom - desktop.top - 1)};
}

ScreenPoint UinputAxisPoint(ScreenRect desktop, ScreenPoint point) {
    const UinputAxes axes = UinputAxesOver(desktop);
    return {std::clamp(point.x - desktop.left, 0, axes.maximumX),
            std::clamp(point.y - desktop.top, 0, axes.maximumY)};
}

bool UinputEventWriter::write(std::uint16_t type, std::uint16_t code, std::int32_t value) {
    input_event event{};
    event.type = type;
    event.code = code;
    event.value = value;
    const char* bytes = reinterpret_cast<const char*>(&event);
    std::size_t left = sizeof event;
    while (left > 0) {
        const ssize_t written = ::write(fd_, bytes, left);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

bool UinputEventWriter::moveTo(int x, int y) {
    return write(EV_ABS, ABS_X, x) && write(EV_ABS, ABS_Y, y) && write(EV_SYN, SYN_REPORT, 0);
}

bool UinputEventWriter::wheel(std::uint16_t code, int notches) {
    return write(EV_REL, code, notches) && write(EV_SYN, SYN_REPORT, 0);
}

bool UinputEventWriter::key(std::uint16_t code, KeyDirection direction) {
    return write(EV_KEY, code, direction == KeyDirection::Press ? 1 : 0) &&
           write(EV_SYN, SYN_REPORT, 0);
}

bool UinputDevice::CanOpen() {
    const int fd = OpenUinput();
    if (fd < 0) {
        return false;
    }
    close(fd);
    return true;
}

std::unique_ptr<UinputDevice> UinputDevice::Open(PointerWhereabouts& whereabouts,
                                                 std::string* error) {
    const int pointerFd = OpenUinput();
    const int keyboardFd = pointerFd >= 0 ? OpenUinput() : -1;
    const UinputAxes axes = UinputAxesOver(whereabouts.desktop());
    bool made = pointerFd >= 0 && keyboardFd >= 0;
    // The pointer: an absolute device with three buttons, as a virtual
    // machine's tablet is, which every compositor maps over the desktop.
    made =
        made && Control(pointerFd, UI_SET_EVBIT, EV_KEY) &&
        Control(pointerFd, UI_SET_KEYBIT, BTN_LEFT) &&
        Control(pointerFd, UI_SET_KEYBIT, BTN_RIGHT) &&
        Control(pointerFd, UI_SET_KEYBIT, BTN_MIDDLE) && Control(pointerFd, UI_SET_EVBIT, EV_REL) &&
        Control(pointerFd, UI_SET_RELBIT, REL_WHEEL) &&
        Control(pointerFd, UI_SET_RELBIT, REL_HWHEEL) && Control(pointerFd, UI_SET_EVBIT, EV_ABS) &&
        AbsoluteAxis(pointerFd, ABS_X, axes.maximumX) &&
        AbsoluteAxis(pointerFd, ABS_Y, axes.maximumY) &&
        SetUp(pointerFd, "Veltranix head pointer", 1);
    made = made && Control(keyboardFd, UI_SET_EVBIT, EV_KEY);
    for (std::uint16_t code = KEY_ESC; made && code <= kLastKeyboardKey; ++code) {
        made = Control(keyboardFd, UI_SET_KEYBIT, code);
    }
    made = made && SetUp(keyboardFd, "Veltranix keyboard", 2);
    if (!made) {
        *error = std::string(kPath) + ": " + std::strerror(errno);
        for (const int fd : {pointerFd, keyboardFd}) {
            if (fd >= 0) {
                close(fd);
            }
        }
        return nullptr;
    }
    return std::unique_ptr<UinputDevice>(new UinputDevice(pointerFd, keyboardFd, whereabouts));
}

UinputDevice::UinputDevice(int pointerFd, int keyboardFd, PointerWhereabouts& whereabouts)
    : pointerFd_(pointerFd),
      keyboardFd_(keyboardFd),
      pointer_(pointerFd),
      keyboard_(keyboardFd),
      whereabouts_(whereabouts) {}

UinputDevice::~UinputDevice() {
    for (const int fd : {pointerFd_, keyboardFd_}) {
        ioctl(fd, UI_DEV_DESTROY);
        close(fd);
    }
}

void UinputDevice::moveToPlaced(ScreenPoint point) {
    const ScreenPoint onAxes = UinputAxisPoint(whereabouts_.desktop(), point);
    pointer_.moveTo(onAxes.x, onAxes.y);
}

void UinputDevice::sendButton(PointerButton button, KeyDirection direction) {
    const std::uint16_t code = EvdevButtonCode(button);
    std::lock_guard lock(mutex_);
    pointer_.key(code, direction);
}

void UinputDevice::sendWheel(WheelAxis axis, int steps) {
    if (steps == 0) {
        return;
    }
    // The kernel's wheel counts up as positive; its horizontal wheel, right.
    std::lock_guard lock(mutex_);
    if (axis == WheelAxis::Vertical) {
        pointer_.wheel(REL_WHEEL, -steps);
    } else {
        pointer_.wheel(REL_HWHEEL, steps);
    }
}

void UinputDevice::moveTo(ScreenPoint point) {
    std::lock_guard lock(mutex_);
    moveToPlaced(whereabouts_.placedAt(point));
}

void UinputDevice::moveBy(int dxPixels, int dyPixels) {
    std::lock_guard lock(mutex_);
    moveToPlaced(whereabouts_.movedBy(dxPixels, dyPixels));
}

void UinputDevice::sendKeycode(std::uint16_t linuxKeyCode, KeyDirection direction) {
    std::lock_guard lock(mutex_);
    keyboard_.key(linuxKeyCode, direction);
}

}  // namespace veltranix
