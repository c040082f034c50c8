// Volume: Ctrl+wheel steps that grow with the level, and the system mixer.
#pragma once

#include <cstdint>
#include <utility>

struct App;

// Step size for the current level: 500 below 4000, 1000 below 10000, else 2000.
std::int32_t VolumeStep(std::int32_t level);
// (left, right) levels; both 0 when the volume cannot be read.
std::pair<std::uint16_t, std::uint16_t> GetOutputVolume(App& app);
void SetOutputVolume(App& app, std::uint16_t left, std::uint16_t right);
void VolumeUp(App& app);
void VolumeDown(App& app);
// Starts the first of the mixer programs that can be started; when none can,
// says so where the desktop may lack one.
void OpenVolumeMixer(App& app);
