// The titles of the 26 internal tunes, in the order of their letters A to Z;
// the caption while a tune plays. Both desktops use this one table.
#pragma once

#include <array>

extern const std::array<const char*, 26> TuneTitles;
