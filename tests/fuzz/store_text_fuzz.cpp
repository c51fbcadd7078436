// libFuzzer target: any bytes as the settings store's text file. What the
// reader keeps stays within the store's limits, and the text written from it
// reads back to the same store, line for line.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/store_tree.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veltranix;
    using fuzz::Require;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const StoreTree::Parsed parsed = StoreTree::parse(text);
    if (!parsed.tree) {
        Require(!parsed.problem.empty(), "a refused text says why");
        return 0;
    }
    const std::string written = parsed.tree->serialize();
    Require(written.size() <= StoreTree::kMaxTextBytes, "the written text fits the text limit");
    const StoreTree::Parsed again = StoreTree::parse(written);
    Require(again.tree.has_value(), "the written text can be followed");
    Require(again.linesLeftOut == 0, "every written line reads back");
    Require(*again.tree == *parsed.tree, "the store reads back equal");
    Require(again.tree->serialize() == written, "the store writes back the same text");
    return 0;
}
