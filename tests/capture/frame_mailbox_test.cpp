#include "capture/frame_mailbox.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace veltranix {
namespace {

// Publishes a frame whose every byte is the low byte of its sequence number.
void PublishNumbered(FrameMailbox& mailbox, std::uint64_t sequence, FrameLayout layout) {
    std::vector<std::uint8_t>& back = mailbox.back();
    back.assign(FrameBufferBytes(layout), static_cast<std::uint8_t>(sequence));
    mailbox.publish(layout);
}

TEST(FrameMailbox, TakesTheNewestFrameOnce) {
    FrameMailbox mailbox;
    std::vector<std::uint8_t> bytes;
    FrameLayout layout = FrameLayout::Rgb24BottomUp;
    EXPECT_FALSE(mailbox.take(bytes, layout).has_value());

    PublishNumbered(mailbox, 1, FrameLayout::I420);
    EXPECT_EQ(mailbox.take(bytes, layout), 1u);
    EXPECT_EQ(layout, FrameLayout::I420);
    EXPECT_EQ(bytes.size(), FrameBufferBytes(FrameLayout::I420));
    EXPECT_FALSE(mailbox.take(bytes, layout).has_value());

    PublishNumbered(mailbox, 2, FrameLayout::Yuy2);
    PublishNumbered(mailbox, 3, FrameLayout::Yuy2);
    EXPECT_EQ(mailbox.take(bytes, layout), 3u);
    EXPECT_EQ(bytes.front(), 3);
    EXPECT_EQ(bytes.back(), 3);
    EXPECT_FALSE(mailbox.take(bytes, layout).has_value());
}

TEST(FrameMailbox, WaitUntilTakenSeesTheTake) {
    FrameMailbox mailbox;
    EXPECT_TRUE(mailbox.waitUntilTaken(std::chrono::milliseconds(0)));  // nothing outstanding
    PublishNumbered(mailbox, 1, FrameLayout::Yuy2);
    EXPECT_FALSE(mailbox.waitUntilTaken(std::chrono::milliseconds(1)));
    std::thread taker([&] {
        std::vector<std::uint8_t> bytes;
        FrameLayout layout{};
        mailbox.take(bytes, layout);
    });
    EXPECT_TRUE(mailbox.waitUntilTaken(std::chrono::seconds(30)));
    taker.join();
}

// A capture thread publishes as fast as it can while this thread takes: every
// frame taken is whole (all its bytes the same number), and newer than the
// one before.
TEST(FrameMailbox, NoTornOrRepeatedFrameAcrossThreads) {
    FrameMailbox mailbox;
    constexpr std::uint64_t kFrames = 3000;
    std::atomic<bool> done{false};
    std::thread capture([&] {
        for (std::uint64_t sequence = 1; sequence <= kFrames; ++sequence) {
            PublishNumbered(mailbox, sequence,
                            sequence % 2 == 0 ? FrameLayout::I420 : FrameLayout::Yuy2);
        }
        done = true;
    });
    std::vector<std::uint8_t> bytes;
    FrameLayout layout{};
    std::uint64_t previous = 0;
    int taken = 0;
    int torn = 0;
    int repeated = 0;
    while (true) {
        const bool finished = done.load();
        if (const std::optional<std::uint64_t> sequence = mailbox.take(bytes, layout)) {
            ++taken;
            repeated += *sequence <= previous ? 1 : 0;
            previous = *sequence;
            const FrameLayout expected = *sequence % 2 == 0 ? FrameLayout::I420 : FrameLayout::Yuy2;
            const std::vector<std::uint8_t> whole(FrameBufferBytes(expected),
                                                  static_cast<std::uint8_t>(*sequence));
            torn += layout == expected && bytes == whole ? 0 : 1;
        } else if (finished) {
            break;
        }
    }
    capture.join();
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(repeated, 0);
    EXPECT_EQ(previous, kFrames);  // the last frame is never lost
    EXPECT_GT(taken, 1);
}

}  // namespace
}  // namespace veltranix
