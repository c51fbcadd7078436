#include "core/settings_store.h"

namespace veltranix {

std::optional<std::int32_t> ReadInteger(const SettingsStore& store, std::string_view keyPath,
                                        std::string_view valueName) {
    const auto value = store.readValue(keyPath, valueName);
    if (!value || value->type != StoreValueType::Integer32 || value->bytes.size() != 4) {
        return std::nullopt;
    }
    std::uint32_t bits = 0;
    for (int index = 3; index >= 0; --index) {
        bits =
            (bits << 8) | static_cast<unsigned char>(value->bytes[static_cast<std::size_t>(index)]);
    }
    return static_cast<std::int32_t>(bits);
}

std::optional<std::string> ReadText(const SettingsStore& store, std::string_view keyPath,
                                    std::string_view valueName, std::size_t bufferBytes) {
    const auto value = store.readValue(keyPath, valueName);
    if (!value || bufferBytes == 0) {
        return std::nullopt;
    }
    std::string_view text = value->bytes;
    text = text.substr(0, text.find('\0'));
    return std::string(text.substr(0, bufferBytes - 1));
}

StoreStatus WriteInteger(SettingsStore& store, std::string_view keyPath, std::string_view valueName,
                         std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    std::string bytes(4, '\0');
    for (std::size_t index = 0; index < 4; ++index) {
        bytes[index] = static_cast<char>((bits >> (8 * index)) & 0xFF);
    }
    return store.writeValue(keyPath, valueName, {StoreValueType::Integer32, std::move(bytes)});
}

StoreStatus WriteBareText(SettingsStore& store, std::string_view keyPath,
                          std::string_view valueName, std::string_view text) {
    return store.writeValue(keyPath, valueName, {StoreValueType::Text, std::string(text)});
}

StoreStatus WritePaddedText(SettingsStore& store, std::string_view keyPath,
                            std::string_view valueName, std::string_view text,
                            std::size_t storedBytes) {
    if (text.size() + 1 > storedBytes) {
        return StoreStatus::WriteFailed;
    }
    std::string bytes(text);
    bytes.resize(storedBytes, '\0');
    return store.writeValue(keyPath, valueName, {StoreValueType::Text, std::move(bytes)});
}

}  // namespace veltranix
