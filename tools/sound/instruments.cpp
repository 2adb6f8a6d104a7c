// Instrument models (see instruments.h). Each voice is a small, cheap model chosen for a clear
// character: modal sines for mallets, FM for bells and electric piano, Karplus-Strong strings,
// band-limited oscillators through state-variable filters for pads, leads and basses.
#include "tools/sound/instruments.h"

#include <algorithm>

namespace sound {

namespace {

float Decay(float t, float tau) { return std::exp(-t / tau); }

// Gain that follows a note's hold: 1 while held, then an exponential release.
float Damper(float t, float held, float releaseTau) {
  return t < held ? 1.0f : std::exp(-(t - held) / releaseTau);
}

float Attack(float t, float seconds) { return t >= seconds ? 1.0f : t / seconds; }

// Vibrato that fades in after a short delay, in semitones.
float Vibrato(float t, float rate, float depth, float delay) {
  if (t < delay) return 0.0f;
  const float fadeIn = std::min(1.0f, (t - delay) / 0.3f);
  return depth * fadeIn * SineCycles(rate * t);
}

// Keeps a voice from ending on a cut: raised-cosine fade over its last 5 ms.
void SoftenEnd(TSamples& s) { FadeOutTail(s, 0.005); }

TSamples Marimba(float hz, float held, float vel, TNoise& noise) {
  const float tau = std::clamp(0.55f * std::sqrt(261.6f / hz), 0.12f, 0.9f);
  const float length = std::min(held + 0.25f, 5.0f * tau) + 0.02f;
  TSamples out(SecondsToFrames(length));
  const float ratios[3] = {1.0f, 3.93f, 9.2f};
  const float amps[3] = {1.0f, 0.25f + 0.2f * vel, 0.05f + 0.08f * vel};
  const float taus[3] = {tau, tau * 0.25f, tau * 0.08f};
  TSvf click;
  click.Set(std::min(hz * 6.0f, 9000.0f), 1.2f);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const float t = static_cast<float>(i) / SAMPLE_RATE;
    float v = 0;
    for (int p = 0; p < 3; ++p) {
      if (hz * ratios[p] > 16000.0f) continue;
      v += amps[p] * Decay(t, taus[p]) * SineCycles(Phase(hz * ratios[p], i));
    }
    click.Process(noise.White() * Decay(t, 0.002f));
    v += 0.5f * vel * click.band;
    out[i] = v * vel * Attack(t, 0.001f) * Damper(t, held + 0.1f, 0.08f) * 0.6f;
  }
  return out;
}

TSamples Bell(float hz, float held, float vel) {
  const float tau = std::clamp(1.1f * std::pow(523.0f / hz, 0.4f), 0.3f, 2.0f);
  const float length = std::min(held + 0.8f, 5.0f * tau);
  TSamples out(SecondsToFrames(length));
  float carrier = 0, modulator = 0;
  const float step = hz / SAMPLE_RATE;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const float t = static_cast<float>(i) / SAMPLE_RATE;
    const float index = (0.4f + 1.4f * vel) * Decay(t, 0.18f) + 0.15f;
    const float m = SineCycles(modulator);
    const float v = SineCycles(carrier + index * m * 0.16f) +
                    0.2f * SineCycles(2.0f * carrier) * Decay(t, tau * 0.4f);
    out[i] = v * vel * Decay(t, tau) * Attack(t, 0.002f) * Damper(t, held + 0.4f, 0.3f) * 0.45f;
    carrier += step;
    carrier -= std::floor(carrier);
    modulator += step * 3.5f;
    modulator -= std::floor(modulator);
  }
  return out;
}

TSamples EPiano(float hz, float held, float vel) {
  const float length = held + 0.4f;
  TSamples out(SecondsToFrames(length));
  float carrier = 0;
  const float step = hz / SAMPLE_RATE;
  const float tineRatio = hz * 14.0f < 12000.0f ? 14.0f : 0.0f;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const float t = static_cast<float>(i) / SAMPLE_RATE;
    const float index = (0.25f + 0.9f * vel) * Decay(t, 0.35f) + 0.08f;
    const float m = SineCycles(carrier);  // ratio 1:1 gives the warm electric-piano body
    float v = SineCycles(carrier + index * m * 0.5f);
    if (tineRatio > 0) v += 0.06f * vel * Decay(t, 0.025f) * SineCycles(carrier * tineRatio);
    out[i] = v * vel * Decay(t, 1.8f) * Attack(t, 0.002f) * Damper(t, held, 0.12f) * 0.5f;
    carrier += step;
    carrier -= std::floor(carrier);
  }
  SoftenEnd(out);
  return out;
}

TSamples Vibes(float hz, float held, float vel) {
  const float length = std::min(held + 0.6f, 4.0f);
  TSamples out(SecondsToFrames(length));
  for (std::size_t i = 0; i < out.size(); ++i) {
    const float t = static_cast<float>(i) / SAMPLE_RATE;
    const float tremolo = 1.0f - 0.25f * (0.5f + 0.5f * SineCycles(Phase(5.5f, i)));
    float v =
        SineCycles(Phase(hz, i)) + 0.3f * vel * Decay(t, 0.12f) * SineCycles(Phase(4.0f * hz, i));
    v += 0.08f * Decay(t, 0.01f) * SineCycles(Phase(10.0f * hz, i)) *
         (hz * 10.0f < 15000.0f ? 1.0f : 0.0f);
    out[i] = v * vel * tremolo * Decay(t, 1.6f) * Attack(t, 0.0015f) *
             Damper(t, held + 0.15f, 0.15f) * 0.5f;
  }
  SoftenEnd(out);
  return out;
}

// Karplus-Strong string: a noise burst circulating in a tuned, slightly lossy delay line.
TSamples String(float hz, float held, float vel, float brightness, float ringTau, float releaseTau,
                TNoise& noise) {
  const float length = std::min(held + 4.0f * releaseTau, held + ringTau * 3.0f) + 0.01f;
  TSamples out(SecondsToFrames(length));
  const float delay =
      static_cast<float>(SAMPLE_RATE) / hz - 0.5f;  // the averaging adds half a sample
  const std::size_t size = static_cast<std::size_t>(delay) + 4;
  std::vector<float> line(size, 0.0f);
  TOnePole excite;
  excite.SetCutoff(300.0f + brightness * (1500.0f + 5000.0f * vel));
  const float heldGain = std::exp(-1.0f / (ringTau * hz));
  const float releaseGain = std::exp(-1.0f / (releaseTau * hz));
  const std::size_t burst = static_cast<std::size_t>(delay);
  std::size_t write = 0;
  float previous = 0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const float t = static_cast<float>(i) / SAMPLE_RATE;
    const float readPos = static_cast<float>(write) + static_cast<float>(size) - delay;
    const std::size_t r0 = static_cast<std::size_t>(readPos) % size;
    const float frac = readPos - std::floor(readPos);
    const float delayed = line[r0] + frac * (line[(r0 + 1) % size] - line[r0]);
    const float loopGain = t < held ? heldGain : releaseGain;
    const float averaged = 0.5f * (delayed + previous);
    previous = delayed;
    float input = 0;
    if (i < burst) input = excite.LowPass(noise.White()) * vel;
    const float y = input + averaged * loopGain;
    line[write] = y;
    write = (write + 1) % size;
    out[i] = y;
  }
  // Remove the offset a low-passed burst may leave and fade the very end.
  TOnePole dc;
  dc.SetCutoff(20.0f);
  for (float& v : out) v = dc.HighPass(v) * 1.4f;
  SoftenEnd(out);
  return out;
}

TSamples Pad(float hz, float held, float vel) {
  const float release = 0.7f;
  TSamples out(SecondsToFrames(held + release * 3.0f));
  const float detune[3] = {1.0f, 1.0041f, 0.9963f};
  float phase[3] = {0.0f, 0.33f, 0.71f};
  TSvf filter;
  filter.Set(std::min(hz * 2.5f + 600.0f, 5000.0f), 0.7f);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const float t = static_cast<float>(i) / SAMPLE_RATE;
    float v = 0;
    for (int k = 0; k < 3; ++k) {
      const float step = hz * detune[k] / SAMPLE_RATE;
      v += SawWave(phase[k], step);
      phase[k] += step;
      phase[k] -= std::floor(phase[k]);
    }
    filter.Process(v);
    const float env = std::min(1.0f, t / 0.4f) * Damper(t, held, release);
    out[i] = filter.low * env * vel * 0.2f;
  }
  SoftenEnd(out);
  return out;
}

TSamples Lead(float hz, float held, float vel) {
  TSamples out(SecondsToFrames(held + 0.5f));
  TSvf filter;
  float phase = 0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const float t = static_cast<float>(i) / SAMPLE_RATE;
    if (i % 32 == 0)
      filter.Set(std::min(hz * (2.5f + 3.0f * vel * Decay(t, 0.15f)), 7000.0f), 0.9f);
    const float f = hz * std::pow(2.0f, Vibrato(t, 5.3f, 0.12f, 0.22f) / 12.0f);
    const float step = f / SAMPLE_RATE;
    const float v = PulseWave(phase, step, 0.32f) + 0.6f * SineCycles(phase);
    phase += step;
    phase -= std::floor(phase);
    filter.Process(v);
    out[i] = filter.low * vel * Attack(t, 0.012f) * (0.8f + 0.2f * Decay(t, 0.2f)) *
             Damper(t, held, 0.09f) * 0.3f;
  }
  SoftenEnd(out);
  return out;
}

TSamples Flute(float hz, float held, float vel, TNoise& noise) {
  TSamples out(SecondsToFrames(held + 0.5f));
  TSvf breath;
  breath.Set(std::min(hz * 2.0f, 8000.0f), 2.0f);
  float phase = 0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const float t = static_cast<float>(i) / SAMPLE_RATE;
    const float f = hz * std::pow(2.0f, Vibrato(t, 4.8f, 0.1f, 0.3f) / 12.0f);
    phase += f / SAMPLE_RATE;
    phase -= std::floor(phase);
    const float env = Attack(t, 0.06f) * Damper(t, held, 0.1f);
    breath.Process(noise.White());
    const float chiff = 0.6f * Decay(t, 0.04f) + 0.12f;
    const float v =
        SineCycles(phase) + 0.22f * SineCycles(2.0f * phase) + 0.06f * SineCycles(3.0f * phase);
    out[i] = (v + chiff * breath.band) * env * vel * 0.4f;
  }
  SoftenEnd(out);
  return out;
}

TSamples Clarinet(float hz, float held, float vel) {
  TSamples out(SecondsToFrames(held + 0.5f));
  TSvf filter;
  filter.Set(std::min(hz * 4.0f, 5000.0f), 0.8f);
  float phase = 0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const float t = static_cast<float>(i) / SAMPLE_RATE;
    const float f = hz * std::pow(2.0f, Vibrato(t, 5.0f, 0.07f, 0.35f) / 12.0f);
    const float step = f / SAMPLE_RATE;
    const float v = PulseWave(phase, step, 0.5f) * 0.7f + 0.5f * SineCycles(phase);
    phase += step;
    phase -= std::floor(phase);
    filter.Process(v);
    out[i] = filter.low * vel * Attack(t, 0.03f) * Damper(t, held, 0.08f) * 0.4f;
  }
  SoftenEnd(out);
  return out;
}

TSamples SynthBass(float hz, float held, float vel) {
  TSamples out(SecondsToFrames(held + 0.25f));
  TSvf filter;
  float phase = 0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const float t = static_cast<float>(i) / SAMPLE_RATE;
    if (i % 16 == 0) filter.Set(180.0f + hz * 1.5f + 1600.0f * vel * Decay(t, 0.09f), 1.3f);
    const float step = hz / SAMPLE_RATE;
    const float v = 0.6f * SawWave(phase, step) + 0.8f * SineCycles(phase);
    phase += step;
    phase -= std::floor(phase);
    filter.Process(v);
    out[i] = filter.low * vel * Attack(t, 0.003f) * Damper(t, held, 0.04f) * 0.6f;
  }
  SoftenEnd(out);
  return out;
}

TSamples SubBass(float hz, float held, float vel) {
  TSamples out(SecondsToFrames(held + 0.3f));
  for (std::size_t i = 0; i < out.size(); ++i) {
    const float t = static_cast<float>(i) / SAMPLE_RATE;
    const float v = SineCycles(Phase(hz, i)) + 0.18f * SineCycles(Phase(2.0f * hz, i)) +
                    0.05f * SineCycles(Phase(3.0f * hz, i));
    out[i] = v * vel * Attack(t, 0.01f) * (0.75f + 0.25f * Decay(t, 0.3f)) *
             Damper(t, held, 0.07f) * 0.6f;
  }
  SoftenEnd(out);
  return out;
}

}  // namespace

TSamples RenderNote(TVoice voice, float midi, float seconds, float velocity, std::uint64_t seed) {
  const float hz = MidiToHz(midi);
  TNoise noise(seed);
  switch (voice) {
    case TVoice::Marimba: return Marimba(hz, seconds, velocity, noise);
    case TVoice::Bell: return Bell(hz, seconds, velocity);
    case TVoice::EPiano: return EPiano(hz, seconds, velocity);
    case TVoice::Vibes: return Vibes(hz, seconds, velocity);
    case TVoice::Pluck: return String(hz, seconds, velocity, 0.8f, 1.6f, 0.12f, noise);
    case TVoice::Pizzicato: return String(hz, seconds, velocity, 0.35f, 0.35f, 0.06f, noise);
    case TVoice::Pad: return Pad(hz, seconds, velocity);
    case TVoice::Lead: return Lead(hz, seconds, velocity);
    case TVoice::Flute: return Flute(hz, seconds, velocity, noise);
    case TVoice::Clarinet: return Clarinet(hz, seconds, velocity);
    case TVoice::SynthBass: return SynthBass(hz, seconds, velocity);
    case TVoice::Upright: {
      TSamples body = String(hz, seconds, velocity, 0.25f, 1.2f, 0.08f, noise);
      // The finger's thump: a short sine at the fundamental under the string.
      for (std::size_t i = 0; i < body.size(); ++i) {
        const float t = static_cast<float>(i) / SAMPLE_RATE;
        body[i] +=
            0.35f * velocity * Decay(t, 0.09f) * SineCycles(Phase(hz, i)) * Attack(t, 0.004f);
      }
      return body;
    }
    case TVoice::SubBass: return SubBass(hz, seconds, velocity);
  }
  return {};
}

TSamples RenderDrum(TDrum drum, std::uint64_t seed) {
  TNoise noise(seed);
  auto make = [](float seconds) { return TSamples(SecondsToFrames(seconds)); };
  auto time = [](std::size_t i) { return static_cast<float>(i) / SAMPLE_RATE; };
  TSamples out;
  switch (drum) {
    case TDrum::Kick: {
      out = make(0.5f);
      float phase = 0;
      TOnePole clickFilter;
      clickFilter.SetCutoff(3000.0f);
      for (std::size_t i = 0; i < out.size(); ++i) {
        const float t = time(i);
        phase += (46.0f + 120.0f * Decay(t, 0.03f)) / SAMPLE_RATE;
        const float body = SineCycles(phase) * Decay(t, 0.26f) * Attack(t, 0.0015f);
        const float click = clickFilter.LowPass(noise.White()) * Decay(t, 0.004f);
        out[i] = std::tanh(1.6f * (body + 0.5f * click));
      }
      break;
    }
    case TDrum::Snare: {
      out = make(0.4f);
      auto high = TBiquad::Design(TBiquad::HIGHPASS, 1200, 0.7, 0, SAMPLE_RATE);
      auto peak = TBiquad::Design(TBiquad::PEAK, 5000, 1.0, 4, SAMPLE_RATE);
      for (std::size_t i = 0; i < out.size(); ++i) {
        const float t = time(i);
        const float tone =
            (0.7f * SineCycles(Phase(185.0f, i)) + 0.4f * SineCycles(Phase(330.0f, i))) *
            Decay(t, 0.06f);
        const float rattle = peak.Process(high.Process(noise.White())) * Decay(t, 0.12f);
        out[i] = (tone + 0.8f * rattle) * Attack(t, 0.001f);
      }
      break;
    }
    case TDrum::Clap: {
      out = make(0.35f);
      TSvf band;
      band.Set(1300.0f, 1.4f);
      for (std::size_t i = 0; i < out.size(); ++i) {
        const float t = time(i);
        float env = 0;
        for (float at : {0.0f, 0.011f, 0.022f})
          if (t >= at) env = std::max(env, Decay(t - at, 0.006f));
        if (t >= 0.031f) env = std::max(env, 0.8f * Decay(t - 0.031f, 0.08f));
        band.Process(noise.White());
        out[i] = band.band * env;
      }
      break;
    }
    case TDrum::HatClosed:
    case TDrum::HatOpen: {
      const bool open = drum == TDrum::HatOpen;
      out = make(open ? 0.6f : 0.12f);
      auto high = TBiquad::Design(TBiquad::HIGHPASS, 7000, 0.7, 0, SAMPLE_RATE);
      auto shine = TBiquad::Design(TBiquad::PEAK, 10500, 1.5, 6, SAMPLE_RATE);
      // A cluster of square partials gives the metal its ring.
      const float metal[6] = {317.0f, 465.0f, 542.0f, 601.0f, 795.0f, 1053.0f};
      float phases[6] = {};
      for (std::size_t i = 0; i < out.size(); ++i) {
        const float t = time(i);
        float m = 0;
        for (int k = 0; k < 6; ++k) {
          phases[k] += metal[k] * 7.3f / SAMPLE_RATE;
          phases[k] -= std::floor(phases[k]);
          m += phases[k] < 0.5f ? 1.0f : -1.0f;
        }
        const float v = shine.Process(high.Process(noise.White() + 0.15f * m));
        out[i] = v * Decay(t, open ? 0.22f : 0.03f) * Attack(t, 0.0008f);
      }
      break;
    }
    case TDrum::Shaker: {
      out = make(0.16f);
      TSvf band;
      band.Set(6500.0f, 1.0f);
      for (std::size_t i = 0; i < out.size(); ++i) {
        const float t = time(i);
        band.Process(noise.White());
        out[i] = band.band * Attack(t, 0.014f) * Decay(t, 0.04f);
      }
      break;
    }
    case TDrum::Rim: {
      out = make(0.09f);
      TSvf band;
      band.Set(2500.0f, 3.0f);
      for (std::size_t i = 0; i < out.size(); ++i) {
        const float t = time(i);
        band.Process(noise.White());
        out[i] = (SineCycles(Phase(1720.0f, i)) * 0.6f + SineCycles(Phase(830.0f, i)) * 0.5f) *
                     Decay(t, 0.012f) +
                 band.band * Decay(t, 0.006f);
      }
      break;
    }
    case TDrum::TomLow:
    case TDrum::TomHigh: {
      const float base = drum == TDrum::TomLow ? 98.0f : 147.0f;
      out = make(0.55f);
      float phase = 0;
      TOnePole skin;
      skin.SetCutoff(1800.0f);
      for (std::size_t i = 0; i < out.size(); ++i) {
        const float t = time(i);
        phase += base * (1.0f + 0.6f * Decay(t, 0.05f)) / SAMPLE_RATE;
        out[i] = (SineCycles(phase) * Decay(t, 0.22f) +
                  0.3f * skin.LowPass(noise.White()) * Decay(t, 0.02f)) *
                 Attack(t, 0.001f);
      }
      break;
    }
    case TDrum::Ride:
    case TDrum::Crash: {
      const bool crash = drum == TDrum::Crash;
      out = make(crash ? 2.2f : 1.3f);
      auto high = TBiquad::Design(TBiquad::HIGHPASS, crash ? 3500 : 6000, 0.7, 0, SAMPLE_RATE);
      float carrier = 0, modulator = 0;
      for (std::size_t i = 0; i < out.size(); ++i) {
        const float t = time(i);
        carrier += 587.0f / SAMPLE_RATE;
        modulator += 587.0f * 1.4823f / SAMPLE_RATE;
        carrier -= std::floor(carrier);
        modulator -= std::floor(modulator);
        const float bell =
            SineCycles(carrier + 2.2f * SineCycles(modulator)) * (crash ? 0.2f : 0.45f);
        const float wash = high.Process(noise.White() + 0.5f * bell);
        out[i] = (wash * (crash ? 1.0f : 0.5f) + (crash ? 0.0f : 0.3f * bell * Decay(t, 0.3f))) *
                 Decay(t, crash ? 0.7f : 0.45f) * Attack(t, crash ? 0.002f : 0.0008f);
      }
      break;
    }
    case TDrum::Brush: {
      out = make(0.3f);
      TSvf band;
      band.Set(3000.0f, 0.6f);
      for (std::size_t i = 0; i < out.size(); ++i) {
        const float t = time(i);
        band.Process(noise.White());
        out[i] = band.band * Attack(t, 0.02f) * Decay(t, 0.07f);
      }
      break;
    }
    case TDrum::Woodblock: {
      out = make(0.14f);
      TSvf band;
      band.Set(1250.0f, 18.0f);
      for (std::size_t i = 0; i < out.size(); ++i) {
        const float t = time(i);
        band.Process(i < 40 ? noise.White() : 0.0f);
        out[i] = 3.0f * band.band + 0.5f * SineCycles(Phase(1250.0f, i)) * Decay(t, 0.025f);
      }
      break;
    }
    case TDrum::Triangle: {
      out = make(1.4f);
      for (std::size_t i = 0; i < out.size(); ++i) {
        const float t = time(i);
        out[i] =
            (SineCycles(Phase(4186.0f, i)) + 0.5f * SineCycles(Phase(6273.0f, i)) * Decay(t, 0.3f) +
             0.3f * SineCycles(Phase(9100.0f, i)) * Decay(t, 0.15f)) *
            Decay(t, 0.5f) * Attack(t, 0.001f);
      }
      break;
    }
  }
  float peak = 0;
  for (float v : out) peak = std::max(peak, std::fabs(v));
  if (peak > 0)
    for (float& v : out) v /= peak;
  SoftenEnd(out);
  return out;
}

}  // namespace sound
