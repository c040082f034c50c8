// Titles of the internal tunes, letter A first.
#include "music/TuneTitles.h"

const std::array<const char*, 26> TuneTitles = {
    "Ludwig van Beethoven - Ode to Joy",          // A
    "Ludwig van Beethoven - Fur Elise",           // B
    "W. A. Mozart - Eine kleine Nachtmusik",      // C
    "W. A. Mozart - Rondo alla Turca",            // D
    "Edvard Grieg - Morning Mood",                // E
    "Edvard Grieg - Hall of the Mountain King",   // F
    "Johannes Brahms - Lullaby",                  // G
    "Scott Joplin - The Entertainer",             // H
    "Johann Strauss II - The Blue Danube",        // I
    "Jacques Offenbach - Can-can",                // J
    "Pyotr Ilyich Tchaikovsky - Swan Lake",       // K
    "Johann Pachelbel - Canon in D",              // L
    "Traditional - Greensleeves",                 // M
    "Traditional - Scarborough Fair",             // N
    "Stephen Foster - Oh! Susanna",               // O
    "Georges Bizet - Carmen",                     // P
    "Gioachino Rossini - William Tell Overture",  // Q
    "Antonin Dvorak - Largo (New World)",         // R
    "George Frideric Handel - Hallelujah",        // S
    "Antonio Vivaldi - Spring",                   // T
    "J. S. Bach - Jesu, Joy of Man's Desiring",   // U
    "Traditional - Amazing Grace",                // V
    "Traditional - Auld Lang Syne",               // W
    "Traditional - Korobeiniki",                  // X
    "Erik Satie - Gymnopedie No. 1",              // Y
    "James Lord Pierpont - Jingle Bells",         // Z
};
