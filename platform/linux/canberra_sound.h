#pragma once

#include <string>

#include "core/feedback_port.h"

struct ca_context;

namespace veltranix {

// Event sounds through libcanberra (PulseAudio, PipeWire or ALSA, whichever
// the desktop has). Playing never blocks; a missing file, no sound server or
// any other failure plays nothing and reports nothing; problem() says at
// start-up when no sound can be played at all.
class CanberraSound : public SoundPort {
  public:
    CanberraSound();
    ~CanberraSound() override;
    CanberraSound(const CanberraSound&) = delete;
    CanberraSound& operator=(const CanberraSound&) = delete;

    void play(const std::filesystem::path& waveFile, SoundOverlap overlap) override;
    // Empty when a sound output was found.
    const std::string& problem() const { return problem_; }

  private:
    ca_context* context_ = nullptr;
    std::string problem_;
};

}  // namespace veltranix
