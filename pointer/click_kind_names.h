#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "pointer/click_codes.h"

namespace veltranix {

// The click kinds by the names other programs and the command line use.
struct ClickKindName {
    std::string_view name;
    int kind;
};

// One line a kind, in the order of the kinds.
// clang-format off
inline constexpr std::array kClickKindNames{
    ClickKindName{"left", click_kind::kLeft},
    ClickKindName{"menu", click_kind::kMenu},
    ClickKindName{"right", click_kind::kRight},
    ClickKindName{"double", click_kind::kDouble},
    ClickKindName{"middle", click_kind::kMiddle},
    ClickKindName{"drag", click_kind::kDrag},
    ClickKindName{"scroll", click_kind::kScroll},
};
// clang-format on
static_assert(kClickKindNames.size() == click_kind::kCount, "every click kind has a name");

inline std::optional<int> ClickKindNamed(std::string_view name) {
    for (const ClickKindName& entry : kClickKindNames) {
        if (entry.name == name) {
            return entry.kind;
        }
    }
    return std::nullopt;
}

}  // namespace veltranix
