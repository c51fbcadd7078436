#include "app/shell/open_document.h"

#include "macros/macro_player.h"

namespace veltranix {
namespace {

// The shell's results below this are failures.
constexpr int kShellFailureLimit = 32;

}  // namespace

void OpenDocument(const std::filesystem::path& path, ShellPort& shell,
                  UserInterfacePort& userInterface, const Lexicon& lexicon) {
    const int result = shell.open(path.string());
    if (result >= kShellFailureLimit) {
        return;
    }
    userInterface.showMessage(ShellErrorMessage(lexicon.text(ShellErrorKey(result)), path.string()),
                              lexicon.text(LexiconKey::E4));
}

}  // namespace veltranix
