// The Windows adapters of the ports: folder listing, clock, output volume,
// tune resources and program launching.

#include <cstdint>

#include "Win32.h"
#include "app/Ports.h"

// FindFirstFileA / FindNextFileA / FindClose; the handle is the platform's.
class Win32FolderListing : public FolderListing {
 public:
  Handle FindFirst(const std::string& pattern, FindData& data, std::uint32_t& error) override;
  bool FindNext(Handle handle, FindData& data, std::uint32_t& error) override;
  void FindClose(Handle handle) override;
};

// System time and the zone's rules; spans on the tick count, which counts
// sleep; the seed from the performance counter or the tick count.
class Win32Clock : public Clock {
 public:
  std::int64_t UtcSeconds() override;
  std::int64_t BootSeconds() override;
  std::int32_t UtcOffset(std::int64_t utcSeconds) override;
  std::optional<std::uint64_t> PerformanceCounter() override;
  std::uint32_t MillisecondsSinceStart() override;
};

// The default wave output device's volume (opened for each call) and the
// volume of MIDI output device 0; the mute of the program's own audio
// session in the system's volume mixer.
class WinmmOutputVolume : public OutputVolume {
 public:
  std::optional<std::uint32_t> GetWaveVolume() override;
  void SetWaveVolume(std::uint32_t value) override;
  void SetMidiVolume(std::uint32_t value) override;
  void UnmuteStream() override;
};

// The "MIDI" resources of the program file, written out with CreateFileA.
class ResourceTuneStore : public TuneStore {
 public:
  std::optional<std::string_view> FindResource(const std::string& name, const std::string& type) override;
  bool WriteFile(const std::string& path, std::string_view bytes) override;
};

// Starts a program through the shell, owned by a window of ours.
class ShellLauncher : public Launcher {
 public:
  void SetOwner(std::uintptr_t window) { owner_ = window; }
  bool Launch(const std::string& program) override;

 private:
  std::uintptr_t owner_ = 0;
};
