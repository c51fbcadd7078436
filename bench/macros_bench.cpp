#include <benchmark/benchmark.h>

#include <memory>

#include "macros/macro_file.h"

namespace veltranix {
namespace {

// Six full slots: 4000 key entries each, a long text and some shell commands.
std::unique_ptr<MacroSet> FullSet() {
    auto set = std::make_unique<MacroSet>();
    for (MacroSlot& slot : *set) {
        slot.name = u"FULL";
        slot.count = kMaxMacroEntries;
        for (std::size_t index = 0; index < slot.keyValue.size(); ++index) {
            slot.keyValue[index] = static_cast<std::uint16_t>(0x41 + index % 26);
            slot.pressFlag[index] = index % 2 == 0 ? 1 : 0;
        }
        slot.displayText = std::u16string(1999, u'x');
        for (std::int32_t index = 0; index < 100; ++index) {
            slot.shellCommand[index * 40] = u"xdg-open /home/user/Documents/report.pdf";
        }
    }
    return set;
}

void BM_WriteFullMacroFile(benchmark::State& state) {
    const auto set = FullSet();
    for (auto _ : state) {
        benchmark::DoNotOptimize(EncodeMacroFile(*set));
    }
}
BENCHMARK(BM_WriteFullMacroFile);

void BM_ReadFullMacroFile(benchmark::State& state) {
    const std::string bytes = EncodeMacroFile(*FullSet());
    auto set = std::make_unique<MacroSet>();
    for (auto _ : state) {
        ReadMacroFileText(DecodeMacroFileText(bytes), *set, MacroFileLayout::Current);
        benchmark::DoNotOptimize(set->data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ReadFullMacroFile);

}  // namespace
}  // namespace veltranix
