#include <gtest/gtest.h>

#include "app/shell/about_window.h"
#include "app/shell/camera_messages.h"
#include "app/shell/confirmation_window.h"
#include "app/shell/loading_bar.h"
#include "app/shell/notice_window.h"
#include "app/shell/open_document.h"
#include "app/shell/program_figures.h"
#include "app/shell/warning_window.h"
#include "core/version.h"
#include "tests/fakes/fake_shell.h"
#include "tests/fakes/recording_shell_actions.h"
#include "tracking/headless_user_interface.h"

namespace veltranix {
namespace {

using testing::RecordingShellActions;
using J = PortLog;
using P = ScreenPoint;
constexpr auto kNone = std::nullopt;

Lexicon EnglishLexicon() {
    Lexicon lexicon;
    const auto set = [&lexicon](LexiconKey key, std::string text) {
        lexicon.slots[static_cast<std::size_t>(key)] = std::move(text);
    };
    set(LexiconKey::Ok, "OK");
    set(LexiconKey::Cancel, "Cancel");
    set(LexiconKey::Pause, "Pause");
    set(LexiconKey::Exit, "Exit");
    set(LexiconKey::Warning,
        "The pointer will stop following your head.\\nDo you want to continue?");
    set(LexiconKey::NoFace, "No face found");
    return lexicon;
}

constexpr std::string_view kEnglishAbout =
    "Veltranix 1.0\\nHands-free pointer control with head movements and facial gestures\\n"
    "Developed by the Veltranix team and its partners\\nwww.veltranix.org\\n"
    "www.veltranix.org/team\\nQuestions and suggestions:\\ncontact@veltranix.org\\n"
    "User manual (PDF)";

constexpr auto kPause = ConfirmationKind::Pause;
constexpr auto kExit = ConfirmationKind::Exit;
constexpr auto kMenu = PopupOrigin::ButtonMenu;

// A point of a window at a size, and what it hits there (none: nothing).
template <typename Hit>
struct HitCase {
    float sizeFactor;
    ScreenPoint client;
    std::optional<Hit> expected;
};
template <typename Hit, std::size_t N, typename HitAt>
void ExpectHits(const HitCase<Hit> (&cases)[N], HitAt hitAt) {
    for (const HitCase<Hit>& c : cases) {
        EXPECT_EQ(hitAt(c.sizeFactor, c.client), c.expected)
            << c.sizeFactor << ": " << c.client.x << "," << c.client.y;
    }
}

// At s = 1.4: yes 14 < x < 96, no 133 < x < 215, 77 < y < 161.
TEST(ConfirmationZones, AreStrictlyInside) {
    constexpr auto kYes = ConfirmationZone::Yes;
    constexpr auto kNo = ConfirmationZone::No;
    const HitCase<ConfirmationZone> cases[] = {
        {1.0f, {10, 80}, kNone}, {1.0f, {11, 80}, kYes},   {1.0f, {68, 80}, kYes},
        {1.0f, {69, 80}, kNone}, {1.0f, {96, 80}, kNo},    {1.0f, {154, 80}, kNone},
        {1.0f, {40, 56}, kYes},  {1.0f, {40, 115}, kNone}, {1.4f, {15, 78}, kYes},
        {1.4f, {14, 78}, kNone}, {1.4f, {214, 160}, kNo},  {1.4f, {214, 161}, kNone}};
    RecordingShellActions actions;
    ExpectHits(cases, [&](float sizeFactor, ScreenPoint client) {
        return ConfirmationWindow(kPause, kMenu, sizeFactor, actions).ZoneAt(client);
    });
}

TEST(ConfirmationBitmap, RepaintsOnlyWhenTheStateChanges) {
    RecordingShellActions actions;
    ConfirmationWindow window(kPause, kMenu, 1.0f, actions);
    EXPECT_EQ(window.bitmapName(), "PAUSE");
    EXPECT_EQ(window.OnPointerMoved({40, 80}), Repaint::Needed);
    EXPECT_EQ(window.bitmapName(), "PAUSE_TRUE");
    EXPECT_EQ(window.OnPointerMoved({41, 81}), Repaint::NotNeeded);
    EXPECT_EQ(window.OnPointerMoved({120, 80}), Repaint::Needed);
    EXPECT_EQ(window.bitmapName(), "PAUSE_FALSE");
    EXPECT_EQ(window.OnPointerMoved({69, 80}), Repaint::Needed);
    EXPECT_EQ(window.bitmapName(), "PAUSE");
    EXPECT_EQ(window.OnPointerMoved({5, 5}), Repaint::NotNeeded);

    ConfirmationWindow exit(kExit, kMenu, 1.0f, actions);
    exit.OnPointerMoved({40, 80});
    EXPECT_EQ(exit.bitmapName(), "SALIDA_TRUE");
    EXPECT_TRUE(actions.journal.empty());
}

struct OutcomeCase {
    ConfirmationKind kind;
    PopupOrigin origin;
    float sizeFactor;
    ScreenPoint click;
    J expected;
};

class ConfirmationOutcomes : public ::testing::TestWithParam<OutcomeCase> {};

TEST_P(ConfirmationOutcomes, FollowTheChoiceAndWhereTheWindowCameFrom) {
    const OutcomeCase& c = GetParam();
    RecordingShellActions actions;
    ConfirmationWindow window(c.kind, c.origin, c.sizeFactor, actions);
    window.OnLeftButtonDown(c.click);
    EXPECT_EQ(actions.journal, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    YesNoAndElsewhere, ConfirmationOutcomes,
    ::testing::Values(
        OutcomeCase{kPause, kMenu, 1.0f, P{40, 80},
                    J{"state HeadPause", "close Pause", "pointer by -80,0", "show main"}},
        OutcomeCase{kPause, kMenu, 1.4f, P{40, 80},
                    J{"state HeadPause", "close Pause", "pointer by -112,0", "show main"}},
        OutcomeCase{kPause, kMenu, 1.0f, P{120, 80}, J{"close Pause", "show main"}},
        OutcomeCase{kPause, kMenu, 1.0f, P{69, 80}, J{}},
        OutcomeCase{kExit, kMenu, 1.0f, P{40, 80},
                    J{"pointer by -20,-20", "hide main", "close ExitConfirmation", "exit"}},
        OutcomeCase{kExit, kMenu, 1.0f, P{120, 80},
                    J{"close ExitConfirmation", "pointer by -20,-20", "show main"}},
        OutcomeCase{kExit, PopupOrigin::SetupBarAutomatic, 1.0f, P{120, 80},
                    J{"close ExitConfirmation", "pointer by -20,-20", "show main", "state Detect",
                      "settling", "open LoadingBar from SetupBarAutomatic"}},
        OutcomeCase{kExit, PopupOrigin::SetupBarManual, 1.0f, P{120, 80},
                    J{"close ExitConfirmation", "pointer by -20,-20", "show main",
                      "open ManualEyePositions from SetupBarManual"}}));

TEST(ConfirmationQuestion, IsCentredByCharacters) {
    RecordingShellActions actions;
    Lexicon lexicon = EnglishLexicon();
    const SkinText question = ConfirmationWindow(kPause, kMenu, 1.0f, actions).Question(lexicon);
    EXPECT_EQ(question.text, "Pause ?");
    EXPECT_EQ(question.origin, (ScreenPoint{27, 20}));
    EXPECT_EQ(question.font, (SkinFont{25, 15, FontWeight::Bold, Underline::No}));

    // "Señal ?" is seven characters in eight bytes.
    lexicon.slots[static_cast<std::size_t>(LexiconKey::Exit)] =
        "Se\xC3\xB1"
        "al";
    EXPECT_EQ(ConfirmationWindow(kExit, kMenu, 1.0f, actions).Question(lexicon).origin.x, 27);
}

// At s = 1.2 the ok button is 187 < x < 361, 70 < y < 104.
TEST(WarningButtons, AreStrictlyInside) {
    constexpr auto kOk = WarningChoice::Ok;
    constexpr auto kCancel = WarningChoice::Cancel;
    const HitCase<WarningChoice> cases[] = {
        {1.0f, {156, 70}, kNone},   {1.0f, {157, 70}, kOk},     {1.0f, {301, 70}, kNone},
        {1.0f, {391, 60}, kCancel}, {1.0f, {534, 86}, kCancel}, {1.0f, {535, 86}, kNone},
        {1.2f, {188, 71}, kOk},     {1.2f, {187, 71}, kNone},   {1.2f, {360, 104}, kNone}};
    ExpectHits(cases, [](float sizeFactor, ScreenPoint client) {
        return WarningWindow(sizeFactor).OnLeftButtonDown(client);
    });
}

// The notice's OK: 200 < x < 399, 232 < y < 290 at s = 1.0; at s = 1.5
// 300 < x < 598, 348 < y < 435.
TEST(NoticeButton, IsLargeAndStrictlyInside) {
    const std::optional<NoticeChoice> kOk = NoticeChoice::Ok;
    const HitCase<NoticeChoice> cases[] = {{1.0f, {200, 240}, kNone}, {1.0f, {201, 233}, kOk},
                                           {1.0f, {398, 289}, kOk},   {1.0f, {399, 289}, kNone},
                                           {1.0f, {300, 100}, kNone}, {1.5f, {301, 349}, kOk},
                                           {1.5f, {300, 349}, kNone}, {1.5f, {597, 434}, kOk}};
    ExpectHits(cases, [](float sizeFactor, ScreenPoint client) {
        NoticeWindow notice("Error", "text", sizeFactor);
        const std::optional<NoticeChoice> hit = notice.OnLeftButtonDown(client);
        EXPECT_EQ(notice.OnPointerMoved(client), hit ? Repaint::Needed : Repaint::NotNeeded);
        return hit;
    });
}

TEST(WarningWindow, CentresItsTextsAndOutlinesTheHoveredButton) {
    WarningWindow window(1.0f);
    const std::vector<SkinText> texts = window.Texts(EnglishLexicon());
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0].text, "The pointer will stop following your head.");
    EXPECT_EQ(texts[0].origin, (ScreenPoint{125, 8}));
    EXPECT_EQ(texts[1].text, "Do you want to continue?");
    EXPECT_EQ(texts[1].origin, (ScreenPoint{215, 30}));
    EXPECT_EQ(texts[2].origin, (ScreenPoint{207, 64}));
    EXPECT_EQ(texts[3].origin, (ScreenPoint{412, 64}));

    EXPECT_EQ(window.OnPointerMoved({200, 70}), Repaint::Needed);
    EXPECT_EQ(window.hoverOutline(), (ScreenRect{156, 59, 301, 87}));
    EXPECT_EQ(window.OnPointerMoved({201, 71}), Repaint::NotNeeded);
    EXPECT_EQ(window.OnPointerMoved({10, 10}), Repaint::Needed);
    EXPECT_FALSE(window.hoverOutline());
}

// Line 4, "www.veltranix.org", is 17 characters at y = 215 (at s = 1.4 drawn
// from x = 330 for 190 pixels, y from 301 for 21), hit also in the lower half
// of the 15-pixel text, below the 8.5 pixels of the old band; the manual line
// is 15 < x < 236, 465 < y < 495.
TEST(AboutItems, AreFoundOnTheDrawnText) {
    using enum AboutItem;
    const HitCase<AboutItem> cases[] = {
        {1.0f, {300, 215}, LinkLine4}, {1.0f, {236, 222}, LinkLine4}, {1.0f, {235, 222}, kNone},
        {1.0f, {300, 228}, LinkLine4}, {1.0f, {300, 214}, kNone},     {1.0f, {300, 245}, LinkLine5},
        {1.0f, {300, 310}, LinkLine7}, {1.0f, {16, 466}, ManualLine}, {1.0f, {15, 470}, kNone},
        {1.0f, {236, 480}, kNone},     {1.0f, {100, 495}, kNone},     {1.0f, {500, 490}, Close},
        {1.4f, {515, 320}, LinkLine4}, {1.4f, {520, 310}, kNone}};
    ExpectHits(cases, [](float sizeFactor, ScreenPoint client) {
        return AboutWindow(kEnglishAbout, sizeFactor).OnLeftButtonDown(client);
    });
}

TEST(AboutWindow, LaysOutItsLinesAndOutlinesOnlyLinks) {
    AboutWindow window(kEnglishAbout, 1.0f);
    const std::vector<SkinText> texts = window.Texts(EnglishLexicon());
    ASSERT_EQ(texts.size(), 9u);
    EXPECT_EQ(texts[0].origin, (ScreenPoint{255, 120}));
    EXPECT_EQ(texts[0].colour, kTextBlack);
    EXPECT_EQ(texts[3].font.underline, Underline::Yes);
    EXPECT_EQ(texts[3].colour, kLinkBlue);
    EXPECT_EQ(texts[3].origin.y, 215);
    EXPECT_EQ(texts[6].origin.y, 304);
    EXPECT_EQ(texts[7].origin, (ScreenPoint{20, 475}));
    EXPECT_EQ(texts[8].text, "OK");
    EXPECT_EQ(texts[8].origin, (ScreenPoint{497, 477}));

    EXPECT_EQ(window.OnPointerMoved({300, 216}), Repaint::Needed);
    EXPECT_EQ(window.hoverOutline(), (ScreenRect{236, 215, 372, 230}));
    window.OnPointerMoved({100, 480});
    EXPECT_EQ(window.hovered(), AboutItem::ManualLine);
    EXPECT_FALSE(window.hoverOutline());
}

TEST(AboutWindow, AShortTextHasNoLinksAndShowsTheVersion) {
    const AboutWindow window("Veltranix {version}\\nonly two lines", 1.0f);
    ASSERT_EQ(window.lines().size(), 2u);
    EXPECT_EQ(window.lines()[0], "Veltranix " + std::string(kVersion));
    for (const ScreenPoint point : {P{300, 216}, P{300, 310}, P{16, 466}}) {
        EXPECT_FALSE(window.OnLeftButtonDown(point));
    }
}

// The about window's figures for the frames of eight seconds agree with the
// timing log's; nothing is counted while the window is closed.
TEST(ProgramFigures, AgreeWithTheTimingLogAndCountOnlyWhileOpen) {
    Lexicon lexicon;
    lexicon.slots[static_cast<std::size_t>(LexiconKey::AboutFrames)] = "{fps} {mean} {p95}";
    lexicon.slots[static_cast<std::size_t>(LexiconKey::AboutCpu)] = "{cpu} %";
    lexicon.slots[static_cast<std::size_t>(LexiconKey::AboutCamera)] = "{camera}";
    ProgramFigures figures;
    figures.addFrame(500, 90.0);
    figures.start(1000, 2.0);
    std::vector<double> delaysMs;
    for (int frame = 0; frame < 200; ++frame) {
        delaysMs.push_back(1.0 + frame * 37 % 100 / 10.0);
        figures.addFrame(1000 + 40LL * frame, delaysMs.back());
    }
    const std::string log = TimingLogText(delaysMs, 200);
    const auto logged = [&log](std::string_view name) {
        return std::stod(log.substr(log.find(name) + name.size()));
    };
    char frames[64];
    std::snprintf(frames, sizeof frames, "25.0 %.1f %.1f", logged("mean_ms="), logged("p95_ms="));
    EXPECT_EQ(figures.Lines(lexicon, 9000, 2.4, "demo"),
              (std::vector<std::string>{frames, "5.0 %", "demo"}));
    figures.stop();
    figures.addFrame(9040, 90.0);
    EXPECT_EQ(figures.Lines(lexicon, 9080, 2.5, ""),
              (std::vector<std::string>{"- - -", "- %", "-"}));
}

// The English lexicon's texts for each way a camera fails to start.
TEST(CameraMessages, EachFailureHasItsWords) {
    Lexicon lexicon;
    lexicon.slots[static_cast<std::size_t>(LexiconKey::E1)] = "No webcam could be opened.";
    lexicon.slots[static_cast<std::size_t>(LexiconKey::E2)] = "No supported format.";
    lexicon.slots[static_cast<std::size_t>(LexiconKey::E3)] = "The webcam could not be started";
    EXPECT_EQ(CameraFailureMessage({CameraFailure::NoDevice, ""}, lexicon),
              "No webcam could be opened.");
    EXPECT_EQ(CameraFailureMessage({CameraFailure::NoFormat, "MJPG only"}, lexicon),
              "No supported format.");
    EXPECT_EQ(CameraFailureMessage({CameraFailure::StepFailed,
                                    "/dev/video0: VIDIOC_STREAMON: Device or resource busy"},
                                   lexicon),
              "The webcam could not be started. -> /dev/video0: VIDIOC_STREAMON: Device or "
              "resource busy");
}

// A document the desktop cannot open is said with the reason and the file.
TEST(OpenDocument, AFailureNamesTheFileAndTheReason) {
    Lexicon lexicon;
    lexicon.slots[static_cast<std::size_t>(LexiconKey::E4)] = "Warning";
    lexicon.slots[static_cast<std::size_t>(LexiconKey::ShellError)] = "No program.";
    lexicon.slots[static_cast<std::size_t>(LexiconKey::ShellError01)] = "Not found.";
    const std::pair<int, std::vector<ShownMessage>> cases[] = {
        {kShellOpened, {}},
        {kShellNoAssociation, {{"No program.\n\n< English.pdf >", "Warning"}}},
        {kShellFileNotFound, {{"Not found.\n\n< English.pdf >", "Warning"}}},
    };
    for (const auto& [result, expected] : cases) {
        testing::FakeShell shell;
        HeadlessUserInterface userInterface;
        shell.setResult("/opt/v/manuals/English.pdf", result);
        OpenDocument("/opt/v/manuals/English.pdf", shell, userInterface, lexicon);
        EXPECT_EQ(shell.opened(), std::vector<std::string>{"/opt/v/manuals/English.pdf"});
        EXPECT_EQ(userInterface.messages, expected) << result;
    }
}

TEST(LoadingBar, HintKeysByFaceStatus) {
    const std::pair<std::int32_t, std::string_view> cases[] = {
        {0, "pos"},    {1, "far"},      {2, "near"},    {3, "highPos"},
        {4, "lowPos"}, {5, "rightPos"}, {6, "leftPos"}, {100, "noFace"}};
    for (const auto& [status, name] : cases) {
        const std::optional<LexiconKey> key = LoadingBarHintKey(status);
        ASSERT_TRUE(key) << status;
        EXPECT_EQ(kLexiconKeyNames[static_cast<std::size_t>(*key)], name);
    }
    EXPECT_FALSE(LoadingBarHintKey(7));
    EXPECT_FALSE(LoadingBarHintKey(-1));
}

// The bar is 300 x 30; its green part shows only for a well-placed face
// while the calibration is not held, and never wider than the bar.
TEST(LoadingBar, ShowsProgressOnlyForAWellPlacedFreeFaceAndCentresTheHint) {
    const struct {
        std::int32_t faceStatus;
        std::int32_t steadyProgress;
        bool calibrationHold;
        std::optional<int> green;
    } cases[] = {{0, 150, false, 150},
                 {0, 150, true, kNone},
                 {1, 150, false, kNone},
                 {100, 0, false, kNone},
                 {0, 400, false, 300}};
    for (const auto& c : cases) {
        const LoadingBarView view =
            LoadingBarViewFor(300, c.faceStatus, c.steadyProgress, c.calibrationHold, Lexicon{});
        EXPECT_EQ(view.size, (ScreenSize{300, 30}));
        EXPECT_EQ(view.greenWidthPx, c.green) << c.faceStatus << " " << c.steadyProgress;
    }
    const LoadingBarView view = LoadingBarViewFor(300, 100, 0, false, EnglishLexicon());
    ASSERT_TRUE(view.hint);
    EXPECT_EQ(view.hint->text, "No face found");
    EXPECT_EQ(view.hint->origin, (ScreenPoint{67, 4}));
}

}  // namespace
}  // namespace veltranix
