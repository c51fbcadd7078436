#pragma once

#include <QWidget>

namespace veltranix {

// Makes `window` one of the program's windows that never take the keyboard
// focus: frameless, always on top, out of the task bar, and marked so on X
// before each time it is mapped. Every window of ours but the macro editor and
// its dialogs (the user types into those) is made so, here and nowhere else.
// `extra` adds flags of the window's own.
void MakeFocusFree(QWidget& window, Qt::WindowFlags extra = {});

}  // namespace veltranix
