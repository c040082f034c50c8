// How long a shuffle and a song start take on large song trees, with the
// real folder listing, and how much memory the shuffled order holds; and how
// long a song start searches a tree of broken songs before a tune stands in.
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "EmbeddedTuneStore.h"
#include "PosixFolderListing.h"
#include "SdlSoundChannel.h"
#include "app/App.h"
#include "app/NullPorts.h"
#include "music/InternalTunes.h"
#include "music/Mp3Library.h"
#include "music/Music.h"
#include "music/TuneTitles.h"

namespace {

using Clock = std::chrono::steady_clock;

// A seed counter that moves on at every read, so shuffles differ.
class CountingClock : public NullClock {
 public:
  std::optional<std::uint64_t> PerformanceCounter() override { return counter_ += 0x9E3779B97F4A7C15ull; }

 private:
  std::uint64_t counter_ = 1;
};

struct BenchApp {
  NullMainWindowView window;
  NullSoundChannel sound;
  NullKeyValueStore store;
  NullUserFolders folders;
  PosixFolderListing listing;
  CountingClock clock;
  NullOutputVolume volume;
  NullTuneStore tunes;
  NullLauncher launcher;
  NullFolderChooser chooser;
  App app{AppState{}, Ports{window, sound, store, folders, listing, clock, volume, tunes, launcher, chooser}};
};

// songs / 100 folders of 100 one-byte songs each.
void MakeTree(const std::string& root, int songs) {
  const int folders = std::max(1, songs / 100);
  for (int f = 0; f < folders; ++f) {
    char folder[32];
    std::snprintf(folder, sizeof folder, "album%04d/", f);
    const std::string path = root + folder;
    mkdir(path.c_str(), 0700);
    for (int s = 0; s < songs / folders; ++s) {
      char name[32];
      std::snprintf(name, sizeof name, "track%03d.mp3", s);
      std::ofstream(path + name) << 'x';
    }
  }
}

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Processor time of this process: on a busy machine it shows the work alone.
double CpuMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Wall and processor time of one call.
template <typename F>
std::pair<double, double> Time(F&& f) {
  const double cpu = CpuMilliseconds();
  const auto start = Clock::now();
  f();
  return {Milliseconds(Clock::now() - start), CpuMilliseconds() - cpu};
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void Run(const std::string& base, int songs, int runs) {
  const std::string root = base + "tree" + std::to_string(songs) + "/";
  mkdir(root.c_str(), 0700);
  const auto made = Clock::now();
  MakeTree(root, songs);
  const double makeMs = Milliseconds(Clock::now() - made);

  BenchApp b;
  AppState& s = b.app.State;
  s.MP3Folder = root;
  s.SubfoldersOn = true;
  ShuffleSongs(b.app);  // warms the cache

  std::vector<double> shuffles;
  std::vector<double> shuffleCpu;
  for (int i = 0; i < runs; ++i) {
    bool found = false;
    const auto [wall, cpu] = Time([&] { found = ShuffleSongs(b.app); });
    shuffles.push_back(wall);
    shuffleCpu.push_back(cpu);
    const int counted = found ? static_cast<int>(s.SongOrder.size()) - 1 : 0;
    if (counted != songs) std::printf("  (counted %d songs, expected %d)\n", counted, songs);
  }

  // A song start at a random place in the order, and at the last song of the
  // walk (the longest search).
  std::mt19937 random(42);
  std::vector<double> starts;
  std::vector<double> startCpu;
  for (int i = 0; i < runs * 3; ++i) {
    s.SongPos = static_cast<std::int32_t>(random() % static_cast<std::uint32_t>(songs));
    const auto [wall, cpu] = Time([&] { NextSongPath(b.app); });
    starts.push_back(wall);
    startCpu.push_back(cpu);
    if (s.SongPath.empty()) std::printf("  (song start found nothing)\n");
  }
  std::vector<double> worst;
  const auto last = std::find(s.SongOrder.begin() + 1, s.SongOrder.end(), songs) - s.SongOrder.begin();
  for (int i = 0; i < runs; ++i) {
    s.SongPos = static_cast<std::int32_t>(last - 1);
    worst.push_back(Time([&] { NextSongPath(b.app); }).first);
  }

  const double orderBytes = static_cast<double>(s.SongOrder.capacity() * sizeof(std::int32_t));
  std::printf(
      "%7d songs | shuffle %7.1f ms (cpu %7.1f) | song start %6.1f ms (cpu %6.1f, last song %6.1f) | "
      "order %7.0f bytes, %.1f per song | tree made in %.0f ms\n",
      songs, Median(shuffles), Median(shuffleCpu), Median(starts), Median(startCpu), Median(worst), orderBytes,
      orderBytes / songs, makeMs);
  std::fflush(stdout);
  std::error_code ec;
  std::filesystem::remove_all(root, ec);
}

// The real sound channel and tunes over a tree of broken songs.
class BenchFolders : public NullUserFolders {
 public:
  explicit BenchFolders(std::string temp) : temp_(std::move(temp)) {}
  std::string TempFolder() override { return temp_; }

 private:
  std::string temp_;
};

struct SoundBenchApp {
  explicit SoundBenchApp(const std::string& temp) : folders(temp) {}
  NullMainWindowView window;
  SdlSoundChannel sound;
  NullKeyValueStore store;
  BenchFolders folders;
  PosixFolderListing listing;
  CountingClock clock;
  NullOutputVolume volume;
  EmbeddedTuneStore tunes;
  NullLauncher launcher;
  NullFolderChooser chooser;
  App app{AppState{}, Ports{window, sound, store, folders, listing, clock, volume, tunes, launcher, chooser}};
};

// Go over songs / 100 folders of 100 broken songs each: the shuffle, then
// the song start that tries songs until the bound and starts a tune.
void RunBroken(const std::string& base, int songs, int runs, const char* kind, const std::string& bytes,
               const char* driver) {
  const std::string root = base + "broken" + std::to_string(songs) + "/";
  mkdir(root.c_str(), 0700);
  for (int f = 0; f < std::max(1, songs / 100); ++f) {
    const std::string folder = root + "album" + std::to_string(f) + "/";
    mkdir(folder.c_str(), 0700);
    for (int n = 0; n < std::min(100, songs); ++n)
      std::ofstream(folder + "track" + std::to_string(n) + ".mp3") << bytes;
  }
  setenv("SDL_AUDIODRIVER", driver, 1);
  std::vector<double> shuffles, starts, startCpu, tunes;
  int tries = 0;
  std::string mode;
  bool tune = false;
  for (int i = 0; i < runs; ++i) {
    SoundBenchApp b(base);
    AppState& s = b.app.State;
    s.UseMidi = false;
    s.SubfoldersOn = true;
    s.MP3Folder = root;
    shuffles.push_back(Time([&] { BeginMusic(b.app); }).first);
    const auto [wall, cpu] = Time([&] { PlayNextSong(b.app); });
    starts.push_back(wall);
    startCpu.push_back(cpu);
    // A tune that stood in leaves the count of tries at zero for the next start.
    tune = s.SongTries == 0;
    tries = tune ? std::min(songs, MaxSongTries) : s.SongTries;
    mode = b.sound.Mode();
    for (int tick = 0; tick < 5; ++tick) KeepPlaying(b.app);  // settles: nothing new starts
    if (b.sound.Mode() != mode) std::printf("  (the channel changed after the start)\n");
    if (tune) tunes.push_back(Time([&] { PlayInternalTune(b.app); }).first);
  }
  if (tunes.empty()) tunes.push_back(0);
  std::printf(
      "%7d songs, %-22s, %-5s device | shuffle %6.1f ms | song start %6.1f ms (cpu %6.1f; of which a tune "
      "start %5.1f): %d tried, %s, mode \"%s\"\n",
      songs, kind, driver, Median(shuffles), Median(starts), Median(startCpu), Median(tunes), tries,
      tune ? "then a tune" : "a song played", mode.c_str());
  std::fflush(stdout);
  std::error_code ec;
  std::filesystem::remove_all(root, ec);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes;
  int runs = 7;
  int broken = 10000;
  bool brokenOnly = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--broken") {
      brokenOnly = true;
      if (i + 1 < argc && std::atoi(argv[i + 1]) > 0) broken = std::atoi(argv[++i]);
    } else if (arg == "--runs" && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (std::atoi(arg.c_str()) > 0) {
      sizes.push_back(std::atoi(arg.c_str()));
    } else {
      std::fprintf(stderr, "usage: %s [--runs N] [songs...] [--broken [songs]]\n", argv[0]);
      return 2;
    }
  }
  if (sizes.empty()) sizes = {1000, 10000, 100000};

  const char* tmp = std::getenv("TMPDIR");
  std::string base = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/timer-bench-XXXXXX";
  if (mkdtemp(base.data()) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  base += "/";
  if (!brokenOnly) {
    std::printf(
        "MP3 library with the POSIX folder listing: median of %d runs, warm cache; wall time, and\n"
        "processor time of this process (cpu) which a busy machine does not inflate\n",
        runs);
    std::printf("(goal at 100000 songs: shuffle <= 150 ms, song start <= 100 ms, 4 bytes per song)\n");
    for (const int songs : sizes) Run(base, songs, runs);
  }
  std::printf(
      "\nA tree of broken songs, real SDL channel and tunes: the song start tries at most %d songs, then\n"
      "an internal tune (its start includes loading the SoundFont); median of 3 runs\n",
      MaxSongTries);
  const std::string garbage = std::string("\xFF\xFB\x90\x64") + std::string(2000, 'x');
  // A sound MIDI header over a track of garbage: it starts, then ends at once.
  const std::string midiHeader =
      std::string("MThd\0\0\0\6\0\0\0\1\0\x60MTrk\0\0\x10\0", 22) + std::string(4096, '\xFF');
  RunBroken(base, broken, 3, "MP3 header on garbage", garbage, "dummy");
  RunBroken(base, broken, 3, "MIDI track of garbage", midiHeader, "dummy");
  RunBroken(base, broken, 3, "MP3 header on garbage", garbage, "none");
  std::error_code ec;
  std::filesystem::remove_all(base, ec);
  return 0;
}
