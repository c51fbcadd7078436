#include "settings/store_tree.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <unordered_set>

#include "core/text_codec.h"

namespace veltranix {

namespace {

constexpr std::string_view kHeader = "; Veltranix settings store\n";

std::string NormalisedPath(std::string_view keyPath) {
    while (!keyPath.empty() && keyPath.front() == '\\') {
        keyPath.remove_prefix(1);
    }
    while (!keyPath.empty() && keyPath.back() == '\\') {
        keyPath.remove_suffix(1);
    }
    return std::string(keyPath);
}

char LowerAscii(char character) {
    return character >= 'A' && character <= 'Z' ? static_cast<char>(character - 'A' + 'a')
                                                : character;
}

bool SameName(std::string_view left, std::string_view right) {
    return left.size() == right.size() &&
           std::equal(left.begin(), left.end(), right.begin(),
                      [](char a, char b) { return LowerAscii(a) == LowerAscii(b); });
}

const char* kHexDigits = "0123456789ABCDEF";

void AppendHexByte(std::string& out, unsigned char byte) {
    out.push_back(kHexDigits[byte >> 4]);
    out.push_back(kHexDigits[byte & 0x0F]);
}

std::string QuoteText(std::string_view bytes) {
    std::string out = "\"";
    for (const char character : bytes) {
        const auto byte = static_cast<unsigned char>(character);
        switch (character) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (byte < 0x20 || byte == 0x7F) {
                    out += "\\x";
                    AppendHexByte(out, byte);
                } else {
                    out.push_back(character);
                }
        }
    }
    out.push_back('"');
    return out;
}

std::string EscapeKeyPath(std::string_view path) {
    std::string out;
    for (const char character : path) {
        const auto byte = static_cast<unsigned char>(character);
        if (byte < 0x20 || byte == 0x7F || character == '%' || character == ']') {
            out.push_back('%');
            AppendHexByte(out, byte);
        } else {
            out.push_back(character);
        }
    }
    return out;
}

int HexValue(char digit) {
    if (digit >= '0' && digit <= '9') {
        return digit - '0';
    }
    if (digit >= 'A' && digit <= 'F') {
        return digit - 'A' + 10;
    }
    if (digit >= 'a' && digit <= 'f') {
        return digit - 'a' + 10;
    }
    return -1;
}

std::optional<char> HexByte(std::string_view text, std::size_t at) {
    if (at + 2 > text.size()) {
        return std::nullopt;
    }
    const int high = HexValue(text[at]);
    const int low = HexValue(text[at + 1]);
    if (high < 0 || low < 0) {
        return std::nullopt;
    }
    return static_cast<char>(high * 16 + low);
}

std::optional<std::string> UnescapeKeyPath(std::string_view text) {
    std::string out;
    for (std::size_t index = 0; index < text.size(); ++index) {
        if (text[index] != '%') {
            out.push_back(text[index]);
            continue;
        }
        const auto byte = HexByte(text, index + 1);
        if (!byte) {
            return std::nullopt;
        }
        out.push_back(*byte);
        index += 2;
    }
    return out;
}

// Reads a quoted text starting at `text[at]` == '"'; leaves `at` after the closing quote.
std::optional<std::string> UnquoteText(std::string_view text, std::size_t& at) {
    if (at >= text.size() || text[at] != '"') {
        return std::nullopt;
    }
    std::string out;
    for (++at; at < text.size(); ++at) {
        const char character = text[at];
        if (character == '"') {
            ++at;
            return out;
        }
        if (character != '\\') {
            out.push_back(character);
            continue;
        }
        if (++at >= text.size()) {
            return std::nullopt;
        }
        switch (text[at]) {
            case '\\':
                out.push_back('\\');
                break;
            case '"':
                out.push_back('"');
                break;
            case 'n':
                out.push_back('\n');
                break;
            case 'r':
                out.push_back('\r');
                break;
            case 't':
                out.push_back('\t');
                break;
            case 'x': {
                const auto byte = HexByte(text, at + 1);
                if (!byte) {
                    return std::nullopt;
                }
                out.push_back(*byte);
                at += 2;
                break;
            }
            default:
                return std::nullopt;
        }
    }
    return std::nullopt;
}

template <typename Number>
std::optional<Number> ParseNumber(std::string_view text) {
    Number number{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return number;
}

std::optional<StoreValue> ParseValue(std::string_view text) {
    constexpr std::string_view kInteger = "integer:";
    constexpr std::string_view kText = "text:";
    constexpr std::string_view kZeros = " +zeros:";
    if (text.starts_with(kInteger)) {
        const auto number = ParseNumber<std::int32_t>(text.substr(kInteger.size()));
        if (!number) {
            return std::nullopt;
        }
        StoreValue value{StoreValueType::Integer32, std::string(4, '\0')};
        const auto bits = static_cast<std::uint32_t>(*number);
        for (std::size_t index = 0; index < 4; ++index) {
            value.bytes[index] = static_cast<char>((bits >> (8 * index)) & 0xFF);
        }
        return value;
    }
    if (!text.starts_with(kText)) {
        return std::nullopt;
    }
    std::size_t at = kText.size();
    auto bytes = UnquoteText(text, at);
    if (!bytes) {
        return std::nullopt;
    }
    std::string_view rest = text.substr(at);
    if (!rest.empty()) {
        if (!rest.starts_with(kZeros)) {
            return std::nullopt;
        }
        const auto zeros = ParseNumber<std::uint32_t>(rest.substr(kZeros.size()));
        if (!zeros) {
            return std::nullopt;
        }
        // Beyond the limit the caller refuses the text; only that much is made.
        bytes->append(std::min<std::size_t>(*zeros, StoreTree::kMaxValueBytes + 1), '\0');
    }
    return StoreValue{StoreValueType::Text, std::move(*bytes)};
}

std::string FormatValue(const StoreValue& value) {
    if (value.type == StoreValueType::Integer32) {
        std::uint32_t bits = 0;
        for (std::size_t index = value.bytes.size(); index-- > 0;) {
            bits = (bits << 8) | static_cast<unsigned char>(value.bytes[index]);
        }
        return "integer:" + std::to_string(static_cast<std::int32_t>(bits));
    }
    std::string_view bytes = value.bytes;
    std::size_t zeros = 0;
    while (zeros < bytes.size() && bytes[bytes.size() - 1 - zeros] == '\0') {
        ++zeros;
    }
    std::string out = "text:" + QuoteText(bytes.substr(0, bytes.size() - zeros));
    if (zeros > 0) {
        out += " +zeros:" + std::to_string(zeros);
    }
    return out;
}

}  // namespace

StoreTree::Key* StoreTree::findKey(std::string_view keyPath) {
    const auto found = keys_.find(AsciiLower(NormalisedPath(keyPath)));
    return found == keys_.end() ? nullptr : &found->second;
}

const StoreTree::Key* StoreTree::findKey(std::string_view keyPath) const {
    const auto found = keys_.find(AsciiLower(NormalisedPath(keyPath)));
    return found == keys_.end() ? nullptr : &found->second;
}

bool StoreTree::keyExists(std::string_view keyPath) const {
    return findKey(keyPath) != nullptr;
}

bool StoreTree::KeyPathFits(std::string_view keyPath) {
    const std::string path = NormalisedPath(keyPath);
    if (path.empty()) {
        return false;
    }
    std::size_t levels = 0;
    for (std::size_t start = 0; start <= path.size();) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        if (++levels > kMaxKeyDepth || end - start > kMaxKeyNameBytes) {
            return false;
        }
        start = end + 1;
    }
    return true;
}

StoreStatus StoreTree::createKey(std::string_view keyPath) {
    const std::string path = NormalisedPath(keyPath);
    if (path.empty()) {
        return StoreStatus::KeyMissing;
    }
    if (!KeyPathFits(path)) {
        return StoreStatus::Refused;
    }
    const std::string lower = AsciiLower(path);
    if (keys_.contains(lower)) {
        return StoreStatus::Ok;  // an existing key already has its parents
    }
    // Below its nearest existing parent a new key is spelled as that parent
    // is, so that the text form, which names only the deepest keys, reads
    // back with every key spelled as before.
    std::string spelled = path;
    for (std::size_t end = path.rfind('\\'); end != std::string::npos && end > 0;
         end = path.rfind('\\', end - 1)) {
        const auto parent = keys_.find(std::string_view(lower).substr(0, end));
        if (parent != keys_.end()) {
            spelled.replace(0, end, parent->second.path);
            break;
        }
    }
    // From the key itself up: an existing key already has its parents.
    for (std::size_t end = path.size(); end != std::string::npos && end > 0;
         end = end == 0 ? std::string::npos : path.rfind('\\', end - 1)) {
        if (!keys_.try_emplace(lower.substr(0, end), Key{spelled.substr(0, end), {}}).second) {
            break;
        }
    }
    return StoreStatus::Ok;
}

StoreStatus StoreTree::deleteKey(std::string_view keyPath) {
    const std::string lower = AsciiLower(NormalisedPath(keyPath));
    if (keys_.erase(lower) == 0) {
        return StoreStatus::KeyMissing;
    }
    const std::string childPrefix = lower + "\\";
    std::erase_if(keys_, [&](const auto& entry) { return entry.first.starts_with(childPrefix); });
    return StoreStatus::Ok;
}

std::optional<StoreValue> StoreTree::readValue(std::string_view keyPath,
                                               std::string_view valueName) const {
    const Key* key = findKey(keyPath);
    if (key == nullptr) {
        return std::nullopt;
    }
    for (const auto& named : key->values) {
        if (SameName(named.name, valueName)) {
            return named.value;
        }
    }
    return std::nullopt;
}

StoreStatus StoreTree::writeValue(std::string_view keyPath, std::string_view valueName,
                                  const StoreValue& value) {
    Key* key = findKey(keyPath);
    if (key == nullptr) {
        return StoreStatus::KeyMissing;
    }
    if (valueName.size() > kMaxValueNameBytes || value.bytes.size() > kMaxValueBytes) {
        return StoreStatus::Refused;
    }
    for (auto& named : key->values) {
        if (SameName(named.name, valueName)) {
            named.value = value;
            return StoreStatus::Ok;
        }
    }
    if (key->values.size() >= kMaxValuesPerKey) {
        return StoreStatus::Refused;
    }
    key->values.push_back({std::string(valueName), value});
    return StoreStatus::Ok;
}

StoreStatus StoreTree::deleteValue(std::string_view keyPath, std::string_view valueName) {
    Key* key = findKey(keyPath);
    if (key == nullptr) {
        return StoreStatus::KeyMissing;
    }
    const auto erased = std::erase_if(
        key->values, [&](const NamedValue& named) { return SameName(named.name, valueName); });
    return erased > 0 ? StoreStatus::Ok : StoreStatus::ValueMissing;
}

std::string StoreTree::serialize() const {
    std::string out(kHeader);
    for (auto entry = keys_.begin(); entry != keys_.end(); ++entry) {
        const auto& [lower, key] = *entry;
        if (key.values.empty()) {
            const std::string childPrefix = lower + "\\";
            const auto child = keys_.lower_bound(childPrefix);
            if (child != keys_.end() && child->first.starts_with(childPrefix)) {
                continue;  // implied by its child
            }
        }
        out += "[" + EscapeKeyPath(key.path) + "]\n";
        for (const auto& named : key.values) {
            out += named.name.empty() ? std::string("@") : QuoteText(named.name);
            out += "=" + FormatValue(named.value) + "\n";
        }
    }
    return out;
}

StoreTree::Parsed StoreTree::parse(std::string_view text) {
    Parsed result;
    int lineNumber = 0;
    const auto cannotFollow = [&](std::string_view why) {
        result.tree.reset();
        result.problem = "line " + std::to_string(lineNumber) + ": " + std::string(why);
        return result;
    };
    const auto leaveOut = [&](std::string_view why) {
        if (result.linesLeftOut++ == 0) {
            result.problem = "line " + std::to_string(lineNumber) + ": " + std::string(why);
        }
    };
    if (text.size() > kMaxTextBytes) {
        return cannotFollow("the file is larger than " + std::to_string(kMaxTextBytes) + " bytes");
    }
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    StoreTree& tree = result.tree.emplace();
    Key* current = nullptr;
    // The lower-cased value names met so far in each key: duplicates are found
    // without scanning the values.
    std::map<const Key*, std::unordered_set<std::string>> namesSeen;
    std::size_t heldBytes = 0;
    int linesRead = 0;
    int contentLines = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line.front() == ';') {
            continue;
        }
        ++contentLines;
        if (line.front() == '[') {
            current = nullptr;
            if (line.back() != ']' || line.size() < 3) {
                leaveOut("a key line must be [path]");
                continue;
            }
            const auto path = UnescapeKeyPath(line.substr(1, line.size() - 2));
            if (!path || NormalisedPath(*path).empty()) {
                leaveOut("bad key path");
                continue;
            }
            if (!KeyPathFits(*path)) {
                return cannotFollow("a key deeper than " + std::to_string(kMaxKeyDepth) +
                                    " levels or with a name longer than " +
                                    std::to_string(kMaxKeyNameBytes) + " bytes");
            }
            heldBytes += path->size();
            tree.createKey(*path);
            current = tree.findKey(*path);
            ++linesRead;
            continue;
        }
        if (current == nullptr) {
            leaveOut("a value outside any readable key");
            continue;
        }
        std::string name;
        std::size_t at = 0;
        if (line.front() == '@') {
            at = 1;
        } else {
            auto quoted = UnquoteText(line, at);
            if (!quoted || quoted->empty()) {
                leaveOut("bad value name");
                continue;
            }
            name = std::move(*quoted);
        }
        if (at >= line.size() || line[at] != '=') {
            leaveOut("expected = after the value name");
            continue;
        }
        auto value = ParseValue(line.substr(at + 1));
        if (!value) {
            leaveOut("bad value");
            continue;
        }
        if (name.size() > kMaxValueNameBytes || value->bytes.size() > kMaxValueBytes) {
            return cannotFollow("a value or its name beyond the store's limits");
        }
        if (!namesSeen[current].insert(AsciiLower(name)).second) {
            leaveOut("value named twice");
            continue;
        }
        heldBytes += name.size() + value->bytes.size();
        if (current->values.size() >= kMaxValuesPerKey || heldBytes > kMaxHeldBytes) {
            return cannotFollow("more values than the store holds");
        }
        current->values.push_back({std::move(name), std::move(*value)});
        ++linesRead;
    }
    if (contentLines > 0 && linesRead == 0) {
        lineNumber = 1;
        return cannotFollow("no line is a key or a value");
    }
    return result;
}

}  // namespace veltranix
