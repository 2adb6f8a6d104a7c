// Reading a level file: sections are found anywhere by name, their children are taken by
// position whatever their element names, and every value goes through the runtime's text-to-
// number conversions (a leading number, else 0). Then every number is brought into its range
// and the entries cut to the level's limits, with a note for each change.
#include "game/level_file.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <sstream>

#include "media/media.h"
#include "xml/xml_document.h"

namespace {

/// Attribute access for one element, with the conversions the level format uses.
class TEntry {
 public:
  explicit TEntry(const xmlNode* node) : node(node) {}
  std::string Text(const char* name) const { return node->AttributeValueGet(name); }
  float Float(const char* name) const { return xmlTextToFloat(Text(name)); }
  int Int(const char* name) const { return xmlTextToInt(Text(name)); }
  /// A scale of 0 (or none) means unscaled.
  float Scale(const char* name) const {
    const float v = Float(name);
    return v == 0 ? 1.0f : v;
  }

 private:
  const xmlNode* node;
};

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

/// Calls `read` for every child of the first element named `section`; returns whether it exists.
template <typename Read>
bool ForEachEntry(const xmlDocument& document, const char* section, Read read) {
  const xmlNode* node = document.FindNode(section);
  if (node == nullptr) return false;
  for (int i = 1; i <= node->GetChildCount(); ++i) read(TEntry(node->GetChild(i)));
  return true;
}

TBodyEntry ReadBody(const TEntry& e) {
  TBodyEntry b;
  b.name = e.Text("Name");
  b.x = e.Float("x");
  b.y = e.Float("y");
  b.angle = e.Float("angle");
  b.typ = e.Text("typ");
  b.shape = e.Text("shape");
  b.scaleX = e.Scale("scaleX");
  b.scaleY = e.Scale("scaleY");
  b.density = e.Float("density");
  if (b.density == 0) b.density = 0.1f;
  b.target = Lower(e.Text("target")) == "true";
  b.countLinks = e.Int("countLinks");
  b.direct = e.Text("direct");
  b.lastLink = e.Text("lastLink");
  b.shapeLast = e.Text("shapeLast");
  b.move = e.Text("move");
  b.speed = e.Float("speed");
  b.rotatingSpeed = e.Float("rotatingSpeed");
  return b;
}

// [SECTION] Ranges and limits -------------------------------------------------------------------

std::string NumberText(double value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

/// Brings the numbers of one entry into range, noting each change as "<where>: <name> ...".
class TClamp {
 public:
  TClamp(std::vector<std::string>& notes, std::string where)
      : notes(notes), where(std::move(where)) {}

  /// `value` within [low, high]; one that is not a number becomes `fallback`.
  void Range(const char* name, float& value, float low, float high, float fallback) const {
    if (std::isnan(value)) {
      Note(name, "nan", "is not a number", fallback);
      value = fallback;
    } else if (value < low || value > high) {
      const float clamped = std::clamp(value, low, high);
      Note(name, NumberText(value), "is outside " + NumberText(low) + " to " + NumberText(high),
           clamped);
      value = clamped;
    }
  }
  void Range(const char* name, int& value, int low, int high) const {
    if (value < low || value > high) {
      const int clamped = std::clamp(value, low, high);
      Note(name, std::to_string(value),
           "is outside " + std::to_string(low) + " to " + std::to_string(high), clamped);
      value = clamped;
    }
  }
  void Coordinate(const char* name, float& value, float limit = MAX_LEVEL_COORDINATE) const {
    Range(name, value, -limit, limit, 0);
  }
  void Coordinate(const char* name, int& value) const {
    Range(name, value, -static_cast<int>(MAX_LEVEL_COORDINATE),
          static_cast<int>(MAX_LEVEL_COORDINATE));
  }
  void Angle(const char* name, float& value) const {
    Range(name, value, -MAX_LEVEL_ANGLE, MAX_LEVEL_ANGLE, 0);
  }
  void Scale(const char* name, float& value, float high = MAX_LEVEL_SCALE) const {
    Range(name, value, MIN_LEVEL_SCALE, high, 1);
  }

 private:
  void Note(const char* name, const std::string& text, const std::string& why, double used) const {
    notes.push_back(where + ": " + name + " " + text + " " + why + "; " + NumberText(used) +
                    " is used");
  }

  std::vector<std::string>& notes;
  std::string where;
};

void ClampBody(TBodyEntry& b, std::size_t index, std::vector<std::string>& notes) {
  const TClamp c(notes, "body " + std::to_string(index + 1));
  c.Coordinate("x", b.x);
  c.Coordinate("y", b.y);
  c.Angle("angle", b.angle);
  c.Scale("scaleX", b.scaleX);
  c.Scale("scaleY", b.scaleY);
  c.Range("density", b.density, MIN_LEVEL_DENSITY, MAX_LEVEL_DENSITY, 0.1f);
  if (b.shape == "l") c.Range("countLinks", b.countLinks, 0, MAX_CHAIN_LINKS);
  c.Range("speed", b.speed, -MAX_SLIDER_SPEED, MAX_SLIDER_SPEED, 0);
  c.Range("rotatingSpeed", b.rotatingSpeed, -MAX_TURNING_SPEED, MAX_TURNING_SPEED, 0);
}

void ClampNumbers(TLevelFile& level) {
  std::vector<std::string>& notes = level.notes;
  const TClamp root(notes, "level");
  for (auto [name, value] : {std::pair{"levX", &level.levX}, std::pair{"levY", &level.levY},
                             std::pair{"shotsX", &level.shotsX}, std::pair{"shotsY", &level.shotsY},
                             std::pair{"nextX", &level.nextX}, std::pair{"nextY", &level.nextY},
                             std::pair{"sunX", &level.sunX}, std::pair{"sunY", &level.sunY}}) {
    root.Coordinate(name, *value);
  }
  for (auto [name, value] :
       {std::pair{"mouse", &level.mouse}, std::pair{"spiderX", &level.spiderX},
        std::pair{"spiderY", &level.spiderY}, std::pair{"crow", &level.crow},
        std::pair{"snowmanX", &level.snowmanX}, std::pair{"snowmanY", &level.snowmanY}}) {
    root.Coordinate(name, *value);
  }
  root.Range("limitRagdoll", level.limitRagdoll, 0, MAX_LEVEL_RAGDOLLS);
  for (std::size_t i = 0; i < level.bodies.size(); ++i) ClampBody(level.bodies[i], i, notes);
  if (level.hasPortals) {
    TPortalEntry& p = level.portals;
    const TClamp c(notes, "portals");
    constexpr float WORLD_LIMIT = MAX_LEVEL_COORDINATE / 8;
    for (auto [name, value] : {std::pair{"xIn", &p.xIn}, std::pair{"yIn", &p.yIn},
                               std::pair{"xOut", &p.xOut}, std::pair{"yOut", &p.yOut}}) {
      c.Coordinate(name, *value, WORLD_LIMIT);
    }
    c.Angle("angleIn", p.angleIn);
    c.Angle("angleOut", p.angleOut);
    c.Range("forceOutX", p.forceOutX, -MAX_PORTAL_PUSH, MAX_PORTAL_PUSH, 0);
    c.Range("forceOutY", p.forceOutY, -MAX_PORTAL_PUSH, MAX_PORTAL_PUSH, 0);
  }
  for (std::size_t i = 0; i < level.pics.size(); ++i) {
    const TClamp c(notes, "decoration " + std::to_string(i + 1));
    c.Coordinate("x", level.pics[i].x);
    c.Coordinate("y", level.pics[i].y);
    c.Angle("angle", level.pics[i].angle);
  }
  for (std::size_t i = 0; i < level.clouds.size(); ++i) {
    const TClamp c(notes, "cloud " + std::to_string(i + 1));
    c.Coordinate("x", level.clouds[i].x);
    c.Coordinate("y", level.clouds[i].y);
    c.Range("speed", level.clouds[i].speed, -MAX_EFFECT_SPEED, MAX_EFFECT_SPEED, 0);
  }
  for (std::size_t i = 0; i < level.drops.size(); ++i) {
    const TClamp c(notes, "drop " + std::to_string(i + 1));
    c.Coordinate("x", level.drops[i].x);
    c.Coordinate("y", level.drops[i].y);
    c.Scale("scaleX", level.drops[i].scaleX, MAX_EFFECT_SCALE);
    c.Scale("scaleY", level.drops[i].scaleY, MAX_EFFECT_SCALE);
  }
  for (std::size_t i = 0; i < level.comets.size(); ++i) {
    TCometEntry& k = level.comets[i];
    const TClamp c(notes, "comet " + std::to_string(i + 1));
    for (auto [name, value] : {std::pair{"x0", &k.x0}, std::pair{"y0", &k.y0}, std::pair{"x", &k.x},
                               std::pair{"y", &k.y}}) {
      c.Coordinate(name, *value);
    }
    c.Scale("scaleX", k.scaleX, MAX_EFFECT_SCALE);
    c.Scale("scaleY", k.scaleY, MAX_EFFECT_SCALE);
    c.Range("speed", k.speed, -MAX_EFFECT_SPEED, MAX_EFFECT_SPEED, 0);
    c.Angle("angle", k.angle);
  }
}

/// Keeps the first `limit` entries of a section, noting once what was left out.
template <typename T>
void Limit(std::vector<T>& entries, int limit, const char* what, std::vector<std::string>& notes) {
  if (entries.size() <= static_cast<std::size_t>(limit)) return;
  notes.push_back("the level has " + std::to_string(entries.size()) + " " + what + "; the first " +
                  std::to_string(limit) + " are kept, the rest left out");
  entries.resize(static_cast<std::size_t>(limit));
}

void LimitEntries(TLevelFile& level) {
  int bodies = 0;
  int joints = 0;
  for (std::size_t i = 0; i < level.bodies.size(); ++i) {
    const TBodyEntry& entry = level.bodies[i];
    if (bodies + EntryBodies(entry) <= MAX_LEVEL_BODIES &&
        joints + EntryJoints(entry) <= MAX_LEVEL_JOINTS) {
      bodies += EntryBodies(entry);
      joints += EntryJoints(entry);
      continue;
    }
    level.notes.push_back("body " + std::to_string(i + 1) + " and the " +
                          std::to_string(level.bodies.size() - i - 1) +
                          " after it are left out: a level builds at most " +
                          std::to_string(MAX_LEVEL_BODIES) + " bodies and " +
                          std::to_string(MAX_LEVEL_JOINTS) + " joints");
    level.bodies.resize(i);
    break;
  }
  Limit(level.pics, MAX_LEVEL_DECORATIONS, "decorations", level.notes);
  Limit(level.clouds, MAX_LEVEL_CLOUDS, "clouds", level.notes);
  Limit(level.drops, MAX_LEVEL_DROPS, "drops", level.notes);
  Limit(level.comets, MAX_LEVEL_COMETS, "comets", level.notes);
}

}  // namespace

int EntryBodies(const TBodyEntry& entry) {
  if (entry.shape == "r" || entry.shape == "c") return 1;
  if (entry.shape != "l" || (entry.direct != "down" && entry.direct != "right")) return 0;
  return 1 + EntryJoints(entry);
}

int EntryJoints(const TBodyEntry& entry) {
  if (entry.shape != "l" || (entry.direct != "down" && entry.direct != "right")) return 0;
  const bool end = !entry.lastLink.empty() && (entry.shapeLast == "c" || entry.shapeLast == "r");
  return std::clamp(entry.countLinks, 0, MAX_CHAIN_LINKS) + (end ? 1 : 0);
}

std::string LevelAssetPath(int level) { return "levels/level" + std::to_string(level) + ".xml"; }

TLevelFile ReadLevelFile(const xmlDocument& document) {
  TLevelFile level;
  if (const xmlNode* root = document.FindNode("level")) {
    const TEntry e(root);
    level.fon = e.Text("fon");
    level.levX = e.Float("levX");
    level.levY = e.Float("levY");
    level.shotsX = e.Float("shotsX");
    level.shotsY = e.Float("shotsY");
    level.nextX = e.Float("nextX");
    level.nextY = e.Float("nextY");
    level.limitRagdoll = e.Int("limitRagdoll");
    level.weather = e.Text("weather");
    level.thunder = e.Text("thunder");
    level.shot = e.Int("shot");
    level.mouse = e.Int("mouse");
    level.spiderX = e.Int("spiderX");
    level.spiderY = e.Int("spiderY");
    level.sunX = e.Float("sunX");
    level.sunY = e.Float("sunY");
    level.crow = e.Int("crow");
    level.snowmanX = e.Int("snowmanX");
    level.snowmanY = e.Int("snowmanY");
    level.snowmanTyp = e.Text("snowmanTyp");
    level.gravity = e.Text("gravity");
  }
  ForEachEntry(document, "bodies", [&](const TEntry& e) { level.bodies.push_back(ReadBody(e)); });
  if (const xmlNode* node = document.FindNode("portals")) {
    const TEntry e(node);
    level.hasPortals = true;
    level.portals = TPortalEntry{e.Float("xIn"),       e.Float("yIn"),      e.Float("angleIn"),
                                 e.Float("xOut"),      e.Float("yOut"),     e.Float("angleOut"),
                                 e.Float("forceOutX"), e.Float("forceOutY")};
  }
  ForEachEntry(document, "pics", [&](const TEntry& e) {
    level.pics.push_back(TPicEntry{e.Text("Name"), e.Float("x"), e.Float("y"), e.Float("angle")});
  });
  ForEachEntry(document, "oblaka", [&](const TEntry& e) {
    level.clouds.push_back(TCloudEntry{e.Text("Name"), e.Float("x"), e.Float("y"), e.Float("speed"),
                                       e.Text("direct")});
  });
  level.hasDrops = ForEachEntry(document, "kapli", [&](const TEntry& e) {
    level.drops.push_back(
        TDropEntry{e.Int("Name"), e.Int("x"), e.Int("y"), e.Scale("scaleX"), e.Scale("scaleY")});
  });
  level.hasComets = ForEachEntry(document, "komety", [&](const TEntry& e) {
    level.comets.push_back(TCometEntry{e.Float("x0"), e.Float("y0"), e.Float("x"), e.Float("y"),
                                       e.Scale("scaleX"), e.Scale("scaleY"), e.Float("speed"),
                                       e.Float("angle")});
  });
  ClampNumbers(level);
  LimitEntries(level);
  return level;
}

TLevelFile LoadLevelFile(const std::string& path) {
  auto refuse = [&] {
    TLevelFile refused;
    refused.notes.push_back("the file " + path + " is larger than the " +
                            std::to_string(MAX_LEVEL_FILE_BYTES) +
                            " bytes a level file may have; it is not read");
    return refused;
  };
  // A file on disk is measured before it is read: it could be of any size.
  std::error_code ec;
  if (!IsEmbeddedAsset(path)) {
    const std::uintmax_t size =
        std::filesystem::is_regular_file(path, ec) ? std::filesystem::file_size(path, ec) : 0;
    if (!ec && size > MAX_LEVEL_FILE_BYTES) return refuse();
  }
  const std::optional<std::vector<std::uint8_t>> bytes = ReadAssetOrFile(path);
  if (!bytes) return TLevelFile{};
  if (bytes->size() > MAX_LEVEL_FILE_BYTES) return refuse();
  xmlDocument document;
  document.LoadBytes(*bytes, path);  // a failed parse still leaves the nodes it built
  return ReadLevelFile(document);
}

// [SECTION] Writing -------------------------------------------------------------------------------

namespace {

constexpr const char* LEVEL_DECLARATION = "<?xml version=\"1.0\" encoding=\"windows-1251\"?>";

/// Attribute writing that leaves out what reading would give anyway.
class TWriter {
 public:
  explicit TWriter(xmlNode* node) : node(node) {}
  void Text(const char* name, const std::string& value) {
    if (!value.empty()) node->AttributeValueSet(name, value);
  }
  void Float(const char* name, float value, float absent = 0) {
    if (value != absent) node->AttributeValueSet(name, LevelNumberText(value));
  }
  void Int(const char* name, int value) {
    if (value != 0) node->AttributeValueSet(name, std::to_string(value));
  }

 private:
  xmlNode* node;
};

void WriteBody(xmlNode* node, const TBodyEntry& b) {
  TWriter w(node);
  w.Text("Name", b.name);
  w.Float("x", b.x);
  w.Float("y", b.y);
  w.Float("angle", b.angle);
  w.Text("typ", b.typ);
  w.Text("shape", b.shape);
  w.Float("scaleX", b.scaleX, 1);
  w.Float("scaleY", b.scaleY, 1);
  w.Float("density", b.density, 0.1f);
  if (b.target) w.Text("target", "true");
  w.Int("countLinks", b.countLinks);
  w.Text("direct", b.direct);
  w.Text("lastLink", b.lastLink);
  w.Text("shapeLast", b.shapeLast);
  w.Text("move", b.move);
  w.Float("speed", b.speed);
  w.Float("rotatingSpeed", b.rotatingSpeed);
}

void WriteRoot(xmlNode* root, const TLevelFile& level) {
  TWriter w(root);
  w.Text("fon", level.fon);
  w.Float("levX", level.levX);
  w.Float("levY", level.levY);
  w.Float("shotsX", level.shotsX);
  w.Float("shotsY", level.shotsY);
  w.Float("nextX", level.nextX);
  w.Float("nextY", level.nextY);
  w.Int("limitRagdoll", level.limitRagdoll);
  w.Text("weather", level.weather);
  w.Text("thunder", level.thunder);
  w.Int("shot", level.shot);
  w.Int("mouse", level.mouse);
  w.Int("spiderX", level.spiderX);
  w.Int("spiderY", level.spiderY);
  w.Float("sunX", level.sunX);
  w.Float("sunY", level.sunY);
  w.Int("crow", level.crow);
  w.Int("snowmanX", level.snowmanX);
  w.Int("snowmanY", level.snowmanY);
  w.Text("snowmanTyp", level.snowmanTyp);
  w.Text("gravity", level.gravity);
}

}  // namespace

std::string LevelNumberText(float value) {
  if (value == 0 || !std::isfinite(value)) return "0";
  char text[64];
  // Fixed notation: the reader takes an exponent too, but a person editing the file reads this.
  const auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
  if (ec != std::errc()) return "0";
  return std::string(text, end);
}

std::vector<std::uint8_t> LevelFileBytes(const TLevelFile& level) {
  xmlDocument document;
  xmlNode* root = document.RootNode();
  root->NameSet("level");
  WriteRoot(root, level);
  xmlNode* bodies = root->AddChild("bodies");
  for (const TBodyEntry& b : level.bodies) WriteBody(bodies->AddChild("body"), b);
  if (level.hasPortals) {
    TWriter w(root->AddChild("portals"));
    const TPortalEntry& p = level.portals;
    w.Float("xIn", p.xIn);
    w.Float("yIn", p.yIn);
    w.Float("angleIn", p.angleIn);
    w.Float("xOut", p.xOut);
    w.Float("yOut", p.yOut);
    w.Float("angleOut", p.angleOut);
    w.Float("forceOutX", p.forceOutX);
    w.Float("forceOutY", p.forceOutY);
  }
  if (!level.pics.empty()) {
    xmlNode* pics = root->AddChild("pics");
    for (const TPicEntry& pic : level.pics) {
      TWriter w(pics->AddChild("pic"));
      w.Text("Name", pic.name);
      w.Float("x", pic.x);
      w.Float("y", pic.y);
      w.Float("angle", pic.angle);
    }
  }
  if (!level.clouds.empty()) {
    xmlNode* clouds = root->AddChild("oblaka");
    for (const TCloudEntry& cloud : level.clouds) {
      TWriter w(clouds->AddChild("oblako"));
      w.Text("Name", cloud.name);
      w.Float("x", cloud.x);
      w.Float("y", cloud.y);
      w.Float("speed", cloud.speed);
      w.Text("direct", cloud.direct);
    }
  }
  if (level.hasDrops) {
    xmlNode* drops = root->AddChild("kapli");
    for (const TDropEntry& drop : level.drops) {
      TWriter w(drops->AddChild("kapla"));
      w.Int("Name", drop.kind);
      w.Int("x", drop.x);
      w.Int("y", drop.y);
      w.Float("scaleX", drop.scaleX, 1);
      w.Float("scaleY", drop.scaleY, 1);
    }
  }
  if (level.hasComets) {
    xmlNode* comets = root->AddChild("komety");
    for (const TCometEntry& c : level.comets) {
      TWriter w(comets->AddChild("kometa"));
      w.Float("x0", c.x0);
      w.Float("y0", c.y0);
      w.Float("x", c.x);
      w.Float("y", c.y);
      w.Float("scaleX", c.scaleX, 1);
      w.Float("scaleY", c.scaleY, 1);
      w.Float("speed", c.speed);
      w.Float("angle", c.angle);
    }
  }
  std::string text;
  document.Save("", 0, &text);
  // The stored files' declaration instead of the module's plain one.
  const std::size_t lineEnd = text.find("\r\n");
  text = LEVEL_DECLARATION + text.substr(lineEnd == std::string::npos ? 0 : lineEnd);
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

bool SaveLevelFile(const std::string& path, const TLevelFile& level, std::string& error) {
  if (!WriteFileAtomic(path, LevelFileBytes(level), &error)) {
    error = "the level could not be saved as " + path + ": " + error;
    return false;
  }
  return true;
}
