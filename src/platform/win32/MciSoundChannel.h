// The sound channel over the Windows media control interface: one device,
// always under the alias "timersound", driven by four command strings.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "MciThread.h"
#include "WaveTone.h"
#include "app/Ports.h"

// The command strings, kept apart so that their exact text can be checked.
std::string MciCloseCommand();
std::string MciOpenCommand(const std::string& path);
std::string MciPlayCommand();
std::string MciStatusCommand();
// Length of the reply buffer of the status command.
constexpr unsigned MciReplyLength = 256;

// A command string in, its error code (0: done) and reply out.
using MciSend = std::function<std::uint32_t(const std::string& command, std::string& reply)>;
std::uint32_t MciSendString(const std::string& command, std::string& reply);

// The commands run on a thread of their own. An open that takes longer than
// a moment goes on there: meanwhile Mode reads "opening", and an open that
// then fails reads "stopped", as a song that cannot play.
class MciSoundChannel : public SoundChannel {
 public:
  // How long the window waits for a command before it goes on without it:
  // within the tenth of a second a song start may take.
  static constexpr std::uint32_t CommandWaitMs = 40;
  explicit MciSoundChannel(MciSend send = MciSendString, std::uint32_t waitMs = CommandWaitMs);
  void Close() override;
  void Open(const std::string& path) override;
  void Play() override;
  std::string Mode() const override;
  void Release() override {}  // Close already let the device go
  // The tone where no song or tune plays; the tunes need a MIDI device.
  bool OpenTone() override;
  std::string Lacking() override;

 private:
  struct Song;
  void Run(const std::string& command);  // waits as Open does

  WaveTone tone_;
  MciSend send_;
  std::uint32_t waitMs_;
  std::shared_ptr<Song> song_;
  mutable MciThread thread_;  // last: goes first, while what its jobs use is still there
};
