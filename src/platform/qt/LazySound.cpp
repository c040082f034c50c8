// Loading the sound module at the first song (see LazySound.h).
#include "LazySound.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

namespace {
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

// The module stays loaded: the channel it made is gone, but SDL may still
// hold threads or handlers in it until the process ends.
LazySoundChannel::~LazySoundChannel() = default;

std::vector<std::string> LazySoundChannel::DefaultModulePaths() {
  const std::string folder = ProgramFolder();
  if (folder.empty()) return {};
  return {folder + SoundModuleName, folder + TIMER_SOUND_MODULE_FROM_BIN "/" + SoundModuleName};
}

bool LazySoundChannel::Load() {
  if (real_) return true;
  if (tried_) return false;
  tried_ = true;  // one attempt: a missing module stays missing
  for (const std::string& path : paths_) {
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) continue;
    auto create = reinterpret_cast<CreateSoundFn>(dlsym(module, CreateSoundSymbol));
    auto setGain = reinterpret_cast<SetSoundGainFn>(dlsym(module, SetSoundGainSymbol));
    SoundChannel* channel = (create && setGain) ? create() : nullptr;
    if (!channel) {
      dlclose(module);
      continue;
    }
    real_.reset(channel);
    setGain_ = setGain;
    createVolume_ = reinterpret_cast<CreateVolumeFn>(dlsym(module, CreateVolumeSymbol));
    setGain_(channel, gain_);
    return true;
  }
  return false;
}

void LazySoundChannel::Close() {
  if (real_) real_->Close();
}

void LazySoundChannel::Open(const std::string& path) {
  if (Load()) real_->Open(path);
}

void LazySoundChannel::Play() {
  if (real_) real_->Play();
}

std::string LazySoundChannel::Mode() { return real_ ? real_->Mode() : std::string(); }

void LazySoundChannel::SetGain(std::uint32_t value) {
  gain_ = value;
  if (real_) setGain_(real_.get(), value);
}

std::unique_ptr<OutputVolume> LazySoundChannel::CreateServerVolume(OutputVolume& fallback) {
  if (!Load() || createVolume_ == nullptr) return nullptr;
  return std::unique_ptr<OutputVolume>(createVolume_(&fallback));
}

OutputVolume& LazyOutputVolume::Target() {
  if (!tried_) {
    tried_ = true;
    server_ = channel_.CreateServerVolume(gain_);
  }
  return server_ ? *server_ : static_cast<OutputVolume&>(gain_);
}
