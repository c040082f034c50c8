// Loading the sound module at the first song (see LazySound.h).
#include "LazySound.h"

#include <dlfcn.h>
#include <malloc.h>
#include <unistd.h>

#include <climits>

namespace {
// Questions (ticks) without a song tried after which a module whose device
// never opened goes: longer than the pause between two tries of the music.
constexpr int QuietQuestions = 10;

std::string ProgramFolder() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return {};
  std::string exe(path, static_cast<std::size_t>(length));
  const std::size_t slash = exe.rfind('/');
  return slash == std::string::npos ? std::string() : exe.substr(0, slash + 1);
}
}  // namespace

LazySoundChannel::LazySoundChannel(std::vector<std::string> modulePaths) : paths_(std::move(modulePaths)) {}

LazySoundChannel::~LazySoundChannel() { Unload(); }

std::vector<std::string> LazySoundChannel::DefaultModulePaths() {
  const std::string folder = ProgramFolder();
  if (folder.empty()) return {};
  return {folder + SoundModuleName, folder + TIMER_SOUND_MODULE_FROM_BIN "/" + SoundModuleName};
}

bool LazySoundChannel::Load() {
  if (real_) return true;
  if (missing_) return false;  // a missing module stays missing
  for (const std::string& path : paths_) {
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) continue;
    auto create = reinterpret_cast<CreateSoundFn>(dlsym(module, CreateSoundSymbol));
    auto setGain = reinterpret_cast<SetSoundGainFn>(dlsym(module, SetSoundGainSymbol));
    auto deviceOpen = reinterpret_cast<SoundDeviceOpenFn>(dlsym(module, SoundDeviceOpenSymbol));
    SoundChannel* channel = (create && setGain && deviceOpen) ? create() : nullptr;
    if (!channel) {
      dlclose(module);
      continue;
    }
    // The patch library under FluidSynth registers GObject types, which
    // outlive it in GLib: it must stay when the rest of the stack goes.
    if (void* patches = dlopen("libinstpatch-1.0.so.2", RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE)) dlclose(patches);
    module_ = module;
    real_.reset(channel);
    setGain_ = setGain;
    deviceOpen_ = deviceOpen;
    createVolume_ = reinterpret_cast<CreateVolumeFn>(dlsym(module, CreateVolumeSymbol));
    setGain_(channel, gain_);
    questionsSinceOpen_ = QuietQuestions;  // nothing tried yet
    return true;
  }
  missing_ = true;
  return false;
}

void LazySoundChannel::Unload() {
  if (!real_) return;
  serverVolume_.reset();
  real_.reset();  // closes the song and the device
  dlclose(module_);
  module_ = nullptr;
  setGain_ = nullptr;
  deviceOpen_ = nullptr;
  createVolume_ = nullptr;
  malloc_trim(0);
}

void LazySoundChannel::Close() {
  if (real_) real_->Close();
}

void LazySoundChannel::Open(const std::string& path) {
  openedSinceAsked_ = true;
  if (Load()) real_->Open(path);
  questionsSinceOpen_ = 0;
}

bool LazySoundChannel::OpenTone() {
  openedSinceAsked_ = true;
  const bool opened = Load() && real_->OpenTone();
  questionsSinceOpen_ = 0;
  return opened;
}

std::string LazySoundChannel::Lacking() { return Load() ? real_->Lacking() : std::string(); }

void LazySoundChannel::Play() {
  if (real_) real_->Play();
}

std::string LazySoundChannel::Mode() {
  if (!real_) return {};
  // A device that could not open keeps the module while songs are still
  // tried; one that played is let go with everything else.
  const bool played = deviceOpen_(real_.get());
  const bool justOpened = openedSinceAsked_;
  openedSinceAsked_ = false;
  if (!justOpened && questionsSinceOpen_ < QuietQuestions + 1) ++questionsSinceOpen_;
  std::string mode = real_->Mode();
  // A song start that asks after each failed try keeps the module for the
  // next try; the next tick's question lets it go.
  if (mode.empty() && !justOpened && (played || questionsSinceOpen_ > QuietQuestions)) Unload();
  return mode;
}

void LazySoundChannel::SetGain(std::uint32_t value) {
  gain_ = value;
  if (real_) setGain_(real_.get(), value);
}

OutputVolume* LazySoundChannel::ServerVolume(OutputVolume& fallback) {
  if (!Load() || createVolume_ == nullptr) return nullptr;
  if (!serverVolume_) serverVolume_.reset(createVolume_(&fallback));
  return serverVolume_.get();
}

OutputVolume& LazyOutputVolume::Target() {
  OutputVolume* server = channel_.ServerVolume(gain_);
  return server ? *server : static_cast<OutputVolume&>(gain_);
}
