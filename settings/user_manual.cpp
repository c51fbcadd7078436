#include "settings/user_manual.h"

#include <array>
#include <utility>

namespace veltranix {

namespace {

// Lexicon section and manual file name (UTF-8).
constexpr std::array<std::pair<std::string_view, std::string_view>, 4> kManuals = {{
    {"Spanish", "Espa\xC3\xB1ol.pdf"},
    {"English", "English.pdf"},
    {"Portuguese", "Portuguese.pdf"},
    {"Italian", "Italian.pdf"},
}};

}  // namespace

std::filesystem::path UserManualPath(const ProgramFolder& folder,
                                     std::string_view languageSection) {
    for (const auto& [section, manual] : kManuals) {
        if (section == languageSection) {
            return folder.manualsFolder() / manual;
        }
    }
    return folder.manualsFolder() / "English.pdf";
}

}  // namespace veltranix
