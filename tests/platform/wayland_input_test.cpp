// The Wayland input pieces that need no compositor: the uinput event writer
// on a pipe, the monitor of a desktop point, and where the pointer is
// believed to be.
#include <gtest/gtest.h>
#include <linux/input.h>
#include <unistd.h>

#include <csignal>

#include <vector>

#include "platform/linux/input_backend.h"
#include "platform/linux/pointer_whereabouts.h"
#include "platform/linux/uinput_device.h"

namespace veltranix {
namespace {

struct Event {
    std::uint16_t type = 0;
    std::uint16_t code = 0;
    std::int32_t value = 0;
    friend bool operator==(const Event&, const Event&) = default;
};

std::vector<Event> ReadEvents(int fd) {
    std::vector<Event> events;
    input_event raw{};
    while (read(fd, &raw, sizeof raw) == static_cast<ssize_t>(sizeof raw)) {
        events.push_back({raw.type, raw.code, raw.value});
    }
    return events;
}

TEST(UinputEventWriterTest, WritesAMoveAClickAndAKeyAsTheKernelReadsThem) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    UinputEventWriter writer(fds[1]);
    ASSERT_TRUE(writer.moveTo(640, 511));
    ASSERT_TRUE(writer.key(BTN_LEFT, KeyDirection::Press));
    ASSERT_TRUE(writer.key(BTN_LEFT, KeyDirection::Release));
    ASSERT_TRUE(writer.key(KEY_A, KeyDirection::Press));
    ASSERT_TRUE(writer.key(KEY_A, KeyDirection::Release));
    close(fds[1]);
    const std::vector<Event> expected{
        {EV_ABS, ABS_X, 640},    {EV_ABS, ABS_Y, 511},    {EV_SYN, SYN_REPORT, 0},
        {EV_KEY, BTN_LEFT, 1},   {EV_SYN, SYN_REPORT, 0}, {EV_KEY, BTN_LEFT, 0},
        {EV_SYN, SYN_REPORT, 0}, {EV_KEY, KEY_A, 1},      {EV_SYN, SYN_REPORT, 0},
        {EV_KEY, KEY_A, 0},      {EV_SYN, SYN_REPORT, 0},
    };
    EXPECT_EQ(ReadEvents(fds[0]), expected);
    close(fds[0]);
}

TEST(UinputEventWriterTest, AClosedDeviceIsAFailureNotASilentLoss) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    close(fds[0]);
    signal(SIGPIPE, SIG_IGN);
    UinputEventWriter writer(fds[1]);
    EXPECT_FALSE(writer.key(KEY_A, KeyDirection::Press));
    close(fds[1]);
}

TEST(MonitorPointForTest, FindsTheMonitorAndThePointOnIt) {
    // Two monitors side by side, the second shorter, and one above the first.
    const std::vector<ScreenRect> monitors{
        {0, 0, 1280, 1024}, {1280, 0, 3200, 800}, {0, -768, 1024, 0}};
    const struct {
        ScreenPoint point;
        std::optional<MonitorPoint> expected;
    } cases[] = {
        {{1279, 1023}, MonitorPoint{0, {1279, 1023}}},
        {{1280, 0}, MonitorPoint{1, {0, 0}}},
        {{2000, 500}, MonitorPoint{1, {720, 500}}},
        {{500, -1}, MonitorPoint{2, {500, 767}}},
        // Below the shorter monitor: onto the nearest edge.
        {{2000, 900}, MonitorPoint{1, {720, 799}}},
        // Beyond every monitor.
        {{5000, 100}, MonitorPoint{1, {1919, 100}}},
    };
    for (const auto& one : cases) {
        SCOPED_TRACE(testing::Message() << one.point.x << "," << one.point.y);
        EXPECT_EQ(MonitorPointFor(monitors, one.point), one.expected);
    }
    EXPECT_EQ(MonitorPointFor({}, {1, 1}), std::nullopt);
}

TEST(UinputAxesTest, SpanEveryMonitorAndTakeDesktopPointsFromTheTopLeftCorner) {
    const struct {
        ScreenRect desktop;
        ScreenPoint point;
        UinputAxes axes;
        ScreenPoint onAxes;
    } cases[] = {
        {{0, 0, 1280, 1024}, {1279, 1023}, {1279, 1023}, {1279, 1023}},
        // A monitor left of the first: the box starts at a negative x.
        {{-1920, 0, 1280, 1080}, {0, 0}, {3199, 1079}, {1920, 0}},
        // A monitor above the first.
        {{0, -768, 1280, 1024}, {500, -1}, {1279, 1791}, {500, 767}},
        // Past the box: onto its edge, never out of the axes' range.
        {{0, 0, 1280, 1024}, {1400, -5}, {1279, 1023}, {1279, 0}},
    };
    for (const auto& one : cases) {
        SCOPED_TRACE(testing::Message() << one.desktop.left << "," << one.desktop.top);
        EXPECT_EQ(UinputAxesOver(one.desktop), one.axes);
        EXPECT_EQ(UinputAxisPoint(one.desktop, one.point), one.onAxes);
    }
}

TEST(InputBackendTest, TriesTheBackendsInOrderEachRefusalGivingWayToTheNext) {
    using enum InputBackend;
    const struct {
        InputBackendProbe probe;
        std::vector<InputBackend> tried;  // each refused in turn
    } cases[] = {
        {{SessionKind::X11, true, 2, true}, {XTest}},
        {{SessionKind::Wayland, true, 2, true},
         {MutterRemoteDesktop, RemoteDesktopPortal, Uinput, XTest}},
        // A portal that cannot keep its approval would ask at every start.
        {{SessionKind::Wayland, false, 1, true}, {Uinput, XTest}},
        {{SessionKind::Wayland, false, 0, false}, {XTest}},
    };
    for (const auto& one : cases) {
        InputBackendProbe probe = one.probe;
        std::vector<InputBackend> tried{ChooseInputBackend(probe)};
        while (tried.back() != XTest && tried.size() < 5) {
            tried.push_back(NextInputBackend(probe, tried.back()));
        }
        EXPECT_EQ(tried, one.tried) << InputBackendName(tried.front());
    }
}

TEST(PointerWhereaboutsTest, ThePlacedPositionHoldsUntilXWaylandSeesAMove) {
    PointerWhereabouts where(ScreenRect{0, 0, 1280, 1024});
    // At start XWayland's position is all there is.
    EXPECT_EQ(where.current({100, 100}), (ScreenPoint{100, 100}));
    // Placed over a native window: XWayland still says where it last saw it.
    EXPECT_EQ(where.placedAt({700, 600}), (ScreenPoint{700, 600}));
    EXPECT_EQ(where.current({100, 100}), (ScreenPoint{700, 600}));
    EXPECT_EQ(where.movedBy(-10, 5), (ScreenPoint{690, 605}));
    EXPECT_EQ(where.current({100, 100}), (ScreenPoint{690, 605}));
    // XWayland's late echo of this program's own moves changes nothing.
    EXPECT_EQ(where.current({700, 600}), (ScreenPoint{690, 605}));
    EXPECT_EQ(where.current({690, 605}), (ScreenPoint{690, 605}));
    // A mouse moves the pointer over an X window: XWayland's is newer.
    EXPECT_EQ(where.current({40, 50}), (ScreenPoint{40, 50}));
    EXPECT_EQ(where.placedAt({45, 50}), (ScreenPoint{45, 50}));
    EXPECT_EQ(where.current({40, 50}), (ScreenPoint{45, 50}));
    // Placements stay on the desktop.
    EXPECT_EQ(where.placedAt({-5, 2000}), (ScreenPoint{0, 1023}));
    EXPECT_EQ(where.movedBy(5000, 0), (ScreenPoint{1279, 1023}));
}

}  // namespace
}  // namespace veltranix
