// The icon of our sound stream in the mixer (see StreamIdentity.h).
#include "StreamIdentity.h"

#include <QProcessEnvironment>

namespace {
// libpulse adds each PULSE_PROP_<property> variable to a new connection's
// properties, and the server hands the connection's to its streams. SDL has
// hints for the stream's name and application name, but none for an icon.
constexpr char IconVariable[] = "PULSE_PROP_application.icon_name";
constexpr char Icon[] = "tovins-timer";
}  // namespace

void NameSoundStreams() {
  if (!qEnvironmentVariableIsSet(IconVariable)) qputenv(IconVariable, Icon);
}

void ForgetSoundStreamNames(QProcessEnvironment& environment) {
  if (environment.value(QString::fromLatin1(IconVariable)) == QLatin1String(Icon))
    environment.remove(QString::fromLatin1(IconVariable));
}
