// The few values in which the two desktops differ, chosen at compile time so
// that the rules that use them stay in one place.
#pragma once

#include <array>

#ifdef _WIN32
constexpr char PathSeparator = '\\';
constexpr std::array<const char*, 2> MixerPrograms = {"sndvol32.exe", "sndvol.exe"};
// Windows always has one of them: a failed start says nothing.
constexpr const char* NoMixerText = "";
// Settings are read through a buffer of this size: the registry's path limit.
constexpr unsigned SettingsReadBuffer = 256;
// Timer.exe travels alone, with no guide beside it: the help points to the
// tooltips, which every user has.
#define TIMER_HELP_GUIDE "Rest the mouse on a menu item or a box to see what it does."
#else
constexpr char PathSeparator = '/';
// The sound server's own mixer (GTK, on its Playback tab, where our stream's
// slider is; then Qt), else the sound page of the GNOME or KDE settings
// (command lines), whichever the desktop has.
constexpr std::array<const char*, 4> MixerPrograms = {"pavucontrol --tab=1", "pavucontrol-qt",
                                                      "gnome-control-center sound", "systemsettings kcm_pulseaudio"};
// A desktop may have none of them; the package recommends the first two.
constexpr const char* NoMixerText =
    "No volume mixer could be started. Install the package \"pavucontrol\" (or \"pavucontrol-qt\") for one, or "
    "change the volume with CTRL and the mouse wheel.";
// Any real path fits (PATH_MAX), so a long music folder survives a restart.
constexpr unsigned SettingsReadBuffer = 4096;
// Where the Debian package installs the guide.
#define TIMER_HELP_GUIDE "The guide: /usr/share/doc/tovins-timer/README.md"
#endif

// Shell folder id of the user's music folder.
constexpr int CsidlMyMusic = 13;
