#pragma once

#include <string>

#include "core/shell_port.h"

namespace veltranix {

// Opens a command as a desktop's file manager does: a URL (scheme:...) or an
// existing document or folder with the default application of its type
// (GIO, the freedesktop.org MIME associations), an executable file (ELF or a
// "#!" script; a document with the executable bit opens as a document) or a
// program name found on PATH started detached in its own session, with only
// descriptors 0 to 2 of this program. The result
// codes: kShellOpened; kShellFileNotFound when the file is missing from an
// existing folder, or the name is not found; kShellPathNotFound when its
// folder is missing; kShellAccessDenied; kShellNoAssociation when no
// application opens that type or scheme; kShellOutOfMemory.
class DesktopShell : public ShellPort {
  public:
    int open(const std::string& command) override;
};

}  // namespace veltranix
