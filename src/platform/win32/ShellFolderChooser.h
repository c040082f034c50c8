// The shell's folder-browse dialog as the folder chooser, opened on the
// folder in force and owned by the music settings dialog.
#pragma once

#include <cstdint>

#include "app/Ports.h"

class ShellFolderChooser : public FolderChooser {
 public:
  // The window that owns the browse dialog (the music settings dialog).
  void SetOwner(std::uintptr_t window) { owner_ = window; }
  std::optional<std::string> ChooseFolder(const std::string& current) override;

 private:
  std::uintptr_t owner_ = 0;
};
