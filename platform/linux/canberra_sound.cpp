#include "platform/linux/canberra_sound.h"

#include <canberra.h>

#include <system_error>

namespace veltranix {
namespace {

// All the program's sounds share one id, so that one can cut or respect another.
constexpr std::uint32_t kSoundId = 1;

}  // namespace

CanberraSound::CanberraSound() {
    if (ca_context_create(&context_) != CA_SUCCESS) {
        context_ = nullptr;
        return;
    }
    ca_context_change_props(context_, CA_PROP_APPLICATION_NAME, "Veltranix", CA_PROP_APPLICATION_ID,
                            "org.veltranix.Veltranix", nullptr);
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
