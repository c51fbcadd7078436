#include "tests/screenshots/window_gallery.h"

#include <array>
#include <atomic>

#include <QPainter>
#include <QPixmap>

#include "app/shell/about_window.h"
#include "app/shell/click_menu_view.h"
#include "app/shell/confirmation_window.h"
#include "app/shell/loading_bar.h"
#include "app/shell/main_window_logic.h"
#include "app/shell/manual_eye_window.h"
#include "app/shell/mouse_options_menu.h"
#include "app/shell/notice_window.h"
#include "app/shell/program_figures.h"
#include "app/shell/system_options_menu.h"
#include "app/shell/warning_window.h"
#include "app/shell/webcam_options_menu.h"
#include "app/ui/click_menu_widget.h"
#include "app/ui/macro_editor_widget.h"
#include "app/ui/macro_progress_window.h"
#include "app/ui/main_window_widget.h"
#include "app/ui/manual_eye_widget.h"
#include "app/ui/options_menu_widget.h"
#include "app/ui/popup_widgets.h"
#include "settings/store_tree.h"
#include "tests/fakes/fake_shell.h"
#include "tests/fakes/recording_menu_host.h"
#include "tests/fakes/recording_shell_actions.h"
#include "tests/macros/profile_rig.h"
#include "tests/support/face_sequence.h"
#include "tracking/headless_ports.h"
#include "tracking/headless_user_interface.h"

namespace veltranix::testing {
namespace {

class QuietEyeActions : public ManualEyeActions {
  public:
    void saveEyePositions(const ManualEyePositions&) override {}
    void eyePairConfirmed(bool) override {}
};

constexpr std::string_view kLongMessage =
    "The macros could not be saved into /home/someone/.local/share/veltranix/Macros/"
    "A profile with a rather long name.cfg (No space left on device). Nothing is lost: the "
    "editor stays open. /media/USB-STICK/Veltranix/Macros/Backups/2026/December/Default.cfg";

QImage Paint(QWidget& widget) {
    return widget.grab().toImage();
}

// Texts that must lie within a window `widthPx` wide.
std::vector<BoxedText> Across(const std::vector<SkinText>& texts, int widthPx) {
    std::vector<BoxedText> boxed;
    for (const SkinText& text : texts) {
        boxed.push_back({text, {0, 0, widthPx, 0}, Fit::Across});
    }
    return boxed;
}

// The camera sees the test face.
std::vector<std::uint8_t>& CameraBytes() {
    static std::vector<std::uint8_t> bytes = [] {
        std::vector<std::uint8_t> yuy2;
        const FaceSequence face;
        FaceSequence::ToLayout(face.renderBgr({}), FrameLayout::Yuy2, yuy2);
        return yuy2;
    }();
    return bytes;
}

// The face-position bar where the program lays it over the start-up form's
// camera picture.
QImage WithLoadingBar(QImage form, const QImage& bar) {
    QPainter painter(&form);
    const int pictureHeight = 480 * bar.height() / kLoadingBarHeight;
    painter.drawImage((form.width() - bar.width()) / 2,
                      bar.height() + (form.height() - pictureHeight) / 2, bar);
    return form;
}

void PaintMainWindow(const Lexicon& lexicon, const WindowSize& size, SkinLibrary& skins,
                     const PictureVisit& visit) {
    // Room for the start-up form at the desktop scale.
    HeadlessDesktop desktop({3840, 2160});
    Settings settings;
    settings.tamany = size.tamany;
    settings.sizeFactor = size.sizeFactor;
    settings.desktopScale = size.desktopScale;
    OpenWindows open;
    RecordingShellActions follower;
    MainWindowLogic logic(follower, desktop, settings, open);
    MainWindowWidget widget(logic, lexicon, skins);
    widget.show();
    std::vector<BoxedText> setupBar;
    for (FrameLayout layout : {FrameLayout::Rgb24BottomUp, FrameLayout::I420, FrameLayout::Yuy2}) {
        const std::vector<BoxedText> texts =
            Across(AutomaticBarTexts(layout, lexicon), kStartupFormSize.width);
        setupBar.insert(setupBar.end(), texts.begin(), texts.end());
    }
    auto shoot = [&](MainWindowForm form, const std::string& name) {
        logic.EnterForm(form);
        const ScreenRect rect = logic.FormRect();
        widget.resize(rect.right - rect.left, rect.bottom - rect.top);
        CaptureFrame frame{CameraBytes(), FrameLayout::Yuy2};
        widget.ShowCameraFrame(frame);
        visit({name, Paint(widget),
               form == MainWindowForm::Startup ? setupBar : std::vector<BoxedText>{}, nullptr});
    };
    shoot(MainWindowForm::Startup, "main_startup");
    const QImage startup = Paint(widget);
    shoot(MainWindowForm::Docked, "main_docked");
    shoot(MainWindowForm::ButtonMenu, "main_menu_tracking");
    follower.paused = true;
    shoot(MainWindowForm::ButtonMenu, "main_menu_paused");
    logic.StartRestartCountdown();
    shoot(MainWindowForm::RestartCountdown, "main_restart_countdown");

    TrackingShared shared;
    LoadingBarWidget bar(shared, lexicon, skins);
    const ScreenSize barSize =
        ScaleDesignSize(lexicon.positionHintWidth, kLoadingBarHeight, size.desktopScale);
    bar.resize(barSize.width, barSize.height);
    for (std::int32_t status : {0, 1, 2, 3, 4, 5, 6, 100}) {
        const LoadingBarView view =
            LoadingBarViewFor(lexicon.positionHintWidth, status, 150, false, lexicon);
        shared.faceStatus.store(status);
        shared.steadyProgress.store(150);
        std::vector<BoxedText> hint;
        if (view.hint) {
            hint = Across({*view.hint}, lexicon.positionHintWidth);
        }
        visit({"loading_bar_" + std::to_string(status), Paint(bar), hint, nullptr});
        if (status == 0) {
            visit({"main_startup_bar", WithLoadingBar(startup, Paint(bar)), {}, nullptr});
        }
    }
}

void PaintPopups(const Lexicon& lexicon, const WindowSize& size, SkinLibrary& skins,
                 const PictureVisit& visit) {
    RecordingShellActions follower;
    for (ConfirmationKind kind : {ConfirmationKind::Pause, ConfirmationKind::Exit}) {
        ConfirmationWindow logic(kind, PopupOrigin::ButtonMenu, size.sizeFactor, follower);
        bool open = false;
        ConfirmationWidget widget(kind == ConfirmationKind::Pause ? "PAUSE" : "SALIDA", &open,
                                  logic, lexicon, skins);
        const ScreenRect rect = ScaleDesignRect({0, 0, 160, 120}, size.sizeFactor);
        widget.resize(rect.right, rect.bottom);
        const std::string name = kind == ConfirmationKind::Pause ? "pause" : "exit";
        visit({name, Paint(widget), Across({logic.Question(lexicon)}, widget.width()), nullptr});
    }
    // A popup of texts over its skin, at its design size.
    const auto paintTextPopup = [&](const auto& logic, QWidget& widget, int designWidth,
                                    int designHeight, const std::string& name) {
        const ScreenRect rect = ScaleDesignRect({0, 0, designWidth, designHeight}, size.sizeFactor);
        widget.resize(rect.right, rect.bottom);
        visit({name, Paint(widget), Across(logic.Texts(lexicon), widget.width()), nullptr});
    };
    bool shown = false;
    WarningWindow warning(size.sizeFactor);
    WarningWidget warningWidget("Warning", kWarningSkin, &shown, warning, lexicon, skins,
                                [](WarningChoice) {});
    paintTextPopup(warning, warningWidget, 599, 98, "warning");
    AboutWindow about(lexicon.text(LexiconKey::About), size.sizeFactor);
    // Ten seconds at 25 frames a second, 2 to 6 ms each, a quarter of a second's CPU.
    ProgramFigures figures;
    figures.start(0, 0.0);
    for (int frame = 0; frame < 250; ++frame) {
        figures.addFrame(40LL * frame, 2.0 + frame % 5);
    }
    about.setFigures(
        figures.Lines(lexicon, 10000, 0.25, "/dev/video0 (Integrated Camera) YUYV 640 x 480"));
    AboutWidget aboutWidget("ABOUT", kAboutSkin, &shown, about, lexicon, skins, [](AboutItem) {});
    paintTextPopup(about, aboutWidget, 608, 514, "about");
    // The longest message: a reason with a file path.
    NoticeWindow notice(lexicon.text(LexiconKey::E4), kLongMessage, size.sizeFactor);
    NoticeWidget noticeWidget("notice", kNoticeSkin, &shown, notice, lexicon, skins,
                              [](NoticeChoice) {});
    paintTextPopup(notice, noticeWidget, kNoticeDesignWidth, kNoticeDesignHeight, "notice");
}

void PaintOptionsMenus(const Lexicon& constLexicon, const WindowSize& size, SkinLibrary& skins,
                       const PictureVisit& visit) {
    Lexicon lexicon = constLexicon;
    Settings settings;
    StoreTree store;
    HeadlessUserInterface userInterface;
    SettingsObserver observer;
    SettingsPersistence persistence(settings, lexicon, store,
                                    ProgramFolder{VELTRANIX_SOURCE_PROGRAM_FOLDER}, userInterface,
                                    observer, kLanguageEnglishUs);
    persistence.LayoutWindows(size.tamany);
    RecordingMenuHost host;
    // The longest name a capture driver can give (31 characters).
    host.cameras = {{{"/dev/v4l/by-id/usb-a-video-index0", "Integrated Camera: Integrated C"}},
                    "/dev/v4l/by-id/usb-a-video-index0"};
    std::atomic<bool> handPlaced{false};
    WebcamOptionsMenu webcam(settings, persistence, host, &host);
    SystemOptionsMenu system(
        {settings, lexicon, persistence, ProgramFolder{VELTRANIX_SOURCE_PROGRAM_FOLDER},
         userInterface, handPlaced},
        host);
    MouseOptionsMenu mouse(settings, persistence, host, host);
    settings.clicMacro = 1;
    settings.autoAjuste = true;
    const auto paint = [&](OptionsMenu& menu, const char* name, ScreenPoint hover, int extraWidth,
                           int designHeight = kOptionsMenuDesignHeight) {
        menu.OnPointerMoved({ScaleDesignValue(hover.x, size.sizeFactor),
                             ScaleDesignValue(hover.y, size.sizeFactor)});
        for (int tick = 0; tick < 3; ++tick) {
            menu.OnTimer(0);
        }
        bool open = false;
        OptionsMenuWidget widget(name, &open, menu, lexicon, skins);
        const int designWidth = &menu == &mouse ? kMouseMenuDesignWidth : kOptionsMenuDesignWidth;
        const ScreenSize scaled = ScaleDesignSize(designWidth, designHeight, size.sizeFactor);
        widget.resize(scaled.width + extraWidth, scaled.height);
        std::vector<BoxedText> texts;
        for (const MenuText& text : menu.View(lexicon).texts) {
            texts.push_back({text.text, text.box, Fit::Across});
        }
        visit({name, Paint(widget), texts, nullptr});
    };
    // The hover points are in design units.
    paint(webcam, "webcam_options", {250, 380}, 0, kWebcamMenuDesignHeight);
    paint(system, "system_options", {190, 50}, 0);
    paint(mouse, "mouse_options", {115, 120}, kMouseMenuExtraWidthPx);
    paint(mouse, "mouse_options_eye_test", {40, 120}, kMouseMenuExtraWidthPx);
    paint(mouse, "mouse_options_demo", {250, 210}, kMouseMenuExtraWidthPx);
    // The mark of head movement switched off.
    settings.pointerMoveMode = 1;
    paint(webcam, "webcam_options_no_head_movement", {250, 380}, 0);
}

void PaintClickTypeMenus(const Lexicon& lexicon, const WindowSize& size, SkinLibrary& skins,
                         const PictureVisit& visit) {
    HeadlessDesktop desktop;
    std::array<std::string, kMacroSlotCount> longNames = MacroNames(DefaultMacroSet());
    longNames[5] = "Abrir el navegador";
    for (const int clicMacro : {1, 0}) {
        Settings settings;
        settings.sizeFactor = size.sizeFactor;
        settings.clicMacro = clicMacro;
        HeadlessClickMenuWindow port;
        ClickTypeMenu menu(port, desktop, settings);
        ClickMenuWidget widget(menu, settings, lexicon, skins,
                               [] { return MacroNames(DefaultMacroSet()); });
        const ScreenSize windowSize = menu.WindowSize();
        widget.resize(windowSize.width, windowSize.height);
        const std::string name = clicMacro ? "click_menu_macros" : "click_menu";
        std::vector<BoxedText> texts;
        for (const auto& names : {MacroNames(DefaultMacroSet()), longNames}) {
            for (const ClickMenuText& text :
                 ClickMenuTexts(size.sizeFactor, clicMacro == 1, names, lexicon)) {
                texts.push_back({text.text, text.box, Fit::AcrossAndDown});
            }
        }
        visit({name, Paint(widget), texts, nullptr});
    }
}

void PaintManualEyeWindow(const Lexicon& lexicon, float desktopScale, SkinLibrary& skins,
                          const PictureVisit& visit) {
    std::vector<BoxedText> verdicts;
    for (const LexiconKey key : {LexiconKey::Pos, LexiconKey::Near, LexiconKey::Far,
                                 LexiconKey::Tilt, LexiconKey::EyesEdge}) {
        verdicts.push_back({{lexicon.text(key), {0, 45}, {22, 12}, kTextBlack},
                            {0, 0, kManualEyeWindowSize.width - 8, 0},
                            Fit::Across});
    }
    QuietEyeActions actions;
    ManualEyeWindow logic(actions, {});
    ManualEyeWidget widget(logic, lexicon, skins);
    const ScreenSize windowSize =
        ScaleDesignSize(kManualEyeWindowSize.width, kManualEyeWindowSize.height, desktopScale);
    widget.resize(windowSize.width, windowSize.height);
    CaptureFrame frame{CameraBytes(), FrameLayout::Yuy2};
    widget.SetStillFrame(frame);
    logic.OnPointerMoved({300, 260});
    visit({"manual_eyes_stored", Paint(widget), verdicts, nullptr});
}

// The editor on a real profile folder, in the picture's language.
struct EditorBench : EditorRig {
    explicit EditorBench(const Lexicon& language) {
        lexicon = language;
        names = KeyNames::load(ProgramFolder{VELTRANIX_SOURCE_PROGRAM_FOLDER}.keyNamesFile());
        profiles.ChooseStartupProfile();
        profiles.CreateProfile("Work");
        editor.Open();
    }
};

void PaintMacroWindows(const Lexicon& lexicon, const WindowSize& size, SkinLibrary& skins,
                       const PictureVisit& visit) {
    EditorBench bench(lexicon);
    OpenWindows open;
    MacroEditorWidget editor(bench.editor, lexicon, skins, size.sizeFactor, open, {});
    visit({"macro_editor_name_mode", Paint(editor), {}, &editor});
    bench.editor.SelectSlot(2);
    bench.editor.EnterRecordMode();
    for (const char16_t character : std::u16string(u"Hello")) {
        bench.editor.PacketText(std::u16string(1, character));
    }
    bench.editor.AddPause();
    bench.editor.AddShellEntry(u"gedit", ShellSource::RunDialog);
    editor.Refresh();
    visit({"macro_editor_record_mode", Paint(editor), {}, &editor});
    for (ProfileDialogMode mode : {ProfileDialogMode::Create, ProfileDialogMode::Delete}) {
        ProfileNameDialog dialog(
            mode, "Work.cfg", lexicon, size.sizeFactor, open,
            [](const std::string&) { return true; }, [] {});
        visit({mode == ProfileDialogMode::Create ? "profile_name_new" : "profile_name_delete",
               Paint(dialog),
               {},
               &dialog});
    }
    MacroProgressWindow progress;
    progress.SetProgress(150, "12 / 22");
    visit({"macro_progress", Paint(progress), {}, &progress});
}

}  // namespace

std::optional<Lexicon> LoadLanguage(const char* language) {
    Lexicon lexicon;
    HeadlessUserInterface userInterface;
    if (LoadLexicon(lexicon, language, ProgramFolder{VELTRANIX_SOURCE_PROGRAM_FOLDER},
                    userInterface) != LexiconLoad::Loaded) {
        return std::nullopt;
    }
    return lexicon;
}

void PaintWindows(const Lexicon& lexicon, const WindowSize& unscaled, const PictureVisit& visit) {
    // VELTRANIX_DESKTOP_SCALE=2: the windows as a desktop at a scale of 2 shows them.
    WindowSize size = unscaled;
    const QByteArray scale = qgetenv("VELTRANIX_DESKTOP_SCALE");
    if (!scale.isEmpty() && scale.toFloat() > 0.0f) {
        size.sizeFactor *= scale.toFloat();
        size.desktopScale = scale.toFloat();
    }
    SkinLibrary skins;
    PaintMainWindow(lexicon, size, skins, visit);
    PaintPopups(lexicon, size, skins, visit);
    PaintOptionsMenus(lexicon, size, skins, visit);
    PaintClickTypeMenus(lexicon, size, skins, visit);
    if (size.tamany == 0) {
        PaintManualEyeWindow(lexicon, size.desktopScale, skins, visit);
    }
    PaintMacroWindows(lexicon, size, skins, visit);
}

}  // namespace veltranix::testing
