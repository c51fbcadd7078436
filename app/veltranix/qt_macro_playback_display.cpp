#include "app/veltranix/qt_macro_playback_display.h"

#include <string>

#include <QGuiApplication>
#include <QScreen>

namespace veltranix {

void QtMacroPlaybackDisplay::showProgress() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!progress_) {
                progress_ = new MacroProgressWindow();
            }
            if (const QScreen* screen = QGuiApplication::primaryScreen()) {
                progress_->PlaceOnScreen(screen->geometry().width(), screen->geometry().height());
            }
            progress_->SetProgress(0, "");
            progress_->show();
            progress_->raise();
        },
        Qt::QueuedConnection);
}

void QtMacroPlaybackDisplay::updateProgress(int barPosition, std::string_view counterText) {
    QMetaObject::invokeMethod(
        this,
        [this, barPosition, text = std::string(counterText)] {
            if (progress_) {
                progress_->SetProgress(barPosition, text);
            }
        },
        Qt::QueuedConnection);
}

void QtMacroPlaybackDisplay::hideProgress() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (progress_) {
                progress_->hide();
            }
        },
        Qt::QueuedConnection);
}

void QtMacroPlaybackDisplay::closeProgress() {
    QMetaObject::invokeMethod(
        this, [this] { delete progress_.data(); }, Qt::QueuedConnection);
}

void QtMacroPlaybackDisplay::showShellError(std::string_view text, std::function<void()> closed) {
    QMetaObject::invokeMethod(
        this,
        [this, message = std::string(text), closed = std::move(closed)]() mutable {
            showMessage_(std::move(message), std::move(closed));
        },
        Qt::QueuedConnection);
}

void QtMacroPlaybackDisplay::closeAll() {
    delete progress_.data();
}

}  // namespace veltranix
