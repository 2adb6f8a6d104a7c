// The synthesized instruments of the music and the jingles: pitched voices (mallets, bells,
// plucked strings, pads, leads, basses) rendered one note at a time, and a drum kit whose hits
// are rendered once and then mixed as often as the score asks.
#pragma once

#include <cstdint>

#include "tools/sound/synth.h"

namespace sound {

enum class TVoice {
  Marimba,    ///< wooden bars: short, warm, the cheerful lead
  Bell,       ///< celesta-like FM bell
  EPiano,     ///< electric piano (FM tine)
  Vibes,      ///< vibraphone with tremolo
  Pluck,      ///< plucked string (Karplus-Strong), guitar/harp-like
  Pizzicato,  ///< short dark plucked string
  Pad,        ///< detuned saws through a soft low-pass, slow attack
  Lead,       ///< soft pulse lead with delayed vibrato
  Flute,      ///< breathy sine lead
  Clarinet,   ///< hollow odd-harmonic lead
  SynthBass,  ///< saw + sub through a plucky filter
  Upright,    ///< acoustic-like plucked bass
  SubBass,    ///< round sine bass
};

/// Mono samples of one note: `seconds` is how long it is held; the result also holds its
/// release, so it is usually longer. `velocity` 0-1.
TSamples RenderNote(TVoice voice, float midi, float seconds, float velocity, std::uint64_t seed);

enum class TDrum {
  Kick,
  Snare,
  Clap,
  HatClosed,
  HatOpen,
  Shaker,
  Rim,
  TomLow,
  TomHigh,
  Ride,
  Crash,
  Brush,
  Woodblock,
  Triangle
};
constexpr int DRUM_COUNT = 14;

/// One hit of a drum at full strength (the mixer scales it by velocity).
TSamples RenderDrum(TDrum drum, std::uint64_t seed);

}  // namespace sound
