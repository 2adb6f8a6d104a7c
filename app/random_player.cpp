// The random-input player. It decides once per pass from the state the menus and the session
// are in, queues short gestures (move, press, release a few frames apart, as a hand would), and
// keeps a target level: each time it reaches the level selection it starts the next level that
// exists, so a long run visits them all. Its random numbers are its own, so the game's sequence
// stays what the game makes of the input.
//
// For the soak's leak check it also samples the heap in use and the resident memory each time it
// comes to the main menu or the level selection (see SampleMemory): in a run without leaks those
// samples stay level whatever was played.
#include "app/random_player.h"

#include <cstdio>
#include <deque>
#include <functional>
#include <random>
#include <set>
#include <string>

#include "app/app.h"
#include "game/game.h"
#include "game/level_file.h"
#include "screens/lev_select.h"
#include "screens/menu_game.h"
#include "state/globals.h"

#if defined(__GLIBC__)  // known once a C library header is in
#include <malloc.h>
#endif
#if defined(__SANITIZE_ADDRESS__)
#define BRAKKON_ASAN_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BRAKKON_ASAN_HEAP 1
#endif
#endif
#ifdef BRAKKON_ASAN_HEAP
// The sanitizer runtime's allocator statistics (GCC does not ship the header that declares it).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
extern "C" void __sanitizer_purge_allocator();
#endif

namespace {

constexpr double MEGABYTE = 1024.0 * 1024.0;

/// Bytes the program has allocated and not freed (AddressSanitizer's own allocator keeps the
/// count under it; the C library's arenas otherwise).
double HeapInUseMegabytes() {
#if defined(BRAKKON_ASAN_HEAP)
  return static_cast<double>(__sanitizer_get_current_allocated_bytes()) / MEGABYTE;
#elif defined(__GLIBC__)
  const struct mallinfo2 info = mallinfo2();
  return (static_cast<double>(info.uordblks) + static_cast<double>(info.hblkhd)) / MEGABYTE;
#else
  return 0;  // no count to read
#endif
}

/// Anonymous resident memory: the heap and whatever else the process made, without the pages of
/// the executable and its asset pack (those stay as long as the system has room for them).
double ResidentMegabytes() {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (status == nullptr) return 0;
  char line[256];
  long kilobytes = 0;
  while (std::fgets(line, sizeof line, status) != nullptr) {
    if (std::sscanf(line, "RssAnon: %ld", &kilobytes) == 1) break;
  }
  std::fclose(status);
  return static_cast<double>(kilobytes) / 1024.0;
}

/// Hands the allocator's free memory back to the system, so resident memory shows what is held.
void ReturnFreeMemory() {
#if defined(BRAKKON_ASAN_HEAP)
  __sanitizer_purge_allocator();
#elif defined(__GLIBC__)
  malloc_trim(0);
#endif
}

struct Point {
  int x, y;
};

// Button centres on the screens (window pixels).
constexpr Point MENU_PLAY{400, 262};
constexpr Point MENU_MUSIC{400, 442};
constexpr Point MENU_SOUND{400, 472};
constexpr Point SELECT_START{729, 557};
constexpr Point SELECT_MENU{460, 557};
constexpr Point PAUSE_RESUME{403, 222};
constexpr Point PAUSE_RESTART{404, 262};
constexpr Point PAUSE_SELECT{404, 302};
constexpr Point PAUSE_MAIN_MENU{400, 342};
constexpr Point PAUSE_MUSIC{315, 402};
constexpr Point PAUSE_SOUND{485, 402};
constexpr Point WIN_MAIN_MENU{660, 572};
// The main menu's link opens a web browser: random clicks stay out of it.
constexpr int LINK_LEFT = 430, LINK_TOP = 115, LINK_RIGHT = 770, LINK_BOTTOM = 150;

struct Player {
  std::minstd_rand rng;
  std::deque<std::function<void()>> queue;  ///< one entry per pass; empty entries wait
  bool started = false;
  int passes = 0;
  int shots = 0;
  int levelsStarted = 0;
  int targetLevel = 1;
  int playedInLevel = 0;
  int episodeLength = 0;
  std::set<int> visited;
  std::vector<int> levels;  ///< the levels whose files exist
  int lastState = -1;
  std::vector<double> heapSamples;      ///< heap in use (MB) at each arrival at a menu screen
  std::vector<double> residentSamples;  ///< anonymous resident memory (MB) at the same moments
};

Player& P() {
  static Player player;
  return player;
}

int Roll(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(P().rng); }
bool Chance(int percent) { return Roll(1, 100) <= percent; }

void Wait(int passes) {
  for (int i = 0; i < passes; ++i) P().queue.emplace_back();
}

/// Moves there, presses, releases: the GUI sees the pointer over the button before the press.
void ClickAt(Point p) {
  P().queue.emplace_back([p] { InjectMouseMove(p.x, p.y); });
  P().queue.emplace_back([] { InjectMouseButton(1, true); });
  P().queue.emplace_back([] { InjectMouseButton(1, false); });
}

void Key(int key) {
  P().queue.emplace_back([key] { InjectKey(key, true); });
  P().queue.emplace_back([key] { InjectKey(key, false); });
}

Point Anywhere(bool avoidLink) {
  for (;;) {
    const Point p{Roll(0, SCREEN_WIDTH - 1), Roll(0, SCREEN_HEIGHT - 1)};
    const bool onLink =
        p.x >= LINK_LEFT && p.x <= LINK_RIGHT && p.y >= LINK_TOP && p.y <= LINK_BOTTOM;
    if (!avoidLink || !onLink) return p;
  }
}

void NextTarget() {
  Player& p = P();
  if (p.levels.empty()) return;
  std::size_t i = 0;
  while (i < p.levels.size() && p.levels[i] <= p.targetLevel) ++i;
  p.targetLevel = i < p.levels.size() ? p.levels[i] : p.levels.front();
}

void MainMenu() {
  const int r = Roll(1, 100);
  if (r <= 55)
    ClickAt(MENU_PLAY);
  else if (r <= 65)
    ClickAt(MENU_MUSIC);
  else if (r <= 75)
    ClickAt(MENU_SOUND);
  else if (r <= 90)
    ClickAt(Anywhere(true));
  else
    P().queue.emplace_back([] { InjectMouseWheel(Roll(-3, 3)); });
  Wait(Roll(2, 30));
}

void LevelSelection() {
  Player& p = P();
  const int r = Roll(1, 100);
  if (r <= 45) {
    // Choosing the target's row and pressing "start", as --level does.
    const int level = p.targetLevel;
    p.queue.emplace_back([level] {
      if (gameState == STATE_LEVEL_SELECT && levelSelect) StartLevelFromSelection(level);
    });
  } else if (r <= 65) {
    ClickAt({Roll(40, 380), Roll(95, 560)});  // a row of the table
  } else if (r <= 75) {
    p.queue.emplace_back([] { InjectMouseWheel(Roll(-5, 5)); });
  } else if (r <= 85) {
    ClickAt(SELECT_START);
  } else if (r <= 92) {
    ClickAt(SELECT_MENU);
  } else {
    ClickAt(Anywhere(false));
  }
  Wait(Roll(2, 20));
}

void PauseMenu() {
  const int r = Roll(1, 100);
  if (r <= 25)
    ClickAt(PAUSE_RESUME);
  else if (r <= 40)
    ClickAt(PAUSE_RESTART);
  else if (r <= 65)
    ClickAt(PAUSE_SELECT);
  else if (r <= 75)
    ClickAt(PAUSE_MAIN_MENU);
  else if (r <= 80)
    ClickAt(PAUSE_MUSIC);
  else if (r <= 85)
    ClickAt(PAUSE_SOUND);
  else if (r <= 95)
    Key(KEY_ESCAPE);
  else
    ClickAt(Anywhere(false));
  Wait(Roll(1, 15));
}

bool IsLastLevel(int level) {
  const auto& levels = P().levels;
  return levels.empty() || level >= levels.back();
}

void Play() {
  Player& p = P();
  if (p.playedInLevel > p.episodeLength) {
    p.playedInLevel = 0;
    p.episodeLength = Roll(150, 900);
    // Leaving: the developer's next-level keys (not past the last level file), or the pause menu.
    if (Chance(40) && !IsLastLevel(currentLevel)) {
      p.queue.emplace_back([] {
        for (int key : {KEY_F9, KEY_F3, KEY_F7, KEY_F4}) InjectKey(key, true);
      });
      p.queue.emplace_back([] {
        for (int key : {KEY_F9, KEY_F3, KEY_F7, KEY_F4}) InjectKey(key, false);
      });
    } else {
      Key(KEY_ESCAPE);
    }
    Wait(2);
    return;
  }
  const int r = Roll(1, 100);
  if (r <= 35) {
    const Point aim = Anywhere(false);
    p.queue.emplace_back([aim] { InjectMouseMove(aim.x, aim.y); });
    p.queue.emplace_back([] { InjectMouseButton(1, true); });
    p.queue.emplace_back([] { InjectMouseButton(1, false); });
    ++p.shots;
  } else if (r <= 65) {
    const Point aim = Anywhere(false);
    p.queue.emplace_back([aim] { InjectMouseMove(aim.x, aim.y); });
  } else if (r <= 68) {
    Key(KEY_ESCAPE);
  } else if (r <= 70) {
    Key(KEY_SPACE);
  } else if (r <= 72) {
    p.queue.emplace_back([] { InjectJoyButton(1, true); });
    Wait(Roll(1, 40));
    p.queue.emplace_back([] { InjectJoyButton(1, false); });
  }
  Wait(Roll(1, 40));
}

void Decide() {
  if (gameState == STATE_PLAY && session && pauseMenu && pauseMenu->show != 0) {
    PauseMenu();
  } else if (gameState == STATE_PLAY) {
    Play();
  } else if (gameState == STATE_LEVEL_SELECT) {
    LevelSelection();
  } else if (gameState == STATE_FINAL_WIN) {
    ClickAt(Chance(80) ? WIN_MAIN_MENU : Anywhere(false));
    Wait(Roll(2, 20));
  } else {
    MainMenu();
  }
}

/// On the main menu and the level selection nothing of a level is alive once the caches that only
/// grow to a bound are let go: the pictures and sounds read ahead and the rendered texts. What is
/// left is sampled.
void SampleMemory() {
  Player& p = P();
  ForgetPreparation();
  WaitForPreparation();
  ForgetRenderedText();
  ReturnFreeMemory();
  p.heapSamples.push_back(HeapInUseMegabytes());
  p.residentSamples.push_back(ResidentMegabytes());
}

std::string Megabytes(const std::vector<double>& samples) {
  std::string text;
  for (double mb : samples) {
    char number[32];
    std::snprintf(number, sizeof number, " %.2f", mb);
    text += number;
  }
  return text;
}

}  // namespace

void StartRandomPlayer(unsigned seed) {
  Player& p = P();
  p.rng.seed(seed == 0 ? 1 : seed);
  p.started = true;
  p.episodeLength = Roll(150, 900);
  for (int level = 1; level <= DEFAULT_LEVEL_COUNT; ++level) {
    if (IsEmbeddedAsset(LevelAssetPath(level))) p.levels.push_back(level);
  }
  p.targetLevel = p.levels.empty() ? 1 : p.levels.front();
}

void RandomPlayerStep() {
  Player& p = P();
  if (!p.started) return;
  ++p.passes;
  if (gameState == STATE_PLAY && session) {
    if (session->framesPlayed == 0) {  // a session that has not played yet: a new start
      ++p.levelsStarted;
      p.playedInLevel = 0;
    }
    p.visited.insert(currentLevel);
    if (currentLevel == p.targetLevel) NextTarget();
    ++p.playedInLevel;
  }
  const bool arrived = gameState != p.lastState;
  p.lastState = gameState;
  if (arrived && (gameState == STATE_MAIN_MENU || gameState == STATE_LEVEL_SELECT)) SampleMemory();
  if (p.queue.empty()) Decide();
  if (p.queue.empty()) return;
  const std::function<void()> step = p.queue.front();
  p.queue.pop_front();
  if (step) step();
}

void ReportRandomPlayer() {
  const Player& p = P();
  if (!p.started) return;
  std::size_t existing = 0;
  for (int level : p.visited) {
    for (int known : p.levels) existing += known == level ? 1 : 0;
  }
  LogLine("Random player: " + std::to_string(p.passes) + " passes, " + std::to_string(p.shots) +
          " shots, " + std::to_string(p.levelsStarted) + " sessions, " + std::to_string(existing) +
          " of " + std::to_string(p.levels.size()) + " levels visited");
  LogLine("Random player: heap in use between levels (MB):" + Megabytes(p.heapSamples));
  LogLine("Random player: resident memory between levels (MB):" + Megabytes(p.residentSamples));
}
