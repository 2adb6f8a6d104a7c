// TGame, the running game session: one level being played. Construction builds the level from
// its file (game/game_build.cpp); Update runs one frame in a fixed order: aim, step the physics,
// move sliders and turning bodies, teleport through portals, remove what left the field, notice
// the win, draw everything and flip (game/game_update.cpp, game/game_draw.cpp, game/movers.cpp).
//
// Index: records of the level, TSessionLinks (what the session reaches in the menus), TGame.
#pragma once

#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <string>

#include "effects/ambient.h"
#include "effects/baz.h"
#include "game/level_plan.h"
#include "media/media.h"
#include "physics/physic_world.h"
#include "physics/ragdoll.h"
#include "state/options.h"

class kiv_TTable;
class TGame;
struct TLevelFile;
struct TOwnLevel;

using BodyPtr = std::shared_ptr<physics::b2Body>;

/// A box that slides along one direction and turns back at static bodies.
class MovingBody {
 public:
  BodyPtr body;
  std::string direct;  ///< "left", "right", "up", "down"
  float inc = 0;       ///< world units per frame
  float yB = 0;        ///< world position
  float xB = 0;
  float angl = 0;  ///< degrees
};

/// A static body that turns at a constant rate.
class rotatingBody {
 public:
  BodyPtr body;
  float speed = 0;  ///< degrees per frame, counter-clockwise on screen
};

/// A decoration picture drawn behind the bodies.
class PicLevel {
 public:
  ImagePtr pic;
  float xP = 0, yP = 0;
  float angle = 0;  ///< degrees, clockwise on screen
};

/// The cannon turns about this pixel of the screen (the bracket's handle); aims are measured from
/// it.
constexpr float CANNON_PIVOT_X = 28;
constexpr float CANNON_PIVOT_Y = 553;
/// Level thumbnails: the play picture scaled to this size, saved as JPEG of this quality.
constexpr int THUMBNAIL_WIDTH = 360;
constexpr int THUMBNAIL_HEIGHT = 272;
constexpr int THUMBNAIL_QUALITY = 70;

/// What the session reaches in the menus. The screens fill it when they are built; a field left
/// empty behaves as "not paused", "no table" and so on, so a session also runs without menus.
struct TSessionLinks {
  std::function<bool()> isPaused;         ///< pause menu shown
  std::function<void()> updatePauseMenu;  ///< one frame of the pause menu
  std::function<void()> openPauseMenu;    ///< show the pause menu over the game
  /// Moves the level selection one row down; returns the row selected before (0-based), or -1
  /// when there is no level selection.
  std::function<int()> selectNextLevel;
  /// Shows a win of `level` in the level selection: its best shots, the next level opened.
  std::function<void(int level, const TLevelCompletion&)> showLevelCompleted;
  std::function<int()> updateSumms;  ///< total of best shots, refreshing the summary
  std::function<void(const std::string&)> setWinText;  ///< caption of the final win screen
  std::function<void()> showFinalWin;                  ///< switch the menus to the final win screen
  /// A menu font by name ("Small", "Small2", "Default", "Big"); null draws the built-in font.
  std::function<FontPtr(const std::string&)> font;
  /// A win of the own level (OwnLevel()) with `shots` shots.
  std::function<void(const TOwnLevel&, int shots)> ownLevelWon;
};
TSessionLinks& SessionLinks();

/// Starts decoding, in the background, the pictures and sounds that building `level` will load,
/// so that the level starts without waiting for them (nothing for a level that does not exist).
void PrepareLevel(int level);

/// A level from outside the numbered ones: a file of the player's, or the editor's level played
/// on trial. While one is set, sessions build it instead of level `currentLevel`, leave the
/// progress file alone and report a win through TSessionLinks::ownLevelWon.
struct TOwnLevel {
  std::string name;  ///< the player's name for it (a file name without ".xml"); "" for none
  std::string path;  ///< the file it was read from; "" for a level only in memory
  std::shared_ptr<const TLevelFile> level;
  int returnState = 0;  ///< the gameState the player goes back to on leaving it
};
/// Sets the level sessions build (null: the numbered levels again).
void SetOwnLevel(std::shared_ptr<const TOwnLevel> level);
const std::shared_ptr<const TOwnLevel>& OwnLevel();
/// A new session of `level`, which becomes the own level.
std::shared_ptr<TGame> StartOwnSession(std::shared_ptr<const TOwnLevel> level);

/// A new session of `level` (which becomes `currentLevel`); what it shows is held for a restart
/// and the level after it prepared while this one is played.
std::shared_ptr<TGame> StartSession(int level);

constexpr std::size_t THUNDER_SOUNDS = 6;

/// Play area limits: bodies beyond them are removed (world units).
constexpr float BODY_LIMIT_X = 295;
constexpr float BODY_LIMIT_Y = 195;
constexpr float RAGDOLL_LIMIT_X = 255;
constexpr float RAGDOLL_LIMIT_Y = 155;
/// The ragdoll leaves the cannon at this animation frame; the animation has 30.
constexpr int CANNON_LAUNCH_FRAME = 20;
constexpr int CANNON_FRAMES = 30;
/// Shots on one level without a win (restarts included) after which a hint is offered.
constexpr int SHOTS_BEFORE_HINT = 5;
/// Longest motion period a hint's pulse follows (frames); longer ones count as none.
constexpr int MAX_MOTION_PERIOD = 3600;
/// The strongest shot: the impulse of an aim at the top-right corner, (20, 15) world units.
constexpr float MAX_SHOT_IMPULSE = 25;

/// Frames after which the level's moving parts (sliding and turning bodies) stand as at the
/// start again, from their speeds and the static bodies the sliders turn back at; 0 when the
/// level has none (`moving` false) or no period up to MAX_MOTION_PERIOD comes out.
struct TMotionPeriod {
  bool moving = false;
  int frames = 0;
};

/// Strength of a shot aimed at (x, y) pixels as a share of the strongest, 0-1: the length of
/// the impulse the cannon gives, which grows with the distance from the bottom-left corner.
float ShotPower(float x, float y);

class TGame {
 public:
  /// Builds level `currentLevel` from its file (New() of the session).
  TGame();
  ~TGame();
  TGame(const TGame&) = delete;
  TGame& operator=(const TGame&) = delete;

  // Fields in the order the session declares them.
  int ragdollCount = 25;
  std::list<std::shared_ptr<TRagdoll>> ragdollList;
  int levelScore = 0;
  SoundPtr rain1_sound, rain2_sound;
  std::array<SoundPtr, THUNDER_SOUNDS> thunder_sound;  ///< thunder1_sound .. thunder6_sound
  SoundPtr drop1_sound, drop2_sound;
  int currentFrameOfCannon = 0;
  float xAM = 400, yAM = 300;
  int soundShot = 2;
  TBazList bazList;
  SoundPtr fire_sound;
  std::unique_ptr<TPhysicWorld> m_world;
  int rainZ = 0;
  float Rot = 0;
  float alphaNext = 100;
  float speedNext = 3;
  int rainF = 0;
  int flTou = 0;
  std::string winNotice;  ///< why the win could not be saved, shown beside the next-level sign
  int mousco = 0, crowco = 0;
  float bX = 6, bY = 69;
  float dX = 7, dY = 7;
  int touch = 0;
  float shotsX = 0, shotsY = 0, nextX = 0, nextY = 0, levX = 0, levY = 0;
  std::string weather, thund;
  std::unique_ptr<TSnowList> snowList;
  std::unique_ptr<TStarList> starsList;
  float mousSpeed = 3.1f, mousX = 850, mousY = 450;
  int mousFrame = 0, mousInit = 0, mousfl = 0;
  int spidInit = 0, spidfl = 0;
  float spidFrame = 0, spidX = 0, spidY = 0;
  float sunX = 0, sunY = 0;
  int sunfl = 0;
  float sunFrame = 0;
  float crowSpeed = 0.7f, crowX = 850, crowY = 450, crowFrame = 0;
  int crowInit = 0, crowfl = 0;
  int smInit = 0, smfl = 0, smFrame = 0;
  float smX = 0, smY = 0;
  std::string smTyp = "H";
  ImagePtr crow_pic, spider_pic, sun_pic, snowmanH_pic, snowmanE_pic, kometa_pic, kapla1_pic,
      kapla2_pic;
  std::list<TKometa> kometyList;
  std::list<TKapla> kapliList;
  std::list<Oblako> oblakaList;
  int portals = 0;
  float xIn = 0, yIn = 0, angleIn = 0, xOut = 0, yOut = 0, angleOut = 0, forceOutX = 0,
        forceOutY = 0;
  std::list<MovingBody> movingList;
  std::list<rotatingBody> rotatingList;
  std::list<PicLevel> levelsPics;
  int currentFrameIn = 0, currentFrameOut = 29;
  std::list<BodyPtr> staticBodies;

  /// One frame of play (updateWorld).
  void Update();
  /// Fire request, and each frame of the cannon animation.
  void shotRagdoll();
  /// True after a win while the aim is over the next-level button: a click there is the
  /// button's (it goes to the next level) and fires nothing.
  bool AimOnNextLevel() const;
  /// Clean-up: ragdolls, bodies, lists, sounds and pictures. Safe to call again.
  void exitAll();
  /// exitAll, then drops the world.
  void Free();
  void updateWorld();
  /// A random thunder sound.
  void thunderG();
  /// 1 when the body's picture overlaps the entrance portal.
  int checkPortal(const physics::b2Body& body) const;
  void drawShots() const;
  void drawLevel() const;
  /// The slider record of a body, or null.
  MovingBody* getMB(const physics::b2Body* body);

  /// Builds the world with the level's gravity, then the level (construction).
  void createWrld();
  void LoadLevel();

  /// Frames this session has played (Update calls); the win is logged with it.
  int framesPlayed = 0;

  // Play aids: par and hints from the level's stored plan, the strength gauge, the win banner.
  std::optional<TShotPlan> plan;  ///< the level's stored plan; none: no par and no hint
  int par = 0;                    ///< shots of the plan; 0 without one
  TMotionPeriod motion;
  bool hintShown = false;    ///< the hint is shown (it stays for restarts of the same level)
  TLevelCompletion result;   ///< what the win recorded
  int previousBest = 0;      ///< best shots before this win; 0 none
  bool wonWithHint = false;  ///< the win came after the hint was shown
  /// True when the hint can be asked for: enough shots without a win and a plan to show.
  bool HintAvailable() const;
  /// Shows the hint (key H or the hint button); false when it is not available.
  bool ShowHint();
  /// True while the hint button is shown and the aim is over it: a click there is the button's.
  bool AimOnHintButton() const;
  /// The plan's next shot: the one after those fired in this attempt (the last one after that).
  const TShot* HintShot() const;
  /// Frames until the next moment to fire by the plan (0: this pass), or -1 when the moment
  /// is past and the level's motion has no period (a restart brings it back).
  int FramesToHintMoment() const;
  /// Where the win banner goes: its centre, clear of the counters and the next-level button.
  void WinBannerCentre(float& x, float& y) const;
  /// Skips drawing and flipping in Update: the level tools run the real simulation this way.
  bool drawingEnabled = true;

 private:
  /// MousePresses(1) when the next-level button last looked: a press since then is a click on
  /// it even when the button is up again by the time it looks.
  std::uint64_t nextLevelPresses = 0;
  int lastMouseX = -1, lastMouseY = -1;  ///< the mouse when the aim last looked
  bool aimByKeys = false;                ///< the aim follows keys or stick until the mouse moves

  void SetUpPlayAids();
  /// A shot that counts: for the hint's offer and the first-run line.
  void CountShot();
  /// The win into the progress: best shots, stars against par, the hint's mark.
  void RecordWin();
  /// The period of the sliding and turning bodies (game/movers.cpp).
  TMotionPeriod FindMotionPeriod() const;
  /// Keys and the stick move the aim while the mouse stands still.
  void MoveAim();
  void DrawPlayAids() const;
  void DrawPowerGauge() const;
  void DrawHint() const;
  void DrawWinBanner() const;
  void DrawFirstRunHint() const;

  bool IsPaused() const;
  /// The level this session builds: the own level when one is set, else level currentLevel.
  TLevelFile ReadSessionLevel() const;
  /// "Level <n>", or the own level's name, for log lines.
  std::string LevelLabel() const;
  void BuildBodies(const TLevelFile& level);
  void BuildBox(const struct TBodyEntry& entry, const ImagePtr& picture, float x, float y);
  void BuildCircle(const struct TBodyEntry& entry, const ImagePtr& picture, float x, float y);
  void BuildChain(const struct TBodyEntry& entry, const ImagePtr& picture, float x, float y);
  void UpdateBodies();
  void UpdateAim();
  void DrawCannon() const;
  void HandleKeys();
  void HandleWin();
  void UpdatePortals();
  void LimitRagdolls();
  void UpdateSliders();
  void UpdateTurningBodies();
  void UpdateSparks();
  void DeveloperKeys() const;
  void LeaveToNextLevel();
  void DrawCounter(const ImagePtr& label, float x, float y, int value) const;
  std::shared_ptr<TRagdoll> MakeRagdoll(const std::shared_ptr<TypRagdoll>& type, float x, float y);
  void KillRagdoll(TRagdoll& ragdoll);

  /// Frame steps of the weather and creatures: the rain sound, what is drawn behind the bodies
  /// (comets, sun, drops, creatures, clouds, stars), and what is drawn over them (rain, thunder,
  /// snow).
  void StartRainSound();
  void AmbientBackground(bool paused);
  void AmbientForeground(bool paused);
  void DrawBackground(bool paused) const;

  /// Takes `copies` of the picture's pixels from what the level's pictures may still cover;
  /// false (with one log line for the level) once they would go past it.
  bool TakePicturePixels(const ImagePtr& picture, int copies, const std::string& what);

  std::unique_ptr<TLevelFile> pendingLevel;  ///< the file read by createWrld, for LoadLevel
  long long picturePixelsLeft = 0;           ///< of MAX_LEVEL_PICTURE_PIXELS; -1 once past it
  int bulletBoxes = 0;  ///< boxes built so far, the first MAX_BULLET_BOXES as bullets
  bool exited = false;
};
