// mciSendStringA on the alias "timersound", on the channel's own thread; only
// the open's result is examined: any other failed command leaves the channel
// closed and the status reply empty.
#include "MciSoundChannel.h"

#include <mutex>

#include "Win32.h"

namespace {
constexpr const char* Alias = "timersound";
}  // namespace

std::uint32_t MciSendString(const std::string& command, std::string& reply) {
  char text[MciReplyLength] = {};
  const MCIERROR error = mciSendStringA(command.c_str(), text, MciReplyLength, nullptr);
  text[MciReplyLength - 1] = '\0';
  reply = text;
  return error;
}

// What the song last opened reads as; its open may end on the thread after
// Open has returned. Each Open and Close is counted, so that an open that
// ends after a later Close changes nothing.
struct MciSoundChannel::Song {
  std::mutex mutex;
  std::uint64_t count = 0;
  bool waiting = false;  // Open still waits for the open's end
  enum class State { Closed, Opening, Open, Failed } state = State::Closed;
};

MciSoundChannel::MciSoundChannel(MciSend send, std::uint32_t waitMs)
    : send_(std::move(send)), waitMs_(waitMs), song_(std::make_shared<Song>()) {}

std::string MciCloseCommand() { return std::string("close ") + Alias; }

std::string MciOpenCommand(const std::string& path) {
  // The quotes keep a path with spaces in one piece; no device type is named,
  // so MCI picks the player from the file's extension.
  return "open \"" + path + "\" alias " + Alias;
}

std::string MciPlayCommand() { return std::string("play ") + Alias; }

std::string MciStatusCommand() { return std::string("status ") + Alias + " MODE"; }

void MciSoundChannel::Run(const std::string& command) {
  thread_.PostAndWait(
      [send = send_, command] {
        std::string reply;
        send(command, reply);
      },
      waitMs_);
}

void MciSoundChannel::Close() {
  tone_.Close();
  {
    const std::lock_guard lock(song_->mutex);
    ++song_->count;
    song_->state = Song::State::Closed;
  }
  // Behind a slow open it waits its turn; the file of a tune, whose open is
  // quick, is let go before it is written anew.
  Run(MciCloseCommand());
}

void MciSoundChannel::Open(const std::string& path) {
  std::uint64_t count = 0;
  {
    const std::lock_guard lock(song_->mutex);
    count = ++song_->count;
    song_->state = Song::State::Opening;
    song_->waiting = true;
  }
  thread_.PostAndWait(
      [song = song_, send = send_, command = MciOpenCommand(path), count] {
        std::string reply;
        const bool opened = send(command, reply) == 0;
        const std::lock_guard lock(song->mutex);
        if (song->count != count) return;
        // Failed while Open waited: closed, as ever; failed later: a song
        // that cannot play.
        song->state = opened ? Song::State::Open : song->waiting ? Song::State::Closed : Song::State::Failed;
      },
      waitMs_);
  const std::lock_guard lock(song_->mutex);
  song_->waiting = false;
}

void MciSoundChannel::Play() {
  tone_.Play();
  thread_.Post([send = send_] {
    std::string reply;
    send(MciPlayCommand(), reply);
  });
}

std::string MciSoundChannel::Mode() const {
  if (tone_.IsOpen()) return tone_.IsPlaying() ? "playing" : "stopped";
  Song::State state;
  {
    const std::lock_guard lock(song_->mutex);
    state = song_->state;
  }
  if (state == Song::State::Closed) return {};
  if (state == Song::State::Failed) return "stopped";
  auto reply = std::make_shared<std::string>();
  if (state == Song::State::Opening ||
      !thread_.PostAndWait([send = send_, reply] { send(MciStatusCommand(), *reply); }, waitMs_))
    return OpeningMode;
  return *reply;
}

bool MciSoundChannel::OpenTone() { return tone_.Open(); }

std::string MciSoundChannel::Lacking() {
  return midiOutGetNumDevs() == 0 ? "No MIDI device: the tunes cannot play" : std::string();
}
