// Writes the MIDI file: track chunks with running status, variable-length
// deltas, the header, and the playing time read back from the tempo map.
#include "MidiWriter.h"

#include <algorithm>

namespace tunec {
namespace {

void PutVarLen(std::string& out, std::uint32_t value) {
  char bytes[5];
  int count = 0;
  bytes[count++] = static_cast<char>(value & 0x7F);
  while ((value >>= 7) != 0) bytes[count++] = static_cast<char>((value & 0x7F) | 0x80);
  while (count > 0) out += bytes[--count];
}

void PutBig(std::string& out, std::uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string Meta(int type, const std::string& data) {
  std::string bytes{'\xFF', static_cast<char>(type)};
  PutVarLen(bytes, static_cast<std::uint32_t>(data.size()));
  return bytes + data;
}

// Channel messages share their status byte with the one before (running status).
std::string TrackChunk(std::vector<Event> events, std::int64_t endTick) {
  std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
    return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
  });
  std::string data;
  std::int64_t last = 0;
  unsigned char status = 0;
  for (const Event& event : events) {
    PutVarLen(data, static_cast<std::uint32_t>(event.tick - last));
    last = event.tick;
    auto first = static_cast<unsigned char>(event.bytes[0]);
    if (first >= 0x80 && first < 0xF0) {
      if (first == status) {
        data.append(event.bytes, 1);
      } else {
        data += event.bytes;
        status = first;
      }
    } else {
      data += event.bytes;
      status = 0;  // meta events cancel running status
    }
  }
  PutVarLen(data, static_cast<std::uint32_t>(std::max<std::int64_t>(endTick - last, 0)));
  data += Meta(0x2F, "");
  std::string chunk = "MTrk";
  PutBig(chunk, static_cast<std::uint32_t>(data.size()), 4);
  return chunk + data;
}

}  // namespace

std::string Channel(int status, int channel, int a, int b) {
  return {static_cast<char>(status | channel), static_cast<char>(a), static_cast<char>(b)};
}

std::string Tempo(int bpm) {
  std::string data;
  PutBig(data, static_cast<std::uint32_t>(60000000 / bpm), 3);
  return Meta(0x51, data);
}

TuneCompileResult WriteMidi(const Tune& tune, Arrangement arranged) {
  std::vector<std::vector<Event>>& tracks = arranged.tracks;
  std::vector<Event>& tempoTrack = arranged.tempoTrack;
  const std::int64_t offset = arranged.length;

  // The tempo track: time signature and starting tempo, then the changes.
  int denLog = 0;
  while ((1 << denLog) < tune.timeDen) ++denLog;
  std::string timeSig{static_cast<char>(tune.timeNum), static_cast<char>(denLog), 24, 8};
  tempoTrack.insert(tempoTrack.begin(), {{0, -2, Meta(0x58, timeSig)}, {0, -1, Tempo(tune.tempo)}});

  TuneCompileResult result;
  std::string& midi = result.midi;
  midi = "MThd";
  PutBig(midi, 6, 4);
  PutBig(midi, 1, 2);
  PutBig(midi, static_cast<std::uint32_t>(tune.tracks.size() + 1), 2);
  PutBig(midi, Ppq, 2);
  midi += TrackChunk(tempoTrack, offset);
  for (std::size_t t = 0; t < tune.tracks.size(); ++t) {
    const TrackDef& def = tune.tracks[t];
    std::vector<Event> head{{0, -4, Meta(0x03, def.name)},
                            {0, -3, Channel(0xC0, def.channel, def.program, 0).substr(0, 2)},
                            {0, -2, Channel(0xB0, def.channel, 7, def.volume)},
                            {0, -1, Channel(0xB0, def.channel, 10, def.pan)}};
    if (def.reverb >= 0) head.push_back({0, -1, Channel(0xB0, def.channel, 91, def.reverb)});
    tracks[t].insert(tracks[t].begin(), head.begin(), head.end());
    midi += TrackChunk(tracks[t], offset);
  }

  // Playing time from the tempo map.
  std::vector<Event> sorted = tempoTrack;
  std::stable_sort(sorted.begin(), sorted.end(), [](const Event& a, const Event& b) { return a.tick < b.tick; });
  double seconds = 0;
  std::int64_t last = 0;
  double secondsPerTick = 60.0 / tune.tempo / Ppq;
  for (const Event& event : sorted) {
    if (static_cast<unsigned char>(event.bytes[1]) != 0x51) continue;
    seconds += static_cast<double>(event.tick - last) * secondsPerTick;
    last = event.tick;
    std::uint32_t micros = (static_cast<unsigned char>(event.bytes[3]) << 16) |
                           (static_cast<unsigned char>(event.bytes[4]) << 8) |
                           static_cast<unsigned char>(event.bytes[5]);
    secondsPerTick = micros / 1e6 / Ppq;
  }
  result.seconds = seconds + static_cast<double>(offset - last) * secondsPerTick;
  return result;
}

}  // namespace tunec
