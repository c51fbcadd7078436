#pragma once

#include <cstdint>

namespace veltranix {

// Click request codes: what one trigger asks the click code to do. Any value
// outside the table is a request that synthesises nothing but still counts.
namespace click_request {
inline constexpr std::int32_t kLeft = 0;
inline constexpr std::int32_t kLeftAlternate = 1;
inline constexpr std::int32_t kRight = 2;
inline constexpr std::int32_t kDouble = 3;
inline constexpr std::int32_t kMiddle = 4;
inline constexpr std::int32_t kDragToggle = 5;
inline constexpr std::int32_t kScroll = 6;  // the scroll mode starts
inline constexpr std::int32_t kTimedPress = 10;
inline constexpr std::int32_t kFirstMacro = 20;  // macro slot 0
inline constexpr std::int32_t kLastMacro = 25;   // macro slot 5
}  // namespace click_request

// Click kind indices: the columns of the trigger bindings in gestureClickMatrix.
// Every kind but the menu executes the request of the same number (1 is a
// left click too).
namespace click_kind {
inline constexpr int kLeft = 0;
inline constexpr int kMenu = 1;
inline constexpr int kRight = 2;
inline constexpr int kDouble = 3;
inline constexpr int kMiddle = 4;
inline constexpr int kDrag = 5;
inline constexpr int kScroll = 6;
inline constexpr int kCount = 7;
}  // namespace click_kind

}  // namespace veltranix
