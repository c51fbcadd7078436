// veltranix-manualpdf: turns a user manual written in Markdown into an A4
// PDF with a title band on the first page and page numbers.
//
//   veltranix-manualpdf MANUAL.md OUT.pdf [PICTURES]
//
// The first line, "# Title", becomes the title band and the PDF's title.
// A picture, ![what it shows](name.png), is read from the folder PICTURES
// and embedded losslessly; without that folder the manual goes without its
// pictures.
// Runs without a display (QT_QPA_PLATFORM=offscreen).

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QUrl>
#include <algorithm>
#include <cstdio>

#include "core/version.h"

namespace {

constexpr int kDotsPerInch = 300;
constexpr double kBodyPoints = 13.0;
constexpr double kLineHeightPercent = 135.0;
const QString kBodyFamily = QStringLiteral("DejaVu Sans");
const QString kCodeFamily = QStringLiteral("DejaVu Sans Mono");
const QColor kAccentColour(0x1b, 0x3f, 0x73);  // headings and the title band

// Page geometry in millimetres.
constexpr double kPageWidthMm = 210.0;
constexpr double kPageHeightMm = 297.0;
constexpr double kSideMarginMm = 22.0;
constexpr double kTopMarginMm = 20.0;
constexpr double kBottomMarginMm = 24.0;
constexpr double kFooterFromBottomMm = 12.0;
// A picture's pixel on paper: a window keeps the size it has on a screen
// of about 100 pixels an inch, within the text's width.
constexpr double kPictureMmPerPixel = 0.25;

// Page geometry is in the writer's pixels; lengths inside the document's
// formats are in layout pixels of 1/96 inch, which the layout scales.
double Pixels(double millimetres) {
    return millimetres * kDotsPerInch / 25.4;
}
double LayoutPixels(double millimetres) {
    return millimetres * 96.0 / 25.4;
}

double HeadingPoints(int level) {
    switch (level) {
        case 1:
            return 22.0;
        case 2:
            return 18.0;
        case 3:
            return 15.0;
        default:
            return kBodyPoints;
    }
}

struct Manual {
    QString title;
    QString body;  // Markdown without the title line
};

Manual SplitTitle(const QString& markdown) {
    const qsizetype lineEnd = markdown.indexOf(QLatin1Char('\n'));
    const QString first = markdown.left(lineEnd).trimmed();
    if (!first.startsWith(QLatin1String("# "))) {
        return {QString(), markdown};
    }
    return {first.mid(2).trimmed(), lineEnd < 0 ? QString() : markdown.mid(lineEnd + 1)};
}

// Applies `change` to the character format of every fragment of `block`.
template <typename Change>
void ChangeFragments(QTextDocument& document, const QTextBlock& block, Change change) {
    struct Span {
        int position;
        int length;
        QTextCharFormat format;
    };
    QList<Span> spans;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        spans.append({fragment.position(), fragment.length(), fragment.charFormat()});
    }
    for (Span& span : spans) {
        change(span.format);
        QTextCursor cursor(&document);
        cursor.setPosition(span.position);
        cursor.setPosition(span.position + span.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(span.format);
    }
}

// Large headings, roomy lines, code in a readable size, tables with rules.
void StyleForReading(QTextDocument& document) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QTextBlockFormat blockFormat = block.blockFormat();
        const int level = blockFormat.headingLevel();
        // A picture's line keeps the picture's height.
        const bool picture = block.text().contains(QChar::ObjectReplacementCharacter);
        blockFormat.setLineHeight(picture ? 100.0 : kLineHeightPercent,
                                  QTextBlockFormat::ProportionalHeight);
        if (level > 0) {
            blockFormat.setTopMargin(LayoutPixels(level == 1 ? 9.0 : 6.0));
            blockFormat.setBottomMargin(LayoutPixels(2.5));
        } else {
            blockFormat.setBottomMargin(LayoutPixels(2.0));
        }
        QTextCursor(block).setBlockFormat(blockFormat);
        const bool codeBlock = blockFormat.nonBreakableLines();
        ChangeFragments(document, block, [level, codeBlock](QTextCharFormat& format) {
            format.clearProperty(QTextFormat::FontSizeAdjustment);
            if (level > 0) {
                format.setFontPointSize(HeadingPoints(level));
                format.setFontWeight(QFont::Bold);
                format.setForeground(kAccentColour);
            } else if (format.fontFixedPitch() || codeBlock) {
                format.setFontFamilies({kCodeFamily});
                format.setFontPointSize(kBodyPoints - 1.0);
            } else {
                format.setFontPointSize(kBodyPoints);
            }
        });
    }
    for (QTextFrame* frame : document.rootFrame()->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(frame)) {
            QTextTableFormat format = table->format();
            format.setBorder(LayoutPixels(0.3));
            format.setBorderBrush(QColor(0x80, 0x80, 0x80));
            format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
            format.setBorderCollapse(true);
            format.setCellPadding(LayoutPixels(1.5));
            format.setCellSpacing(0);
            format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
            format.setHeaderRowCount(1);
            table->setFormat(format);
        }
    }
}

// Reads each picture the manual names from `folder` into the document, at
// its size on paper, or leaves the pictures out when there is no folder.
// False, after saying which, when a picture cannot be read.
bool PlacePictures(QTextDocument& document, const QString& folder) {
    struct Picture {
        int position;
        QTextImageFormat format;
    };
    QList<Picture> pictures;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.isImageFormat()) {
                pictures.append({it.fragment().position(), format.toImageFormat()});
            }
        }
    }
    const double widestMm = kPageWidthMm - 2 * kSideMarginMm;
    // From the end, so that a removal leaves the earlier positions as they are.
    for (auto picture = pictures.rbegin(); picture != pictures.rend(); ++picture) {
        QTextCursor cursor(&document);
        cursor.setPosition(picture->position);
        cursor.setPosition(picture->position + 1, QTextCursor::KeepAnchor);
        if (folder.isEmpty()) {
            cursor.removeSelectedText();
            continue;
        }
        const QString path = QDir(folder).filePath(picture->format.name());
        // RGB without alpha: the PDF holds one image, without a mask.
        const QImage image = QImage(path).convertToFormat(QImage::Format_RGB32);
        if (image.isNull()) {
            std::fprintf(stderr, "veltranix-manualpdf: cannot read the picture %s\n",
                         qPrintable(path));
            return false;
        }
        document.addResource(QTextDocument::ImageResource, QUrl(picture->format.name()), image);
        const double widthMm = std::min(image.width() * kPictureMmPerPixel, widestMm);
        picture->format.setWidth(LayoutPixels(widthMm));
        picture->format.setHeight(LayoutPixels(widthMm * image.height() / image.width()));
        cursor.setCharFormat(picture->format);
    }
    return true;
}

// The title band at the top of the first page.
void InsertTitleBand(QTextDocument& document, const QString& title) {
    QTextCursor cursor(&document);
    cursor.movePosition(QTextCursor::Start);
    QTextFrameFormat band;
    band.setBackground(kAccentColour);
    band.setPadding(LayoutPixels(7.0));
    band.setBottomMargin(LayoutPixels(6.0));
    band.setBorder(0);
    cursor.insertFrame(band);

    QTextCharFormat name;
    name.setFontFamilies({kBodyFamily});
    name.setFontPointSize(30.0);
    name.setFontWeight(QFont::Bold);
    name.setForeground(Qt::white);
    QTextCharFormat subtitle = name;
    subtitle.setFontPointSize(18.0);
    subtitle.setFontWeight(QFont::Normal);

    const qsizetype separator = title.indexOf(QLatin1Char(':'));
    if (separator > 0) {
        cursor.insertText(title.left(separator).trimmed(), name);
        QTextBlockFormat second;
        second.setTopMargin(LayoutPixels(2.0));
        cursor.insertBlock(second, subtitle);
        cursor.insertText(title.mid(separator + 1).trimmed(), subtitle);
    } else {
        cursor.insertText(title, name);
    }
}

// Starts a new page before a heading that would be left at the foot of a
// page without `follow` of text below it, before a picture a page end
// would cut, and before a table shorter than half
// a page that a page end would cut. Longer tables repeat their heading row.
void AvoidBadPageBreaks(QTextDocument& document, qreal follow) {
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    const qreal pageHeight = document.pageSize().height();
    const auto page = [pageHeight](qreal y) { return static_cast<int>(y / pageHeight); };
    for (auto it = document.rootFrame()->begin(); !it.atEnd(); ++it) {
        document.pageCount();  // lays out what the last change moved
        if (auto* table = qobject_cast<QTextTable*>(it.currentFrame())) {
            const QRectF box = layout->frameBoundingRect(table);
            if (page(box.top()) != page(box.bottom() - 1) && box.height() < pageHeight / 2) {
                QTextTableFormat format = table->format();
                format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
                table->setFormat(format);
            }
            continue;
        }
        const QTextBlock block = it.currentBlock();
        if (!block.isValid()) {
            continue;
        }
        const bool heading = block.blockFormat().headingLevel() > 0;
        // A paragraph with a picture is never cut by a page end.
        const bool picture = block.text().contains(QChar::ObjectReplacementCharacter);
        if (!heading && !picture) {
            continue;
        }
        const QRectF box = layout->blockBoundingRect(block);
        if (page(box.top()) != page(box.bottom() - 1 + (heading ? follow : 0))) {
            QTextBlockFormat format = block.blockFormat();
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            QTextCursor(block).setBlockFormat(format);
        }
    }
}

bool WritePdf(QTextDocument& document, const QString& title, const QString& outputPath) {
    QSaveFile output(outputPath);
    if (!output.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "veltranix-manualpdf: cannot write %s\n", qPrintable(outputPath));
        return false;
    }
    {
        QPdfWriter writer(&output);
        writer.setResolution(kDotsPerInch);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Veltranix"));

        const QRectF body(Pixels(kSideMarginMm), Pixels(kTopMarginMm),
                          Pixels(kPageWidthMm - 2 * kSideMarginMm),
                          Pixels(kPageHeightMm - kTopMarginMm - kBottomMarginMm));
        document.documentLayout()->setPaintDevice(&writer);
        document.setDocumentMargin(0);
        document.setPageSize(body.size());
        StyleForReading(document);
        InsertTitleBand(document, title);
        QFont bodyFont(kBodyFamily);
        bodyFont.setPointSizeF(kBodyPoints);
        const qreal bodyLine =
            QFontMetricsF(bodyFont, &writer).lineSpacing() * kLineHeightPercent / 100.0;
        AvoidBadPageBreaks(document, 2 * bodyLine);
        const int pages = document.pageCount();

        QPainter painter(&writer);
        painter.setRenderHint(QPainter::LosslessImageRendering);
        if (!painter.isActive()) {
            std::fprintf(stderr, "veltranix-manualpdf: cannot paint into %s\n",
                         qPrintable(outputPath));
            return false;
        }
        QFont footerFont(kBodyFamily);
        footerFont.setPointSizeF(10.0);
        for (int page = 0; page < pages; ++page) {
            if (page > 0) {
                writer.newPage();
            }
            const QRectF clip(0, page * body.height(), body.width(), body.height());
            painter.save();
            painter.translate(body.left(), body.top() - clip.top());
            painter.setClipRect(clip);
            QAbstractTextDocumentLayout::PaintContext context;
            context.clip = clip;
            document.documentLayout()->draw(&painter, context);
            painter.restore();

            painter.setFont(footerFont);
            painter.setPen(QColor(0x40, 0x40, 0x40));
            const QRectF footer(body.left(), Pixels(kPageHeightMm - kFooterFromBottomMm - 6.0),
                                body.width(), Pixels(6.0));
            painter.drawText(footer, Qt::AlignCenter,
                             QStringLiteral("%1 / %2").arg(page + 1).arg(pages));
        }
        painter.end();
    }
    if (!output.commit()) {
        std::fprintf(stderr, "veltranix-manualpdf: cannot write %s\n", qPrintable(outputPath));
        return false;
    }
    return true;
}

QtMessageHandler defaultHandler = nullptr;

// Drops the offscreen platform's note about XDG_RUNTIME_DIR, which a build
// step does not need; passes on everything else.
void FilterMessages(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (!message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR"))) {
        defaultHandler(type, context, message);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    defaultHandler = qInstallMessageHandler(FilterMessages);
    QGuiApplication application(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    if (arguments.size() != 3 && arguments.size() != 4) {
        std::fprintf(stderr, "usage: veltranix-manualpdf MANUAL.md OUT.pdf [PICTURES]\n");
        return 2;
    }
    QFile input(arguments[1]);
    if (!input.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "veltranix-manualpdf: cannot read %s\n", qPrintable(arguments[1]));
        return 1;
    }
    // The manuals write "{version}" where the program's version goes.
    const QString version = QString::fromUtf8(veltranix::kVersion.data(),
                                              static_cast<qsizetype>(veltranix::kVersion.size()));
    const Manual manual = SplitTitle(
        QString::fromUtf8(input.readAll()).replace(QStringLiteral("{version}"), version));
    if (manual.title.isEmpty() || manual.body.trimmed().isEmpty()) {
        std::fprintf(stderr, "veltranix-manualpdf: %s must start with \"# Title\" and go on\n",
                     qPrintable(arguments[1]));
        return 1;
    }

    QTextDocument document;
    QFont font(kBodyFamily);
    font.setPointSizeF(kBodyPoints);
    document.setDefaultFont(font);
    document.setMarkdown(manual.body);
    if (!PlacePictures(document, arguments.value(3))) {
        return 1;
    }
    return WritePdf(document, manual.title, arguments[2]) ? 0 : 1;
}
