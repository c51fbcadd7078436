#include "settings/settings.h"

namespace veltranix {

std::int32_t StoredWebcamChoice(const WebcamChoiceRow& row) {
    for (std::size_t index = 0; index < row.size(); ++index) {
        if (row[index] == 1) {
            return static_cast<std::int32_t>(index) + 1;
        }
    }
    return 0;
}

std::int32_t StoredGestureChoice(const GestureChoiceRow& row) {
    constexpr std::size_t kScrollIndex = 6;
    for (std::size_t index = 0; index < row.size(); ++index) {
        if (row[index] == 1) {
            return index == kScrollIndex ? 8 : static_cast<std::int32_t>(index) + 1;
        }
    }
    return 7;
}

void ApplyClickSafetyRule(GestureCells& cells) {
    int assigned = 0;
    std::size_t soleRow = 0;
    std::size_t soleColumn = 0;
    for (std::size_t row = 0; row < cells.size(); ++row) {
        for (std::size_t column = 0; column < 2; ++column) {
            if (cells[row][column].value == 1) {
                ++assigned;
                soleRow = row;
                soleColumn = column;
            }
        }
    }
    if (assigned == 0) {
        return;
    }
    for (std::size_t row = 0; row < cells.size(); ++row) {
        for (std::size_t column = 0; column < cells[row].size(); ++column) {
            bool enabled = true;
            if (assigned == 1 && row == soleRow) {
                // Only the other of left click and click-type menu stays open.
                enabled = column < 2 && column != soleColumn;
            }
            cells[row][column].enabled = enabled;
        }
    }
}

bool ClickGestureCell(GestureCells& cells, GestureRow row, int cellIndex) {
    auto& cellRow = cells[static_cast<std::size_t>(row)];
    if (cellIndex < 0 || cellIndex >= static_cast<int>(cellRow.size())) {
        return false;
    }
    auto& cell = cellRow[static_cast<std::size_t>(cellIndex)];
    if (!cell.enabled) {
        return false;
    }
    if (cell.value == 1) {
        cell.value = 0;
    } else {
        for (auto& other : cellRow) {
            other.value = 0;
        }
        cell.value = 1;
    }
    ApplyClickSafetyRule(cells);
    return true;
}

}  // namespace veltranix
