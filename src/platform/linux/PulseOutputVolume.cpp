// libpulse behind the output-volume port: short synchronous exchanges on a
// private main loop, each bounded in time (see PulseOutputVolume.h).
#include "PulseOutputVolume.h"

#include <pulse/context.h>
#include <pulse/ext-stream-restore.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>
#include <pulse/proplist.h>
#include <pulse/volume.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace {

constexpr auto ExchangeLimit = std::chrono::milliseconds(250);
constexpr auto RetryPause = std::chrono::seconds(3);
constexpr std::uint64_t FullLevel = 65535;
constexpr std::uint32_t FullBoth = 0xFFFFFFFFu;
// The property the server's stream-restore module names a stream's entry by.
constexpr char RestoreIdProperty[] = "module-stream-restore.id";

pa_volume_t ToServer(std::uint32_t level) {
  return static_cast<pa_volume_t>((level * std::uint64_t{PA_VOLUME_NORM} + FullLevel / 2) / FullLevel);
}

std::uint32_t FromServer(pa_volume_t volume) {
  const std::uint64_t level = (volume * FullLevel + PA_VOLUME_NORM / 2) / PA_VOLUME_NORM;
  return static_cast<std::uint32_t>(std::min(level, FullLevel));  // above 100% reads as full
}

pa_channel_map StereoMap() {
  pa_channel_map map;
  pa_channel_map_init_stereo(&map);
  return map;
}

pa_cvolume StereoVolume(std::uint32_t value) {
  pa_cvolume volume;
  pa_cvolume_init(&volume);
  volume.channels = 2;
  volume.values[0] = ToServer(value & 0xFFFF);
  volume.values[1] = ToServer(value >> 16);
  return volume;
}

// Left and right of a volume in any channel layout, packed as the port has them.
std::optional<std::uint32_t> Packed(pa_cvolume volume, const pa_channel_map& map) {
  if (!pa_cvolume_valid(&volume) || !pa_channel_map_valid(&map) ||
      !pa_cvolume_compatible_with_channel_map(&volume, &map))
    return std::nullopt;
  const pa_channel_map stereo = StereoMap();
  pa_cvolume_remap(&volume, &map, &stereo);
  return FromServer(volume.values[0]) | FromServer(volume.values[1]) << 16;
}

struct Outcome {
  bool done = false;
  bool ok = false;
};

void OnSuccess(pa_context*, int success, void* data) {
  auto& outcome = *static_cast<Outcome*>(data);
  outcome.ok = success != 0;
  outcome.done = true;
}

}  // namespace

struct PulseOutputVolume::Stream {
  std::uint32_t index;
  pa_cvolume volume;
  pa_channel_map map;
  bool muted;
};

struct PulseOutputVolume::StoredEntry {
  bool done = false;
  bool ok = false;
  std::string key;
  bool found = false;
  pa_cvolume volume{};
  pa_channel_map map{};
  std::string device;
  int mute = 0;
};

namespace {
struct StreamSearch {
  std::string processId;
  std::string appName;
  std::vector<PulseOutputVolume::Stream>* streams;
  std::string* key;
  bool done = false;
  bool ok = false;
};
}  // namespace

PulseOutputVolume::PulseOutputVolume(OutputVolume& fallback, std::string appName)
    : fallback_(fallback), appName_(std::move(appName)) {}

PulseOutputVolume::~PulseOutputVolume() { Disconnect(); }

void PulseOutputVolume::Disconnect() {
  if (context_ != nullptr) {
    pa_context_set_state_callback(context_, nullptr, nullptr);
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    context_ = nullptr;
  }
  if (loop_ != nullptr) {
    pa_mainloop_free(loop_);
    loop_ = nullptr;
  }
}

bool PulseOutputVolume::Run(bool& done) {
  using namespace std::chrono;
  const auto deadline = steady_clock::now() + ExchangeLimit;
  while (!done) {
    if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context_))) return false;
    const auto left = duration_cast<microseconds>(deadline - steady_clock::now()).count();
    if (left <= 0 || pa_mainloop_prepare(loop_, static_cast<int>(left)) < 0 || pa_mainloop_poll(loop_) < 0 ||
        pa_mainloop_dispatch(loop_) < 0) {
      stuck_ = true;
      return false;
    }
  }
  return true;
}

bool PulseOutputVolume::Finish(pa_operation* operation, bool& done) {
  if (operation == nullptr) return false;
  const bool finished = Run(done);
  // A late answer must not reach the finished caller's variables.
  if (!finished) pa_operation_cancel(operation);
  pa_operation_unref(operation);
  return finished;
}

bool PulseOutputVolume::Connect() {
  if (context_ != nullptr && pa_context_get_state(context_) == PA_CONTEXT_READY) return true;
  Disconnect();
  const auto now = std::chrono::steady_clock::now();
  if (lastFailure_ && now - *lastFailure_ < RetryPause) return false;
  loop_ = pa_mainloop_new();
  if (loop_ != nullptr) context_ = pa_context_new(pa_mainloop_get_api(loop_), appName_.c_str());
  if (context_ != nullptr) {
    bool ready = false;
    pa_context_set_state_callback(
        context_,
        [](pa_context* context, void* data) {
          if (pa_context_get_state(context) == PA_CONTEXT_READY) *static_cast<bool*>(data) = true;
        },
        &ready);
    // Never start a server: where none runs, the program's own gain serves.
    const bool connected = pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0 && Run(ready);
    pa_context_set_state_callback(context_, nullptr, nullptr);
    if (connected) return true;
  }
  Disconnect();
  lastFailure_ = now;
  stuck_ = false;
  return false;
}

bool PulseOutputVolume::Exchange(const std::function<bool()>& exchange) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    const bool reused = context_ != nullptr && pa_context_get_state(context_) == PA_CONTEXT_READY;
    if (!Connect()) return false;
    if (exchange()) return true;
    // A server that answers but cannot hold our level keeps its connection.
    if (!stuck_ && PA_CONTEXT_IS_GOOD(pa_context_get_state(context_))) return false;
    // A connection that died since the last step (a restarted server) is
    // made anew at once; a new one that fails, or a stuck server, waits.
    const bool again = reused && !stuck_;
    Disconnect();
    stuck_ = false;
    if (!again) {
      lastFailure_ = std::chrono::steady_clock::now();
      return false;
    }
  }
  return false;
}

bool PulseOutputVolume::ListStreams(std::vector<Stream>& streams, std::string& key) {
  streams.clear();
  key.clear();
  StreamSearch search{std::to_string(getpid()), appName_, &streams, &key};
  pa_operation* operation = pa_context_get_sink_input_info_list(
      context_,
      [](pa_context*, const pa_sink_input_info* info, int eol, void* data) {
        auto& search = *static_cast<StreamSearch*>(data);
        if (eol != 0) {
          search.ok = eol > 0;
          search.done = true;
          return;
        }
        const char* pid = pa_proplist_gets(info->proplist, PA_PROP_APPLICATION_PROCESS_ID);
        const char* name = pa_proplist_gets(info->proplist, PA_PROP_APPLICATION_NAME);
        if (!pid || !name || search.processId != pid || search.appName != name || !info->has_volume) return;
        search.streams->push_back({info->index, info->volume, info->channel_map, info->mute != 0});
        const char* id = pa_proplist_gets(info->proplist, RestoreIdProperty);
        if (id != nullptr && search.key->empty()) *search.key = id;
      },
      &search);
  if (!Finish(operation, search.done) || !search.ok) return false;
  // The name the server files a stream under when it has no media role.
  if (key.empty()) key = "sink-input-by-application-name:" + appName_;
  return true;
}

bool PulseOutputVolume::ReadEntry(const std::string& key, StoredEntry& entry) {
  entry.key = key;
  pa_operation* operation = pa_ext_stream_restore_read(
      context_,
      [](pa_context*, const pa_ext_stream_restore_info* info, int eol, void* data) {
        auto& entry = *static_cast<StoredEntry*>(data);
        if (eol != 0) {
          entry.ok = eol > 0;
          entry.done = true;
          return;
        }
        if (info->name == nullptr || entry.key != info->name) return;
        entry.found = true;
        entry.volume = info->volume;
        entry.map = info->channel_map;
        entry.device = info->device ? info->device : "";
        entry.mute = info->mute;
      },
      &entry);
  return Finish(operation, entry.done) && entry.ok;
}

std::optional<std::uint32_t> PulseOutputVolume::ServerLevel() {
  std::vector<Stream> streams;
  std::string key;
  if (!ListStreams(streams, key)) return std::nullopt;
  if (!streams.empty()) return Packed(streams.front().volume, streams.front().map);
  StoredEntry entry;
  // Without a stored-entry service the server cannot hold our level.
  if (!ReadEntry(key, entry)) return std::nullopt;
  if (!entry.found || entry.volume.channels == 0) return FullBoth;  // new streams start at 100%
  return Packed(entry.volume, entry.map);
}

bool PulseOutputVolume::SetServerLevel(std::uint32_t value) {
  std::vector<Stream> streams;
  std::string key;
  if (!ListStreams(streams, key)) return false;
  const pa_channel_map stereo = StereoMap();
  for (const Stream& stream : streams) {
    pa_cvolume volume = StereoVolume(value);
    if (!pa_cvolume_remap(&volume, &stereo, &stream.map)) continue;
    Outcome outcome;
    if (!Finish(pa_context_set_sink_input_volume(context_, stream.index, &volume, OnSuccess, &outcome), outcome.done))
      return false;
  }
  // The stored entry: the level of the next stream, also of the next start.
  // Its device and mute, set in the mixer, stay as they are.
  StoredEntry entry;
  if (!ReadEntry(key, entry)) return !streams.empty();
  pa_ext_stream_restore_info info{};
  info.name = key.c_str();
  info.channel_map = stereo;
  info.volume = StereoVolume(value);
  info.device = entry.found && !entry.device.empty() ? entry.device.c_str() : nullptr;
  info.mute = entry.found ? entry.mute : 0;
  Outcome outcome;
  if (!Finish(pa_ext_stream_restore_write(context_, PA_UPDATE_REPLACE, &info, 1, 0, OnSuccess, &outcome), outcome.done))
    return false;
  return outcome.ok || !streams.empty();
}

bool PulseOutputVolume::UnmuteServerStream() {
  std::vector<Stream> streams;
  std::string key;
  if (!ListStreams(streams, key)) return false;
  for (const Stream& stream : streams) {
    if (!stream.muted) continue;
    Outcome outcome;
    if (!Finish(pa_context_set_sink_input_mute(context_, stream.index, 0, OnSuccess, &outcome), outcome.done))
      return false;
  }
  // The stored entry, which the server applies to every new stream of ours;
  // its level and device stay as they are.
  StoredEntry entry;
  if (!ReadEntry(key, entry)) return true;
  if (!entry.found || entry.mute == 0) return true;
  pa_ext_stream_restore_info info{};
  info.name = key.c_str();
  info.channel_map = entry.map;
  info.volume = entry.volume;
  info.device = entry.device.empty() ? nullptr : entry.device.c_str();
  info.mute = 0;
  Outcome outcome;
  return Finish(pa_ext_stream_restore_write(context_, PA_UPDATE_REPLACE, &info, 1, 0, OnSuccess, &outcome),
                outcome.done);
}

void PulseOutputVolume::UnmuteStream() {
  // Where no server answers there is no mute but the user's master.
  Exchange([&] { return UnmuteServerStream(); });
}

void PulseOutputVolume::KeepFallbackFull() {
  usingServer_ = true;
  if (!fallbackTouched_) return;
  fallbackTouched_ = false;
  fallback_.SetWaveVolume(FullBoth);
  fallback_.SetMidiVolume(FullBoth);
}

std::optional<std::uint32_t> PulseOutputVolume::GetWaveVolume() {
  std::optional<std::uint32_t> level;
  if (Exchange([&] { return (level = ServerLevel()).has_value(); })) {
    KeepFallbackFull();
    return level;
  }
  usingServer_ = false;
  return fallback_.GetWaveVolume();
}

void PulseOutputVolume::SetWaveVolume(std::uint32_t value) {
  if (Exchange([&] { return SetServerLevel(value); })) {
    KeepFallbackFull();
    return;
  }
  usingServer_ = false;
  fallbackTouched_ = true;
  fallback_.SetWaveVolume(value);
}

void PulseOutputVolume::SetMidiVolume(std::uint32_t value) {
  if (usingServer_) return;
  fallbackTouched_ = true;
  fallback_.SetMidiVolume(value);
}
