#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings_store.h"

namespace veltranix {

// The settings store held in memory, with its text form:
//
//   ; comment
//   [Software\Veltranix\Menu_conf_Webcam]
//   "invertir"=integer:1
//   "OffSetRefUll"=text:"-12"
//   "perfil"=text:"Default.cfg" +zeros:245
//   @=text:"/opt/veltranix"
//
// Names keep the spelling they were created with and compare without regard
// to ASCII case. In quoted texts \\ \" \n \r \t and \xNN escape bytes; in key
// paths %XX escapes '%', ']' and control bytes.
class StoreTree : public SettingsStore {
  public:
    bool keyExists(std::string_view keyPath) const override;
    StoreStatus createKey(std::string_view keyPath) override;
    StoreStatus deleteKey(std::string_view keyPath) override;
    std::optional<StoreValue> readValue(std::string_view keyPath,
                                        std::string_view valueName) const override;
    StoreStatus writeValue(std::string_view keyPath, std::string_view valueName,
                           const StoreValue& value) override;
    StoreStatus deleteValue(std::string_view keyPath, std::string_view valueName) override;

    std::string serialize() const;
    // Nullopt for text that is not a store; `error` then says where and why.
    static std::optional<StoreTree> parse(std::string_view text, std::string* error);

    bool operator==(const StoreTree& other) const { return keys_ == other.keys_; }

  private:
    struct NamedValue {
        std::string name;
        StoreValue value;
        friend bool operator==(const NamedValue&, const NamedValue&) = default;
    };
    struct Key {
        std::string path;
        std::vector<NamedValue> values;
        friend bool operator==(const Key&, const Key&) = default;
    };

    Key* findKey(std::string_view keyPath);
    const Key* findKey(std::string_view keyPath) const;

    // Keyed by the lower-cased path.
    std::map<std::string, Key> keys_;
};

}  // namespace veltranix
