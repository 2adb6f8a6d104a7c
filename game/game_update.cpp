// One frame of play in its fixed order, firing, the body and ragdoll limits, the keys, the win
// with its bookkeeping in the progress file, and the clean-up that ends a session.
#include <algorithm>

#include "effects/particles.h"
#include "game/game.h"
#include "state/globals.h"
#include "state/options.h"
#include "xml/xml_document.h"

using physics::b2Vec2;

namespace {

constexpr float SCREEN_HEIGHT_UNITS = SCREEN_HEIGHT / PIXELS_PER_UNIT;
constexpr float IMPULSE_DIVISOR = 5;
constexpr int SCREENSHOT_QUALITY = 80;
constexpr float WIN_NOTICE_X = 20;
constexpr float WIN_NOTICE_Y = 570;

void StopRain() {
  if (rainChannel) StopChannel(rainChannel);
}

bool OutsideBox(const b2Vec2& p, float limitX, float limitY) {
  return p.y < -limitY || p.y > limitY || p.x < -limitX || p.x > limitX;
}

}  // namespace

bool TGame::IsPaused() const { return SessionLinks().isPaused && SessionLinks().isPaused(); }

void TGame::Update() { updateWorld(); }

void TGame::updateWorld() {
  if (!m_world || !m_world->world) return;
  ++framesPlayed;
  const bool paused = IsPaused();
  const bool draw = drawingEnabled;
  StartRainSound();                   // 1
  if (draw) DrawBackground(paused);   // 2
  AmbientBackground(paused);          // 3
  if (!paused) m_world->StepWorld();  // 4
  if (!m_world->world) return;        // the level ended inside the step
  UpdateBodies();                     // 5
  if (!paused) UpdateAim();           // 6
  if (draw) DrawCannon();
  HandleKeys();                                             // 7
  if (touch > 0 && m_world && m_world->world) HandleWin();  // 8
  if (portals == 1) UpdatePortals();                        // 9
  LimitRagdolls();                                          // 10
  UpdateSliders();                                          // 11
  UpdateTurningBodies();
  UpdateSparks();                                                                  // 12
  AmbientForeground(paused);                                                       // 13
  if (paused && SessionLinks().updatePauseMenu) SessionLinks().updatePauseMenu();  // 14
  if (draw) {                                                                      // 15
    DrawPlayAids();
    drawLevel();
    drawShots();
    if (m_world && m_world->world) m_world->DrawDebug();  // outlines over the finished picture
    Flip(-1);
  }
  DeveloperKeys();                 // 16
  if (currentFrameOfCannon > 0) {  // 17
    currentFrameOfCannon += 1;
    shotRagdoll();
    if (currentFrameOfCannon == CANNON_FRAMES) currentFrameOfCannon = 0;
  }
}

void TGame::UpdateAim() {
  Rot = static_cast<float>(ATan2(yAM - CANNON_PIVOT_Y, xAM - CANNON_PIVOT_X));
  Rot = std::clamp(Rot, -90.0f, 0.0f);
}

void TGame::UpdateBodies() {
  physics::b2World& world = *m_world->world;
  const int count = world.GetBodyCount();
  MoveAim();
  physics::b2Body* b = world.GetBodyList();
  for (int i = 0; i < count && b != nullptr; ++i) {
    physics::b2Body* next = b->GetNext();
    if (drawingEnabled && b->userData) {
      SetRotation(-b->GetAngle());
      const b2Vec2 p = b->GetPosition();
      DrawImage(b->userData, WorldToPixelX(p.x), WorldToPixelY(p.y), 0);
    }
    if (OutsideBox(b->GetPosition(), BODY_LIMIT_X, BODY_LIMIT_Y) && !b->IsStatic())
      world.DestroyBody(b);
    b = next;
  }
  SetRotation(0);
}

std::shared_ptr<TRagdoll> TGame::MakeRagdoll(const std::shared_ptr<TypRagdoll>& type, float x,
                                             float y) {
  auto ragdoll = std::make_shared<TRagdoll>();
  ragdoll->CreateRagdoll(type, x, y, *m_world);
  return ragdoll;
}

void TGame::KillRagdoll(TRagdoll& ragdoll) {
  if (m_world && m_world->world) ragdoll.killRagdoll(*m_world);
}

void TGame::shotRagdoll() {
  // The next-level click can reach here after the session ended in the same pass.
  if (!m_world || !m_world->world) return;
  if (currentFrameOfCannon == 0) currentFrameOfCannon = 1;
  if (currentFrameOfCannon != CANNON_LAUNCH_FRAME) return;
  if (touch == 0) {
    levelScore += 1;
    CountShot();
  }
  const float x = bX + dX * static_cast<float>(Cos(Rot));
  const float y = -(bY + dY * static_cast<float>(Sin(Rot)));
  std::shared_ptr<TRagdoll> ragdoll = MakeRagdoll(nullptr, x, y);
  const b2Vec2 impulse(PixelToWorldX(xAM) / IMPULSE_DIVISOR,
                       (SCREEN_HEIGHT_UNITS - yAM / PIXELS_PER_UNIT) / IMPULSE_DIVISOR);
  for (const BodyPtr& part :
       {ragdoll->body, ragdoll->upperRightHand, ragdoll->upperLeftHand, ragdoll->head}) {
    if (part) part->ApplyImpulse(impulse, part->GetLocalCenter());
  }
  ragdollList.push_back(ragdoll);
  if (static_cast<int>(ragdollList.size()) > ragdollCount) {
    std::shared_ptr<TRagdoll> oldest = ragdollList.front();
    ragdollList.pop_front();
    KillRagdoll(*oldest);
  }
  if (soundOn == 1 && fire_sound) PlaySound(fire_sound);
}

void TGame::LimitRagdolls() {
  for (auto it = ragdollList.begin(); it != ragdollList.end();) {
    const BodyPtr& torso = (*it)->body;
    if (torso && OutsideBox(torso->GetPosition(), RAGDOLL_LIMIT_X, RAGDOLL_LIMIT_Y)) {
      std::shared_ptr<TRagdoll> gone = *it;
      it = ragdollList.erase(it);
      KillRagdoll(*gone);
    } else {
      ++it;
    }
  }
}

void TGame::UpdateSparks() {
  for (auto it = bazList.begin(); it != bazList.end();) {
    UpdateSpark(**it, drawingEnabled);
    it = (*it)->endF != 0 ? bazList.erase(it) : std::next(it);
  }
}

void TGame::LeaveToNextLevel() {
  const int row =
      SessionLinks().selectNextLevel && !OwnLevel() ? SessionLinks().selectNextLevel() : -1;
  if (row >= 0) SetLastLevel(row + 1);
  StopRain();
  exitAll();
  sessionCommand = COMMAND_NEXT_LEVEL;
}

void TGame::HandleKeys() {
  const bool paused = IsPaused();
  if (touch == 0 && !paused && KeyHit(KEY_SPACE) != 0) {
    StopRain();
    exitAll();
    sessionCommand = COMMAND_RESTART;
    return;
  }
  if (paused && touch == 0 && KeyHit(KEY_SPACE) != 0) FlushKeys();
  if (KeyHit(KEY_F9) != 0 && KeyHit(KEY_F3) != 0 && KeyHit(KEY_F7) != 0 && KeyHit(KEY_F4) != 0) {
    if (OwnLevel() || currentLevel >= levelCount) return;  // nothing comes after the last level
    LeaveToNextLevel();
    return;
  }
  if (!IsPaused() && KeyHit(KEY_H) != 0) ShowHint();
  // A controller's Start pauses as Escape does. Read only while playing: in the pause menu the
  // same keys resume.
  if (gameState == STATE_PLAY && !IsPaused() &&
      (KeyHit(KEY_ESCAPE) != 0 || KeyHit(KEY_PAD_START) != 0) && SessionLinks().openPauseMenu) {
    SessionLinks().openPauseMenu();
  }
}

void TGame::HandleWin() {
  const bool paused = IsPaused();
  if (flTou == 0) {
    LogLine(LevelLabel() + " won with " + std::to_string(levelScore) + " shots in frame " +
            std::to_string(framesPlayed));
    if (soundOn == 1 && shared.winLevel) PlaySound(shared.winLevel);
    if (OwnLevel()) {
      // A level of the player's is no numbered level: the progress file does not hear of it.
      if (SessionLinks().ownLevelWon) SessionLinks().ownLevelWon(*OwnLevel(), levelScore);
    } else {
      // The progress file first (saved there), then the level selection shows what it now holds.
      const int noticeSerial = ProgressNoticeSerial();
      RecordWin();
      if (ProgressNoticeSerial() != noticeSerial) winNotice = ProgressNotice();
      if (SessionLinks().showLevelCompleted)
        SessionLinks().showLevelCompleted(currentLevel, result);
      if (currentLevel == levelCount) {
        const int total = SessionLinks().updateSumms ? SessionLinks().updateSumms() : 0;
        const bool first = gameCompleted == 0;
        if (SessionLinks().setWinText) {
          SessionLinks().setWinText((first ? "YOU WIN! Total best shots: " : "Total best shots: ") +
                                    std::to_string(total));
        }
        StopRain();
        exitAll();
        if (first) {
          gameState = STATE_FINAL_WIN;
          if (SessionLinks().showFinalWin) SessionLinks().showFinalWin();
          FlushMouse();
        } else {
          gameState = STATE_LEVEL_SELECT;
        }
      }
    }
    flTou = 1;
    nextLevelPresses = MousePresses(1);       // the button shows from now on
    if (!m_world || !m_world->world) return;  // the last level handed over to the menus
  }
  alphaNext -= speedNext;
  if (alphaNext == 1 || alphaNext == 100) speedNext = -speedNext;
  if (!paused && drawingEnabled) {
    SetBlend(ALPHABLEND);
    SetAlpha(alphaNext / 100);
    DrawImage(shared.nextLevelBig, nextX, nextY, 0);
    SetAlpha(1);
    if (!winNotice.empty()) DrawText(winNotice, WIN_NOTICE_X, WIN_NOTICE_Y);
  }
  // Held now, or pressed (and perhaps released again) since the last frame.
  const std::uint64_t presses = MousePresses(1);
  const bool pressed = MouseDown(1) || presses != nextLevelPresses;
  nextLevelPresses = presses;
  if (!paused && pressed && AimOnNextLevel()) {
    LeaveToNextLevel();
    return;
  }
  if (!paused && (KeyHit(KEY_SPACE) != 0 || KeyHit(KEY_ENTER) != 0)) {
    LeaveToNextLevel();
    return;
  }
  if (paused && KeyHit(KEY_SPACE) != 0) FlushKeys();
}

bool TGame::AimOnNextLevel() const {
  if (touch == 0 || flTou == 0 || !m_world || !m_world->world) return false;
  return ImagesCollide(shared.aim, TruncToInt(xAM), TruncToInt(yAM), 0, shared.nextLevelBig,
                       TruncToInt(nextX), TruncToInt(nextY), 0);
}

void TGame::DeveloperKeys() const {
  if (KeyDown(KEY_P)) {
    SavePixmapJPeg(GrabPixmap(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT),
                   "scrshoot_level" + std::to_string(currentLevel) + ".jpg", SCREENSHOT_QUALITY);
  }
  if (KeyDown(KEY_F8)) {
    SavePixmapJPeg(ResizePixmap(GrabPixmap(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT), THUMBNAIL_WIDTH,
                                THUMBNAIL_HEIGHT),
                   "level_thumb_" + std::to_string(currentLevel) + ".jpg", THUMBNAIL_QUALITY);
  }
}

void TGame::exitAll() {
  for (const auto& ragdoll : ragdollList) KillRagdoll(*ragdoll);
  if (m_world && m_world->world) {
    physics::b2World& world = *m_world->world;
    while (world.GetBodyCount() - 1 > 0) {
      physics::b2Body* first = world.GetBodyList();
      if (first == nullptr || first == world.GetGroundBody()) break;
      if (physics::b2Shape* shape = first->GetShapeList()) shape->userData = nullptr;
      world.DestroyBody(first);
    }
  }
  ragdollList.clear();
  movingList.clear();
  rotatingList.clear();
  levelsPics.clear();
  staticBodies.clear();
  kometyList.clear();
  kapliList.clear();
  oblakaList.clear();
  bazList.clear();
  if (m_world) m_world->Free();
  rain1_sound = rain2_sound = nullptr;
  thunder_sound = {};
  drop1_sound = drop2_sound = fire_sound = nullptr;
  if (!exited) {
    // The global channel and background belong to this session only while it runs. A rain loop
    // still playing is stopped: once the handle is dropped nothing could stop it.
    if (rainChannel) StopChannel(rainChannel);
    rainChannel = nullptr;
    backgroundImage = nullptr;
  }
  crow_pic = spider_pic = sun_pic = snowmanH_pic = snowmanE_pic = kometa_pic = kapla1_pic =
      kapla2_pic = nullptr;
  exited = true;
}

void TGame::Free() {
  exitAll();
  m_world.reset();
}
