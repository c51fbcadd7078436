#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace veltranix {

enum class StoreStatus {
    Ok,
    KeyMissing,
    ValueMissing,
    WriteFailed,  // the change is held in memory but could not be saved
    Refused,      // beyond the store's limits (too deep, too long, too many): nothing changed
};

enum class StoreValueType {
    Integer32,
    Text,
};

// A stored value: a 32-bit integer (four little-endian bytes) or text bytes.
// Text may carry a NUL and zero filler after it (a "padded" text); readers
// stop at the first NUL.
struct StoreValue {
    StoreValueType type = StoreValueType::Text;
    std::string bytes;

    friend bool operator==(const StoreValue&, const StoreValue&) = default;
};

// The hierarchical settings store: keys hold named values; key paths use
// backslashes ("Software\\Veltranix\\Perfil"); key and value names compare
// without regard to ASCII case; the empty value name is the key's unnamed
// default value. Used from the GUI thread only.
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;

    virtual bool keyExists(std::string_view keyPath) const = 0;
    // Creates the key and any missing parent; an existing key is kept as it is.
    virtual StoreStatus createKey(std::string_view keyPath) = 0;
    // Deletes the key with its values and subkeys.
    virtual StoreStatus deleteKey(std::string_view keyPath) = 0;
    virtual std::optional<StoreValue> readValue(std::string_view keyPath,
                                                std::string_view valueName) const = 0;
    // Fails with KeyMissing unless the key exists.
    virtual StoreStatus writeValue(std::string_view keyPath, std::string_view valueName,
                                   const StoreValue& value) = 0;
    virtual StoreStatus deleteValue(std::string_view keyPath, std::string_view valueName) = 0;
};

// Typed access with the buffer rules of the program's readers.
std::optional<std::int32_t> ReadInteger(const SettingsStore& store, std::string_view keyPath,
                                        std::string_view valueName);
// Text of any stored type, cut at the first NUL and at `bufferBytes` - 1 bytes.
std::optional<std::string> ReadText(const SettingsStore& store, std::string_view keyPath,
                                    std::string_view valueName, std::size_t bufferBytes);
StoreStatus WriteInteger(SettingsStore& store, std::string_view keyPath, std::string_view valueName,
                         std::int32_t value);
// Text stored with its own length, no NUL.
StoreStatus WriteBareText(SettingsStore& store, std::string_view keyPath,
                          std::string_view valueName, std::string_view text);
// Text stored with a fixed length: the text, a NUL, zero filler. A text that
// does not fit with its NUL is refused with WriteFailed.
StoreStatus WritePaddedText(SettingsStore& store, std::string_view keyPath,
                            std::string_view valueName, std::string_view text,
                            std::size_t storedBytes);

// The first failure of a sequence of store operations.
inline StoreStatus FirstFailure(StoreStatus sofar, StoreStatus next) {
    return sofar != StoreStatus::Ok ? sofar : next;
}

}  // namespace veltranix
