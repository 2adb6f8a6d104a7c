// Building blocks of the sound generator: a seeded random source, a table sine, filters, noise
// colours, a stereo room reverb and the mastering steps (loudness matching under a peak ceiling,
// seamless loops). Everything is deterministic for its inputs, so every run writes equal bytes.
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "tools/sound/sound_measure.h"

namespace sound {

constexpr int SAMPLE_RATE = 44100;
constexpr float PI = std::numbers::pi_v<float>;
constexpr float TWO_PI = 2.0f * PI;

using TBiquad = TBiquadT<float>;

inline std::size_t SecondsToFrames(double seconds) {
  return seconds <= 0 ? 0 : static_cast<std::size_t>(seconds * SAMPLE_RATE + 0.5);
}
inline float MidiToHz(float midi) { return 440.0f * std::pow(2.0f, (midi - 69.0f) / 12.0f); }
inline float DbToGain(float db) { return std::pow(10.0f, db / 20.0f); }

/// Seeded pseudo-random source (splitmix64): the same seed gives the same numbers everywhere.
class TRandom {
 public:
  explicit TRandom(std::uint64_t seed) : state(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  float Uniform() { return static_cast<float>(Next() >> 40) * (1.0f / 16777216.0f); }  ///< [0, 1)
  float Range(float lo, float hi) { return lo + (hi - lo) * Uniform(); }
  float Bipolar() { return 2.0f * Uniform() - 1.0f; }  ///< [-1, 1)
  int Int(int lo, int hi) {
    return lo + static_cast<int>(Next() % static_cast<std::uint64_t>(hi - lo + 1));
  }
  bool Chance(float p) { return Uniform() < p; }

 private:
  std::uint64_t state;
};

/// Phase in cycles (0-1) of a steady oscillator at `hz` after `frame` frames, exact for long notes.
inline float Phase(float hz, std::size_t frame) {
  const double cycles = static_cast<double>(hz) * static_cast<double>(frame) / SAMPLE_RATE;
  return static_cast<float>(cycles - std::floor(cycles));
}

/// Sine of a phase counted in cycles, from a table with linear interpolation (about -100 dB
/// error, several times cheaper than std::sin in the voice loops).
float SineCycles(float phase);

/// Band-limited sawtooth and pulse steps (polyBLEP); `phase` in [0, 1), `step` = Hz / rate.
float PolyBlep(float phase, float step);
inline float SawWave(float phase, float step) {
  return 2.0f * phase - 1.0f - PolyBlep(phase, step);
}
inline float PulseWave(float phase, float step, float width) {
  float p2 = phase + (1.0f - width);
  p2 -= std::floor(p2);
  return (phase < width ? 1.0f : -1.0f) + PolyBlep(phase, step) - PolyBlep(p2, step);
}

/// One-pole low-pass, the cheapest smoothing there is.
struct TOnePole {
  float a = 1, y = 0;
  void SetCutoff(float hz) { a = 1.0f - std::exp(-TWO_PI * hz / SAMPLE_RATE); }
  float LowPass(float x) { return y += a * (x - y); }
  float HighPass(float x) { return x - LowPass(x); }
};

/// State-variable filter (topology-preserving form): stable under fast cutoff sweeps.
struct TSvf {
  float ic1 = 0, ic2 = 0, k = 1, a1 = 0, a2 = 0, a3 = 0;
  float low = 0, band = 0, high = 0;
  void Set(float hz, float q);
  void Process(float x) {
    const float v3 = x - ic2;
    const float v1 = a1 * ic1 + a2 * v3;
    const float v2 = ic2 + a2 * ic1 + a3 * v3;
    ic1 = 2 * v1 - ic1;
    ic2 = 2 * v2 - ic2;
    low = v2;
    band = v1;
    high = x - k * v1 - v2;
  }
};

/// Noise colours from one random source.
class TNoise {
 public:
  explicit TNoise(std::uint64_t seed) : rng(seed) {}
  float White() { return rng.Bipolar(); }
  float Pink();   ///< -3 dB per octave (Kellet's filter)
  float Brown();  ///< -6 dB per octave, leaky so it never drifts away
  TRandom& Random() { return rng; }

 private:
  TRandom rng;
  float b0 = 0, b1 = 0, b2 = 0, b3 = 0, b4 = 0, b5 = 0, b6 = 0, brown = 0;
};

/// Stereo room reverb (parallel damped combs into series all-passes, decorrelated per side).
class TReverb {
 public:
  /// `room` 0-1 sets the decay, `damping` 0-1 darkens the tail.
  TReverb(float room, float damping);
  /// Adds the reverberated `send` into `left` and `right` with the given wet gain.
  void Process(const TSamples& send, TSamples& left, TSamples& right, float wet);

 private:
  struct TComb {
    std::vector<float> line;
    std::size_t pos = 0;
    float store = 0;
  };
  struct TAllPass {
    std::vector<float> line;
    std::size_t pos = 0;
  };
  std::vector<TComb> combs[2];
  std::vector<TAllPass> allPasses[2];
  float feedback, damp;
};

/// Scales the channels so that their loudness reaches `targetLufs` while no sample passes
/// `ceilingDb`; peaks above the ceiling are held down by a smooth look-ahead gain curve.
/// `momentary` matches the loudest 400 ms instead of the whole sound.
void MasterTo(std::vector<TSamples>& channels, double targetLufs, bool momentary, float ceilingDb);

/// Gain curve limiter: every sample ends at most at `ceiling` (linear), with smooth gain changes.
void LimitPeaks(std::vector<TSamples>& channels, float ceiling, float releaseSeconds);

/// Turns `frames + fade` rendered frames into a loop of `frames` frames whose end runs into its
/// start without a seam: the surplus at the end is cross-faded (equal power) over the start.
void FoldIntoLoop(TSamples& samples, std::size_t frames, std::size_t fade);

/// Raised-cosine fade to exact silence over the last `seconds` of the samples.
void FadeOutTail(TSamples& samples, double seconds);

/// Adds `voice` into `out` from frame `at` with a gain (clipped at the end of `out`).
void MixInto(TSamples& out, std::size_t at, const TSamples& voice, float gain);

}  // namespace sound
