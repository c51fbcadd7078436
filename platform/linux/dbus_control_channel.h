#pragma once

#include <string>
#include <string_view>

#include <QtCore/QString>

#include "core/control_port.h"
#include "platform/linux/dbus_companion_channel.h"

namespace veltranix {

// The program's control interface on the session D-Bus, for voice control,
// switches and scripts of the user.
//
//   bus name   org.veltranix.Veltranix
//   object     /org/veltranix/Veltranix
//   interface  org.veltranix.Control1
//     method Pause(), Resume(), TogglePause(), Recentre()
//     method Click(s kind)       "left", "menu", "right", "double", "middle", "drag"
//     method SetProfile(s name)  "Work" or "Work.cfg"
//     method Status() -> a{sv}   "state" s, "framesPerSecond" d, "profile" s,
//                                "pointerBackend" s
//     signal StateChanged(s state)
//   A request not carried out is answered with the error
//   org.veltranix.Control1.Error.<UnknownKind|UnknownProfile|NotTracking|
//   WindowOpen|Busy|Failed> and a one-line reason.
//
// Served on the companion channel's object, GUI thread.
class DbusControlChannel final : public DbusCompanionChannel::SharedInterface {
  public:
    static constexpr const char* kInterface = "org.veltranix.Control1";

    // Serves `control` on `companion`'s object until this goes.
    DbusControlChannel(DbusCompanionChannel& companion, ControlPort& control);
    ~DbusControlChannel() override;
    DbusControlChannel(const DbusControlChannel&) = delete;
    DbusControlChannel& operator=(const DbusControlChannel&) = delete;

    // Sends StateChanged when `state` differs from the last one sent.
    void announceState(std::string_view state);

    QString interfaceName() const override;
    QString introspection() const override;
    void handle(const QDBusMessage& message, const QDBusConnection& connection) override;

  private:
    DbusCompanionChannel& companion_;
    ControlPort& control_;
    std::string announcedState_;
};

}  // namespace veltranix
