#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <QDBusConnection>
#include <QString>

#include "core/input_port.h"
#include "platform/linux/pointer_whereabouts.h"
#include "platform/linux/remote_keyboard.h"

namespace veltranix {

// Pointer and keyboard input through GNOME's compositor (mutter): a remote
// desktop session on the session bus, with a screen-cast stream for each
// monitor so that absolute positions can be given. mutter asks nobody: any
// program of the logged-in user may open one. The session lasts as long as
// the bus connection that opened it, so this object holds a connection of its
// own for its whole life. Without PipeWire there are no streams: the pointer
// is then moved by relative motion from where it is known to be.
//
// Events may be sent from any thread; they reach mutter in call order.
class MutterRemoteDesktop : public PointerInputPort, public KeyEventSink {
  public:
    static constexpr const char* kService = "org.gnome.Mutter.RemoteDesktop";

    // True when mutter's remote desktop is on the session bus. GUI thread.
    static bool Present();
    // Opens and starts a session: a few round trips on the GUI thread. Null,
    // with the reason in `error`, when mutter refuses.
    static std::unique_ptr<MutterRemoteDesktop> Open(PointerWhereabouts& whereabouts,
                                                     std::string* error);
    ~MutterRemoteDesktop() override;

    void sendButton(PointerButton button, KeyDirection direction) override;
    void moveTo(ScreenPoint point) override;
    void moveBy(int dxPixels, int dyPixels) override;
    void sendWheel(WheelAxis axis, int steps) override;
    void sendKeycode(std::uint16_t linuxKeyCode, KeyDirection direction) override;
    bool sendKeysym(std::uint32_t keysym, KeyDirection direction) override;

    // The monitors with a stream, in desktop coordinates.
    std::vector<ScreenRect> monitorAreas() const;

  private:
    struct Stream {
        QString path;
        ScreenRect area;
    };
    MutterRemoteDesktop(QDBusConnection connection, QString sessionPath,
                        std::vector<Stream> streams, PointerWhereabouts& whereabouts);
    void notify(const char* method, const QVariantList& arguments);

    QDBusConnection connection_;
    const QString sessionPath_;
    const std::vector<Stream> streams_;
    PointerWhereabouts& whereabouts_;
    std::mutex sendMutex_;
};

}  // namespace veltranix
