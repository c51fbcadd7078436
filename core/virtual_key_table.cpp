#include "core/virtual_key_table.h"

#include <algorithm>
#include <array>

namespace veltranix {
namespace {

constexpr KeyExtension P = KeyExtension::Plain;
constexpr KeyExtension E = KeyExtension::Extended;

// virtual key, scan code, extension, keysym, Linux key code.
constexpr std::array kTable = {
    VirtualKeyInfo{0x03, 0x46, E, 0xFF6B, 0},        // Break (Ctrl+Pause)
    VirtualKeyInfo{0x08, 0x0E, P, 0xFF08, 14},       // BackSpace
    VirtualKeyInfo{0x09, 0x0F, P, 0xFF09, 15},       // Tab
    VirtualKeyInfo{0x0C, 0x4C, P, 0xFF0B, 0},        // Clear
    VirtualKeyInfo{0x0D, 0x1C, P, 0xFF0D, 28},       // Return
    VirtualKeyInfo{0x10, 0x2A, P, 0xFFE1, 42},       // Shift
    VirtualKeyInfo{0x11, 0x1D, P, 0xFFE3, 29},       // Control
    VirtualKeyInfo{0x12, 0x38, P, 0xFFE9, 56},       // Alt
    VirtualKeyInfo{0x13, 0x45, P, 0xFF13, 119},      // Pause
    VirtualKeyInfo{0x14, 0x3A, P, 0xFFE5, 58},       // Caps_Lock
    VirtualKeyInfo{0x15, 0x72, P, 0xFF31, 122},      // Hangul / Kana
    VirtualKeyInfo{0x16, 0x00, P, 0, 0},             // IME on
    VirtualKeyInfo{0x17, 0x00, P, 0xFF38, 0},        // Hangul_Jeonja (Junja)
    VirtualKeyInfo{0x18, 0x00, P, 0xFF33, 0},        // Hangul_End (Final)
    VirtualKeyInfo{0x19, 0x71, P, 0xFF34, 123},      // Hangul_Hanja / Kanji
    VirtualKeyInfo{0x1A, 0x00, P, 0, 0},             // IME off
    VirtualKeyInfo{0x1B, 0x01, P, 0xFF1B, 1},        // Escape
    VirtualKeyInfo{0x1C, 0x79, P, 0xFF23, 92},       // Henkan (Convert)
    VirtualKeyInfo{0x1D, 0x7B, P, 0xFF22, 94},       // Muhenkan (Nonconvert)
    VirtualKeyInfo{0x1E, 0x00, P, 0, 0},             // Accept
    VirtualKeyInfo{0x1F, 0x00, P, 0xFF7E, 0},        // Mode_switch
    VirtualKeyInfo{0x20, 0x39, P, 0x0020, 57},       // space
    VirtualKeyInfo{0x21, 0x49, E, 0xFF55, 104},      // Prior
    VirtualKeyInfo{0x22, 0x51, E, 0xFF56, 109},      // Next
    VirtualKeyInfo{0x23, 0x4F, E, 0xFF57, 107},      // End
    VirtualKeyInfo{0x24, 0x47, E, 0xFF50, 102},      // Home
    VirtualKeyInfo{0x25, 0x4B, E, 0xFF51, 105},      // Left
    VirtualKeyInfo{0x26, 0x48, E, 0xFF52, 103},      // Up
    VirtualKeyInfo{0x27, 0x4D, E, 0xFF53, 106},      // Right
    VirtualKeyInfo{0x28, 0x50, E, 0xFF54, 108},      // Down
    VirtualKeyInfo{0x29, 0x00, P, 0xFF60, 0},        // Select
    VirtualKeyInfo{0x2A, 0x00, P, 0, 0},             // Print (the old print key)
    VirtualKeyInfo{0x2B, 0x00, P, 0xFF62, 0},        // Execute
    VirtualKeyInfo{0x2C, 0x54, P, 0xFF61, 99},       // Print Screen (SysRq scan code)
    VirtualKeyInfo{0x2D, 0x52, E, 0xFF63, 110},      // Insert
    VirtualKeyInfo{0x2E, 0x53, E, 0xFFFF, 111},      // Delete
    VirtualKeyInfo{0x2F, 0x00, P, 0xFF6A, 138},      // Help
    VirtualKeyInfo{0x30, 0x0B, P, '0', 11},          // digits
    VirtualKeyInfo{0x31, 0x02, P, '1', 2},           //
    VirtualKeyInfo{0x32, 0x03, P, '2', 3},           //
    VirtualKeyInfo{0x33, 0x04, P, '3', 4},           //
    VirtualKeyInfo{0x34, 0x05, P, '4', 5},           //
    VirtualKeyInfo{0x35, 0x06, P, '5', 6},           //
    VirtualKeyInfo{0x36, 0x07, P, '6', 7},           //
    VirtualKeyInfo{0x37, 0x08, P, '7', 8},           //
    VirtualKeyInfo{0x38, 0x09, P, '8', 9},           //
    VirtualKeyInfo{0x39, 0x0A, P, '9', 10},          //
    VirtualKeyInfo{0x41, 0x1E, P, 'a', 30},          // letters
    VirtualKeyInfo{0x42, 0x30, P, 'b', 48},          //
    VirtualKeyInfo{0x43, 0x2E, P, 'c', 46},          //
    VirtualKeyInfo{0x44, 0x20, P, 'd', 32},          //
    VirtualKeyInfo{0x45, 0x12, P, 'e', 18},          //
    VirtualKeyInfo{0x46, 0x21, P, 'f', 33},          //
    VirtualKeyInfo{0x47, 0x22, P, 'g', 34},          //
    VirtualKeyInfo{0x48, 0x23, P, 'h', 35},          //
    VirtualKeyInfo{0x49, 0x17, P, 'i', 23},          //
    VirtualKeyInfo{0x4A, 0x24, P, 'j', 36},          //
    VirtualKeyInfo{0x4B, 0x25, P, 'k', 37},          //
    VirtualKeyInfo{0x4C, 0x26, P, 'l', 38},          //
    VirtualKeyInfo{0x4D, 0x32, P, 'm', 50},          //
    VirtualKeyInfo{0x4E, 0x31, P, 'n', 49},          //
    VirtualKeyInfo{0x4F, 0x18, P, 'o', 24},          //
    VirtualKeyInfo{0x50, 0x19, P, 'p', 25},          //
    VirtualKeyInfo{0x51, 0x10, P, 'q', 16},          //
    VirtualKeyInfo{0x52, 0x13, P, 'r', 19},          //
    VirtualKeyInfo{0x53, 0x1F, P, 's', 31},          //
    VirtualKeyInfo{0x54, 0x14, P, 't', 20},          //
    VirtualKeyInfo{0x55, 0x16, P, 'u', 22},          //
    VirtualKeyInfo{0x56, 0x2F, P, 'v', 47},          //
    VirtualKeyInfo{0x57, 0x11, P, 'w', 17},          //
    VirtualKeyInfo{0x58, 0x2D, P, 'x', 45},          //
    VirtualKeyInfo{0x59, 0x15, P, 'y', 21},          //
    VirtualKeyInfo{0x5A, 0x2C, P, 'z', 44},          //
    VirtualKeyInfo{0x5B, 0x5B, E, 0xFFEB, 125},      // Super_L
    VirtualKeyInfo{0x5C, 0x5C, E, 0xFFEC, 126},      // Super_R
    VirtualKeyInfo{0x5D, 0x5D, E, 0xFF67, 127},      // Menu
    VirtualKeyInfo{0x5F, 0x5F, E, 0x1008FF2F, 142},  // XF86Sleep
    VirtualKeyInfo{0x60, 0x52, P, 0xFFB0, 82},       // keypad digits
    VirtualKeyInfo{0x61, 0x4F, P, 0xFFB1, 79},       //
    VirtualKeyInfo{0x62, 0x50, P, 0xFFB2, 80},       //
    VirtualKeyInfo{0x63, 0x51, P, 0xFFB3, 81},       //
    VirtualKeyInfo{0x64, 0x4B, P, 0xFFB4, 75},       //
    VirtualKeyInfo{0x65, 0x4C, P, 0xFFB5, 76},       //
    VirtualKeyInfo{0x66, 0x4D, P, 0xFFB6, 77},       //
    VirtualKeyInfo{0x67, 0x47, P, 0xFFB7, 71},       //
    VirtualKeyInfo{0x68, 0x48, P, 0xFFB8, 72},       //
    VirtualKeyInfo{0x69, 0x49, P, 0xFFB9, 73},       //
    VirtualKeyInfo{0x6A, 0x37, P, 0xFFAA, 55},       // KP_Multiply
    VirtualKeyInfo{0x6B, 0x4E, P, 0xFFAB, 78},       // KP_Add
    VirtualKeyInfo{0x6C, 0x00, P, 0xFFAC, 0},        // KP_Separator
    VirtualKeyInfo{0x6D, 0x4A, P, 0xFFAD, 74},       // KP_Subtract
    VirtualKeyInfo{0x6E, 0x53, P, 0xFFAE, 83},       // KP_Decimal
    VirtualKeyInfo{0x6F, 0x35, E, 0xFFAF, 98},       // KP_Divide
    VirtualKeyInfo{0x70, 0x3B, P, 0xFFBE, 59},       // F1 to F10
    VirtualKeyInfo{0x71, 0x3C, P, 0xFFBF, 60},       //
    VirtualKeyInfo{0x72, 0x3D, P, 0xFFC0, 61},       //
    VirtualKeyInfo{0x73, 0x3E, P, 0xFFC1, 62},       //
    VirtualKeyInfo{0x74, 0x3F, P, 0xFFC2, 63},       //
    VirtualKeyInfo{0x75, 0x40, P, 0xFFC3, 64},       //
    VirtualKeyInfo{0x76, 0x41, P, 0xFFC4, 65},       //
    VirtualKeyInfo{0x77, 0x42, P, 0xFFC5, 66},       //
    VirtualKeyInfo{0x78, 0x43, P, 0xFFC6, 67},       //
    VirtualKeyInfo{0x79, 0x44, P, 0xFFC7, 68},       //
    VirtualKeyInfo{0x7A, 0x57, P, 0xFFC8, 87},       // F11
    VirtualKeyInfo{0x7B, 0x58, P, 0xFFC9, 88},       // F12
    VirtualKeyInfo{0x7C, 0x64, P, 0xFFCA, 183},      // F13 to F24
    VirtualKeyInfo{0x7D, 0x65, P, 0xFFCB, 184},      //
    VirtualKeyInfo{0x7E, 0x66, P, 0xFFCC, 185},      //
    VirtualKeyInfo{0x7F, 0x67, P, 0xFFCD, 186},      //
    VirtualKeyInfo{0x80, 0x68, P, 0xFFCE, 187},      //
    VirtualKeyInfo{0x81, 0x69, P, 0xFFCF, 188},      //
    VirtualKeyInfo{0x82, 0x6A, P, 0xFFD0, 189},      //
    VirtualKeyInfo{0x83, 0x6B, P, 0xFFD1, 190},      //
    VirtualKeyInfo{0x84, 0x6C, P, 0xFFD2, 191},      //
    VirtualKeyInfo{0x85, 0x6D, P, 0xFFD3, 192},      //
    VirtualKeyInfo{0x86, 0x6E, P, 0xFFD4, 193},      //
    VirtualKeyInfo{0x87, 0x76, P, 0xFFD5, 194},      //
    VirtualKeyInfo{0x90, 0x45, E, 0xFF7F, 69},       // Num_Lock
    VirtualKeyInfo{0x91, 0x46, P, 0xFF14, 70},       // Scroll_Lock
    VirtualKeyInfo{0xA0, 0x2A, P, 0xFFE1, 42},       // Shift_L
    VirtualKeyInfo{0xA1, 0x36, P, 0xFFE2, 54},       // Shift_R
    VirtualKeyInfo{0xA2, 0x1D, P, 0xFFE3, 29},       // Control_L
    VirtualKeyInfo{0xA3, 0x1D, E, 0xFFE4, 97},       // Control_R
    VirtualKeyInfo{0xA4, 0x38, P, 0xFFE9, 56},       // Alt_L
    VirtualKeyInfo{0xA5, 0x38, E, 0xFFEA, 100},      // Alt_R (AltGr)
    VirtualKeyInfo{0xA6, 0x6A, E, 0x1008FF26, 158},  // XF86Back
    VirtualKeyInfo{0xA7, 0x69, E, 0x1008FF27, 159},  // XF86Forward
    VirtualKeyInfo{0xA8, 0x67, E, 0x1008FF29, 173},  // XF86Refresh
    VirtualKeyInfo{0xA9, 0x68, E, 0x1008FF28, 128},  // XF86Stop
    VirtualKeyInfo{0xAA, 0x65, E, 0x1008FF1B, 217},  // XF86Search
    VirtualKeyInfo{0xAB, 0x66, E, 0x1008FF30, 156},  // XF86Favorites
    VirtualKeyInfo{0xAC, 0x32, E, 0x1008FF18, 172},  // XF86HomePage
    VirtualKeyInfo{0xAD, 0x20, E, 0x1008FF12, 113},  // XF86AudioMute
    VirtualKeyInfo{0xAE, 0x2E, E, 0x1008FF11, 114},  // XF86AudioLowerVolume
    VirtualKeyInfo{0xAF, 0x30, E, 0x1008FF13, 115},  // XF86AudioRaiseVolume
    VirtualKeyInfo{0xB0, 0x19, E, 0x1008FF17, 163},  // XF86AudioNext
    VirtualKeyInfo{0xB1, 0x10, E, 0x1008FF16, 165},  // XF86AudioPrev
    VirtualKeyInfo{0xB2, 0x24, E, 0x1008FF15, 166},  // XF86AudioStop
    VirtualKeyInfo{0xB3, 0x22, E, 0x1008FF14, 164},  // XF86AudioPlay
    VirtualKeyInfo{0xB4, 0x6C, E, 0x1008FF19, 155},  // XF86Mail
    VirtualKeyInfo{0xB5, 0x6D, E, 0x1008FF32, 226},  // XF86AudioMedia
    VirtualKeyInfo{0xB6, 0x6B, E, 0x1008FF33, 157},  // XF86MyComputer
    VirtualKeyInfo{0xB7, 0x21, E, 0x1008FF1D, 140},  // XF86Calculator
    VirtualKeyInfo{0xBA, 0x27, P, ';', 39},          // punctuation of the US layout
    VirtualKeyInfo{0xBB, 0x0D, P, '=', 13},          //
    VirtualKeyInfo{0xBC, 0x33, P, ',', 51},          //
    VirtualKeyInfo{0xBD, 0x0C, P, '-', 12},          //
    VirtualKeyInfo{0xBE, 0x34, P, '.', 52},          //
    VirtualKeyInfo{0xBF, 0x35, P, '/', 53},          //
    VirtualKeyInfo{0xC0, 0x29, P, '`', 41},          //
    VirtualKeyInfo{0xC1, 0x73, P, 0, 89},            // the Brazilian /? key
    VirtualKeyInfo{0xC2, 0x7E, P, 0, 95},            // the Brazilian keypad period
    VirtualKeyInfo{0xDB, 0x1A, P, '[', 26},          //
    VirtualKeyInfo{0xDC, 0x2B, P, '\\', 43},         //
    VirtualKeyInfo{0xDD, 0x1B, P, ']', 27},          //
    VirtualKeyInfo{0xDE, 0x28, P, '\'', 40},         //
    VirtualKeyInfo{0xDF, 0x00, P, 0, 0},             // OEM 8
    VirtualKeyInfo{0xE2, 0x56, P, '<', 86},          // the key between left Shift and Z
    VirtualKeyInfo{0xE5, 0x00, P, 0, 0},             // IME process
    VirtualKeyInfo{0xF6, 0x00, P, 0xFD0E, 0},        // 3270_Attn
    VirtualKeyInfo{0xF7, 0x00, P, 0xFD1C, 0},        // 3270_CursorSelect
    VirtualKeyInfo{0xF8, 0x00, P, 0xFD1B, 0},        // 3270_ExSelect
    VirtualKeyInfo{0xF9, 0x00, P, 0xFD06, 0},        // 3270_EraseEOF
    VirtualKeyInfo{0xFA, 0x00, P, 0xFD16, 0},        // 3270_Play
    VirtualKeyInfo{0xFB, 0x00, P, 0x1008FF8B, 0},    // XF86ZoomIn
    VirtualKeyInfo{0xFD, 0x00, P, 0xFD0A, 0},        // 3270_PA1
    VirtualKeyInfo{0xFE, 0x00, P, 0xFF0B, 0},        // Clear
};

static_assert(std::is_sorted(kTable.begin(), kTable.end(),
                             [](const VirtualKeyInfo& a, const VirtualKeyInfo& b) {
                                 return a.virtualKey < b.virtualKey;
                             }));

}  // namespace

std::span<const VirtualKeyInfo> VirtualKeyTable() {
    return kTable;
}

const VirtualKeyInfo* FindVirtualKey(std::uint16_t virtualKey) {
    const auto found = std::lower_bound(
        kTable.begin(), kTable.end(), virtualKey,
        [](const VirtualKeyInfo& entry, std::uint16_t key) { return entry.virtualKey < key; });
    return found != kTable.end() && found->virtualKey == virtualKey ? &*found : nullptr;
}

const VirtualKeyInfo* FindVirtualKeyByScanCode(std::uint16_t scanCode, KeyExtension extension) {
    if (scanCode == 0) {
        return nullptr;
    }
    const auto found = std::find_if(kTable.begin(), kTable.end(), [&](const VirtualKeyInfo& entry) {
        return entry.scanCode == scanCode && entry.extension == extension;
    });
    return found != kTable.end() ? &*found : nullptr;
}

ScanCodeKey FindKeyAtScanCode(std::uint16_t scanCode, KeyExtension extension) {
    const VirtualKeyInfo* entry = FindVirtualKeyByScanCode(scanCode, extension);
    if (entry == nullptr && scanCode == 0x37 && extension == KeyExtension::Extended) {
        entry = FindVirtualKey(0x2C);  // Print Screen's own make code
    }
    if (entry != nullptr) {
        return {entry, entry->linuxKeyCode};
    }
    if (extension == KeyExtension::Plain && scanCode >= 0x01 && scanCode <= 0x58) {
        return {nullptr, scanCode};
    }
    return {};
}

const VirtualKeyInfo* FindVirtualKeyByKeysym(std::uint32_t keysym) {
    if (keysym == 0) {
        return nullptr;
    }
    const auto found = std::find_if(kTable.begin(), kTable.end(), [&](const VirtualKeyInfo& entry) {
        return entry.keysym == keysym;
    });
    return found != kTable.end() ? &*found : nullptr;
}

const VirtualKeyInfo* FindVirtualKeyByLinuxCode(std::uint16_t linuxKeyCode) {
    constexpr std::uint16_t kKeypadEnter = 96;
    constexpr std::uint16_t kEnter = 28;
    if (linuxKeyCode == kKeypadEnter) {
        linuxKeyCode = kEnter;
    }
    if (linuxKeyCode == 0) {
        return nullptr;
    }
    const VirtualKeyInfo* found = nullptr;
    for (const VirtualKeyInfo& entry : kTable) {
        if (entry.linuxKeyCode != linuxKeyCode) {
            continue;
        }
        const bool sided = entry.virtualKey >= 0xA0 && entry.virtualKey <= 0xA5;
        if (found == nullptr || sided) {
            found = &entry;
        }
    }
    return found;
}

}  // namespace veltranix
