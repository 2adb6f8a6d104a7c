// Listening report for the generated sounds: decodes every ASSET_DIR/sounds/*.ogg and writes
// OUT_DIR/sound-report.txt (length, peak, RMS and loudness per file, the loop seam of the rain
// beds) and one sonogram picture per file in OUT_DIR/sound-report/, for a person to look at.
// Usage: sound_report ASSET_DIR OUT_DIR
#include <cairo.h>

#include <algorithm>
#include <complex>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "tools/sound/sound_measure.h"

namespace fs = std::filesystem;
using namespace sound;

namespace {

constexpr int FFT_SIZE = 2048;
constexpr int PLOT_HEIGHT = 360;
constexpr int MARGIN = 40;
constexpr double LOW_HZ = 30.0, HIGH_HZ = 18000.0;

void Fft(std::vector<std::complex<double>>& a) {
  const std::size_t n = a.size();
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (std::size_t len = 2; len <= n; len <<= 1) {
    const double angle = -2.0 * std::numbers::pi / static_cast<double>(len);
    const std::complex<double> unit(std::cos(angle), std::sin(angle));
    for (std::size_t i = 0; i < n; i += len) {
      std::complex<double> w(1.0);
      for (std::size_t k = 0; k < len / 2; ++k) {
        const auto u = a[i + k], v = a[i + k + len / 2] * w;
        a[i + k] = u + v;
        a[i + k + len / 2] = u - v;
        w *= unit;
      }
    }
  }
}

// Black - purple - red - yellow - white over -100..0 dB.
void HeatColour(double db, std::uint8_t& r, std::uint8_t& g, std::uint8_t& b) {
  const double x = std::clamp((db + 100.0) / 100.0, 0.0, 1.0);
  const double rr = std::clamp(x * 2.2 - 0.3, 0.0, 1.0);
  const double gg = std::clamp(x * 2.0 - 1.0, 0.0, 1.0);
  const double bb = std::clamp(
      x < 0.4 ? x * 1.6 : 0.64 - (x - 0.4) * 1.6 + std::max(0.0, x - 0.85) * 6.0, 0.0, 1.0);
  r = static_cast<std::uint8_t>(rr * 255);
  g = static_cast<std::uint8_t>(gg * 255);
  b = static_cast<std::uint8_t>(bb * 255);
}

void WriteSonogram(const TDecoded& sound, const std::string& title, const fs::path& file) {
  const std::size_t frames = sound.Frames();
  const int columns = static_cast<int>(std::clamp<std::size_t>(frames / 512, 200, 1200));
  const int width = columns + 2 * MARGIN, height = PLOT_HEIGHT + 2 * MARGIN;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 0.1, 0.1, 0.12);
  cairo_paint(cr);
  cairo_surface_flush(surface);
  unsigned char* pixels = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  std::vector<double> window(FFT_SIZE);
  double windowSum = 0;
  for (int i = 0; i < FFT_SIZE; ++i) {
    window[static_cast<std::size_t>(i)] =
        0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / (FFT_SIZE - 1));
    windowSum += window[static_cast<std::size_t>(i)];
  }
  std::vector<std::complex<double>> buffer(FFT_SIZE);
  for (int x = 0; x < columns; ++x) {
    const double centre = frames * (x + 0.5) / columns;
    for (int i = 0; i < FFT_SIZE; ++i) {
      const long at = static_cast<long>(centre) - FFT_SIZE / 2 + i;
      double v = 0;
      if (at >= 0 && at < static_cast<long>(frames))
        for (const auto& c : sound.channels) v += c[static_cast<std::size_t>(at)];
      buffer[static_cast<std::size_t>(i)] =
          v / sound.channels.size() * window[static_cast<std::size_t>(i)];
    }
    Fft(buffer);
    for (int y = 0; y < PLOT_HEIGHT; ++y) {
      // Logarithmic frequency axis, low at the bottom.
      const double hz =
          LOW_HZ * std::pow(HIGH_HZ / LOW_HZ, (PLOT_HEIGHT - 1 - y) / double(PLOT_HEIGHT - 1));
      const std::size_t bin = std::min<std::size_t>(
          FFT_SIZE / 2 - 1, static_cast<std::size_t>(hz * FFT_SIZE / sound.rate));
      const double magnitude = 2.0 * std::abs(buffer[bin]) / windowSum;
      std::uint8_t r, g, b;
      HeatColour(ToDb(magnitude), r, g, b);
      unsigned char* p = pixels + (y + MARGIN) * stride + (x + MARGIN) * 4;
      p[0] = b, p[1] = g, p[2] = r, p[3] = 255;
    }
  }
  cairo_surface_mark_dirty(surface);
  cairo_set_source_rgb(cr, 0.9, 0.9, 0.9);
  cairo_set_font_size(cr, 13);
  cairo_move_to(cr, MARGIN, 24);
  cairo_show_text(cr, title.c_str());
  cairo_set_font_size(cr, 10);
  for (double hz : {100.0, 1000.0, 10000.0}) {
    const double y =
        MARGIN + (PLOT_HEIGHT - 1) * (1.0 - std::log(hz / LOW_HZ) / std::log(HIGH_HZ / LOW_HZ));
    cairo_move_to(cr, 4, y + 4);
    cairo_show_text(
        cr, hz >= 1000 ? (std::to_string(static_cast<int>(hz / 1000)) + "k").c_str() : "100");
  }
  const double seconds = sound.Seconds();
  const double tick = seconds > 60 ? 10 : seconds > 10 ? 1 : seconds > 2 ? 0.5 : 0.25;
  for (double t = 0; t <= seconds; t += tick) {
    const double x = MARGIN + columns * t / seconds;
    cairo_move_to(cr, x, MARGIN + PLOT_HEIGHT + 14);
    char label[32];
    std::snprintf(label, sizeof label, tick < 1 ? "%.2f" : "%.0f", t);
    cairo_show_text(cr, label);
  }
  cairo_destroy(cr);
  cairo_surface_write_to_png(surface, file.string().c_str());
  cairo_surface_destroy(surface);
}

// Largest end-to-start step of a loop, against the typical step between neighbouring samples.
double SeamRatio(const TDecoded& sound) {
  double seam = 0, typical = 0;
  for (const auto& c : sound.channels) {
    seam = std::max(seam, static_cast<double>(std::fabs(c.front() - c.back())));
    double sum = 0;
    for (std::size_t i = 1; i < c.size(); ++i) sum += std::fabs(c[i] - c[i - 1]);
    typical = std::max(typical, sum / static_cast<double>(c.size() - 1));
  }
  return typical > 0 ? seam / typical : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: sound_report ASSET_DIR OUT_DIR\n";
    return 2;
  }
  const fs::path sounds = fs::path(argv[1]) / "sounds";
  const fs::path out = argv[2];
  const fs::path pictures = out / "sound-report";
  fs::create_directories(pictures);
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(sounds))
    if (entry.path().extension() == ".ogg") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  std::ofstream report(out / "sound-report.txt");
  report
      << "name        seconds  ch  peak dBFS  RMS dBFS  LUFS  max LUFS (400 ms)  bytes   notes\n";
  std::uintmax_t total = 0;
  for (const auto& file : files) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    total += bytes.size();
    const auto decoded = DecodeOggVorbis(bytes);
    const std::string name = file.stem().string();
    if (!decoded) {
      report << name << "  does not decode\n";
      continue;
    }
    const TLoudness loudness = MeasureLoudness(decoded->channels, decoded->rate);
    std::string notes;
    if (name.rfind("rain", 0) == 0) {
      char seam[64];
      std::snprintf(seam, sizeof seam, "loop seam step %.2fx the mean step", SeamRatio(*decoded));
      notes = seam;
    }
    char line[256];
    std::snprintf(line, sizeof line, "%-10s %8.2f  %d  %8.2f  %8.2f  %6.1f  %8.1f  %9ju   %s\n",
                  name.c_str(), decoded->Seconds(), static_cast<int>(decoded->channels.size()),
                  PeakDb(decoded->channels), RmsDb(decoded->channels), loudness.integrated,
                  loudness.momentaryMax, static_cast<std::uintmax_t>(bytes.size()), notes.c_str());
    report << line;
    char title[160];
    std::snprintf(title, sizeof title, "%s   %.2f s   peak %.1f dBFS   %.1f LUFS", name.c_str(),
                  decoded->Seconds(), PeakDb(decoded->channels), loudness.integrated);
    WriteSonogram(*decoded, title, pictures / (name + ".png"));
  }
  report << "total " << files.size() << " files, " << total << " bytes\n";
  std::cout << "sound report: " << (out / "sound-report.txt").string() << ", sonograms in "
            << pictures.string() << "\n";
  return 0;
}
