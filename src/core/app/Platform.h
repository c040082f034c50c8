// The few values in which the two desktops differ, chosen at compile time so
// that the rules that use them stay in one place.
#pragma once

#include <array>

#ifdef _WIN32
constexpr char PathSeparator = '\\';
constexpr std::array<const char*, 2> MixerPrograms = {"sndvol32.exe", "sndvol.exe"};
#else
constexpr char PathSeparator = '/';
// PulseAudio's mixer, else the sound page of the GNOME settings (a command line).
constexpr std::array<const char*, 2> MixerPrograms = {"pavucontrol", "gnome-control-center sound"};
#endif

// Shell folder id of the user's music folder.
constexpr int CsidlMyMusic = 13;
