#include "app/veltranix/macro_windows.h"

#include <algorithm>

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QScreen>

#include "app/ui/device_pixels.h"
#include "core/desktop_layout.h"
#include "platform/linux/x_keyboard_focus.h"

namespace veltranix {

std::string MacroWindows::Clipboard::text() const {
    return QGuiApplication::clipboard()->text().toStdString();
}

MacroWindows::MacroWindows(MacroWindowsServices services)
    : services_(services), keyNames_(KeyNames::load(services.folder.keyNamesFile())) {
    recorder_ =
        std::make_unique<KeyRecorder>(services_.sets.workingMacros, services_.keyboard, keyNames_,
                                      clipboard_, services_.lexicon, services_.userInterface);
    editor_ = std::make_unique<MacroEditor>(services_.sets, *recorder_, services_.store,
                                            services_.profiles, services_.keyboard,
                                            services_.lexicon, services_.userInterface);
}

MacroWindows::~MacroWindows() {
    CloseAll();
}

void MacroWindows::OpenEditor(std::function<void()> closed,
                              std::function<void(bool)> fileDialogShown) {
    if (editorWidget_) {
        editorWidget_->show();
        editorWidget_->raise();
        editorWidget_->activateWindow();
        return;
    }
    closed_ = std::move(closed);
    fileDialogShown_ = std::move(fileDialogShown);
    focusBefore_ = services_.focus.current();
    editor_->Open();
    // On the primary monitor, where the main window docks, inside its share
    // of the work area; smaller where that cannot hold it.
    const ScreenRect area =
        PrimaryWorkArea(services_.desktop.monitors(), services_.desktop.workArea());
    const float sizeFactor = FittingSizeFactor(services_.settings.sizeFactor,
                                               {kMacroEditorDesignWidth, kMacroEditorDesignHeight},
                                               {area.right - area.left, area.bottom - area.top});
    editorWidget_ = new MacroEditorWidget(
        *editor_, services_.lexicon, skins_, sizeFactor, services_.openWindows,
        MacroEditorRequests{[this] { openProfileDialog(ProfileDialogMode::Create, {}); },
                            [this](const std::string& shown) {
                                openProfileDialog(ProfileDialogMode::Delete, shown);
                            },
                            [this] {
                                closeEditor();
                                if (closed_) {
                                    closed_();
                                }
                            },
                            [this](bool shown) {
                                if (fileDialogShown_) {
                                    fileDialogShown_(shown);
                                }
                            }});
    const ScreenSize size =
        ScaleDesignSize(kMacroEditorDesignWidth, kMacroEditorDesignHeight, sizeFactor);
    const int left = std::max(
        area.left, std::min((area.left + area.right) / 2 - ScaleDesignValue(304, sizeFactor),
                            area.right - size.width));
    const int top = std::max(
        area.top, std::min((area.top + area.bottom) / 2 - ScaleDesignValue(257, sizeFactor),
                           area.bottom - size.height));
    editorWidget_->Place({left, top, left + size.width, top + size.height});
    editorWidget_->show();
    editorWidget_->raise();
    editorWidget_->activateWindow();
    editorWidget_->Refresh();
}

void MacroWindows::closeEditor() {
    if (profileDialog_) {
        delete profileDialog_.data();
    }
    if (editorWidget_) {
        // Its open-file dialog ends now, while everything it reports to lives.
        for (QFileDialog* dialog : editorWidget_->findChildren<QFileDialog*>()) {
            delete dialog;
        }
        editorWidget_->close();
        editorWidget_->deleteLater();
        editorWidget_ = nullptr;
    }
    services_.openWindows.macroEditor = false;
    // The keyboard goes back to where the user was typing.
    services_.focus.giveTo(focusBefore_);
    focusBefore_ = 0;
}

void MacroWindows::CloseAll() {
    if (editorWidget_) {
        editor_->Cancel();
        closeEditor();
    }
}

void MacroWindows::openProfileDialog(ProfileDialogMode mode, const std::string& shown) {
    if (profileDialog_ || !editorWidget_) {
        return;
    }
    editorWidget_->hide();
    const float sizeFactor = services_.settings.sizeFactor;
    profileDialog_ = new ProfileNameDialog(
        mode, shown, services_.lexicon, sizeFactor, services_.openWindows,
        [this, mode](const std::string& name) { return profileDialogOk(mode, name); },
        [this] {
            editor_->ProfilesChanged(editor_->shownProfile());
            profileDialogEnded();
        });
    profileDialog_->setAttribute(Qt::WA_DeleteOnClose);
    const ScreenPoint pointer = services_.desktop.pointerPosition();
    const ScreenSize size = ScaleDesignSize(178, 135, sizeFactor);
    const ScreenPoint corner{pointer.x - size.width / 2, pointer.y - size.height / 2};
    profileDialog_->move(
        ToLogical({corner.x, corner.y, corner.x + size.width, corner.y + size.height}).topLeft());
    profileDialog_->show();
    profileDialog_->raise();
}

bool MacroWindows::profileDialogOk(ProfileDialogMode mode, const std::string& name) {
    const Lexicon& lexicon = services_.lexicon;
    if (mode == ProfileDialogMode::Delete) {
        if (services_.profiles.DeleteProfile(name) == ProfileDeletion::DeleteFailed) {
            services_.userInterface.showMessage(
                "The profile " + name + " could not be deleted; it stays in the list.",
                lexicon.text(LexiconKey::E4));
        }
        editor_->ProfilesChanged(std::string(kDefaultProfileFileName));
        profileDialogEnded();
        return true;
    }
    switch (services_.profiles.CreateProfile(name)) {
        case ProfileCreation::Created:
            editor_->ProfilesChanged(ProfileFileNameFromTyped(name).fileName);
            profileDialogEnded();
            return true;
        case ProfileCreation::AlreadyExists:
        case ProfileCreation::EmptyName:
            break;
        case ProfileCreation::InvalidName:
            QApplication::beep();
            break;
        case ProfileCreation::WriteFailed:
            services_.userInterface.showMessage("The profile " + name +
                                                    " could not be written into " +
                                                    services_.profiles.macrosDir().string() + ".",
                                                lexicon.text(LexiconKey::E4));
            break;
    }
    if (profileDialog_) {
        profileDialog_->ClearName();
    }
    return false;
}

void MacroWindows::profileDialogEnded() {
    if (editorWidget_) {
        editorWidget_->show();
        editorWidget_->raise();
        editorWidget_->activateWindow();
        editorWidget_->Refresh();
    }
}

}  // namespace veltranix
