// The tests' own strict reader of standard MIDI files (independent of the
// compiler's writer): structure checked, notes and tempo map collected.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

struct SmfNote {
  std::int64_t start = 0, end = -1;
  int channel = 0, pitch = 0, velocity = 0;
};

struct SmfTrack {
  std::vector<SmfNote> notes;                 // in order of their note-on
  std::vector<std::pair<int, int>> settings;  // controller number and value, or -1 and a program, in order
  std::int64_t endTick = 0;                   // tick of the end-of-track event
};

struct Smf {
  int format = -1, division = 0;
  std::vector<SmfTrack> tracks;
  std::vector<std::pair<std::int64_t, std::uint32_t>> tempos;  // tick, microseconds per quarter
};

// Fills `smf`, or returns what is wrong with the file.
inline std::string ReadSmf(std::string_view bytes, Smf& smf) {
  std::size_t pos = 0, limit = bytes.size();  // limit: the end of the chunk being read
  const auto has = [&](std::size_t n) { return pos + n <= limit; };
  const auto byte = [&] { return static_cast<int>(static_cast<unsigned char>(bytes[pos++])); };
  const auto big = [&](int n) {
    std::uint32_t value = 0;
    while (n-- > 0) value = value << 8 | byte();
    return value;
  };
  const auto varLen = [&](std::uint32_t& value) {
    value = 0;
    for (int i = 0; i < 4 && has(1); ++i) {
      const int b = byte();
      value = value << 7 | (b & 0x7F);
      if (b < 0x80) return true;
    }
    return false;
  };
  if (!has(14) || bytes.substr(0, 8) != std::string_view("MThd\0\0\0\6", 8)) return "no MThd header of length 6";
  pos = 8;
  smf.format = static_cast<int>(big(2));
  const std::uint32_t count = big(2);
  smf.division = static_cast<int>(big(2));
  for (std::uint32_t i = 0; i < count; ++i) {
    if (!has(8) || bytes.substr(pos, 4) != "MTrk") return "a track without MTrk";
    pos += 4;
    const std::uint32_t length = big(4);
    if (!has(length)) return "a track longer than the file";
    limit = pos + length;
    SmfTrack& track = smf.tracks.emplace_back();
    std::map<int, std::size_t> sounding;  // channel * 128 + pitch -> its note
    std::int64_t tick = 0;
    for (int status = 0, type = 0; type != 0x2F;) {
      std::uint32_t delta = 0, size = 0;
      if (!varLen(delta) || !has(1)) return "truncated event";
      tick += delta;
      if (bytes[pos] == '\xFF') {
        pos++;
        type = has(1) ? byte() : -1;
        if (type < 0 || !varLen(size) || !has(size) || (type == 0x51 && size != 3) || (type == 0x2F && size != 0)) {
          return "bad meta event";
        }
        const std::size_t next = pos + size;
        if (type == 0x51) smf.tempos.emplace_back(tick, big(3));
        pos = next;
        status = 0;
        continue;
      }
      if (bytes[pos] & 0x80) status = byte();
      if (status == 0 || status >= 0xF0) return "data byte without a status";
      const int kind = status & 0xF0, channel = status & 0x0F;
      size = kind == 0xC0 || kind == 0xD0 ? 1 : 2;
      if (!has(size)) return "truncated channel event";
      const int a = byte(), b = size == 2 ? byte() : 0;
      if (a > 127 || b > 127) return "data byte above 127";
      if (kind == 0x90 && b > 0) {
        if (!sounding.emplace(channel * 128 + a, track.notes.size()).second) return "a sounding pitch struck again";
        track.notes.push_back({tick, -1, channel, a, b});
      } else if (kind == 0x80 || kind == 0x90) {
        const auto note = sounding.find(channel * 128 + a);
        if (note == sounding.end()) return "note-off without a note-on at tick " + std::to_string(tick);
        track.notes[note->second].end = tick;
        sounding.erase(note);
      } else if (kind == 0xB0 || kind == 0xC0) {
        track.settings.emplace_back(kind == 0xC0 ? -1 : a, kind == 0xC0 ? a : b);
      }
    }
    track.endTick = tick;
    if (pos != limit) return "end-of-track not at the end";
    if (!sounding.empty()) return "a note without a note-off";
    limit = bytes.size();
  }
  return pos == bytes.size() ? "" : "bytes after the last track";
}
