#include "app/veltranix/qt_macro_playback_display.h"

#include <string>

#include <QMessageBox>

namespace veltranix {

void QtMacroPlaybackDisplay::showShellError(std::string_view text, std::function<void()> closed) {
    QMetaObject::invokeMethod(
        this,
        [this, message = std::string(text), closed = std::move(closed)] {
            auto* box = new QMessageBox(QMessageBox::Warning, QString(),
                                        QString::fromStdString(message), QMessageBox::Ok);
            box->setAttribute(Qt::WA_DeleteOnClose);
            box->setWindowFlag(Qt::WindowStaysOnTopHint);
            QObject::connect(box, &QObject::destroyed, [closed] { closed(); });
            std::erase_if(boxes_,
                          [](const QPointer<QMessageBox>& shown) { return shown.isNull(); });
            boxes_.emplace_back(box);
            box->show();
        },
        Qt::QueuedConnection);
}

void QtMacroPlaybackDisplay::closeAll() {
    for (const QPointer<QMessageBox>& box : boxes_) {
        if (box) {
            delete box.data();
        }
    }
    boxes_.clear();
}

}  // namespace veltranix
