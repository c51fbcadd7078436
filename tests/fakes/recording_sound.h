#pragma once

#include <filesystem>
#include <vector>

#include "core/feedback_port.h"
#include "tests/fakes/event_journal.h"

namespace veltranix::testing {

struct PlayedSound {
    std::filesystem::path file;
    SoundOverlap overlap;
};

// Records the sounds played.
class RecordingSound : public SoundPort {
  public:
    void play(const std::filesystem::path& waveFile, SoundOverlap overlap) override {
        Note(journal, "sound " + waveFile.filename().string());
        played.push_back({waveFile, overlap});
    }

    std::vector<PlayedSound> played;
    EventJournal* journal = nullptr;
};

}  // namespace veltranix::testing
