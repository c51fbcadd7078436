#include "app/ui/macro_editor_widget.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDialog>
#include <QFileDialog>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include "app/ui/device_pixels.h"
#include "core/virtual_key_table.h"

namespace veltranix {

namespace {

constexpr std::array<int, kMacroSlotCount> kSlotButtonY = {49, 84, 116, 146, 179, 214};
constexpr std::array<int, kMacroSlotCount> kSlotLabelY = {44, 78, 112, 146, 179, 211};
constexpr std::array<int, kMacroSlotCount> kSlotLabelHeight = {35, 35, 35, 34, 33, 33};
// The window is dragged by the grip at its top right.
constexpr DesignRect kGrip{536, 2, 622, 30};
constexpr int kDragPeriodMs = 5;
constexpr qint64 kDragLimitMs = 8000;
constexpr RgbColour kProfileBackActive{0x09, 0x84, 0xFF};
constexpr RgbColour kProfileBackInactive{0xC4, 0xE1, 0xFF};

constexpr std::uint16_t kF10 = 0x79;
constexpr std::uint16_t kAlt = 0x12;
constexpr std::uint16_t kLeftAlt = 0xA4;

QRect Scaled(int x, int y, int width, int height, float sizeFactor) {
    const ScreenRect rect = ScaleDesignRect({x, y, x + width, y + height}, sizeFactor);
    return QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

// "Times New Roman" at a cell height in design units; Liberation Serif has its metrics.
QFont EditorFont(int designHeight, int weight, float sizeFactor) {
    QFont font;
    font.setFamilies({"Times New Roman", "Liberation Serif", "DejaVu Serif"});
    const double cell = designHeight * static_cast<double>(sizeFactor);
    font.setPixelSize(std::max(1, static_cast<int>(cell * 0.85)));
    font.setWeight(weight >= 700 ? QFont::Bold : weight <= 300 ? QFont::Light : QFont::Normal);
    return font;
}

QString FromLexicon(const Lexicon& lexicon, LexiconKey key) {
    return QString::fromStdString(lexicon.text(key));
}

void WhiteBackground(QWidget* widget) {
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    widget->setPalette(palette);
}

// The profile name box: only the characters a profile name may hold; a
// refused character beeps; nothing is pasted into it.
class ProfileNameBox final : public QLineEdit {
  public:
    using QLineEdit::QLineEdit;

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->matches(QKeySequence::Paste)) {
            return;
        }
        const QString text = event->text();
        const bool printable = !text.isEmpty() && text.at(0).isPrint();
        if (printable) {
            for (const char32_t character : text.toUcs4()) {
                if (!ProfileNameCharacterAllowed(character)) {
                    QApplication::beep();
                    return;
                }
            }
        }
        QLineEdit::keyPressEvent(event);
    }
    // The X selection's middle-button paste.
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() != Qt::MiddleButton) {
            QLineEdit::mouseReleaseEvent(event);
        }
    }
    void inputMethodEvent(QInputMethodEvent* event) override {
        for (const char32_t character : event->commitString().toUcs4()) {
            if (!ProfileNameCharacterAllowed(character)) {
                QApplication::beep();
                event->setCommitString(QString());
                break;
            }
        }
        QLineEdit::inputMethodEvent(event);
    }
};

}  // namespace

MacroEditorWidget::MacroEditorWidget(MacroEditor& editor, const Lexicon& lexicon,
                                     SkinLibrary& skins, float sizeFactor, OpenWindows& openWindows,
                                     MacroEditorRequests requests)
    : SkinnedWindow("MACROS", &openWindows.macroEditor, skins, FocusTaking::WhileOpen),
      editor_(editor),
      lexicon_(lexicon),
      sizeFactor_(sizeFactor),
      logicalFactor_(static_cast<float>(sizeFactor / DevicePixelRatio(*this))),
      openWindows_(openWindows),
      requests_(std::move(requests)) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    const ScreenSize size =
        ScaleDesignSize(kMacroEditorDesignWidth, kMacroEditorDesignHeight, logicalFactor_);
    resize(size.width, size.height);
    const QFont labelFont = EditorFont(20, 300, logicalFactor_);
    const QFont slotFont = EditorFont(15, 700, logicalFactor_);
    const QFont textFont = EditorFont(15, 300, logicalFactor_);

    // Group boxes first, so that their frames lie under the controls.
    auto group = [&](int x, int y, int width, int height) {
        auto* box = new QGroupBox(this);
        box->setGeometry(Scaled(x, y, width, height, logicalFactor_));
        box->setFont(labelFont);
        return box;
    };
    profileGroup_ = group(280, 40, 336, 70);
    group(280, 125, 336, 82);
    group(269, 228, 350, 57);

    for (int slot = 0; slot < kMacroSlotCount; ++slot) {
        const auto index = static_cast<std::size_t>(slot);
        QLabel* label = new QLabel(this);
        label->setGeometry(
            Scaled(147, kSlotLabelY[index], 90, kSlotLabelHeight[index], logicalFactor_));
        label->setAlignment(Qt::AlignCenter);
        label->setFrameShape(QFrame::Box);
        label->setFont(slotFont);
        WhiteBackground(label);
        slotLabels_[index] = label;
        QPushButton* button = makeButton(240, kSlotButtonY[index], 25, 25);
        button->setCheckable(true);
        connect(button, &QPushButton::clicked, this, [this, slot] {
            editor_.SelectSlot(slot);
            Refresh();
        });
        slotButtons_[index] = button;
    }
    recordButton_ = makeButton(20, 255, 25, 25);
    recordButton_->setCheckable(true);
    connect(recordButton_, &QPushButton::clicked, this, [this] {
        editor_.EnterRecordMode();
        Refresh();
    });
    nameButton_ = makeButton(290, 140, 25, 25);
    nameButton_->setCheckable(true);
    connect(nameButton_, &QPushButton::clicked, this, [this] {
        editor_.EnterNameMode();
        Refresh();
    });
    auto label = [&](int x, int y, int width, int height) {
        QLabel* text = new QLabel(this);
        text->setGeometry(Scaled(x, y, width, height, logicalFactor_));
        text->setFont(labelFont);
        WhiteBackground(text);
        return text;
    };
    recordLabel_ = label(50, 255, 200, 25);
    nameLabel_ = label(320, 140, 200, 25);

    nameField_ = new QLineEdit(this);
    nameField_->setGeometry(Scaled(290, 170, 150, 25, logicalFactor_));
    nameField_->setFont(labelFont);
    nameField_->setMaxLength(static_cast<int>(kEditorNameFieldCharacters));
    connect(nameField_, &QLineEdit::textEdited, this, [this](const QString& text) {
        editor_.SetName(text.toStdU16String());
        Refresh();
    });

    display_ = new QPlainTextEdit(this);
    display_->setGeometry(Scaled(20, 285, 598, 153, logicalFactor_));
    display_->setFont(textFont);
    display_->setReadOnly(true);
    display_->setFocusPolicy(Qt::NoFocus);
    display_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    WhiteBackground(display_);

    profileBox_ = new QComboBox(this);
    profileBox_->setGeometry(Scaled(290, 68, 180, 30, logicalFactor_));
    profileBox_->setFont(labelFont);
    profileBox_->setFocusPolicy(Qt::NoFocus);
    connect(profileBox_, &QComboBox::activated, this, [this](int index) {
        if (!refreshing_ && index >= 0) {
            editor_.ChooseProfile(profileBox_->itemText(index).toStdString());
            Refresh();
        }
    });
    newProfile_ = makeButton(485, 60, 52, 40);
    connect(newProfile_, &QPushButton::clicked, this, [this] { requests_.newProfile(); });
    deleteProfile_ = makeButton(545, 60, 52, 40);
    connect(deleteProfile_, &QPushButton::clicked, this,
            [this] { requests_.deleteProfile(editor_.shownProfile()); });

    clearName_ = makeButton(485, 155, 52, 40);
    restore_ = makeButton(545, 155, 52, 40);
    lock_ = makeButton(274, 240, 52, 40);
    openFile_ = makeButton(330, 240, 52, 40);
    run_ = makeButton(386, 240, 52, 40);
    pause_ = makeButton(449, 240, 52, 40);
    paste_ = makeButton(506, 240, 52, 40);
    erase_ = makeButton(562, 240, 52, 40);
    const std::pair<QPushButton*, EditorTool> tools[] = {
        {clearName_, EditorTool::ClearName},
        {restore_, EditorTool::Restore},
        {lock_, EditorTool::Lock},
        {openFile_, EditorTool::OpenFile},
        {run_, EditorTool::Run},
        {pause_, EditorTool::Pause},
        {paste_, EditorTool::Paste},
        {erase_, EditorTool::Erase},
    };
    for (const auto& [button, tool] : tools) {
        connect(button, &QPushButton::clicked, this, [this, tool = tool] { runTool(tool); });
    }

    ok_ = makeButton(126, 448, 142, 27);
    cancel_ = makeButton(372, 448, 142, 27);
    for (QPushButton* button : {ok_, cancel_}) {
        button->setFont(labelFont);
        button->setStyleSheet(QString());
    }
    connect(ok_, &QPushButton::clicked, this, [this] {
        if (editor_.Save() == EditorSave::Saved) {
            requests_.closed();
        } else {
            Refresh();
        }
    });
    connect(cancel_, &QPushButton::clicked, this, [this] {
        editor_.Cancel();
        requests_.closed();
    });

    dragTimer_ = new QTimer(this);
    dragTimer_->setInterval(kDragPeriodMs);
    connect(dragTimer_, &QTimer::timeout, this, [this] {
        if (!dragging_ || QDateTime::currentMSecsSinceEpoch() - dragStartedMs_ > kDragLimitMs) {
            dragging_ = false;
            unsetCursor();
            dragTimer_->stop();
            return;
        }
        move(QCursor::pos() - dragOffset_);
    });
    Refresh();
}

MacroEditorWidget::~MacroEditorWidget() {
    delete runDialog_.data();
    delete fileDialog_.data();
    openWindows_.shellCommandDialog = false;
}

QPushButton* MacroEditorWidget::makeButton(int designX, int designY, int designWidth,
                                           int designHeight) {
    auto* button = new QPushButton(this);
    button->setGeometry(Scaled(designX, designY, designWidth, designHeight, logicalFactor_));
    // The keyboard stays with the editor (or its name field): keys are recorded.
    button->setFocusPolicy(Qt::NoFocus);
    button->setStyleSheet("QPushButton { border: none; padding: 0; background: transparent; }");
    button->setIconSize(button->size());
    return button;
}

void MacroEditorWidget::setToolIcon(QPushButton* button, std::string_view normal,
                                    std::string_view disabled, bool enabled) {
    QIcon icon;
    icon.addPixmap(skins().Render(normal, button->size()), QIcon::Normal);
    icon.addPixmap(skins().Render(disabled, button->size()), QIcon::Disabled);
    button->setIcon(icon);
    button->setEnabled(enabled);
}

void MacroEditorWidget::Refresh() {
    refreshing_ = true;
    const int current = editor_.currentMacro();
    const bool recording = editor_.mode() == EditorMode::Record;
    auto checkIcon = [this](QPushButton* button, bool checked) {
        button->setChecked(checked);
        button->setIcon(QIcon(skins().Render(checked ? "ICO_OK" : "ICO_FALSE", button->size())));
    };
    for (int slot = 0; slot < kMacroSlotCount; ++slot) {
        const auto index = static_cast<std::size_t>(slot);
        checkIcon(slotButtons_[index], slot == current);
        slotLabels_[index]->setText(QString::fromStdU16String(editor_.slotLabel(slot)));
    }
    checkIcon(recordButton_, recording);
    checkIcon(nameButton_, !recording);
    recordLabel_->setText(FromLexicon(lexicon_, LexiconKey::Check7));
    nameLabel_->setText(FromLexicon(lexicon_, LexiconKey::Check8));
    profileGroup_->setTitle(FromLexicon(lexicon_, LexiconKey::FileMacro));
    ok_->setText(FromLexicon(lexicon_, LexiconKey::Ok));
    cancel_->setText(FromLexicon(lexicon_, LexiconKey::Cancel));

    nameField_->setEnabled(!recording);
    const QString name = QString::fromStdU16String(editor_.nameField());
    if (nameField_->text() != name) {
        nameField_->setText(name);
    }
    display_->setEnabled(recording);
    const QString text = QString::fromStdU16String(editor_.displayText());
    if (display_->toPlainText() != text) {
        display_->setPlainText(text);
    }
    display_->verticalScrollBar()->setValue(display_->verticalScrollBar()->maximum());

    setToolIcon(clearName_, "ERASE", "ERASE_DIS", editor_.ToolEnabled(EditorTool::ClearName));
    setToolIcon(restore_, "RESTORE", "RESTORE_dis", editor_.ToolEnabled(EditorTool::Restore));
    setToolIcon(lock_, editor_.secretLock() == SecretLock::Closed ? "CANDADO" : "CANDADO_ABIERTO",
                "CANDADO_ABIERTO_DIS", editor_.ToolEnabled(EditorTool::Lock));
    setToolIcon(openFile_, "OPEN_FILE", "OPEN_FILE_DIS", editor_.ToolEnabled(EditorTool::OpenFile));
    setToolIcon(run_, "RUN", "RUN_DIS", editor_.ToolEnabled(EditorTool::Run));
    setToolIcon(pause_, "TEMPS", "TEMPS_DIS", editor_.ToolEnabled(EditorTool::Pause));
    setToolIcon(paste_, "COPY", "COPY_DIS", editor_.ToolEnabled(EditorTool::Paste));
    setToolIcon(erase_, "ERASE", "ERASE_DIS", editor_.ToolEnabled(EditorTool::Erase));
    setToolIcon(newProfile_, "SAVE", "SAVE", true);
    setToolIcon(deleteProfile_, "DELETEF", "DELETEF", true);

    profileBox_->clear();
    for (const std::string& profile : editor_.profileList()) {
        profileBox_->addItem(QString::fromStdString(profile));
    }
    profileBox_->setCurrentIndex(
        profileBox_->findText(QString::fromStdString(editor_.shownProfile())));
    refreshing_ = false;
    focusForMode();
    update();
}

void MacroEditorWidget::focusForMode() {
    if (!isVisible()) {
        return;
    }
    if (editor_.mode() == EditorMode::Record) {
        setFocus(Qt::OtherFocusReason);
    } else {
        nameField_->setFocus(Qt::OtherFocusReason);
    }
}

void MacroEditorWidget::runTool(EditorTool tool) {
    switch (tool) {
        case EditorTool::Restore:
            editor_.RestoreDefault();
            break;
        case EditorTool::ClearName:
            editor_.ClearName();
            break;
        case EditorTool::Paste:
            editor_.Paste();
            break;
        case EditorTool::Erase:
            editor_.Erase();
            break;
        case EditorTool::Pause:
            editor_.AddPause();
            break;
        case EditorTool::Lock:
            editor_.ToggleLock();
            break;
        case EditorTool::OpenFile:
            openFileDialog();
            break;
        case EditorTool::Run:
            openRunDialog();
            break;
    }
    Refresh();
}

void MacroEditorWidget::openFileDialog() {
    if (!editor_.ToolEnabled(EditorTool::OpenFile)) {
        return;
    }
    auto* dialog = new QFileDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setNameFilter("All Files (*)");
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setWindowFlag(Qt::WindowStaysOnTopHint);
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& path) {
        editor_.AddShellEntry(path.toStdU16String(), ShellSource::FileDialog);
        Refresh();
    });
    // Triggers over the dialog make plain left clicks, as over the run dialog.
    connect(dialog, &QObject::destroyed, this, [this] {
        openWindows_.shellCommandDialog = runDialog_ != nullptr;
        if (requests_.fileDialogShown) {
            requests_.fileDialogShown(false);
        }
    });
    fileDialog_ = dialog;
    openWindows_.shellCommandDialog = true;
    if (requests_.fileDialogShown) {
        requests_.fileDialogShown(true);
    }
    dialog->open();
}

void MacroEditorWidget::openRunDialog() {
    if (!editor_.ToolEnabled(EditorTool::Run) || runDialog_) {
        return;
    }
    auto* dialog = new QDialog(this, Qt::Dialog | Qt::WindowStaysOnTopHint);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle("RUN");
    const QFont font = EditorFont(16, 400, logicalFactor_);
    dialog->setFont(font);
    dialog->setFixedSize(Scaled(0, 0, 350, 185, logicalFactor_).size());
    auto* icon = new QLabel(dialog);
    icon->setGeometry(Scaled(14, 14, 48, 48, logicalFactor_));
    icon->setPixmap(skins().Render("RUN_ICO", icon->size()));
    auto* prompt = new QLabel(FromLexicon(lexicon_, LexiconKey::Run), dialog);
    prompt->setGeometry(Scaled(72, 12, 264, 56, logicalFactor_));
    prompt->setWordWrap(true);
    prompt->setAlignment(Qt::AlignCenter);
    auto* openLabel = new QLabel("Open :", dialog);
    openLabel->setGeometry(Scaled(14, 84, 56, 24, logicalFactor_));
    auto* command = new QLineEdit(dialog);
    command->setGeometry(Scaled(72, 82, 264, 26, logicalFactor_));
    command->setMaxLength(static_cast<int>(kRunCommandCharacters));
    auto* ok = new QPushButton(FromLexicon(lexicon_, LexiconKey::Ok), dialog);
    ok->setGeometry(Scaled(90, 128, 100, 32, logicalFactor_));
    ok->setDefault(true);
    auto* cancel = new QPushButton(FromLexicon(lexicon_, LexiconKey::Cancel), dialog);
    cancel->setGeometry(Scaled(222, 128, 100, 32, logicalFactor_));
    connect(ok, &QPushButton::clicked, dialog, [this, dialog, command] {
        // An empty command is not taken; the dialog stays.
        if (editor_.AddShellEntry(command->text().toStdU16String(), ShellSource::RunDialog) ==
            ShellEntryResult::Empty) {
            command->setFocus();
            return;
        }
        dialog->close();
        Refresh();
    });
    connect(cancel, &QPushButton::clicked, dialog, &QDialog::close);
    connect(dialog, &QObject::destroyed, this, [this] {
        openWindows_.shellCommandDialog = fileDialog_ != nullptr;
        focusForMode();
    });
    const QRect screen = this->screen()->geometry();
    dialog->move(screen.width() / 2 - ScaleDesignValue(175, logicalFactor_),
                 screen.height() / 2 - ScaleDesignValue(92, logicalFactor_));
    openWindows_.shellCommandDialog = true;
    runDialog_ = dialog;
    dialog->show();
    dialog->activateWindow();
    command->setFocus();
}

QWidget* MacroEditorWidget::runDialog() const {
    return runDialog_.data();
}

void MacroEditorWidget::Paint(QPainter& painter) {
    const bool foreground = isActiveWindow();
    openWindows_.macroEditorForegroundAtLastPaint = foreground;
    PaintSkin(painter, foreground ? "MACROS_TRANSP" : "MACROS");
    std::string profile = editor_.shownProfile();
    if (profile.size() >= kProfileSuffix.size()) {
        profile.resize(profile.size() - kProfileSuffix.size());
    }
    const QFont font = EditorFont(20, 300, sizeFactor_);
    painter.setFont(font);
    const QString text = QString::fromStdString(profile);
    const QFontMetrics metrics(font);
    const QRect box(50, ScaleDesignValue(6, sizeFactor_), metrics.horizontalAdvance(text) + 8,
                    metrics.height());
    painter.fillRect(box, ToQColor(foreground ? kProfileBackActive : kProfileBackInactive));
    painter.setPen(Qt::white);
    painter.drawText(box.adjusted(4, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
}

bool MacroEditorWidget::event(QEvent* event) {
    // Every key typed into the editor itself is recorded, Tab included; a
    // key that the name field passes on (a lone Shift) is not.
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        if (QApplication::focusWidget() == this) {
            keyEvent(static_cast<QKeyEvent*>(event), event->type() == QEvent::KeyPress);
        }
        return true;
    }
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::WindowDeactivate) {
        update();
    }
    return SkinnedWindow::event(event);
}

void MacroEditorWidget::keyEvent(QKeyEvent* event, bool press) {
    // X repeats a held key as release and press pairs; the recorder sees the
    // presses only, as a held key sends them.
    if (event->isAutoRepeat() && !press) {
        return;
    }
    const quint32 keycode = event->nativeScanCode();
    const VirtualKeyInfo* key =
        keycode > 8 ? FindVirtualKeyByLinuxCode(static_cast<std::uint16_t>(keycode - 8)) : nullptr;
    const QString text = event->text();
    if (key == nullptr) {
        // A key that is no key of the table (a character on a borrowed
        // keycode): its character, as a packet.
        if (press && !text.isEmpty()) {
            editor_.PacketText(text.toStdU16String());
        }
        Refresh();
        return;
    }
    const std::uint16_t virtualKey = key->virtualKey;
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const bool system = virtualKey == kF10 || virtualKey == kAlt || virtualKey == kLeftAlt ||
                        ((modifiers & Qt::AltModifier) && !(modifiers & Qt::ControlModifier));
    if (press) {
        editor_.KeyPressed(virtualKey, system ? KeyMessage::SysKeyDown : KeyMessage::KeyDown);
        for (const QChar character : text) {
            editor_.CharacterTyped(character.unicode());
        }
    } else {
        editor_.KeyReleased(virtualKey, system ? KeyMessage::SysKeyUp : KeyMessage::KeyUp);
    }
    Refresh();
}

void MacroEditorWidget::inputMethodEvent(QInputMethodEvent* event) {
    if (!event->commitString().isEmpty()) {
        editor_.PacketText(event->commitString().toStdU16String());
        Refresh();
    }
    event->accept();
}

void MacroEditorWidget::recordPlace() {
    openWindows_.macroEditorRect = ToDevice(geometry());
}

void MacroEditorWidget::moveEvent(QMoveEvent* event) {
    recordPlace();
    SkinnedWindow::moveEvent(event);
}

void MacroEditorWidget::resizeEvent(QResizeEvent* event) {
    recordPlace();
    SkinnedWindow::resizeEvent(event);
}

void MacroEditorWidget::OnPointerMoved(ScreenPoint clientPoint) {
    if (dragging_) {
        return;
    }
    if (StrictlyInside(ScaleDesignRect(kGrip, sizeFactor_), clientPoint)) {
        setCursor(Qt::SizeAllCursor);
    } else {
        unsetCursor();
    }
}

void MacroEditorWidget::OnLeftButtonDown(ScreenPoint clientPoint) {
    if (dragging_) {
        dragging_ = false;
        unsetCursor();
        return;
    }
    if (StrictlyInside(ScaleDesignRect(kGrip, sizeFactor_), clientPoint)) {
        dragging_ = true;
        dragStartedMs_ = QDateTime::currentMSecsSinceEpoch();
        dragOffset_ = QPoint(clientPoint.x, clientPoint.y);
        setCursor(Qt::SizeAllCursor);
        dragTimer_->start();
    }
}

ProfileNameDialog::ProfileNameDialog(ProfileDialogMode mode, const std::string& shownName,
                                     const Lexicon& lexicon, float sizeFactor,
                                     OpenWindows& openWindows,
                                     std::function<bool(const std::string&)> ok,
                                     std::function<void()> cancelled)
    : QWidget(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint),
      openWindows_(openWindows),
      ok_(std::move(ok)),
      cancelled_(std::move(cancelled)) {
    setWindowTitle(FromLexicon(lexicon, mode == ProfileDialogMode::Create
                                            ? LexiconKey::MacroSave
                                            : LexiconKey::MacroDelete));
    // Its controls are Qt's, in logical units.
    const auto logical = static_cast<float>(sizeFactor / DevicePixelRatio(*this));
    setFixedSize(Scaled(0, 0, 178, 135, logical).size());
    const QFont font = EditorFont(20, 300, logical);
    setFont(font);
    name_ = new ProfileNameBox(this);
    name_->setGeometry(Scaled(10, 15, 150, 25, logical));
    if (mode == ProfileDialogMode::Create) {
        name_->setMaxLength(static_cast<int>(kMaxTypedProfileNameCharacters));
        name_->setContextMenuPolicy(Qt::NoContextMenu);
        name_->setAcceptDrops(false);
    } else {
        name_->setText(QString::fromStdString(shownName));
        name_->setEnabled(false);
    }
    auto* okButton = new QPushButton(FromLexicon(lexicon, LexiconKey::Ok), this);
    okButton->setGeometry(Scaled(10, 60, 70, 30, logical));
    auto* cancelButton = new QPushButton(FromLexicon(lexicon, LexiconKey::Cancel), this);
    cancelButton->setGeometry(Scaled(90, 60, 70, 30, logical));
    okButton->setFocusPolicy(Qt::NoFocus);
    cancelButton->setFocusPolicy(Qt::NoFocus);
    connect(okButton, &QPushButton::clicked, this, [this] {
        if (ok_(name_->text().toStdString())) {
            finished_ = true;
            close();
        }
    });
    connect(name_, &QLineEdit::returnPressed, okButton, &QPushButton::click);
    connect(cancelButton, &QPushButton::clicked, this, &QWidget::close);
}

ProfileNameDialog::~ProfileNameDialog() {
    openWindows_.profileNameDialogShown = false;
}

void ProfileNameDialog::ClearName() {
    name_->clear();
    name_->setFocus();
}

void ProfileNameDialog::recordPlace() {
    openWindows_.profileNameDialogRect = ToDevice(frameGeometry());
}

void ProfileNameDialog::showEvent(QShowEvent* event) {
    openWindows_.profileNameDialogShown = true;
    recordPlace();
    QWidget::showEvent(event);
    activateWindow();
    if (name_->isEnabled()) {
        name_->setFocus();
    }
}

void ProfileNameDialog::moveEvent(QMoveEvent* event) {
    recordPlace();
    QWidget::moveEvent(event);
}

void ProfileNameDialog::closeEvent(QCloseEvent* event) {
    openWindows_.profileNameDialogShown = false;
    QWidget::closeEvent(event);
    if (!finished_) {
        finished_ = true;
        cancelled_();
    }
}

}  // namespace veltranix
