// TEditorLevel, the level being edited: a level file's contents, the selected entry and the
// history for undo and redo. Every change goes through it, so that a change is one step back
// and the level stays one a level file can hold (values in the reader's ranges, entries within
// the limits). Knows nothing of drawing or input: the editor screen (editor/editor.h) and the
// tests drive it alike.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "game/level_file.h"

/// Body pictures of the level vocabulary, in palette order.
const std::vector<std::string>& BodyPictureNames();
/// Decoration and cloud pictures, and the backgrounds, a level may name.
const std::vector<std::string>& DecorationPictureNames();
const std::vector<std::string>& CloudPictureNames();
const std::vector<std::string>& BackgroundNames();

/// A new body of picture `name` at (x, y) pixels, with the shape, kind and target its picture
/// suggests: balls and wheels are circles, link.png a chain of 10 links, target pictures
/// targets, "dynamic", ball and breakable pictures dynamic, the rest static.
TBodyEntry NewBodyEntry(const std::string& name, float x, float y);
/// A level to start from: a floor and the level-wide settings of a stored level (counters,
/// ragdoll limit, a background), no target yet.
TLevelFile NewEditorLevel();

/// Material presets: the density of a dynamic body.
const std::vector<float>& DensitySteps();

class TEditorLevel {
 public:
  /// Sizes of pictures in pixels by body picture name ({0, 0} when unknown); used to pick
  /// bodies under a point.
  using TPictureSize = std::function<std::pair<int, int>(const std::string& name)>;

  explicit TEditorLevel(TPictureSize pictureSize);

  const TLevelFile& Level() const { return level; }
  /// Replaces the whole level (new, opened, copied) and forgets the history.
  void Reset(TLevelFile newLevel);

  /// Index of the selected body, -1 for none.
  int Selected() const { return selected; }
  void Select(int index);
  const TBodyEntry* SelectedBody() const;
  /// Topmost body (drawn last) whose picture covers the pixel (x, y); -1 for none.
  int BodyAt(float x, float y) const;

  /// Snap grid in pixels; 0 is off. Placing and moving snap centres to it.
  int Grid() const { return grid; }
  void SetGrid(int pixels) { grid = pixels; }
  float Snap(float value) const;

  // Changes: each is one step of the history; a change that changes nothing adds none.
  /// Adds a body (the new one is selected); false when the level's limits leave no room.
  bool Add(const TBodyEntry& body);
  /// Moves the selected body to (x, y), snapped.
  void MoveTo(float x, float y);
  void MoveBy(float dx, float dy);
  void Rotate(float degrees);
  /// Multiplies both scales (`both`) or only the x scale.
  void Scale(float factor, bool both = true);
  void Duplicate();
  void Delete();
  void ToggleDynamic();
  void ToggleTarget();
  /// Next density preset for the selected body.
  void NextMaterial();
  /// Circle and box swap shape; a chain stays one.
  void ToggleShape();
  // Chains.
  void ChangeLinks(int delta);
  void ToggleChainDirection();
  /// Cycles the chain end: none, ballMedium1.png circle, dynamicBoxSmoll.png box.
  void NextChainEnd();
  // Sliders and turning bodies.
  /// Cycles the slide direction: none, left, right, up, down.
  void NextSlide();
  void ChangeSlideSpeed(float delta);
  void ChangeTurning(float delta);
  /// Applies `change` to the level as one step (level-wide settings, portals, decorations):
  /// the result is clamped and cut like a file that is read.
  void Change(const std::function<void(TLevelFile&)>& change);

  /// One step back or forward; false when there is none.
  bool Undo();
  bool Redo();
  bool CanUndo() const { return !undo.empty(); }
  bool CanRedo() const { return !redo.empty(); }

  /// Starts a drag: changes until EndDrag are one step.
  void BeginDrag();
  void EndDrag();

  /// Changes since the level was set or last marked saved.
  bool IsModified() const { return modified; }
  void MarkSaved() { modified = false; }

 private:
  void Edit(const std::function<void(TBodyEntry&)>& change);
  void Commit(TLevelFile before);
  void Normalise();

  TPictureSize pictureSize;
  TLevelFile level;
  int selected = -1;
  int grid = 8;
  bool dragging = false;
  bool dragCommitted = false;  ///< the drag's one step is in the history
  bool modified = false;
  std::vector<std::pair<TLevelFile, int>> undo, redo;  ///< levels with their selection
};
