#pragma once

#include <string>
#include <string_view>

namespace veltranix {

// Why a control request was not carried out.
enum class ControlRefusal {
    None,
    UnknownKind,     // no click kind of that name
    UnknownProfile,  // no profile of that name in the Macros folder
    NotTracking,     // the head does not drive the pointer now: nothing to pause
    WindowOpen,      // a window of the program has the user
    Busy,            // a macro is playing
    Failed,          // tried, and it did not work out (the reason says how)
};

struct ControlAnswer {
    ControlRefusal refusal = ControlRefusal::None;
    std::string reason;  // one line for the caller; empty when carried out

    bool carriedOut() const { return refusal == ControlRefusal::None; }
};

// What the program tells other programs about itself.
struct ControlStatus {
    std::string state;             // the tracking state's name: "Track", "HeadPause", "Detect"...
    double framesPerSecond = 0.0;  // camera frames the tracking handled, over the last seconds
    std::string profile;           // the current profile's name, without ".cfg"
    std::string pointerBackend;    // what the pointer and the keys go through
};

// What other programs of the user may ask of the running program (voice
// control, switches, scripts). GUI thread; every request returns at once.
class ControlPort {
  public:
    virtual ~ControlPort() = default;
    // Tracking paused as the pause window's yes does: the pointer stays where
    // it is until a head shake, the main window's resume button or resume().
    virtual ControlAnswer pause() = 0;
    // As the main window's resume button; nothing to do when not paused.
    virtual ControlAnswer resume() = 0;
    virtual ControlAnswer togglePause() = 0;
    // The main window's restart button: the face is found and calibrated afresh.
    virtual ControlAnswer recentre() = 0;
    // A click of the named kind ("left", "right", "double"...) at the
    // pointer, as a trigger bound to that kind makes it.
    virtual ControlAnswer click(std::string_view kindName) = 0;
    // The profile becomes current, as choosing it in the macro editor makes
    // it; "Work" and "Work.cfg" name the same one.
    virtual ControlAnswer setProfile(std::string_view name) = 0;
    virtual ControlStatus status() const = 0;
};

}  // namespace veltranix
