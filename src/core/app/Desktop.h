// The windows as both desktops build them: the controls in dialog units, the
// accelerator keys, the colours and captions, and the order of a tick and of
// start-up. The Windows resources are checked against this by a test.
#pragma once

#include <array>
#include <span>

#include "app/Ids.h"
#include "app/Text.h"

struct App;

struct Rgb {
  int Red, Green, Blue;
};
inline constexpr Rgb BackgroundRgb = {255, 255, 221};
inline constexpr Rgb TextRgb = {0, 0, 170};

// A rectangle in dialog units, or in pixels once converted.
struct Rect {
  int X, Y, Width, Height;
  bool operator==(const Rect&) const = default;
};

enum class ControlKind { Edit, TextArea, Button, DefaultButton, Check, Label };

struct Control {
  int Id;  // -1: a label no one addresses
  ControlKind Kind;
  Rect Place;
  const char* Label;  // "&" marks the mnemonic
  int Names = 0;      // a label's: the control it names or explains
};

// The main window's client area and controls, in template order.
inline constexpr Rect MainWindowArea = {50, 52, 180, 15};
inline constexpr std::array<Control, 5> MainControls = {{
    {IdTimeEdit, ControlKind::Edit, {3, 3, 40, 10}, ""},
    {IdTimerButton, ControlKind::DefaultButton, {93, 3, 30, 10}, "&Timer"},
    {-1, ControlKind::Label, {43, 3, 10, 10}, ">"},
    {IdAlarmDisplay, ControlKind::Label, {53, 3, 40, 9}, ""},
    {IdClock, ControlKind::Label, {123, 3, 55, 10}, ""},
}};

// The music settings dialog; template order is the tab order.
inline constexpr Rect MusicDialogArea = {14, 32, 219, 112};
inline constexpr std::array<Control, 12> MusicControls = {{
    {IdBrowseButton, ControlKind::Button, {179, 8, 36, 15}, "&Browse"},
    {IdFolderEdit, ControlKind::Edit, {3, 14, 167, 10}, ""},
    {IdMessageEdit, ControlKind::TextArea, {42, 32, 173, 20}, ""},
    {IdPlayButton, ControlKind::Button, {3, 60, 50, 20}, "&Play music"},
    {IdStopButton, ControlKind::Button, {56, 60, 50, 20}, "&Stop music"},
    {IdVolumeButton, ControlKind::Button, {172, 60, 44, 20}, "&Volume"},
    {IdSubfoldersCheck, ControlKind::Check, {4, 86, 146, 8}, "Play music from subfolders too"},
    {IdInternalMusicCheck, ControlKind::Check, {4, 98, 151, 8}, "Use internal music instead of MP3 songs"},
    {-1, ControlKind::Label, {3, 33, 38, 18}, "Alarm message", IdMessageEdit},
    {-1, ControlKind::Label, {22, 5, 129, 8}, "Folder for MP3 songs:", IdFolderEdit},
    {IdDoneButton, ControlKind::Button, {172, 86, 44, 20}, "&Done"},
    {-1, ControlKind::Label, {121, 62, 49, 18}, "Or CTRL + mousewheel", IdVolumeButton},
}};

// The control of this id; the first of the table when there is none.
constexpr const Control& ControlOf(std::span<const Control> controls, int id) {
  for (const Control& control : controls) {
    if (control.Id == id) return control;
  }
  return controls.front();
}

// The main window's accelerator table, in its order. A typed entry matches
// the typed character exactly, so only lower case acts; the others are the
// Enter and Tab keys themselves.
struct Accelerator {
  char Key;
  bool Typed;
  bool Alt;
  int Command;
  bool operator==(const Accelerator&) const = default;
};
inline constexpr char EnterKey = '\r';
inline constexpr char TabKey = '\t';
inline constexpr std::array<Accelerator, 9> Accelerators = {{
    {EnterKey, false, false, CmdStartTimer},
    {TabKey, false, false, CmdNextFocus},
    {'h', true, false, CmdHelp},
    {'g', true, false, CmdGo},
    {'s', true, false, CmdStop},
    {'v', true, false, CmdVolume},
    {'f', true, false, CmdFolder},
    {'t', true, false, CmdStartTimer},
    {'t', true, true, CmdStartTimer},
}};

// Dialog units: a quarter of the average character width across, an eighth
// of the character height down. Each edge is converted on its own, so
// controls that touch in the template touch in pixels.
struct DialogUnits {
  int BaseX = 8;
  int BaseY = 16;
  // BaseX from the width of "A".."Z" "a".."z" as one string, rounded.
  static DialogUnits FromFont(int widthOfAlphabet, int charHeight);
  int X(int units) const;
  int Y(int units) const;
  Rect ToPixels(const Rect& units) const;
};

// One timer tick: the clock (which keeps music going), then the countdown.
void Tick(App& app);
// Start-up once the window's controls exist: the first clock reading (the
// Timer command needs the time of day before the first tick), then the
// stored settings.
void StartApp(App& app);
