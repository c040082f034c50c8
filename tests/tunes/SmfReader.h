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
  int format = -1;
  std::vector<SmfTrack> tracks;
  std::vector<std::pair<std::int64_t, std::uint32_t>> tempos;  // tick, microseconds per quarter
};

// Fills `smf`, or returns what is wrong with the file.
inline std::string ReadSmf(std::string_view bytes, Smf& smf) {
  std::size_t pos = 0;
  const auto has = [&](std::size_t n) { return pos + n <= bytes.size(); };
  const auto big = [&](int n) {
    std::uint32_t value = 0;
    while (n-- > 0) value = value << 8 | static_cast<unsigned char>(bytes[pos++]);
    return value;
  };
  const auto varLen = [&](std::uint32_t& value) {
    value = 0;
    for (int i = 0; i < 4 && has(1); ++i) {
      const std::uint32_t byte = big(1);
      value = value << 7 | (byte & 0x7F);
      if (byte < 0x80) return true;
    }
    return false;
  };
  if (!has(14) || big(4) != 0x4D546864 || big(4) != 6) return "no MThd header of length 6";  // "MThd"
  smf.format = static_cast<int>(big(2));
  const std::uint32_t count = big(2);
  pos += 2;  // the division
  while (smf.tracks.size() < count) {
    if (!has(8) || bytes.substr(pos, 4) != "MTrk") return "a track without MTrk";
    pos += 4;
    const std::size_t end = big(4) + pos;  // a longer track is found when its events run past `end`
    SmfTrack& track = smf.tracks.emplace_back();
    std::map<int, std::size_t> sounding;  // channel * 128 + pitch -> its note
    for (int status = 0, type = 0; type != 0x2F;) {
      std::uint32_t delta = 0, size = 0;
      if (!varLen(delta) || !has(1)) return "truncated event";
      track.endTick += delta;
      if (bytes[pos] == '\xFF') {
        type = has(2) ? static_cast<unsigned char>(bytes[pos + 1]) : -1;
        pos += 2;
        if (type < 0 || !varLen(size) || !has(size)) return "truncated meta event";
        if ((type == 0x51 && size != 3) || (type == 0x2F && size != 0)) return "tempo or end-of-track of wrong size";
        if (type == 0x51) smf.tempos.emplace_back(track.endTick, big(3));
        if (type != 0x51) pos += size;
        status = 0;  // a meta event ends running status
        continue;
      }
      if (bytes[pos] & 0x80) status = static_cast<int>(big(1));
      const int kind = status & 0xF0, channel = status & 0x0F, width = kind == 0xC0 || kind == 0xD0 ? 1 : 2;
      if (status < 0x80 || status >= 0xF0 || !has(width)) return "a channel event truncated or without a status";
      const int a = static_cast<int>(big(1)), b = width == 2 ? static_cast<int>(big(1)) : 0;
      if (a > 127 || b > 127) return "a data byte above 127";
      if (kind == 0x90 && b > 0) {
        if (!sounding.emplace(channel * 128 + a, track.notes.size()).second) return "a sounding note struck again";
        track.notes.push_back({track.endTick, -1, channel, a, b});
      } else if (kind == 0x80 || kind == 0x90) {
        const auto note = sounding.find(channel * 128 + a);
        if (note == sounding.end()) return "a note-off without a note-on at tick " + std::to_string(track.endTick);
        track.notes[note->second].end = track.endTick;
        sounding.erase(note);
      } else if (kind == 0xB0 || kind == 0xC0) {
        track.settings.emplace_back(kind == 0xC0 ? -1 : a, kind == 0xC0 ? a : b);
      }
    }
    if (pos != end || !sounding.empty()) return "end-of-track not at the end, or notes left sounding";
  }
  return pos == bytes.size() ? "" : "bytes after the last track";
}
