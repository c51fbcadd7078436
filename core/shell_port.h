#pragma once

#include <string>

namespace veltranix {

// Result codes of opening a document, folder, URL or program; above 32 is
// success, below it the reason.
inline constexpr int kShellOpened = 42;
inline constexpr int kShellFileNotFound = 2;
inline constexpr int kShellPathNotFound = 3;
inline constexpr int kShellAccessDenied = 5;
inline constexpr int kShellOutOfMemory = 8;
inline constexpr int kShellNoAssociation = 31;

// Opens what a command names as the desktop does: a document, folder or URL
// with its default application, a program (a path, or a name on PATH)
// started detached. Returns one of the codes above. Any thread.
class ShellPort {
  public:
    virtual ~ShellPort() = default;
    virtual int open(const std::string& command) = 0;
};

// The system clipboard's text. GUI thread.
class ClipboardPort {
  public:
    virtual ~ClipboardPort() = default;
    // UTF-8 text; empty when the clipboard holds no text.
    virtual std::string text() const = 0;
};

}  // namespace veltranix
