// An activation request to a Wayland compositor (xdg-activation): what
// compositors show as urgency, or answer by raising the window.
#pragma once

class QWindow;

// Asks for the window to be activated. Qt 6.4 asks only on behalf of a window
// of ours that holds the focus; this asks from none, as an alarm must. False
// when not on Wayland or when the compositor offers no activation.
bool RequestWaylandActivation(QWindow* window);
