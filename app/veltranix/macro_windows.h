#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include <QObject>
#include <QPointer>

#include "app/ui/macro_editor_widget.h"
#include "app/ui/skin_painting.h"
#include "core/desktop_port.h"
#include "core/input_port.h"
#include "core/program_folder.h"
#include "core/shell_port.h"
#include "core/user_interface_port.h"
#include "macros/key_capture.h"
#include "macros/macro_editor.h"
#include "macros/profiles.h"
#include "pointer/open_windows.h"
#include "settings/lexicon.h"
#include "settings/settings.h"

namespace veltranix {

class XKeyboardFocus;

struct MacroWindowsServices {
    const Settings& settings;
    const Lexicon& lexicon;
    OpenWindows& openWindows;
    const DesktopPort& desktop;
    UserInterfacePort& userInterface;
    MacroSets& sets;
    MacroFileStore& store;
    Profiles& profiles;
    KeyboardInputPort& keyboard;
    const XKeyboardFocus& focus;
    const ProgramFolder& folder;
};

// The macro editor and its profile name dialog. The editor takes the
// keyboard focus while it is open and gives it back to the window that had
// it. GUI thread.
class MacroWindows final : public QObject {
  public:
    explicit MacroWindows(MacroWindowsServices services);
    ~MacroWindows() override;

    // Opens the editor (or raises it when open); `closed` runs after OK or
    // cancel has closed it, `fileDialogShown` when its open-file dialog
    // opens (true) and when it ends (false).
    void OpenEditor(std::function<void()> closed, std::function<void(bool)> fileDialogShown);
    bool editorOpen() const { return !editorWidget_.isNull(); }
    // Closes the editor without saving, and its dialog (shutdown).
    void CloseAll();

  private:
    class Clipboard : public ClipboardPort {
      public:
        std::string text() const override;
    };

    void closeEditor();
    void openProfileDialog(ProfileDialogMode mode, const std::string& shown);
    bool profileDialogOk(ProfileDialogMode mode, const std::string& name);
    void profileDialogEnded();

    MacroWindowsServices services_;
    SkinLibrary skins_;
    KeyNames keyNames_;
    Clipboard clipboard_;
    std::unique_ptr<KeyRecorder> recorder_;
    std::unique_ptr<MacroEditor> editor_;
    QPointer<MacroEditorWidget> editorWidget_;
    QPointer<ProfileNameDialog> profileDialog_;
    std::function<void()> closed_;
    std::function<void(bool)> fileDialogShown_;
    std::uint64_t focusBefore_ = 0;
};

}  // namespace veltranix
