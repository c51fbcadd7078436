#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "macros/macro_player.h"

namespace veltranix::testing {

// Records what playback shows; the shell error "closes" as soon as the
// optional hook has run, unless the box is to stay open.
class FakeMacroPlaybackDisplay : public MacroPlaybackDisplayPort {
  public:
    struct Progress {
        int barPosition;
        std::string counter;
    };

    void showProgress() override { add("show"); }
    void updateProgress(int barPosition, std::string_view counterText) override {
        std::lock_guard lock(mutex_);
        progress_.push_back({barPosition, std::string(counterText)});
    }
    void hideProgress() override { add("hide"); }
    void closeProgress() override { add("close"); }
    void showShellError(std::string_view text, std::function<void()> closed) override {
        add("error");
        {
            std::lock_guard lock(mutex_);
            errors_.emplace_back(text);
        }
        if (whileErrorShows) {
            whileErrorShows();
        }
        if (!errorStaysOpen) {
            closed();
        }
    }

    std::vector<std::string> calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    std::vector<Progress> progress() const {
        std::lock_guard lock(mutex_);
        return progress_;
    }
    std::vector<std::string> errors() const {
        std::lock_guard lock(mutex_);
        return errors_;
    }

    std::function<void()> whileErrorShows;
    bool errorStaysOpen = false;

  private:
    void add(const char* call) {
        std::lock_guard lock(mutex_);
        calls_.emplace_back(call);
    }
    mutable std::mutex mutex_;
    std::vector<std::string> calls_;
    std::vector<Progress> progress_;
    std::vector<std::string> errors_;
};

}  // namespace veltranix::testing
