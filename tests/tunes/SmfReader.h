// The tests' own strict reader of standard MIDI files (independent of the
// compiler's writer): structure checked, notes, settings and tempo map collected.
#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string_view>
#include <vector>

struct SmfNote {
  std::int64_t start = 0, end = -1;
  int channel = 0, pitch = 0, velocity = 0;
};
struct SmfTrack {
  std::vector<SmfNote> notes;                 // in order of their note-on
  std::vector<std::pair<int, int>> settings;  // controller number and value, or -1 and a program, in order
};
struct Smf {
  std::vector<SmfTrack> tracks;
  std::vector<std::pair<std::int64_t, std::uint32_t>> tempos;  // tick, microseconds per quarter
};

// Reads a file of format 1, or throws what is wrong with it (which fails the test).
inline Smf ReadSmf(std::string_view bytes) {
  Smf smf;
  std::size_t pos = 0;
  const auto check = [](bool ok, const char* what) { ok ? void() : throw std::runtime_error(what); };
  const auto big = [&](int n) {  // past the end: std::out_of_range
    std::uint32_t value = 0;
    while (n-- > 0) value = value << 8 | static_cast<unsigned char>(bytes.at(pos++));
    return value;
  };
  const auto varLen = [&] {
    std::uint32_t value = 0, byte = 0x80;
    for (int i = 0; i < 4 && byte >= 0x80; ++i) value = value << 7 | ((byte = big(1)) & 0x7F);
    check(byte < 0x80, "a number longer than four bytes");
    return value;
  };
  check(big(4) == 0x4D546864 && big(4) == 6 && big(2) == 1, "no MThd header of format 1");  // "MThd"
  const std::uint32_t count = big(2);
  pos += 2;  // the division
  while (smf.tracks.size() < count) {
    check(big(4) == 0x4D54726B, "a track without MTrk");
    const std::size_t end = big(4) + pos;  // a longer track is found when its events run past `end`
    SmfTrack& track = smf.tracks.emplace_back();
    std::map<int, std::size_t> sounding;  // channel * 128 + pitch -> its note
    std::int64_t tick = 0;
    for (int status = 0, type = 0; type != 0x2F;) {
      tick += varLen();
      if (bytes.at(pos) == '\xFF') {  // a meta event, which ends running status
        type = static_cast<int>(big(2) & 0xFF);
        const std::uint32_t size = varLen();
        check(type == 0x51 ? size == 3 : type != 0x2F || size == 0, "a tempo or end of track of the wrong size");
        if (type == 0x51) smf.tempos.emplace_back(tick, big(3));
        if (type != 0x51) pos += size;
        status = 0;
        continue;
      }
      if (bytes.at(pos) & 0x80) status = static_cast<int>(big(1));
      const int kind = status & 0xF0, channel = status & 0x0F;
      check(status >= 0x80 && status < 0xF0, "a channel event without a status");
      const int a = static_cast<int>(big(1)), b = kind == 0xC0 || kind == 0xD0 ? 0 : static_cast<int>(big(1));
      check(a < 128 && b < 128, "a data byte above 127");
      if (kind == 0x90 && b > 0) {
        check(sounding.emplace(channel * 128 + a, track.notes.size()).second, "a sounding note struck again");
        track.notes.push_back({tick, -1, channel, a, b});
      } else if (kind == 0x80 || kind == 0x90) {
        const auto note = sounding.find(channel * 128 + a);
        check(note != sounding.end(), "a note-off without a note-on");
        track.notes[note->second].end = tick;
        sounding.erase(note);
      } else if (kind == 0xB0 || kind == 0xC0) {
        track.settings.emplace_back(kind == 0xC0 ? -1 : a, kind == 0xC0 ? a : b);
      }
    }
    check(pos == end && sounding.empty(), "end of track not at the end, or notes left sounding");
  }
  check(pos == bytes.size(), "bytes after the last track");
  return smf;
}
