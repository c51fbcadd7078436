#include "platform/linux/canberra_sound.h"

#include <canberra.h>

#include <system_error>

namespace veltranix {
namespace {

// All the program's sounds share one id, so that one can cut or respect another.
constexpr std::uint32_t kSoundId = 1;

}  // namespace

CanberraSound::CanberraSound() {
    if (const int created = ca_context_create(&context_); created != CA_SUCCESS) {
        context_ = nullptr;
        problem_ = ca_strerror(created);
        return;
    }
    ca_context_change_props(context_, CA_PROP_APPLICATION_NAME, "Veltranix", CA_PROP_APPLICATION_ID,
                            "org.veltranix.Veltranix", nullptr);
    // Opened now to learn whether there is a sound output; playing opens it
    // again later when it was not there.
    if (const int opened = ca_context_open(context_); opened != CA_SUCCESS) {
        problem_ = ca_strerror(opened);
    }
}

CanberraSound::~CanberraSound() {
    if (context_ != nullptr) {
        ca_context_destroy(context_);
    }
}

void CanberraSound::play(const std::filesystem::path& waveFile, SoundOverlap overlap) {
    std::error_code error;
    if (context_ == nullptr || !std::filesystem::is_regular_file(waveFile, error)) {
        return;
    }
    if (overlap == SoundOverlap::DoNotInterrupt) {
        int playing = 0;
        if (ca_context_playing(context_, kSoundId, &playing) == CA_SUCCESS && playing != 0) {
            return;
        }
    } else {
        ca_context_cancel(context_, kSoundId);
    }
    ca_context_play(context_, kSoundId, CA_PROP_MEDIA_FILENAME, waveFile.c_str(),
                    CA_PROP_MEDIA_ROLE, "event", nullptr);
}

}  // namespace veltranix
