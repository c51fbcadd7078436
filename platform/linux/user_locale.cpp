#include "platform/linux/user_locale.h"

#include <cstdlib>

#include "settings/settings_persistence.h"

namespace veltranix {

std::uint16_t UserInterfaceLanguageId() {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return LanguageIdFromLocale(value);
        }
    }
    return kLanguageEnglishUs;
}

}  // namespace veltranix
