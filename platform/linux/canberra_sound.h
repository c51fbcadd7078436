#pragma once

#include "core/feedback_port.h"

struct ca_context;

namespace veltranix {

// Event sounds through libcanberra (PulseAudio, PipeWire or ALSA, whichever
// the desktop has). Playing never blocks; a missing file, no sound server or
// any other failure plays nothing and reports nothing.
class CanberraSound : public SoundPort {
  public:
    CanberraSound();
    ~CanberraSound() override;
    CanberraSound(const CanberraSound&) = delete;
    CanberraSound& operator=(const CanberraSound&) = delete;

    void play(const std::filesystem::path& waveFile, SoundOverlap overlap) override;

  private:
    ca_context* context_ = nullptr;
};

}  // namespace veltranix
