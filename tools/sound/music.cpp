// Composer and arranger of the four themes and the win jingle (see music.h).
// Index: [SECTION] Harmony, [SECTION] Themes, [SECTION] Melody, [SECTION] Grooves,
//        [SECTION] Rendering, [SECTION] Entry points.
// A theme is a chord chart in sections; melodies are two-bar motifs repeated and bent to the
// harmony (chord tones on strong beats), so every run of the same seed composes the same song.
#include "tools/sound/music.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>

#include "tools/sound/instruments.h"

namespace sound {

namespace {

// [SECTION] Harmony ------------------------------------------------------------------------------

constexpr std::array<int, 7> MAJOR_SCALE = {0, 2, 4, 5, 7, 9, 11};
constexpr std::array<int, 7> DORIAN_SCALE = {0, 2, 3, 5, 7, 9, 10};

int Mod(int a, int m) { return ((a % m) + m) % m; }
int FloorDiv(int a, int m) { return (a - Mod(a, m)) / m; }

/// A chord as pitch classes counted in semitones above the key's tonic.
struct TChord {
  int root = 0;
  std::vector<int> tones;  ///< root first; values may exceed 12 (ninths)
};

/// Parses a roman-numeral chord: optional b/#, numeral (upper case major, lower case minor),
/// suffix "", "7", "maj7", "6", "add9", "sus4", "o" (diminished).
TChord ParseChord(const std::string& symbol) {
  std::size_t i = 0;
  int accidental = 0;
  if (i < symbol.size() && symbol[i] == 'b') accidental = -1, ++i;
  if (i < symbol.size() && symbol[i] == '#') accidental = 1, ++i;
  std::size_t j = i;
  while (j < symbol.size() && std::string("IViv").find(symbol[j]) != std::string::npos) ++j;
  std::string numeral = symbol.substr(i, j - i);
  const std::string suffix = symbol.substr(j);
  if (numeral.empty()) throw std::runtime_error("bad chord " + symbol);
  const bool upper = std::isupper(static_cast<unsigned char>(numeral[0])) != 0;
  for (char& c : numeral) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  static const std::map<std::string, int> degrees = {{"I", 0}, {"II", 1}, {"III", 2}, {"IV", 3},
                                                     {"V", 4}, {"VI", 5}, {"VII", 6}};
  const auto degree = degrees.find(numeral);
  if (degree == degrees.end()) throw std::runtime_error("bad chord " + symbol);
  TChord chord;
  chord.root = MAJOR_SCALE[static_cast<std::size_t>(degree->second)] + accidental;
  std::vector<int> intervals;
  if (suffix == "o") {
    intervals = {0, 3, 6};
  } else if (suffix == "sus4") {
    intervals = {0, 5, 7, 10};
  } else {
    intervals = {0, upper ? 4 : 3, 7};
    if (suffix == "7")
      intervals.push_back(10);
    else if (suffix == "maj7")
      intervals.push_back(11);
    else if (suffix == "6")
      intervals.push_back(9);
    else if (suffix == "add9")
      intervals.push_back(14);
    else if (!suffix.empty())
      throw std::runtime_error("bad chord " + symbol);
  }
  for (int v : intervals) chord.tones.push_back(chord.root + v);
  return chord;
}

bool HasPitchClass(const TChord& chord, int pitchClassFromTonic) {
  for (int t : chord.tones)
    if (Mod(t, 12) == Mod(pitchClassFromTonic, 12)) return true;
  return false;
}

// [SECTION] Themes -------------------------------------------------------------------------------

enum class TGroove { Shuffle, Drive, Waltz, Sneaky };

struct TSection {
  std::string name;               ///< sections of one name share their melody
  std::vector<std::string> bars;  ///< one chord per bar, or two separated by a space
  int energy;                     ///< 1 calm, 2 full groove, 3 full with lifts
  int melody;                     ///< 0 none, 1 lead, 2 second lead, 3 lead doubled by bells
};

struct TTheme {
  std::uint64_t seed;
  int tonic;  ///< MIDI note of the key's tonic in the melody register
  std::array<int, 7> scale;
  float bpm;
  int beatsPerBar;
  float swing;  ///< 0 straight, 1 full triplet feel
  TGroove groove;
  TVoice lead, lead2, comp, bass;
  int melodyLow, melodyHigh;
  float density;  ///< chance that a melody beat splits into eighths
  float room, wet;
  std::vector<TSection> form;
};

TTheme ThemeChart(int number) {
  switch (number) {
    case 1:  // playful shuffle in F: marimba and flute over offbeat guitar
      return TTheme{0x5EED0001,
                    65,
                    MAJOR_SCALE,
                    112,
                    4,
                    0.55f,
                    TGroove::Shuffle,
                    TVoice::Marimba,
                    TVoice::Flute,
                    TVoice::Pluck,
                    TVoice::Upright,
                    65,
                    86,
                    0.55f,
                    0.55f,
                    0.22f,
                    {{"intro", {"I", "vi", "ii7", "V7"}, 1, 0},
                     {"A", {"I", "vi", "ii7", "V7", "I", "vi", "IV V7", "I"}, 2, 1},
                     {"A", {"I", "vi", "ii7", "V7", "I", "vi", "IV V7", "I"}, 3, 1},
                     {"B", {"IV", "V", "iii7", "vi", "ii7", "V7", "I", "V7"}, 2, 2},
                     {"A", {"I", "vi", "ii7", "V7", "I", "vi", "IV V7", "I"}, 3, 1},
                     {"C", {"vi", "IV", "I", "V", "vi", "IV", "ii7", "V7"}, 1, 2},
                     {"B", {"IV", "V", "iii7", "vi", "ii7", "V7", "I", "V7"}, 3, 2},
                     {"A", {"I", "vi", "ii7", "V7", "I", "vi", "IV V7", "I"}, 3, 3},
                     {"outro", {"IV", "V7", "I", "I"}, 2, 0}}};
    case 2:  // bright driving pop in G: soft square lead, electric piano, pumping bass
      return TTheme{0x5EED0002,
                    67,
                    MAJOR_SCALE,
                    126,
                    4,
                    0.0f,
                    TGroove::Drive,
                    TVoice::Lead,
                    TVoice::Bell,
                    TVoice::EPiano,
                    TVoice::SynthBass,
                    66,
                    86,
                    0.5f,
                    0.6f,
                    0.2f,
                    {{"intro", {"I", "V", "vi", "IV"}, 1, 0},
                     {"A", {"I", "V", "vi", "IV", "I", "V", "IV V", "I"}, 2, 1},
                     {"A", {"I", "V", "vi", "IV", "I", "V", "IV V", "I"}, 3, 1},
                     {"B", {"vi", "IV", "I", "V", "vi", "IV", "ii7", "V"}, 2, 2},
                     {"A", {"I", "V", "vi", "IV", "I", "V", "IV V", "I"}, 3, 1},
                     {"C", {"IV", "I", "V", "vi", "IV", "I", "ii7", "V"}, 1, 2},
                     {"B", {"vi", "IV", "I", "V", "vi", "IV", "ii7", "V"}, 3, 2},
                     {"A", {"I", "V", "vi", "IV", "I", "V", "IV V", "I"}, 3, 3},
                     {"outro", {"IV", "V", "I", "I"}, 2, 0}}};
    case 3:  // dreamy waltz in E flat: celesta and flute over harp and pads
      return TTheme{0x5EED0003,
                    63,
                    MAJOR_SCALE,
                    120,
                    3,
                    0.0f,
                    TGroove::Waltz,
                    TVoice::Bell,
                    TVoice::Flute,
                    TVoice::Pluck,
                    TVoice::SubBass,
                    63,
                    84,
                    0.4f,
                    0.8f,
                    0.35f,
                    {{"intro", {"Imaj7", "IVmaj7", "Imaj7", "IVmaj7"}, 1, 0},
                     {"A",
                      {"Imaj7", "vi7", "ii7", "V7", "Imaj7", "vi7", "IVmaj7", "V7", "Imaj7", "vi7",
                       "ii7", "V7", "iii7", "vi7", "ii7", "Imaj7"},
                      2,
                      1},
                     {"B", {"IVmaj7", "V", "iii7", "vi7", "ii7", "V", "Imaj7", "V7"}, 2, 2},
                     {"A",
                      {"Imaj7", "vi7", "ii7", "V7", "Imaj7", "vi7", "IVmaj7", "V7", "Imaj7", "vi7",
                       "ii7", "V7", "iii7", "vi7", "ii7", "Imaj7"},
                      3,
                      1},
                     {"C", {"vi7", "IVmaj7", "Imaj7", "V", "vi7", "IVmaj7", "ii7", "V7"}, 1, 2},
                     {"A",
                      {"Imaj7", "vi7", "ii7", "V7", "Imaj7", "vi7", "IVmaj7", "V7", "Imaj7", "vi7",
                       "ii7", "V7", "iii7", "vi7", "ii7", "Imaj7"},
                      3,
                      3},
                     {"outro", {"IVmaj7", "V7", "Imaj7", "Imaj7"}, 1, 0}}};
    default:  // curious, sneaky D dorian: clarinet and vibes over walking bass and brushes
      return TTheme{0x5EED0004,
                    62,
                    DORIAN_SCALE,
                    104,
                    4,
                    0.4f,
                    TGroove::Sneaky,
                    TVoice::Clarinet,
                    TVoice::Vibes,
                    TVoice::EPiano,
                    TVoice::Upright,
                    60,
                    79,
                    0.45f,
                    0.6f,
                    0.22f,
                    {{"intro", {"i7", "IV7", "i7", "IV7"}, 1, 0},
                     {"A", {"i7", "IV7", "i7", "IV7", "bVI", "bVII", "V7", "i7"}, 2, 1},
                     {"A", {"i7", "IV7", "i7", "IV7", "bVI", "bVII", "V7", "i7"}, 3, 1},
                     {"B", {"iv7", "bVII7", "bIIImaj7", "bVImaj7", "iio", "V7", "i7", "V7"}, 2, 2},
                     {"A", {"i7", "IV7", "i7", "IV7", "bVI", "bVII", "V7", "i7"}, 3, 1},
                     {"C", {"bVImaj7", "bVII", "i7", "i7", "bVImaj7", "bVII", "V7", "V7"}, 1, 2},
                     {"B", {"iv7", "bVII7", "bIIImaj7", "bVImaj7", "iio", "V7", "i7", "V7"}, 3, 2},
                     {"A", {"i7", "IV7", "i7", "IV7", "bVI", "bVII", "V7", "i7"}, 3, 3},
                     {"outro", {"iv7", "V7", "i7", "i7"}, 1, 0}}};
  }
}

// The whole song as bars: the chords of each bar with the section it belongs to.
struct TBar {
  std::vector<TChord> chords;  ///< one or two (split at half bar)
  std::size_t section;
  int indexInSection;
};

// [SECTION] Melody -------------------------------------------------------------------------------

enum TPart { PART_LEAD, PART_LEAD2, PART_DOUBLE, PART_COMP, PART_PAD, PART_BASS, PART_COUNT };

struct TNote {
  double beat;   ///< from the start of the song
  double beats;  ///< held length
  int midi;
  float velocity;
  int part;
};

struct THit {
  double beat;
  TDrum drum;
  float velocity;
};

struct TScore {
  std::vector<TNote> notes;
  std::vector<THit> hits;
  double totalBeats = 0;
};

struct TMotif {
  std::vector<std::pair<double, double>>
      rhythm;              ///< onset and length in beats from the motif start
  std::vector<int> steps;  ///< scale steps from the first note
};

class TComposer {
 public:
  explicit TComposer(const TTheme& theme) : theme(theme), rng(theme.seed) {
    for (std::size_t s = 0; s < theme.form.size(); ++s) {
      const auto& section = theme.form[s];
      for (std::size_t b = 0; b < section.bars.size(); ++b) {
        TBar bar;
        std::istringstream words(section.bars[b]);
        std::string word;
        while (words >> word) bar.chords.push_back(ParseChord(word));
        bar.section = s;
        bar.indexInSection = static_cast<int>(b);
        bars.push_back(bar);
      }
    }
  }

  TScore Compose();

 private:
  const TTheme& theme;
  TRandom rng;
  std::vector<TBar> bars;
  TScore score;
  std::map<std::string, std::vector<TNote>>
      melodies;  ///< per section name, beats from section start

  int Beats() const { return theme.beatsPerBar; }
  const TChord& ChordAt(std::size_t firstBar, double beat) const;
  int DiatonicToMidi(int index) const;
  int MidiToDiatonic(int midi) const;
  int NearestChordTone(const TChord& chord, int midi, int lo, int hi, bool preferRoot) const;
  bool InChordScale(const TChord& chord, int midi) const;
  TMotif MakeMotif(int barsLong);
  std::vector<TNote> Realize(const TMotif& motif, std::size_t sectionFirstBar, double atBeat,
                             int anchor, double untilBeat);
  std::vector<TNote> MakeMelody(std::size_t sectionFirstBar, int barCount);
  void AddNote(double beat, double beats, int midi, float velocity, int part) {
    score.notes.push_back(TNote{beat, beats, midi, velocity, part});
  }
  void AddHit(double beat, TDrum drum, float velocity) {
    score.hits.push_back(
        THit{beat, drum, std::clamp(velocity * rng.Range(0.9f, 1.05f), 0.0f, 1.0f)});
  }
  std::vector<int> Voicing(const TChord& chord, int center) const;
  int BassNote(int pitchFromTonic) const;
  void Accompany(std::size_t barIndex, double barBeat, bool finalBar);
  void Drums(std::size_t barIndex, double barBeat, bool finalBar);
};

const TChord& TComposer::ChordAt(std::size_t firstBar, double beat) const {
  const std::size_t bar =
      std::min(bars.size() - 1, firstBar + static_cast<std::size_t>(std::max(0.0, beat) / Beats()));
  const auto& chords = bars[bar].chords;
  const double inBar = beat - std::floor(beat / Beats()) * Beats();
  return chords.size() > 1 && inBar >= Beats() / 2.0 ? chords[1] : chords[0];
}

int TComposer::DiatonicToMidi(int index) const {
  return theme.tonic + 12 * FloorDiv(index, 7) +
         theme.scale[static_cast<std::size_t>(Mod(index, 7))];
}

int TComposer::MidiToDiatonic(int midi) const {
  const int octave = FloorDiv(midi - theme.tonic, 12);
  const int within = Mod(midi - theme.tonic, 12);
  int degree = 0;
  for (int d = 0; d < 7; ++d)
    if (theme.scale[static_cast<std::size_t>(d)] <= within) degree = d;
  return octave * 7 + degree;
}

int TComposer::NearestChordTone(const TChord& chord, int midi, int lo, int hi,
                                bool preferRoot) const {
  int best = midi, bestCost = 1 << 20;
  for (int candidate = lo; candidate <= hi; ++candidate) {
    if (!HasPitchClass(chord, candidate - theme.tonic)) continue;
    int cost = 2 * std::abs(candidate - midi);
    if (preferRoot && Mod(candidate - theme.tonic - chord.root, 12) != 0) cost += 5;
    if (cost < bestCost) bestCost = cost, best = candidate;
  }
  return best;
}

// The key's scale with the chord's own chromatic tones replacing their neighbours (the leading
// tone over a dominant in a minor key, for instance).
bool TComposer::InChordScale(const TChord& chord, int midi) const {
  const int pc = Mod(midi - theme.tonic, 12);
  if (HasPitchClass(chord, pc)) return true;
  bool inScale = false;
  for (int s : theme.scale) inScale |= s == pc;
  if (!inScale) return false;
  for (int t : chord.tones) {
    const int tpc = Mod(t, 12);
    bool toneInScale = false;
    for (int s : theme.scale) toneInScale |= s == tpc;
    if (!toneInScale && (Mod(pc - tpc, 12) == 1 || Mod(tpc - pc, 12) == 1)) return false;
  }
  return true;
}

// Bar rhythms in beats; a negative length is a rest. The busier ones are picked more often in
// themes with a higher melody density; motifs end on one of the closing patterns.
using TBarRhythm = std::vector<double>;
const std::vector<TBarRhythm> RHYTHMS_4 = {{1, 1, 1, 1},
                                           {0.5, 0.5, 1, 1, 1},
                                           {1, 0.5, 0.5, 1, 1},
                                           {1.5, 0.5, 1, 1},
                                           {1, 1, 2},
                                           {2, 1, 1},
                                           {0.5, 0.5, 0.5, 0.5, 1, 1},
                                           {1, 1, 0.5, 0.5, 1},
                                           {1.5, 0.5, 2},
                                           {0.5, 0.5, 1, 0.5, 0.5, 1},
                                           {1, 0.5, 0.5, 0.5, 0.5, 1},
                                           {-0.5, 0.5, 1, 1, 1}};
const std::vector<TBarRhythm> ENDINGS_4 = {{1, 1, 2},           {1.5, 0.5, 2},
                                           {0.5, 0.5, 1, 2},    {2, 2},
                                           {1, 1, 1, -1},       {0.5, 0.5, 0.5, 0.5, 1, -1},
                                           {1, 0.5, 0.5, 1, -1}};
const std::vector<TBarRhythm> RHYTHMS_3 = {
    {1, 1, 1},        {2, 1},           {1.5, 0.5, 1},          {0.5, 0.5, 1, 1},
    {1, 0.5, 0.5, 1}, {1, 1, 0.5, 0.5}, {0.5, 0.5, 0.5, 0.5, 1}};
const std::vector<TBarRhythm> ENDINGS_3 = {{2, -1}, {3}, {1, 2}, {0.5, 0.5, 2}, {1, 1, -1}};

TMotif TComposer::MakeMotif(int barsLong) {
  TMotif motif;
  const bool waltz = Beats() == 3;
  for (int bar = 0; bar < barsLong; ++bar) {
    const bool last = bar == barsLong - 1;
    const auto& choices = last ? (waltz ? ENDINGS_3 : ENDINGS_4) : (waltz ? RHYTHMS_3 : RHYTHMS_4);
    // Weight each pattern by how well its note count suits the theme's density.
    std::vector<float> weights;
    float sum = 0;
    for (const auto& pattern : choices) {
      const float busy = static_cast<float>(pattern.size()) / static_cast<float>(Beats());
      const float w = std::exp(-3.0f * std::fabs(busy - (0.8f + theme.density)));
      weights.push_back(w);
      sum += w;
    }
    float pick = rng.Uniform() * sum;
    std::size_t chosen = 0;
    while (chosen + 1 < choices.size() && pick >= weights[chosen]) pick -= weights[chosen++];
    double at = bar * Beats();
    for (double length : choices[chosen]) {
      if (length > 0) motif.rhythm.push_back({at, length});
      at += std::fabs(length);
    }
  }
  // Contour: mostly steps, an arch (up, then down), leaps recovered by a step back.
  int position = 0, lastStep = 0;
  const std::size_t count = motif.rhythm.size();
  for (std::size_t k = 0; k < count; ++k) {
    if (k > 0) {
      const bool rising = k < count / 2 + 1;
      int step;
      if (std::abs(lastStep) >= 3) {
        step = lastStep > 0 ? -1 : 1;
      } else {
        const float r = rng.Uniform();
        const int magnitude = r < 0.58f ? 1 : r < 0.83f ? 2 : r < 0.88f ? 0 : r < 0.96f ? 3 : 4;
        const bool up = rng.Chance(rising ? 0.68f : 0.32f);
        step = up ? magnitude : -magnitude;
      }
      if (position + step > 6 || position + step < -5) step = -step;
      position += step;
      lastStep = step;
    }
    motif.steps.push_back(position);
  }
  return motif;
}

std::vector<TNote> TComposer::Realize(const TMotif& motif, std::size_t sectionFirstBar,
                                      double atBeat, int anchor, double untilBeat) {
  std::vector<TNote> notes;
  const TChord& first = ChordAt(sectionFirstBar, atBeat);
  int lowStep = 0, highStep = 0;
  for (int s : motif.steps) lowStep = std::min(lowStep, s), highStep = std::max(highStep, s);
  // The first note: the chord tone nearest the anchor that keeps the whole motif in range.
  const int lowIndex = MidiToDiatonic(theme.melodyLow),
            highIndex = MidiToDiatonic(theme.melodyHigh);
  int start = NearestChordTone(first, anchor, theme.melodyLow, theme.melodyHigh, false);
  for (int tries = 0; tries < 3; ++tries) {
    const int index = MidiToDiatonic(start);
    if (index + lowStep < lowIndex)
      start = NearestChordTone(first, start + 5, theme.melodyLow, theme.melodyHigh, false);
    else if (index + highStep > highIndex)
      start = NearestChordTone(first, start - 5, theme.melodyLow, theme.melodyHigh, false);
  }
  const int startIndex = MidiToDiatonic(start);
  const int strongEvery = Beats() == 3 ? 3 : 2;
  for (std::size_t k = 0; k < motif.rhythm.size(); ++k) {
    const auto [onset, length] = motif.rhythm[k];
    const double beat = atBeat + onset;
    if (beat >= untilBeat) break;
    const TChord& chord = ChordAt(sectionFirstBar, beat);
    int midi = DiatonicToMidi(startIndex + motif.steps[k]);
    const bool onBeat = onset == std::floor(onset);
    const bool strong = (onBeat && static_cast<int>(beat) % strongEvery == 0) || length >= 1.5;
    const bool needsChordTone = strong || length >= 1.0;
    if (needsChordTone ? !HasPitchClass(chord, midi - theme.tonic) : !InChordScale(chord, midi))
      midi = NearestChordTone(chord, midi, theme.melodyLow, theme.melodyHigh, false);
    // Snapping can flatten the line into repeated notes; keep the motif's direction instead.
    if (!notes.empty() && midi == notes.back().midi && motif.steps[k] != motif.steps[k - 1]) {
      const int direction = motif.steps[k] > motif.steps[k - 1] ? 1 : -1;
      for (int candidate = midi + direction; std::abs(candidate - midi) <= 7;
           candidate += direction) {
        const bool fits = needsChordTone ? HasPitchClass(chord, candidate - theme.tonic)
                                         : InChordScale(chord, candidate);
        if (fits && candidate >= theme.melodyLow && candidate <= theme.melodyHigh) {
          midi = candidate;
          break;
        }
      }
    }
    while (midi > theme.melodyHigh) midi -= 12;
    while (midi < theme.melodyLow) midi += 12;
    const double inBar = beat - std::floor(beat / Beats()) * Beats();
    float velocity = 0.74f +
                     (inBar == 0 ? 0.14f
                      : onBeat   ? 0.06f
                                 : 0.0f) +
                     rng.Range(-0.04f, 0.04f);
    notes.push_back(TNote{beat, std::min(length, untilBeat - beat), midi, velocity, PART_LEAD});
  }
  return notes;
}

std::vector<TNote> TComposer::MakeMelody(std::size_t firstBar, int barCount) {
  std::vector<TNote> melody;
  const int center = (theme.melodyLow + theme.melodyHigh) / 2 - 2;
  const TMotif a = MakeMotif(2);
  const TMotif b = MakeMotif(2);
  auto append = [&melody](std::vector<TNote> part) {
    melody.insert(melody.end(), part.begin(), part.end());
  };
  for (int phrase = 0; phrase * 8 < barCount || (barCount < 8 && phrase == 0); ++phrase) {
    const double base = phrase * 8.0 * Beats();
    const bool shortPhrase = barCount - phrase * 8 < 8;
    auto firstA = Realize(a, firstBar, base, center, base + 2 * Beats());
    const int opening = firstA.empty() ? center : firstA.front().midi;
    append(firstA);
    if (!shortPhrase) {
      // The motif again on the next chords (a sequence), then the contrasting motif higher up.
      append(Realize(a, firstBar, base + 2 * Beats(), opening + (phrase == 1 ? 2 : 0),
                     base + 4 * Beats()));
      const int climb = melody.empty() ? center : melody.back().midi + 3;
      append(Realize(b, firstBar, base + 4 * Beats(), climb, base + 6 * Beats()));
    }
    const double cadence = base + (shortPhrase ? 2 : 6) * Beats();
    // Cadence: the motif's first bar, then a long chord tone (the root when it can be).
    append(Realize(a, firstBar, cadence, melody.empty() ? opening : melody.back().midi,
                   cadence + Beats()));
    const double endBeat = cadence + Beats();
    const TChord& endChord = ChordAt(firstBar, endBeat);
    const int previous = melody.empty() ? opening : melody.back().midi;
    const int final = NearestChordTone(endChord, previous, theme.melodyLow, theme.melodyHigh, true);
    melody.push_back(TNote{endBeat, Beats() - 1.0, final, 0.8f, PART_LEAD});
  }
  return melody;
}

// [SECTION] Grooves ------------------------------------------------------------------------------

std::vector<int> TComposer::Voicing(const TChord& chord, int center) const {
  std::vector<int> notes;
  for (int t : chord.tones) {
    int midi = theme.tonic + Mod(t, 12);
    while (midi < center - 6) midi += 12;
    while (midi >= center + 6) midi -= 12;
    notes.push_back(midi);
  }
  std::sort(notes.begin(), notes.end());
  notes.erase(std::unique(notes.begin(), notes.end()), notes.end());
  return notes;
}

int TComposer::BassNote(int pitchFromTonic) const {
  int midi = theme.tonic + Mod(pitchFromTonic, 12);
  while (midi > 47) midi -= 12;
  while (midi < 35) midi += 12;
  return midi;
}

void TComposer::Accompany(std::size_t barIndex, double barBeat, bool finalBar) {
  const TBar& bar = bars[barIndex];
  const TSection& section = theme.form[bar.section];
  const int energy = section.energy;
  const int beats = Beats();
  const TChord& chord = bar.chords[0];
  const TChord& next = barIndex + 1 < bars.size() ? bars[barIndex + 1].chords[0] : chord;
  auto chordAt = [&](double inBar) -> const TChord& {
    return bar.chords.size() > 1 && inBar >= beats / 2.0 ? bar.chords[1] : bar.chords[0];
  };
  auto stab = [&](double inBar, double length, int center, float velocity) {
    for (int m : Voicing(chordAt(inBar), center))
      AddNote(barBeat + inBar, length, m, velocity, PART_COMP);
  };
  if (finalBar) {
    stab(0, beats * 1.5, 62, 0.7f);
    for (int m : Voicing(chord, 60)) AddNote(barBeat, beats * 1.5, m, 0.6f, PART_PAD);
    AddNote(barBeat, beats * 1.5, BassNote(chord.root), 0.85f, PART_BASS);
    return;
  }
  // Pads carry the calm sections and glue the fullest ones.
  if (energy == 1 || (energy == 3 && theme.groove != TGroove::Drive) ||
      theme.groove == TGroove::Waltz) {
    for (std::size_t c = 0; c < bar.chords.size(); ++c) {
      const double length = static_cast<double>(beats) / bar.chords.size();
      for (int m : Voicing(bar.chords[c], 60))
        AddNote(barBeat + c * length, length, m, energy == 1 ? 0.7f : 0.45f, PART_PAD);
    }
  }
  const int root = chord.root;
  switch (theme.groove) {
    case TGroove::Shuffle: {
      if (energy >= 2) {
        for (int b = 0; b < beats; ++b) stab(b + 0.5, 0.3, 64, b % 2 ? 0.62f : 0.5f);
      } else {
        stab(1, 0.5, 64, 0.45f);
        stab(3, 0.5, 64, 0.45f);
      }
      AddNote(barBeat, 1.6, BassNote(chordAt(0).root), 0.85f, PART_BASS);
      const TChord& late = chordAt(2);
      const bool split = bar.chords.size() > 1;
      AddNote(barBeat + 2, energy >= 2 ? 1.2 : 1.8, BassNote(split ? late.root : late.root + 7),
              0.75f, PART_BASS);
      if (energy >= 2) {
        // A walk-up into the next bar's root.
        const int target = BassNote(next.root);
        const int approach = target + (rng.Chance(0.5f) ? -2 : 2);
        AddNote(barBeat + 3.5, 0.45, approach, 0.65f, PART_BASS);
      }
      break;
    }
    case TGroove::Drive: {
      if (energy >= 2) {
        const double pattern[] = {0, 1.5, 2.5, 3.5};
        for (double p : pattern) stab(p, p == 0 ? 1.2 : 0.45, 64, p == 0 ? 0.62f : 0.5f);
      } else {
        stab(0, beats, 62, 0.5f);
      }
      const int eighths = energy >= 2 ? beats * 2 : beats / 2;
      for (int e = 0; e < eighths; ++e) {
        const double at = energy >= 2 ? e * 0.5 : e * 2.0;
        int midi = BassNote(chordAt(at).root);
        if (energy == 3 && e % 2 == 1 && rng.Chance(0.3f)) midi += 12;
        AddNote(barBeat + at, energy >= 2 ? 0.42 : 1.8, midi, e % 2 ? 0.62f : 0.8f, PART_BASS);
      }
      break;
    }
    case TGroove::Waltz: {
      // Harp arpeggio: up through two octaves of the chord and back.
      std::vector<int> up = Voicing(chord, 57);
      for (int m : Voicing(chord, 69)) up.push_back(m);
      std::sort(up.begin(), up.end());
      up.erase(std::unique(up.begin(), up.end()), up.end());
      const int steps = beats * 2;
      for (int e = 0; e < steps; ++e) {
        const std::size_t i = static_cast<std::size_t>(e < steps / 2 + 1 ? e : steps - e);
        const int midi = up[std::min(i, up.size() - 1)];
        if (energy >= 2 || e % 2 == 0)
          AddNote(barBeat + e * 0.5, 1.0, midi, e == 0 ? 0.6f : 0.45f, PART_COMP);
      }
      AddNote(barBeat, beats - 0.2, BassNote(root), 0.8f, PART_BASS);
      break;
    }
    case TGroove::Sneaky: {
      stab(0, 1.0, 62, 0.55f);
      stab(1.5, 0.5, 62, 0.5f);
      if (energy == 3) stab(3.5, 0.4, 62, 0.42f);
      if (energy >= 2) {
        // Walking bass: root, a chord tone, another, then a half step into the next root.
        const int r = BassNote(root);
        const int third = r + Mod(chord.tones[1] - root, 12);
        const int fifth = r + Mod(chord.tones[2] - root, 12);
        const int target = BassNote(next.root);
        const int approach = target + (target > fifth ? -1 : 1);
        const int walk[4] = {r, rng.Chance(0.5f) ? third : fifth, rng.Chance(0.5f) ? fifth : r + 12,
                             approach};
        for (int b = 0; b < 4; ++b)
          AddNote(barBeat + b, 0.9, walk[b], b == 0 ? 0.85f : 0.72f, PART_BASS);
      } else {
        AddNote(barBeat, 1.8, BassNote(root), 0.8f, PART_BASS);
        AddNote(barBeat + 2, 1.8, BassNote(root + 7), 0.7f, PART_BASS);
      }
      break;
    }
  }
}

void TComposer::Drums(std::size_t barIndex, double barBeat, bool finalBar) {
  const TBar& bar = bars[barIndex];
  const TSection& section = theme.form[bar.section];
  const int energy = section.energy;
  const int beats = Beats();
  const bool sectionStart = bar.indexInSection == 0;
  const bool sectionEnd = bar.indexInSection + 1 == static_cast<int>(section.bars.size());
  const bool fill = sectionEnd && !finalBar && barIndex + 1 < bars.size() &&
                    theme.form[bars[barIndex + 1].section].energy >= 2;
  if (finalBar) {
    AddHit(barBeat, TDrum::Kick, 0.9f);
    AddHit(barBeat, theme.groove == TGroove::Waltz ? TDrum::Triangle : TDrum::Crash, 0.7f);
    return;
  }
  if (sectionStart && energy >= 2 && bar.section > 0)
    AddHit(barBeat, theme.groove == TGroove::Waltz ? TDrum::Triangle : TDrum::Crash, 0.6f);
  const double fillFrom = fill ? beats - (energy >= 2 ? 1.0 : 2.0) : beats;
  switch (theme.groove) {
    case TGroove::Shuffle:
      if (energy >= 2) {
        AddHit(barBeat, TDrum::Kick, 0.9f);
        AddHit(barBeat + 2, TDrum::Kick, 0.85f);
        if (bar.indexInSection % 2 == 1) AddHit(barBeat + 2.5, TDrum::Kick, 0.55f);
        for (int b = 1; b < beats; b += 2)
          if (b < fillFrom) AddHit(barBeat + b, TDrum::Snare, 0.7f);
        for (int e = 0; e < beats * 2; ++e)
          if (e * 0.5 < fillFrom) AddHit(barBeat + e * 0.5, TDrum::HatClosed, e % 2 ? 0.5f : 0.75f);
        if (energy == 3 && bar.indexInSection % 2 == 1 && !fill)
          AddHit(barBeat + 3.5, TDrum::HatOpen, 0.5f);
      } else {
        for (int b = 0; b < beats; ++b) AddHit(barBeat + b + 0.5, TDrum::Shaker, 0.55f);
        AddHit(barBeat + 1, TDrum::Rim, 0.45f);
        AddHit(barBeat + 3, TDrum::Rim, 0.45f);
      }
      if (fill)
        for (double f = fillFrom; f < beats; f += 0.25)
          AddHit(barBeat + f, f < beats - 0.5 ? TDrum::Snare : TDrum::TomLow,
                 0.45f + 0.4f * static_cast<float>((f - fillFrom) / (beats - fillFrom)));
      break;
    case TGroove::Drive:
      if (energy >= 2) {
        for (int b = 0; b < beats; ++b)
          if (energy == 3 || b % 2 == 0 || (b == 3 && bar.indexInSection % 2 == 1))
            AddHit(barBeat + b, TDrum::Kick, b % 2 ? 0.78f : 0.92f);
        for (int b = 1; b < beats; b += 2)
          if (b < fillFrom) AddHit(barBeat + b, TDrum::Clap, 0.75f);
        for (int e = 0; e < beats * 2; ++e) {
          if (e * 0.5 >= fillFrom) continue;
          const bool off = e % 2 == 1;
          AddHit(barBeat + e * 0.5, energy == 3 && off ? TDrum::HatOpen : TDrum::HatClosed,
                 off ? 0.55f : 0.7f);
        }
        for (int s = 0; s < beats * 4; ++s)
          if (s % 2 == 1 && s * 0.25 < fillFrom) AddHit(barBeat + s * 0.25, TDrum::Shaker, 0.35f);
      } else {
        AddHit(barBeat, TDrum::Kick, 0.6f);
        for (int b = 0; b < beats; ++b) AddHit(barBeat + b + 0.5, TDrum::HatClosed, 0.45f);
      }
      if (fill) {
        const TDrum toms[4] = {TDrum::Snare, TDrum::TomHigh, TDrum::TomHigh, TDrum::TomLow};
        int k = 0;
        for (double f = fillFrom; f < beats; f += 0.25, ++k)
          AddHit(barBeat + f,
                 toms[static_cast<std::size_t>(
                     k * 4 / std::max(1, static_cast<int>((beats - fillFrom) * 4)))],
                 0.55f + 0.1f * k);
      }
      break;
    case TGroove::Waltz:
      if (energy >= 2) AddHit(barBeat, TDrum::Kick, 0.55f);
      for (int b = 0; b < beats; ++b) {
        AddHit(barBeat + b, TDrum::Shaker, b == 0 ? 0.6f : 0.45f);
        if (energy == 3) AddHit(barBeat + b + 0.5, TDrum::Shaker, 0.3f);
        if (energy >= 2 && b > 0) AddHit(barBeat + b, TDrum::Rim, 0.28f);
      }
      break;
    case TGroove::Sneaky:
      if (energy >= 2) {
        AddHit(barBeat, TDrum::Kick, 0.6f);
        AddHit(barBeat + 2, TDrum::Kick, 0.5f);
        for (int b = 0; b < beats; ++b) {
          if (b >= fillFrom) continue;
          AddHit(barBeat + b, TDrum::Ride, b % 2 ? 0.55f : 0.7f);
          if (b % 2 == 1) {
            AddHit(barBeat + b + 0.5, TDrum::Ride, 0.45f);
            AddHit(barBeat + b, TDrum::Brush, 0.7f);
          }
        }
        if (energy == 3 && bar.indexInSection % 4 == 3 && !fill)
          AddHit(barBeat + 3.5, TDrum::Rim, 0.5f);
      } else {
        // The puzzle clock: a woodblock tick-tock.
        AddHit(barBeat + 1, TDrum::Woodblock, 0.55f);
        AddHit(barBeat + 3, TDrum::Woodblock, 0.42f);
      }
      if (fill)
        for (double f = fillFrom; f < beats; f += 0.5)
          AddHit(barBeat + f, f + 0.5 < beats ? TDrum::Brush : TDrum::TomLow, 0.6f);
      break;
  }
}

TScore TComposer::Compose() {
  double beat = 0;
  for (std::size_t i = 0; i < bars.size(); ++i) {
    const TBar& bar = bars[i];
    const TSection& section = theme.form[bar.section];
    const bool finalBar = i + 1 == bars.size();
    if (bar.indexInSection == 0 && section.melody > 0) {
      auto found = melodies.find(section.name);
      if (found == melodies.end()) {
        found = melodies.emplace(section.name, MakeMelody(i, static_cast<int>(section.bars.size())))
                    .first;
      }
      for (TNote note : found->second) {
        note.beat += beat;
        note.part = section.melody == 2 ? PART_LEAD2 : PART_LEAD;
        score.notes.push_back(note);
        if (section.melody == 3) {
          note.part = PART_DOUBLE;
          note.midi += 12;
          note.velocity *= 0.8f;
          score.notes.push_back(note);
        }
      }
    }
    Accompany(i, beat, finalBar);
    Drums(i, beat, finalBar);
    if (finalBar && section.melody == 0) {
      // The song closes on the tonic in the lead as well.
      AddNote(beat, Beats() * 1.5,
              NearestChordTone(bar.chords[0], theme.tonic + 12, theme.melodyLow, theme.melodyHigh,
                               true),
              0.7f, PART_LEAD);
    }
    beat += Beats();
  }
  score.totalBeats = beat;
  return score;
}

// [SECTION] Rendering ----------------------------------------------------------------------------

struct TPartMix {
  TVoice voice;
  float gain, pan, send;
};

struct TRenderer {
  float bpm;
  float swing;
  std::uint64_t seed;

  double Seconds(double beat) const {
    const double whole = std::floor(beat);
    const double frac = beat - whole;
    const double q = 0.5 + swing / 6.0;  // where the off-beat eighth lands
    const double swung = frac < 0.5 ? frac / 0.5 * q : q + (frac - 0.5) / 0.5 * (1.0 - q);
    return (whole + swung) * 60.0 / bpm;
  }
};

void PanGains(float pan, float& left, float& right) {
  const float angle = (pan + 1.0f) * 0.25f * PI;
  left = std::cos(angle);
  right = std::sin(angle);
}

float DrumGain(TDrum drum) {
  switch (drum) {
    case TDrum::Kick: return 0.5f;
    case TDrum::Snare: return 0.7f;
    case TDrum::Clap: return 0.6f;
    case TDrum::HatClosed: return 0.2f;
    case TDrum::HatOpen: return 0.12f;
    case TDrum::Shaker: return 0.14f;
    case TDrum::Rim: return 0.3f;
    case TDrum::TomLow: return 0.45f;
    case TDrum::TomHigh: return 0.4f;
    case TDrum::Ride: return 0.18f;
    case TDrum::Crash: return 0.16f;
    case TDrum::Brush: return 0.35f;
    case TDrum::Woodblock: return 0.22f;
    case TDrum::Triangle: return 0.07f;
  }
  return 0.2f;
}

float DrumPan(TDrum drum) {
  switch (drum) {
    case TDrum::HatClosed:
    case TDrum::HatOpen: return 0.3f;
    case TDrum::Ride: return 0.4f;
    case TDrum::Shaker: return -0.35f;
    case TDrum::TomHigh: return 0.25f;
    case TDrum::TomLow: return -0.25f;
    case TDrum::Crash: return -0.3f;
    case TDrum::Woodblock: return 0.2f;
    case TDrum::Triangle: return 0.35f;
    default: return 0.0f;
  }
}

std::vector<TSamples> RenderScore(const TScore& score,
                                  const std::array<TPartMix, PART_COUNT>& parts,
                                  const TRenderer& timing, float room, float wet,
                                  double tailSeconds) {
  const double songSeconds = timing.Seconds(score.totalBeats);
  const std::size_t frames = SecondsToFrames(songSeconds + tailSeconds);
  std::vector<TSamples> mix(2, TSamples(frames, 0.0f));
  TSamples send(frames, 0.0f);
  TRandom humanize(timing.seed ^ 0xABCDEF);
  auto place = [&](const TSamples& voice, double seconds, float gain, float pan, float sendLevel) {
    const double jitter = humanize.Range(-0.004f, 0.004f);
    const std::size_t at = SecondsToFrames(std::max(0.0, seconds + jitter));
    float left, right;
    PanGains(pan, left, right);
    MixInto(mix[0], at, voice, gain * left);
    MixInto(mix[1], at, voice, gain * right);
    MixInto(send, at, voice, gain * sendLevel);
  };
  std::uint64_t noteSeed = timing.seed * 7919;
  for (const TNote& note : score.notes) {
    const TPartMix& part = parts[static_cast<std::size_t>(note.part)];
    const double start = timing.Seconds(note.beat);
    const double held = timing.Seconds(note.beat + note.beats) - start;
    const TSamples voice = RenderNote(part.voice, static_cast<float>(note.midi),
                                      static_cast<float>(held), note.velocity, ++noteSeed);
    // Chord notes spread a little across the stereo field.
    const float spread = note.part == PART_COMP || note.part == PART_PAD
                             ? 0.12f * static_cast<float>(note.midi % 5 - 2)
                             : 0.0f;
    place(voice, start, part.gain, std::clamp(part.pan + spread, -1.0f, 1.0f), part.send);
  }
  // The kit: two takes of every drum, alternated so repeated hits do not sound machine-made.
  std::vector<std::array<TSamples, 2>> kit(DRUM_COUNT);
  for (int d = 0; d < DRUM_COUNT; ++d)
    for (int take = 0; take < 2; ++take)
      kit[static_cast<std::size_t>(d)][static_cast<std::size_t>(take)] =
          RenderDrum(static_cast<TDrum>(d), timing.seed + 100 * d + take);
  std::size_t hitCount = 0;
  for (const THit& hit : score.hits) {
    const auto& takes = kit[static_cast<std::size_t>(hit.drum)];
    const float send = hit.drum == TDrum::Kick ? 0.05f : 0.25f;
    place(takes[hitCount++ % 2], timing.Seconds(hit.beat), DrumGain(hit.drum) * hit.velocity,
          DrumPan(hit.drum), send);
  }
  TReverb reverb(room, 0.45f);
  reverb.Process(send, mix[0], mix[1], wet);
  // A gentle low cut keeps rumble out of the mix; the tail fades to exact silence.
  for (auto& channel : mix) {
    auto lowCut = TBiquad::Design(TBiquad::HIGHPASS, 30, 0.7, 0, SAMPLE_RATE);
    for (float& v : channel) v = lowCut.Process(v);
    FadeOutTail(channel, std::min(2.5, tailSeconds));
  }
  return mix;
}

std::array<TPartMix, PART_COUNT> PartsFor(const TTheme& theme) {
  std::array<TPartMix, PART_COUNT> parts{};
  parts[PART_LEAD] = {theme.lead, 0.8f, 0.0f, 0.3f};
  parts[PART_LEAD2] = {theme.lead2, 0.75f, 0.1f, 0.35f};
  parts[PART_DOUBLE] = {TVoice::Bell, 0.35f, 0.25f, 0.4f};
  parts[PART_COMP] = {theme.comp, 0.42f, -0.2f, 0.3f};
  parts[PART_PAD] = {TVoice::Pad, 0.35f, 0.0f, 0.5f};
  // A sine bass holds whole bars and carries more energy than the plucked ones.
  parts[PART_BASS] = {theme.bass, theme.bass == TVoice::SubBass ? 0.5f : 0.8f, 0.0f, 0.06f};
  return parts;
}

}  // namespace

// [SECTION] Entry points -------------------------------------------------------------------------

std::vector<TSamples> ComposeTheme(int number) {
  const TTheme theme = ThemeChart(number);
  TComposer composer(theme);
  const TScore score = composer.Compose();
  return RenderScore(score, PartsFor(theme), TRenderer{theme.bpm, theme.swing, theme.seed},
                     theme.room, theme.wet, 4.0);
}

std::vector<TSamples> ComposeWinJingle() {
  // A quick rising arpeggio into a held, sparkling C major chord.
  TScore score;
  const int run[] = {67, 72, 76, 79};
  for (int i = 0; i < 4; ++i) {
    score.notes.push_back(TNote{i * 0.5, 0.5, run[i], 0.75f + 0.05f * i, PART_LEAD});
    score.notes.push_back(TNote{i * 0.5, 0.5, run[i] + 12, 0.5f, PART_DOUBLE});
  }
  score.notes.push_back(TNote{2.0, 5.0, 84, 0.95f, PART_LEAD});
  score.notes.push_back(TNote{2.0, 5.0, 96, 0.6f, PART_DOUBLE});
  for (int m : {60, 64, 67, 72}) score.notes.push_back(TNote{2.0, 5.0, m, 0.7f, PART_COMP});
  for (int m : {60, 64, 67}) score.notes.push_back(TNote{2.0, 5.0, m, 0.6f, PART_PAD});
  score.notes.push_back(TNote{2.0, 5.0, 48, 0.8f, PART_BASS});
  const int sparkle[] = {91, 96, 100, 103, 108};
  for (int i = 0; i < 5; ++i)
    score.notes.push_back(TNote{2.5 + i * 0.25, 0.5, sparkle[i], 0.35f, PART_LEAD2});
  score.hits.push_back(THit{2.0, TDrum::Triangle, 0.8f});
  score.hits.push_back(THit{2.0, TDrum::Kick, 0.5f});
  score.totalBeats = 7.0;
  std::array<TPartMix, PART_COUNT> parts{};
  parts[PART_LEAD] = {TVoice::Marimba, 0.9f, 0.0f, 0.3f};
  parts[PART_LEAD2] = {TVoice::Bell, 0.3f, 0.3f, 0.5f};
  parts[PART_DOUBLE] = {TVoice::Bell, 0.35f, -0.2f, 0.4f};
  parts[PART_COMP] = {TVoice::Pluck, 0.45f, -0.1f, 0.35f};
  parts[PART_PAD] = {TVoice::Pad, 0.3f, 0.0f, 0.5f};
  parts[PART_BASS] = {TVoice::SubBass, 0.6f, 0.0f, 0.05f};
  return RenderScore(score, parts, TRenderer{300, 0.0f, 0xC0FFEE}, 0.6f, 0.25f, 1.1);
}

}  // namespace sound
