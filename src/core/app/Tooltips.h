// The menu bar, the control tooltips and their texts, for both desktops.
#pragma once

#include <array>
#include <string>

struct MenuItem {
  int Id;
  const char* Label;  // "&" marks the mnemonic
};

// The six plain items of the menu bar, in bar order; the last stands at the
// right end.
inline constexpr std::array<MenuItem, 6> MainMenuItems = {{
    {401, "&Go"},
    {402, "&Stop"},
    {403, "&Volume"},
    {101, "&Folder"},
    {204, "&Help"},
    {499, "__"},
}};

// Menu items with ids from this number on get no tooltip.
inline constexpr int MenuTooltipIdLimit = 2000;

struct ControlTooltip {
  int Id;
  const char* Text;
};

// Control tooltips in the order they are registered.
inline constexpr std::array<ControlTooltip, 4> ControlTooltips = {{
    {202,
     "Type minutes (like \"20\") or time (like \"8:30 pm\") for timer to go off; you can spin the mousewheel to "
     "adjust the number of minutes"},
    {304, "Start or restart the timer (shortcut key = T or ENTER)"},
    {199, "The current time"},
    {200, "The alarm setting (total minutes or specific time) for timer to go off"},
}};

inline constexpr int TooltipMaxWidth = 250;  // pixels; longer texts wrap
inline constexpr int TooltipInitialDelayMs = 200;

// The tooltip of a menu-bar item; an id without a text of its own gives the
// id in decimal.
std::string MenuTooltipText(int commandId);
