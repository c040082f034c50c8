// Command dispatch of the main window.
#include "app/Commands.h"

#include "alarm/AlarmSetting.h"
#include "alarm/Wheel.h"
#include "app/App.h"
#include "app/Ids.h"
#include "music/Music.h"
#include "settings/Help.h"
#include "settings/Volume.h"

void RunCommand(App& app, int id) {
  MainWindowView& window = app.Port.Window;
  switch (id) {
    case CmdNextFocus:
      window.FocusItem(window.FocusedItem() == IdTimeEdit ? IdTimerButton : IdTimeEdit);
      break;
    case CmdFolder:
      window.OpenMusicDialog();
      break;
    case CmdHelp:
      ShowHelp(app);
      break;
    case CmdStartTimer:
      StartTimer(app);
      break;
    case CmdGo:
      StartMusic(app);
      break;
    case CmdStop:
      StopMusic(app);
      break;
    case CmdVolume:
      OpenVolumeMixer(app);
      break;
    case CmdMinimize:
      window.Minimize();
      break;
    default:
      break;
  }
}

void OnMouseWheel(App& app, bool ctrlHeld, bool up) {
  if (ctrlHeld) {
    if (up) {
      VolumeUp(app);
    } else {
      VolumeDown(app);
    }
  } else {
    WheelAdjustMinutes(app, up);
  }
}
