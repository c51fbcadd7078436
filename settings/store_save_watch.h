#pragma once

#include <functional>

#include "core/settings_store.h"

namespace veltranix {

// Passes every operation on to a store and calls `onSavesFailing` when a
// change could not be saved: once, until a change is saved again, so that the
// user hears of it once however many changes follow. GUI thread.
class StoreSaveWatch : public SettingsStore {
  public:
    StoreSaveWatch(SettingsStore& store, std::function<void()> onSavesFailing)
        : store_(store), onSavesFailing_(std::move(onSavesFailing)) {}

    bool keyExists(std::string_view keyPath) const override { return store_.keyExists(keyPath); }
    StoreStatus createKey(std::string_view keyPath) override {
        return noted(store_.createKey(keyPath), Operation::MaySkipSaving);
    }
    StoreStatus deleteKey(std::string_view keyPath) override {
        return noted(store_.deleteKey(keyPath), Operation::MaySkipSaving);
    }
    std::optional<StoreValue> readValue(std::string_view keyPath,
                                        std::string_view valueName) const override {
        return store_.readValue(keyPath, valueName);
    }
    StoreStatus writeValue(std::string_view keyPath, std::string_view valueName,
                           const StoreValue& value) override {
        return noted(store_.writeValue(keyPath, valueName, value), Operation::AlwaysSaves);
    }
    StoreStatus deleteValue(std::string_view keyPath, std::string_view valueName) override {
        return noted(store_.deleteValue(keyPath, valueName), Operation::MaySkipSaving);
    }

    bool savesFailing() const { return savesFailing_; }

  private:
    // Creating a key that exists succeeds without a save: only a written
    // value proves that saving works again.
    enum class Operation { AlwaysSaves, MaySkipSaving };

    StoreStatus noted(StoreStatus status, Operation operation) {
        if (status == StoreStatus::WriteFailed && !savesFailing_) {
            savesFailing_ = true;
            onSavesFailing_();
        } else if (status == StoreStatus::Ok && operation == Operation::AlwaysSaves) {
            savesFailing_ = false;
        }
        return status;
    }

    SettingsStore& store_;
    std::function<void()> onSavesFailing_;
    bool savesFailing_ = false;
};

}  // namespace veltranix
