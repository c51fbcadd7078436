#pragma once

#include <memory>
#include <optional>

#include <QPointer>

#include "app/shell/mouse_options_menu.h"
#include "app/shell/options_menu.h"
#include "app/shell/system_options_menu.h"
#include "app/shell/webcam_options_menu.h"
#include "app/ui/options_menu_widget.h"
#include "settings/settings_persistence.h"
#include "tracking/gestures.h"

namespace veltranix {

class ProgramWindows;

// What the options menus need beyond the windows' services.
struct OptionsMenuServices {
    SettingsPersistence& persistence;
    // The lexicon the system menu reloads on each language step.
    Lexicon& lexicon;
    GestureTestSwitches& gestureTests;
    // The webcam menu's camera row.
    CameraChoicePort& cameras;
};

// The three options menus of the program's windows: opening them where the
// popup layout says, the warning before head movement is switched off, the
// return to the main window when they close. GUI thread.
class OptionsMenus final : public OptionsMenuHost, public MouseMenuEngine {
  public:
    OptionsMenus(ProgramWindows& windows, OptionsMenuServices services);
    ~OptionsMenus() override;

    void open(PopupKind menu, PopupOrigin origin);
    // Closes a menu from outside (a tracking reset, shutdown): nothing is
    // stored or read back.
    void closeFromOutside(PopupKind menu);
    void raise();
    void repaint();
    // The open menu placed again for the desktop as it is now.
    void relayout();
    // The shown menu's window; null when none is shown.
    SkinnedWindow* shownWindow() const;

    // OptionsMenuHost.
    void closeOptionsMenu(PopupKind menu) override;
    void askBeforeDisablingHeadMovement() override;
    void lexiconReloaded() override;
    void openMacroEditor() override;
    // The macro editor closed: the mouse menu comes back as it was opened.
    void returnFromMacroEditor();

    // MouseMenuEngine.
    void setGestureTests(bool eyeTest, bool mouthTest) override;
    std::optional<double> eyeActivity() const override;
    std::optional<double> mouthActivity() const override;
    std::int32_t clickCount() const override;
    double pointerTravelPixels() const override;

  private:
    struct Open {
        std::unique_ptr<OptionsMenu> logic;
        QPointer<OptionsMenuWidget> window;
        PopupOrigin origin = PopupOrigin::ButtonMenu;
    };
    // What the mouse menu that gave way to the macro editor comes back with.
    struct EditorReturn {
        PopupOrigin origin = PopupOrigin::ButtonMenu;
    };
    Open& slot(PopupKind menu);
    // After any close of a menu: the companion keyboard back once none is open.
    void menuClosed();
    void onWarningAnswer(WarningChoice choice);

    ProgramWindows& windows_;
    OptionsMenuServices services_;
    Open webcam_;
    Open mouse_;
    Open system_;
    std::optional<EditorReturn> editorReturn_;
};

}  // namespace veltranix
