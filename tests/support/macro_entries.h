#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "macros/macro_set.h"

namespace veltranix::testing {

// One recorded entry of a macro: a virtual key or a character, down or up.
struct MacroEntry {
    std::uint16_t value;
    std::uint8_t press;
    std::uint8_t unicode = 0;
};

// Appends the entries to the slot's in-use ones, as the editor records them.
inline void AppendEntries(MacroSlot& slot, std::initializer_list<MacroEntry> entries) {
    for (const MacroEntry& entry : entries) {
        const auto at = static_cast<std::size_t>(slot.count++);
        slot.keyValue[at] = entry.value;
        slot.pressFlag[at] = entry.press;
        slot.unicodeFlag[at] = entry.unicode;
    }
}

}  // namespace veltranix::testing
