// Lays the sections out in playing order: each section starts from the
// tracks' own instruments and the piece's tempo (or its own from the play line).
#include "TuneArranger.h"

#include <algorithm>

#include "TuneCompiler.h"

namespace tunec {

Arrangement Arrange(const Tune& tune) {
  Arrangement arranged;
  std::vector<std::vector<Event>>& tracks = arranged.tracks;
  std::vector<Event>& tempoTrack = arranged.tempoTrack;
  tracks.resize(tune.tracks.size());
  std::vector<int> program(tune.tracks.size());
  for (std::size_t t = 0; t < tune.tracks.size(); ++t) program[t] = tune.tracks[t].program;
  int tempo = tune.tempo;
  std::int64_t offset = 0;
  std::size_t events = 0;

  for (const Tune::PlayEntry& entry : tune.play) {
    const Section& section = tune.sections[entry.section];
    int line = entry.line;
    if (offset + section.length > MaxTuneTicks) Fail(line, "the tune is longer than 100000 bars of 4/4");
    for (std::size_t t = 0; t < tune.tracks.size(); ++t) {
      const TrackDef& def = tune.tracks[t];
      const SectionTrack& part = section.tracks[t];
      events += part.notes.size() + part.programs.size() + 1;
      if (events > MaxTuneNotes) Fail(line, "more than 20000 notes in the tune");
      // Each section starts from the track's own instrument.
      if (program[t] != def.program) {
        tracks[t].push_back({offset, 1, Channel(0xC0, def.channel, def.program, 0).substr(0, 2)});
        program[t] = def.program;
      }
      for (const ProgramChange& change : part.programs) {
        tracks[t].push_back({offset + change.tick, 1, Channel(0xC0, def.channel, change.program, 0).substr(0, 2)});
        program[t] = change.program;
      }
      for (const Note& note : part.notes) {
        int velocity = std::clamp(note.base + note.extra, 1, 127);
        std::int64_t end = note.start + std::max<std::int64_t>(note.length - note.gap, 1);
        tracks[t].push_back({offset + note.start, 2, Channel(0x90, def.channel, note.pitch, velocity)});
        tracks[t].push_back({offset + end, 0, Channel(0x90, def.channel, note.pitch, 0)});
      }
    }
    events += section.tempoEvents.size() + 1;
    if (events > MaxTuneNotes) Fail(line, "more than 20000 notes in the tune");
    // Each section starts at the piece's tempo (or its own from the play line).
    if (tempo != entry.tempo) {
      tempoTrack.push_back({offset, 0, Tempo(entry.tempo)});
      tempo = entry.tempo;
    }
    for (const auto& [tick, bpm] : section.tempoEvents) {
      tempoTrack.push_back({offset + tick, 1, Tempo(bpm)});
      tempo = bpm;
    }
    if (section.glide) {
      // One step a beat from the tempo in force to the glide's, reached at the last beat.
      std::int64_t from = section.glide->tick, span = section.length - from;
      int start = tempo;
      for (std::int64_t tick = from; tick < section.length; tick += Ppq) {
        if (++events > MaxTuneNotes) Fail(line, "more than 20000 notes in the tune");
        std::int64_t step = std::min(tick - from + Ppq, span);
        tempo = static_cast<int>(start + (section.glide->bpm - start) * step / span);
        tempoTrack.push_back({offset + tick, 1, Tempo(tempo)});
      }
    }
    offset += section.length;
  }
  arranged.length = offset;
  return arranged;
}

}  // namespace tunec
