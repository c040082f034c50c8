// The sound channel over the Windows media control interface: one device,
// always under the alias "timersound", driven by four command strings.
#pragma once

#include <string>

#include "app/Ports.h"

// The command strings, kept apart so that their exact text can be checked.
std::string MciCloseCommand();
std::string MciOpenCommand(const std::string& path);
std::string MciPlayCommand();
std::string MciStatusCommand();
// Length of the reply buffer of the status command.
constexpr unsigned MciReplyLength = 256;

class MciSoundChannel : public SoundChannel {
 public:
  void Close() override;
  void Open(const std::string& path) override;
  void Play() override;
  std::string Mode() const override;
  void Release() override {}  // Close already let the device go
};
