#include "app/shell/remote_control.h"

#include <algorithm>

#include "pointer/click_kind_names.h"

namespace veltranix {
namespace {

ControlAnswer Refused(ControlRefusal refusal, std::string reason) {
    return {refusal, std::move(reason)};
}

std::string WithoutSuffix(std::string fileName) {
    if (fileName.ends_with(kProfileSuffix)) {
        fileName.resize(fileName.size() - kProfileSuffix.size());
    }
    return fileName;
}

}  // namespace

bool RemoteControl::windowHasUser() const {
    const OpenWindows& open = parts_.openWindows;
    return open.about || open.exitConfirmation || open.webcamOptions || open.mouseOptions ||
           open.systemOptions || open.warning || open.notice || open.macroEditor ||
           open.restartCountdown || open.shellCommandDialog ||
           parts_.shared.state.load() == TrackingState::Suspended;
}

ControlAnswer RemoteControl::pause() {
    if (parts_.actions.trackingPaused()) {
        return {};
    }
    // A pause then would freeze the pointer away from the window the user
    // must answer, and the head shake that ends a pause waits for it.
    if (windowHasUser()) {
        return Refused(ControlRefusal::WindowOpen,
                       "a window of Veltranix is open; it is answered first");
    }
    const TrackingState state = parts_.shared.state.load();
    if (state != TrackingState::Track && state != TrackingState::ManualMouse) {
        return Refused(ControlRefusal::NotTracking, "the head does not drive the pointer now (" +
                                                        std::string(TrackingStateName(state)) +
                                                        "): nothing to pause");
    }
    parts_.actions.closePopup(PopupKind::Pause);
    parts_.actions.setTrackingState(TrackingRequest::HeadPause);
    parts_.actions.repaintMainWindow();
    return {};
}

ControlAnswer RemoteControl::resume() {
    if (parts_.actions.trackingPaused()) {
        parts_.mainWindow.Press(MainMenuButton::PauseOrResume);
    }
    return {};
}

ControlAnswer RemoteControl::togglePause() {
    return parts_.actions.trackingPaused() ? resume() : pause();
}

ControlAnswer RemoteControl::recentre() {
    if (windowHasUser()) {
        return Refused(ControlRefusal::WindowOpen,
                       "a window of Veltranix is open; it is answered first");
    }
    parts_.mainWindow.Press(MainMenuButton::Restart);
    return {};
}

ControlAnswer RemoteControl::click(std::string_view kindName) {
    const std::optional<int> kind = ClickKindNamed(kindName);
    if (!kind) {
        std::string known;
        for (const ClickKindName& entry : kClickKindNames) {
            known += (known.empty() ? "" : ", ") + std::string(entry.name);
        }
        return Refused(ControlRefusal::UnknownKind,
                       "unknown click kind \"" + std::string(kindName) + "\" (" + known + ")");
    }
    // The player would swallow the click: said, not pretended.
    if (parts_.macros.macroPlaying()) {
        return Refused(ControlRefusal::Busy, "a macro is playing");
    }
    parts_.pointer.dispatcher.OnDwellTrigger(*kind, parts_.pointer.triggers);
    return {};
}

ControlAnswer RemoteControl::setProfile(std::string_view name) {
    // The editor shows and saves a profile of its own choosing.
    if (parts_.openWindows.macroEditor) {
        return Refused(ControlRefusal::WindowOpen,
                       "the macro editor is open; the profile is chosen there");
    }
    std::string fileName(name);
    if (!fileName.ends_with(kProfileSuffix)) {
        fileName += kProfileSuffix;
    }
    const std::vector<std::string> listed = ListProfiles(parts_.profiles.macrosDir());
    if (std::find(listed.begin(), listed.end(), fileName) == listed.end() ||
        !parts_.profiles.SelectProfile(fileName)) {
        return Refused(ControlRefusal::UnknownProfile,
                       "no profile \"" + WithoutSuffix(fileName) + "\"");
    }
    // A broken file is set aside for the default profile, and the user told.
    if (parts_.profiles.profileFileName() != fileName) {
        return Refused(ControlRefusal::Failed,
                       "the profile \"" + WithoutSuffix(fileName) + "\" could not be read; \"" +
                           WithoutSuffix(parts_.profiles.profileFileName()) + "\" is in use");
    }
    return {};
}

ControlStatus RemoteControl::status() const {
    return {std::string(TrackingStateName(parts_.shared.state.load())), parts_.framesPerSecond(),
            WithoutSuffix(parts_.profiles.profileFileName()), parts_.pointerBackend()};
}

}  // namespace veltranix
