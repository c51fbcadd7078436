// libFuzzer target: any bytes as a macro file. The reader must keep every slot
// within its limits, and what it read must survive a write and a read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "macros/macro_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veltranix;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::u16string text = DecodeMacroFileText(bytes);
    const MacroFileKind kind = ClassifyMacroFileText(text);
    // The sets are large: made once, and emptied by each read.
    static auto set = std::make_unique<MacroSet>();
    static auto again = std::make_unique<MacroSet>();
    ReadMacroFileText(text, *set,
                      kind == MacroFileKind::Old ? MacroFileLayout::Old : MacroFileLayout::Current);
    for (const MacroSlot& slot : *set) {
        if (slot.count < 0 || slot.count > kMaxMacroEntries ||
            slot.name.size() > kMaxMacroNameUnits ||
            slot.displayText.size() > kMaxDisplayTextUnits ||
            (!slot.shellCommand.empty() &&
             (slot.shellCommand.begin()->first < 0 ||
              slot.shellCommand.rbegin()->first >= kMaxMacroEntries))) {
            std::abort();
        }
        for (const auto& [index, command] : slot.shellCommand) {
            if (command.size() > kMaxShellCommandUnits) {
                std::abort();
            }
        }
    }
    // Names and commands hold no line end, so a set read once is written and
    // read back unchanged, apart from the entries beyond `count` and the
    // commands of entries beyond it, which are not written.
    const std::string written = EncodeMacroFile(*set);
    ReadMacroFileText(DecodeMacroFileText(written), *again, MacroFileLayout::Current);
    if (EncodeMacroFile(*again) != written) {
        std::abort();
    }
    // Texts kept from one input to the next look like leaks to libFuzzer,
    // which would then run the input again under the leak checker.
    for (MacroSet* kept : {set.get(), again.get()}) {
        for (MacroSlot& slot : *kept) {
            std::u16string().swap(slot.name);
            std::u16string().swap(slot.displayText);
            slot.shellCommand.clear();
        }
    }
    return 0;
}
