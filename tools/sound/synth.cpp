// The generator's signal-processing primitives (see synth.h): table sine, polyBLEP, filters,
// noise colours, the room reverb and the mastering steps.
#include "tools/sound/synth.h"

#include <algorithm>
#include <array>
#include <deque>

namespace sound {

namespace {

constexpr int SINE_TABLE_SIZE = 4096;

const std::array<float, SINE_TABLE_SIZE + 1>& SineTable() {
  static const auto table = [] {
    std::array<float, SINE_TABLE_SIZE + 1> t{};
    for (int i = 0; i <= SINE_TABLE_SIZE; ++i)
      t[static_cast<std::size_t>(i)] =
          static_cast<float>(std::sin(2.0 * std::numbers::pi * i / SINE_TABLE_SIZE));
    return t;
  }();
  return table;
}

}  // namespace

float SineCycles(float phase) {
  static const auto& table = SineTable();
  const float p = phase - std::floor(phase);
  const float x = p * SINE_TABLE_SIZE;
  const int i = std::min(static_cast<int>(x), SINE_TABLE_SIZE - 1);
  const float f = x - static_cast<float>(i);
  const float a = table[static_cast<std::size_t>(i)];
  return a + f * (table[static_cast<std::size_t>(i) + 1] - a);
}

float PolyBlep(float phase, float step) {
  if (phase < step) {
    const float t = phase / step;
    return t + t - t * t - 1.0f;
  }
  if (phase > 1.0f - step) {
    const float t = (phase - 1.0f) / step;
    return t * t + t + t + 1.0f;
  }
  return 0.0f;
}

void TSvf::Set(float hz, float q) {
  const float g = std::tan(PI * std::clamp(hz, 10.0f, SAMPLE_RATE * 0.45f) / SAMPLE_RATE);
  k = 1.0f / q;
  a1 = 1.0f / (1.0f + g * (g + k));
  a2 = g * a1;
  a3 = g * a2;
}

float TNoise::Pink() {
  const float w = White();
  b0 = 0.99886f * b0 + w * 0.0555179f;
  b1 = 0.99332f * b1 + w * 0.0750759f;
  b2 = 0.96900f * b2 + w * 0.1538520f;
  b3 = 0.86650f * b3 + w * 0.3104856f;
  b4 = 0.55000f * b4 + w * 0.5329522f;
  b5 = -0.7616f * b5 - w * 0.0168980f;
  const float out = b0 + b1 + b2 + b3 + b4 + b5 + b6 + w * 0.5362f;
  b6 = w * 0.115926f;
  return out * 0.11f;
}

float TNoise::Brown() {
  brown = 0.996f * brown + 0.06f * White();
  return brown;
}

TReverb::TReverb(float room, float damping) : feedback(0.7f + 0.28f * room), damp(damping * 0.4f) {
  // Mutually prime delay lengths; the right side is offset so the two sides decorrelate.
  static constexpr std::size_t combLengths[] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
  static constexpr std::size_t allPassLengths[] = {556, 441, 341, 225};
  for (int side = 0; side < 2; ++side) {
    const std::size_t spread = side ? 23 : 0;
    for (std::size_t len : combLengths)
      combs[side].push_back(TComb{std::vector<float>(len + spread, 0.0f), 0, 0});
    for (std::size_t len : allPassLengths)
      allPasses[side].push_back(TAllPass{std::vector<float>(len + spread, 0.0f), 0});
  }
}

void TReverb::Process(const TSamples& send, TSamples& left, TSamples& right, float wet) {
  TSamples* outs[2] = {&left, &right};
  const float inputGain = 0.015f;
  for (int side = 0; side < 2; ++side) {
    TSamples& out = *outs[side];
    auto& sideCombs = combs[side];
    auto& sidePasses = allPasses[side];
    const std::size_t n = std::min(send.size(), out.size());
    for (std::size_t i = 0; i < n; ++i) {
      const float in = send[i] * inputGain;
      float acc = 0;
      for (auto& c : sideCombs) {
        const float y = c.line[c.pos];
        c.store = y * (1.0f - damp) + c.store * damp;
        c.line[c.pos] = in + c.store * feedback;
        if (++c.pos == c.line.size()) c.pos = 0;
        acc += y;
      }
      for (auto& a : sidePasses) {
        const float b = a.line[a.pos];
        a.line[a.pos] = acc + b * 0.5f;
        if (++a.pos == a.line.size()) a.pos = 0;
        acc = b - acc;
      }
      out[i] += acc * wet;
    }
  }
}

void LimitPeaks(std::vector<TSamples>& channels, float ceiling, float releaseSeconds) {
  if (channels.empty()) return;
  const std::size_t n = channels[0].size();
  if (n == 0) return;
  // Gain each frame needs on its own.
  std::vector<float> need(n, 1.0f);
  bool any = false;
  for (std::size_t i = 0; i < n; ++i) {
    float peak = 0;
    for (const auto& c : channels) peak = std::max(peak, std::fabs(c[i]));
    if (peak > ceiling) {
      need[i] = ceiling / peak;
      any = true;
    }
  }
  if (!any) return;
  // Minimum over +-half, then a box average over +-half: the average at a peak only takes values
  // that are each at most the peak's own need, so the ceiling holds while the gain glides.
  const std::size_t half = 64;
  std::vector<float> held(n);
  std::deque<std::size_t> window;
  for (std::size_t i = 0, next = 0; i < n; ++i) {
    const std::size_t hi = std::min(n - 1, i + half);
    for (; next <= hi; ++next) {
      while (!window.empty() && need[window.back()] >= need[next]) window.pop_back();
      window.push_back(next);
    }
    while (window.front() + half < i) window.pop_front();
    held[i] = need[window.front()];
  }
  std::vector<double> prefix(n + 1, 0.0);
  for (std::size_t i = 0; i < n; ++i) prefix[i + 1] = prefix[i] + held[i];
  const float release = 1.0f - std::exp(-1.0f / (releaseSeconds * SAMPLE_RATE));
  float gain = 1.0f;
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t lo = i >= half ? i - half : 0, hi = std::min(n, i + half + 1);
    // Frames beyond either end repeat the edge value, which already covers any peak near it.
    const double missingLeft = static_cast<double>(half - (i - lo));
    const double missingRight = static_cast<double>(i + half + 1 - hi);
    const double sum = prefix[hi] - prefix[lo] + missingLeft * held[0] + missingRight * held[n - 1];
    const float smooth = static_cast<float>(sum / (2 * half + 1));
    gain = std::min(smooth, gain + (1.0f - gain) * release);
    for (auto& c : channels) c[i] *= gain;
  }
}

void MasterTo(std::vector<TSamples>& channels, double targetLufs, bool momentary, float ceilingDb) {
  const float ceiling = DbToGain(ceilingDb);
  auto measure = [&](const std::vector<TSamples>& chans) {
    const TLoudness l = MeasureLoudness(chans, SAMPLE_RATE);
    return momentary ? l.momentaryMax : l.integrated;
  };
  double gainDb = targetLufs - measure(channels);
  std::vector<TSamples> trial;
  // Limiting takes a little loudness away; a correction or two brings it within 0.1 dB.
  for (int pass = 0; pass < 4; ++pass) {
    trial = channels;
    const float g = DbToGain(static_cast<float>(gainDb));
    for (auto& c : trial)
      for (float& v : c) v *= g;
    LimitPeaks(trial, ceiling, 0.12f);
    const double error = targetLufs - measure(trial);
    if (std::fabs(error) < 0.1) break;
    gainDb += error;
  }
  channels = std::move(trial);
}

void FoldIntoLoop(TSamples& samples, std::size_t frames, std::size_t fade) {
  for (std::size_t i = 0; i < fade && frames + i < samples.size(); ++i) {
    const float t = (static_cast<float>(i) + 0.5f) / static_cast<float>(fade);
    const float in = std::sin(0.5f * PI * t), out = std::cos(0.5f * PI * t);
    samples[i] = samples[i] * in + samples[frames + i] * out;
  }
  samples.resize(frames);
}

void FadeOutTail(TSamples& samples, double seconds) {
  const std::size_t n = std::min(samples.size(), SecondsToFrames(seconds));
  const std::size_t start = samples.size() - n;
  for (std::size_t i = 0; i < n; ++i) {
    const float t = static_cast<float>(i + 1) / static_cast<float>(n);
    samples[start + i] *= 0.5f + 0.5f * std::cos(PI * t);
  }
}

void MixInto(TSamples& out, std::size_t at, const TSamples& voice, float gain) {
  if (at >= out.size()) return;
  const std::size_t n = std::min(voice.size(), out.size() - at);
  for (std::size_t i = 0; i < n; ++i) out[at + i] += voice[i] * gain;
}

}  // namespace sound
