#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "macros/macro_set.h"

namespace veltranix {

// What a macro file's headers say about it.
enum class MacroFileKind {
    Invalid,  // unreadable, empty, or with unequal header counts: never read
    Old,      // no UNICODE sections; read once and rewritten in the current layout
    Current,
};

enum class MacroFileLayout { Current, Old };

// Whether the editor may store a command in a shell entry: the macro file
// holds each command on one line of at most 511 units (a line break in a
// command is written as a blank, so refuse it where it is entered).
enum class ShellCommandCheck { Accepted, Empty, LineBreak, TooLong };
ShellCommandCheck CheckShellCommand(std::u16string_view command);

// The file's bytes: UTF-16 little-endian with its byte-order mark, every line
// end CR LF (a CR standing before a line end in a text is written as it is;
// a line break inside a shell command becomes a blank).
std::string EncodeMacroFile(const MacroSet& set);
// As EncodeMacroFile, with every Unicode flag written as 0 and no shell entries.
std::string EncodeConvertedMacroFile(const MacroSet& set);

// The file's text as the C library's text mode reads it: UTF-16 LE, or UTF-8
// after a UTF-8 byte-order mark; every CR LF becomes LF.
std::u16string DecodeMacroFileText(std::string_view bytes);

MacroFileKind ClassifyMacroFileText(std::u16string_view text);

// Fills `set` from the file's text. The current layout empties the set first;
// hostile input never takes a slot beyond its limits (see the .cpp).
void ReadMacroFileText(std::u16string_view text, MacroSet& set, MacroFileLayout layout);

// Replaces the file at `path` with `content`, so that the file holds its old
// or its new content whatever happens; false when the new content could not
// be put in place (the old file is then untouched).
using ReplaceFileFunction =
    std::function<bool(const std::filesystem::path& path, std::string_view content)>;

// The atomic replacement (core/file_replacement.h): a unique temporary name,
// the file and its folder flushed to disk, links replaced, never followed.
bool ReplaceMacroFileAtomically(const std::filesystem::path& path, std::string_view content);

// Reads a macro file that is a regular file (not a link) of sane size.
std::optional<std::string> ReadMacroFileBytes(const std::filesystem::path& path);

// A profile file kept aside goes to the first free name of <file>.bad,
// <file>.bad1 ... <file>.bad999, which this claims (creates empty, never
// replacing anything). None when every name is taken or the folder refuses.
std::optional<std::filesystem::path> ClaimSetAsideName(const std::filesystem::path& file);

enum class MacroFileLoad { Loaded, Invalid };
enum class DefaultsScope {
    DefaultsOnly,
    AlsoWorkingSet,  // the defaults also become the working set; no file is written
    AlsoWorkingSetAndFile,
};

// The macro file of the current profile and the operations on it. GUI thread
// (the editor, start-up and the profile code); never used by the player.
class MacroFileStore {
  public:
    explicit MacroFileStore(MacroSets& sets,
                            ReplaceFileFunction replaceFile = ReplaceMacroFileAtomically);

    const std::filesystem::path& macroFilePath() const { return macroFilePath_; }
    void setMacroFilePath(std::filesystem::path path) { macroFilePath_ = std::move(path); }

    // Commits the working set and writes it. False when the file could not be
    // written: the old file and the sets are then unchanged.
    bool WriteMacroFile();
    // Writes the working set, as read from an old file, in the current layout.
    bool ConvertOldMacroFile();
    // False (and an empty working set) when the file cannot be read.
    bool ReadMacroFile();
    void ReadOldMacroFile();
    MacroFileKind ValidateMacroFile(const std::filesystem::path& path) const;
    // Validates and reads the file into the working set, converting an old
    // file on the way. A file without a single macro header (another kind of
    // file) is copied aside as .bad before the conversion overwrites it.
    // Invalid: nothing was read; the caller recovers.
    MacroFileLoad LoadMacroFile();
    // Rebuilds the defaults; with AlsoWorkingSet also puts them into the
    // working set and empties the playback set, and with AlsoWorkingSetAndFile
    // then writes the file. Returns whether the file was written (always true
    // for the other scopes).
    bool RestoreDefaultMacros(DefaultsScope scope);
    // Writes `set` into another file (a new profile); the sets are untouched.
    bool WriteMacroFileAt(const std::filesystem::path& path, const MacroSet& set) const {
        return replaceFile_(path, EncodeMacroFile(set));
    }

    MacroSets& sets() { return sets_; }

  private:
    MacroSets& sets_;
    ReplaceFileFunction replaceFile_;
    std::filesystem::path macroFilePath_;
};

}  // namespace veltranix
