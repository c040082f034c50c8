// Adapter choice of the Linux program (see LinuxPorts.h). Without the Linux
// adapter library the program still runs, silent and with a frozen clock.
#include "LinuxPorts.h"

#include <time.h>

#include <cstdio>
#include <cstdlib>

#ifdef TIMER_HAVE_LINUX_ADAPTERS
#include "EmbeddedTuneStore.h"
#include "LazySound.h"
#include "PosixClock.h"
#include "PosixFolderListing.h"
#include "XdgUserFolders.h"
#else
#include "app/NullPorts.h"
#endif

#ifdef TIMER_BENCH_HOOKS
namespace {

// Only in the benchmark build (tovins-timer-bench), for bench/tick-accuracy:
// with TOVINS_TIMER_TICK_LOG=<file>, every clock reading (one per tick)
// appends the wall-clock time in milliseconds since the epoch.
class TickLogClock : public Clock {
 public:
  TickLogClock(std::unique_ptr<Clock> clock, std::FILE* log) : clock_(std::move(clock)), log_(log) {}
  ~TickLogClock() override { std::fclose(log_); }
  std::int64_t UtcSeconds() override {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::fprintf(log_, "%lld\n", static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000);
    std::fflush(log_);
    return clock_->UtcSeconds();
  }
  std::int64_t BootSeconds() override { return clock_->BootSeconds(); }
  std::int32_t UtcOffset(std::int64_t utcSeconds) override { return clock_->UtcOffset(utcSeconds); }
  std::optional<std::uint64_t> PerformanceCounter() override { return clock_->PerformanceCounter(); }
  std::uint32_t MillisecondsSinceStart() override { return clock_->MillisecondsSinceStart(); }

 private:
  std::unique_ptr<Clock> clock_;
  std::FILE* log_;
};

}  // namespace
#endif

LinuxPorts::LinuxPorts() : store_(QtKeyValueStore::DefaultPath()) {
#ifdef TIMER_HAVE_LINUX_ADAPTERS
  // SDL and libpulse come in with the first song or volume step; the volume
  // is our stream's in the sound server, else the channel's own gain.
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
#ifdef TIMER_BENCH_HOOKS
  if (const char* logPath = std::getenv("TOVINS_TIMER_TICK_LOG")) {
    if (std::FILE* log = std::fopen(logPath, "we")) clock_ = std::make_unique<TickLogClock>(std::move(clock_), log);
  }
#endif
}

LinuxPorts::~LinuxPorts() = default;

Ports LinuxPorts::Bind(MainWindowView& window, AlarmNotifier& alarms) {
  return Ports{window, *sound_, store_, *folders_, *listing_, *clock_, *volume_, *tunes_, launcher_, chooser_, alarms};
}
