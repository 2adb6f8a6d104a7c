// kiv_TGadget: the base of every widget of the toolkit. It holds the geometry (relative to the
// parent gadget), colours, font and the mouse state machine that buttons, tables, panels and
// scroll bars build on; children are drawn clipped two pixels inside their parent.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "media/media.h"

class kiv_TGadget;
using kiv_GadgetPtr = std::shared_ptr<kiv_TGadget>;

/// An object carried by an event or a table row. Store any shared object and cast it back with
/// std::static_pointer_cast to the type that was stored (a "SetScreen" event carries a
/// kiv_TScreen).
using kiv_Object = std::shared_ptr<void>;

class kiv_TGadget : public std::enable_shared_from_this<kiv_TGadget> {
 public:
  static constexpr int IDLE_STATE = 0;
  static constexpr int MOUSEOVER_STATE = 1;
  static constexpr int MOUSEDOWN_STATE = 2;
  static constexpr int MOUSERELEASE_STATE = 3;
  static constexpr int BOUNDARY = 2;  ///< children are clipped this many pixels inside
  static constexpr int DOUBLEBOUNDARY = 4;

  kiv_TGadget() = default;
  virtual ~kiv_TGadget() = default;
  kiv_TGadget(const kiv_TGadget&) = delete;
  kiv_TGadget& operator=(const kiv_TGadget&) = delete;

  std::string gName;
  float gX = 0, gY = 0, gW = 0, gH = 0;  ///< position relative to the parent; size (pixels)
  kiv_TGadget* gParent = nullptr;        ///< not owned: the parent owns its children
  std::vector<kiv_GadgetPtr> gChildren;
  std::array<int, 3> gColour{255, 255, 255};
  std::array<int, 3> gTextColour{0, 0, 0};
  float gAlpha = 1.0f;
  float gTextAlpha = 1.0f;
  FontPtr gFont;  ///< null draws with the media layer's built-in font
  int gHidden = 0;
  int gState = IDLE_STATE;

  /// Stores name and geometry, takes the font registered as "default" and joins `parent`.
  /// The gadget must already be owned by a std::shared_ptr.
  virtual void PopulateGadget(const std::string& name, int x, int y, int w, int h,
                              kiv_TGadget* parent);
  /// Draws the children clipped to this gadget; widgets draw themselves first, then call this.
  virtual void Render(float parentX, float parentY);
  /// One frame of the mouse state machine; (parentX, parentY) is the parent's screen position.
  virtual void Update(float parentX, float parentY);
  virtual void UpdateMouseOver(float parentX, float parentY);
  virtual void UpdateMouseDown(float parentX, float parentY);
  virtual void UpdateMouseRelease(float parentX, float parentY);
  /// Screen position, truncated to whole pixels.
  virtual int AbsoluteX();
  virtual int AbsoluteY();
  virtual void PositionGadget(float x, float y);
  virtual void MoveGadget(float dx, float dy);
  virtual void SetDimensions(float w, float h);
  virtual void ChangeDimensions(float dw, float dh);
  /// Colour setters; `index` selects a colour in widgets that have several (tables).
  virtual void SetColour(int r, int g, int b, int index = 0);
  /// Six hexadecimal digits "RRGGBB" in either case; anything else gives black.
  virtual void HexColour(const std::string& hex, int index = 0);
  virtual void SetTextColour(int r, int g, int b, int index = 0);
  virtual void HexTextColour(const std::string& hex, int index = 0);
  virtual void SetAlpha(float alpha, int index = 0);
  virtual void SetTextAlpha(float alpha, int index = 0);
  /// Font registered under `name` (any case); an unknown name selects the built-in font.
  virtual void SetFont(const std::string& name);
  virtual void Hide();
  virtual void Show();
  virtual void AddChild(const kiv_GadgetPtr& gadget);
  /// First child named `path` ignoring case; null for "" or no match.
  virtual kiv_GadgetPtr GetChild(const std::string& path);
  /// Recomputes what depends on text, font or size (captions, label geometry, table layout).
  virtual void Refresh();

  /// Parses "RRGGBB"; false (and black) for any other text.
  static bool ParseHexColour(const std::string& hex, std::array<int, 3>& rgb);

 protected:
  /// Mouse inside the gadget placed at (parentX, parentY); widgets with another shape override.
  virtual bool MouseInside(float parentX, float parentY);
};
