#include "settings/settings_persistence.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <limits>

#include "core/timing.h"

namespace veltranix {

namespace {

using namespace store_keys;

constexpr std::size_t kLanguageBufferBytes = 200;
constexpr std::size_t kOffsetBufferBytes = 51;
constexpr std::size_t kProfileNameBytes = 256;
constexpr std::size_t kInstallFolderBufferBytes = 300;
// A path as long as the system allows: a cut path would name another device.
constexpr std::size_t kCameraPathBufferBytes = 4096;
constexpr const char* kCameraValueName = "camera";
constexpr std::size_t kLogOnCommandCharacters = 299;
constexpr const char* kDefaultProfile = "Default.cfg";
constexpr const char* kProgramFileName = "veltranix";

constexpr std::array<const char*, 4> kWebcamValueNames = {"invertir", "velocidad", "moveCara",
                                                          "tipoMoveRatoli"};
constexpr std::array<std::int32_t, 4> kWebcamDefaults = {1, 2, 2, 3};
constexpr std::array<const char*, 3> kGestureValueNames = {"ull", "boca", "rellotge"};

struct NamedInteger {
    const char* name;
    std::int32_t value;
};

// Writes the values in order; the first failure is the result.
StoreStatus WriteIntegers(SettingsStore& store, const char* keyPath,
                          std::initializer_list<NamedInteger> values) {
    StoreStatus status = StoreStatus::Ok;
    for (const auto& [name, value] : values) {
        status = FirstFailure(status, WriteInteger(store, keyPath, name, value));
    }
    return status;
}

template <std::size_t Size>
void SelectOption(std::array<std::int32_t, Size>& row, std::int32_t stored) {
    row.fill(0);
    row[static_cast<std::size_t>(stored - 1)] = 1;
}

}  // namespace

std::optional<std::uint16_t> LexiconLanguageIdFromLocale(std::string_view locale) {
    locale = locale.substr(0, locale.find_first_of(".@"));
    const std::string_view language = locale.substr(0, locale.find('_'));
    if (language == "es") {
        return kLanguageSpanish;
    }
    if (language == "it") {
        return kLanguageItalian;
    }
    if (language == "pt") {
        return kLanguagePortugueseBrazil;
    }
    if (language == "en") {
        return locale == "en_GB" ? kLanguageEnglishUk : kLanguageEnglishUs;
    }
    return std::nullopt;
}

std::uint16_t LanguageIdFromLocale(std::string_view locale) {
    return LexiconLanguageIdFromLocale(locale).value_or(kLanguageEnglishUs);
}

std::string_view LanguageNameForId(std::uint16_t languageId) {
    switch (languageId) {
        case kLanguageSpanish:
            return "Spanish";
        case kLanguageItalian:
            return "Italian";
        case kLanguagePortugueseBrazil:
            return "Portuguese";
        default:
            return "English";
    }
}

std::int32_t ParseLeadingInteger(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    std::int64_t magnitude = 0;
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        magnitude = std::min(kLimit, magnitude * 10 + (text[at] - '0'));
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(value, std::numeric_limits<std::int32_t>::max()));
}

SettingsPersistence::SettingsPersistence(Settings& settings, Lexicon& lexicon, SettingsStore& store,
                                         ProgramFolder folder, UserInterfacePort& userInterface,
                                         SettingsObserver& observer, std::uint16_t userLanguageId)
    : settings_(settings),
      lexicon_(lexicon),
      store_(store),
      folder_(std::move(folder)),
      userInterface_(userInterface),
      observer_(observer),
      userLanguageId_(userLanguageId) {}

void SettingsPersistence::ReadIntegerInto(const char* keyPath, const char* valueName,
                                          std::int32_t& field) {
    if (const auto stored = ReadInteger(store_, keyPath, valueName)) {
        field = *stored;
    }
}

void SettingsPersistence::ReadOffsetInto(const char* valueName, std::int32_t& field) {
    if (const auto text = ReadText(store_, kMouse, valueName, kOffsetBufferBytes)) {
        field = ParseLeadingInteger(*text);
    }
}

LexiconLoad SettingsPersistence::LoadSystemSettings() {
    if (store_.keyExists(kLanguage)) {
        if (const auto name = ReadText(store_, kLanguage, "idioma", kLanguageBufferBytes)) {
            if (LoadLexicon(lexicon_, *name, folder_, userInterface_) == LexiconLoad::ExitProgram) {
                return LexiconLoad::ExitProgram;
            }
        }
    } else {
        const std::string_view name = LanguageNameForId(userLanguageId_);
        store_.createKey(kLanguage);
        WriteBareText(store_, kLanguage, "idioma", name);
        if (LoadLexicon(lexicon_, name, folder_, userInterface_) == LexiconLoad::ExitProgram) {
            return LexiconLoad::ExitProgram;
        }
    }

    if (!store_.keyExists(kSystem)) {
        store_.createKey(kSystem);
        WriteIntegers(store_, kSystem,
                      {{"so", 1},
                       {"tamany", 0},
                       {"autoStart", 0},
                       {"trasPausa", 1},
                       {"autoAjuste", 0},
                       {"autoPause", 0}});
    }
    ReadIntegerInto(kSystem, "so", settings_.so);
    ReadIntegerInto(kSystem, "tamany", settings_.tamany);
    ReadIntegerInto(kSystem, "autoStart", settings_.autoStart);
    if (const auto stored = ReadInteger(store_, kSystem, "trasPausa")) {
        settings_.trasPausa = *stored != 0;
    }
    if (const auto stored = ReadInteger(store_, kSystem, "autoAjuste")) {
        settings_.autoAjuste = *stored != 0;
    }
    ReadIntegerInto(kSystem, "autoPause", settings_.autoPause);
    return LexiconLoad::Loaded;
}

float WindowSizeFactor(std::int32_t tamany, const Settings& settings) {
    return SizeFactorForStep(tamany) * settings.desktopScale;
}

void SettingsPersistence::LayoutWindows(std::int32_t tamany) {
    settings_.sizeFactor = WindowSizeFactor(tamany, settings_);
    observer_.rebuildLayout(LayoutTarget::MainWindow);
    observer_.rebuildLayout(LayoutTarget::SystemMenu);
    LoadWebcamSettings();
    LoadMouseSettings();
    observer_.rebuildLayout(LayoutTarget::ClickTypeMenu);
}

void SettingsPersistence::ReadWebcamValues() {
    for (std::size_t row = 0; row < kWebcamValueNames.size(); ++row) {
        const auto stored = ReadInteger(store_, kWebcam, kWebcamValueNames[row]);
        if (stored && *stored >= 1 && *stored <= 3) {
            SelectOption(settings_.webcamChoiceRows[row], *stored);
        }
    }
    settings_.cameraPath =
        ReadText(store_, kWebcam, kCameraValueName, kCameraPathBufferBytes).value_or("");
}

void SettingsPersistence::LoadWebcamSettings() {
    if (!store_.keyExists(kWebcam)) {
        store_.createKey(kWebcam);
        for (std::size_t row = 0; row < kWebcamValueNames.size(); ++row) {
            WriteInteger(store_, kWebcam, kWebcamValueNames[row], kWebcamDefaults[row]);
        }
    }
    ReadWebcamValues();
    ApplyWebcamSettings();
    observer_.rebuildLayout(LayoutTarget::WebcamMenu);
}

void SettingsPersistence::ApplyWebcamSettings() {
    const auto& rows = settings_.webcamChoiceRows;
    const auto& invertir = rows[static_cast<std::size_t>(WebcamRow::Invertir)];
    const auto& velocidad = rows[static_cast<std::size_t>(WebcamRow::Velocidad)];
    const auto& moveCara = rows[static_cast<std::size_t>(WebcamRow::MoveCara)];
    const auto& tipoMoveRatoli = rows[static_cast<std::size_t>(WebcamRow::TipoMoveRatoli)];

    settings_.invertX = invertir[0] != 1;
    settings_.speedGain = velocidad[0] == 1 ? 0.7 : velocidad[1] == 1 ? 0.6 : 0.5;
    if (moveCara[0] == 1) {
        settings_.moveCaraCurve = 30.0;
        settings_.moveCaraSpan = 50.0;
    } else if (moveCara[1] == 1) {
        settings_.moveCaraCurve = 45.0;
        settings_.moveCaraSpan = 100.0;
    } else {
        settings_.moveCaraCurve = 60.0;
        settings_.moveCaraSpan = 300.0;
    }
    for (std::size_t option = 0; option < tipoMoveRatoli.size(); ++option) {
        if (tipoMoveRatoli[option] == 1) {
            settings_.pointerMoveMode = static_cast<std::int32_t>(option) + 1;
            break;
        }
    }
    observer_.webcamSettingsApplied();
}

StoreStatus SettingsPersistence::SaveWebcamSettings() {
    StoreStatus status = store_.createKey(kWebcam);
    for (std::size_t row = 0; row < kWebcamValueNames.size(); ++row) {
        const std::int32_t stored = StoredWebcamChoice(settings_.webcamChoiceRows[row]);
        if (stored != 0) {
            status =
                FirstFailure(status, WriteInteger(store_, kWebcam, kWebcamValueNames[row], stored));
        }
    }
    if (!settings_.cameraPath.empty()) {
        status = FirstFailure(
            status, WriteBareText(store_, kWebcam, kCameraValueName, settings_.cameraPath));
    }
    return status;
}

void SettingsPersistence::ReadGestureChoice(GestureRow row, const char* valueName) {
    const auto stored = ReadInteger(store_, kMouse, valueName);
    if (!stored || *stored < 1 || *stored > 8) {
        return;
    }
    auto& flags = settings_.gestureChoiceRows[static_cast<std::size_t>(row)];
    if (*stored == 7) {
        flags.fill(0);
    } else {
        // 8 is the scroll kind, the seventh flag: 7 was taken by "none".
        SelectOption(flags, *stored == 8 ? 7 : *stored);
    }
}

void SettingsPersistence::LoadMouseSettings() {
    const bool created = !store_.keyExists(kMouse);
    if (created) {
        store_.createKey(kMouse);
        WriteIntegers(store_, kMouse,
                      {{"ull", 7},
                       {"boca", 1},
                       {"rellotge", 7},
                       {"tempsRellotge", 3},
                       {"clicMacro", 0},
                       {"nivellUll", 55},
                       {"nivellBoca", 60}});
        WriteBareText(store_, kMouse, "OffSetRefUll", "0");
        WriteBareText(store_, kMouse, "OffSetRefBoca", "0");
        WriteInteger(store_, kMouse, "gestureHoldMs", kDefaultGestureHoldMs);
        WriteInteger(store_, kMouse, "scrollSpeed", kDefaultScrollSpeed);
        settings_.nivellUll = 55;
        settings_.nivellBoca = 60;
    }
    ReadGestureChoice(GestureRow::Eye, "ull");
    ReadGestureChoice(GestureRow::Mouth, "boca");
    ReadGestureChoice(GestureRow::Dwell, "rellotge");
    ReadIntegerInto(kMouse, "tempsRellotge", settings_.tempsRellotge);
    settings_.dwellSeconds = settings_.tempsRellotge;
    ReadIntegerInto(kMouse, "clicMacro", settings_.clicMacro);
    // Absent in older stores: the default hold. Kept within what the menu offers.
    settings_.gestureHoldMs =
        std::clamp(ReadInteger(store_, kMouse, "gestureHoldMs").value_or(kDefaultGestureHoldMs), 0,
                   kLongestGestureHoldMs);
    settings_.scrollSpeed =
        std::clamp(ReadInteger(store_, kMouse, "scrollSpeed").value_or(kDefaultScrollSpeed), 1, 3);
    if (!created) {
        ReadIntegerInto(kMouse, "nivellUll", settings_.nivellUll);
        ReadIntegerInto(kMouse, "nivellBoca", settings_.nivellBoca);
        ReadOffsetInto("OffSetRefUll", settings_.OffSetRefUll);
        ReadOffsetInto("OffSetRefBoca", settings_.OffSetRefBoca);
    }

    for (std::size_t row = 0; row < settings_.mouseMenuCells.size(); ++row) {
        for (std::size_t cell = 0; cell < settings_.mouseMenuCells[row].size(); ++cell) {
            settings_.mouseMenuCells[row][cell] = {settings_.gestureChoiceRows[row][cell], true};
        }
    }
    ApplyClickSafetyRule(settings_.mouseMenuCells);
    RebuildGestureMatrix();
    observer_.rebuildLayout(LayoutTarget::MouseMenu);
}

StoreStatus SettingsPersistence::WriteMouseValues() {
    StoreStatus status = StoreStatus::Ok;
    for (std::size_t row = 0; row < kGestureValueNames.size(); ++row) {
        status = FirstFailure(status,
                              WriteInteger(store_, kMouse, kGestureValueNames[row],
                                           StoredGestureChoice(settings_.gestureChoiceRows[row])));
    }
    status = FirstFailure(status, WriteIntegers(store_, kMouse,
                                                {{"tempsRellotge", settings_.dwellSeconds},
                                                 {"clicMacro", settings_.clicMacro},
                                                 {"nivellUll", settings_.nivellUll},
                                                 {"nivellBoca", settings_.nivellBoca},
                                                 {"gestureHoldMs", settings_.gestureHoldMs},
                                                 {"scrollSpeed", settings_.scrollSpeed}}));
    status = FirstFailure(status, WriteBareText(store_, kMouse, "OffSetRefUll",
                                                std::to_string(settings_.OffSetRefUll)));
    status = FirstFailure(status, WriteBareText(store_, kMouse, "OffSetRefBoca",
                                                std::to_string(settings_.OffSetRefBoca)));
    return status;
}

StoreStatus SettingsPersistence::SaveMouseSettings() {
    for (std::size_t row = 0; row < settings_.mouseMenuCells.size(); ++row) {
        for (std::size_t cell = 0; cell < settings_.mouseMenuCells[row].size(); ++cell) {
            settings_.gestureChoiceRows[row][cell] = settings_.mouseMenuCells[row][cell].value;
        }
    }
    StoreStatus status = store_.createKey(kMouse);
    status = FirstFailure(status, WriteMouseValues());
    // The saved dwell time is the one a later revert of the menu comes back to.
    settings_.tempsRellotge = settings_.dwellSeconds;
    return status;
}

void SettingsPersistence::RecomputeThresholds(int selector) {
    // Stored levels and offsets may hold any 32-bit number: the sums saturate.
    const auto saturatedSum = [](std::int32_t left, std::int32_t right) {
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(
            std::int64_t{left} + right, std::numeric_limits<std::int32_t>::min(),
            std::numeric_limits<std::int32_t>::max()));
    };
    if (selector == 1 || selector == 3) {
        settings_.eyeThreshold = saturatedSum(settings_.OffSetRefUll, settings_.nivellUll);
    }
    if (selector == 2 || selector == 3) {
        settings_.mouthThreshold = saturatedSum(settings_.OffSetRefBoca, settings_.nivellBoca);
    }
}

void SettingsPersistence::RebuildGestureMatrix() {
    RecomputeThresholds(3);
    for (std::size_t row = 0; row < settings_.gestureClickMatrix.size(); ++row) {
        for (std::size_t cell = 0; cell < settings_.gestureClickMatrix[row].size(); ++cell) {
            settings_.gestureClickMatrix[row][cell] =
                settings_.mouseMenuCells[row][cell].value == 1 ? 1 : 0;
        }
    }
}

std::string SettingsPersistence::LogOnCommand(std::string_view installFolder) {
    std::string command(installFolder);
    while (!command.empty() && command.back() == '/') {
        command.pop_back();
    }
    command += "/";
    command += kProgramFileName;
    return command.size() <= kLogOnCommandCharacters ? command : std::string();
}

SystemSaveResult SettingsPersistence::SaveSystemSettings(int menuLanguageIndex) {
    SystemSaveResult result;
    StoreStatus& status = result.storeStatus;
    if (store_.keyExists(kLanguage) && menuLanguageIndex >= 0 &&
        menuLanguageIndex < static_cast<int>(lexicon_.languageList.size())) {
        status = WriteBareText(store_, kLanguage, "Idioma",
                               lexicon_.languageList[static_cast<std::size_t>(menuLanguageIndex)]);
    }
    status = FirstFailure(status, store_.createKey(kSystem));
    status = FirstFailure(status, WriteIntegers(store_, kSystem,
                                                {{"so", settings_.so},
                                                 {"tamany", settings_.tamany},
                                                 {"autoStart", settings_.autoStart},
                                                 {"trasPausa", settings_.trasPausa ? 1 : 0},
                                                 {"autoAjuste", settings_.autoAjuste ? 1 : 0},
                                                 {"autoPause", settings_.autoPause}}));

    if (settings_.autoStart == 1) {
        const auto installFolder = store_.keyExists(kProduct)
                                       ? ReadText(store_, kProduct, "", kInstallFolderBufferBytes)
                                       : std::nullopt;
        const std::string command =
            installFolder && !installFolder->empty() ? LogOnCommand(*installFolder) : "";
        if (!command.empty() && store_.keyExists(kLogOnRun)) {
            status = FirstFailure(status, WriteBareText(store_, kLogOnRun, kLogOnValue, command));
        }
    } else if (settings_.autoStart == 0 && store_.keyExists(kLogOnRun)) {
        const StoreStatus deleted = store_.deleteValue(kLogOnRun, kLogOnValue);
        if (deleted != StoreStatus::ValueMissing) {
            status = FirstFailure(status, deleted);
        }
    }
    result.lexiconLoad = LoadSystemSettings();
    return result;
}

StoreStatus SettingsPersistence::SaveAutoAdjust() {
    if (!store_.keyExists(kSystem)) {
        return StoreStatus::KeyMissing;
    }
    return WriteInteger(store_, kSystem, "autoAjuste", settings_.autoAjuste ? 1 : 0);
}

StoreStatus SettingsPersistence::SaveGestureLevels() {
    if (!store_.keyExists(kMouse)) {
        userInterface_.showMessage(kMissingFilesEnglish, kMissingFilesEnglishCaption);
        userInterface_.requestShutdown();
        return StoreStatus::KeyMissing;
    }
    const StoreStatus status = WriteIntegers(
        store_, kMouse, {{"nivellUll", settings_.nivellUll}, {"nivellBoca", settings_.nivellBoca}});
    ReadIntegerInto(kMouse, "nivellUll", settings_.nivellUll);
    ReadIntegerInto(kMouse, "nivellBoca", settings_.nivellBoca);
    RecomputeThresholds(3);
    return status;
}

void SettingsPersistence::LoadProfileName() {
    const auto stored = store_.keyExists(kProfileRead)
                            ? ReadText(store_, kProfileRead, "Perfil", kProfileNameBytes)
                            : std::nullopt;
    settings_.profileName = stored && !stored->empty() ? *stored : kDefaultProfile;
}

StoreStatus SettingsPersistence::SaveProfileName(std::string_view fileName) {
    // Created when missing, so that the first profile choice is remembered.
    const StoreStatus status = store_.createKey(kProfileWritten);
    return FirstFailure(
        status, WritePaddedText(store_, kProfileWritten, "perfil", fileName, kProfileNameBytes));
}

ManualEyePositions SettingsPersistence::LoadManualEyePositions() {
    ManualEyePositions positions;
    if (!store_.keyExists(kManualEyes)) {
        SaveManualEyePositions(positions);
        return positions;
    }
    ReadIntegerInto(kManualEyes, "ullDretX", positions.ullDretX);
    ReadIntegerInto(kManualEyes, "ullDretY", positions.ullDretY);
    ReadIntegerInto(kManualEyes, "ullEsquerreX", positions.ullEsquerreX);
    ReadIntegerInto(kManualEyes, "ullEsquerreY", positions.ullEsquerreY);
    return positions;
}

StoreStatus SettingsPersistence::SaveManualEyePositions(const ManualEyePositions& positions) {
    const StoreStatus status = store_.createKey(kManualEyes);
    return FirstFailure(status, WriteIntegers(store_, kManualEyes,
                                              {{"ullDretX", positions.ullDretX},
                                               {"ullDretY", positions.ullDretY},
                                               {"ullEsquerreX", positions.ullEsquerreX},
                                               {"ullEsquerreY", positions.ullEsquerreY}}));
}

}  // namespace veltranix
