// libFuzzer target: any bytes as the lexicon (lib_ini/lexico.ini), read from
// memory the way the program reads it, with Windows-1252 files decoded. Every
// text comes out as well-formed UTF-8 within its slot's size, and the
// language's section written back in UTF-8 reads back to the same texts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/text_codec.h"
#include "settings/lexicon.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/silent_user_interface.h"

namespace {

using namespace veltranix;

using fuzz::SilentUserInterface;

LexiconTexts TextsWith(std::string_view lexicon) {
    return LexiconTexts{{"lexico.ini", lexicon, {}},
                        {"config.ini", "[DebugA]\ndebug=no\n[MetroA]\nmetro=no\n", {}},
                        {"contrl.ini", "[Controls]\n0x41=A\n", {}}};
}

void CheckLoaded(const Lexicon& lexicon) {
    using fuzz::Require;
    Require(lexicon.languageList.size() <= kMaxLanguages, "at most ten languages");
    for (const std::string& name : lexicon.languageList) {
        Require(!name.empty() && IsValidUtf8(name), "language names are UTF-8");
    }
    Require(IsValidUtf8(lexicon.languageName) &&
                Utf8Length(lexicon.languageName) <= kLanguageNameCharacters,
            "the language name fits its buffer");
    Require(lexicon.languageIndex >= 0 &&
                (lexicon.languageList.empty() ||
                 static_cast<std::size_t>(lexicon.languageIndex) < lexicon.languageList.size()),
            "the language index is in the list");
    for (const std::string& slot : lexicon.slots) {
        Require(IsValidUtf8(slot), "lexicon texts are UTF-8");
        Require(Utf8Length(slot) <= kLexiconSlotCharacters, "lexicon texts fit their slot");
    }
}

// The current language's section as a UTF-8 file, every value in quotes so
// that blanks and quotes of its own survive.
std::string WriteSection(const Lexicon& lexicon) {
    std::string text = "[" + lexicon.languageName + "]\n";
    for (std::size_t key = 0; key < kLexiconKeyCount; ++key) {
        text += std::string(kLexiconKeyNames[key]) + "=\"" + lexicon.slots[key] + "\"\n";
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using fuzz::Require;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    SilentUserInterface userInterface;
    // The stored language as the program finds it on its first start, then
    // the file's first language as after a choice in the options.
    std::string language = "English";
    for (int pass = 0; pass < 2; ++pass) {
        Lexicon lexicon;
        if (LoadLexicon(lexicon, language, TextsWith(bytes), userInterface) !=
            LexiconLoad::Loaded) {
            Require(!lexicon.loadProblem.empty(), "a refused lexicon says why");
            return 0;
        }
        const std::string first =
            lexicon.languageList.empty() ? std::string() : lexicon.languageList.front();
        const bool again = pass == 0 && first != language;
        language = first;
        CheckLoaded(lexicon);
        // A section name ends at its first ']' and its line.
        if (lexicon.languageName.find_first_of("]\n") == std::string::npos) {
            Lexicon written;
            if (LoadLexicon(written, lexicon.languageName, TextsWith(WriteSection(lexicon)),
                            userInterface) == LexiconLoad::Loaded) {
                Require(written.slots == lexicon.slots, "the texts written back read back equal");
            }
        }
        if (!again) {
            break;
        }
    }
    return 0;
}
