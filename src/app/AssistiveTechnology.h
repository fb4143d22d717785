#pragma once

// Whether assistive technology (a screen reader, a magnifier) is in use: the toolkit's own
// accessibility is active, or the desktop's accessibility bus says it is enabled.
bool assistiveTechnologyActive();

// Turns the page's accessibility on when assistive technology is in use. The web engine
// decides once, when its first page is made, so this runs before the window exists; with
// nothing listening it leaves the engine as it is and costs one query of the session bus.
void enablePageAccessibilityWhenNeeded();
