// The weather and creature steps of a play frame: the rain loop on a level's first frame, what is
// drawn behind the bodies (comets, sun, drops, crow, mouse, spider, snowman, clouds, stars) and
// what is drawn over them (rain streaks, thunder, snow). All of it runs while the pause menu is
// shown except the rain streaks and the snow. With drawing off every step still moves, draws its
// random numbers and plays its sounds, so a simulated level takes the course of a drawn one.
#include <iterator>
#include <limits>

#include "effects/particles.h"
#include "game/game.h"
#include "state/globals.h"

namespace {

constexpr int STAR_R = 78, STAR_G = 113, STAR_B = 176;
constexpr float STAR_ALPHA = 0.6f;
constexpr float STAR_PLANE_TURN = 1;  // degrees; the stars stream outward from the centre

// Chance events: Rand(1, N) hitting the stated value starts them.
constexpr int COMET_CHANCE = 400;
constexpr int DROP_CHANCE = 200;
constexpr int CROSSING_CHANCE = 2100;
constexpr int SPIDER_CHANCE = 2200;
constexpr int SNOWMAN_CHANCE = 1600;
constexpr int THUNDER_CHANCE = 300;
constexpr int LAUNCH_HIT = 10;
constexpr int IN_PLACE_HIT = 11;

constexpr float SUN_FRAME_STEP = 0.5f;  // each of the 42 cells shows for two frames
constexpr float SUN_CELLS = 42;

// Crow and mouse change their picture every fifth frame and, after a run, wait off the right edge.
constexpr int CROSSING_FRAME_DIVIDER = 5;
constexpr float CROSSING_RESTART_X = 950;
constexpr float CROW_FRAME_WRAP = 31;
constexpr float CROW_EXIT_X = -250;
constexpr int MOUSE_FRAME_WRAP = 2;
constexpr float MOUSE_EXIT_X = -50;

constexpr float SPIDER_FRAME_STEP = 0.5f;
constexpr float SPIDER_LAST_FRAME = 181;
constexpr int SNOWMAN_FRAME_STEP = 1;
constexpr int SNOWMAN_LAST_FRAME = 60;

/// A creature that now and then crosses the screen from right to left, invisible between runs:
/// the crow (float frame) and the mouse (integer frame). Fields are the session's own.
template <typename Frame>
struct TCrossing {
  const ImagePtr& picture;
  float& x;
  float y;
  float speed;
  Frame& frame;
  Frame frameWrap;  ///< the frame goes back to 0 on reaching this
  int& divider;     ///< frames since the picture last changed
  int& running;
  float exitX;  ///< the run ends left of this
  int key;      ///< held, starts a run
};

template <typename Frame>
void UpdateCrossing(const TCrossing<Frame>& c, bool draw) {
  if (c.running != 0) {
    if (draw) DrawImage(c.picture, c.x, c.y, TruncToInt(c.frame));
    c.x -= c.speed;
    c.divider += 1;
    if (c.divider >= CROSSING_FRAME_DIVIDER) {
      c.frame += 1;
      if (c.frame == c.frameWrap) c.frame = 0;
      c.divider = 0;
    }
    if (c.x < c.exitX) {
      c.x = CROSSING_RESTART_X;
      c.running = 0;
    }
  }
  if (c.running == 0 && Rand(1, CROSSING_CHANCE) == LAUNCH_HIT) c.running = 1;
  if (c.running == 0 && KeyDown(c.key)) c.running = 1;
}

/// A creature that stands in one place showing cell 0 and now and then plays its animation
/// once: the spider (lowers itself and climbs back) and the snowman.
template <typename Frame>
struct TInPlace {
  const ImagePtr& picture;  ///< may be null: nothing is drawn, the animation still runs
  float x, y;
  Frame& frame;
  Frame step;
  Frame lastFrame;  ///< the run ends when the frame reaches this
  int& running;
  int chance;  ///< a run starts when Rand(1, chance) gives IN_PLACE_HIT
  int key;
};

template <typename Frame>
void UpdateInPlace(const TInPlace<Frame>& c, bool draw) {
  if (c.running == 0 && KeyDown(c.key)) c.running = 1;
  if (draw) DrawImage(c.picture, c.x, c.y, TruncToInt(c.frame));
  if (c.running != 0) {
    c.frame += c.step;
    if (c.frame == c.lastFrame) {
      c.frame = 0;
      c.running = 0;
    }
  }
  if (c.running == 0 && Rand(1, c.chance) == IN_PLACE_HIT) c.running = 1;
}

/// The element at a random index, as the launch of a comet or a drop picks it.
template <typename T>
T& RandomElement(std::list<T>& list) {
  auto it = list.begin();
  std::advance(it, Rand(0, static_cast<int>(list.size()) - 1));
  return *it;
}

}  // namespace

void TGame::StartRainSound() {
  if (rainZ != 0) return;
  rainZ = 1;
  // A level starts its own loop and silences the loop an earlier level left playing.
  const SoundPtr* loop = nullptr;
  if (soundOn == 1 && weather == "rain1") loop = &rain1_sound;
  if (soundOn == 1 && weather == "rain2") loop = &rain2_sound;
  if (rainChannel) StopChannel(rainChannel);
  if (loop != nullptr && *loop) rainChannel = PlaySound(*loop);
}

void TGame::AmbientBackground(bool /*paused*/) {
  const bool draw = drawingEnabled;

  if (!kometyList.empty() && Rand(1, COMET_CHANCE) == LAUNCH_HIT) {
    TKometa& comet = RandomElement(kometyList);
    if (comet.go == 0) {
      comet.go = 1;
      comet.d = 0;
    }
  }

  if (sunfl != 0) {
    if (draw) DrawImage(sun_pic, sunX, sunY, TruncToInt(sunFrame));
    sunFrame += SUN_FRAME_STEP;
    if (sunFrame == SUN_CELLS) sunFrame = 0;
  }

  for (TKometa& comet : kometyList) {
    if (comet.go != 0) comet.Update(kometa_pic, draw);
  }

  if (!kapliList.empty() && Rand(1, DROP_CHANCE) == LAUNCH_HIT) {
    TKapla& drop = RandomElement(kapliList);
    if (drop.kaplFrame == 0) drop.kaplFrame = 1;
  }
  for (TKapla& drop : kapliList) {
    const TDropKind* kind = drop.Kind();
    if (drop.kaplFrame <= 0 || kind == nullptr) continue;
    const bool second = drop.typ == 2;
    const bool soundDue = drop.Update(*kind, second ? kapla2_pic : kapla1_pic, draw);
    const SoundPtr& sound = second ? drop2_sound : drop1_sound;
    if (soundDue && soundOn == 1 && sound) PlaySound(sound);
  }

  if (crowInit != 0) {
    UpdateCrossing(TCrossing<float>{crow_pic, crowX, crowY, crowSpeed, crowFrame, CROW_FRAME_WRAP,
                                    crowco, crowfl, CROW_EXIT_X, KEY_C},
                   draw);
  }
  if (mousInit != 0) {
    UpdateCrossing(TCrossing<int>{shared.mouseHorse, mousX, mousY, mousSpeed, mousFrame,
                                  MOUSE_FRAME_WRAP, mousco, mousfl, MOUSE_EXIT_X, KEY_M},
                   draw);
  }
  if (spidInit != 0) {
    UpdateInPlace(TInPlace<float>{spider_pic, spidX, spidY, spidFrame, SPIDER_FRAME_STEP,
                                  SPIDER_LAST_FRAME, spidfl, SPIDER_CHANCE, KEY_S},
                  draw);
  }
  if (smInit != 0) {
    // Only the two known snowmen have pictures; any other type animates unseen.
    static const ImagePtr none;
    const ImagePtr& picture = smTyp == "H" ? snowmanH_pic : smTyp == "E" ? snowmanE_pic : none;
    UpdateInPlace(TInPlace<int>{picture, smX, smY, smFrame, SNOWMAN_FRAME_STEP, SNOWMAN_LAST_FRAME,
                                smfl, SNOWMAN_CHANCE, KEY_W},
                  draw);
  }

  for (Oblako& cloud : oblakaList) cloud.Update(draw);

  if (weather == "stars" && starsList) {
    if (draw) {
      SetAlpha(STAR_ALPHA);
      SetColor(STAR_R, STAR_G, STAR_B);
    }
    for (const auto& star : *starsList) star->UpdateS(STAR_PLANE_TURN, draw);
    if (draw) {
      SetColor(255, 255, 255);
      SetAlpha(1);
    }
  }
}

void TGame::AmbientForeground(bool paused) {
  const bool draw = drawingEnabled;
  if (!paused) {
    // Only rain levels read the counter back; elsewhere it must not run past the int range.
    if (rainF < std::numeric_limits<int>::max()) rainF += 1;
    if (weather == "rain1" && rainF == 1) {
      rainF = 0;
      UpdateRainStreaks(TRainKind::slanted, draw);
    }
    if (weather == "rain2" && rainF == 1) {
      rainF = 0;
      UpdateRainStreaks(TRainKind::straight, draw);
    }
  }
  if (thund == "true" && soundOn == 1) thunderG();
  if (!paused && weather == "snow" && snowList) TSnowflake::UpdateAll(*snowList, draw);
}

void TGame::thunderG() {
  if (Rand(1, THUNDER_CHANCE) != LAUNCH_HIT) return;
  const int n = Rand(1, static_cast<int>(thunder_sound.size()));
  const SoundPtr& thunder = thunder_sound[static_cast<std::size_t>(n - 1)];
  if (thunder) PlaySound(thunder);
}
