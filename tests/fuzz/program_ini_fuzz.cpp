// libFuzzer target: any bytes as the program folder's config.ini and
// contrl.ini, read from memory. The switches and key names the program reads
// are well-formed text within their sizes, and the start-up check accepts
// exactly the files that hold both switches and a section of key names.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>

#include "core/text_codec.h"
#include "macros/key_capture.h"
#include "settings/ini_file.h"
#include "settings/lexicon.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/silent_user_interface.h"

namespace {

using namespace veltranix;

using fuzz::SilentUserInterface;

bool IsWellFormedUtf16(std::u16string_view text) {
    for (std::size_t index = 0; index < text.size(); ++index) {
        const char16_t unit = text[index];
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (index + 1 == text.size() || text[index + 1] < 0xDC00 || text[index + 1] > 0xDFFF) {
                return false;
            }
            ++index;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using fuzz::Require;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    IniFile file = IniFile::parse(bytes);

    SilentUserInterface userInterface;
    Lexicon lexicon;
    const LexiconLoad load = LoadLexicon(
        lexicon, "English",
        LexiconTexts{{"lexico.ini", "[English]\nok=OK\ne4=Warning\ne8=Files missing\n", {}},
                     {"config.ini", bytes, {}},
                     {"contrl.ini", bytes, {}}},
        userInterface);
    for (const std::string* text : {&lexicon.debugSwitch, &lexicon.metroSwitch}) {
        Require(IsValidUtf8(*text) && Utf8Length(*text) <= kLexiconSlotCharacters,
                "the switches are UTF-8 within their buffer");
    }
    const bool complete = !file.value("DebugA", "debug").empty() &&
                          !file.value("MetroA", "metro").empty() && !file.sectionNames().empty() &&
                          !file.sectionNames().front().empty() &&
                          // the first name, its NUL and the list's NUL fit 1000 bytes
                          Utf8Length(file.sectionNames().front()) + 2 <= 1000;
    Require((load == LexiconLoad::Loaded) == complete,
            "start-up goes on exactly when both switches and a key-name section are there");
    Require(load == LexiconLoad::Loaded || !lexicon.loadProblem.empty(), "a refused file says why");

    const KeyNames names(std::move(file));
    for (unsigned key = 0; key < 256; ++key) {
        const std::u16string name = names.name(static_cast<std::uint16_t>(key));
        Require(name.size() <= 3999, "a key name fits the description");
        Require(IsWellFormedUtf16(name), "a key name is well-formed text");
    }
    return 0;
}
