// Adapter choice of the Linux program (see LinuxPorts.h). Without the Linux
// adapter library the program still runs, silent and with a frozen clock.
#include "LinuxPorts.h"

#ifdef TIMER_HAVE_LINUX_ADAPTERS
#include "EmbeddedTuneStore.h"
#include "LazySound.h"
#include "PosixClock.h"
#include "PosixFolderListing.h"
#include "XdgUserFolders.h"
#else
#include "app/NullPorts.h"
#endif

LinuxPorts::LinuxPorts() : store_(QtKeyValueStore::DefaultPath()) {
#ifdef TIMER_HAVE_LINUX_ADAPTERS
  // SDL comes in with the first song; the volume is the channel's own gain.
  auto sound = std::make_unique<LazySoundChannel>(LazySoundChannel::DefaultModulePaths());
  volume_ = std::make_unique<LazyOutputVolume>(*sound);
  sound_ = std::move(sound);
  folders_ = std::make_unique<XdgUserFolders>();
  listing_ = std::make_unique<PosixFolderListing>();
  clock_ = std::make_unique<PosixClock>();
  tunes_ = std::make_unique<EmbeddedTuneStore>();
#else
  sound_ = std::make_unique<NullSoundChannel>();
  folders_ = std::make_unique<NullUserFolders>();
  listing_ = std::make_unique<NullFolderListing>();
  clock_ = std::make_unique<NullClock>();
  volume_ = std::make_unique<NullOutputVolume>();
  tunes_ = std::make_unique<NullTuneStore>();
#endif
}

LinuxPorts::~LinuxPorts() = default;

Ports LinuxPorts::Bind(MainWindowView& window) {
  return Ports{window, *sound_, store_, *folders_, *listing_, *clock_, *volume_, *tunes_, launcher_, chooser_};
}
