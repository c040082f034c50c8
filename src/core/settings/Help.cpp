// The help text, six paragraphs separated by one empty line.
#include "settings/Help.h"

#include "app/App.h"
#include "app/Platform.h"

const char* const HelpText =
    "Timer works like a kitchen timer. You set it to go off after a specific number of minutes - or at a "
    "specific time. When it goes off, it plays music (either from internal MIDI songs or from a folder with "
    "MP3 songs) and it can also display a message of your choice.\n\n"
    "To set Timer to go off after a certain number of minutes, type the number of minutes (e.g., \"20\") in "
    "the TIME box. Then click the START TIMER button. You can type in any value from \"0\" to \"1380\" (23 "
    "hours). Use \"0\" to see what happens when the timer goes off.\n\n"
    "To set Timer to go off at a specific time, type the hours and minutes in the TIME box, and then click "
    "TIMER. Type the time like \"10:34 pm\" or \"2:00 am.\" If you omit \"am\" and \"pm,\" then Timer will "
    "assume the current value. You can also use 24-hour time (like \"22:34\"), and you can use a value for the "
    "next day (e.g. \"1:30 am\").\n\n"
    "If you change your mind, you can type in a new time and then click TIMER.\n\n"
    "I wrote Timer to wake me up after my afternoon nap. But the program has other uses too. You can even use "
    "it as a basic music player. This is the January 20, 2010 version of the program.\n\n"
    "Tovin's Timer, by Tovin and the Tovin's Timer team. " TIMER_HELP_GUIDE;

void ShowHelp(App& app) { app.Port.Window.Notice(HelpText); }
