// The program's whole help: one fixed text in a message box.
#pragma once

struct App;

extern const char* const HelpText;

void ShowHelp(App& app);
