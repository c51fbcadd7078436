#pragma once

#include <array>
#include <functional>
#include <string>

#include <QPointer>

#include "app/ui/skinned_window.h"
#include "macros/macro_editor.h"
#include "pointer/open_windows.h"
#include "settings/lexicon.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace veltranix {

// The editor window's design size; every control is placed in these units
// times the size factor.
inline constexpr int kMacroEditorDesignWidth = 640;
inline constexpr int kMacroEditorDesignHeight = 480;

// What the editor asks of whoever opened it. GUI thread.
struct MacroEditorRequests {
    // The profile name dialog, to create a profile or delete `shown`.
    std::function<void()> newProfile;
    std::function<void(const std::string& shown)> deleteProfile;
    // OK (after a successful save) or cancel: the editor is to close.
    std::function<void()> closed;
    // The open-file dialog opened (true) or ended (false).
    std::function<void(bool shown)> fileDialogShown;
};

// The macro editor's window: real controls at the design places over the
// editor's skin, showing what the MacroEditor holds after every event. It
// takes the keyboard focus while open: the user types into it. Key events
// reach the recorder with the virtual key of the physical key (from the X
// keycode), so left and right modifiers and the keypad stay apart.
class MacroEditorWidget final : public SkinnedWindow {
  public:
    MacroEditorWidget(MacroEditor& editor, const Lexicon& lexicon, SkinLibrary& skins,
                      float sizeFactor, OpenWindows& openWindows, MacroEditorRequests requests);
    ~MacroEditorWidget() override;

    // Shows everything the editor holds.
    void Refresh();
    // The run dialog (the editor's run tool), for the screenshots.
    QWidget* runDialog() const;

  protected:
    void Paint(QPainter& painter) override;
    bool event(QEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void OnPointerMoved(ScreenPoint clientPoint) override;
    void OnLeftButtonDown(ScreenPoint clientPoint) override;

  private:
    QPushButton* makeButton(int designX, int designY, int designWidth, int designHeight);
    void setToolIcon(QPushButton* button, std::string_view normal, std::string_view disabled,
                     bool enabled);
    void keyEvent(QKeyEvent* event, bool press);
    void openFileDialog();
    void openRunDialog();
    void focusForMode();
    void recordPlace();
    void runTool(EditorTool tool);

    MacroEditor& editor_;
    const Lexicon& lexicon_;
    // Device pixels for what the editor paints and hit-tests itself; logical
    // units for its Qt controls.
    float sizeFactor_;
    float logicalFactor_;
    OpenWindows& openWindows_;
    MacroEditorRequests requests_;

    std::array<QPushButton*, kMacroSlotCount> slotButtons_{};
    std::array<QLabel*, kMacroSlotCount> slotLabels_{};
    QPushButton* recordButton_ = nullptr;
    QPushButton* nameButton_ = nullptr;
    QLabel* recordLabel_ = nullptr;
    QLabel* nameLabel_ = nullptr;
    QLineEdit* nameField_ = nullptr;
    QPlainTextEdit* display_ = nullptr;
    QGroupBox* profileGroup_ = nullptr;
    QComboBox* profileBox_ = nullptr;
    QPushButton* newProfile_ = nullptr;
    QPushButton* deleteProfile_ = nullptr;
    QPushButton* clearName_ = nullptr;
    QPushButton* restore_ = nullptr;
    QPushButton* lock_ = nullptr;
    QPushButton* openFile_ = nullptr;
    QPushButton* run_ = nullptr;
    QPushButton* pause_ = nullptr;
    QPushButton* paste_ = nullptr;
    QPushButton* erase_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPointer<QWidget> runDialog_;
    QPointer<QWidget> fileDialog_;
    // Window dragging by the grip: the cursor's offset from the window's corner.
    QTimer* dragTimer_ = nullptr;
    bool dragging_ = false;
    QPoint dragOffset_;
    qint64 dragStartedMs_ = 0;
    bool refreshing_ = false;
};

// The profile name dialog: a name typed for a new profile (filtered: letters,
// digits, '-', '_', '.'; anything else beeps; pasting does nothing), or the
// shown name of the profile to delete.
enum class ProfileDialogMode { Create, Delete };

class ProfileNameDialog final : public QWidget {
  public:
    // `ok` gets the typed (or shown) name; it answers whether the dialog may close.
    ProfileNameDialog(ProfileDialogMode mode, const std::string& shownName, const Lexicon& lexicon,
                      float sizeFactor, OpenWindows& openWindows,
                      std::function<bool(const std::string& name)> ok,
                      std::function<void()> cancelled);
    ~ProfileNameDialog() override;

    // Empties the name box and gives it the focus (after a refused name).
    void ClearName();

  protected:
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void recordPlace();

    OpenWindows& openWindows_;
    QLineEdit* name_ = nullptr;
    std::function<bool(const std::string&)> ok_;
    std::function<void()> cancelled_;
    bool finished_ = false;
};

}  // namespace veltranix
