// Every form of the main window and every popup, painted by the real widgets
// in each window size and language, written as PNG files into the build
// folder for a person to look at; every text must fit its window.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <QApplication>
#include <QImage>
#include <QPixmap>

#include "app/shell/about_window.h"
#include "app/shell/click_menu_view.h"
#include "app/shell/confirmation_window.h"
#include "app/shell/loading_bar.h"
#include "app/shell/main_window_logic.h"
#include "app/shell/manual_eye_window.h"
#include "app/shell/mouse_options_menu.h"
#include "app/shell/notice_window.h"
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
#include "settings/lexicon.h"
#include "settings/store_tree.h"
#include "tests/fakes/fake_desktop.h"
#include "tests/fakes/fake_keyboard.h"
#include "tests/fakes/fake_shell.h"
#include "tests/fakes/fake_user_interface.h"
#include "tests/fakes/recording_click_menu_window.h"
#include "tests/fakes/recording_shell_actions.h"
#include "tests/support/face_sequence.h"
#include "tests/support/temporary_folder.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>

// Fontconfig, loaded by Qt's font set-up, leaks at load time; our own code
// keeps its leak check in the other suites.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}

namespace veltranix {
namespace {

// The options menus' requests, none of which matters here; the engine's
// readings as large as a long day makes them.
class MenuHost : public OptionsMenuHost, public MouseMenuEngine {
  public:
    void closeOptionsMenu(PopupKind) override {}
    void askBeforeDisablingHeadMovement() override {}
    void lexiconReloaded() override {}
    void openMacroEditor() override {}
    void setGestureTests(bool, bool) override {}
    std::optional<double> eyeActivity() const override { return 70.0; }
    std::optional<double> mouthActivity() const override { return 20.0; }
    std::int32_t clickCount() const override { return 123456; }
    double pointerTravelPixels() const override { return 98765432.0; }
};

class QuietEyeActions : public ManualEyeActions {
  public:
    void saveEyePositions(const ManualEyePositions&) override {}
    void eyePairConfirmed(bool) override {}
};

struct SizeCase {
    int tamany;
    float sizeFactor;
    const char* suffix;
};
constexpr SizeCase kSizes[] = {{0, 1.0f, "_size0"}, {1, 1.2f, "_size1"}, {2, 1.4f, "_size2"}};
constexpr const char* kLanguages[] = {"English", "Spanish", "Portuguese", "Italian"};
constexpr std::string_view kLongMessage =
    "The macros could not be saved into /home/someone/.local/share/veltranix/Macros/"
    "A profile with a rather long name.cfg (No space left on device). Nothing is lost: the "
    "editor stays open. /media/USB-STICK/Veltranix/Macros/Backups/2026/December/Default.cfg";

std::filesystem::path ShotFolder() {
    std::filesystem::path folder(VELTRANIX_SCREENSHOT_FOLDER);
    std::filesystem::create_directories(folder);
    return folder;
}

// Paints the widget at its size and saves it; false when nothing was painted.
bool Save(QWidget& widget, const std::string& name) {
    const QImage image = widget.grab().toImage();
    if (image.isNull()) {
        return false;
    }
    image.save(QString::fromStdString((ShotFolder() / (name + ".png")).string()));
    // A skin that failed to load leaves one flat colour.
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width(); x += 3) {
            if (image.pixel(x, y) != first) {
                return true;
            }
        }
    }
    return false;
}

// How much of a box a text must keep to.
enum class Fit {
    Across,         // its width only
    AcrossAndDown,  // its width and its height
};

void ExpectInside(const SkinText& text, const ScreenRect& box, const std::string& where,
                  Fit fit = Fit::AcrossAndDown) {
    const int width = SkinTextWidth(text);
    const std::string what = where + ": \"" + text.text + "\" is " + std::to_string(width) +
                             " px wide at " + std::to_string(text.origin.x) + "," +
                             std::to_string(text.origin.y) + " in a box from x " +
                             std::to_string(box.left) + " to " + std::to_string(box.right);
    EXPECT_GE(text.origin.x, box.left) << what;
    EXPECT_LE(text.origin.x + width, box.right) << what;
    if (fit == Fit::AcrossAndDown) {
        EXPECT_GE(text.origin.y, box.top) << what;
        EXPECT_LE(text.origin.y + text.font.heightPx, box.bottom) << what;
    }
}

// The text lies within a window `windowWidth` pixels wide.
void ExpectFits(const SkinText& text, int windowWidth, const std::string& where) {
    ExpectInside(text, {0, 0, windowWidth, 0}, where, Fit::Across);
}

class WindowScreenshots : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "window_screenshots";
        static char* argv[] = {name, nullptr};
        if (QApplication::instance() == nullptr) {
            application_ = new QApplication(argc, argv);
        }
    }

    Lexicon LoadLanguage(const char* language) {
        Lexicon lexicon;
        testing::FakeUserInterface userInterface;
        EXPECT_EQ(LoadLexicon(lexicon, language, ProgramFolder{VELTRANIX_SOURCE_PROGRAM_FOLDER},
                              userInterface),
                  LexiconLoad::Loaded);
        return lexicon;
    }

    void SetUp() override {
        const testing::FaceSequence face;
        testing::FaceSequence::ToLayout(face.renderBgr({}), FrameLayout::Yuy2, cameraBytes_);
    }

    static QApplication* application_;
    SkinLibrary skins_;
    std::vector<std::uint8_t> cameraBytes_;
};
QApplication* WindowScreenshots::application_ = nullptr;

TEST_F(WindowScreenshots, MainWindowFormsInEverySize) {
    const Lexicon lexicon = LoadLanguage("English");
    testing::FakeDesktop desktop;
    for (const SizeCase& size : kSizes) {
        Settings settings;
        settings.tamany = size.tamany;
        settings.sizeFactor = size.sizeFactor;
        OpenWindows open;
        testing::RecordingShellActions follower;
        MainWindowLogic logic(follower, desktop, settings, open);
        MainWindowWidget widget(logic, lexicon, skins_);
        widget.show();
        const std::string suffix = size.suffix;
        auto shoot = [&](MainWindowForm form, const std::string& name) {
            logic.EnterForm(form);
            const ScreenRect rect = logic.FormRect();
            widget.resize(rect.right - rect.left, rect.bottom - rect.top);
            // The camera sees the test face.
            CaptureFrame frame{cameraBytes_, FrameLayout::Yuy2};
            widget.ShowCameraFrame(frame);
            EXPECT_TRUE(Save(widget, name + suffix)) << name << suffix;
        };
        shoot(MainWindowForm::Startup, "main_startup");
        shoot(MainWindowForm::Docked, "main_docked");
        shoot(MainWindowForm::ButtonMenu, "main_menu_tracking");
        follower.paused = true;
        shoot(MainWindowForm::ButtonMenu, "main_menu_paused");
        logic.StartRestartCountdown();
        shoot(MainWindowForm::RestartCountdown, "main_restart_countdown");
    }
}

TEST_F(WindowScreenshots, PopupsInEverySizeAndTheirTextsFitInEveryLanguage) {
    testing::FakeDesktop desktop;
    for (const char* language : kLanguages) {
        const Lexicon lexicon = LoadLanguage(language);
        for (const SizeCase& size : kSizes) {
            const std::string suffix = std::string("_") + language + size.suffix;
            testing::RecordingShellActions follower;
            for (ConfirmationKind kind : {ConfirmationKind::Pause, ConfirmationKind::Exit}) {
                ConfirmationWindow logic(kind, PopupOrigin::ButtonMenu, size.sizeFactor, follower);
                bool open = false;
                ConfirmationWidget widget(kind == ConfirmationKind::Pause ? "PAUSE" : "SALIDA",
                                          &open, logic, lexicon, skins_);
                const ScreenRect rect = ScaleDesignRect({0, 0, 160, 120}, size.sizeFactor);
                widget.resize(rect.right, rect.bottom);
                const std::string name = kind == ConfirmationKind::Pause ? "pause" : "exit";
                ExpectFits(logic.Question(lexicon), widget.width(), name + suffix);
                EXPECT_TRUE(Save(widget, name + suffix));
                // The middle of the yes button.
                const ScreenRect yes = ScaleDesignRect({40, 85, 40, 85}, size.sizeFactor);
                logic.OnPointerMoved({yes.left, yes.top});
                EXPECT_TRUE(Save(widget, name + "_yes_hovered" + suffix));
            }
            // A popup of texts over its skin, at its design size.
            const auto shootTextPopup = [&](const auto& logic, QWidget& widget, int designWidth,
                                            int designHeight, const std::string& name) {
                const ScreenRect rect =
                    ScaleDesignRect({0, 0, designWidth, designHeight}, size.sizeFactor);
                widget.resize(rect.right, rect.bottom);
                for (const SkinText& text : logic.Texts(lexicon)) {
                    ExpectFits(text, widget.width(), name + suffix);
                }
                EXPECT_TRUE(Save(widget, name + suffix));
            };
            bool shown = false;
            WarningWindow warning(size.sizeFactor);
            WarningWidget warningWidget("Warning", kWarningSkin, &shown, warning, lexicon, skins_,
                                        [](WarningChoice) {});
            shootTextPopup(warning, warningWidget, 599, 98, "warning");
            AboutWindow about(lexicon.text(LexiconKey::About), size.sizeFactor);
            AboutWidget aboutWidget("ABOUT", kAboutSkin, &shown, about, lexicon, skins_,
                                    [](AboutItem) {});
            shootTextPopup(about, aboutWidget, 608, 514, "about");
            // The longest message: a reason with a file path.
            NoticeWindow notice(lexicon.text(LexiconKey::E4), kLongMessage, size.sizeFactor);
            NoticeWidget noticeWidget("notice", kNoticeSkin, &shown, notice, lexicon, skins_,
                                      [](NoticeChoice) {});
            shootTextPopup(notice, noticeWidget, kNoticeDesignWidth, kNoticeDesignHeight, "notice");
            if (size.tamany == 0) {
                Settings settings;
                settings.sizeFactor = 1.0f;
                OpenWindows open;
                MainWindowLogic logic(follower, desktop, settings, open);
                for (FrameLayout layout :
                     {FrameLayout::Rgb24BottomUp, FrameLayout::I420, FrameLayout::Yuy2}) {
                    for (const SkinText& text : AutomaticBarTexts(layout, lexicon)) {
                        ExpectFits(text, kStartupFormSize.width,
                                   std::string("set-up bar ") + language);
                    }
                }
                TrackingShared shared;
                LoadingBarWidget bar(shared, lexicon, skins_);
                bar.resize(lexicon.positionHintWidth, kLoadingBarHeight);
                for (std::int32_t status : {0, 1, 2, 3, 4, 5, 6, 100}) {
                    const LoadingBarView view =
                        LoadingBarViewFor(lexicon.positionHintWidth, status, 150, false, lexicon);
                    ASSERT_TRUE(view.hint.has_value()) << status;
                    ExpectFits(*view.hint, lexicon.positionHintWidth,
                               std::string("loading bar ") + language);
                    shared.faceStatus.store(status);
                    shared.steadyProgress.store(150);
                    EXPECT_TRUE(
                        Save(bar, "loading_bar_" + std::to_string(status) + "_" + language));
                }
            }
        }
    }
}

TEST_F(WindowScreenshots, OptionsMenusInEverySizeAndTheirTextsFitInEveryLanguage) {
    for (const char* language : kLanguages) {
        Lexicon lexicon = LoadLanguage(language);
        const bool shoot = std::string(language) == "English" || std::string(language) == "Spanish";
        for (const SizeCase& size : kSizes) {
            const std::string suffix = std::string("_") + language + size.suffix;
            Settings settings;
            StoreTree store;
            testing::FakeUserInterface userInterface;
            SettingsObserver observer;
            SettingsPersistence persistence(settings, lexicon, store,
                                            ProgramFolder{VELTRANIX_SOURCE_PROGRAM_FOLDER},
                                            userInterface, observer, kLanguageEnglishUs);
            persistence.LayoutWindows(size.tamany);
            MenuHost host;
            std::atomic<bool> handPlaced{false};
            WebcamOptionsMenu webcam(settings, persistence, host);
            SystemOptionsMenu system(
                {settings, lexicon, persistence, ProgramFolder{VELTRANIX_SOURCE_PROGRAM_FOLDER},
                 userInterface, handPlaced},
                host);
            MouseOptionsMenu mouse(settings, persistence, host, host);
            settings.clicMacro = 1;
            settings.autoAjuste = true;
            struct Shot {
                OptionsMenu& menu;
                const char* name;
                ScreenPoint hover;  // design units
                int extraWidth;
            };
            for (const Shot& shot :
                 {Shot{webcam, "webcam_options", {250, 380}, 0},
                  Shot{system, "system_options", {190, 50}, 0},
                  Shot{mouse, "mouse_options", {115, 120}, kMouseMenuExtraWidthPx},
                  Shot{mouse, "mouse_options_eye_test", {40, 120}, kMouseMenuExtraWidthPx},
                  Shot{mouse, "mouse_options_demo", {250, 210}, kMouseMenuExtraWidthPx}}) {
                shot.menu.OnPointerMoved({ScaleDesignValue(shot.hover.x, size.sizeFactor),
                                          ScaleDesignValue(shot.hover.y, size.sizeFactor)});
                for (int tick = 0; tick < 3; ++tick) {
                    shot.menu.OnTimer(0);
                }
                for (const MenuText& text : shot.menu.View(lexicon).texts) {
                    ExpectInside(text.text, text.box, shot.name + suffix, Fit::Across);
                }
                if (!shoot) {
                    continue;
                }
                bool open = false;
                OptionsMenuWidget widget(shot.name, &open, shot.menu, lexicon, skins_);
                const ScreenSize scaled = ScaleDesignSize(
                    kOptionsMenuDesignWidth, kOptionsMenuDesignHeight, size.sizeFactor);
                widget.resize(scaled.width + shot.extraWidth, scaled.height);
                EXPECT_TRUE(Save(widget, shot.name + suffix)) << shot.name << suffix;
            }
            // The mark of head movement switched off.
            settings.pointerMoveMode = 1;
            for (const MenuText& text : webcam.View(lexicon).texts) {
                ExpectInside(text.text, text.box, "webcam_options" + suffix, Fit::Across);
            }
        }
    }
}

TEST_F(WindowScreenshots, ClickTypeMenuInEverySizeAndItsTextsFitInEveryLanguage) {
    testing::FakeDesktop desktop;
    std::array<std::string, kMacroSlotCount> longNames = MacroNames(DefaultMacroSet());
    longNames[5] = "Abrir el navegador";
    for (const char* language : kLanguages) {
        const Lexicon lexicon = LoadLanguage(language);
        const bool shoot = std::string(language) == "English" || std::string(language) == "Spanish";
        for (const SizeCase& size : kSizes) {
            for (const int clicMacro : {1, 0}) {
                Settings settings;
                settings.sizeFactor = size.sizeFactor;
                settings.clicMacro = clicMacro;
                testing::RecordingClickMenuWindow port;
                ClickTypeMenu menu(port, desktop, settings);
                ClickMenuWidget widget(menu, settings, lexicon, skins_,
                                       [] { return MacroNames(DefaultMacroSet()); });
                const ScreenSize windowSize = menu.WindowSize();
                widget.resize(windowSize.width, windowSize.height);
                const std::string name =
                    std::string(clicMacro ? "click_menu_macros" : "click_menu") + "_" + language +
                    size.suffix;
                for (const auto& names : {MacroNames(DefaultMacroSet()), longNames}) {
                    for (const ClickMenuText& text :
                         ClickMenuTexts(size.sizeFactor, clicMacro == 1, names, lexicon)) {
                        ExpectInside(text.text, text.box, name);
                    }
                }
                if (shoot) {
                    EXPECT_TRUE(Save(widget, name));
                    // The pointer on the right-click cell.
                    const ScreenRect right = ScaleDesignRect({35, 100, 35, 100}, size.sizeFactor);
                    menu.OnPointerMovedInWindow({right.left, right.top});
                    ASSERT_TRUE(menu.highlight().has_value());
                    EXPECT_TRUE(Save(widget, name + "_right_hovered"));
                }
            }
        }
    }
}

TEST_F(WindowScreenshots, ManualEyeWindowAndItsVerdictsFitInEveryLanguage) {
    for (const char* language : kLanguages) {
        const Lexicon lexicon = LoadLanguage(language);
        for (const LexiconKey key : {LexiconKey::Pos, LexiconKey::Near, LexiconKey::Far,
                                     LexiconKey::Tilt, LexiconKey::EyesEdge}) {
            const SkinText text{lexicon.text(key), {0, 45}, {22, 12}, kTextBlack};
            EXPECT_LE(SkinTextWidth(text), kManualEyeWindowSize.width - 8)
                << language << ": \"" << text.text << "\"";
        }
        if (std::string(language) != "English" && std::string(language) != "Spanish") {
            continue;
        }
        QuietEyeActions actions;
        ManualEyeWindow logic(actions, {});
        ManualEyeWidget widget(logic, lexicon, skins_);
        widget.resize(kManualEyeWindowSize.width, kManualEyeWindowSize.height);
        CaptureFrame frame{cameraBytes_, FrameLayout::Yuy2};
        widget.SetStillFrame(frame);
        const std::string suffix = std::string("_") + language;
        logic.OnPointerMoved({300, 260});
        EXPECT_TRUE(Save(widget, "manual_eyes_stored" + suffix));
        // Walked down to a pair whose search would leave the picture: refused.
        for (const ScreenPoint click : {ScreenPoint{423, 300}, ScreenPoint{313, 300},
                                        ScreenPoint{423, 385}, ScreenPoint{313, 385}}) {
            logic.OnLeftButtonDown(click);
        }
        ASSERT_EQ(logic.result(), EyePairResult::OutsideImage);
        EXPECT_TRUE(Save(widget, "manual_eyes_refused" + suffix));
    }
}

// Every label, button and group title of a window fits its control.
void ExpectChildTextsFit(QWidget& window, const std::string& where) {
    for (QLabel* label : window.findChildren<QLabel*>()) {
        if (label->text().isEmpty()) {
            continue;
        }
        if (label->wordWrap()) {
            EXPECT_LE(label->heightForWidth(label->width()), label->height())
                << where << ": \"" << label->text().toStdString() << "\" does not fit";
            continue;
        }
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
            << where << ": \"" << label->text().toStdString() << "\" does not fit";
    }
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()), button->width() - 4)
            << where << ": \"" << button->text().toStdString() << "\" does not fit";
    }
    for (QGroupBox* group : window.findChildren<QGroupBox*>()) {
        EXPECT_LE(group->fontMetrics().horizontalAdvance(group->title()), group->width() - 20)
            << where << ": \"" << group->title().toStdString() << "\" does not fit";
    }
}

// The editor on a real profile folder, as the program builds it.
struct EditorBench {
    explicit EditorBench(const Lexicon& language)
        : lexicon(language),
          store(sets),
          persistence(settings, lexicon, settingsStore, ProgramFolder{folder.path()}, userInterface,
                      observer, kLanguageEnglishUs),
          profiles(store, persistence, settings, folder.path(), lexicon, userInterface),
          names(KeyNames::load(ProgramFolder{VELTRANIX_SOURCE_PROGRAM_FOLDER}.keyNamesFile())),
          recorder(sets.workingMacros, keyboard, names, clipboard, lexicon, userInterface),
          editor(sets, recorder, store, profiles, keyboard, lexicon, userInterface) {
        profiles.ChooseStartupProfile();
        profiles.CreateProfile("Work");
        editor.Open();
    }

    testing::TemporaryFolder folder;
    Lexicon lexicon;
    MacroSets sets;
    MacroFileStore store;
    Settings settings;
    StoreTree settingsStore;
    testing::FakeUserInterface userInterface;
    SettingsObserver observer;
    SettingsPersistence persistence;
    Profiles profiles;
    testing::RecordingKeyboard keyboard;
    KeyNames names;
    testing::FakeClipboard clipboard;
    KeyRecorder recorder;
    MacroEditor editor;
};

TEST_F(WindowScreenshots, MacroWindowsInEverySizeAndTheirTextsFitInEveryLanguage) {
    for (const char* language : kLanguages) {
        const Lexicon lexicon = LoadLanguage(language);
        for (const SizeCase& size : kSizes) {
            const std::string suffix = std::string("_") + language + size.suffix;
            const bool shoot = std::string(language) == "English";
            EditorBench bench(lexicon);
            OpenWindows open;
            MacroEditorWidget editor(bench.editor, lexicon, skins_, size.sizeFactor, open, {});
            const ScreenSize expected = ScaleDesignSize(640, 480, size.sizeFactor);
            EXPECT_EQ(editor.width(), expected.width);
            EXPECT_EQ(editor.height(), expected.height);
            ExpectChildTextsFit(editor, "macro editor" + suffix);
            if (shoot) {
                EXPECT_TRUE(Save(editor, "macro_editor_name_mode" + suffix));
                bench.editor.SelectSlot(2);
                bench.editor.EnterRecordMode();
                for (const char16_t character : std::u16string(u"Hello")) {
                    bench.editor.PacketText(std::u16string(1, character));
                }
                bench.editor.AddPause();
                bench.editor.AddShellEntry(u"gedit", ShellSource::RunDialog);
                editor.Refresh();
                EXPECT_TRUE(Save(editor, "macro_editor_record_mode" + suffix));
            }

            for (ProfileDialogMode mode : {ProfileDialogMode::Create, ProfileDialogMode::Delete}) {
                ProfileNameDialog dialog(
                    mode, "Work.cfg", lexicon, size.sizeFactor, open,
                    [](const std::string&) { return true; }, [] {});
                const ScreenSize dialogSize = ScaleDesignSize(178, 135, size.sizeFactor);
                EXPECT_EQ(dialog.width(), dialogSize.width);
                const std::string name =
                    mode == ProfileDialogMode::Create ? "profile_name_new" : "profile_name_delete";
                ExpectChildTextsFit(dialog, name + suffix);
                if (shoot) {
                    EXPECT_TRUE(Save(dialog, name + suffix));
                }
            }
        }
    }
    MacroProgressWindow progress;
    progress.SetProgress(150, "12 / 22");
    ExpectChildTextsFit(progress, "macro progress");
    EXPECT_TRUE(Save(progress, "macro_progress"));
}

}  // namespace
}  // namespace veltranix
