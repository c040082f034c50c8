// The tune-store port on Linux: the tunes compiled into the program, and
// "Temp.mid" written so that no reader ever sees half a file.
#pragma once

#include <functional>
#include <string_view>

#include "app/Ports.h"

class EmbeddedTuneStore : public TuneStore {
 public:
  using Lookup = std::function<std::string_view(char letter)>;
  // By default the tunes of the timer_tunes library; tests may pass their own.
  explicit EmbeddedTuneStore(Lookup lookup = {});
  // Type "MIDI" (any case), name one letter (any case); nothing for an
  // unknown or empty tune.
  std::optional<std::string_view> FindResource(const std::string& name, const std::string& type) override;
  // Writes a new file beside the target and renames it over the target: a
  // symbolic link planted at the name is replaced, never followed. Fails when
  // the target is a folder or nothing can be written there.
  bool WriteFile(const std::string& path, std::string_view bytes) override;

 private:
  Lookup lookup_;
};
