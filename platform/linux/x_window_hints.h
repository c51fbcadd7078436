#pragma once

struct _XDisplay;

namespace veltranix {

// Marks a window, before it is mapped, as one that never takes the keyboard
// focus on any window manager: input hint false and no WM_TAKE_FOCUS (the
// "no input" model, so that a click on it moves no focus), user time 0 (not
// focused when mapped), kept above, out of the task bar and the pager.
void MarkNeverFocused(_XDisplay* display, unsigned long window);

}  // namespace veltranix
