// Reading a level file: sections are found anywhere by name, their children are taken by
// position whatever their element names, and every value goes through the runtime's text-to-
// number conversions (a leading number, else 0).
#include "game/level_file.h"

#include <algorithm>
#include <cctype>

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

}  // namespace

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
    level.portals = TPortalEntry{e.Float("xIn"),  e.Float("yIn"),  e.Float("angleIn"),   e.Float("xOut"),
                                 e.Float("yOut"), e.Float("angleOut"), e.Float("forceOutX"), e.Float("forceOutY")};
  }
  ForEachEntry(document, "pics", [&](const TEntry& e) {
    level.pics.push_back(TPicEntry{e.Text("Name"), e.Float("x"), e.Float("y"), e.Float("angle")});
  });
  ForEachEntry(document, "oblaka", [&](const TEntry& e) {
    level.clouds.push_back(TCloudEntry{e.Text("Name"), e.Float("x"), e.Float("y"), e.Float("speed"), e.Text("direct")});
  });
  level.hasDrops = ForEachEntry(document, "kapli", [&](const TEntry& e) {
    level.drops.push_back(TDropEntry{e.Int("Name"), e.Int("x"), e.Int("y"),
                                     e.Scale("scaleX"), e.Scale("scaleY")});
  });
  level.hasComets = ForEachEntry(document, "komety", [&](const TEntry& e) {
    level.comets.push_back(TCometEntry{e.Float("x0"), e.Float("y0"), e.Float("x"), e.Float("y"), e.Scale("scaleX"),
                                       e.Scale("scaleY"), e.Float("speed"), e.Float("angle")});
  });
  return level;
}

TLevelFile LoadLevelFile(const std::string& path) {
  xmlDocument document;
  document.Load(path);  // a failed parse still leaves the nodes it built
  return ReadLevelFile(document);
}
