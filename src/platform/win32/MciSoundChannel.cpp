// mciSendStringA on the alias "timersound"; no result is examined, because a
// failed command leaves the channel closed and the status reply empty.
#include "MciSoundChannel.h"

#include "Win32.h"

namespace {
constexpr const char* Alias = "timersound";

void Send(const std::string& command) { mciSendStringA(command.c_str(), nullptr, 0, nullptr); }
}  // namespace

std::string MciCloseCommand() { return std::string("close ") + Alias; }

std::string MciOpenCommand(const std::string& path) {
  // The quotes keep a path with spaces in one piece; no device type is named,
  // so MCI picks the player from the file's extension.
  return "open \"" + path + "\" alias " + Alias;
}

std::string MciPlayCommand() { return std::string("play ") + Alias; }

std::string MciStatusCommand() { return std::string("status ") + Alias + " MODE"; }

void MciSoundChannel::Close() { Send(MciCloseCommand()); }

void MciSoundChannel::Open(const std::string& path) { Send(MciOpenCommand(path)); }

void MciSoundChannel::Play() { Send(MciPlayCommand()); }

std::string MciSoundChannel::Mode() const {
  char reply[MciReplyLength] = {};
  mciSendStringA(MciStatusCommand().c_str(), reply, MciReplyLength, nullptr);
  reply[MciReplyLength - 1] = '\0';
  return reply;
}
