// How the desktop's mixer shows our sound stream: its icon, given to the
// sound server through the environment its client library reads.
#pragma once

class QProcessEnvironment;

// At start-up, before any thread: every connection the program makes to the
// sound server then carries the program's icon.
void NameSoundStreams();
// Programs started from here (the mixer) show their own icon, not ours.
void ForgetSoundStreamNames(QProcessEnvironment& environment);
