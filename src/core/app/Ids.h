// Command and control ids of the main window and of the music settings dialog.
// Both shells build their menus, accelerators and dialogs from these numbers.
#pragma once

// Commands of the main window (menu bar, accelerators, Timer button).
constexpr int CmdNextFocus = 99;
constexpr int CmdFolder = 101;
constexpr int CmdHelp = 204;
constexpr int CmdStartTimer = 304;
constexpr int CmdGo = 401;
constexpr int CmdStop = 402;
constexpr int CmdVolume = 403;
constexpr int CmdMinimize = 499;

// Controls of the main window.
constexpr int IdClock = 199;
constexpr int IdAlarmDisplay = 200;
constexpr int IdTimeEdit = 202;
constexpr int IdTimerButton = 304;

// Controls of the music settings dialog. Play, Stop and Volume share their
// numbers with the main window's commands on purpose.
constexpr int IdDoneButton = 2;  // IDCANCEL: Done, Escape and the close box
constexpr int IdBrowseButton = 201;
constexpr int IdMessageEdit = 203;
constexpr int IdFolderEdit = 205;
constexpr int IdInternalMusicCheck = 301;
constexpr int IdSubfoldersCheck = 302;
constexpr int IdPlayButton = 401;
constexpr int IdStopButton = 402;
constexpr int IdVolumeButton = 403;

// The one window timer.
constexpr int TimerId = 1;
constexpr int TimerPeriodMs = 1000;

// Longest text the program reads back from the time box.
constexpr int TimeEditReadLimit = 251;
// Typing into the time box is limited to this many characters.
constexpr int TimeEditTypingLimit = 10;
