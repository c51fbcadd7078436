// veltranix-iconpng: draws the program icon (an SVG) as a square PNG for the
// desktop's icon theme.
//
//   veltranix-iconpng ICON.svg SIZE OUT.png
//
// Runs without a display (QT_QPA_PLATFORM=offscreen).
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    // Only real failures: the offscreen platform's notices are no concern here.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg) {
            std::fprintf(stderr, "veltranix-iconpng: %s\n", qPrintable(text));
        }
    });
    QGuiApplication application(argc, argv);
    if (argc != 4) {
        std::fputs("usage: veltranix-iconpng ICON.svg SIZE OUT.png\n", stderr);
        return 2;
    }
    const int size = std::atoi(argv[2]);
    if (size < 8 || size > 1024) {
        std::fprintf(stderr, "veltranix-iconpng: size %s is not from 8 to 1024\n", argv[2]);
        return 2;
    }
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid()) {
        std::fprintf(stderr, "veltranix-iconpng: cannot read %s\n", argv[1]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter, QRectF(0, 0, size, size));
    }
    if (!image.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "veltranix-iconpng: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
