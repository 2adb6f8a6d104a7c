// Levels of one's own: writing level files (every stored level survives a write and a read),
// reading level files from outside the game, the best shots of one's levels, sessions of a level
// in memory, and the editor's level with its history.
#include "editor/editor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "editor/editor_level.h"
#include "editor/level_check.h"
#include "game/game.h"
#include "game/level_file.h"
#include "game/user_levels.h"
#include "game_environment.h"
#include "solver/level_run.h"
#include "state/options.h"
#include "xml/xml_document.h"

namespace {

const auto* const environment = ::testing::AddGlobalTestEnvironment(new TGameEnvironment);

TLevelFile ReadBytes(const std::vector<std::uint8_t>& bytes) {
  xmlDocument document;
  document.LoadBytes(bytes);
  return ReadLevelFile(document);
}

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(LevelWriter, EveryStoredLevelReadsBackTheSame) {
  int levels = 0;
  for (int n = 1; IsEmbeddedAsset(LevelAssetPath(n)); ++n, ++levels) {
    TLevelFile level = LoadLevelFile(LevelAssetPath(n));
    level.notes.clear();
    const std::vector<std::uint8_t> bytes = LevelFileBytes(level);
    const TLevelFile again = ReadBytes(bytes);
    EXPECT_TRUE(again == level) << "level " << n;
    EXPECT_TRUE(again.notes.empty()) << "level " << n;
    const std::string text(bytes.begin(), bytes.end());
    EXPECT_TRUE(text.starts_with("<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n<level"));
  }
  EXPECT_EQ(levels, DEFAULT_LEVEL_COUNT);
}

TEST(LevelWriter, NumbersAreShortAndExact) {
  for (const float v : {0.0f, 1.0f, -312.0f, 0.1f, 0.0001f, 1.7f, 595.5f, -0.04f, 9999.99f}) {
    const std::string text = LevelNumberText(v);
    EXPECT_EQ(xmlTextToFloat(text), v) << text;
    EXPECT_EQ(text.find('e'), std::string::npos) << text;
  }
  EXPECT_EQ(LevelNumberText(400), "400");
  EXPECT_EQ(LevelNumberText(0.1f), "0.1");
}

TEST(LevelWriter, SavesAtomicallyAndReportsAFolderItCannotWrite) {
  const std::string dir = testing::TempDir() + "writer/";
  std::filesystem::create_directories(dir);
  std::string error;
  ASSERT_TRUE(SaveLevelFile(dir + "a.xml", NewEditorLevel(), error)) << error;
  EXPECT_TRUE(LoadLevelFile(dir + "a.xml") == NewEditorLevel());
  EXPECT_FALSE(SaveLevelFile(dir + "missing/a.xml", NewEditorLevel(), error));
  EXPECT_NE(error.find("missing/a.xml"), std::string::npos) << error;
}

// [SECTION] Level files from outside -----------------------------------------------------------

TEST(UserLevelFile, RefusesWhatCannotBePlayedWithTheReason) {
  const std::string dir = testing::TempDir() + "bad/";
  std::filesystem::create_directories(dir + "folder.xml");
  WriteText(dir + "text.xml", "just some words");
  WriteText(dir + "empty.xml", "");
  WriteText(dir + "nobody.xml", "<level fon=\"fon1.jpg\"><bodies></bodies></level>");
  WriteText(dir + "nochain.xml",
            "<level><bodies><body Name=\"link.png\" shape=\"l\" direct=\"up\" /></bodies></level>");
  WriteText(dir + "huge.xml", std::string(MAX_LEVEL_FILE_BYTES + 1, ' '));
  const struct {
    const char* file;
    const char* reason;
  } cases[] = {
      {"absent.xml", "no such file"},   {"folder.xml", "not a file"},
      {"text.xml", "not a level file"}, {"empty.xml", "not a level file"},
      {"nobody.xml", "no body"},        {"nochain.xml", "no body"},
      {"huge.xml", "larger than"},
  };
  for (const auto& c : cases) {
    const TUserLevel read = ReadUserLevel(dir + c.file);
    EXPECT_EQ(read.level, nullptr) << c.file;
    EXPECT_NE(read.problem.find(c.reason), std::string::npos) << c.file << ": " << read.problem;
  }
}

TEST(UserLevelFile, PlaysWhatCanBeReadAndNotesWhatItChanged) {
  const std::string dir = testing::TempDir() + "odd/";
  std::filesystem::create_directories(dir);
  // Cut off in the middle, absurd numbers, an unknown picture.
  WriteText(dir + "cut.xml",
            "<level limitRagdoll=\"99999\"><bodies>"
            "<body Name=\"staticBoxBig.png\" x=\"1e30\" y=\"300\" scaleX=\"-5\" shape=\"r\" />"
            "<body Name=\"nothing.png\" x=\"10\" y=\"10\" shape=\"c\" typ=\"d\" />"
            "<body Name=\"staticBoxBig.png\" x=\"400\" y=\"3");
  const TUserLevel read = ReadUserLevel(dir + "cut.xml");
  ASSERT_NE(read.level, nullptr) << read.problem;
  EXPECT_EQ(read.level->limitRagdoll, MAX_LEVEL_RAGDOLLS);
  EXPECT_EQ(read.level->bodies.at(0).x, MAX_LEVEL_COORDINATE);
  EXPECT_EQ(read.level->bodies.at(0).scaleX, MIN_LEVEL_SCALE);
  ASSERT_FALSE(read.notes.empty());
  EXPECT_NE(read.notes.front().find("not well-formed"), std::string::npos) << read.notes.front();
  EXPECT_EQ(read.notes, read.level->notes);  // a session built from it tells them again
  // And a session is built from it without trouble.
  auto own = std::make_shared<TOwnLevel>();
  own->level = read.level;
  auto game = StartOwnSession(own);
  game->drawingEnabled = false;
  for (int i = 0; i < 30; ++i) game->Update();
  EXPECT_GE(game->m_world->world->GetBodyCount() - 1, 2);
  game->exitAll();
  SetOwnLevel(nullptr);
}

TEST(UserLevelFile, FolderNamesAndBestShots) {
  const std::string dir = testing::TempDir() + "data/";
  SetDataFolder(dir);
  LoadOptions();
  std::string error;
  ASSERT_TRUE(MakeUserLevelFolder(error)) << error;
  EXPECT_EQ(UserLevelPath("tower"), dir + "levels/tower.xml");
  for (const char* name : {"b-2", "a_1", "bad name", ".hidden"})
    WriteText(UserLevelFolder() + name + ".xml", "<level/>");
  WriteText(UserLevelFolder() + "notes.txt", "");
  EXPECT_EQ(UserLevelNames(), (std::vector<std::string>{"a_1", "b-2"}));
  for (const auto& [name, ok] :
       {std::pair{"a", true}, std::pair{"", false}, std::pair{"../up", false},
        std::pair{"x/y", false}, std::pair{"A-b_9", true}}) {
    EXPECT_EQ(IsLevelName(name), ok) << name;
  }
  EXPECT_FALSE(IsLevelName(std::string(MAX_LEVEL_NAME + 1, 'a')));

  EXPECT_EQ(RecordUserLevelBest("a_1", 4), 4);
  EXPECT_EQ(RecordUserLevelBest("a_1", 6), 4);  // more shots keep the best
  EXPECT_EQ(RecordUserLevelBest("a_1", 2), 2);
  EXPECT_EQ(RecordUserLevelBest("b-2", 3), 3);
  EXPECT_EQ(UserLevelBests(), (std::map<std::string, int>{{"a_1", 2}, {"b-2", 3}}));
  // A hand-edited file: what is not a name and a count is passed over.
  WriteText(UserLevelFolder() + "best.txt", "a_1 5\n../x 1\nb-2 -4\nc 99999999999\nd 7 e\n");
  EXPECT_EQ(UserLevelBests(), (std::map<std::string, int>{{"a_1", 5}, {"d", 7}}));
}

TEST(OwnLevel, SessionsBuildItAndLeaveTheProgressAlone) {
  TLevelFile level = NewEditorLevel();
  level.bodies.push_back(NewBodyEntry("target.png", 300, 570));
  level.bodies.push_back(NewBodyEntry("dynamicBoxMedium.png", 500, 560));
  auto own = std::make_shared<TOwnLevel>();
  own->name = "mine";
  own->level = std::make_shared<TLevelFile>(level);
  auto game = StartOwnSession(own);
  EXPECT_EQ(game->m_world->world->GetBodyCount() - 1, 3);
  int targets = 0;
  for (physics::b2Body* b = game->m_world->world->GetBodyList(); b; b = b->GetNext())
    targets += b->typeUser == "here";
  EXPECT_EQ(targets, 1);
  game->exitAll();
  // A numbered level started afterwards is the numbered level again.
  auto numbered = StartSession(1);
  EXPECT_EQ(OwnLevel(), nullptr);
  EXPECT_EQ(numbered->m_world->world->GetBodyCount() - 1, 5);  // level 1's five bodies
  numbered->exitAll();
}

// [SECTION] The editor's level -----------------------------------------------------------------

std::pair<int, int> FixedSize(const std::string& name) {
  if (name == "staticPlankBig.png") return {12, 238};
  return {100, 20};
}

TEST(EditorLevel, EveryChangeIsOneStepBackAndForward) {
  TEditorLevel edit(FixedSize);
  const TLevelFile start = edit.Level();
  ASSERT_TRUE(edit.Add(NewBodyEntry("staticBoxMedium.png", 203, 298)));
  EXPECT_EQ(edit.Level().bodies.back().x, 200);  // snapped to the 8-pixel grid
  EXPECT_EQ(edit.Level().bodies.back().y, 296);
  const std::vector<std::function<void()>> changes = {
      [&] { edit.MoveBy(5, 0); },
      [&] { edit.Rotate(30); },
      [&] { edit.Scale(2); },
      [&] { edit.ToggleDynamic(); },
      [&] { edit.ToggleTarget(); },
      [&] { edit.NextMaterial(); },
      [&] { edit.NextSlide(); },
      [&] { edit.ChangeSlideSpeed(0.1f); },
      [&] { edit.ChangeTurning(1); },
      [&] { edit.ToggleShape(); },
      [&] { edit.Duplicate(); },
      [&] { edit.Delete(); },
      [&] { edit.Change([](TLevelFile& l) { l.gravity = "left"; }); },
  };
  std::vector<TLevelFile> states = {edit.Level()};
  for (std::size_t i = 0; i < changes.size(); ++i) {
    if (edit.Selected() < 0) edit.Select(static_cast<int>(edit.Level().bodies.size()) - 1);
    changes[i]();
    EXPECT_FALSE(edit.Level() == states.back()) << "change " << i << " changed nothing";
    states.push_back(edit.Level());
  }
  for (std::size_t i = states.size() - 1; i > 0; --i) {
    ASSERT_TRUE(edit.Undo());
    EXPECT_TRUE(edit.Level() == states[i - 1]) << "undo to " << i - 1;
  }
  ASSERT_TRUE(edit.Undo());  // the first Add
  EXPECT_TRUE(edit.Level() == start);
  EXPECT_FALSE(edit.Undo());
  for (std::size_t i = 0; i < states.size(); ++i) ASSERT_TRUE(edit.Redo());
  EXPECT_TRUE(edit.Level() == states.back());
  EXPECT_FALSE(edit.Redo());
  EXPECT_TRUE(edit.IsModified());
}

TEST(EditorLevel, ADragIsOneStepAndANewChangeDropsTheRedo) {
  TEditorLevel edit(FixedSize);
  ASSERT_TRUE(edit.Add(NewBodyEntry("staticBoxMedium.png", 100, 100)));
  const TLevelFile placed = edit.Level();
  edit.BeginDrag();
  for (int x = 100; x <= 300; x += 10) edit.MoveTo(static_cast<float>(x), 100);
  edit.EndDrag();
  EXPECT_EQ(edit.Level().bodies.back().x, 304);  // 300 snaps to 304 on the 8-pixel grid
  ASSERT_TRUE(edit.Undo());
  EXPECT_TRUE(edit.Level() == placed);
  edit.Select(1);
  edit.Rotate(10);
  EXPECT_FALSE(edit.CanRedo());
  // Nothing changed, nothing to undo.
  edit.SetGrid(0);
  const int before = static_cast<int>(edit.Level().bodies.size());
  edit.MoveBy(0, 0);
  edit.Undo();
  EXPECT_EQ(edit.Level().bodies.back().angle, 0);
  EXPECT_EQ(static_cast<int>(edit.Level().bodies.size()), before);
}

TEST(EditorLevel, PicksTheTopmostBodyUnderThePointAlsoWhenTurned) {
  TEditorLevel edit(FixedSize);
  edit.Reset(TLevelFile{});
  edit.SetGrid(0);
  ASSERT_TRUE(edit.Add(NewBodyEntry("staticPlankBig.png", 400, 300)));   // 12 x 238, upright
  ASSERT_TRUE(edit.Add(NewBodyEntry("staticBoxMedium.png", 400, 400)));  // 100 x 20 here
  EXPECT_EQ(edit.BodyAt(400, 400), 1);
  EXPECT_EQ(edit.BodyAt(400, 250), 0);
  EXPECT_EQ(edit.BodyAt(480, 300), -1);
  edit.Select(0);
  edit.Rotate(90);  // now lying: 238 wide
  EXPECT_EQ(edit.BodyAt(500, 300), 0);
  EXPECT_EQ(edit.BodyAt(400, 250), -1);
}

TEST(EditorLevel, KeepsWithinTheLimitsOfALevelFile) {
  TEditorLevel edit(FixedSize);
  edit.Reset(TLevelFile{});
  int added = 0;
  while (edit.Add(NewBodyEntry("link.png", 100, 100)) && added < 1000) ++added;
  // Chains of ten links (eleven bodies, ten joints) up to the limits of a level.
  EXPECT_EQ(added, std::min(MAX_LEVEL_BODIES / 11, MAX_LEVEL_JOINTS / 10));
  edit.Select(0);
  edit.ChangeLinks(1000);
  EXPECT_EQ(edit.Level().bodies[0].countLinks, MAX_CHAIN_LINKS);
  edit.Change([](TLevelFile& l) { l.limitRagdoll = 500; });
  EXPECT_EQ(edit.Level().limitRagdoll, MAX_LEVEL_RAGDOLLS);
  edit.Scale(1000);
  EXPECT_LE(edit.Level().bodies[0].scaleX, MAX_LEVEL_SCALE);
}

TEST(EditorLevel, ThePaletteNamesPicturesThatExist) {
  for (const auto* list : {&BodyPictureNames()}) {
    for (const std::string& name : *list)
      EXPECT_TRUE(IsEmbeddedAsset("bodies_pic/" + name)) << name;
  }
  for (const auto* list : {&DecorationPictureNames(), &CloudPictureNames()}) {
    for (const std::string& name : *list)
      EXPECT_TRUE(IsEmbeddedAsset("levels_pic/" + name)) << name;
  }
  for (const std::string& name : BackgroundNames())
    EXPECT_TRUE(IsEmbeddedAsset("fones/" + name)) << name;
  EXPECT_EQ(BodyPictureNames().size(), 65u);
}

// [SECTION] The editor driven by an input script ------------------------------------------------

/// Keys of a word typed into the editor: letters and digits.
std::string Typed(int frame, const std::string& word) {
  std::string script;
  for (char c : word) {
    const int key = c >= 'a' && c <= 'z' ? KEY_A + (c - 'a') : KEY_0 + (c - '0');
    script += std::to_string(frame++) + " key " + std::to_string(key) + "\n";
  }
  return script;
}

TEST(EditorScript, BuildsALevelSavesItChecksItAndItIsWon) {
  SetDataFolder(testing::TempDir() + "scripted/");
  LoadOptions();
  gameState = STATE_EDITOR;
  TEditor editor;
  editor.Check().program = BRAKKON_BUILD_DIR "/brakkon";
  // The palette's cells are 58 pixels from (566, 30): staticPlankBig.png is cell 6 (row 1,
  // column 2), target.png cell 20 (row 5, column 0). A wall at 500, the target behind it.
  const std::string script =
      "0 move 711 117\n1 click 1\n3 move 500 470\n4 click 1\n"
      "6 move 595 349\n7 click 1\n9 move 620 560\n10 click 1\n"
      "12 move 700 12\n13 click 1\n" +
      Typed(15, "level901") + "24 key 13\n26 keydown 17\n27 key 83\n28 keyup 17\n30 key 117\n";
  ASSERT_TRUE(ParseInputScript(script));
  for (int frame = 0; frame < 40; ++frame) editor.Update();
  ASSERT_EQ(gameState, STATE_EDITOR) << editor.Status();
  EXPECT_EQ(editor.name, "level901");
  const TLevelFile& built = editor.edit.Level();
  ASSERT_EQ(built.bodies.size(), 3u);  // the floor of a new level, the wall, the target
  EXPECT_EQ(built.bodies[1].name, "staticPlankBig.png");
  EXPECT_EQ(built.bodies[1].x, 504);  // 500 on the 8-pixel grid
  EXPECT_TRUE(built.bodies[2].target);
  EXPECT_TRUE(std::filesystem::exists(UserThumbPath("level901")));

  // The check runs beside the editor, which goes on drawing frames.
  ASSERT_TRUE(editor.Check().IsRunning()) << editor.Status();
  const auto start = std::chrono::steady_clock::now();
  int frames = 0;
  while (editor.Check().IsRunning() &&
         std::chrono::steady_clock::now() - start < std::chrono::seconds(60)) {
    editor.Update();
    ++frames;
  }
  const TCheckReport& report = editor.Check().Report();
  ASSERT_TRUE(report.finished) << report.error;
  EXPECT_GT(frames, 10);  // the editor stayed responsive while it ran
  ASSERT_TRUE(report.winnable);
  EXPECT_EQ(report.shots, 1);
  EXPECT_GT(report.firstShotShare, 0);
  EXPECT_TRUE(report.fair) << ::testing::PrintToString(report.measures);
  EXPECT_GE(report.plan.front().frame, 60);  // a moment a person can click
  ASSERT_TRUE(std::filesystem::exists(UserPlanPath("level901")));

  // Opened again it is the same level, and its plan wins it in a session of its own.
  TEditor reopened;
  ASSERT_TRUE(reopened.Open("level901")) << reopened.Status();
  EXPECT_TRUE(reopened.edit.Level() == built);
  auto own = std::make_shared<TOwnLevel>();
  own->level = ReadUserLevel(UserLevelPath("level901")).level;
  SeedRnd(LEVEL_RUN_SEED);
  auto game = StartOwnSession(own);
  game->drawingEnabled = false;
  bool won = false;
  for (int frame = 0; frame < report.plan.back().frame + 1 + report.wait && !won; ++frame) {
    for (const TShot& shot : report.plan)
      if (shot.frame == frame) InjectMouseMove(shot.x, shot.y);
    game->Update();
    for (const TShot& shot : report.plan)
      if (shot.frame == frame) game->shotRagdoll();
    won = game->flTou == 1;
  }
  EXPECT_TRUE(won);
  game->exitAll();
  SetOwnLevel(nullptr);
}

TEST(LevelCheck, ReportLinesReadBack) {
  TCheckReport r;
  r.finished = true;
  r.winnable = true;
  r.shots = 2;
  r.firstShotShare = 0.25;
  r.fair = true;
  r.measures = {"2 shots from frame 60", "aim 15/16 near, 8/8 at 4 px", "timing 4/4"};
  r.plays = 400;
  r.secondsToWin = 1.5;
  r.wait = 77;
  r.plan = {{60, 100, 200}, {160, 300, 400}};
  TCheckReport back;
  std::string progress;
  ASSERT_TRUE(ParseCheckLine(CheckReportLine(r), back, progress));
  EXPECT_TRUE(back.winnable);
  EXPECT_TRUE(back.fair);
  EXPECT_EQ(back.shots, 2);
  EXPECT_EQ(back.plan.size(), 2u);
  EXPECT_EQ(back.plan[1].y, 400);
  EXPECT_EQ(back.wait, 77);
  EXPECT_DOUBLE_EQ(back.firstShotShare, 0.25);
  EXPECT_EQ(back.measures, r.measures);
  EXPECT_DOUBLE_EQ(back.secondsToWin, 1.5);
  // A win known before the plan's fairness: the report is not finished yet.
  TCheckReport early;
  ASSERT_TRUE(ParseCheckLine("found shots 1 seconds 2.5", early, progress));
  EXPECT_TRUE(early.winnable);
  EXPECT_FALSE(early.finished);
  EXPECT_EQ(early.shots, 1);
  EXPECT_DOUBLE_EQ(early.secondsToWin, 2.5);
  ASSERT_TRUE(ParseCheckLine("progress first shots 20 of 300", back, progress));
  EXPECT_EQ(progress, "first shots 20 of 300");
  EXPECT_FALSE(ParseCheckLine("something else", back, progress));
}

}  // namespace
