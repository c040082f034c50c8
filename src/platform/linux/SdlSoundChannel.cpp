// SDL2_mixer behind the sound channel: files are checked before they are
// opened, so a FIFO or a device named like a song can never block the program.
#include "SdlSoundChannel.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <fcntl.h>
#include <malloc.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "music/Tone.h"

namespace {

constexpr int SampleRate = 44100;
// 23 ms at a time: the sound server holds about this much, so a song is heard
// that soon after it starts.
constexpr int ChunkFrames = 1024;
constexpr auto DeviceRetryPause = std::chrono::seconds(3);

// The SoundFont the tunes are levelled for first, then the system's default
// General MIDI SoundFont (either format), then one other common one.
const char* const SoundFonts[] = {
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf3/default-GM.sf3",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
};

// A SoundFont FluidSynth can load: a readable RIFF file of the "sfbk" form.
bool LoadableSoundFont(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  char head[12] = {};
  const bool whole = std::fread(head, 1, sizeof head, file) == sizeof head;
  std::fclose(file);
  return whole && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "sfbk", 4) == 0;
}

bool IsRegularFile(const struct stat& st) { return S_ISREG(st.st_mode) && st.st_size > 0; }

// What the extension says when the content alone does not tell.
Mix_MusicType TypeFromExtension(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return MUS_NONE;
  const char* ext = path.c_str() + dot + 1;
  if (strcasecmp(ext, "mp3") == 0 || strcasecmp(ext, "mp2") == 0 || strcasecmp(ext, "mpga") == 0) return MUS_MP3;
  if (strcasecmp(ext, "mid") == 0 || strcasecmp(ext, "midi") == 0 || strcasecmp(ext, "kar") == 0) return MUS_MID;
  return MUS_NONE;
}

// The player chosen from the first bytes. SDL_mixer's own guess takes
// anything it cannot name for a tracker module, which it reads whole into
// memory: a huge file named like a song would cost its size in memory and
// many seconds of reading. So only the formats named here are guessed.
Mix_MusicType TypeFromContent(SDL_RWops* rw) {
  unsigned char magic[12] = {};
  const std::size_t got = SDL_RWread(rw, magic, 1, sizeof magic);
  if (SDL_RWseek(rw, 0, RW_SEEK_SET) != 0) return MUS_NONE;
  const auto starts = [&](const char* text, std::size_t at = 0) {
    const std::size_t length = std::strlen(text);
    return got >= at + length && std::memcmp(magic + at, text, length) == 0;
  };
  // A MIDI header is six bytes long; FluidSynth "plays" a broken one for an
  // instant of silence, so it is not taken for MIDI.
  if (starts("MThd"))
    return got >= 8 && magic[4] == 0 && magic[5] == 0 && magic[6] == 0 && magic[7] == 6 ? MUS_MID : MUS_NONE;
  if (starts("ID3") || (got >= 2 && magic[0] == 0xFF && (magic[1] & 0xE0) == 0xE0)) return MUS_MP3;
  if (starts("RIFF") && starts("WAVE", 8)) return MUS_WAV;
  if (starts("OggS")) return MUS_OGG;
  if (starts("fLaC")) return MUS_FLAC;
  return MUS_NONE;
}

// MIDI files, too, are read whole; a real song is a few hundred kilobytes.
constexpr off_t MaxMidiBytes = off_t{16} << 20;

// Opens the file without blocking and only when it is (still) the regular
// file that was checked.
SDL_RWops* OpenChecked(const std::string& path, const struct stat& checked) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !IsRegularFile(st) || st.st_dev != checked.st_dev || st.st_ino != checked.st_ino) {
    close(fd);
    return nullptr;
  }
  const int flags = fcntl(fd, F_GETFL);
  if (flags != -1) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  FILE* file = fdopen(fd, "rb");
  if (file == nullptr) {
    close(fd);
    return nullptr;
  }
  SDL_RWops* rw = SDL_RWFromFP(file, SDL_TRUE);
  if (rw == nullptr) fclose(file);
  return rw;
}

}  // namespace

SdlSoundChannel::SdlSoundChannel() = default;

SdlSoundChannel::~SdlSoundChannel() {
  Close();
  CloseDevice();
}

std::string SdlSoundChannel::SoundFontPath() {
  // Where the user names SoundFonts, only those count, as in SDL_mixer;
  // the list is separated by ":" or ";".
  const char* named = std::getenv("SDL_SOUNDFONTS");
  if (named != nullptr && *named != '\0') {
    const std::string list = named;
    for (std::size_t start = 0; start <= list.size();) {
      const std::size_t end = std::min(list.find_first_of(":;", start), list.size());
      const std::string path = list.substr(start, end - start);
      if (!path.empty() && LoadableSoundFont(path)) return path;
      start = end + 1;
    }
    return {};
  }
  for (const char* path : SoundFonts) {
    if (LoadableSoundFont(path)) return path;
  }
  return {};
}

std::string SdlSoundChannel::Lacking() {
  return SoundFontPath().empty() ? "No SoundFont: install timgm6mb-soundfont" : std::string();
}

bool SdlSoundChannel::OpenDevice() {
  if (deviceOpen_) return true;
  const auto now = std::chrono::steady_clock::now();
  if (lastDeviceFailure_ && now - *lastDeviceFailure_ < DeviceRetryPause) return false;

  // The program handles its own signals; SDL must not take SIGINT/SIGTERM.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // The name the desktop's volume mixer shows for our stream, and the key of
  // its stored volume. No media role is given: the server would then file
  // the volume under the role, shared with every program of that role.
  SDL_SetHint(SDL_HINT_APP_NAME, SoundAppName);
  SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, SoundAppName);
  // What plays, shown beside the name (SDL would say "Audio Stream"). The
  // stream lasts while the music is in force, through many songs.
  SDL_SetHint(SDL_HINT_AUDIO_DEVICE_STREAM_NAME, SoundStreamName);
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    lastDeviceFailure_ = now;
    return false;
  }
  // Nobody reads SDL's event queue here: keep device notices out of it.
  SDL_EventState(SDL_AUDIODEVICEADDED, SDL_IGNORE);
  SDL_EventState(SDL_AUDIODEVICEREMOVED, SDL_IGNORE);
  Mix_Init(MIX_INIT_MP3 | MIX_INIT_MID);
  // A fixed format (16-bit stereo), converted by SDL for the device, so the
  // gain below always knows its samples.
  if (Mix_OpenAudioDevice(SampleRate, AUDIO_S16SYS, 2, ChunkFrames, nullptr, 0) != 0) {
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    lastDeviceFailure_ = now;
    return false;
  }
  Mix_SetPostMix(&SdlSoundChannel::ApplyGain, this);
  deviceOpen_ = true;
  lastDeviceFailure_.reset();
  return true;
}

void SdlSoundChannel::CloseDevice() {
  if (!deviceOpen_) return;
  Mix_SetPostMix(nullptr, nullptr);
  Mix_CloseAudio();
  Mix_Quit();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  deviceOpen_ = false;
  // The synthesizer and SoundFont went with the song; hand their pages back
  // to the system rather than keep them for the rest of the day.
  malloc_trim(0);
}

void SdlSoundChannel::ApplyGain(void* self, std::uint8_t* stream, int length) {
  const std::uint32_t gain = static_cast<SdlSoundChannel*>(self)->Gain();
  if (gain == 0xFFFFFFFFu) return;
  const std::int64_t levels[2] = {gain & 0xFFFF, gain >> 16};
  auto* samples = reinterpret_cast<Sint16*>(stream);
  const int count = length / static_cast<int>(sizeof(Sint16));
  for (int i = 0; i < count; ++i) {
    samples[i] = static_cast<Sint16>(samples[i] * levels[i & 1] / 65535);
  }
}

void SdlSoundChannel::FillTone(void* self, std::uint8_t* stream, int length) {
  auto* channel = static_cast<SdlSoundChannel*>(self);
  auto* samples = reinterpret_cast<Sint16*>(stream);
  const int frames = length / static_cast<int>(2 * sizeof(Sint16));
  for (int i = 0; i < frames; ++i) {
    const auto sample = static_cast<Sint16>(std::lround(ToneSample(channel->toneFrame_, SampleRate)));
    samples[2 * i] = samples[2 * i + 1] = sample;
    channel->toneFrame_ = (channel->toneFrame_ + 1) % ToneCycleFrames(SampleRate);
  }
}

bool SdlSoundChannel::OpenTone() {
  if (music_ != nullptr || tone_ != ToneState::Closed || !OpenDevice()) return false;
  tone_ = ToneState::Open;
  return true;
}

void SdlSoundChannel::Close() {
  if (tone_ != ToneState::Closed) {
    Mix_HookMusic(nullptr, nullptr);
    tone_ = ToneState::Closed;
  }
  if (music_ == nullptr) return;
  Mix_HaltMusic();
  Mix_FreeMusic(music_);
  music_ = nullptr;
  SDL_RWclose(source_);
  source_ = nullptr;
}

void SdlSoundChannel::Open(const std::string& path) {
  if (music_ != nullptr || tone_ != ToneState::Closed || path.empty()) return;  // one song at a time
  struct stat st {};
  if (stat(path.c_str(), &st) != 0 || !IsRegularFile(st)) return;
  if (!OpenDevice()) return;
  SDL_RWops* rw = OpenChecked(path, st);
  if (rw == nullptr) return;
  const Mix_MusicType byName = TypeFromExtension(path);
  const Mix_MusicType byContent = TypeFromContent(rw);
  // MIDI goes through FluidSynth, which without a SoundFont plays silence:
  // a MIDI song does not open then.
  const std::string soundFont = SoundFontPath();
  if (!soundFont.empty()) Mix_SetSoundFonts(soundFont.c_str());
  const auto load = [&](Mix_MusicType type) -> _Mix_Music* {
    if (type == MUS_NONE || (type == MUS_MID && (st.st_size > MaxMidiBytes || soundFont.empty()))) return nullptr;
    if (SDL_RWseek(rw, 0, RW_SEEK_SET) != 0) return nullptr;
    return Mix_LoadMUSType_RW(rw, type, SDL_FALSE);
  };
  music_ = load(byContent != MUS_NONE ? byContent : byName);
  if (music_ == nullptr && byContent != MUS_NONE && byName != byContent) music_ = load(byName);
  if (music_ == nullptr) {
    SDL_RWclose(rw);
    return;
  }
  source_ = rw;
}

void SdlSoundChannel::Play() {
  // Once from the start; a song that cannot play reads as "stopped" at once.
  if (music_ != nullptr) Mix_PlayMusic(music_, 1);
  if (tone_ == ToneState::Open) {
    toneFrame_ = 0;
    Mix_HookMusic(&SdlSoundChannel::FillTone, this);
    tone_ = ToneState::Playing;
  }
}

std::string SdlSoundChannel::Mode() const {
  if (tone_ != ToneState::Closed) return tone_ == ToneState::Playing ? "playing" : "stopped";
  if (music_ == nullptr) return {};
  return Mix_PlayingMusic() != 0 ? "playing" : "stopped";
}

void SdlSoundChannel::Release() {
  if (music_ == nullptr && tone_ == ToneState::Closed) CloseDevice();
}
