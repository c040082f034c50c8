// Where the time of Go goes with a built-in tune: loading the sound module
// (SDL, SDL_mixer, FluidSynth, mpg123, libpulse), opening the audio device,
// and loading the SoundFont with the tune; each run loads the module afresh
// and unloads it after, as the program does. The audio driver is SDL's
// choice ($SDL_AUDIODRIVER); run it beside a sound server to see the device.
// Usage: go_parts MODULE [RUNS]   (the tune is the first built-in one)
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "EmbeddedTunes.h"
#include "app/Ports.h"

namespace {
using Steady = std::chrono::steady_clock;
double Ms(Steady::time_point from, Steady::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}
double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s MODULE [RUNS]\n", argv[0]);
    return 2;
  }
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
  const std::string tunePath = "/tmp/go-parts-" + std::to_string(getpid()) + ".mid";
  std::ofstream(tunePath, std::ios::binary) << EmbeddedTune('a');
  std::vector<double> load, device, tune, play, total;
  for (int run = 0; run < runs; ++run) {
    const auto start = Steady::now();
    void* module = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
      std::fprintf(stderr, "cannot load %s: %s\n", argv[1], dlerror());
      return 1;
    }
    // As the program does: the patch library under FluidSynth must outlive the module.
    if (void* patches = dlopen("libinstpatch-1.0.so.2", RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE)) dlclose(patches);
    auto create = reinterpret_cast<SoundChannel* (*)()>(dlsym(module, "TovinsTimerCreateSound"));
    SoundChannel* channel = create();
    const auto loaded = Steady::now();
    const bool tone = channel->OpenTone();  // the device alone
    channel->Close();
    const auto opened = Steady::now();
    channel->Open(tunePath);
    const auto ready = Steady::now();
    channel->Play();
    const std::string mode = channel->Mode();
    const auto playing = Steady::now();
    if (!tone || mode != "playing")
      std::printf("  (run %d: device %s, tune %s)\n", run + 1, tone ? "open" : "failed", mode.c_str());
    load.push_back(Ms(start, loaded)), device.push_back(Ms(loaded, opened)), tune.push_back(Ms(opened, ready));
    play.push_back(Ms(ready, playing)), total.push_back(Ms(start, playing));
    delete channel;
    dlclose(module);
  }
  std::printf(
      "Go with a built-in tune, median of %d (ms): module %.1f, device %.1f, SoundFont and tune %.1f, "
      "play %.1f; total %.1f, then the first buffer (1024 frames, 23 ms) and the server's latency\n",
      runs, Median(load), Median(device), Median(tune), Median(play), Median(total));
  std::remove(tunePath.c_str());
}
