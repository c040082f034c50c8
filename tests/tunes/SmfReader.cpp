// The tests' own strict reader of standard MIDI files (independent of the
// compiler's writer): structure checked, notes and tempo map collected.
#include "SmfReader.h"

#include <algorithm>
#include <map>

namespace {

struct Cursor {
  std::string_view data;
  std::size_t pos = 0;
  bool Has(std::size_t n) const { return pos + n <= data.size(); }
  std::uint32_t Big(int n) {
    std::uint32_t value = 0;
    for (int i = 0; i < n; ++i) value = (value << 8) | static_cast<unsigned char>(data[pos++]);
    return value;
  }
  bool VarLen(std::uint32_t& value) {
    value = 0;
    for (int i = 0; i < 4 && Has(1); ++i) {
      const auto byte = static_cast<unsigned char>(data[pos++]);
      value = (value << 7) | (byte & 0x7F);
      if ((byte & 0x80) == 0) return true;
    }
    return false;
  }
};

std::string ReadTrack(std::string_view data, SmfTrack& track, Smf& smf) {
  Cursor c{data};
  std::int64_t tick = 0;
  int status = 0;
  std::map<std::pair<int, int>, std::vector<std::size_t>> open;  // channel, pitch -> notes sounding
  for (;;) {
    std::uint32_t delta = 0, length = 0;
    if (!c.VarLen(delta) || !c.Has(1)) return "truncated event";
    tick += delta;
    if (static_cast<unsigned char>(c.data[c.pos]) == 0xFF) {
      c.pos++;
      const int type = c.Has(1) ? static_cast<unsigned char>(c.data[c.pos++]) : -1;
      if (type < 0 || !c.VarLen(length) || !c.Has(length)) return "truncated meta event";
      if (type == 0x51 && length != 3) return "tempo event of wrong length";
      if (type == 0x51) smf.tempos.emplace_back(tick, c.Big(3));
      if (type != 0x51) c.pos += length;
      status = 0;
      if (type != 0x2F) continue;
      if (length != 0 || c.pos != data.size()) return "end-of-track not at the end";
      track.endTick = tick;
      break;
    }
    if (c.data[c.pos] & 0x80) status = static_cast<unsigned char>(c.data[c.pos++]);
    if (status == 0 || status >= 0xF0) return "data byte without a status";
    const int kind = status & 0xF0, channel = status & 0x0F, size = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
    if (!c.Has(size)) return "truncated channel event";
    const int a = static_cast<unsigned char>(c.data[c.pos]);
    const int b = size == 2 ? static_cast<unsigned char>(c.data[c.pos + 1]) : 0;
    c.pos += size;
    if (a > 127 || b > 127) return "data byte above 127";
    auto& sounding = open[{channel, a}];
    if (kind == 0x90 && b > 0) {
      sounding.push_back(track.notes.size());
      track.notes.push_back({tick, -1, channel, a, b});
    } else if (kind == 0x80 || kind == 0x90) {
      if (sounding.empty()) return "note-off without a note-on at tick " + std::to_string(tick);
      track.notes[sounding.front()].end = tick;
      sounding.erase(sounding.begin());
    } else if (kind == 0xC0) {
      track.programs.push_back(a);
    } else if (kind == 0xB0) {
      track.controls.insert(track.controls.end(), {a, b});
    }
  }
  for (const auto& [key, sounding] : open) {
    if (!sounding.empty()) return "note-on without a note-off, pitch " + std::to_string(key.second);
  }
  return "";
}

}  // namespace

std::string ReadSmf(std::string_view bytes, Smf& smf) {
  Cursor c{bytes};
  if (!c.Has(14) || bytes.substr(0, 4) != "MThd") return "no MThd header";
  c.pos = 4;
  if (c.Big(4) != 6) return "header length is not 6";
  smf.format = static_cast<int>(c.Big(2));
  const std::uint32_t tracks = c.Big(2);
  smf.division = static_cast<int>(c.Big(2));
  if (smf.division <= 0 || smf.division >= 0x8000) return "division is not in ticks per quarter";
  for (std::uint32_t i = 0; i < tracks; ++i) {
    if (!c.Has(8) || bytes.substr(c.pos, 4) != "MTrk") return "track " + std::to_string(i) + " has no MTrk";
    c.pos += 4;
    const std::uint32_t length = c.Big(4);
    if (!c.Has(length)) return "track " + std::to_string(i) + " is longer than the file";
    SmfTrack track;
    const std::string error = ReadTrack(bytes.substr(c.pos, length), track, smf);
    if (!error.empty()) return "track " + std::to_string(i) + ": " + error;
    smf.tracks.push_back(std::move(track));
    c.pos += length;
  }
  return c.pos == bytes.size() ? "" : "bytes after the last track";
}

double Smf::Seconds() const {
  std::int64_t end = 0, last = 0;
  for (const SmfTrack& track : tracks) end = std::max(end, track.endTick);
  auto map = tempos;
  std::stable_sort(map.begin(), map.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  double seconds = 0, perTick = 0.5 / division;  // 120 per minute until a tempo is set
  for (const auto& [tick, micros] : map) {
    seconds += static_cast<double>(std::min(tick, end) - last) * perTick;
    last = std::min(tick, end);
    perTick = micros / 1e6 / division;
  }
  return seconds + static_cast<double>(end - last) * perTick;
}
