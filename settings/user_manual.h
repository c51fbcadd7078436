#pragma once

#include <filesystem>
#include <string_view>

#include "core/program_folder.h"

namespace veltranix {

// The user manual for a lexicon language section: manuals/Español.pdf for
// "Spanish", English.pdf, Portuguese.pdf or Italian.pdf; any other section
// (compared exactly, as the lexicon compares) gets the English manual.
std::filesystem::path UserManualPath(const ProgramFolder& folder, std::string_view languageSection);

}  // namespace veltranix
