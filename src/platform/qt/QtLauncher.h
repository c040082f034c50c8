// Starts another program (the volume mixer) without waiting for it.
#pragma once

#include "app/Ports.h"

class QtLauncher : public Launcher {
 public:
  bool Launch(const std::string& program) override;
};
