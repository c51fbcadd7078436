#pragma once

#include <cstdint>

#include "settings/settings.h"
#include "settings/settings_persistence.h"
#include "tracking/tracking_windows_port.h"

namespace veltranix {

// Calibration's writes go through the settings persistence. GUI thread.
class PersistenceActions : public TrackingSettingsActions {
  public:
    PersistenceActions(Settings& settings, SettingsPersistence& persistence)
        : settings_(settings), persistence_(persistence) {}
    void saveGestureLevels(std::int32_t nivellUll, std::int32_t nivellBoca) override {
        settings_.nivellUll = nivellUll;
        settings_.nivellBoca = nivellBoca;
        persistence_.SaveGestureLevels();
    }
    void applyWebcamSettings() override { persistence_.ApplyWebcamSettings(); }

  private:
    Settings& settings_;
    SettingsPersistence& persistence_;
};

}  // namespace veltranix
