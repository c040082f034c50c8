// The main window's commands and mouse wheel, as the core carries them out.
#pragma once

struct App;

// A command from the menu, an accelerator key or the Timer button. Unknown
// ids do nothing.
void RunCommand(App& app, int id);
// One wheel message: with Ctrl the volume, without it the minutes; one step
// whatever the size of the turn.
void OnMouseWheel(App& app, bool ctrlHeld, bool up);
