// Starts another program (the volume mixer) without waiting for it.
#pragma once

#include "app/Ports.h"

class QtLauncher : public Launcher {
 public:
  // program: a name found on PATH (or a path), optionally with arguments.
  bool Launch(const std::string& program) override;
};
