#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "core/shell_port.h"

namespace veltranix::testing {

// Opens nothing: answers each command with the result set for it (success
// by default) and records what it was asked to open.
class FakeShell : public ShellPort {
  public:
    int open(const std::string& command) override {
        std::lock_guard lock(mutex_);
        opened_.push_back(command);
        const auto found = results_.find(command);
        return found == results_.end() ? kShellOpened : found->second;
    }
    void setResult(const std::string& command, int result) {
        std::lock_guard lock(mutex_);
        results_[command] = result;
    }
    std::vector<std::string> opened() const {
        std::lock_guard lock(mutex_);
        return opened_;
    }

  private:
    mutable std::mutex mutex_;
    std::map<std::string, int> results_;
    std::vector<std::string> opened_;
};

// A clipboard holding whatever the test put in it.
class FakeClipboard : public ClipboardPort {
  public:
    std::string text() const override { return content; }
    std::string content;
};

}  // namespace veltranix::testing
