// Volume arithmetic over the output-volume port; both channels end up equal.
#include "settings/Volume.h"

#include "app/App.h"
#include "app/Platform.h"

namespace {
constexpr std::int32_t FullVolume = 65535;

std::int32_t CurrentLevel(App& app) {
  const auto [left, right] = GetOutputVolume(app);
  return (static_cast<std::int32_t>(left) + right) / 2;
}
}  // namespace

std::int32_t VolumeStep(std::int32_t level) {
  if (level < 4000) return 500;
  if (level < 10000) return 1000;
  return 2000;
}

std::pair<std::uint16_t, std::uint16_t> GetOutputVolume(App& app) {
  const auto value = app.Port.Volume.GetWaveVolume();
  if (!value) return {0, 0};
  return {static_cast<std::uint16_t>(*value & 0xFFFF), static_cast<std::uint16_t>(*value >> 16)};
}

void SetOutputVolume(App& app, std::uint16_t left, std::uint16_t right) {
  const std::uint32_t value = left + static_cast<std::uint32_t>(right) * 65536u;
  app.Port.Volume.SetWaveVolume(value);
  app.Port.Volume.SetMidiVolume(value);
}

void VolumeUp(App& app) {
  std::int32_t level = CurrentLevel(app);
  const std::int32_t step = VolumeStep(level);
  level = FullVolume - level > step ? level + step : FullVolume;
  SetOutputVolume(app, static_cast<std::uint16_t>(level), static_cast<std::uint16_t>(level));
  app.Port.Volume.UnmuteStream();  // louder must mean heard
}

void VolumeDown(App& app) {
  std::int32_t level = CurrentLevel(app);
  const std::int32_t step = VolumeStep(level);
  level = step < level ? level - step : 0;
  SetOutputVolume(app, static_cast<std::uint16_t>(level), static_cast<std::uint16_t>(level));
}

void OpenVolumeMixer(App& app) {
  for (const char* program : MixerPrograms) {
    if (app.Port.Programs.Launch(program)) return;
  }
  if (*NoMixerText != '\0') app.Port.Window.Notice(NoMixerText);
}
