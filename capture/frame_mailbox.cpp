#include "capture/frame_mailbox.h"

namespace veltranix {

void FrameMailbox::publish(FrameLayout layout) {
    std::lock_guard lock(mutex_);
    front_.swap(back_);
    frontLayout_ = layout;
    ++publishedSequence_;
}

bool FrameMailbox::waitUntilTaken(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return taken_.wait_for(lock, timeout, [this] { return takenSequence_ == publishedSequence_; });
}

std::optional<std::uint64_t> FrameMailbox::take(std::vector<std::uint8_t>& bytes,
                                                FrameLayout& layout) {
    std::uint64_t sequence = 0;
    {
        std::lock_guard lock(mutex_);
        if (publishedSequence_ == takenSequence_) {
            return std::nullopt;
        }
        // The caller's old buffer becomes the next one filled: no copy.
        bytes.swap(front_);
        layout = frontLayout_;
        takenSequence_ = sequence = publishedSequence_;
    }
    taken_.notify_all();
    return sequence;
}

}  // namespace veltranix
