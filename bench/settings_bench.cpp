// Store serialisation and lexicon parsing: both run on the GUI thread when a
// menu saves or the language changes.
#include <benchmark/benchmark.h>

#include <string>

#include "settings/ini_file.h"
#include "settings/store_tree.h"

namespace veltranix {
namespace {

StoreTree TypicalStore() {
    StoreTree tree;
    for (const char* key :
         {"Software\\Veltranix\\Menu_conf_Webcam", "Software\\Veltranix\\Menu_conf_Ratoli",
          "Software\\Veltranix\\Menu_conf_System"}) {
        tree.createKey(key);
        for (int index = 0; index < 9; ++index) {
            WriteInteger(tree, key, "value" + std::to_string(index), index);
        }
    }
    tree.createKey("Software\\Veltranix\\perfil");
    WritePaddedText(tree, "Software\\Veltranix\\perfil", "perfil", "Default.cfg", 256);
    return tree;
}

void BM_StoreSerialize(benchmark::State& state) {
    const StoreTree tree = TypicalStore();
    for (auto _ : state) {
        benchmark::DoNotOptimize(tree.serialize());
    }
}
BENCHMARK(BM_StoreSerialize);

void BM_StoreParse(benchmark::State& state) {
    const std::string text = TypicalStore().serialize();
    for (auto _ : state) {
        benchmark::DoNotOptimize(StoreTree::parse(text));
    }
}
BENCHMARK(BM_StoreParse);

void BM_IniParse(benchmark::State& state) {
    std::string text;
    for (int language = 0; language < 4; ++language) {
        text += "[Language" + std::to_string(language) + "]\r\n";
        for (int key = 0; key < 60; ++key) {
            text += "key" + std::to_string(key) + "=Some text of the user interface\r\n";
        }
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(IniFile::parse(text));
    }
}
BENCHMARK(BM_IniParse);

}  // namespace
}  // namespace veltranix
