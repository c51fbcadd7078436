#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "capture/capture_frame.h"

namespace veltranix {

// Hands frames from a capture thread to the GUI thread: the capture thread
// fills the back buffer and publishes it, which swaps it with the front
// buffer under the lock; the GUI thread swaps its own buffer with the front
// buffer under the same lock. So the GUI never sees a half-written frame,
// gets the newest one, and never the same one twice, and no frame is copied.
class FrameMailbox {
  public:
    // Capture thread only: the buffer to fill before `publish`. It holds an
    // older frame or nothing: the producer sizes it.
    std::vector<std::uint8_t>& back() { return back_; }
    // Capture thread only: the back buffer becomes the newest frame.
    void publish(FrameLayout layout);
    // Capture thread only: waits until the newest frame has been taken or
    // `timeout` has passed; true when it was taken.
    bool waitUntilTaken(std::chrono::milliseconds timeout);

    // GUI thread: swaps the newest frame not taken before into `bytes` and
    // returns its sequence number (1 for the first published frame); none
    // when nothing new was published since the last take.
    std::optional<std::uint64_t> take(std::vector<std::uint8_t>& bytes, FrameLayout& layout);

  private:
    std::vector<std::uint8_t> back_;
    std::mutex mutex_;
    std::condition_variable taken_;
    std::vector<std::uint8_t> front_;
    FrameLayout frontLayout_ = FrameLayout::Rgb24BottomUp;
    std::uint64_t publishedSequence_ = 0;
    std::uint64_t takenSequence_ = 0;
};

}  // namespace veltranix
