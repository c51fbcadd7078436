#include "macros/macro_file.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <utility>
#include <vector>

#include "core/file_reading.h"
#include "core/file_replacement.h"
#include "macros/utf16.h"

namespace veltranix {

namespace {

// Larger than any file the writer produces (six slots of 4000 entries, each
// with a command of 511 characters, stay below 30 MB).
constexpr std::uintmax_t kMaxMacroFileBytes = 64u << 20;

constexpr std::u16string_view kNameHeader = u"NOM_MACRO\n";
constexpr std::u16string_view kCountHeader = u"MAX_CARACTER\n";
constexpr std::u16string_view kKeysHeader = u"TECLA_VIRTUAL\n";
constexpr std::u16string_view kPressHeader = u"TIPO_CLIC\n";
constexpr std::u16string_view kUnicodeHeader = u"UNICODE\n";
constexpr std::u16string_view kTextHeader = u"TEXT_MACRO\n";
constexpr std::u16string_view kShellHeader = u"SHELL\n";
constexpr std::u16string_view kShellEnd = u"Fi_SHELL";
// Digits of a shell line's index that are read.
constexpr std::size_t kShellIndexDigits = 5;

enum class Section { None, Name, Count, Keys, PressFlags, UnicodeFlags, Text, Shell };

void AppendNumber(std::u16string& out, int value) {
    std::array<char, 12> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
    out.append(digits.data(), end);
}

template <std::size_t Size, typename Value>
void AppendValueLine(std::u16string& out, const std::array<Value, Size>& values, int count,
                     bool allZero) {
    for (int index = 0; index < count; ++index) {
        AppendNumber(out, allZero ? 0 : values[static_cast<std::size_t>(index)]);
        out.push_back(u' ');
    }
    out.push_back(u'\n');
}

// The file's bytes for `text` written in text mode: LF becomes CR LF. Sized
// once and filled in place: files of thousands of entries are written whole.
std::string ToFileBytes(std::u16string_view text) {
    const auto lineEnds = static_cast<std::size_t>(std::count(text.begin(), text.end(), u'\n'));
    std::string bytes(2 + 2 * (text.size() + lineEnds), '\0');
    bytes[0] = '\xFF';
    bytes[1] = '\xFE';
    char* out = bytes.data() + 2;
    std::for_each(text.begin(), text.end(), [&out](char16_t unit) {
        if (unit == u'\n') {
            *out++ = '\r';
            *out++ = '\0';
        }
        *out++ = static_cast<char>(unit & 0xFF);
        *out++ = static_cast<char>(unit >> 8);
    });
    return bytes;
}

// Appends a name or text. A line of it that reads like a header would change
// the file's structure and make it invalid; such a line gets a CR before its
// line end, which the reader keeps as part of the text.
void AppendProtected(std::u16string& out, std::u16string_view text) {
    constexpr std::array<std::u16string_view, 7> kHeaders = {
        kNameHeader,    kCountHeader, kKeysHeader, kPressHeader,
        kUnicodeHeader, kTextHeader,  kShellHeader};
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(u'\n', start);
        const std::u16string_view line = text.substr(
            start, end == std::u16string_view::npos ? text.size() - start : end - start);
        out += line;
        if (std::any_of(kHeaders.begin(), kHeaders.end(), [line](std::u16string_view header) {
                return line == header.substr(0, header.size() - 1);
            })) {
            out += u'\r';
        }
        if (end == std::u16string_view::npos) {
            return;
        }
        out += u'\n';
        start = end + 1;
    }
}

// A command is read back from one line: a line break inside it would end
// the command there and leave the rest where a shell line belongs.
std::u16string OneLineCommand(std::u16string_view command) {
    std::u16string line(command);
    std::replace_if(
        line.begin(), line.end(), [](char16_t unit) { return unit == u'\n' || unit == u'\r'; },
        u' ');
    return line;
}

std::string Encode(const MacroSet& set, MacroFileLayout from) {
    const bool converted = from == MacroFileLayout::Old;
    std::u16string text;
    for (const MacroSlot& slot : set) {
        const int count = slot.entriesInUse();
        text += kNameHeader;
        AppendProtected(text, slot.name);
        text += u'\n';
        text += kCountHeader;
        AppendNumber(text, count);
        text += u'\n';
        text += kKeysHeader;
        AppendValueLine(text, slot.keyValue, count, false);
        text += kPressHeader;
        AppendValueLine(text, slot.pressFlag, count, false);
        text += kUnicodeHeader;
        AppendValueLine(text, slot.unicodeFlag, count, converted);
        text += kTextHeader;
        AppendProtected(text, slot.displayText);
        text += u'\n';
        text += kShellHeader;
        if (!converted) {
            for (const auto& [index, command] : slot.shellCommand) {
                if (index >= 0 && index < count) {
                    AppendNumber(text, index);
                    text += u' ';
                    text += OneLineCommand(command);
                    text += u'\n';
                }
            }
        }
        text += kShellEnd;
        text += u'\n';
    }
    return ToFileBytes(text);
}

std::u16string_view WithoutLineEnd(std::u16string_view line) {
    if (!line.empty() && line.back() == u'\n') {
        line.remove_suffix(1);
    }
    return line;
}

void AppendLimited(std::u16string& to, std::u16string_view text, std::size_t maxUnits) {
    if (to.size() < maxUnits) {
        to.append(text.substr(0, maxUnits - to.size()));
    }
}

// Reads the lines of one file into a set. Input the writer never produces is
// kept within the slots' limits: lines before the first header and blocks after
// the sixth are skipped, values beyond entry 3999 and shell indexes outside
// 0..3999 are dropped, a shell line without a blank is skipped, a `count` is
// clamped to 0..4000, and names, texts and commands are cut at their limits.
class MacroTextReader {
  public:
    MacroTextReader(MacroSet& set, MacroFileLayout layout) : set_(set), layout_(layout) {}

    void readLine(std::u16string_view line) {
        if (!inShellList_ && readHeader(line)) {
            return;
        }
        MacroSlot* slot = currentSlot();
        if (slot == nullptr) {
            return;
        }
        const std::u16string_view value = WithoutLineEnd(line);
        switch (section_) {
            case Section::None:
                break;
            case Section::Name:
                slot->name = value.substr(0, kMaxMacroNameUnits);
                break;
            case Section::Count:
                slot->count = std::clamp(ParseLeadingInteger16(value), 0, kMaxMacroEntries);
                break;
            case Section::Keys:
                readKeys(*slot, value);
                break;
            case Section::PressFlags:
                readFlags(slot->pressFlag, value);
                break;
            case Section::UnicodeFlags:
                readFlags(slot->unicodeFlag, value);
                break;
            case Section::Text:
                // The old layout joins its text lines without line ends. In
                // the current one a line end belongs to the text only when
                // another text line follows: the last is the writer's.
                if (lineEndPending_) {
                    AppendLimited(slot->displayText, u"\n", kMaxDisplayTextUnits);
                }
                AppendLimited(slot->displayText, value, kMaxDisplayTextUnits);
                lineEndPending_ = layout_ == MacroFileLayout::Current && value.size() < line.size();
                break;
            case Section::Shell:
                readShellLine(*slot, value);
                break;
        }
    }

  private:
    MacroSlot* currentSlot() {
        return slotIndex_ >= 0 && slotIndex_ < kMacroSlotCount
                   ? &set_[static_cast<std::size_t>(slotIndex_)]
                   : nullptr;
    }

    bool readHeader(std::u16string_view line) {
        const bool current = layout_ == MacroFileLayout::Current;
        const bool header = isHeader(line, current);
        if (header) {
            lineEndPending_ = false;
        }
        return header;
    }

    bool isHeader(std::u16string_view line, bool current) {
        if (line == kNameHeader) {
            // Stops counting past the slots, so a hostile file cannot overflow it.
            slotIndex_ = std::min(slotIndex_ + 1, kMacroSlotCount);
            section_ = Section::Name;
        } else if (line == kCountHeader) {
            section_ = Section::Count;
        } else if (line == kKeysHeader) {
            section_ = Section::Keys;
        } else if (line == kPressHeader) {
            section_ = Section::PressFlags;
        } else if (current && line == kUnicodeHeader) {
            section_ = Section::UnicodeFlags;
        } else if (line == kTextHeader) {
            section_ = Section::Text;
            if (MacroSlot* slot = currentSlot()) {
                slot->displayText.clear();
            }
        } else if (current && line == kShellHeader) {
            section_ = Section::Shell;
        } else {
            return false;
        }
        return true;
    }

    static void readKeys(MacroSlot& slot, std::u16string_view value) {
        std::size_t entry = 0;
        std::size_t start = 0;
        while (start < value.size() && entry < slot.keyValue.size()) {
            const std::size_t blank = value.find(u' ', start);
            const std::size_t end = blank == std::u16string_view::npos ? value.size() : blank;
            slot.keyValue[entry++] =
                static_cast<std::uint16_t>(ParseLeadingInteger16(value.substr(start, end - start)));
            start = end + 1;
        }
    }

    template <std::size_t Size>
    static void readFlags(std::array<std::uint8_t, Size>& flags, std::u16string_view value) {
        std::size_t entry = 0;
        for (const char16_t character : value) {
            if (entry == flags.size()) {
                break;
            }
            if (character != u' ') {
                flags[entry++] = character == u'1' ? 1 : 0;
            }
        }
    }

    void readShellLine(MacroSlot& slot, std::u16string_view value) {
        if (value == kShellEnd) {
            inShellList_ = false;
            return;
        }
        inShellList_ = true;
        const std::size_t blank = value.find(u' ');
        if (blank == std::u16string_view::npos) {
            return;
        }
        const std::int32_t index =
            ParseLeadingInteger16(value.substr(0, std::min(blank, kShellIndexDigits)));
        if (index < 0 || index >= kMaxMacroEntries) {
            return;
        }
        slot.shellCommand[index] = value.substr(blank + 1, kMaxShellCommandUnits);
    }

    MacroSet& set_;
    MacroFileLayout layout_;
    int slotIndex_ = -1;
    Section section_ = Section::None;
    bool inShellList_ = false;
    bool lineEndPending_ = false;
};

template <typename Visit>
void ForEachLine(std::u16string_view text, Visit visit) {
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find(u'\n', start);
        const std::size_t length =
            end == std::u16string_view::npos ? text.size() - start : end - start + 1;
        visit(text.substr(start, length));
        start += length;
    }
}

}  // namespace

ShellCommandCheck CheckShellCommand(std::u16string_view command) {
    if (command.empty()) {
        return ShellCommandCheck::Empty;
    }
    if (command.find_first_of(u"\r\n") != std::u16string_view::npos) {
        return ShellCommandCheck::LineBreak;
    }
    return command.size() > kMaxShellCommandUnits ? ShellCommandCheck::TooLong
                                                  : ShellCommandCheck::Accepted;
}

std::string EncodeMacroFile(const MacroSet& set) {
    return Encode(set, MacroFileLayout::Current);
}

std::string EncodeConvertedMacroFile(const MacroSet& set) {
    return Encode(set, MacroFileLayout::Old);
}

std::u16string DecodeMacroFileText(std::string_view bytes) {
    std::u16string raw;
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        raw = Utf8ToUtf16(bytes.substr(3));
    } else {
        if (bytes.starts_with("\xFF\xFE")) {
            bytes.remove_prefix(2);
        }
        raw.resize(bytes.size() / 2 + bytes.size() % 2);
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(raw.data(), bytes.data(), bytes.size() / 2 * 2);
        } else {
            for (std::size_t index = 0; index + 1 < bytes.size(); index += 2) {
                raw[index / 2] =
                    static_cast<char16_t>(static_cast<unsigned char>(bytes[index]) |
                                          static_cast<unsigned char>(bytes[index + 1]) << 8);
            }
        }
        if (bytes.size() % 2 != 0) {
            raw.back() = u'\uFFFD';
        }
    }
    // Every CR LF becomes LF, in place: a CR alone stays.
    constexpr std::u16string_view kCrLf = u"\r\n";
    std::size_t kept = raw.find(kCrLf);
    for (std::size_t from = kept; from != std::u16string::npos;) {
        const std::size_t next = raw.find(kCrLf, from + 1);
        const std::size_t end = next == std::u16string::npos ? raw.size() : next;
        // From the LF of this pair up to the next pair's CR.
        std::copy(raw.begin() + static_cast<std::ptrdiff_t>(from + 1),
                  raw.begin() + static_cast<std::ptrdiff_t>(end),
                  raw.begin() + static_cast<std::ptrdiff_t>(kept));
        kept += end - from - 1;
        from = next;
    }
    if (kept != std::u16string::npos) {
        raw.resize(kept);
    }
    return raw;
}

MacroFileKind ClassifyMacroFileText(std::u16string_view text) {
    if (text.empty()) {
        return MacroFileKind::Invalid;
    }
    constexpr std::array<std::u16string_view, 7> kHeaders = {
        kNameHeader, kCountHeader, kKeysHeader,   kPressHeader,
        kTextHeader, kShellHeader, kUnicodeHeader};
    std::array<std::size_t, 7> counts{};
    ForEachLine(text, [&](std::u16string_view line) {
        for (std::size_t header = 0; header < kHeaders.size(); ++header) {
            if (line == kHeaders[header]) {
                ++counts[header];
            }
        }
    });
    const auto allEqual = [&counts](std::size_t headerCount) {
        return std::all_of(counts.begin(), counts.begin() + static_cast<long>(headerCount),
                           [&counts](std::size_t count) { return count == counts[0]; });
    };
    if (counts[6] == 0) {
        // Without UNICODE sections: the old layout, judged by its five headers.
        return allEqual(5) ? MacroFileKind::Old : MacroFileKind::Invalid;
    }
    return allEqual(7) ? MacroFileKind::Current : MacroFileKind::Invalid;
}

void ReadMacroFileText(std::u16string_view text, MacroSet& set, MacroFileLayout layout) {
    ClearMacroSet(set);
    MacroTextReader reader(set, layout);
    ForEachLine(text, [&reader](std::u16string_view line) { reader.readLine(line); });
}

bool ReplaceMacroFileAtomically(const std::filesystem::path& path, std::string_view content) {
    return ReplaceFileAtomically(path, content);
}

std::optional<std::string> ReadMacroFileBytes(const std::filesystem::path& path) {
    std::error_code error;
    const auto status = std::filesystem::symlink_status(path, error);
    if (error || !std::filesystem::is_regular_file(status)) {
        return std::nullopt;
    }
    FileContent content = ReadWholeFile(path, kMaxMacroFileBytes);
    if (content.status != FileReadStatus::Read) {
        return std::nullopt;
    }
    return std::move(content.bytes);
}

std::optional<std::filesystem::path> ClaimSetAsideName(const std::filesystem::path& file) {
    constexpr int kSetAsideNames = 1000;
    for (int attempt = 0; attempt < kSetAsideNames; ++attempt) {
        std::filesystem::path target = file;
        target += attempt == 0 ? std::string(".bad") : ".bad" + std::to_string(attempt);
        // "x": created only when no file (or link) of that name exists.
        if (std::FILE* claimed = std::fopen(target.c_str(), "wbx")) {
            std::fclose(claimed);
            return target;
        }
        std::error_code error;
        if (!std::filesystem::exists(std::filesystem::symlink_status(target, error))) {
            return std::nullopt;  // the folder refuses new files
        }
    }
    return std::nullopt;
}

MacroFileStore::MacroFileStore(MacroSets& sets, ReplaceFileFunction replaceFile)
    : sets_(sets), replaceFile_(std::move(replaceFile)) {}

bool MacroFileStore::WriteMacroFile() {
    // What CommitMacros would copy is exactly what the writer writes, so the
    // file is written from the working set and committed once it is in place.
    if (!replaceFile_(macroFilePath_, EncodeMacroFile(sets_.workingMacros))) {
        return false;
    }
    CommitMacros(sets_.workingMacros, sets_.playbackMacros);
    return true;
}

bool MacroFileStore::ConvertOldMacroFile() {
    return replaceFile_(macroFilePath_, EncodeConvertedMacroFile(sets_.workingMacros));
}

bool MacroFileStore::ReadMacroFile() {
    ClearMacroSet(sets_.workingMacros);
    const auto bytes = ReadMacroFileBytes(macroFilePath_);
    if (!bytes) {
        return false;
    }
    ReadMacroFileText(DecodeMacroFileText(*bytes), sets_.workingMacros, MacroFileLayout::Current);
    return true;
}

void MacroFileStore::ReadOldMacroFile() {
    const auto bytes = ReadMacroFileBytes(macroFilePath_);
    ReadMacroFileText(bytes ? DecodeMacroFileText(*bytes) : std::u16string(), sets_.workingMacros,
                      MacroFileLayout::Old);
}

MacroFileKind MacroFileStore::ValidateMacroFile(const std::filesystem::path& path) const {
    const auto bytes = ReadMacroFileBytes(path);
    return bytes ? ClassifyMacroFileText(DecodeMacroFileText(*bytes)) : MacroFileKind::Invalid;
}

MacroFileLoad MacroFileStore::LoadMacroFile() {
    const auto bytes = ReadMacroFileBytes(macroFilePath_);
    if (!bytes) {
        return MacroFileLoad::Invalid;
    }
    const std::u16string text = DecodeMacroFileText(*bytes);
    switch (ClassifyMacroFileText(text)) {
        case MacroFileKind::Invalid:
            return MacroFileLoad::Invalid;
        case MacroFileKind::Old:
            if (text.find(kNameHeader) != 0 &&
                text.find(u"\n" + std::u16string(kNameHeader)) == std::u16string::npos) {
                // Not a macro file at all: converting it writes six empty
                // macros over it, so what it held is kept first.
                const auto copy = ClaimSetAsideName(macroFilePath_);
                if (!copy || !replaceFile_(*copy, *bytes)) {
                    if (copy) {
                        std::error_code ignored;
                        std::filesystem::remove(*copy, ignored);
                    }
                    return MacroFileLoad::Invalid;
                }
            }
            ReadMacroFileText(text, sets_.workingMacros, MacroFileLayout::Old);
            // Read back what was written; when the file could not be rewritten
            // the set read from the old file stays.
            if (ConvertOldMacroFile()) {
                ReadMacroFile();
            }
            return MacroFileLoad::Loaded;
        case MacroFileKind::Current:
            ReadMacroFileText(text, sets_.workingMacros, MacroFileLayout::Current);
            return MacroFileLoad::Loaded;
    }
    return MacroFileLoad::Invalid;
}

bool MacroFileStore::RestoreDefaultMacros(DefaultsScope scope) {
    sets_.defaultMacros = DefaultMacroSet();
    if (scope == DefaultsScope::DefaultsOnly) {
        return true;
    }
    for (std::size_t index = 0; index < sets_.defaultMacros.size(); ++index) {
        MacroSlot& played = sets_.playbackMacros[index];
        played.name.clear();
        played.displayText.clear();
        played.count = 0;
        MacroSlot& working = sets_.workingMacros[index];
        working = sets_.defaultMacros[index];
        working.shellCommand.clear();
    }
    if (scope == DefaultsScope::AlsoWorkingSet) {
        return true;
    }
    return WriteMacroFile();
}

}  // namespace veltranix
