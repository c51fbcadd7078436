#include "pointer/open_windows.h"

namespace veltranix {

void ApplyKeyboardMessage(KeyboardCooperation& keyboards, const CompanionMessage& message) {
    CompanionKeyboard* keyboard = nullptr;
    if (message.kind == CompanionMessageKind::KeyboardRectangle) {
        keyboard = &keyboards.keyboard;
    } else if (message.kind == CompanionMessageKind::MacroKeyboardRectangle) {
        keyboard = &keyboards.macroKeyboard;
    } else {
        return;
    }
    const KeyboardRectangleUpdate update = DecodeKeyboardRectangle(message.wParam, message.lParam);
    keyboard->rect = update.rectangle;
    keyboard->plainClickRequested = update.plainClickRequested;
    if (update.presence != KeyboardPresence::Unchanged) {
        keyboard->present = update.presence == KeyboardPresence::Present;
    }
}

}  // namespace veltranix
