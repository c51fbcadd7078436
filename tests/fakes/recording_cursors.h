#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "core/feedback_port.h"
#include "tests/fakes/event_journal.h"

namespace veltranix::testing {

// Records cursor changes: "install <file name>", "restore", "hand".
class RecordingCursors : public CursorPort {
  public:
    bool installAnimatedCursor(const std::filesystem::path& aniFile) override {
        Record("install " + aniFile.filename().string());
        installedFiles.push_back(aniFile);
        return installSucceeds;
    }
    void restoreSystemCursors() override { Record("restore"); }
    void showHandCursor() override { Record("hand"); }

    std::vector<std::string> events;
    std::vector<std::filesystem::path> installedFiles;
    bool installSucceeds = true;
    EventJournal* journal = nullptr;

  private:
    void Record(std::string event) {
        Note(journal, event);
        events.push_back(std::move(event));
    }
};

}  // namespace veltranix::testing
