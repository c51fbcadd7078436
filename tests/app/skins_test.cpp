// The window skins, loaded from the resources the way the windows load them.
#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "app/shell/about_window.h"
#include "app/shell/confirmation_window.h"
#include "app/shell/main_window_logic.h"
#include "app/shell/mouse_options_menu.h"
#include "app/shell/notice_window.h"
#include "app/shell/system_options_menu.h"
#include "app/shell/warning_window.h"
#include "app/shell/webcam_options_menu.h"
#include "skins.h"

namespace {

using namespace veltranix;

// A rectangle in design units: left, top, right, bottom.
struct Box {
    double l, t, r, b;
};

struct SkinCase {
    const char* name;
    int width, height;
    std::optional<Box> background;  // a patch of plain background
    std::vector<Box> buttons;       // the hit zones
    std::vector<Box> textAreas;     // where the program writes words
};

template <typename Rect>
Box ToBox(const Rect& r) {
    return {double(r.left), double(r.top), double(r.right), double(r.bottom)};
}

// The hit zones as the windows hit-test them, so that art and zones agree.
template <typename Id>
std::vector<Box> Zones(std::span<const HitCell<Id>> cells) {
    std::vector<Box> zones;
    for (const HitCell<Id>& cell : cells) {
        zones.push_back(ToBox(cell.design));
    }
    return zones;
}

// Set-up bar buttons, in the bar skin's units.
std::vector<Box> BarZones(SetupBarKind bar) {
    std::vector<Box> zones;
    for (const SetupBarButton& button : SetupBarButtons(bar)) {
        zones.push_back({double(button.leftX), double(kSetupButtonsTopY - kSetupBarTopY),
                         double(button.rightX), double(kSetupButtonsBottomY - kSetupBarTopY)});
    }
    return zones;
}

const std::vector<Box> kMenuCells = Zones(MainMenuCells());
const std::vector<Box> kYesNo = Zones(ConfirmationZoneCells());
const std::vector<Box> kQuestionText = {{6, 10, 154, 50}};
const std::vector<Box> kAutomaticBarTexts = {{5, 11, 101, 76}, {392, 22, 506, 60}};
const std::vector<Box> kWarningTexts = {{113, 8, 558, 52}, {164, 65, 294, 82}, {398, 65, 528, 82}};
const std::vector<Box> kNoticeTexts = {{10, 8, 589, 38}, {18, 50, 581, 224}, {215, 244, 385, 280}};
const std::vector<Box> kAboutTexts = {
    {10, 118, 598, 322}, {16, 468, 330, 502}, {450, 478, 575, 498}};

const std::vector<Box> kWebcamOptionsTexts = {{45, 312, 140, 332},  {212, 307, 352, 326},
                                              {435, 307, 575, 326}, {115, 477, 247, 497},
                                              {364, 477, 496, 497}, {229, 522, 524, 556}};
const std::vector<Box> kSystemOptionsTexts = {
    {206, 38, 374, 60}, {113, 477, 245, 497}, {362, 477, 494, 497}};
const std::vector<Box> kMouseOptionsTexts = {
    {32, 383, 100, 404},  {322, 342, 600, 392}, {167, 462, 297, 484}, {416, 462, 547, 484},
    {322, 412, 464, 438}, {504, 412, 562, 438}, {612, 340, 679, 356}};

const std::vector<SkinCase> kSkins = {
    {"MENU_PRINCIPAL_PAUSA", 160, 240, Box{79.5, 20, 84.5, 40}, kMenuCells, {}},
    {"MENU_PRINCIPAL", 160, 240, Box{79.5, 20, 84.5, 40}, kMenuCells, {}},
    {"Boto3", 640, 83, Box{181, 30, 195, 55}, BarZones(SetupBarKind::Automatic),
     kAutomaticBarTexts},
    {"Boto_ulls_ok", 640, 83, Box{230, 30, 242, 55}, BarZones(SetupBarKind::Manual), {}},
    {"OK_ULL", 128, 62, std::nullopt, {{0, 0, 128, 62}}, {}},
    {"RESET_0", 160, 120, Box{138, 90, 152, 110}, {ToBox(kRestartCancelBox)}, {{95, 10, 150, 58}}},
    {"PAUSE", 160, 120, Box{76, 58, 88, 70}, kYesNo, kQuestionText},
    {"PAUSE_TRUE", 160, 120, Box{76, 58, 88, 70}, kYesNo, kQuestionText},
    {"PAUSE_FALSE", 160, 120, Box{76, 58, 88, 70}, kYesNo, kQuestionText},
    {"SALIDA", 160, 120, Box{76, 58, 88, 70}, kYesNo, kQuestionText},
    {"SALIDA_TRUE", 160, 120, Box{76, 58, 88, 70}, kYesNo, kQuestionText},
    {"SALIDA_FALSE", 160, 120, Box{76, 58, 88, 70}, kYesNo, kQuestionText},
    {"WARNING", 599, 98, Box{320, 70, 370, 84}, Zones(WarningButtonCells()), kWarningTexts},
    {"NOTICE", 599, 300, Box{30, 250, 150, 285}, Zones(NoticeButtonCells()), kNoticeTexts},
    {"ABOUT", 608, 514, Box{340, 466, 420, 508}, {ToBox(kAboutCloseButton)}, kAboutTexts},
    {"Icono", 256, 256, std::nullopt, {}, {}},
    {"MENUOPCIONS", 608, kWebcamMenuDesignHeight, Box{265, 478, 345, 495},
     Zones(WebcamControlCells()), kWebcamOptionsTexts},
    {"SYSTEM", 604, 514, Box{420, 240, 500, 270}, Zones(SystemControlCells()), kSystemOptionsTexts},
    {"MENU_OP_RATON", 686, 514, Box{120, 420, 200, 450}, Zones(MouseControlCells()),
     kMouseOptionsTexts},
    {"RELATIVO1", 150, 113, std::nullopt, {}, {}},
    {"ABSOLUTE27", 150, 113, std::nullopt, {}, {}},
    {"PAUSE_02", 85, 65, std::nullopt, {}, {}},
    {"RELLOTGE8", 50, 50, std::nullopt, {}, {}},
    {"DESP_OBERT", 50, 50, std::nullopt, {}, {}},
    {"DESPLACA", 50, 50, std::nullopt, {}, {}},
};

std::unique_ptr<QSvgRenderer> load(const char* name) {
    return std::make_unique<QSvgRenderer>(veltranix::skinPath(QString::fromLatin1(name)));
}

// The skin rendered at `size`, or at its design size.
QImage render(const char* name, QSize size = {}) {
    const auto renderer = load(name);
    QImage image(size.isEmpty() ? renderer->defaultSize() : size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer->render(&painter);
    return image;
}

int distance(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
           std::abs(qBlue(a) - qBlue(b)) + std::abs(qAlpha(a) - qAlpha(b));
}

// The pixels whose centres lie inside the box.
QRect pixels(const Box& box) {
    return QRect(QPoint(int(std::ceil(box.l)), int(std::ceil(box.t))),
                 QPoint(int(std::floor(box.r)) - 1, int(std::floor(box.b)) - 1));
}

// Calls `visit` with each pixel of `r` of the image.
template <typename Visit>
void EachPixel(const QImage& image, const QRect& r, Visit visit) {
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            visit(image.pixel(x, y));
        }
    }
}

// The mean colour of the pixels in a box.
QRgb mean(const QImage& image, const Box& box) {
    const QRect r = pixels(box);
    long red = 0, green = 0, blue = 0, alpha = 0;
    EachPixel(image, r, [&](QRgb p) {
        red += qRed(p), green += qGreen(p), blue += qBlue(p), alpha += qAlpha(p);
    });
    const long n = std::max(1LL, static_cast<long long>(r.width()) * r.height());
    return qRgba(int(red / n), int(green / n), int(blue / n), int(alpha / n));
}

// The middle of a box: three quarters of its width and height.
Box middle(const Box& box) {
    const double w = (box.r - box.l) / 8, h = (box.b - box.t) / 8;
    return {box.l + w, box.t + h, box.r - w, box.b - h};
}

class EverySkin : public testing::TestWithParam<SkinCase> {};

TEST_P(EverySkin, LoadsFromTheResourcesAtItsDesignSize) {
    const SkinCase& skin = GetParam();
    const auto renderer = load(skin.name);
    ASSERT_TRUE(renderer->isValid()) << skin.name;
    EXPECT_EQ(renderer->defaultSize(), QSize(skin.width, skin.height)) << skin.name;
    EXPECT_EQ(renderer->viewBoxF(), QRectF(0, 0, skin.width, skin.height)) << skin.name;
}

// Qt SVG skips what it cannot draw without a word; keep to what it draws.
TEST_P(EverySkin, UsesOnlyWhatQtSvgDraws) {
    const SkinCase& skin = GetParam();
    QFile file(veltranix::skinPath(QString::fromLatin1(skin.name)));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << skin.name;
    const std::set<QString> allowed = {
        "svg",  "defs",   "linearGradient", "stop", "radialGradient", "g",       "rect",
        "path", "circle", "ellipse",        "line", "polygon",        "polyline"};
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        const QString element = xml.name().toString();
        EXPECT_TRUE(allowed.contains(element))
            << skin.name << ": <" << element.toStdString() << ">";
        for (const auto& attribute : xml.attributes()) {
            const QString key = attribute.name().toString();
            EXPECT_TRUE(key != "class" && key != "style" && key != "href" && key != "filter" &&
                        key != "mask" && key != "clip-path")
                << skin.name << ": " << key.toStdString();
        }
    }
    EXPECT_FALSE(xml.hasError()) << skin.name << ": " << xml.errorString().toStdString();
}

TEST_P(EverySkin, ButtonsFillTheirHitZonesAndTextAreasStayPlain) {
    const SkinCase& skin = GetParam();
    const QImage image = render(skin.name);
    const std::string where = skin.name;
    std::set<QRgb> colours;
    EachPixel(image, image.rect(), [&](QRgb p) { colours.insert(p); });
    EXPECT_GT(colours.size(), 8u) << where << " looks blank";
    EXPECT_EQ(qAlpha(image.pixel(image.width() / 2, image.height() / 2)), 255) << where;

    if (skin.background) {
        // Most of each zone's middle is button, not background.
        const QRgb back = mean(image, *skin.background);
        for (const Box& button : skin.buttons) {
            const QRect r = pixels(middle(button));
            int apart = 0;
            EachPixel(image, r, [&](QRgb p) { apart += distance(p, back) > 60; });
            EXPECT_GT(apart, r.width() * r.height() / 2)
                << where << ": no button at " << button.l << ", " << button.t;
        }
    }

    // Black words must stay legible: light pixels of nearly one shade.
    for (const Box& area : skin.textAreas) {
        const QRect r = pixels(area);
        int darkest = 255, lightest = 0;
        EachPixel(image, r, [&](QRgb p) {
            darkest = std::min(darkest, qGray(p));
            lightest = std::max(lightest, qGray(p));
        });
        EXPECT_GE(darkest, 200) << where << ": text area at " << area.l << ", " << area.t;
        EXPECT_LE(lightest - darkest, 40) << where << ": text area at " << area.l << ", " << area.t;
    }
}

INSTANTIATE_TEST_SUITE_P(Skins, EverySkin, testing::ValuesIn(kSkins),
                         [](const testing::TestParamInfo<SkinCase>& skin) {
                             return std::string(skin.param.name);
                         });

// The lit skin changes its own button, clearly, and nothing else.
TEST(Skins, HighlightedVariantsChangeOnlyTheirZone) {
    const Box yes = kYesNo[0], no = kYesNo[1];
    const Box pause = kMenuCells[static_cast<std::size_t>(MainMenuButton::PauseOrResume)];
    const struct {
        const char *plain, *lit;
        Box zone;
    } variants[] = {{"PAUSE", "PAUSE_TRUE", yes},
                    {"PAUSE", "PAUSE_FALSE", no},
                    {"SALIDA", "SALIDA_TRUE", yes},
                    {"SALIDA", "SALIDA_FALSE", no},
                    {"MENU_PRINCIPAL", "MENU_PRINCIPAL_PAUSA", pause}};
    for (const auto& v : variants) {
        const QImage plain = render(v.plain);
        const QImage lit = render(v.lit);
        ASSERT_EQ(plain.size(), lit.size());
        const QRect zone = pixels(v.zone);
        // One pixel of slack for antialiasing at the zone's edge.
        const QRect near = zone.adjusted(-1, -1, 1, 1);
        int inside = 0, outside = 0;
        for (int y = 0; y < plain.height(); ++y) {
            for (int x = 0; x < plain.width(); ++x) {
                if (plain.pixel(x, y) != lit.pixel(x, y)) {
                    (near.contains(x, y) ? inside : outside)++;
                }
            }
        }
        EXPECT_GT(inside, zone.width() * zone.height() / 3) << v.lit;
        EXPECT_EQ(outside, 0) << v.lit;
    }
}

// The exit confirmation must not pass for the pause window.
TEST(Skins, PauseAndExitConfirmationsDiffer) {
    for (const char* suffix : {"", "_TRUE", "_FALSE"}) {
        const QImage pause = render((std::string("PAUSE") + suffix).c_str());
        const QImage exit = render((std::string("SALIDA") + suffix).c_str());
        const Box frame{0, 20, 4, 100}, sign{72, 73, 92, 97};
        EXPECT_GT(distance(mean(pause, frame), mean(exit, frame)), 150) << "frames of " << suffix;
        EXPECT_GT(distance(mean(pause, sign), mean(exit, sign)), 60) << "signs of " << suffix;
    }
}

// "OK_ULL" drawn where the bar shows it, over the waiting start button, must
// stand out.
TEST(Skins, GoButtonStandsOutFromTheWaitingOne) {
    const QImage bar = render("Boto_ulls_ok");
    const QImage go = render("OK_ULL");
    const ScreenPoint at{kEyesMarkedBitmapOrigin.x, kEyesMarkedBitmapOrigin.y - kSetupBarTopY};
    long total = 0;
    for (int y = 0; y < go.height(); ++y) {
        for (int x = 0; x < go.width(); ++x) {
            total += distance(go.pixel(x, y), bar.pixel(at.x + x, at.y + y));
        }
    }
    EXPECT_GT(total / (go.width() * go.height()), 150);
}

// The icon at tray sizes: opaque in the middle, with dark and light parts.
TEST(Skins, IconHoldsContrastAtTraySizes) {
    for (int size : {16, 22, 24, 32, 48, 256}) {
        const QImage image = render("Icono", {size, size});
        int darkest = 255, lightest = 0;
        EachPixel(image, image.rect(), [&](QRgb p) {
            darkest = qAlpha(p) == 255 ? std::min(darkest, qGray(p)) : darkest;
            lightest = qAlpha(p) == 255 ? std::max(lightest, qGray(p)) : lightest;
        });
        EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255) << size;
        EXPECT_GT(lightest - darkest, 150) << size;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
