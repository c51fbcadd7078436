#include "settings/lexicon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "core/text_codec.h"
#include "settings/ini_file.h"
#include "tests/support/temporary_folder.h"
#include "tracking/headless_user_interface.h"

namespace veltranix {
namespace {

using testing::WriteFile;

constexpr const char* kConfig = "[DebugA]\r\ndebug=no\r\n[MetroA]\r\nmetro=no\r\n";
constexpr const char* kKeyNames = "[Controls]\r\n0x41=A\r\n";

class LexiconLoading : public ::testing::Test {
  protected:
    void SetUp() override {
        folder.root = temporary.path();
        WriteFile(folder.configFile(), kConfig);
        WriteFile(folder.keyNamesFile(), kKeyNames);
    }

    void WriteLexicon(const std::string& content) { WriteFile(folder.lexiconFile(), content); }

    LexiconLoad Load(std::string_view language) {
        return LoadLexicon(lexicon, language, folder, userInterface);
    }

    testing::TemporaryFolder temporary;
    ProgramFolder folder;
    Lexicon lexicon;
    HeadlessUserInterface userInterface;
};

TEST_F(LexiconLoading, FillsTheSlotsOfTheLanguageAndLeavesMissingKeysEmpty) {
    WriteLexicon(
        "[Spanish]\r\nok=Aceptar\r\nsound=Sonido\r\ne4=Advertencia\r\n"
        "[English]\r\nok=OK\r\ncancel=Cancel\r\n");
    ASSERT_EQ(Load("English"), LexiconLoad::Loaded);
    EXPECT_EQ(lexicon.text(LexiconKey::Ok), "OK");
    EXPECT_EQ(lexicon.text(LexiconKey::Cancel), "Cancel");
    EXPECT_EQ(lexicon.text(LexiconKey::Sound), "") << "a key missing from the section";
    EXPECT_EQ(lexicon.languageList, (std::vector<std::string>{"Spanish", "English"}));
    EXPECT_EQ(std::tie(lexicon.languageIndex, lexicon.languageName, lexicon.debugSwitch,
                       lexicon.metroSwitch),
              std::tuple(1, "English", "no", "no"));
    EXPECT_TRUE(userInterface.messages.empty());

    ASSERT_EQ(Load("Spanish"), LexiconLoad::Loaded);
    EXPECT_EQ(lexicon.text(LexiconKey::Ok), "Aceptar");
    EXPECT_EQ(lexicon.text(LexiconKey::Cancel), "") << "slots are refilled on every load";
}

TEST_F(LexiconLoading, UnknownLanguageEmptiesEverySlotAndIndexesTheFirst) {
    WriteLexicon("[Spanish]\r\nok=Aceptar\r\n[English]\r\nok=OK\r\n");
    ASSERT_EQ(Load("English"), LexiconLoad::Loaded);
    for (const char* unknown : {"english", "Klingon"}) {  // the list is case-sensitive
        ASSERT_EQ(Load(unknown), LexiconLoad::Loaded);
        EXPECT_EQ(lexicon.languageIndex, 0);
        EXPECT_EQ(lexicon.languageName, unknown);
        EXPECT_FALSE(lexicon.languageListBuilt);
    }
    EXPECT_EQ(lexicon.text(LexiconKey::Ok), "");
}

TEST_F(LexiconLoading, KeepsAtMostTenLanguagesInFileOrder) {
    std::string content;
    for (int index = 0; index < 12; ++index) {
        content +=
            "[Language" + std::to_string(index) + "]\r\nok=" + std::to_string(index) + "\r\n";
    }
    WriteLexicon(content);
    ASSERT_EQ(Load("Language11"), LexiconLoad::Loaded);
    ASSERT_EQ(lexicon.languageList.size(), 10u);
    EXPECT_EQ(lexicon.languageList.front(), "Language0");
    EXPECT_EQ(lexicon.languageList.back(), "Language9");
    EXPECT_EQ(lexicon.languageIndex, 0) << "the eleventh language cannot be chosen";
    EXPECT_EQ(lexicon.text(LexiconKey::Ok), "11") << "but its texts still load";
}

TEST_F(LexiconLoading, ListIsBuiltOnceWhileTheLanguageIsFound) {
    WriteLexicon("[English]\r\nok=OK\r\n");
    ASSERT_EQ(Load("English"), LexiconLoad::Loaded);
    WriteLexicon("[Spanish]\r\nok=Aceptar\r\n[English]\r\nok=OK\r\n");
    ASSERT_EQ(Load("English"), LexiconLoad::Loaded);
    EXPECT_EQ(lexicon.languageList, (std::vector<std::string>{"English"}));
    ASSERT_EQ(Load("German"), LexiconLoad::Loaded);  // not found: rebuilt next time
    ASSERT_EQ(Load("English"), LexiconLoad::Loaded);
    EXPECT_EQ(lexicon.languageList, (std::vector<std::string>{"Spanish", "English"}));
    EXPECT_EQ(lexicon.languageIndex, 1);
}

TEST_F(LexiconLoading, PositionHintWidthFollowsTheLongestHintInCharacters) {
    WriteLexicon(
        "[English]\r\npos=Well placed\r\nleftPos=Left\r\nrightPos=Move to the left a bit\r\n"
        "highPos=Up\r\nlowPos=Down\r\ntilt=A very long tilt text that does not count\r\n"
        "noFace=No face\r\n");
    ASSERT_EQ(Load("English"), LexiconLoad::Loaded);
    EXPECT_EQ(lexicon.positionHintWidth, 12 * (4 + 22));

    WriteLexicon("[Spanish]\r\nnoFace=Ninguna cara a\xF1n\r\nabout=" + std::string(600, 'x') +
                 "\r\n");  // Windows-1252
    ASSERT_EQ(Load("Spanish"), LexiconLoad::Loaded);
    EXPECT_EQ(lexicon.text(LexiconKey::NoFace), "Ninguna cara a\xC3\xB1n");
    EXPECT_EQ(lexicon.positionHintWidth, 12 * (4 + 16));
    EXPECT_EQ(lexicon.text(LexiconKey::About).size(), 499u) << "slots hold 499 characters";
}

TEST_F(LexiconLoading, AMissingLexiconShowsTheFixedMessageOfTheLanguage) {
    for (const auto& [language, message] :
         {std::pair<const char*, std::vector<ShownMessage>>{
              "Spanish",
              {{"No se han encontrado los ficheros de configuraci\xC3\xB3n. Reinstale Veltranix.",
                "Advertencia"}}},
          {"English",
           {{"Configuration files are not found, please, reinstall Veltranix.", "Warning"}}},
          {"Italian", {}}}) {
        userInterface.messages.clear();
        EXPECT_EQ(Load(language), LexiconLoad::ExitProgram);
        EXPECT_EQ(userInterface.messages, message) << language;
    }
}

// A folder where a file belongs, or a read error, once escaped as an
// exception and aborted the program; now it is reported with its reason.
TEST_F(LexiconLoading, AnEmptyOrUnreadableLexiconCountsAsMissing) {
    WriteLexicon("; no sections\r\n");
    EXPECT_EQ(Load("English"), LexiconLoad::ExitProgram);
    EXPECT_NE(lexicon.loadProblem.find("lexico.ini has no language section"), std::string::npos);
    std::filesystem::remove(folder.lexiconFile());
    std::filesystem::create_directories(folder.lexiconFile());
    EXPECT_EQ(Load("English"), LexiconLoad::ExitProgram);
    EXPECT_NE(lexicon.loadProblem.find("lexico.ini: Is a directory"), std::string::npos)
        << lexicon.loadProblem;
    ASSERT_EQ(userInterface.messages.size(), 2u);
    EXPECT_EQ(userInterface.messages[0].caption, "Warning");
}

TEST_F(LexiconLoading, AMissingCompanionFileShowsE8WithCaptionE4AndExits) {
    enum FileState { Absent, Written, Folder };
    const struct {
        FileState configState;
        const char* config;
        FileState keyNames;
        const char* problem;  // what the load names as the cause
    } cases[] = {
        {Absent, "", Written, "config.ini: No such file"},
        {Folder, "", Written, "config.ini: Is a directory"},
        {Written, "[MetroA]\r\nmetro=no\r\n", Written, "config.ini has no debug key"},
        {Written, "[DebugA]\r\ndebug=\r\n[MetroA]\r\nmetro=no\r\n", Written, "no debug key"},
        {Written, "[DebugA]\r\ndebug=si\r\n[MetroA]\r\nmetro=\r\n", Written,
         "config.ini has no metro key"},
        {Written, kConfig, Absent, "contrl.ini: No such file"},
        {Written, kConfig, Folder, "contrl.ini: Is a directory"},
    };
    WriteLexicon("[English]\r\ne4=Warning\r\ne8=Please reinstall.\r\n");
    const auto place = [](const std::filesystem::path& file, FileState state, const char* text) {
        std::filesystem::remove(file);
        if (state == Written) {
            WriteFile(file, text);
        } else if (state == Folder) {
            std::filesystem::create_directories(file);
        }
    };
    for (const auto& c : cases) {
        place(folder.configFile(), c.configState, c.config);
        place(folder.keyNamesFile(), c.keyNames, kKeyNames);
        lexicon = {};
        userInterface.messages.clear();
        EXPECT_EQ(Load("English"), LexiconLoad::ExitProgram) << c.problem;
        EXPECT_EQ(userInterface.messages,
                  (std::vector<ShownMessage>{{"Please reinstall.", "Warning"}}))
            << c.problem;
        EXPECT_NE(lexicon.loadProblem.find(c.problem), std::string::npos) << lexicon.loadProblem;
    }
}

// Splits at every occurrence of `separator`.
std::vector<std::string> Split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    for (std::size_t start = 0;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos) {
            return parts;
        }
        start = end + separator.size();
    }
}

// The shipped lexicon: every language holds every key the program reads, once
// and filled, and no other; its about text is eight lines that fit the about
// window (centred at 7.5 pixels a character in 608).
TEST(ShippedLexicon, EveryLanguageHasEveryKeyOnceAndNoOther) {
    const std::filesystem::path path = ProgramFolder{VELTRANIX_SOURCE_PROGRAM_FOLDER}.lexiconFile();
    const auto file = IniFile::load(path);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->sectionNames(),
              (std::vector<std::string>{"Spanish", "English", "Portuguese", "Italian"}));
    std::map<std::string, std::vector<std::string>> keysBySection;
    std::string section;
    for (const std::string& line : Split(testing::ReadFile(path), "\r\n")) {
        if (line.starts_with("[")) {
            section = line.substr(1, line.find(']') - 1);
        } else if (!line.empty() && !line.starts_with(";")) {
            keysBySection[section].push_back(line.substr(0, line.find('=')));
        }
    }
    EXPECT_EQ(keysBySection.size(), 4u);
    std::vector<std::string> known(kLexiconKeyNames.begin(), kLexiconKeyNames.end());
    std::sort(known.begin(), known.end());
    for (const auto& language : file->sectionNames()) {
        std::vector<std::string>& keys = keysBySection[language];
        std::sort(keys.begin(), keys.end());
        EXPECT_EQ(keys, known) << language;
        for (const auto key : kLexiconKeyNames) {
            const std::string text = file->value(language, key);
            EXPECT_FALSE(text.empty()) << language << " lacks " << key;
            EXPECT_LE(Utf8Length(text), kLexiconSlotCharacters) << language << " " << key;
        }
        EXPECT_NE(file->value(language, "warning").find("\\n"), std::string::npos) << language;
        const std::vector<std::string> lines = Split(file->value(language, "about"), "\\n");
        ASSERT_EQ(lines.size(), 8u) << language;
        for (const auto& line : lines) {
            EXPECT_FALSE(line.empty()) << language;
            EXPECT_LE(Utf8Length(line), 70u) << language << ": " << line;
        }
    }
}

// The shipped key names name the common keys; the shipped program writes no
// statistics log.
TEST(ShippedCompanionFiles, NameTheCommonKeysAndSwitchTheLogOff) {
    const ProgramFolder shipped{VELTRANIX_SOURCE_PROGRAM_FOLDER};
    EXPECT_EQ(IniFile::load(shipped.configFile())->value("DebugA", "debug"), "no");
    const auto file = IniFile::load(shipped.keyNamesFile());
    ASSERT_TRUE(file);
    EXPECT_EQ(file->sectionNames(), (std::vector<std::string>{"Controls"}));
    EXPECT_EQ(file->value("Controls", "0x41"), "A");
    EXPECT_EQ(file->value("Controls", "0x11"), "CONTROL");
    for (const char* code : {"0x8", "0xD", "0x10", "0x12", "0x1B", "0x20", "0x30", "0x5A", "0x70",
                             "0x87", "0x90", "0xBA", "0xDE"}) {
        EXPECT_FALSE(file->value("Controls", code).empty()) << code;
    }
}

}  // namespace
}  // namespace veltranix
