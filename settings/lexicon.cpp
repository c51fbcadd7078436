#include "settings/lexicon.h"

#include <algorithm>

#include "core/file_reading.h"
#include "core/text_codec.h"
#include "settings/ini_file.h"

namespace veltranix {

namespace {

// The section names that fit the program's 1000-byte name buffer: each name
// takes its length plus a NUL, and the list ends with one more NUL.
constexpr std::size_t kSectionNameBufferBytes = 1000;

std::vector<std::string> SectionNamesWithinBuffer(const IniFile& file) {
    std::vector<std::string> names;
    std::size_t used = 1;
    for (const auto& name : file.sectionNames()) {
        if (name.empty()) {
            break;
        }
        used += Utf8Length(name) + 1;
        if (used > kSectionNameBufferBytes) {
            break;
        }
        names.push_back(name);
    }
    return names;
}

std::optional<IniFile> Parse(const ProgramFileText& text, std::string* error) {
    if (!text.bytes) {
        *error = text.error;
        return std::nullopt;
    }
    return IniFile::parse(*text.bytes);
}

ProgramFileText TextOf(const std::filesystem::path& path, const FileContent& content) {
    ProgramFileText text{path.string(), std::nullopt, content.error};
    if (content.status == FileReadStatus::Read) {
        text.bytes = content.bytes;
    }
    return text;
}

LexiconLoad MissingCompanionFiles(Lexicon& lexicon, std::string problem,
                                  UserInterfacePort& userInterface) {
    lexicon.loadProblem = std::move(problem);
    userInterface.showMessage(lexicon.text(LexiconKey::E8), lexicon.text(LexiconKey::E4));
    return LexiconLoad::ExitProgram;
}

}  // namespace

LexiconLoad LoadLexicon(Lexicon& lexicon, std::string_view languageName,
                        const ProgramFolder& folder, UserInterfacePort& userInterface) {
    const FileContent lexiconFile = ReadWholeFile(folder.lexiconFile(), IniFile::kMaxBytes);
    const FileContent configFile = ReadWholeFile(folder.configFile(), IniFile::kMaxBytes);
    const FileContent keyNamesFile = ReadWholeFile(folder.keyNamesFile(), IniFile::kMaxBytes);
    return LoadLexicon(lexicon, languageName,
                       LexiconTexts{TextOf(folder.lexiconFile(), lexiconFile),
                                    TextOf(folder.configFile(), configFile),
                                    TextOf(folder.keyNamesFile(), keyNamesFile)},
                       userInterface);
}

LexiconLoad LoadLexicon(Lexicon& lexicon, std::string_view languageName, const LexiconTexts& texts,
                        UserInterfacePort& userInterface) {
    lexicon.loadProblem.clear();
    std::string readError;
    const auto lexiconFile = Parse(texts.lexicon, &readError);
    const std::vector<std::string> sections =
        lexiconFile ? SectionNamesWithinBuffer(*lexiconFile) : std::vector<std::string>();
    if (sections.empty()) {
        lexicon.loadProblem =
            lexiconFile ? texts.lexicon.path + " has no language section" : readError;
        if (languageName == "Spanish") {
            userInterface.showMessage(kMissingFilesSpanish, kMissingFilesSpanishCaption);
        } else if (languageName == "English") {
            userInterface.showMessage(kMissingFilesEnglish, kMissingFilesEnglishCaption);
        }
        return LexiconLoad::ExitProgram;
    }

    if (!lexicon.languageListBuilt) {
        lexicon.languageList.assign(
            sections.begin(), sections.begin() + static_cast<std::ptrdiff_t>(
                                                     std::min(sections.size(), kMaxLanguages)));
    }
    lexicon.languageName = Utf8Prefix(languageName, kLanguageNameCharacters);
    const auto found =
        std::find(lexicon.languageList.begin(), lexicon.languageList.end(), lexicon.languageName);
    lexicon.languageListBuilt = found != lexicon.languageList.end();
    lexicon.languageIndex =
        lexicon.languageListBuilt ? static_cast<int>(found - lexicon.languageList.begin()) : 0;

    // Names compare without regard to case: lower-cased once, not for every key.
    const std::string section = AsciiLower(lexicon.languageName);
    for (std::size_t key = 0; key < kLexiconKeyCount; ++key) {
        lexicon.slots[key] =
            Utf8Prefix(lexiconFile->value(section, kLexiconKeyNames[key]), kLexiconSlotCharacters);
    }

    std::size_t longestHint = 0;
    for (const LexiconKey hint : {LexiconKey::Pos, LexiconKey::LeftPos, LexiconKey::RightPos,
                                  LexiconKey::HighPos, LexiconKey::LowPos, LexiconKey::NoFace}) {
        longestHint = std::max(longestHint, Utf8Length(lexicon.text(hint)));
    }
    lexicon.positionHintWidth = 12 * (4 + static_cast<int>(longestHint));

    const std::string& configFile = texts.config.path;
    const auto config = Parse(texts.config, &readError);
    if (!config) {
        return MissingCompanionFiles(lexicon, readError, userInterface);
    }
    lexicon.debugSwitch = Utf8Prefix(config->value("DebugA", "debug"), kLexiconSlotCharacters);
    if (lexicon.debugSwitch.empty()) {
        return MissingCompanionFiles(lexicon, configFile + " has no debug key in [DebugA]",
                                     userInterface);
    }
    lexicon.metroSwitch = Utf8Prefix(config->value("MetroA", "metro"), kLexiconSlotCharacters);
    if (lexicon.metroSwitch.empty()) {
        return MissingCompanionFiles(lexicon, configFile + " has no metro key in [MetroA]",
                                     userInterface);
    }
    readError.clear();
    const auto keyNames = Parse(texts.keyNames, &readError);
    if (!keyNames || SectionNamesWithinBuffer(*keyNames).empty()) {
        return MissingCompanionFiles(
            lexicon, readError.empty() ? texts.keyNames.path + " has no section" : readError,
            userInterface);
    }
    return LexiconLoad::Loaded;
}

}  // namespace veltranix
