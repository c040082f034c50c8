// Tooltip texts of the menu bar.
#include "app/Tooltips.h"

#include <cctype>

#include "app/Desktop.h"

namespace {
// " (shortcut key = G)": the command's typed key in the accelerator table, in capitals.
std::string KeyHint(int commandId) {
  for (const Accelerator& key : Accelerators) {
    if (key.Typed && !key.Alt && key.Command == commandId)
      return std::string(" (shortcut key = ") + static_cast<char>(std::toupper(key.Key)) + ")";
  }
  return {};
}
}  // namespace

std::string MenuTooltipText(int commandId) {
  const std::string hint = KeyHint(commandId);
  switch (commandId) {
    case CmdGo:
      return "Play songs" + hint;
    case CmdStop:
      return "Stop playing songs" + hint;
    case CmdVolume:
      return "Volume control" + hint + ", or hold down CTRL key and spin the mousewheel";
    case CmdFolder:
      return "Set folder for MP3 songs" + hint;
    case CmdHelp:
      return "Help about this program" + hint;
    case CmdMinimize:
      return "Minimize";
    default:
      return std::to_string(commandId);
  }
}
