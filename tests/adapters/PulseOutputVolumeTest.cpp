// The sound server's volume against a real private PulseAudio: levels, the
// stored entry, other streams, a stopped or restarted server, the unmute.
#include <gtest/gtest.h>
#include <pulse/ext-stream-restore.h>
#include <pulse/pulseaudio.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <chrono>
#include <sstream>
#include <thread>

#include "Fakes.h"
#include "PosixTestGuards.h"
#include "PulseOutputVolume.h"
#include "Skips.h"

namespace {

using namespace std::chrono;
constexpr char App[] = "Tovin's Timer";
constexpr char Key[] = "sink-input-by-application-name:Tovin's Timer";

// A level as the port has it: 16-bit left and right, or "full".
std::string Level(std::uint32_t level) {
  return level == 0xFFFFFFFF ? "full" : std::to_string(level & 0xFFFF) + "," + std::to_string(level >> 16);
}

pa_cvolume Cvolume(const std::string& text) {  // "65536,98304", "65536" (mono); "-": none
  pa_cvolume volume{};
  const int channels = std::sscanf(text.c_str(), "%u,%u", &volume.values[0], &volume.values[1]);
  return volume.channels = static_cast<std::uint8_t>(std::max(channels, 0)), volume;
}

// A private server, our child, with its socket and files in its own folder; our
// own connection to it stands for the mixer and the other programs.
struct Rig {
  TempDir dir;
  bool restore;  // the server keeps entries (module-stream-restore)
  pid_t pid = -1;
  pa_mainloop* loop = pa_mainloop_new();
  pa_context* context = nullptr;
  FakeOutputVolume fallback;  // the program's own gain
  PulseOutputVolume volume{fallback, App};
  std::string log;

  explicit Rig(bool restore) : restore(restore) {}
  ~Rig() { Kill(), context ? pa_context_unref(context) : void(), pa_mainloop_free(loop); }
  // Starts the server (in its shell: $1 the folder, $2 the module that keeps entries) and connects, retried until
  // the server listens.
  bool Start() {
    if ((pid = fork()) == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      execl("/bin/sh", "sh", "-c",
            "HOME=$1 XDG_RUNTIME_DIR=$1 PULSE_RUNTIME_PATH=$1 PULSE_STATE_PATH=$1 DISPLAY= DBUS_SESSION_BUS_ADDRESS="
            "unix:path=/nonexistent exec pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no"
            " --realtime=no --high-priority=no --log-target=file:${1}log -L module-null-sink"
            " -L \"module-native-protocol-unix auth-anonymous=1 socket=${1}native\" $2",
            "sh", dir.Path().c_str(), restore ? "-L module-stream-restore" : "", nullptr);
      _exit(127);
    }
    for (int tries = 0; pid > 0 && tries < 500; ++tries, std::this_thread::sleep_for(10ms)) {
      if (context) pa_context_unref(context);
      context = pa_context_new(pa_mainloop_get_api(loop), "mixer");
      pa_context_connect(context, ("unix:" + dir / "native").c_str(), PA_CONTEXT_NOAUTOSPAWN, nullptr);
      while (pa_context_get_state(context) < PA_CONTEXT_READY) pa_mainloop_iterate(loop, 1, nullptr);
      if (pa_context_get_state(context) == PA_CONTEXT_READY) return true;
    }
    return false;
  }
  void Kill() {  // never pid -1: that would be every process
    if (pid > 0 && kill(pid, SIGKILL) == 0) waitpid(pid, nullptr, 0), pid = -1;
  }
  void Wait(pa_operation* operation) {
    while (pa_operation_get_state(operation) == PA_OPERATION_RUNNING) pa_mainloop_iterate(loop, 1, nullptr);
    pa_operation_unref(operation);
  }
  // A stream of `name` from process `pid`; no volumes: the server chooses (stereo).
  void Play(const std::string& name, const std::string& pid, const pa_cvolume& volume, bool muted) {
    pa_proplist* props =
        pa_proplist_from_string(("application.name=\"" + name + "\" application.process.id=" + pid).c_str());
    const pa_sample_spec format{PA_SAMPLE_S16LE, 44100, volume.channels ? volume.channels : std::uint8_t{2}};
    pa_stream* stream = pa_stream_new_with_proplist(context, "song", &format, nullptr, props);
    pa_proplist_free(props);
    const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_START_CORKED | (muted ? PA_STREAM_START_MUTED : 0));
    pa_stream_connect_playback(stream, nullptr, nullptr, flags, volume.channels ? &volume : nullptr, nullptr);
    while (pa_stream_get_state(stream) == PA_STREAM_CREATING) pa_mainloop_iterate(loop, 1, nullptr);
    pa_stream_unref(stream);  // the connection keeps it playing
  }
  // Every stream (ours, a copy's of another process, another program's), our entry, the own gain.
  std::string State() {
    std::string text = log;
    Wait(pa_context_get_sink_input_info_list(context, OnStream, &text));
    Wait(pa_ext_stream_restore_read(context, OnEntry, &text));
    return text + Gain();
  }
  static void OnStream(pa_context*, const pa_sink_input_info* info, int eol, void* text) {
    const auto prop = [&](const char* name) { return std::string(pa_proplist_gets(info->proplist, name)); };
    if (eol) return;
    const bool ours = prop(PA_PROP_APPLICATION_PROCESS_ID) == std::to_string(getpid());
    Add(text, prop(PA_PROP_APPLICATION_NAME) != App ? "other" : ours ? "ours" : "copy", *info, nullptr);
  }
  static void OnEntry(pa_context*, const pa_ext_stream_restore_info* info, int eol, void* text) {
    if (!eol && std::string(info->name) == Key) Add(text, "entry", *info, info->device);
  }
  static void Add(void* text, const char* who, const auto& info, const char* device) {  // volume "-": no channels
    std::string& out = *static_cast<std::string*>(text) += std::string(who) + (info.volume.channels ? " " : " -");
    for (int i = 0; i < info.volume.channels; ++i) out += (i ? "," : "") + std::to_string(info.volume.values[i]);
    out += (device ? std::string(" ") + device : "") + (info.mute ? " muted; " : "; ");
  }
  std::string Gain() {
    return "gain " + Level(fallback.wave) + " " + Level(fallback.midi) + (volume.UsingServer() ? " server" : " own");
  }
};

// One step of a row: the program's calls, the mixer's and other programs' doings, the server's fate.
void Step(Rig& r, const std::string& step) {
  std::istringstream words(step);
  std::string op, a, b, c;
  words >> op >> a >> b >> c;
  const auto level = [&] { return Cvolume(a).values[0] | Cvolume(a).values[1] << 16; };
  if (op == "play")  // a copy of ours runs as another process
    return r.Play(a == "other" ? "Radio" : App, a == "copy" ? "1" : std::to_string(getpid()), Cvolume(b), c == "muted");
  if (op == "set") return r.volume.SetWaveVolume(level());
  if (op == "midi") return r.volume.SetMidiVolume(level());
  if (op == "unmute") return r.volume.UnmuteStream();
  if (op == "read") r.log += "read " + Level(r.volume.GetWaveVolume().value_or(0)) + "; ";
  if (op == "gain") r.log += r.Gain() + "; ";
  if (op == "store") {  // our entry as the mixer left it
    pa_ext_stream_restore_info info{Key, {}, Cvolume(a), b.c_str(), c == "muted"};
    pa_channel_map_init_stereo(&info.channel_map);
    r.Wait(pa_ext_stream_restore_write(r.context, PA_UPDATE_REPLACE, &info, 1, 0, nullptr, nullptr));
  }
  if (op == "stop") {  // ten steps; the connections they tried wait unanswered in the server's queue
    kill(r.pid, SIGSTOP), waitpid(r.pid, nullptr, WUNTRACED);
    for (std::uint32_t i = 0; i < 10; ++i) r.volume.SetWaveVolume(level() + i);
    r.dir.Run("ss -xlH src '" + r.dir / "native" + "' | awk '{printf $3}' >queued");
    r.log += "connections tried " + ReadBytes(r.dir / "queued") + "; ";
  }
  if (op == "cont") {  // steps until the server takes one again (or the hang guard ends the test)
    kill(r.pid, SIGCONT), waitpid(r.pid, nullptr, WCONTINUED);
    while (!r.volume.UsingServer()) {
      r.volume.SetWaveVolume(level());
      std::this_thread::sleep_for(50ms);  // a real server, coming back at its own pace
    }
  }
  if (op == "restart") r.Kill(), r.log += r.Start() ? "" : "no restart; ";
}

// Levels: the port's 16-bit left,right; the server's scale: 65536 = 100%.
TEST(PulseOutputVolume, LevelsEntriesOtherStreamsStopsAndUnmute) {
  if (std::system("command -v pulseaudio >/dev/null") != 0) TIMER_GTEST_SKIP("pulseaudio is not installed");
  HangGuard guard("PulseOutputVolume", 60);
  // The server keeps entries (module-stream-restore) or not; the steps; what
  // was read, the streams, our entry, the own gain.
  const std::tuple<bool, const char*, const char*> rows[] = {
      // A step reaches our stream and entry, rounded to the server's scale; MIDI steps not the own gain.
      {true, "play ours 65536,65536; set 45535,65535; read; midi 1000,1000",
       "read 45535,65535; ours 45536,65536; entry 45536,65536; gain full full server"},
      // The mixer's unequal channels, above 100% as full.
      {true, "play ours 16384,98304; read", "read 16384,65535; ours 16384,98304; entry -; gain full full server"},
      // No stream: full, then the entry takes the step, its device and mute kept for the next stream.
      {true, "read; store 65536,65536 null muted; set 16384,32768; read; play ours -",
       "read full; read 16384,32768; ours 16384,32769 muted; entry 16384,32769 null muted; gain full full server"},
      // Other programs' and other copies' streams left alone; ours in mono.
      {true, "play other 65536,65536 muted; play copy 65536,65536; play ours 65536; set 16384,16384; read",
       "read 16384,16384; other 65536,65536 muted; copy 65536,65536; ours 16384; entry 16384,16384; gain full full "
       "server"},
      // No stream-restore: the own gain takes the steps until a stream of ours exists.
      {false, "set 16384,16384; midi 8192,8192; read; gain; play ours 65536,65536; set 32768,32768",
       "read 16384,16384; gain 16384,16384 8192,8192 own; ours 32769,32769; gain full full server"},
      // A stopped server: steps to the own gain with no new connection tried (only the first step waits
      // on the server), the server's again once it is back.
      {true, "play ours 65536,65536; read; stop 4096,4096; midi 8192,8192; read; gain; cont 32768,32768",
       "read full; connections tried 0; read 4105,4096; gain 4105,4096 8192,8192 own; ours 32769,32769; "
       "entry 32769,32769; gain full full server"},
      // A restarted server takes the next step at once.
      {true, "set 16384,16384; restart; set 32768,32768", "entry 32769,32769; gain full full server"},
      // Unmute: our live stream, level kept; another program's mute stays.
      {true, "play other 65536,65536 muted; play ours 20000,30000 muted; store 20000,30000 null muted; unmute",
       "other 65536,65536 muted; ours 20000,30000; entry 20000,30000 null; gain full full own"},
      // Unmute: the stored entry, level and device kept for the next stream.
      {true, "store 20000,30000 null muted; unmute; play ours -",
       "ours 20000,30000; entry 20000,30000 null; gain full full own"},
  };
  for (const auto& [restore, steps, expected] : rows) {
    Rig rig(restore);
    ScopedEnv server("PULSE_SERVER", "unix:" + rig.dir / "native");
    ASSERT_TRUE(rig.Start()) << steps;
    std::istringstream in(steps);
    for (std::string step; std::getline(in >> std::ws, step, ';');) Step(rig, step);
    EXPECT_EQ(rig.State(), expected) << steps;
  }
}

}  // namespace
