#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

namespace veltranix {

inline constexpr int kMacroSlotCount = 6;
inline constexpr std::int32_t kMaxMacroEntries = 4000;
// Units of UTF-16 text a slot may hold (its buffers keep one more for the NUL).
inline constexpr std::size_t kMaxMacroNameUnits = 19;
inline constexpr std::size_t kMaxDisplayTextUnits = 1999;
inline constexpr std::size_t kMaxShellCommandUnits = 511;

// Entry values that are not keys: the two marks win over every flag.
inline constexpr std::uint16_t kShellMark = 999;
inline constexpr std::uint16_t kPauseMark = 1000;

// One macro: `count` entries of the parallel arrays, its name and the
// description the editor shows.
struct MacroSlot {
    std::array<std::uint16_t, kMaxMacroEntries> keyValue{};
    std::array<std::uint8_t, kMaxMacroEntries> pressFlag{};  // 1 down, 0 up
    std::u16string displayText;
    std::u16string name;
    std::int32_t count = 0;
    std::array<std::uint8_t, kMaxMacroEntries> unicodeFlag{};  // 1 = keyValue is a character
    // The command line of each shell entry, by entry index; an index may hold
    // an empty command.
    std::map<std::int32_t, std::u16string> shellCommand;

    // `count` within the arrays: what may be read, written and played.
    std::int32_t entriesInUse() const { return std::clamp(count, 0, kMaxMacroEntries); }

    friend bool operator==(const MacroSlot&, const MacroSlot&) = default;
};

// Slot k is macro number k + 1, played by click request 20 + k.
using MacroSet = std::array<MacroSlot, kMacroSlotCount>;

// The program's three sets. Owned by the application and handed to the
// macro file, the player, the recorder and the profile code; GUI thread.
struct MacroSets {
    MacroSet defaultMacros;
    // Changed by the editor and the recorder, filled by the readers.
    MacroSet workingMacros;
    // The last committed copy of `workingMacros`: what was last saved or played.
    MacroSet playbackMacros;
};

void ClearMacroSet(MacroSet& set);

// Copies `working` into `playback` entry by entry (only the entries in use).
void CommitMacros(const MacroSet& working, MacroSet& playback);

// The six built-in macros: Escape, Ctrl+C, Ctrl+V, Ctrl+X, Win+E, Alt+Tab.
MacroSet DefaultMacroSet();

}  // namespace veltranix
