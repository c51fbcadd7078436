#include "platform/linux/user_locale.h"

#include <cstdlib>
#include <string_view>

#include "settings/settings_persistence.h"

namespace veltranix {

std::uint16_t UserInterfaceLanguageId() {
    if (const char* list = std::getenv("LANGUAGE")) {
        std::string_view rest = list;
        while (!rest.empty()) {
            const std::size_t colon = rest.find(':');
            const std::string_view entry = rest.substr(0, colon);
            rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
            if (const auto id = LexiconLanguageIdFromLocale(entry)) {
                return *id;
            }
        }
    }
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return LanguageIdFromLocale(value);
        }
    }
    return kLanguageEnglishUs;
}

}  // namespace veltranix
