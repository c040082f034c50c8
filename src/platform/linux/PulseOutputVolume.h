// The output-volume port in the desktop's sound server (PulseAudio, or
// PipeWire through its PulseAudio service): the volume of our own stream.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/Ports.h"

struct pa_context;
struct pa_mainloop;
struct pa_operation;

// The level is the volume of the program's stream as the desktop's mixer
// shows it, and the server's stored entry for the program's name
// (module-stream-restore), which it restores at every start and which can be
// written while no stream exists. Levels map linearly onto the server's
// scale, 65535 being 100%: the mixer then shows the same percentage as the
// Windows mixer does for the same level, and the server's own cubic curve
// makes equal steps sound alike.
//
// Each call is one short exchange with the server, cut off after a fraction
// of a second, so a stuck server never holds the program up. Where no server
// answers (plain ALSA, a server gone), the call goes to `fallback`, the
// program's own gain; while the server answers, that gain stays full.
class PulseOutputVolume : public OutputVolume {
 public:
  // appName: the application name our sound stream carries.
  PulseOutputVolume(OutputVolume& fallback, std::string appName);
  ~PulseOutputVolume() override;
  PulseOutputVolume(const PulseOutputVolume&) = delete;
  PulseOutputVolume& operator=(const PulseOutputVolume&) = delete;

  std::optional<std::uint32_t> GetWaveVolume() override;
  void SetWaveVolume(std::uint32_t value) override;
  // Wave and MIDI are the one stream: only the fallback gain takes this.
  void SetMidiVolume(std::uint32_t value) override;
  // Our live streams and the stored entry lose a mute set in the mixer.
  void UnmuteStream() override;

  bool UsingServer() const { return usingServer_; }

  struct Stream;  // one of our streams in the server

 private:
  bool Connect();
  void Disconnect();
  bool Exchange(const std::function<bool()>& exchange);
  bool Run(bool& done);
  bool Finish(pa_operation* operation, bool& done);
  struct StoredEntry;  // what the server stores for our streams
  bool ListStreams(std::vector<Stream>& streams, std::string& key);
  // False when the server has no stored-entry service or did not answer.
  bool ReadEntry(const std::string& key, StoredEntry& entry);
  std::optional<std::uint32_t> ServerLevel();
  bool SetServerLevel(std::uint32_t value);
  bool UnmuteServerStream();
  void KeepFallbackFull();

  OutputVolume& fallback_;
  std::string appName_;
  pa_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
  std::optional<std::chrono::steady_clock::time_point> lastFailure_;
  bool stuck_ = false;  // an exchange ran out of time
  bool usingServer_ = false;
  bool fallbackTouched_ = false;
};
