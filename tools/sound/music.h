// The music: four themes composed by the program (harmony from chord charts, melodies grown from
// seeded motifs, grooves for bass, chords and drums) and the short win jingle. The output is the
// raw stereo mix; loudness matching happens when the sound is written.
#pragma once

#include <vector>

#include "tools/sound/synth.h"

namespace sound {

/// Theme `number` 1-4 as two channels (left, right), ending in silence.
std::vector<TSamples> ComposeTheme(int number);

/// The level-won jingle as two channels.
std::vector<TSamples> ComposeWinJingle();

}  // namespace sound
