#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/program_folder.h"
#include "core/user_interface_port.h"

namespace veltranix {

// The lexicon keys, in the order they are read.
enum class LexiconKey {
    Ok,
    Cancel,
    Exit,
    Auto,
    Manual,
    Activate,
    Disabled,
    Relative,
    Absolute,
    Pause,
    Left,
    Right,
    Double,
    Middel,
    Drag,
    Warning,
    Seconds,
    Big,
    Medium,
    Small,
    Yes,
    No,
    Language,
    Sound,
    AutoPause,
    Size,
    AutoStart,
    Reset,
    About,
    TrasPausa,
    AutoAjuste,
    E1,
    E2,
    E3,
    E4,
    E5,
    E6,
    E7,
    E8,
    Near,
    Far,
    ClicTo,
    NPTo,
    FileMacro,
    Check7,
    Check8,
    MacroSave,
    MacroDelete,
    Run,
    ShellError,
    ShellError01,
    ShellError02,
    ShellError03,
    Pos,
    LeftPos,
    RightPos,
    HighPos,
    LowPos,
    Tilt,
    NoFace,
    CameraLost,
    CameraFrozen,
    WaylandNotice,
    TrayAbout,
    TrayWebcam,
    TrayMouse,
    TrayManual,
    TrayExit,
    DemoCamera,
    MacroEditorButton,
    TimedPress,
    EyesEdge,
    CameraWaiting,
    NoCamera,
    GestureHold,
    // The about window's live figures.
    AboutFrames,
    AboutCpu,
    AboutCamera,
    // Scrolling with the head.
    Scroll,
    ScrollSpeed,
    Count
};

inline constexpr std::size_t kLexiconKeyCount = static_cast<std::size_t>(LexiconKey::Count);

inline constexpr std::array<std::string_view, kLexiconKeyCount> kLexiconKeyNames = {
    "ok",
    "cancel",
    "exit",
    "auto",
    "manual",
    "activate",
    "disabled",
    "relative",
    "absolute",
    "pause",
    "left",
    "right",
    "double",
    "middel",
    "drag",
    "warning",
    "seconds",
    "big",
    "medium",
    "small",
    "yes",
    "no",
    "language",
    "sound",
    "autoPause",
    "size",
    "autoStart",
    "reset",
    "about",
    "trasPausa",
    "autoAjuste",
    "e1",
    "e2",
    "e3",
    "e4",
    "e5",
    "e6",
    "e7",
    "e8",
    "near",
    "far",
    "clicTo",
    "nPTo",
    "fileMacro",
    "check7",
    "check8",
    "macroSave",
    "macroDelete",
    "run",
    "shell_error",
    "shell_error01",
    "shell_error02",
    "shell_error03",
    "pos",
    "leftPos",
    "rightPos",
    "highPos",
    "lowPos",
    "tilt",
    "noFace",
    "cameraLost",
    "cameraFrozen",
    "waylandNotice",
    "trayAbout",
    "trayWebcam",
    "trayMouse",
    "trayManual",
    "trayExit",
    "demoCamera",
    "macroEditor",
    "timedPress",
    "eyesEdge",
    "cameraWaiting",
    "noCamera",
    "gestureHold",
    "aboutFrames",
    "aboutCpu",
    "aboutCamera",
    // Scrolling with the head.
    "scroll",
    "scrollSpeed",
};

static_assert(!kLexiconKeyNames.back().empty(), "a name for every lexicon key");

inline constexpr std::size_t kLexiconSlotCharacters = 499;
inline constexpr std::size_t kLanguageNameCharacters = 199;
inline constexpr std::size_t kMaxLanguages = 10;

// The user-interface texts of the current language, and the developer
// switches read with them. Owned by the application; GUI thread.
struct Lexicon {
    std::array<std::string, kLexiconKeyCount> slots;
    std::vector<std::string> languageList;
    int languageIndex = 0;
    bool languageListBuilt = false;
    std::string languageName;  // the stored `idioma`
    int positionHintWidth = 0;
    std::string debugSwitch;
    std::string metroSwitch;
    // After LexiconLoad::ExitProgram: the file that could not be used and why.
    std::string loadProblem;

    const std::string& text(LexiconKey key) const { return slots[static_cast<std::size_t>(key)]; }
};

enum class LexiconLoad {
    Loaded,
    // A required file is missing: the user has been told (where a message
    // exists), and the caller ends the process at once with exit code 0.
    ExitProgram,
};

inline constexpr std::string_view kMissingFilesSpanish =
    "No se han encontrado los ficheros de configuraci\xC3\xB3n. Reinstale Veltranix.";
inline constexpr std::string_view kMissingFilesSpanishCaption = "Advertencia";
inline constexpr std::string_view kMissingFilesEnglish =
    "Configuration files are not found, please, reinstall Veltranix.";
inline constexpr std::string_view kMissingFilesEnglishCaption = "Warning";

// Loads the texts of `languageName` from the program folder's lexicon and
// checks the companion files (config.ini with its two switches, contrl.ini).
LexiconLoad LoadLexicon(Lexicon& lexicon, std::string_view languageName,
                        const ProgramFolder& folder, UserInterfacePort& userInterface);

// A file as read: the path that names it in messages, and its bytes, or none
// and the reason when it could not be read.
struct ProgramFileText {
    std::string path;
    std::optional<std::string_view> bytes;
    std::string error;
};

struct LexiconTexts {
    ProgramFileText lexicon;   // lib_ini/lexico.ini
    ProgramFileText config;    // config.ini
    ProgramFileText keyNames;  // lib_ini/contrl.ini
};

// The same on files already read; the texts outlive the call only as copies.
LexiconLoad LoadLexicon(Lexicon& lexicon, std::string_view languageName, const LexiconTexts& texts,
                        UserInterfacePort& userInterface);

}  // namespace veltranix
