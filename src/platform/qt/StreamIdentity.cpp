// What the sound libraries read from the environment (see StreamIdentity.h).
#include "StreamIdentity.h"

#include <QProcessEnvironment>
#include <iterator>
#include <utility>

namespace {
// libpulse adds each PULSE_PROP_<property> variable to a new connection's
// properties, and the server hands the connection's to its streams. SDL has
// hints for the stream's name and application name, but none for an icon.
//
// FluidSynth reads a SoundFont's samples in OpenMP tasks, one thread a core.
// OpenMP's threads wait by spinning, so on a busy machine the threads take
// turns and loading the SoundFont at Go took 150-370 ms instead of 30-90;
// with one thread there is nothing to wait for.
constexpr std::pair<const char*, const char*> OurVariables[] = {
    {"PULSE_PROP_application.icon_name", "tovins-timer"},
    {"OMP_NUM_THREADS", "1"},
};
// Which of them the program set (a user's own setting is passed on).
bool setHere[std::size(OurVariables)] = {};
}  // namespace

void SetSoundEnvironment() {
  for (std::size_t i = 0; i < std::size(OurVariables); ++i) {
    setHere[i] = !qEnvironmentVariableIsSet(OurVariables[i].first);
    if (setHere[i]) qputenv(OurVariables[i].first, OurVariables[i].second);
  }
}

void ForgetSoundEnvironment(QProcessEnvironment& environment) {
  for (std::size_t i = 0; i < std::size(OurVariables); ++i)
    if (setHere[i]) environment.remove(QString::fromLatin1(OurVariables[i].first));
}
