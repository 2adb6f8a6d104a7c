// The sound effects: cannon shots, ragdoll impacts, thunder, rain beds, water drops and silence.
// Each is synthesized from noise, oscillators and filters with a fixed seed; levels are set
// when the sound is written.
#pragma once

#include <vector>

#include "tools/sound/synth.h"

namespace sound {

/// Cannon shot `variant` 1-8 (mono): boom, pop, whoosh, spring, cork, air blast, rubber band,
/// mortar.
TSamples MakeFire(int variant);
/// Ragdoll impact `variant` 1-5 (mono): soft body thuds on wood (odd) and stone (even).
TSamples MakeFall(int variant);
/// Thunder `variant` 1-6 (mono), from a distant rumble (1) to a close crack (6).
TSamples MakeThunder(int variant);
/// Rain bed `variant` 1 (heavy) or 2 (light): a stereo loop whose end runs into its start.
std::vector<TSamples> MakeRain(int variant);
/// Water drop `variant` 1-2: a plink and a plop, in stereo with a little room around them.
std::vector<TSamples> MakeDrop(int variant);

}  // namespace sound
