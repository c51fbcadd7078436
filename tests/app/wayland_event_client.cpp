// A native Wayland application for the Wayland session test: one full-screen
// window that writes every pointer and key event it receives to a log file,
// a line each ("ready", "move X Y", "press BUTTON X Y", "release BUTTON X Y",
// "key TEXT KEYSYM"), flushed at once.
#include <cstdio>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

namespace {

class LoggingWindow : public QWidget {
  public:
    explicit LoggingWindow(std::FILE* log) : log_(log) {
        setMouseTracking(true);
        setWindowTitle("Wayland event client");
    }

  protected:
    void showEvent(QShowEvent*) override { write("ready"); }
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), QColor(40, 90, 60)); }
    void mouseMoveEvent(QMouseEvent* event) override {
        write("move %d %d", event->position().toPoint().x(), event->position().toPoint().y());
    }
    void mousePressEvent(QMouseEvent* event) override { button("press", event); }
    void mouseReleaseEvent(QMouseEvent* event) override { button("release", event); }
    void keyPressEvent(QKeyEvent* event) override {
        const QByteArray text = event->text().toUtf8();
        write("key %s %u", text.isEmpty() ? "-" : text.constData(), event->nativeVirtualKey());
    }

  private:
    void button(const char* what, QMouseEvent* event) {
        write("%s %d %d %d", what, static_cast<int>(event->button()),
              event->position().toPoint().x(), event->position().toPoint().y());
    }
    template <typename... Values>
    void write(const char* format, Values... values) {
        std::fprintf(log_, format, values...);
        std::fputc('\n', log_);
        std::fflush(log_);
    }

    std::FILE* log_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: wayland_event_client LOG-FILE\n");
        return 2;
    }
    std::FILE* log = std::fopen(argv[1], "w");
    if (log == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    LoggingWindow window(log);
    window.showFullScreen();
    return application.exec();
}
