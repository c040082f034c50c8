// What the sound libraries read from the environment: our stream's icon in
// the desktop's mixer, and how FluidSynth loads a SoundFont.
#pragma once

class QProcessEnvironment;

// At start-up, before any thread: every connection the program makes to the
// sound server then carries the program's icon, and the sound module loads
// its libraries into that environment. A variable the user set is kept.
void SetSoundEnvironment();
// Programs started from here (the mixer) get the environment as the user set
// it: their own icon, not ours.
void ForgetSoundEnvironment(QProcessEnvironment& environment);
