// Loading the sound module at the first song (see LazySound.h).
#include "LazySound.h"

#include <dlfcn.h>
#include <malloc.h>
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
    SoundChannel* channel = (create && setGain) ? create() : nullptr;
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
    createVolume_ = reinterpret_cast<CreateVolumeFn>(dlsym(module, CreateVolumeSymbol));
    setGain_(channel, gain_);
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
  createVolume_ = nullptr;
  malloc_trim(0);
}

void LazySoundChannel::Close() {
  if (real_) real_->Close();
}

void LazySoundChannel::Open(const std::string& path) {
  if (Load()) real_->Open(path);
}

bool LazySoundChannel::OpenTone() { return Load() && real_->OpenTone(); }

std::string LazySoundChannel::Lacking() { return Load() ? real_->Lacking() : std::string(); }

void LazySoundChannel::Play() {
  if (real_) real_->Play();
}

std::string LazySoundChannel::Mode() const { return real_ ? real_->Mode() : std::string(); }

void LazySoundChannel::Release() {
  if (real_ && real_->Mode().empty()) Unload();
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
