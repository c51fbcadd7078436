#pragma once

struct _XDisplay;

namespace veltranix {

// Confines the pointer to a window with an active pointer grab made on the
// connection that owns the window (the toolkit's own), so that the window
// keeps receiving its pointer events. Real and synthetic (XTest) motion both
// stay inside until the grab is released. False when the server refused the
// grab (another client holds one, the window is not viewable).
bool GrabPointerConfinedTo(_XDisplay* display, unsigned long window);
void UngrabPointer(_XDisplay* display);

}  // namespace veltranix
