#include "app/ui/macro_progress_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

#include "app/ui/focus_free_window.h"

namespace veltranix {

namespace {

constexpr double kOpacity = 204.0 / 255.0;

QFont TimesFont(int pixelHeight, QFont::Weight weight) {
    QFont font;
    font.setFamilies({"Times New Roman", "Liberation Serif", "DejaVu Serif"});
    font.setPixelSize(pixelHeight);
    font.setWeight(weight);
    return font;
}

}  // namespace

MacroProgressWindow::MacroProgressWindow() : QWidget(nullptr) {
    MakeFocusFree(*this);
    setWindowTitle("PauseMacro");
    setWindowOpacity(kOpacity);
    setFixedSize(kWidth, kHeight);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(0x75, 0x9A, 0xCB));
    setPalette(palette);
    setStyleSheet("MacroProgressWindow { border: 1px solid black; }");

    title_ = new QLabel("Veltranix Macro", this);
    title_->setGeometry(12, 5, 200, 30);
    title_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    title_->setFont(TimesFont(21, QFont::Medium));

    counter_ = new QLineEdit(this);
    counter_->setGeometry(220, 12, 70, 20);
    counter_->setReadOnly(true);
    counter_->setFocusPolicy(Qt::NoFocus);
    counter_->setFrame(false);
    counter_->setAlignment(Qt::AlignCenter);
    counter_->setFont(TimesFont(13, QFont::ExtraBold));
    counter_->setStyleSheet("QLineEdit { background: #759ACB; color: black; }");

    bar_ = new QProgressBar(this);
    bar_->setGeometry(10, 35, 280, 20);
    bar_->setRange(0, kBarRange);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    bar_->setStyleSheet(
        "QProgressBar { background: #E3E0E0; border: 1px solid #404040; }"
        "QProgressBar::chunk { background: #0DD833; }");
}

void MacroProgressWindow::PlaceOnScreen(int screenWidth, int screenHeight) {
    move((screenWidth - kWidth) / 2, (screenHeight - 360) / 2);
}

void MacroProgressWindow::SetProgress(int barPosition, std::string_view counterText) {
    bar_->setValue(std::clamp(barPosition, 0, kBarRange));
    counter_->setText(QString::fromUtf8(counterText.data(), static_cast<int>(counterText.size())));
}

}  // namespace veltranix
