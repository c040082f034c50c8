// Titles of the internal tunes, letter A first.
#include "music/TuneTitles.h"

const std::array<const char*, 26> TuneTitles = {
    "Tune A", "Tune B", "Tune C", "Tune D", "Tune E", "Tune F", "Tune G", "Tune H", "Tune I",
    "Tune J", "Tune K", "Tune L", "Tune M", "Tune N", "Tune O", "Tune P", "Tune Q", "Tune R",
    "Tune S", "Tune T", "Tune U", "Tune V", "Tune W", "Tune X", "Tune Y", "Tune Z",
};
