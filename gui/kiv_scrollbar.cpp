// Scroll bars: value, range and maximum in content pixels, the thumb laid out on the track, and
// the arrow, track and thumb presses. Written along one axis so vertical and horizontal bars
// share every rule.
#include "gui/kiv_scrollbar.h"

#include <algorithm>

#include "gui/gui_local.h"
#include "gui/kiv_gui.h"

using namespace kiv_local;

namespace {

constexpr int ARROW = kiv_TScrollBar::THICKNESS;  // each arrow box is as long as the bar is wide
constexpr int TRACK_INSET = 10;                   // the track picture runs under the arrows' ends
constexpr int CAP = 3;                            // thumb caps: 3 pixels of the 7-pixel picture
constexpr float MIN_THUMB = 6.0f;

struct BarSkin {
  ImagePtr track, decArrow, incArrow;
  ImagePtr startCap, middle, endCap;  // thumb pieces: top / middle / bottom (or left / right)
};

// Never destroyed, like the manager's state (see kiv_gui.cpp).
BarSkin& VerticalSkin() {
  static BarSkin& skin = *new BarSkin;
  return skin;
}

BarSkin& HorizontalSkin() {
  static BarSkin& skin = *new BarSkin;
  return skin;
}

bool& HorizontalWanted() {
  static bool wanted = false;
  return wanted;
}

void LoadVertical() {
  BarSkin& s = VerticalSkin();
  s.track = LoadSkinImage("/graphics/scrollback.png");
  s.decArrow = LoadSkinImage("/graphics/scrollup.png");
  s.incArrow = LoadSkinImage("/graphics/scrolldown.png");
  s.startCap = LoadSkinPart("/graphics/vscrollbar.png", 0, 0, ARROW, CAP);
  s.middle = LoadSkinPart("/graphics/vscrollbar.png", 0, CAP, ARROW, 1);
  s.endCap = LoadSkinPart("/graphics/vscrollbar.png", 0, CAP + 1, ARROW, CAP);
}

// The game has only vertical bars; the horizontal pictures are loaded once one is created.
void LoadHorizontal() {
  BarSkin& s = HorizontalSkin();
  s = BarSkin{};
  if (!HorizontalWanted()) return;
  s.track = LoadSkinImage("/graphics/scrollback.png");
  s.decArrow = LoadSkinImage("/graphics/scrollleft.png");
  s.incArrow = LoadSkinImage("/graphics/scrollright.png");
  s.startCap = LoadSkinPart("/graphics/hscrollbar.png", 0, 0, CAP, ARROW);
  s.middle = LoadSkinPart("/graphics/hscrollbar.png", CAP, 0, 1, ARROW);
  s.endCap = LoadSkinPart("/graphics/hscrollbar.png", CAP + 1, 0, CAP, ARROW);
}

}  // namespace

int kiv_TScrollBar::MouseAlong() const { return Vertical() ? MouseY() : MouseX(); }

void kiv_TScrollBar::Render(float parentX, float parentY) {
  if (gHidden != 0) return;
  const BarSkin& s = Vertical() ? VerticalSkin() : HorizontalSkin();
  SetColor(gColour[0], gColour[1], gColour[2]);
  ::SetAlpha(gAlpha);
  const float x = parentX + gX;
  const float y = parentY + gY;
  const auto stretch = [](const ImagePtr& image, float ix, float iy, float iw, float ih) {
    if (image && iw > 0 && ih > 0) DrawImageRect(image, ix, iy, iw, ih);
  };
  const auto place = [](const ImagePtr& image, float ix, float iy) {
    if (image) DrawImage(image, ix, iy);
  };
  const float middle = gLength - 2 * CAP;
  if (Vertical()) {
    const float thumb = parentY + gStart;
    stretch(s.track, x, y + TRACK_INSET, gW, gH - 2 * TRACK_INSET);
    place(s.decArrow, x, y);
    place(s.incArrow, x, y + gH - ARROW);
    stretch(s.startCap, x, thumb, gW, CAP);
    stretch(s.middle, x, thumb + CAP, gW, middle);
    stretch(s.endCap, x, thumb + gLength - CAP, gW, CAP);
  } else {
    const float thumb = parentX + gStart;
    stretch(s.track, x + TRACK_INSET, y, gW - 2 * TRACK_INSET, gH);
    place(s.decArrow, x, y);
    place(s.incArrow, x + gW - ARROW, y);
    stretch(s.startCap, thumb, y, CAP, gH);
    stretch(s.middle, thumb + CAP, y, middle, gH);
    stretch(s.endCap, thumb + gLength - CAP, y, CAP, gH);
  }
  kiv_TGadget::Render(parentX, parentY);
}

void kiv_TScrollBar::UpdateMouseOver(float parentX, float parentY) {
  kiv_GUI::SetCursor(1);
  kiv_TGadget::UpdateMouseOver(parentX, parentY);
}

void kiv_TScrollBar::UpdateMouseDown(float parentX, float parentY) {
  kiv_GUI::SetCursor(2);
  kiv_TGadget::UpdateMouseDown(parentX, parentY);
  const float x = parentX + gX;
  const float y = parentY + gY;
  const float parentAlong = Vertical() ? parentY : parentX;
  const float start = Vertical() ? y : x;
  const float size = AlongSize();
  const float thumb = parentAlong + gStart;
  // A box along the bar: [from, from + length) on the axis, the bar's full thickness across it.
  const auto inBox = [&](float from, float length) {
    return Vertical() ? MouseInRect(x, from, gW, length) : MouseInRect(from, y, length, gH);
  };
  if (gPart == NO_PART) {
    if (inBox(start, ARROW)) {
      gPart = DEC_PART;
    } else if (inBox(start + size - ARROW, ARROW)) {
      gPart = INC_PART;
    } else if (inBox(thumb, gLength)) {
      gPart = BAR_PART;
      gGrab = MouseAlong() - TruncToInt(thumb);
    } else if (inBox(start + ARROW, size - 2 * ARROW)) {
      gPart = static_cast<float>(MouseAlong()) >= thumb ? BIGINC_PART : BIGDEC_PART;
    }
  }
  if (gPart == BAR_PART)
    SetPosition(static_cast<float>(MouseAlong()) - parentAlong - static_cast<float>(gGrab));
}

void kiv_TScrollBar::UpdateMouseRelease(float parentX, float parentY) {
  kiv_TGadget::UpdateMouseRelease(parentX, parentY);
  switch (gPart) {
    case DEC_PART: SetValue(gValue - gInc); break;
    case INC_PART: SetValue(gValue + gInc); break;
    case BIGDEC_PART: SetValue(gValue - gBig); break;
    case BIGINC_PART: SetValue(gValue + gBig); break;
    default: break;
  }
  gPart = NO_PART;
}

void kiv_TScrollBar::SetValue(int value) {
  gValue = std::max(std::min(value, gMax - gRange), 0);
  UpdateBarPos();
  kiv_CreateEvent(EVENT_GADGETACTION, shared_from_this(), gValue, 0, 0);
}

void kiv_TScrollBar::SetPosition(float position) {
  const float first = AlongPos() + ARROW;
  const float last = AlongPos() + AlongSize() - (gLength + ARROW);
  if (position < first) {
    gValue = 0;
    gStart = first;
  } else if (position > last) {
    gValue = std::max(gMax - gRange, 0);
    gStart = last;
  } else {
    gValue = gUnit > 0 ? TruncToInt((position - first) / gUnit) : 0;
    gStart = position;
  }
  kiv_CreateEvent(EVENT_GADGETACTION, shared_from_this(), gValue, 0, 0);
}

void kiv_TScrollBar::SetLength(int length) {
  if (Vertical()) {
    gH = static_cast<float>(length);
  } else {
    gW = static_cast<float>(length);
  }
  UpdateBarLength();
}

void kiv_TScrollBar::SetRange(int range) {
  gRange = std::max(range, 1);
  gValue = std::max(std::min(gValue, gMax - gRange), 0);
  UpdateBarLength();
}

void kiv_TScrollBar::SetMax(int max) {
  gMax = std::max(max, 1);
  gValue = std::max(std::min(gValue, gMax - gRange), 0);
  UpdateBarLength();
}

void kiv_TScrollBar::SetInc(int step) { gInc = std::max(step, 0); }
void kiv_TScrollBar::SetBigInc(int step) { gBig = std::max(step, 0); }

void kiv_TScrollBar::UpdateBarLength() {
  const float track = AlongSize() - 2 * ARROW;
  gUnit = track / static_cast<float>(gMax);
  gLength =
      std::max(std::min(std::max(static_cast<float>(gRange) * gUnit, MIN_THUMB), track), 0.0f);
  UpdateBarPos();
}

void kiv_TScrollBar::UpdateBarPos() {
  gStart = static_cast<float>(gValue) * gUnit + AlongPos() + ARROW;
}

kiv_ScrollBarPtr kiv_TScrollBar::Create(const std::string& name, int x, int y, int length,
                                        int align, int max, int range,
                                        const kiv_GadgetPtr& parent) {
  if (name.empty()) return nullptr;
  auto bar = std::make_shared<kiv_TScrollBar>();
  bar->gAlign = align;
  if (bar->Vertical()) {
    bar->PopulateGadget(name, x, y, THICKNESS, length, parent.get());
  } else {
    bar->PopulateGadget(name, x, y, length, THICKNESS, parent.get());
    if (!HorizontalWanted()) {
      HorizontalWanted() = true;
      LoadHorizontal();
    }
  }
  bar->SetMax(max);
  bar->SetRange(range);
  return bar;
}

void kiv_TScrollBar::RefreshSkin() {
  LoadVertical();
  LoadHorizontal();
}
