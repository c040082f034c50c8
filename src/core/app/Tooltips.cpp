// Tooltip texts of the menu bar.
#include "app/Tooltips.h"

#include "app/Ids.h"

std::string MenuTooltipText(int commandId) {
  switch (commandId) {
    case CmdGo:
      return "Play songs (shortcut key = G)";
    case CmdStop:
      return "Stop playing songs (shortcut key = S)";
    case CmdVolume:
      return "Volume control (shortcut key = V), or hold down CTRL key and spin the mousewheel";
    case CmdFolder:
      return "Set folder for MP3 songs (shortcut key = F)";
    case CmdHelp:
      return "Help about this program (shortcut key = H)";
    case CmdMinimize:
      return "Minimize";
    default:
      return std::to_string(commandId);
  }
}
