// Measuring generated sounds: Ogg Vorbis decoding from memory, peak level and K-weighted
// loudness. Shared by the generator (which checks what it wrote), the listening report and the
// sound test, so all three judge the files by the same yardstick.
#pragma once

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <optional>
#include <vector>

namespace sound {

using TSamples = std::vector<float>;

/// A decoded sound: one sample vector per channel, all of equal length.
struct TDecoded {
  int rate = 0;
  std::vector<TSamples> channels;
  std::size_t Frames() const { return channels.empty() ? 0 : channels[0].size(); }
  double Seconds() const { return rate > 0 ? static_cast<double>(Frames()) / rate : 0.0; }
};

/// Second-order IIR section in transposed direct form II (coefficients normalised by a0).
template <typename T>
struct TBiquadT {
  T b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
  T z1 = 0, z2 = 0;

  T Process(T x) {
    const T y = b0 * x + z1;
    z1 = b1 * x - a1 * y + z2;
    z2 = b2 * x - a2 * y;
    return y;
  }
  void Reset() { z1 = z2 = 0; }

  // The cookbook designs (frequency in Hz at the given sample rate).
  static TBiquadT Design(int kind, double hz, double q, double gainDb, double rate) {
    const double w = 2.0 * std::numbers::pi * std::min(hz, rate * 0.49) / rate;
    const double cw = std::cos(w), sw = std::sin(w), alpha = sw / (2.0 * q);
    const double a = std::pow(10.0, gainDb / 40.0);
    double nb0 = 1, nb1 = 0, nb2 = 0, na0 = 1, na1 = 0, na2 = 0;
    switch (kind) {
      case LOWPASS:
        nb0 = (1 - cw) / 2;
        nb1 = 1 - cw;
        nb2 = nb0;
        na0 = 1 + alpha;
        na1 = -2 * cw;
        na2 = 1 - alpha;
        break;
      case HIGHPASS:
        nb0 = (1 + cw) / 2;
        nb1 = -(1 + cw);
        nb2 = nb0;
        na0 = 1 + alpha;
        na1 = -2 * cw;
        na2 = 1 - alpha;
        break;
      case BANDPASS:  // 0 dB at the centre
        nb0 = alpha;
        nb1 = 0;
        nb2 = -alpha;
        na0 = 1 + alpha;
        na1 = -2 * cw;
        na2 = 1 - alpha;
        break;
      case PEAK:
        nb0 = 1 + alpha * a;
        nb1 = -2 * cw;
        nb2 = 1 - alpha * a;
        na0 = 1 + alpha / a;
        na1 = -2 * cw;
        na2 = 1 - alpha / a;
        break;
      case HIGHSHELF: {
        const double s = 2 * std::sqrt(a) * alpha;
        nb0 = a * ((a + 1) + (a - 1) * cw + s);
        nb1 = -2 * a * ((a - 1) + (a + 1) * cw);
        nb2 = a * ((a + 1) + (a - 1) * cw - s);
        na0 = (a + 1) - (a - 1) * cw + s;
        na1 = 2 * ((a - 1) - (a + 1) * cw);
        na2 = (a + 1) - (a - 1) * cw - s;
        break;
      }
      case LOWSHELF: {
        const double s = 2 * std::sqrt(a) * alpha;
        nb0 = a * ((a + 1) - (a - 1) * cw + s);
        nb1 = 2 * a * ((a - 1) - (a + 1) * cw);
        nb2 = a * ((a + 1) - (a - 1) * cw - s);
        na0 = (a + 1) + (a - 1) * cw + s;
        na1 = -2 * ((a - 1) + (a + 1) * cw);
        na2 = (a + 1) + (a - 1) * cw - s;
        break;
      }
      default: break;
    }
    TBiquadT f;
    f.b0 = static_cast<T>(nb0 / na0);
    f.b1 = static_cast<T>(nb1 / na0);
    f.b2 = static_cast<T>(nb2 / na0);
    f.a1 = static_cast<T>(na1 / na0);
    f.a2 = static_cast<T>(na2 / na0);
    return f;
  }
  enum { LOWPASS, HIGHPASS, BANDPASS, PEAK, HIGHSHELF, LOWSHELF };
};

/// Decodes Ogg Vorbis bytes held in memory; nothing when they are not a readable stream.
inline std::optional<TDecoded> DecodeOggVorbis(const std::vector<std::uint8_t>& bytes) {
  struct TReader {
    const std::vector<std::uint8_t>* data;
    std::size_t pos;
  } reader{&bytes, 0};
  ov_callbacks callbacks{};
  callbacks.read_func = [](void* ptr, size_t size, size_t count, void* source) -> size_t {
    auto* r = static_cast<TReader*>(source);
    const std::size_t want = size * count, left = r->data->size() - r->pos;
    const std::size_t n = std::min(want, left);
    std::memcpy(ptr, r->data->data() + r->pos, n);
    r->pos += n;
    return size ? n / size : 0;
  };
  callbacks.seek_func = [](void* source, ogg_int64_t offset, int whence) -> int {
    auto* r = static_cast<TReader*>(source);
    ogg_int64_t base = whence == SEEK_SET   ? 0
                       : whence == SEEK_CUR ? static_cast<ogg_int64_t>(r->pos)
                                            : static_cast<ogg_int64_t>(r->data->size());
    const ogg_int64_t target = base + offset;
    if (target < 0 || target > static_cast<ogg_int64_t>(r->data->size())) return -1;
    r->pos = static_cast<std::size_t>(target);
    return 0;
  };
  callbacks.tell_func = [](void* source) -> long {
    return static_cast<long>(static_cast<TReader*>(source)->pos);
  };
  callbacks.close_func = nullptr;

  OggVorbis_File file;
  if (ov_open_callbacks(&reader, &file, nullptr, 0, callbacks) != 0) return std::nullopt;
  const vorbis_info* info = ov_info(&file, -1);
  TDecoded out;
  out.rate = static_cast<int>(info->rate);
  out.channels.resize(static_cast<std::size_t>(info->channels));
  const ogg_int64_t total = ov_pcm_total(&file, -1);
  if (total > 0)
    for (auto& c : out.channels) c.reserve(static_cast<std::size_t>(total));
  bool ok = true;
  for (;;) {
    float** pcm = nullptr;
    int section = 0;
    const long n = ov_read_float(&file, &pcm, 4096, &section);
    if (n == 0) break;
    if (n < 0) {
      ok = false;
      break;
    }
    for (std::size_t c = 0; c < out.channels.size(); ++c)
      out.channels[c].insert(out.channels[c].end(), pcm[c], pcm[c] + n);
  }
  ov_clear(&file);
  if (!ok || out.channels.empty()) return std::nullopt;
  return out;
}

inline double ToDb(double linear) { return linear > 0 ? 20.0 * std::log10(linear) : -200.0; }

/// Largest absolute sample over all channels, in dBFS.
inline double PeakDb(const std::vector<TSamples>& channels) {
  float peak = 0;
  for (const auto& c : channels)
    for (float v : c) peak = std::max(peak, std::fabs(v));
  return ToDb(peak);
}

/// Plain RMS level over all channels, in dBFS.
inline double RmsDb(const std::vector<TSamples>& channels) {
  double sum = 0;
  std::size_t n = 0;
  for (const auto& c : channels) {
    for (float v : c) sum += static_cast<double>(v) * v;
    n += c.size();
  }
  return n ? 10.0 * std::log10(std::max(sum / n, 1e-20)) : -200.0;
}

/// Loudness figures of a sound as it is heard: K-weighted (the broadcast loudness filter), a
/// mono sound counted as if played on both speakers, as the mixer does.
struct TLoudness {
  double integrated = -200;    ///< over the whole sound, ungated (LUFS)
  double momentaryMax = -200;  ///< loudest 400 ms window, 100 ms steps (LUFS)
};

inline TLoudness MeasureLoudness(const std::vector<TSamples>& channels, int rate) {
  TLoudness result;
  if (channels.empty() || channels[0].empty()) return result;
  const std::size_t frames = channels[0].size();
  // Per-frame K-weighted power summed over the two speakers.
  std::vector<double> power(frames, 0.0);
  const double speakers = channels.size() == 1 ? 2.0 : 1.0;
  for (const auto& c : channels) {
    auto shelf = TBiquadT<double>::Design(TBiquadT<double>::HIGHSHELF, 1681.97, 0.7072, 4.0, rate);
    auto high = TBiquadT<double>::Design(TBiquadT<double>::HIGHPASS, 38.135, 0.5003, 0.0, rate);
    for (std::size_t i = 0; i < frames; ++i) {
      const double y = high.Process(shelf.Process(c[i]));
      power[i] += speakers * y * y;
    }
  }
  auto lufs = [](double meanPower) {
    return -0.691 + 10.0 * std::log10(std::max(meanPower, 1e-20));
  };
  double total = 0;
  for (double p : power) total += p;
  result.integrated = lufs(total / frames);
  const std::size_t window = static_cast<std::size_t>(rate * 0.4),
                    hop = static_cast<std::size_t>(rate * 0.1);
  if (frames <= window) {
    result.momentaryMax = lufs(total / window);
    return result;
  }
  std::vector<double> prefix(frames + 1, 0.0);
  for (std::size_t i = 0; i < frames; ++i) prefix[i + 1] = prefix[i] + power[i];
  for (std::size_t start = 0; start + window <= frames; start += hop)
    result.momentaryMax =
        std::max(result.momentaryMax, lufs((prefix[start + window] - prefix[start]) / window));
  return result;
}

}  // namespace sound
