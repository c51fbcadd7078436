#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>

#include <QDBusConnection>
#include <QString>

#include "core/exit_request.h"
#include "core/input_port.h"
#include "platform/linux/pointer_whereabouts.h"
#include "platform/linux/remote_keyboard.h"

namespace veltranix {

// Pointer and keyboard input through the desktop portal's remote desktop
// (org.freedesktop.portal.RemoteDesktop), for compositors other than GNOME's.
// The desktop asks a person to approve the session once; from version 2 on
// the portal hands back a restore token, kept in a small file, with which the
// next start needs no approval. The session lasts as long as the bus
// connection that opened it, so this object holds a connection of its own for
// its whole life. There are no screen-cast streams: the pointer is moved by
// relative motion from where it is known to be.
//
// Events may be sent from any thread; they reach the portal in call order.
class PortalRemoteDesktop : public PointerInputPort, public KeyEventSink {
  public:
    static constexpr const char* kService = "org.freedesktop.portal.Desktop";

    // The portal's RemoteDesktop interface version on the session bus; 0 when
    // there is none. GUI thread.
    static int Version();
    // Opens and starts a session, handing the portal the token saved in
    // `tokenFile` (none when it is missing or the path is empty) and saving
    // the new one there. The first start waits, with Qt's events flowing, for
    // a person to answer the desktop's dialog. Null, with the reason in
    // `error`, when the desktop refuses or does not answer, or when
    // `exitRequest` (may be null) is raised meanwhile. GUI thread.
    static std::unique_ptr<PortalRemoteDesktop> Open(PointerWhereabouts& whereabouts,
                                                     const std::filesystem::path& tokenFile,
                                                     std::string* error,
                                                     const ExitRequest* exitRequest = nullptr);
    ~PortalRemoteDesktop() override;

    void sendButton(PointerButton button, KeyDirection direction) override;
    void moveTo(ScreenPoint point) override;
    void moveBy(int dxPixels, int dyPixels) override;
    void sendWheel(WheelAxis axis, int steps) override;
    void sendKeycode(std::uint16_t linuxKeyCode, KeyDirection direction) override;
    bool sendKeysym(std::uint32_t keysym, KeyDirection direction) override;

  private:
    PortalRemoteDesktop(QDBusConnection connection, QString sessionPath,
                        PointerWhereabouts& whereabouts);
    // Sends one Notify call; the caller holds sendMutex_.
    void notifyLocked(const char* method, const QVariant& first, const QVariant& second);

    QDBusConnection connection_;
    const QString sessionPath_;
    PointerWhereabouts& whereabouts_;
    std::mutex sendMutex_;
};

}  // namespace veltranix
