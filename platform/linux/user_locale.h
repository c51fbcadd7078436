#pragma once

#include <cstdint>

namespace veltranix {

// The user's interface language as a language identifier, from the
// environment's LC_ALL, LC_MESSAGES or LANG (the first one set).
std::uint16_t UserInterfaceLanguageId();

}  // namespace veltranix
