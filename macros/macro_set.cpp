#include "macros/macro_set.h"

#include <initializer_list>
#include <utility>

namespace veltranix {

namespace {

MacroSlot DefaultSlot(std::u16string name,
                      std::initializer_list<std::pair<std::uint16_t, std::uint8_t>> entries) {
    MacroSlot slot;
    slot.displayText = u"{" + name + u"}";
    slot.name = std::move(name);
    for (const auto& [key, press] : entries) {
        slot.keyValue[static_cast<std::size_t>(slot.count)] = key;
        slot.pressFlag[static_cast<std::size_t>(slot.count)] = press;
        ++slot.count;
    }
    return slot;
}

}  // namespace

void ClearMacroSet(MacroSet& set) {
    for (MacroSlot& slot : set) {
        // Whole arrays at once: every read starts here.
        slot.keyValue = {};
        slot.pressFlag = {};
        slot.unicodeFlag = {};
        slot.displayText.clear();
        slot.name.clear();
        slot.count = 0;
        slot.shellCommand.clear();
    }
}

void CommitMacros(const MacroSet& working, MacroSet& playback) {
    ClearMacroSet(playback);
    for (std::size_t index = 0; index < working.size(); ++index) {
        const MacroSlot& from = working[index];
        MacroSlot& to = playback[index];
        to.name = from.name;
        to.displayText = from.displayText;
        to.count = from.count;
        const auto inUse = static_cast<std::size_t>(from.entriesInUse());
        std::copy_n(from.keyValue.begin(), inUse, to.keyValue.begin());
        std::copy_n(from.pressFlag.begin(), inUse, to.pressFlag.begin());
        std::copy_n(from.unicodeFlag.begin(), inUse, to.unicodeFlag.begin());
        to.shellCommand = from.shellCommand;
    }
}

MacroSet DefaultMacroSet() {
    return {
        DefaultSlot(u"ESCAPE", {{27, 1}, {27, 0}}),
        DefaultSlot(u"CONTROL+C", {{17, 1}, {67, 1}, {67, 0}, {17, 0}}),
        DefaultSlot(u"CONTROL+V", {{17, 1}, {86, 1}, {86, 0}, {17, 0}}),
        DefaultSlot(u"CONTROL+X", {{17, 1}, {88, 1}, {88, 0}, {17, 0}}),
        DefaultSlot(u"WIN+E", {{91, 1}, {69, 1}, {69, 0}, {91, 0}}),
        DefaultSlot(u"ALT+TAB", {{18, 1}, {9, 1}, {9, 0}, {18, 0}}),
    };
}

}  // namespace veltranix
