// The level being edited and its history. Snapshots of the whole level make undo exact and
// simple: a level holds at most a few hundred small entries.
#include "editor/editor_level.h"

#include <algorithm>
#include <cmath>

#include "media/units.h"
#include "xml/xml_document.h"

namespace {

constexpr std::size_t MAX_HISTORY = 200;
constexpr int NEW_CHAIN_LINKS = 10;
constexpr float MIN_EDIT_SCALE = 0.1f;
constexpr float MAX_EDIT_SCALE = 5;

bool Contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

bool IsCirclePicture(const std::string& name) {
  return Contains(name, "ball") || Contains(name, "Ball") || name == "whell.png" ||
         name == "bigHead.png" || name == "circleBreak.png" || name == "target1.png" ||
         name == "target2.png";
}

bool IsDynamicPicture(const std::string& name) {
  return Contains(name, "dynamic") || Contains(name, "ball") || Contains(name, "Ball") ||
         Contains(name, "break") || Contains(name, "Break") || name.starts_with("her") ||
         name == "whell.png" || name == "bigHead.png" || name == "verySmallBox.png";
}

}  // namespace

const std::vector<std::string>& BodyPictureNames() {
  static const std::vector<std::string> names = {"staticBoxSmall.png",
                                                 "staticBoxMedium.png",
                                                 "staticBoxBig.png",
                                                 "staticBoxBigGorizontal.png",
                                                 "staticPlankSmall.png",
                                                 "staticPlankSmallGorizontal.png",
                                                 "staticPlankBig.png",
                                                 "staticPlankBigGorizontal.png",
                                                 "borderPlankGorizontal.png",
                                                 "borderPlankGorizontal1Big.png",
                                                 "borderPlankGorizontal1Small.png",
                                                 "borderPlankVertical.png",
                                                 "borderPlankVertical1Big.png",
                                                 "borderPlankVertical1Small.png",
                                                 "veryBigPlankGorizontal.png",
                                                 "veryBigPlankVertical.png",
                                                 "thinPlankGorizontal.png",
                                                 "thinPlankGorizontalSmall.png",
                                                 "thinPlankVertical.png",
                                                 "invisiblePlank.png",
                                                 "target.png",
                                                 "target1.png",
                                                 "target2.png",
                                                 "dynamicBoxSmoll.png",
                                                 "dynamicBoxMedium.png",
                                                 "dynamicBoxBig.png",
                                                 "dynamicBoxBigGorizont.png",
                                                 "dynamicPlankSmall.png",
                                                 "dynamicPlankBig.png",
                                                 "dynamicPlankBigVertical.png",
                                                 "verySmallBox.png",
                                                 "breakBox.png",
                                                 "breakBoxGorizontal.png",
                                                 "circleBreak.png",
                                                 "ballSmall1.png",
                                                 "ballMedium1.png",
                                                 "ballMedium2.png",
                                                 "ballBig1.png",
                                                 "ballBig2.png",
                                                 "veryBigBall.png",
                                                 "superBall.png",
                                                 "bigHead.png",
                                                 "whell.png",
                                                 "movingPlankSmallGorizont.png",
                                                 "movingPlankSmallVertical.png",
                                                 "movingPlankBigGorizont.png",
                                                 "movingPlankBigVertical.png",
                                                 "link.png",
                                                 "bracket1.png",
                                                 "cannon1.png",
                                                 "staticPortalBox.png",
                                                 "berezBrevno.png",
                                                 "sugrob.png",
                                                 "veryBigBrick.png",
                                                 "ice1.png",
                                                 "ice2.png",
                                                 "ice3.png",
                                                 "her1.png",
                                                 "her2.png",
                                                 "her3.png",
                                                 "her4.png",
                                                 "her5.png",
                                                 "her6.png",
                                                 "her7.png",
                                                 "her8.png"};
  return names;
}

const std::vector<std::string>& DecorationPictureNames() {
  static const std::vector<std::string> names = {
      "akazia.png",         "akvarium.png",     "bereza2.png",   "bereza4.png",
      "bigDub.png",         "brickWall.png",    "cactus1.png",   "cactus2.png",
      "cactus3.png",        "elka1.png",        "elka2.png",     "elka3.png",
      "goal_txt.png",       "grib1.png",        "grib2.png",     "here_txt.png",
      "izba.png",           "izbaSnow.png",     "kiparis.png",   "klen.png",
      "kust1.png",          "kust2.png",        "les.png",       "les1.png",
      "les2.png",           "lesPalm.png",      "osina.png",     "osoka.png",
      "pautina1.png",       "pautina2.png",     "planeta.png",   "planeta2.png",
      "poverhnost.png",     "raskidistoe.png",  "realPalma.png", "smallPalma.png",
      "snegovikStatic.png", "staticSpider.png", "sugrob1.png",   "sugrob3.png",
      "swod.png",           "trava1.png",       "trava2.png",    "travokust1.png",
      "upZvetok.png",       "zemlya.png"};
  return names;
}

const std::vector<std::string>& CloudPictureNames() {
  static const std::vector<std::string> names = {"oblako1.png", "oblako2.png", "oblako3.png"};
  return names;
}

const std::vector<std::string>& BackgroundNames() {
  static const std::vector<std::string> names = {
      "fon1.jpg", "fon2.jpg", "fon3.jpg",  "fon4.jpg",  "fon5.jpg",  "fon6.jpg",  "fon7.jpg",
      "fon8.jpg", "fon9.jpg", "fon10.jpg", "fon12.jpg", "fon13.jpg", "fon14.jpg", "fon15.jpg"};
  return names;
}

const std::vector<float>& DensitySteps() {
  static const std::vector<float> steps = {0.1f, 0.5f, 1, 2, 5, 0.02f};
  return steps;
}

TBodyEntry NewBodyEntry(const std::string& name, float x, float y) {
  TBodyEntry b;
  b.name = name;
  b.x = x;
  b.y = y;
  b.shape = IsCirclePicture(name) ? "c" : "r";
  b.typ = IsDynamicPicture(name) ? "d" : "s";
  b.target = name.starts_with("target");
  if (name == "link.png") {
    b.shape = "l";
    b.typ = "d";
    b.countLinks = NEW_CHAIN_LINKS;
    b.direct = "down";
  }
  if (name.starts_with("moving")) b.speed = 0.2f;
  return b;
}

TLevelFile NewEditorLevel() {
  TLevelFile level;
  level.fon = "fon1.jpg";
  level.levX = 65;
  level.levY = 30;
  level.shotsX = 67;
  level.shotsY = 55;
  level.nextX = 400;
  level.nextY = 300;
  level.limitRagdoll = 20;
  level.bodies.push_back(NewBodyEntry("borderPlankGorizontal1Big.png", 400, 595));
  return level;
}

TEditorLevel::TEditorLevel(TPictureSize pictureSize) : pictureSize(std::move(pictureSize)) {
  Reset(NewEditorLevel());
}

void TEditorLevel::Reset(TLevelFile newLevel) {
  level = std::move(newLevel);
  level.notes.clear();
  undo.clear();
  redo.clear();
  selected = -1;
  dragging = false;
  modified = false;
}

void TEditorLevel::Select(int index) {
  selected = index >= 0 && index < static_cast<int>(level.bodies.size()) ? index : -1;
}

const TBodyEntry* TEditorLevel::SelectedBody() const {
  return selected >= 0 ? &level.bodies[static_cast<std::size_t>(selected)] : nullptr;
}

int TEditorLevel::BodyAt(float x, float y) const {
  for (int i = static_cast<int>(level.bodies.size()) - 1; i >= 0; --i) {
    const TBodyEntry& b = level.bodies[static_cast<std::size_t>(i)];
    const auto [w, h] = pictureSize ? pictureSize(b.name) : std::pair{0, 0};
    // The point in the body's own frame: its angle turns counter-clockwise on screen.
    const double a = b.angle * PI_DOUBLE / 180;
    const double dx = x - b.x, dy = y - b.y;
    const double u = dx * std::cos(a) - dy * std::sin(a);
    const double v = dx * std::sin(a) + dy * std::cos(a);
    const double halfW = std::max(w * b.scaleX / 2.0, 4.0),
                 halfH = std::max(h * b.scaleY / 2.0, 4.0);
    if (std::fabs(u) <= halfW && std::fabs(v) <= halfH) return i;
  }
  return -1;
}

float TEditorLevel::Snap(float value) const {
  if (grid <= 0) return value;
  return std::round(value / static_cast<float>(grid)) * static_cast<float>(grid);
}

void TEditorLevel::Commit(TLevelFile before) {
  modified = true;
  redo.clear();
  undo.emplace_back(std::move(before), selected);
  if (undo.size() > MAX_HISTORY) undo.erase(undo.begin());
}

void TEditorLevel::Normalise() {
  // Through the file format and back: what the editor holds is what a file can say.
  const std::vector<std::uint8_t> bytes = LevelFileBytes(level);
  xmlDocument document;
  document.LoadBytes(bytes);
  level = ReadLevelFile(document);
  level.notes.clear();
  Select(selected);
}

bool TEditorLevel::Add(const TBodyEntry& body) {
  TLevelFile before = level;
  const int selectedBefore = selected;
  TBodyEntry placed = body;
  placed.x = Snap(placed.x);
  placed.y = Snap(placed.y);
  level.bodies.push_back(placed);
  Normalise();
  if (level.bodies.size() != before.bodies.size() + 1) {  // over the limits: the reader cut it
    level = std::move(before);
    Select(selectedBefore);
    return false;
  }
  selected = selectedBefore;
  Commit(std::move(before));
  selected = static_cast<int>(level.bodies.size()) - 1;
  return true;
}

void TEditorLevel::Edit(const std::function<void(TBodyEntry&)>& change) {
  if (selected < 0) return;
  TBodyEntry& body = level.bodies[static_cast<std::size_t>(selected)];
  const TBodyEntry old = body;
  change(body);
  body.x = std::clamp(body.x, -MAX_LEVEL_COORDINATE, MAX_LEVEL_COORDINATE);
  body.y = std::clamp(body.y, -MAX_LEVEL_COORDINATE, MAX_LEVEL_COORDINATE);
  body.angle = std::remainder(body.angle, 360.0f);
  body.scaleX = std::clamp(body.scaleX, MIN_EDIT_SCALE, MAX_EDIT_SCALE);
  body.scaleY = std::clamp(body.scaleY, MIN_EDIT_SCALE, MAX_EDIT_SCALE);
  body.countLinks = std::clamp(body.countLinks, 1, MAX_CHAIN_LINKS);
  if (body.shape != "l") body.countLinks = 0;
  body.speed = std::clamp(body.speed, -MAX_SLIDER_SPEED, MAX_SLIDER_SPEED);
  body.rotatingSpeed = std::clamp(body.rotatingSpeed, -MAX_TURNING_SPEED, MAX_TURNING_SPEED);
  if (body == old) return;
  if (dragging && dragCommitted) return;
  TLevelFile before = level;
  before.bodies[static_cast<std::size_t>(selected)] = old;
  Commit(std::move(before));
  if (dragging) dragCommitted = true;
}

void TEditorLevel::MoveTo(float x, float y) {
  Edit([&](TBodyEntry& b) {
    b.x = Snap(x);
    b.y = Snap(y);
  });
}

void TEditorLevel::MoveBy(float dx, float dy) {
  Edit([&](TBodyEntry& b) {
    b.x += dx;
    b.y += dy;
  });
}

void TEditorLevel::Rotate(float degrees) {
  Edit([&](TBodyEntry& b) { b.angle += degrees; });
}

void TEditorLevel::Scale(float factor, bool both) {
  Edit([&](TBodyEntry& b) {
    b.scaleX *= factor;
    if (both) b.scaleY *= factor;
  });
}

void TEditorLevel::Duplicate() {
  const TBodyEntry* body = SelectedBody();
  if (body == nullptr) return;
  TBodyEntry copy = *body;
  const float step = grid > 0 ? static_cast<float>(std::max(grid, 16)) : 16;
  copy.x += step;
  copy.y += step;
  Add(copy);
}

void TEditorLevel::Delete() {
  if (selected < 0) return;
  Commit(level);
  level.bodies.erase(level.bodies.begin() + selected);
  selected = -1;
}

void TEditorLevel::ToggleDynamic() {
  Edit([](TBodyEntry& b) { b.typ = b.typ == "d" ? "s" : "d"; });
}

void TEditorLevel::ToggleTarget() {
  Edit([](TBodyEntry& b) { b.target = !b.target; });
}

void TEditorLevel::NextMaterial() {
  Edit([](TBodyEntry& b) {
    const std::vector<float>& steps = DensitySteps();
    auto at = std::find(steps.begin(), steps.end(), b.density);
    b.density = at == steps.end() || at + 1 == steps.end() ? steps.front() : *(at + 1);
  });
}

void TEditorLevel::ToggleShape() {
  Edit([](TBodyEntry& b) {
    if (b.shape == "r")
      b.shape = "c";
    else if (b.shape == "c")
      b.shape = "r";
  });
}

void TEditorLevel::ChangeLinks(int delta) {
  Edit([&](TBodyEntry& b) {
    if (b.shape == "l") b.countLinks += delta;
  });
}

void TEditorLevel::ToggleChainDirection() {
  Edit([](TBodyEntry& b) {
    if (b.shape == "l") b.direct = b.direct == "down" ? "right" : "down";
  });
}

void TEditorLevel::NextChainEnd() {
  Edit([](TBodyEntry& b) {
    if (b.shape != "l") return;
    if (b.lastLink.empty()) {
      b.lastLink = "ballMedium1.png";
      b.shapeLast = "c";
    } else if (b.shapeLast == "c") {
      b.lastLink = "dynamicBoxSmoll.png";
      b.shapeLast = "r";
    } else {
      b.lastLink.clear();
      b.shapeLast.clear();
    }
  });
}

void TEditorLevel::NextSlide() {
  Edit([](TBodyEntry& b) {
    if (b.shape != "r") return;
    static const std::vector<std::string> order = {"", "left", "right", "up", "down"};
    auto at = std::find(order.begin(), order.end(), b.move);
    b.move = at == order.end() || at + 1 == order.end() ? order.front() : *(at + 1);
    if (!b.move.empty() && b.speed == 0) b.speed = 0.2f;
  });
}

void TEditorLevel::ChangeSlideSpeed(float delta) {
  Edit([&](TBodyEntry& b) { b.speed = std::round((b.speed + delta) * 100) / 100; });
}

void TEditorLevel::ChangeTurning(float delta) {
  Edit([&](TBodyEntry& b) {
    b.rotatingSpeed = std::round((b.rotatingSpeed + delta) * 100) / 100;
    if (b.rotatingSpeed != 0) b.typ = "s";  // only a static body turns
  });
}

void TEditorLevel::Change(const std::function<void(TLevelFile&)>& change) {
  TLevelFile before = level;
  change(level);
  Normalise();
  if (LevelFileBytes(level) == LevelFileBytes(before)) return;
  Commit(std::move(before));
}

bool TEditorLevel::Undo() {
  if (undo.empty()) return false;
  redo.emplace_back(level, selected);
  std::tie(level, selected) = std::move(undo.back());
  undo.pop_back();
  modified = true;
  Select(selected);
  return true;
}

bool TEditorLevel::Redo() {
  if (redo.empty()) return false;
  undo.emplace_back(level, selected);
  std::tie(level, selected) = std::move(redo.back());
  redo.pop_back();
  modified = true;
  Select(selected);
  return true;
}

void TEditorLevel::BeginDrag() {
  dragging = true;
  dragCommitted = false;
}

void TEditorLevel::EndDrag() { dragging = false; }
