#pragma once

#include <filesystem>

#include "core/shell_port.h"
#include "core/user_interface_port.h"
#include "settings/lexicon.h"

namespace veltranix {

// Opens a document or folder (the user manual, the read-me, the manuals)
// with the desktop's application for it. One that cannot be opened (no PDF
// viewer, a missing file) is said in a notice that names the file and the
// reason, in the lexicon's words.
void OpenDocument(const std::filesystem::path& path, ShellPort& shell,
                  UserInterfacePort& userInterface, const Lexicon& lexicon);

}  // namespace veltranix
