#include "app/veltranix/desktop_screens.h"

#include <algorithm>

#include <QGuiApplication>
#include <QScreen>

#include "app/ui/device_pixels.h"
#include "core/desktop_layout.h"

namespace veltranix {

DesktopScreens::DesktopScreens(const DesktopPort& desktop,
                               std::function<std::vector<ScreenRect>()> serverHeads,
                               std::function<void()> changed)
    : desktop_(desktop), serverHeads_(std::move(serverHeads)), changed_(std::move(changed)) {
    for (QScreen* screen : QGuiApplication::screens()) {
        watch(screen);
    }
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        watch(screen);
        follow();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, [this] { follow(); });
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, [this] { follow(); });
    readScreens();
}

void DesktopScreens::watch(QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, [this] { follow(); });
    connect(screen, &QScreen::logicalDotsPerInchChanged, this, [this] { follow(); });
}

void DesktopScreens::follow() {
    readScreens();
    if (changed_) {
        changed_();
    }
}

void DesktopScreens::readScreens() {
    monitors_.clear();
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary != nullptr) {
        monitors_.push_back(DeviceRectOf(*primary));
    }
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen != primary) {
            monitors_.push_back(DeviceRectOf(*screen));
        }
    }
    std::vector<ScreenRect> heads = serverHeads_ ? serverHeads_() : std::vector<ScreenRect>{};
    std::erase_if(heads, [](const ScreenRect& head) { return IsEmpty(head); });
    if (heads.size() > monitors_.size()) {
        // The primary first: the head that holds Qt's primary monitor.
        if (!monitors_.empty()) {
            const ScreenRect primaryHead =
                MonitorHolding(heads, monitors_.front(), monitors_.front());
            std::stable_partition(heads.begin(), heads.end(),
                                  [&](const ScreenRect& head) { return head == primaryHead; });
        }
        monitors_ = std::move(heads);
    }
    std::erase_if(monitors_, [](const ScreenRect& monitor) { return IsEmpty(monitor); });
}

std::vector<ScreenRect> DesktopScreens::monitors() const {
    // Qt without a screen (a display going away) leaves the X screen.
    return monitors_.empty() ? DesktopPort::monitors() : monitors_;
}

double DesktopScreens::devicePixelRatio() const {
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary != nullptr ? primary->devicePixelRatio() : 1.0;
}

}  // namespace veltranix
