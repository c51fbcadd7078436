#pragma once

#include <functional>
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
//
// A hand-edited or hostile file is bounded: the limits below hold for what is
// read and for what is written.
class StoreTree : public SettingsStore {
  public:
    static constexpr std::size_t kMaxTextBytes = 1 << 20;
    static constexpr std::size_t kMaxKeyDepth = 32;
    static constexpr std::size_t kMaxKeyNameBytes = 255;  // each level, as registry keys
    static constexpr std::size_t kMaxValueNameBytes = 16383;
    static constexpr std::size_t kMaxValueBytes = 1 << 16;
    static constexpr std::size_t kMaxValuesPerKey = 1024;
    // Everything held, padding included, so that a small file cannot grow large.
    static constexpr std::size_t kMaxHeldBytes = 4 << 20;

    // What parse made of a text.
    struct Parsed;

    bool keyExists(std::string_view keyPath) const override;
    StoreStatus createKey(std::string_view keyPath) override;
    StoreStatus deleteKey(std::string_view keyPath) override;
    std::optional<StoreValue> readValue(std::string_view keyPath,
                                        std::string_view valueName) const override;
    StoreStatus writeValue(std::string_view keyPath, std::string_view valueName,
                           const StoreValue& value) override;
    StoreStatus deleteValue(std::string_view keyPath, std::string_view valueName) override;

    // Keys without values that only lead to other keys are implied by them
    // and not written, so the text grows with what the store holds.
    std::string serialize() const;
    // A UTF-8 byte-order mark and CR LF line ends are accepted. A line that
    // cannot be read is left out (a value of it counts as missing); text
    // beyond a limit, or with no line that can be read, cannot be followed.
    static Parsed parse(std::string_view text);

    bool operator==(const StoreTree& other) const { return keys_ == other.keys_; }

    // The key path's levels fit the limits (and it names a key at all).
    static bool KeyPathFits(std::string_view keyPath);

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

    // Keyed by the lower-cased path; looked up by view.
    std::map<std::string, Key, std::less<>> keys_;
};

struct StoreTree::Parsed {
    std::optional<StoreTree> tree;  // none: the text cannot be followed at all
    std::string problem;            // why not, or the first line left out
    int linesLeftOut = 0;
};

}  // namespace veltranix
