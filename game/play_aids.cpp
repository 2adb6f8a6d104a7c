// What helps a person play: the aim moved by keys or a controller's stick, the strength gauge at
// the cannon, par and the hint taken from the level's stored plan (where it aims and, on levels
// with moving parts, when to fire), the banner that tells a win, and the first-run line.
#include <algorithm>
#include <cmath>

#include "game/game.h"
#include "state/globals.h"
#include "state/options.h"

namespace {

constexpr float SCREEN_HEIGHT_UNITS = SCREEN_HEIGHT / PIXELS_PER_UNIT;
constexpr float IMPULSE_DIVISOR = 5;
constexpr float KEY_AIM_STEP = 4;       // pixels per frame while an arrow key is held
constexpr float KEY_AIM_FINE_STEP = 1;  // ... with Shift held
constexpr float STICK_AIM_SPEED = 9;    // pixels per frame with the stick all the way
constexpr float GAUGE_X = 4;            // top-left corner of the gauge, beside the bracket
constexpr float GAUGE_Y = 438;
constexpr float HINT_BUTTON_X = 735;  // centre; top right, clear of the counters
constexpr float HINT_BUTTON_Y = 20;
constexpr float HINT_BUTTON_HALF_W = 48;
constexpr float HINT_BUTTON_HALF_H = 10;
constexpr int PULSE_FRAMES = 36;  // the ring closes over this many frames
constexpr float BANNER_HALF_W = 190;
constexpr float BANNER_HALF_H = 85;
constexpr int STAR_PITCH = 36;

/// Shots fired on the level being played, over its restarts, until it is won or left; and
/// whether the hint was taken (it stays for a restart: the pulse comes back with the frames).
struct TLevelVisit {
  int level = 0;
  int shots = 0;
  bool hint = false;
};
TLevelVisit visit;

FontPtr Font(const char* name) { return SessionLinks().font ? SessionLinks().font(name) : nullptr; }

/// Text centred on x, its top at y, in a menu font, with a soft shadow so it reads on any scene.
void CentredText(const std::string& text, float x, float y, const char* font, int r, int g, int b,
                 bool shadow) {
  SetImageFont(Font(font));
  const float left = x - static_cast<float>(TextWidth(text)) / 2;
  if (shadow) {
    SetColor(255, 253, 246);
    SetAlpha(0.8f);
    DrawText(text, left + 1, y + 1);
    SetAlpha(1);
  }
  SetColor(r, g, b);
  DrawText(text, left, y);
  SetColor(255, 255, 255);
  SetImageFont(nullptr);
}

constexpr int INK_R = 42, INK_G = 34, INK_B = 51;
constexpr int BLUE_R = 78, BLUE_G = 113, BLUE_B = 176;

bool Overlap(float ax, float ay, float ahw, float ahh, float bx, float by, float bhw, float bhh) {
  return std::fabs(ax - bx) < ahw + bhw && std::fabs(ay - by) < ahh + bhh;
}

}  // namespace

float ShotPower(float x, float y) {
  const float ix = PixelToWorldX(x) / IMPULSE_DIVISOR;
  const float iy = (SCREEN_HEIGHT_UNITS - y / PIXELS_PER_UNIT) / IMPULSE_DIVISOR;
  return std::clamp(std::sqrt(ix * ix + iy * iy) / MAX_SHOT_IMPULSE, 0.0f, 1.0f);
}

void TGame::SetUpPlayAids() {
  if (visit.level != currentLevel) visit = TLevelVisit{currentLevel, 0, false};
  hintShown = visit.hint;
  plan = LoadLevelPlan(currentLevel);
  par = plan ? static_cast<int>(plan->shots.size()) : 0;
  motion = FindMotionPeriod();
}

void TGame::MoveAim() {
  const int mx = MouseX();
  const int my = MouseY();
  if (!aimByKeys || mx != lastMouseX || my != lastMouseY) {
    xAM = static_cast<float>(mx);
    yAM = static_cast<float>(my);
    aimByKeys = false;
  }
  lastMouseX = mx;
  lastMouseY = my;
  if (IsPaused()) return;  // the arrows move the pause menu's focus then
  // Held, the arrows aim; their presses are not left over for the pause menu's focus.
  for (const int key : {KEY_LEFT, KEY_RIGHT, KEY_UP, KEY_DOWN}) KeyHit(key);
  const float step = KeyDown(KEY_SHIFT) ? KEY_AIM_FINE_STEP : KEY_AIM_STEP;
  const auto held = [](int a, int b) { return KeyDown(a) || KeyDown(b) ? 1.0f : 0.0f; };
  const float dx =
      (held(KEY_RIGHT, KEY_D) - held(KEY_LEFT, KEY_A)) * step + StickX() * STICK_AIM_SPEED;
  const float dy =
      (held(KEY_DOWN, KEY_S) - held(KEY_UP, KEY_W)) * step + StickY() * STICK_AIM_SPEED;
  if (dx == 0 && dy == 0) return;
  aimByKeys = true;
  xAM = std::clamp(xAM + dx, 0.0f, static_cast<float>(SCREEN_WIDTH - 1));
  yAM = std::clamp(yAM + dy, 0.0f, static_cast<float>(SCREEN_HEIGHT - 1));
}

void TGame::CountShot() {
  ++visit.shots;
  if (!playSettings.firstShotDone) {
    playSettings.firstShotDone = true;  // the first-run line has done its work, for good
    SavePlaySettings();
  }
}

void TGame::RecordWin() {
  wonWithHint = hintShown;
  previousBest = BestShotsOf(currentLevel);
  result = RecordLevelCompleted(currentLevel, levelScore, par, wonWithHint);
  visit = TLevelVisit{currentLevel, 0, false};
}

bool TGame::HintAvailable() const {
  return plan && touch == 0 && !hintShown && visit.shots >= SHOTS_BEFORE_HINT;
}

bool TGame::ShowHint() {
  if (!HintAvailable()) return false;
  hintShown = true;
  visit.hint = true;
  LogLine("Level " + std::to_string(currentLevel) + ": hint shown after " +
          std::to_string(visit.shots) + " shots");
  return true;
}

bool TGame::AimOnHintButton() const {
  return HintAvailable() && !IsPaused() &&
         Overlap(xAM, yAM, 0, 0, HINT_BUTTON_X, HINT_BUTTON_Y, HINT_BUTTON_HALF_W,
                 HINT_BUTTON_HALF_H);
}

const TShot* TGame::HintShot() const {
  if (!plan || plan->shots.empty()) return nullptr;
  const std::size_t next =
      std::min(static_cast<std::size_t>(std::max(levelScore, 0)), plan->shots.size() - 1);
  return &plan->shots[next];
}

int TGame::FramesToHintMoment() const {
  const TShot* shot = HintShot();
  if (shot == nullptr) return -1;
  // The plan's click fires in the pass after its frame's update, the pass in which
  // framesPlayed is frame + 1; a press read in this pass fires at framesPlayed.
  const int moment = shot->frame + 1;
  if (motion.frames > 0) {
    const int p = motion.frames;
    return ((moment - framesPlayed) % p + p) % p;
  }
  return framesPlayed <= moment ? moment - framesPlayed : -1;
}

void TGame::WinBannerCentre(float& x, float& y) const {
  // Top right, else bottom right, else the middle: the first place that leaves the counters and
  // the next-level button uncovered.
  const float candidates[][2] = {{600, 100}, {600, 470}, {400, 440}, {400, 300}};
  const float nextHalfW = static_cast<float>(ImageWidth(shared.nextLevelBig)) / 2 + 4;
  const float nextHalfH = static_cast<float>(ImageHeight(shared.nextLevelBig)) / 2 + 4;
  for (const auto& c : candidates) {
    x = c[0];
    y = c[1];
    const bool coversNext =
        Overlap(x, y, BANNER_HALF_W, BANNER_HALF_H, nextX, nextY, nextHalfW, nextHalfH);
    const bool coversCounters = Overlap(x, y, BANNER_HALF_W, BANNER_HALF_H, 100, 45, 100, 45);
    if (!coversNext && !coversCounters) return;
  }
}

void TGame::DrawPlayAids() const {
  const bool paused = IsPaused();
  if (playSettings.powerGauge) DrawPowerGauge();
  if (paused) return;
  if (touch == 0 && hintShown) DrawHint();
  if (HintAvailable()) {
    SetAlpha(1);
    DrawImage(shared.hintButton, HINT_BUTTON_X, HINT_BUTTON_Y, 0);
  }
  if (currentLevel == 1 && !playSettings.firstShotDone && levelScore == 0 && touch == 0)
    DrawFirstRunHint();
  if (touch > 0 && flTou == 1) DrawWinBanner();
}

void TGame::DrawPowerGauge() const {
  if (!shared.gauge) return;
  const int cells = shared.gauge->CellCount();
  const int cell = TruncToInt(std::lround(ShotPower(xAM, yAM) * static_cast<float>(cells - 1)));
  DrawImage(shared.gauge, GAUGE_X, GAUGE_Y, std::clamp(cell, 0, cells - 1));
}

void TGame::DrawHint() const {
  const TShot* shot = HintShot();
  if (shot == nullptr) return;
  const float x = static_cast<float>(shot->x);
  const float y = static_cast<float>(shot->y);
  SetBlend(ALPHABLEND);
  SetAlpha(0.85f);
  DrawImage(shared.hintAim, x, y, 0);
  std::string line = "Hint: aim at the blue mark";
  if (plan->shots.size() > 1) {
    line += " (shot " +
            std::to_string(std::min(static_cast<std::size_t>(levelScore) + 1, plan->shots.size())) +
            " of " + std::to_string(plan->shots.size()) + ")";
  }
  if (motion.moving) {
    const int frames = FramesToHintMoment();
    if (frames >= 0 && frames < PULSE_FRAMES && shared.hintPulse) {
      const float t = static_cast<float>(frames) / PULSE_FRAMES;  // 1 far, 0 now
      SetScale(0.6f + 1.6f * t, 0.6f + 1.6f * t);
      SetAlpha(1.0f - 0.75f * t);
      DrawImage(shared.hintPulse, x, y, 0);
      SetScale(1, 1);
    }
    line += frames >= 0 ? ", fire as its ring closes"
                        : "; Space restarts, then fire as the ring closes";
  }
  SetAlpha(1);
  CentredText(line, 400, 8, "Small2", BLUE_R, BLUE_G, BLUE_B, true);
}

void TGame::DrawFirstRunHint() const {
  CentredText("Aim with the mouse or the arrow keys, click or press Enter to fire", 450, 12,
              "Small2", INK_R, INK_G, INK_B, true);
}

void TGame::DrawWinBanner() const {
  if (!shared.banner) return;
  float cx = 0, cy = 0;
  WinBannerCentre(cx, cy);
  SetBlend(ALPHABLEND);
  SetAlpha(1);
  DrawImage(shared.banner, cx, cy, 0);
  CentredText("LEVEL " + std::to_string(currentLevel) + " COMPLETE", cx, cy - 76, "Default", BLUE_R,
              BLUE_G, BLUE_B, false);
  if (par > 0) {
    for (int i = 0; i < 3; ++i) {
      DrawImage(shared.star, cx + static_cast<float>((i - 1) * STAR_PITCH), cy - 24,
                i < result.stars ? 0 : 1);
    }
  }
  std::string counts =
      "shots " + std::to_string(levelScore) + "   best " + std::to_string(result.best);
  counts += par > 0 ? "   par " + std::to_string(par) : "   no par";
  CentredText(counts, cx, cy - 2, "Small2", INK_R, INK_G, INK_B, false);
  std::string mark;
  if (result.newBest && previousBest > 0) mark = "NEW BEST!";
  if (result.newStars && mark.empty() && previousBest > 0) mark = "MORE STARS!";
  if (wonWithHint) mark += mark.empty() ? "won with a hint" : "  (hint)";
  if (!mark.empty()) CentredText(mark, cx, cy + 22, "Small2", 226, 74, 40, false);
  CentredText("Space or Enter: next level", cx, cy + 50, "Small", BLUE_R, BLUE_G, BLUE_B, false);
}
