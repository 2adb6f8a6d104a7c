// kiv_TScrollBar: a scroll bar 15 pixels wide with two arrows, a track and a thumb sized to the
// visible share of the content. Values are in content pixels; every value change posts
// "GadgetAction" with the new value. Tables create a vertical one beside themselves.
#pragma once

#include <memory>
#include <string>

#include "gui/kiv_gadget.h"

class kiv_TScrollBar;
using kiv_ScrollBarPtr = std::shared_ptr<kiv_TScrollBar>;

class kiv_TScrollBar : public kiv_TGadget {
 public:
  static constexpr int NO_PART = 0;
  static constexpr int BAR_PART = 1;
  static constexpr int DEC_PART = 2;
  static constexpr int INC_PART = 3;
  static constexpr int BIGDEC_PART = 4;
  static constexpr int BIGINC_PART = 5;
  static constexpr int VERT_ALIGN = 0;
  static constexpr int HORIZ_ALIGN = 1;
  static constexpr int THICKNESS = 15;  ///< width of the bar, and length of each arrow

  int gAlign = VERT_ALIGN;
  int gValue = 0;        ///< pixels scrolled, 0..gMax - gRange
  int gRange = 1;        ///< visible extent
  int gMax = 1;          ///< total extent
  float gUnit = 0.0f;    ///< track pixels per value unit
  int gBig = 10;         ///< large step (a press on the track)
  int gInc = 1;          ///< small step (an arrow, a wheel step)
  float gStart = 0.0f;   ///< thumb start in parent coordinates
  float gLength = 0.0f;  ///< thumb length
  int gPart = NO_PART;   ///< part being pressed
  int gGrab = 0;         ///< where the thumb was grabbed, from its start

  void Render(float parentX, float parentY) override;
  void UpdateMouseOver(float parentX, float parentY) override;
  void UpdateMouseDown(float parentX, float parentY) override;
  /// Applies the step of the pressed part; tables call it with (0, 0) for a wheel step.
  void UpdateMouseRelease(float parentX, float parentY) override;

  /// Clamps to 0..gMax - gRange, moves the thumb and posts "GadgetAction" (data = value).
  void SetValue(int value);
  int GetValue() const { return gValue; }
  /// Puts the thumb start at `position` (parent coordinates) and sets the value from it.
  void SetPosition(float position);
  /// Length of the whole bar along its axis.
  void SetLength(int length);
  void SetRange(int range);
  void SetMax(int max);
  int GetRange() const { return gRange; }
  int GetMax() const { return gMax; }
  void SetInc(int step);
  void SetBigInc(int step);
  void UpdateBarLength();
  void UpdateBarPos();

  static kiv_ScrollBarPtr Create(const std::string& name, int x, int y, int length, int align,
                                 int max, int range, const kiv_GadgetPtr& parent);
  /// Loads the track, arrow and thumb pictures from the skin folder.
  static void RefreshSkin();

 private:
  bool Vertical() const { return gAlign != HORIZ_ALIGN; }
  float AlongPos() const { return Vertical() ? gY : gX; }
  float AlongSize() const { return Vertical() ? gH : gW; }
  int MouseAlong() const;
};
