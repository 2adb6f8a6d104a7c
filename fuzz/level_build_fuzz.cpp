// Fuzz target: arbitrary bytes as a level file, built into a session and played for a few
// frames without drawing. Nothing the file says may crash the game or feed the physics garbage.
// An input starting with a zero byte fills a level of every kind of entry with numbers instead:
// its bytes read as floats (tiny, huge, infinite, not a number) and as counts, so that the
// clamps and limits of the level reader meet absurd values in every attribute. Each file is also
// taken the way a player's file is (`brakkon FILE.xml`, "My levels", a dropped file): read, told
// apart as playable or not, written back by the editor's writer (which must read back the same),
// and played as the own level.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>

#include "game/game.h"
#include "game/user_levels.h"
#include "media/media.h"
#include "state/globals.h"
#include "xml/xml_document.h"

namespace {

constexpr int FRAMES_PER_INPUT = 8;
/// The level number the fuzzer's files use: the game reads "levels/level<n>.xml" from the working
/// folder when no asset of that name is embedded (the fuzz build embeds none).
constexpr int FUZZ_LEVEL = 987654;

std::string LevelFile() { return "levels/level" + std::to_string(FUZZ_LEVEL) + ".xml"; }

bool Prepare() {
  SetLogQuiet(true);
  graphicsHertz = 60;
  // NOTE: the working folder must not change: libFuzzer reads its corpus by relative paths.
  std::filesystem::create_directories("levels");
  // Pictures of their own for the numbered levels' bodies: the fuzz build embeds none, and sizes
  // times scales are what the physics must survive.
  std::filesystem::create_directories("bodies_pic");
  for (const auto& [name, w, h] :
       {std::tuple{"fuzzBox.png", 40, 40}, std::tuple{"fuzzPlank.png", 600, 20}}) {
    const std::string path = std::string("bodies_pic/") + name;
    if (!std::filesystem::exists(path)) SavePixmapPNG(CreatePixmap(w, h), path);
  }
  currentLevel = FUZZ_LEVEL;
  return true;
}

/// The input's bytes as numbers, four at a time, then zeros.
class TNumbers {
 public:
  TNumbers(const std::uint8_t* data, std::size_t size) : data(data), size(size) {}
  std::string Next() {
    std::uint32_t bits = 0;
    if (at + 4 <= size) std::memcpy(&bits, data + at, 4);
    at += 4;
    char text[48];
    if ((bits & 0xF) == 0) {
      std::snprintf(text, sizeof text, "%d", static_cast<std::int32_t>(bits) >> 4);  // a count
    } else {
      float value = 0;
      std::memcpy(&value, &bits, 4);
      std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    }
    return text;
  }

 private:
  const std::uint8_t* data;
  std::size_t size;
  std::size_t at = 0;
};

/// A level with every kind of entry, each number taken from the input.
std::string NumberedLevel(const std::uint8_t* data, std::size_t size) {
  TNumbers n(data, size);
  auto attrs = [&](std::initializer_list<const char*> names) {
    std::string out;
    for (const char* name : names) out += std::string(" ") + name + "=\"" + n.Next() + "\"";
    return out;
  };
  std::string text =
      "<level fon=\"fon1.jpg\" weather=\"snow\"" +
      attrs({"levX", "levY", "shotsX", "shotsY", "nextX", "nextY", "limitRagdoll", "shot", "mouse",
             "spiderX", "spiderY", "sunX", "sunY", "crow", "snowmanX", "snowmanY"}) +
      ">\n<bodies>\n";
  const char* const kinds[] = {
      R"(Name="fuzzBox.png" typ="d" shape="r")",
      R"(Name="fuzzBox.png" typ="d" shape="c")",
      R"(Name="fuzzPlank.png" typ="d" shape="r")",
      R"(Name="fuzzPlank.png" typ="s" shape="c" target="true")",
      R"(Name="noSuchPicture.png" typ="d" shape="r")",
      R"(Name="noSuchBall.png" typ="d" shape="c")",
      R"(Name="fuzzPlank.png" typ="s" shape="r" move="left")",
      R"(Name="fuzzBox.png" typ="s" shape="r")",
      R"(Name="fuzzBox.png" typ="d" shape="l" direct="down" lastLink="fuzzPlank.png" shapeLast="c")",
      R"(Name="noSuchLink.png" typ="d" shape="l" direct="right" lastLink="fuzzBox.png" shapeLast="r")"};
  for (const char* kind : kinds) {
    text += std::string("<body ") + kind +
            attrs({"x", "y", "angle", "scaleX", "scaleY", "density", "countLinks", "speed",
                   "rotatingSpeed"}) +
            " />\n";
  }
  text += "</bodies>\n<portals" +
          attrs({"xIn", "yIn", "angleIn", "xOut", "yOut", "angleOut", "forceOutX", "forceOutY"}) +
          " />\n<pics><pic Name=\"pumpkin1.png\"" + attrs({"x", "y", "angle"}) + " /></pics>\n" +
          "<oblaka><oblako Name=\"cloud1.png\" direct=\"left\"" + attrs({"x", "y", "speed"}) +
          " /></oblaka>\n" + "<kapli><kapla Name=\"1\"" + attrs({"x", "y", "scaleX", "scaleY"}) +
          " /></kapli>\n" + "<komety><kometa" +
          attrs({"x0", "y0", "x", "y", "scaleX", "scaleY", "speed", "angle"}) + " /></komety>\n" +
          "</level>\n";
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool prepared = Prepare();
  (void)prepared;
  if (std::FILE* f = std::fopen(LevelFile().c_str(), "wb")) {
    if (size > 0 && data[0] == 0) {
      const std::string text = NumberedLevel(data + 1, size - 1);
      std::fwrite(text.data(), 1, text.size(), f);
    } else {
      std::fwrite(data, 1, size, f);
    }
    std::fclose(f);
  }
  auto game = std::make_unique<TGame>();
  game->drawingEnabled = false;
  for (int frame = 0; frame < FRAMES_PER_INPUT; ++frame) {
    game->Update();
    if (frame == 1) game->shotRagdoll();
  }
  game->exitAll();
  game = nullptr;

  const TUserLevel read = ReadUserLevel(LevelFile());
  if (read.level == nullptr) {
    if (read.problem.empty()) __builtin_trap();  // refused without a reason
    return 0;
  }
  TLevelFile level = *read.level;
  level.notes.clear();
  xmlDocument document;
  document.LoadBytes(LevelFileBytes(level));
  if (!(ReadLevelFile(document) == level)) __builtin_trap();  // the writer lost something
  auto own = std::make_shared<TOwnLevel>();
  own->level = read.level;
  std::shared_ptr<TGame> ownGame = StartOwnSession(own);
  ownGame->drawingEnabled = false;
  for (int frame = 0; frame < FRAMES_PER_INPUT; ++frame) {
    ownGame->Update();
    if (frame == 1) ownGame->shotRagdoll();
  }
  ownGame->exitAll();
  SetOwnLevel(nullptr);
  return 0;
}
