#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace veltranix {

// Registry key paths of the settings.
namespace store_keys {
inline constexpr const char* kProduct = "Software\\Veltranix";
inline constexpr const char* kWebcam = "Software\\Veltranix\\Menu_conf_Webcam";
inline constexpr const char* kMouse = "Software\\Veltranix\\Menu_conf_Ratoli";
inline constexpr const char* kSystem = "Software\\Veltranix\\Menu_conf_System";
inline constexpr const char* kLanguage = "Software\\Veltranix\\idioma";
inline constexpr const char* kProfileRead = "Software\\Veltranix\\Perfil";
inline constexpr const char* kProfileWritten = "Software\\Veltranix\\perfil";
inline constexpr const char* kManualEyes = "Software\\Veltranix\\Menu_conf_Ulls_Manual";
inline constexpr const char* kLogOnRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kLogOnValue = "autoStartVeltranix";
}  // namespace store_keys

// Rows of `webcamChoiceRows`, in stored order.
enum class WebcamRow { Invertir = 0, Velocidad = 1, MoveCara = 2, TipoMoveRatoli = 3 };
// Rows of `gestureChoiceRows` and of the gesture cells.
enum class GestureRow { Eye = 0, Mouth = 1, Dwell = 2 };

using WebcamChoiceRow = std::array<std::int32_t, 3>;
// One flag per click kind: left, menu, right, double, middle, drag, scroll.
using GestureChoiceRow = std::array<std::int32_t, 7>;
using GestureMatrix = std::array<GestureChoiceRow, 3>;

// One cell of the mouse options menu's gesture table.
struct GestureCell {
    std::int32_t value = 0;  // 1 = this click kind is assigned to this trigger
    bool enabled = false;    // the cell may be clicked
};
using GestureCellRow = std::array<GestureCell, 7>;
using GestureCells = std::array<GestureCellRow, 3>;

// The manual eye positions, in camera image pixels.
struct ManualEyePositions {
    std::int32_t ullDretX = 423;
    std::int32_t ullDretY = 219;
    std::int32_t ullEsquerreX = 313;
    std::int32_t ullEsquerreY = 219;
};

inline constexpr std::int32_t kDefaultGestureHoldMs = 500;
// The stored scroll speed: 1 slow, 2 medium, 3 fast.
inline constexpr std::int32_t kDefaultScrollSpeed = 2;
inline constexpr std::int32_t kLongestGestureHoldMs = 5000;

// The user's settings and the values derived from them. Owned by the
// application; written by the load operations and the options menus, read by
// the tracking and click code, all on the GUI thread.
struct Settings {
    // Menu_conf_Webcam: invertir, velocidad, moveCara, tipoMoveRatoli as option flags.
    std::array<WebcamChoiceRow, 4> webcamChoiceRows{};
    // Menu_conf_Webcam camera: the chosen capture device's stable path; empty: the first camera.
    std::string cameraPath;
    // Menu_conf_Ratoli: ull, boca, rellotge as option flags (none set = 7, nothing).
    std::array<GestureChoiceRow, 3> gestureChoiceRows{};
    std::int32_t tempsRellotge = 0;
    std::int32_t clicMacro = 0;
    std::int32_t nivellUll = 0;
    std::int32_t nivellBoca = 0;
    std::int32_t OffSetRefUll = 0;
    std::int32_t OffSetRefBoca = 0;
    // How long the eyes stay closed or the mouth open before the gesture
    // clicks; 0: the frame the movement is seen.
    std::int32_t gestureHoldMs = kDefaultGestureHoldMs;
    std::int32_t scrollSpeed = kDefaultScrollSpeed;
    // Menu_conf_System.
    std::int32_t so = 0;
    std::int32_t tamany = 0;
    std::int32_t autoStart = 0;
    bool trasPausa = false;
    bool autoAjuste = false;
    std::int32_t autoPause = 0;
    // Perfil: the current profile's file name (`idioma` is the lexicon's languageName).
    std::string profileName;

    // Derived values; the rest of the program reads these, not the rows.
    bool invertX = false;
    double speedGain = 0.0;
    double moveCaraCurve = 0.0;
    double moveCaraSpan = 0.0;
    std::int32_t pointerMoveMode = 0;
    // The windows' factor in device pixels: the size step's factor times the
    // desktop's scale, which the windows set from the desktop. A window the
    // work area cannot hold at it is drawn at the largest factor that fits.
    float sizeFactor = 0.0f;
    float desktopScale = 1.0f;
    std::int32_t eyeThreshold = 0;
    std::int32_t mouthThreshold = 0;
    std::int32_t dwellSeconds = 0;
    GestureMatrix gestureClickMatrix{};

    // The mouse options menu's gesture table, edited by that menu.
    GestureCells mouseMenuCells{};
};

// The stored number of a webcam row: 1 + the first set flag, or 0 when none is set.
std::int32_t StoredWebcamChoice(const WebcamChoiceRow& row);
// The stored number of a gesture row: 1 + the first set flag, or 7 when none
// is set; the scroll kind, added later, is 8 so that 7 keeps meaning none.
std::int32_t StoredGestureChoice(const GestureChoiceRow& row);

// The mouse options menu's rule that always leaves a way to click: a sole
// left-click or click-type-menu assignment cannot be taken away.
void ApplyClickSafetyRule(GestureCells& cells);

// A click on a gesture cell (row 0..2, cell 0..6): toggles the assignment when
// the cell is enabled, then applies the safety rule. False when disabled.
bool ClickGestureCell(GestureCells& cells, GestureRow row, int cellIndex);

}  // namespace veltranix
