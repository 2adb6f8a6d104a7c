// Generated pictures: every picture the game loads exists in the embedded asset table (or the
// Skin folder) with its exact size and cell layout, and keeps the transparency rules the game
// relies on: box bodies opaque to their edges, balls filling their ellipse, masked pictures
// free of pure black, decorations that cannot pass for bodies, animation cells that line up and
// loop, and a thumbnail for every level file. Also checks the generators are repeatable.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "media/media.h"

namespace {

namespace fs = std::filesystem;

enum Rule : unsigned {
  NONE = 0,
  OPAQUE = 1,        // a box: every pixel fully opaque, so the picture is its physics rectangle
  ROUND = 2,         // a ball: the ellipse inside the rectangle is filled, the corners are clear
  CLEAR = 4,         // nothing to see at all
  MASKED = 8,        // loaded masked: no opaque pure black, or it would turn into holes
  NOT_BOX = 16,      // a decoration: never an opaque rectangle, which would look like a body
  SEE_THROUGH = 32,  // a decoration shaped like a body: no pixel fully opaque
};

struct Picture {
  std::string path;  // asset path, or "Skin/..." for the skin folder on disk
  int cellW, cellH, cells;
  unsigned rules;
};

std::vector<Picture> BodyPictures() {
  struct B {
    const char* name;
    int w, h;
    unsigned rules;
  };
  const B bodies[] = {
      {"ballBig1", 117, 115, ROUND},
      {"ballBig2", 117, 115, ROUND},
      {"ballMedium1", 61, 60, ROUND},
      {"ballMedium2", 61, 60, ROUND},
      {"ballSmall1", 22, 22, ROUND},
      {"berezBrevno", 584, 34, OPAQUE},
      {"bigHead", 117, 115, ROUND},
      {"borderPlankGorizontal", 802, 12, OPAQUE},
      {"borderPlankGorizontal1Big", 800, 10, OPAQUE},
      {"borderPlankGorizontal1Small", 401, 9, OPAQUE},
      {"borderPlankVertical", 13, 604, OPAQUE},
      {"borderPlankVertical1Big", 10, 600, OPAQUE},
      {"borderPlankVertical1Small", 9, 301, OPAQUE},
      {"bracket1", 37, 39, OPAQUE},
      {"breakBox", 24, 69, OPAQUE},
      {"breakBoxGorizontal", 69, 24, OPAQUE},
      {"cannon1", 68, 32, OPAQUE},
      {"circleBreak", 114, 114, ROUND},
      {"dynamicBoxBig", 48, 110, OPAQUE},
      {"dynamicBoxBigGorizont", 110, 48, OPAQUE},
      {"dynamicBoxMedium", 57, 39, OPAQUE},
      {"dynamicBoxSmoll", 33, 21, OPAQUE},
      {"dynamicPlankBig", 283, 12, OPAQUE},
      {"dynamicPlankBigVertical", 12, 283, OPAQUE},
      {"dynamicPlankSmall", 98, 11, OPAQUE},
      {"her1", 56, 27, OPAQUE},
      {"her2", 56, 27, OPAQUE},
      {"her3", 56, 27, OPAQUE},
      {"her4", 56, 27, OPAQUE},
      {"her5", 56, 27, OPAQUE},
      {"her6", 56, 27, OPAQUE},
      {"her7", 56, 27, OPAQUE},
      {"her8", 56, 27, OPAQUE},
      {"ice1", 171, 149, OPAQUE},
      {"ice2", 171, 149, OPAQUE},
      {"ice3", 171, 149, OPAQUE},
      {"invisiblePlank", 13, 122, CLEAR},
      {"link", 9, 14, NONE},
      {"movingPlankBigGorizont", 183, 11, OPAQUE},
      {"movingPlankBigVertical", 12, 181, OPAQUE},
      {"movingPlankSmallGorizont", 89, 11, OPAQUE},
      {"movingPlankSmallVertical", 11, 92, OPAQUE},
      {"sb", 10, 10, ROUND},
      {"staticBoxBig", 48, 110, OPAQUE},
      {"staticBoxBigGorizontal", 110, 48, OPAQUE},
      {"staticBoxMedium", 64, 39, OPAQUE},
      {"staticBoxSmall", 33, 21, OPAQUE},
      {"staticPlankBig", 12, 238, OPAQUE},
      {"staticPlankBigGorizontal", 238, 12, OPAQUE},
      {"staticPlankSmall", 11, 92, OPAQUE},
      {"staticPlankSmallGorizontal", 92, 11, OPAQUE},
      {"staticPortalBox", 33, 21, OPAQUE},
      {"sugrob", 289, 33, OPAQUE},
      {"superBall", 558, 557, ROUND},
      {"target", 56, 26, OPAQUE},
      {"target1", 61, 59, ROUND},
      {"target2", 22, 22, ROUND},
      {"thinPlankGorizontal", 224, 4, OPAQUE},
      {"thinPlankGorizontalSmall", 120, 4, OPAQUE},
      {"thinPlankVertical", 4, 224, OPAQUE},
      {"veryBigBall", 311, 310, ROUND},
      {"veryBigBrick", 325, 185, OPAQUE},
      {"veryBigPlankGorizontal", 583, 11, OPAQUE},
      {"veryBigPlankVertical", 11, 583, OPAQUE},
      {"verySmallBox", 17, 11, OPAQUE},
      {"whell", 62, 60, ROUND},
  };
  std::vector<Picture> out;
  for (const B& b : bodies)
    out.push_back({std::string("bodies_pic/") + b.name + ".png", b.w, b.h, 1, b.rules});
  return out;
}

std::vector<Picture> RagdollPictures() {
  struct P {
    const char* part;
    int w, h;
  };
  const P parts[] = {{"head", 16, 16},          {"body", 7, 22},      {"lowerHandLeft", 17, 4},
                     {"lowerHandRight", 17, 4}, {"lowerHand", 17, 4}, {"upperHand", 17, 4},
                     {"lowerLeg", 6, 17},       {"upperLeg", 4, 17}};
  std::vector<Picture> out;
  for (int v = 1; v <= 4; ++v) {
    for (const P& p : parts) {
      const std::string part = p.part;
      // Look 1's head, torso and forearms are loaded filtered only; all other parts masked.
      const bool unmasked = v == 1 && (part == "head" || part == "body" ||
                                       part == "lowerHandLeft" || part == "lowerHandRight");
      out.push_back({"ragdoll_pic/" + part + "_" + std::to_string(v) + ".png", p.w, p.h, 1,
                     unmasked ? NONE : unsigned{MASKED}});
    }
  }
  return out;
}

std::vector<Picture> GamePictures() {
  std::vector<Picture> out = {
      {"game_pic/aim.png", 47, 47, 1, MASKED},
      {"game_pic/bracket.png", 37, 39, 1, MASKED},
      {"game_pic/cannon.png", 170, 110, 30, MASKED},
      {"game_pic/portal.png", 30, 75, 30, MASKED},
      {"game_pic/baz1.png", 32, 40, 6, MASKED},
      {"game_pic/baz2.png", 45, 45, 6, MASKED},
      {"game_pic/baz3.png", 55, 50, 6, MASKED},
      {"game_pic/snow1.png", 10, 10, 1, MASKED},
      {"game_pic/snow2.png", 9, 10, 1, MASKED},
      {"game_pic/snow3.png", 10, 10, 1, MASKED},
      {"game_pic/numlevel.png", 79, 19, 1, MASKED},
      {"game_pic/shots.png", 80, 19, 1, NONE},
      {"game_pic/nextlevelbig.png", 149, 19, 1, MASKED},
      // Sizes of our choosing for an 800 x 600 screen.
      {"game_pic/title.png", 520, 120, 1, MASKED},
      {"game_pic/win.png", 480, 260, 1, MASKED},
      {"game_pic/particle.png", 16, 16, 1, MASKED},
      {"game_pic/nextlevelsmall.png", 100, 15, 1, MASKED},
      // Play aids: the power gauge, stars, the hint's pictures, the win banner, menu focus.
      {"game_pic/gauge.png", 22, 112, 21, MASKED},
      {"game_pic/star.png", 28, 28, 2, MASKED},
      {"game_pic/star_small.png", 15, 15, 2, MASKED},
      {"game_pic/hint_aim.png", 47, 47, 1, MASKED},
      {"game_pic/hint_pulse.png", 64, 64, 1, MASKED},
      {"game_pic/hintbutton.png", 96, 19, 1, MASKED},
      {"game_pic/banner.png", 380, 170, 1, MASKED},
      {"game_pic/focus.png", 18, 22, 1, MASKED},
      {"game_pic/volume.png", 150, 18, 11, MASKED},
      {"levels_thumbs/close.jpg", 360, 270, 1, OPAQUE | MASKED},
      {"levels_pic/mousehorse.png", 80, 30, 2, MASKED},
  };
  const int widths[10] = {14, 14, 17, 10, 12, 10, 11, 11, 15, 12};
  for (int d = 0; d < 10; ++d) {
    // n0 is loaded with the default (masked) flags, n1-n9 filtered only.
    out.push_back(
        {"game_pic/n" + std::to_string(d) + ".png", widths[d], 19, 1, d == 0 ? MASKED : NONE});
  }
  return out;
}

std::vector<Picture> ScenePictures() {
  std::vector<Picture> out;
  for (int i = 1; i <= 15; ++i)
    out.push_back({"fones/fon" + std::to_string(i) + ".jpg", 800, 600, 1, OPAQUE | MASKED});
  struct D {
    const char* name;
    int w, h;
    unsigned rules;
  };
  // Decorations: sizes of our choosing; a level places them by their centre.
  const D decorations[] = {
      {"akazia", 260, 200, 0},
      {"akvarium", 130, 126, 0},
      {"bballMedium2", 61, 60, SEE_THROUGH},
      {"bereza2", 120, 300, 0},
      {"bereza4", 170, 280, 0},
      {"bigDub", 320, 300, 0},
      {"borderPlankGorizont", 800, 12, SEE_THROUGH},
      {"brickWall", 200, 150, SEE_THROUGH},
      {"brickWallLeft", 110, 150, SEE_THROUGH},
      {"brickWallRicht", 110, 150, SEE_THROUGH},
      {"cactus1", 90, 160, 0},
      {"cactus2", 70, 72, 0},
      {"cactus3", 100, 110, 0},
      {"elka1", 120, 200, 0},
      {"elka2", 140, 220, 0},
      {"elka3", 80, 130, 0},
      {"goal_txt", 130, 84, 0},
      {"grib1", 50, 60, 0},
      {"grib2", 50, 56, 0},
      {"here_txt", 130, 84, 0},
      {"izba", 220, 200, 0},
      {"izbaSnow", 220, 210, 0},
      {"kiparis", 70, 260, 0},
      {"klen", 220, 260, 0},
      {"kust1", 140, 80, 0},
      {"kust2", 120, 90, 0},
      {"leftZvet", 60, 100, 0},
      {"les", 800, 180, 0},
      {"les1", 800, 160, 0},
      {"les2", 400, 150, 0},
      {"lesPalm", 400, 220, 0},
      {"lesRealPalm", 400, 260, 0},
      {"list1", 40, 40, 0},
      {"list2", 36, 36, 0},
      {"menu_txt", 200, 50, 0},
      {"osina", 130, 280, 0},
      {"osoka", 90, 80, 0},
      {"pautina1", 120, 120, 0},
      {"pautina2", 140, 140, 0},
      {"planeta", 170, 110, 0},
      {"planeta2", 120, 120, 0},
      {"poverhnost", 800, 120, 0},
      {"power_txt", 200, 70, 0},
      {"raskidistoe", 300, 240, 0},
      {"realPalma", 180, 320, 0},
      {"rightZvet", 60, 100, 0},
      {"smallPalma", 110, 160, 0},
      {"snegovikStatic", 100, 132, 0},
      {"staticSpider", 40, 120, 0},
      {"sugrob1", 200, 50, 0},
      {"sugrob3", 260, 60, 0},
      {"sugrob4", 160, 45, 0},
      {"sugrob5", 320, 70, 0},
      {"swod", 240, 200, SEE_THROUGH},
      {"swod2", 400, 140, SEE_THROUGH},
      {"thinPlankGor", 224, 5, SEE_THROUGH},
      {"thinPlankVert", 5, 224, SEE_THROUGH},
      {"trava1", 200, 40, 0},
      {"trava2", 100, 45, 0},
      {"travokust1", 90, 60, 0},
      {"travokust2", 80, 70, 0},
      {"upZvetok", 44, 100, 0},
      {"zemlya", 140, 140, 0},
      {"oblako1", 200, 100, 0},
      {"oblako2", 160, 80, 0},
      {"oblako3", 120, 60, 0},
  };
  for (const D& d : decorations) {
    out.push_back({std::string("levels_pic/") + d.name + ".png", d.w, d.h, 1, NOT_BOX | d.rules});
  }
  // Creatures, comets and drops, cut into cells by the game and loaded masked.
  const Picture sheets[] = {
      {"levels_pic/sun.png", 150, 150, 42, MASKED},
      {"levels_pic/crow.png", 170, 70, 32, MASKED},
      {"levels_pic/spider.png", 40, 200, 182, MASKED},
      {"levels_pic/snowmanH.png", 130, 170, 60, MASKED},
      {"levels_pic/snowmanE.png", 120, 170, 60, MASKED},
      {"levels_pic/kometa.png", 240, 90, 165, MASKED},
      {"levels_pic/kapla1.png", 20, 590, 62, MASKED},
      {"levels_pic/kapla2.png", 20, 590, 42, MASKED},
  };
  out.insert(out.end(), std::begin(sheets), std::end(sheets));
  out.push_back({"menu_pic/play_menu.png", 320, 180, 1, MASKED});
  return out;
}

std::vector<Picture> SkinPictures() {
  return {
      {"Skin/graphics/panel.png", 15, 15, 1, MASKED},
      {"Skin/graphics/button.png", 15, 15, 1, MASKED},
      {"Skin/graphics/scrollback.png", 15, 15, 1, MASKED | OPAQUE},
      {"Skin/graphics/scrollup.png", 15, 15, 1, MASKED},
      {"Skin/graphics/scrolldown.png", 15, 15, 1, MASKED},
      {"Skin/graphics/vscrollbar.png", 15, 7, 1, MASKED},
      {"Skin/graphics/cursors/normal.png", 24, 24, 1, MASKED},
      {"Skin/graphics/cursors/mouseover.png", 24, 24, 1, MASKED},
      {"Skin/graphics/cursors/mousedown.png", 24, 24, 1, MASKED},
  };
}

unsigned Alpha(std::uint32_t p) { return p >> 24; }
bool OpaqueBlack(std::uint32_t p) { return p == 0xFF000000u; }

class ArtTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterEmbeddedAssets(); }

  /// Decodes a picture from the asset table, or from the build's Skin folder.
  static PixmapPtr Load(const std::string& path) {
    if (path.rfind("Skin/", 0) == 0) return LoadPixmap(std::string(BRAKKON_BUILD_DIR) + "/" + path);
    EXPECT_TRUE(IsEmbeddedAsset(path)) << path << " is not in the asset table";
    return LoadPixmap(path);
  }
};

TEST_F(ArtTest, EveryPictureHasItsSizeCellsAndTransparency) {
  std::vector<Picture> all = BodyPictures();
  for (auto* more : {&RagdollPictures, &GamePictures, &ScenePictures, &SkinPictures}) {
    const auto list = (*more)();
    all.insert(all.end(), list.begin(), list.end());
  }
  EXPECT_EQ(BodyPictures().size(), 66u);
  EXPECT_EQ(RagdollPictures().size(), 32u);
  EXPECT_EQ(GamePictures().size(), 38u);  // the 36 of game_pic plus close.jpg and mousehorse
  // 15 backgrounds, 63 decorations, 3 clouds, 8 animations and the menu picture.
  EXPECT_EQ(ScenePictures().size(), 90u);

  for (const Picture& pic : all) {
    SCOPED_TRACE(pic.path);
    const PixmapPtr p = Load(pic.path);
    ASSERT_NE(p, nullptr);
    if (pic.cells == 1) {
      EXPECT_EQ(p->width, pic.cellW);
      EXPECT_EQ(p->height, pic.cellH);
    } else {
      // Sheets are cut left to right, then top to bottom: whole cells, exactly the count.
      EXPECT_EQ(p->width % pic.cellW, 0);
      EXPECT_EQ(p->height % pic.cellH, 0);
      EXPECT_EQ((p->width / pic.cellW) * (p->height / pic.cellH), pic.cells);
    }
    int opaque = 0, clear = 0, black = 0;
    for (std::uint32_t px : p->pixels) {
      opaque += Alpha(px) == 255;
      clear += Alpha(px) == 0;
      black += OpaqueBlack(px);
    }
    const int total = p->width * p->height;
    if (pic.rules & OPAQUE) {
      EXPECT_EQ(opaque, total) << "a box picture must be opaque to its edges";
    }
    if (pic.rules & CLEAR) {
      EXPECT_EQ(clear, total);
    } else {
      EXPECT_LT(clear, total) << "nothing to see";
    }
    if (pic.rules & MASKED) {
      EXPECT_EQ(black, 0) << "pure black would be punched out by the mask";
    }
    if (pic.rules & NOT_BOX) {
      EXPECT_LT(opaque, total) << "a decoration must not be an opaque rectangle";
    }
    if (pic.rules & SEE_THROUGH) {
      EXPECT_EQ(opaque, 0) << "a decoration shaped like a body must be see-through";
    }
    if (pic.rules & ROUND) {
      const int w = p->width, h = p->height;
      for (auto [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}}) {
        EXPECT_EQ(Alpha(p->ReadPixel(x, y)), 0u) << "corner " << x << "," << y;
      }
      // The ball reaches its rectangle's sides: what collides is what is seen.
      for (auto [x, y] :
           {std::pair{w / 2, h / 2}, {w / 2, 2}, {w / 2, h - 3}, {2, h / 2}, {w - 3, h / 2}}) {
        EXPECT_EQ(Alpha(p->ReadPixel(x, y)), 255u) << "inside " << x << "," << y;
      }
    }
  }
}

TEST_F(ArtTest, AnimationCellsLineUp) {
  // Every cannon cell shows the hub the cannon turns about at the handle (31, 55), and no cell
  // of any sheet is empty.
  const PixmapPtr cannon = Load("game_pic/cannon.png");
  ASSERT_NE(cannon, nullptr);
  for (int k = 0; k < 30; ++k) {
    const int x0 = (k % 6) * 170, y0 = (k / 6) * 110;
    EXPECT_EQ(Alpha(cannon->ReadPixel(x0 + 31, y0 + 55)), 255u) << "cell " << k;
  }
  const struct {
    const char* path;
    int cw, ch;
  } sheets[] = {{"game_pic/cannon.png", 170, 110},     {"game_pic/portal.png", 30, 75},
                {"game_pic/baz1.png", 32, 40},         {"game_pic/baz2.png", 45, 45},
                {"game_pic/baz3.png", 55, 50},         {"levels_pic/mousehorse.png", 80, 30},
                {"levels_pic/sun.png", 150, 150},      {"levels_pic/crow.png", 170, 70},
                {"levels_pic/spider.png", 40, 200},    {"levels_pic/snowmanH.png", 130, 170},
                {"levels_pic/snowmanE.png", 120, 170}, {"levels_pic/kometa.png", 240, 90},
                {"levels_pic/kapla1.png", 20, 590},    {"levels_pic/kapla2.png", 20, 590}};
  for (const auto& s : sheets) {
    const PixmapPtr p = Load(s.path);
    ASSERT_NE(p, nullptr) << s.path;
    const int columns = p->width / s.cw, count = columns * (p->height / s.ch);
    for (int k = 0; k < count; ++k) {
      int visible = 0;
      for (int y = 0; y < s.ch; ++y) {
        for (int x = 0; x < s.cw; ++x) {
          visible += Alpha(p->ReadPixel((k % columns) * s.cw + x, (k / columns) * s.ch + y)) > 0;
        }
      }
      EXPECT_GT(visible, 0) << s.path << " cell " << k;
    }
  }
}

TEST_F(ArtTest, PortalSwirlLoopsEvery29Frames) {
  // The entrance counts 0..28 and wraps to 0; the exit counts 29..1 and wraps to 29: both loops
  // are seamless when cell 29 looks like cell 0 while neighbouring cells differ.
  const PixmapPtr p = Load("game_pic/portal.png");
  ASSERT_NE(p, nullptr);
  auto cell = [&](int k, int x, int y) {
    return p->ReadPixel((k % 10) * 30 + x, (k / 10) * 75 + y);
  };
  auto difference = [&](int a, int b) {
    int worst = 0;
    for (int y = 0; y < 75; ++y) {
      for (int x = 0; x < 30; ++x) {
        const std::uint32_t pa = cell(a, x, y), pb = cell(b, x, y);
        for (int shift = 0; shift < 32; shift += 8) {
          worst = std::max(worst, std::abs(int((pa >> shift) & 0xFF) - int((pb >> shift) & 0xFF)));
        }
      }
    }
    return worst;
  };
  EXPECT_LE(difference(0, 29), 3);
  for (int k = 0; k < 29; ++k)
    EXPECT_GT(difference(k, k + 1), 20) << "cells " << k << ", " << k + 1;
}

/// Largest channel difference between cells a and b of a sheet of cw x ch cells.
int CellDifference(const PixmapPtr& p, int cw, int ch, int a, int b) {
  const int columns = p->width / cw;
  int worst = 0;
  for (int y = 0; y < ch; ++y) {
    for (int x = 0; x < cw; ++x) {
      const std::uint32_t pa = p->ReadPixel((a % columns) * cw + x, (a / columns) * ch + y);
      const std::uint32_t pb = p->ReadPixel((b % columns) * cw + x, (b / columns) * ch + y);
      for (int shift = 0; shift < 32; shift += 8) {
        worst = std::max(worst, std::abs(int((pa >> shift) & 0xFF) - int((pb >> shift) & 0xFF)));
      }
    }
  }
  return worst;
}

/// Mean channel difference between cells a and b, over all pixels and channels.
double MeanCellDifference(const PixmapPtr& p, int cw, int ch, int a, int b) {
  const int columns = p->width / cw;
  double sum = 0;
  for (int y = 0; y < ch; ++y) {
    for (int x = 0; x < cw; ++x) {
      const std::uint32_t pa = p->ReadPixel((a % columns) * cw + x, (a / columns) * ch + y);
      const std::uint32_t pb = p->ReadPixel((b % columns) * cw + x, (b / columns) * ch + y);
      for (int shift = 0; shift < 32; shift += 8) {
        sum += std::abs(int((pa >> shift) & 0xFF) - int((pb >> shift) & 0xFF));
      }
    }
  }
  return sum / (cw * ch * 4);
}

TEST_F(ArtTest, CreatureAnimationsLoopOrReturnToRest) {
  // How the game steps through each sheet decides which cells must match: the crow wraps from
  // cell 30 to 0 (cell 31 is never shown), the comet from 163 to 0, the spider and the snowmen
  // end their run on the cell they rest on. Cells in the middle of a run must differ from rest.
  const struct {
    const char* path;
    int cw, ch;
    int same1, same2;  // cells that must look alike
    int middle;        // a cell that must not look like same1
  } loops[] = {
      {"levels_pic/crow.png", 170, 70, 0, 31, 15},
      {"levels_pic/kometa.png", 240, 90, 0, 164, 80},
      {"levels_pic/spider.png", 40, 200, 0, 180, 90},
      {"levels_pic/snowmanH.png", 130, 170, 0, 59, 30},
      {"levels_pic/snowmanE.png", 120, 170, 0, 59, 35},
  };
  for (const auto& l : loops) {
    SCOPED_TRACE(l.path);
    const PixmapPtr p = Load(l.path);
    ASSERT_NE(p, nullptr);
    EXPECT_LE(CellDifference(p, l.cw, l.ch, l.same1, l.same2), 3);
    EXPECT_GT(CellDifference(p, l.cw, l.ch, l.same1, l.middle), 60);
  }
  // The sun shows each of its 42 cells twice and wraps from 41 to 0: that step must be no bigger
  // than the steps inside the cycle.
  const PixmapPtr sun = Load("levels_pic/sun.png");
  ASSERT_NE(sun, nullptr);
  double biggestStep = 0;
  for (int k = 0; k < 41; ++k)
    biggestStep = std::max(biggestStep, MeanCellDifference(sun, 150, 150, k, k + 1));
  EXPECT_GT(biggestStep, 0.5) << "the sun does not move";
  EXPECT_LE(MeanCellDifference(sun, 150, 150, 41, 0), biggestStep * 1.05);
}

TEST_F(ArtTest, DropsFallTheScreenAndSplashOnTheirSoundCell) {
  // Drop 1 plays its sound when its counter reaches 45, drop 2 at 30: the drop must fall from the
  // top down the cell and be at the floor on exactly that cell.
  const struct {
    const char* path;
    int first, landing;  // first falling cell, splash cell
  } drops[] = {{"levels_pic/kapla1.png", 22, 45}, {"levels_pic/kapla2.png", 14, 30}};
  for (const auto& d : drops) {
    SCOPED_TRACE(d.path);
    const PixmapPtr p = Load(d.path);
    ASSERT_NE(p, nullptr);
    const int columns = p->width / 20;
    auto lowest = [&](int k) {  // lowest visible row of cell k
      for (int y = 589; y >= 0; --y) {
        for (int x = 0; x < 20; ++x) {
          if (Alpha(p->ReadPixel((k % columns) * 20 + x, (k / columns) * 590 + y)) > 40) return y;
        }
      }
      return -1;
    };
    EXPECT_LT(lowest(1), 40) << "a new drop forms at the top";
    for (int k = d.first; k < d.landing - 1; ++k)
      EXPECT_LT(lowest(k), lowest(k + 1)) << "cell " << k;
    EXPECT_LT(lowest(d.landing - 1), 575);
    EXPECT_GE(lowest(d.landing), 575) << "the splash is on the sound cell";
  }
}

TEST_F(ArtTest, EveryLevelFileHasAThumbnailOfTheGame) {
  // Thumbnails are drawn at build time from the level files; each one is the game's frame shrunk
  // to 360 x 272, so it shows a picture, not a blank or black screen.
  int levels = 0;
  for (const std::string& path : EmbeddedAssetPaths()) {
    if (path.rfind("levels/level", 0) != 0) continue;
    const std::string n = path.substr(12, path.size() - 12 - 4);
    SCOPED_TRACE(path);
    const PixmapPtr thumb = Load("levels_thumbs/level_thumb_" + n + ".jpg");
    ASSERT_NE(thumb, nullptr);
    EXPECT_EQ(thumb->width, 360);
    EXPECT_EQ(thumb->height, 272);
    std::map<std::uint32_t, int> colours;
    for (std::uint32_t px : thumb->pixels) ++colours[px & 0xF0F0F0];
    EXPECT_GT(colours.size(), 200u) << "a flat picture: the frame was not drawn";
    ++levels;
  }
  EXPECT_GE(levels, 1);
  // And no thumbnail without its level.
  for (const std::string& path : EmbeddedAssetPaths()) {
    if (path.rfind("levels_thumbs/level_thumb_", 0) != 0) continue;
    const std::string n = path.substr(26, path.size() - 26 - 4);
    EXPECT_TRUE(IsEmbeddedAsset("levels/level" + n + ".xml")) << path;
  }
}

TEST_F(ArtTest, RagdollLooksDifferAndShareSizes) {
  for (const char* part : {"head", "body", "lowerHandLeft", "upperHand", "lowerLeg", "upperLeg"}) {
    std::vector<PixmapPtr> looks;
    for (int v = 1; v <= 4; ++v)
      looks.push_back(Load("ragdoll_pic/" + std::string(part) + "_" + std::to_string(v) + ".png"));
    for (int a = 0; a < 4; ++a) {
      ASSERT_NE(looks[a], nullptr);
      for (int b = a + 1; b < 4; ++b) {
        ASSERT_NE(looks[b], nullptr);
        EXPECT_NE(looks[a]->pixels, looks[b]->pixels)
            << part << " looks " << a + 1 << " and " << b + 1;
      }
    }
  }
}

TEST_F(ArtTest, NinePieceSkinsStretchWithoutSeams) {
  // The middle row and column of a nine-piece picture are stretched: within each piece, the rows
  // of the left and right edges (and the columns of the top and bottom edges) must be alike, or
  // the stretched frame shows bands. The scroll track is stretched along its length.
  for (const char* name : {"panel.png", "button.png"}) {
    const PixmapPtr p = Load(std::string("Skin/graphics/") + name);
    ASSERT_NE(p, nullptr) << name;
    for (int y = 5; y < 10; ++y) {
      for (int x = 5; x < 10; ++x) {
        EXPECT_EQ(p->ReadPixel(x, y), p->ReadPixel(5, y)) << name << " centre " << x << "," << y;
      }
    }
    for (int y = 0; y < 15; ++y) {
      for (int x = 5; x < 10; ++x) {
        EXPECT_EQ(p->ReadPixel(x, y), p->ReadPixel(7, y))
            << name << " top/bottom edge " << x << "," << y;
      }
    }
  }
  const PixmapPtr track = Load("Skin/graphics/scrollback.png");
  ASSERT_NE(track, nullptr);
  for (int y = 1; y < 15; ++y) {
    for (int x = 0; x < 15; ++x) EXPECT_EQ(track->ReadPixel(x, y), track->ReadPixel(x, 0));
  }
}

TEST_F(ArtTest, MenuFontIsATrueTypeFileWithItsLicence) {
  std::ifstream in(std::string(BRAKKON_BUILD_DIR) + "/Skin/Fonts/font.ttf", std::ios::binary);
  ASSERT_TRUE(in.good());
  std::vector<unsigned char> head(4);
  in.read(reinterpret_cast<char*>(head.data()), 4);
  EXPECT_EQ(head, (std::vector<unsigned char>{0, 1, 0, 0}));
  in.seekg(0, std::ios::end);
  EXPECT_GT(in.tellg(), 20000);
  // The font's licence travels with it.
  std::ifstream licence(std::string(BRAKKON_BUILD_DIR) + "/Skin/Fonts/font-licence.txt");
  const std::string text((std::istreambuf_iterator<char>(licence)),
                         std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("License"), std::string::npos);
}

std::map<std::string, std::string> FilesUnder(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    files[fs::relative(entry.path(), root).generic_string()] =
        std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  return files;
}

TEST(ArtGenerators, TwoRunsWriteIdenticalBytes) {
  const fs::path base = fs::temp_directory_path() / "brakkon_art_test";
  fs::remove_all(base);
  for (const char* run : {"a", "b"}) {
    for (const char* gen : {"gen_bodies", "gen_ragdolls", "gen_game_pics", "gen_skin", "gen_decor",
                            "gen_creatures", "gen_fones"}) {
      const std::string exe = std::string(BRAKKON_BUILD_DIR) + "/" + gen;
      ASSERT_TRUE(fs::exists(exe)) << exe;
      const std::string cmd =
          exe + " " + (base / run / "assets").string() + " " + (base / run / "Skin").string();
      ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    }
  }
  const auto a = FilesUnder(base / "a"), b = FilesUnder(base / "b");
  EXPECT_EQ(a.size(), 240u);
  EXPECT_TRUE(a == b) << "a second run wrote different bytes";
  fs::remove_all(base);
}

}  // namespace
