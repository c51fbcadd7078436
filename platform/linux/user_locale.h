#pragma once

#include <cstdint>

namespace veltranix {

// The user's interface language as a language identifier: the first entry
// of LANGUAGE (the desktop's ordered list, "es_MX:en") whose language the
// lexicon has, else LC_ALL, LC_MESSAGES or LANG (the first one set).
std::uint16_t UserInterfaceLanguageId();

}  // namespace veltranix
