// The user-folders port on Linux: the XDG music folder and a private
// per-user cache folder for the tune file.
#pragma once

#include "app/Ports.h"

class XdgUserFolders : public UserFolders {
 public:
  // Folder 13 (the music folder): XDG_MUSIC_DIR of user-dirs.dirs, else
  // ~/Music when it exists, else "". Other folders: "". No trailing "/".
  std::string SpecialFolderPath(int folderId) override;
  // $XDG_CACHE_HOME/TimerZqv2010/ (default ~/.cache), made private to the
  // user (mode 0700). "" when it cannot be made safe: a link, not a folder,
  // or someone else's folder.
  std::string TempFolder() override;

  // The home folder: $HOME, else the password database's entry.
  static std::string HomeFolder();
};
