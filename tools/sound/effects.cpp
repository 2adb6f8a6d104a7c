// Sound effect recipes (see effects.h). Each recipe layers a few simple sources: a pitched
// body whose frequency glides, shaped noise for air and grit, and resonant modes for surfaces.
// Index: [SECTION] Helpers, [SECTION] Cannon, [SECTION] Impacts, [SECTION] Thunder,
//        [SECTION] Rain, [SECTION] Drops.
#include "tools/sound/effects.h"

#include <algorithm>

namespace sound {

namespace {

// [SECTION] Helpers ------------------------------------------------------------------------------

float Decay(float t, float tau) { return std::exp(-t / tau); }
float Attack(float t, float seconds) { return t >= seconds ? 1.0f : t / seconds; }
float TimeOf(std::size_t i) { return static_cast<float>(i) / SAMPLE_RATE; }

// A sine whose frequency follows `hz(t)`, kept as an accumulated phase.
struct TGlide {
  float phase = 0;
  float Next(float hz) {
    phase += hz / SAMPLE_RATE;
    phase -= std::floor(phase);
    return SineCycles(phase);
  }
};

// Struck-surface resonances: damped sines at fixed frequencies.
struct TModes {
  std::vector<float> hz, amp, tau;
  float At(std::size_t i) const {
    const float t = TimeOf(i);
    float v = 0;
    for (std::size_t m = 0; m < hz.size(); ++m)
      v += amp[m] * Decay(t, tau[m]) * SineCycles(Phase(hz[m], i));
    return v;
  }
};

// [SECTION] Cannon -------------------------------------------------------------------------------

TSamples DeepBoom(TNoise& noise) {
  TSamples out(SecondsToFrames(1.8));
  TGlide body;
  TSvf blast;
  TOnePole crack;
  crack.SetCutoff(2500.0f);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const float t = TimeOf(i);
    if (i % 16 == 0) blast.Set(150.0f + 4000.0f * Decay(t, 0.05f), 0.7f);
    const float low =
        body.Next(36.0f + 85.0f * Decay(t, 0.07f)) * Decay(t, 0.45f) * Attack(t, 0.003f);
    const float white = noise.White();
    blast.Process(white);
    const float air = blast.low * (0.8f * Decay(t, 0.12f) + 0.25f * Decay(t, 0.6f));
    const float snap = crack.HighPass(white) * Decay(t, 0.004f);
    out[i] = std::tanh(1.4f * (0.9f * low + 0.9f * air + 0.6f * snap));
  }
  return out;
}

TSamples Pop(TNoise& noise) {
  TSamples out(SecondsToFrames(0.5));
  TGlide tone, thud;
  TSvf air;
  air.Set(1800.0f, 1.0f);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const float t = TimeOf(i);
    air.Process(noise.White());
    out[i] = tone.Next(170.0f + 700.0f * Decay(t, 0.012f)) * Decay(t, 0.06f) * Attack(t, 0.0008f) +
             0.6f * air.band * Decay(t, 0.012f) + 0.4f * thud.Next(120.0f) * Decay(t, 0.05f);
  }
  return out;
}

TSamples Whoosh(TNoise& noise) {
  TSamples out(SecondsToFrames(1.2));
  TGlide thump;
  TSvf sweep;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const float t = TimeOf(i);
    if (i % 16 == 0) {
      const float rise = std::min(1.0f, t / 0.13f);
      sweep.Set(450.0f + 2300.0f * rise * rise * Decay(std::max(0.0f, t - 0.13f), 0.3f), 1.4f);
    }
    sweep.Process(noise.Pink() * 3.0f);
    const float swell = t < 0.07f ? std::sin(0.5f * PI * t / 0.07f) : Decay(t - 0.07f, 0.22f);
    const float low =
        thump.Next(58.0f + 80.0f * Decay(t, 0.04f)) * Decay(t, 0.13f) * Attack(t, 0.002f);
    out[i] = 0.8f * low + 1.3f * sweep.band * swell;
  }
  return out;
}

TSamples Spring(TNoise& noise) {
  TSamples out(SecondsToFrames(1.2));
  TGlide tone, metal, thunk;
  TOnePole knock;
  knock.SetCutoff(800.0f);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const float t = TimeOf(i);
    // The boing: a pitch that wobbles fast and settles, gliding up a little as it rings.
    const float wobble = 1.0f + 0.32f * Decay(t, 0.3f) * SineCycles(11.0f * t);
    const float hz = 200.0f * wobble * (1.0f + 0.12f * (1.0f - Decay(t, 0.4f)));
    const float ring = tone.Next(hz) + 0.25f * metal.Next(hz * 2.76f) * Decay(t, 0.12f);
    const float start =
        0.8f * thunk.Next(90.0f) * Decay(t, 0.04f) + knock.LowPass(noise.White()) * Decay(t, 0.01f);
    out[i] = ring * Decay(t, 0.33f) * Attack(t, 0.002f) + start;
  }
  return out;
}

TSamples Cork(TNoise& noise) {
  TSamples out(SecondsToFrames(0.8));
  TGlide tube;
  TSvf body;
  auto fizzFilter = TBiquad::Design(TBiquad::HIGHPASS, 3000, 0.7, 0, SAMPLE_RATE);
  TOnePole click;
  click.SetCutoff(4000.0f);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const float t = TimeOf(i);
    const float hz = 520.0f + 480.0f * (1.0f - Decay(t, 0.015f));
    if (i % 16 == 0) body.Set(hz, 6.0f);
    const float white = noise.White();
    body.Process(white);
    const float pop = (tube.Next(hz) + 1.5f * body.band) * Decay(t, 0.035f) * Attack(t, 0.0005f);
    const float snap = click.HighPass(white) * Decay(t, 0.0015f);
    // Fizz: sparse tiny bubbles bursting after the pop.
    const float chance = t > 0.03f ? 0.03f * Decay(t - 0.03f, 0.25f) : 0.0f;
    const float bubble = noise.Random().Chance(chance) ? noise.White() : 0.0f;
    out[i] = pop + 0.8f * snap + 0.9f * fizzFilter.Process(bubble);
  }
  return out;
}

TSamples AirBlast(TNoise& noise) {
  TSamples out(SecondsToFrames(0.9));
  TGlide low;
  auto hissHigh = TBiquad::Design(TBiquad::HIGHPASS, 900, 0.7, 0, SAMPLE_RATE);
  auto hissPeak = TBiquad::Design(TBiquad::PEAK, 3000, 0.8, 5, SAMPLE_RATE);
  TOnePole chuff;
  chuff.SetCutoff(400.0f);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const float t = TimeOf(i);
    const float white = noise.White();
    const float hiss =
        hissPeak.Process(hissHigh.Process(white)) * Attack(t, 0.004f) * Decay(t, 0.16f);
    const float thump =
        low.Next(70.0f + 40.0f * Decay(t, 0.03f)) * Decay(t, 0.1f) * Attack(t, 0.002f);
    out[i] = 0.7f * hiss + 0.9f * thump + 2.0f * chuff.LowPass(white) * Decay(t, 0.05f);
  }
  return out;
}

TSamples RubberBand(TNoise& noise) {
  TSamples out(SecondsToFrames(0.8));
  TSvf twangFilter, swish;
  float phase = 0;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const float t = TimeOf(i);
    const float hz = 95.0f * (1.0f + 1.2f * Decay(t, 0.04f));
    if (i % 16 == 0) {
      twangFilter.Set(300.0f + 2500.0f * Decay(t, 0.12f), 4.0f);
      const float rise = std::min(1.0f, std::max(0.0f, t - 0.02f) / 0.1f);
      swish.Set(1500.0f + 2000.0f * rise, 1.2f);
    }
    const float step = hz / SAMPLE_RATE;
    const float saw = SawWave(phase, step);
    phase += step;
    phase -= std::floor(phase);
    twangFilter.Process(saw);
    swish.Process(noise.White());
    const float swishEnv = t < 0.02f ? 0.0f : Attack(t - 0.02f, 0.03f) * Decay(t - 0.02f, 0.12f);
    out[i] =
        0.6f * twangFilter.low * Decay(t, 0.18f) * Attack(t, 0.001f) + 0.5f * swish.band * swishEnv;
  }
  return out;
}

TSamples Mortar(TNoise& noise) {
  TSamples out(SecondsToFrames(1.3));
  TGlide tube, odd, sub;
  TSvf resonance;
  resonance.Set(150.0f, 4.0f);
  TOnePole airFilter;
  airFilter.SetCutoff(1200.0f);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const float t = TimeOf(i);
    const float hz = 150.0f * (1.0f + 0.2f * Decay(t, 0.05f));
    const float white = noise.White();
    resonance.Process(white);
    const float hollow =
        (tube.Next(hz) + 0.35f * odd.Next(3.0f * hz)) * Decay(t, 0.14f) * Attack(t, 0.005f);
    out[i] = hollow + 1.2f * resonance.band * Decay(t, 0.1f) +
             0.7f * sub.Next(55.0f) * Decay(t, 0.25f) +
             0.25f * airFilter.LowPass(white) * Decay(t, 0.3f);
  }
  return out;
}

// [SECTION] Impacts ------------------------------------------------------------------------------

// One body hitting a surface: a low thud, the slap of cloth on the surface, and the surface's
// own answer (wooden modes, or stone grit). `at` delays it, `strength` scales it.
void AddThud(TSamples& out, float at, float strength, float thudHz, bool wood, float plankHz,
             TNoise& noise) {
  const std::size_t start = SecondsToFrames(at);
  TGlide body;
  TOnePole slap;
  slap.SetCutoff(900.0f);
  TSvf grit;
  grit.Set(2500.0f, 0.8f);
  TModes modes;
  if (wood) {
    modes = TModes{{plankHz, plankHz * 2.76f, plankHz * 5.4f, plankHz * 8.9f},
                   {1.0f, 0.6f, 0.35f, 0.2f},
                   {0.12f, 0.07f, 0.04f, 0.025f}};
  } else {
    modes = TModes{
        {plankHz, plankHz * 1.83f, plankHz * 3.0f}, {0.6f, 0.4f, 0.3f}, {0.02f, 0.015f, 0.01f}};
  }
  for (std::size_t i = 0; start + i < out.size(); ++i) {
    const float t = TimeOf(i);
    const float white = noise.White();
    float v =
        body.Next(thudHz * (1.0f + 0.5f * Decay(t, 0.01f))) * Decay(t, 0.09f) * Attack(t, 0.0015f);
    v += 1.6f * slap.LowPass(white) * Decay(t, 0.015f);
    if (wood) {
      v += 0.35f * modes.At(i);
    } else {
      grit.Process(white);
      v += 0.5f * grit.band * Decay(t, 0.02f) + 0.3f * modes.At(i);
      // Small stones and dust: sparse clicks for a short while.
      if (t < 0.15f && noise.Random().Chance(0.08f * Decay(t, 0.05f))) v += 0.3f * noise.White();
    }
    out[start + i] += strength * v;
    if (t > 0.8f) break;
  }
}

// [SECTION] Thunder ------------------------------------------------------------------------------

TSamples Thunder(int variant, TNoise& noise) {
  const float close = static_cast<float>(variant - 1) / 5.0f;  // 0 far away, 1 overhead
  const float seconds = 8.5f - 2.0f * close + noise.Random().Range(-0.5f, 0.5f);
  TSamples out(SecondsToFrames(seconds));
  TRandom& rng = noise.Random();
  // The rolls: a first strong swell, then echoes from further along the bolt, sparser and weaker.
  struct TRoll {
    float at, rise, tau, amp;
  };
  std::vector<TRoll> rolls;
  const float onset = 0.35f * (1.0f - close);
  float at = onset;
  for (int k = 0; k < 6 && at < seconds - 2.5f; ++k) {
    const float amp =
        k == 0 ? 1.0f : std::pow(0.62f, static_cast<float>(k)) * rng.Range(0.6f, 1.1f);
    rolls.push_back(
        TRoll{at, rng.Range(0.08f, 0.3f) * (1.3f - close), rng.Range(0.35f, 0.9f), amp});
    at += rng.Range(0.4f, 1.2f);
  }
  // The sound darkens as it rolls on: the rumble filter closes over time.
  TSvf rumbleLow, rumbleLow2;
  auto crackHigh = TBiquad::Design(TBiquad::HIGHPASS, 300, 0.7, 0, SAMPLE_RATE);
  auto crackLow = TBiquad::Design(TBiquad::LOWPASS, 2000 + 6000 * close, 0.7, 0, SAMPLE_RATE);
  TSvf rip;
  rip.Set(1200.0f, 0.5f);
  TOnePole flutterFilter;
  flutterFilter.SetCutoff(7.0f);
  const float crackLength = 0.2f + 0.35f * close;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const float t = TimeOf(i);
    if (i % 32 == 0) {
      const float cutoff =
          140.0f + (250.0f + 900.0f * close) * Decay(t, 1.2f + 1.5f * (1.0f - close));
      rumbleLow.Set(cutoff, 0.7f);
      rumbleLow2.Set(cutoff * 1.4f, 0.7f);
    }
    float envelope = 0;
    for (const TRoll& r : rolls)
      if (t >= r.at) envelope += r.amp * Attack(t - r.at, r.rise) * Decay(t - r.at, r.tau);
    envelope +=
        0.25f * Attack(t, 0.5f) * Decay(t, seconds * 0.3f);  // the long grumble under the rolls
    // Slow random flicker of the rumble (the low-passed noise stays near +-0.013).
    const float flutter =
        0.55f + 0.6f * std::min(1.0f, 60.0f * std::fabs(flutterFilter.LowPass(noise.White())));
    rumbleLow.Process(noise.Brown() * 3.0f + 0.3f * noise.Pink());
    rumbleLow2.Process(rumbleLow.low);
    const float rumble = rumbleLow2.low;
    float v = 2.2f * rumble * envelope * flutter;
    if (close > 0.3f && t < crackLength) {
      // The crack: a dense, tearing burst of impulses right at the start.
      const float density = Decay(t, crackLength * 0.35f);
      const float impulse = rng.Chance(0.25f * density) ? rng.Bipolar() : 0.0f;
      const float crack = crackLow.Process(crackHigh.Process(impulse * 2.5f));
      rip.Process(noise.White());
      v += close * (crack + 0.5f * rip.band * Decay(t, 0.08f)) * Attack(t, 0.002f);
    }
    out[i] = v;
  }
  FadeOutTail(out, 1.0);
  return out;
}

// [SECTION] Rain ---------------------------------------------------------------------------------

TSamples RainChannel(bool heavy, double loopSeconds, double fadeSeconds, std::uint64_t seed) {
  TNoise noise(seed);
  TRandom& rng = noise.Random();
  const std::size_t frames = SecondsToFrames(loopSeconds + fadeSeconds);
  TSamples out(frames, 0.0f);
  // The bed: shaped pink noise with a slow swell that repeats exactly once per loop.
  auto high = TBiquad::Design(TBiquad::HIGHPASS, heavy ? 250 : 900, 0.7, 0, SAMPLE_RATE);
  auto low = TBiquad::Design(TBiquad::LOWPASS, heavy ? 7000 : 9000, 0.7, 0, SAMPLE_RATE);
  auto roar = TBiquad::Design(TBiquad::LOWPASS, 400, 0.7, 0, SAMPLE_RATE);
  auto roarHigh = TBiquad::Design(TBiquad::HIGHPASS, 70, 0.7, 0, SAMPLE_RATE);
  const float phase1 = rng.Uniform(), phase2 = rng.Uniform();
  const float loop = static_cast<float>(loopSeconds);
  for (std::size_t i = 0; i < frames; ++i) {
    const float t = TimeOf(i);
    const float swell = 1.0f + 0.12f * SineCycles(2.0f * t / loop + phase1) +
                        0.06f * SineCycles(5.0f * t / loop + phase2);
    float v = low.Process(high.Process(noise.Pink())) * (heavy ? 1.0f : 0.5f);
    if (heavy) v += 0.6f * roarHigh.Process(roar.Process(noise.Brown()));
    out[i] = v * swell;
  }
  // The drops: many tiny ticks on leaves and roofs, and a few bigger plops in puddles.
  const double total = loopSeconds + fadeSeconds;
  const int ticks = static_cast<int>((heavy ? 900.0 : 160.0) * total);
  for (int k = 0; k < ticks; ++k) {
    const std::size_t at = static_cast<std::size_t>(rng.Uniform() * static_cast<float>(frames));
    const float hz = rng.Range(2500.0f, 7000.0f), tau = rng.Range(0.0015f, 0.004f);
    const float u = rng.Uniform();
    const float amp = (heavy ? 0.12f : 0.18f) * u * u * u;
    const std::size_t n = SecondsToFrames(tau * 5.0f);
    for (std::size_t i = 0; i < n && at + i < frames; ++i)
      out[at + i] += amp * Decay(TimeOf(i), tau) * SineCycles(Phase(hz, i));
  }
  const int plops = static_cast<int>((heavy ? 14.0 : 5.0) * total);
  for (int k = 0; k < plops; ++k) {
    const std::size_t at = static_cast<std::size_t>(rng.Uniform() * static_cast<float>(frames));
    const float hz = rng.Range(900.0f, 1700.0f), amp = rng.Range(0.02f, 0.07f);
    TGlide bubble;
    const std::size_t n = SecondsToFrames(0.08);
    for (std::size_t i = 0; i < n && at + i < frames; ++i) {
      const float t = TimeOf(i);
      out[at + i] +=
          amp * Decay(t, 0.015f) * bubble.Next(hz * (1.0f + 0.5f * (1.0f - Decay(t, 0.02f))));
    }
  }
  FoldIntoLoop(out, SecondsToFrames(loopSeconds), SecondsToFrames(fadeSeconds));
  return out;
}

// [SECTION] Drops --------------------------------------------------------------------------------

void AddBubble(TSamples& out, float at, float hz, float rise, float tau, float amp, TNoise& noise) {
  const std::size_t start = SecondsToFrames(at);
  TGlide tone;
  TOnePole splash;
  splash.SetCutoff(3000.0f);
  const std::size_t n = SecondsToFrames(tau * 8.0f);
  for (std::size_t i = 0; i < n && start + i < out.size(); ++i) {
    const float t = TimeOf(i);
    const float pitch = hz * (1.0f + rise * (1.0f - Decay(t, tau * 0.7f)));
    out[start + i] += amp * (tone.Next(pitch) * Decay(t, tau) * Attack(t, 0.001f) +
                             0.4f * splash.HighPass(noise.White()) * Decay(t, 0.004f));
  }
}

}  // namespace

TSamples MakeFire(int variant) {
  TNoise noise(0xF1F0 + static_cast<std::uint64_t>(variant));
  TSamples out;
  switch (variant) {
    case 1: out = DeepBoom(noise); break;
    case 2: out = Pop(noise); break;
    case 3: out = Whoosh(noise); break;
    case 4: out = Spring(noise); break;
    case 5: out = Cork(noise); break;
    case 6: out = AirBlast(noise); break;
    case 7: out = RubberBand(noise); break;
    default: out = Mortar(noise); break;
  }
  FadeOutTail(out, 0.15);
  return out;
}

TSamples MakeFall(int variant) {
  TNoise noise(0xFA11 + static_cast<std::uint64_t>(variant));
  TSamples out(SecondsToFrames(0.8), 0.0f);
  switch (variant) {
    case 1: AddThud(out, 0, 1.0f, 85, true, 210, noise); break;
    case 2: AddThud(out, 0, 1.0f, 75, false, 900, noise); break;
    case 3:  // wood, with a small bounce
      AddThud(out, 0, 1.0f, 95, true, 240, noise);
      AddThud(out, 0.13f, 0.45f, 110, true, 240, noise);
      break;
    case 4: {  // stone, with a short scrape as the body slides
      AddThud(out, 0, 1.0f, 70, false, 780, noise);
      TSvf scrape;
      scrape.Set(1800.0f, 0.7f);
      for (std::size_t i = SecondsToFrames(0.05); i < SecondsToFrames(0.3); ++i) {
        const float t = TimeOf(i) - 0.05f;
        scrape.Process(noise.White() * (noise.Random().Chance(0.3f) ? 1.0f : 0.2f));
        out[i] += 0.35f * scrape.band * Attack(t, 0.03f) * Decay(t, 0.07f);
      }
      break;
    }
    default:  // heavy landing on a plank, limbs flopping after it
      AddThud(out, 0, 1.0f, 65, true, 150, noise);
      AddThud(out, 0.06f, 0.3f, 130, true, 150, noise);
      AddThud(out, 0.11f, 0.22f, 150, true, 150, noise);
      break;
  }
  FadeOutTail(out, 0.2);
  return out;
}

TSamples MakeThunder(int variant) {
  TNoise noise(0x7B00 + static_cast<std::uint64_t>(variant) * 31);
  return Thunder(variant, noise);
}

std::vector<TSamples> MakeRain(int variant) {
  const bool heavy = variant == 1;
  const double loopSeconds = heavy ? 10.0 : 9.0;
  return {RainChannel(heavy, loopSeconds, 1.0, 0xAA00 + 2 * static_cast<std::uint64_t>(variant)),
          RainChannel(heavy, loopSeconds, 1.0, 0xAA01 + 2 * static_cast<std::uint64_t>(variant))};
}

std::vector<TSamples> MakeDrop(int variant) {
  TNoise noise(0xD200 + static_cast<std::uint64_t>(variant));
  TSamples dry(SecondsToFrames(1.1), 0.0f);
  if (variant == 1) {
    AddBubble(dry, 0.0f, 1000.0f, 0.9f, 0.045f, 1.0f, noise);
    AddBubble(dry, 0.07f, 1600.0f, 0.6f, 0.025f, 0.3f, noise);
  } else {
    AddBubble(dry, 0.0f, 520.0f, 0.75f, 0.07f, 1.0f, noise);
    AddBubble(dry, 0.11f, 1300.0f, 0.5f, 0.03f, 0.35f, noise);
  }
  std::vector<TSamples> out = {dry, dry};
  TReverb reverb(0.5f, 0.4f);
  reverb.Process(dry, out[0], out[1], 0.35f);
  for (auto& c : out) FadeOutTail(c, 0.3);
  return out;
}

}  // namespace sound
