// The gadget base: geometry, colours, fonts, children, clipping and the mouse state machine that
// every widget follows (pressed gadgets keep the mouse until the button goes up).
#include "gui/kiv_gadget.h"

#include <algorithm>

#include "gui/gui_local.h"
#include "gui/kiv_gui.h"

using namespace kiv_local;

void kiv_TGadget::PopulateGadget(const std::string& name, int x, int y, int w, int h,
                                 kiv_TGadget* parent) {
  gName = name;
  gX = static_cast<float>(x);
  gY = static_cast<float>(y);
  gW = static_cast<float>(w);
  gH = static_cast<float>(h);
  gFont = kiv_GUI::GetFont("default");
  if (parent != nullptr) parent->AddChild(shared_from_this());
}

void kiv_TGadget::Render(float parentX, float parentY) {
  if (gChildren.empty()) return;
  kiv_State::Push();
  int vx = 0, vy = 0, vw = 0, vh = 0;
  GetViewport(vx, vy, vw, vh);
  const int left = std::max(vx, TruncToInt(parentX + gX + BOUNDARY));
  const int top = std::max(vy, TruncToInt(parentY + gY + BOUNDARY));
  const int right =
      std::min(vx + vw, TruncToInt(parentX + gX + BOUNDARY) + TruncToInt(gW - DOUBLEBOUNDARY));
  const int bottom =
      std::min(vy + vh, TruncToInt(parentY + gY + BOUNDARY) + TruncToInt(gH - DOUBLEBOUNDARY));
  SetViewport(left, top, std::max(right - left, 0), std::max(bottom - top, 0));
  for (std::size_t i = 0; i < gChildren.size(); ++i)
    gChildren[i]->Render(parentX + gX, parentY + gY);
  kiv_State::Pop();
}

void kiv_TGadget::Update(float parentX, float parentY) {
  if (gState == MOUSEDOWN_STATE) {
    // A pressed gadget keeps the mouse until the button goes up, even when hidden or left.
    if (kiv_GUI::ButtonStillHeld()) {
      UpdateMouseDown(parentX, parentY);
    } else {
      UpdateMouseRelease(parentX, parentY);
    }
    return;
  }
  if (gHidden != 0) return;
  for (std::size_t i = gChildren.size(); i-- > 0;) gChildren[i]->Update(parentX + gX, parentY + gY);
  gState = IDLE_STATE;
  if (kiv_GUI::ActiveGadget(this) && MouseInside(parentX, parentY)) {
    UpdateMouseOver(parentX, parentY);
    if (kiv_GUI::ButtonPressed()) UpdateMouseDown(parentX, parentY);
  }
}

bool kiv_TGadget::MouseInside(float parentX, float parentY) {
  return MouseInRect(parentX + gX, parentY + gY, gW, gH);
}

void kiv_TGadget::UpdateMouseOver(float, float) {
  gState = MOUSEOVER_STATE;
  kiv_GUI::SetMouseOver(this, MouseX() - AbsoluteX(), MouseY() - AbsoluteY());
}

void kiv_TGadget::UpdateMouseDown(float, float) {
  kiv_GUI::SetActiveGadget(this);
  gState = MOUSEDOWN_STATE;
}

void kiv_TGadget::UpdateMouseRelease(float, float) {
  kiv_GUI::ClearActiveGadget();
  gState = MOUSERELEASE_STATE;
}

// NOTE: a gadget without parent sits on the screen at (gX, gY), so that is its absolute position;
// "MouseOver" events then give the mouse relative to the gadget for top-level panels as well.
int kiv_TGadget::AbsoluteX() {
  return TruncToInt(gX + (gParent != nullptr ? static_cast<float>(gParent->AbsoluteX()) : 0.0f));
}

int kiv_TGadget::AbsoluteY() {
  return TruncToInt(gY + (gParent != nullptr ? static_cast<float>(gParent->AbsoluteY()) : 0.0f));
}

void kiv_TGadget::PositionGadget(float x, float y) {
  gX = x;
  gY = y;
}

void kiv_TGadget::MoveGadget(float dx, float dy) {
  gX += dx;
  gY += dy;
}

void kiv_TGadget::SetDimensions(float w, float h) {
  gW = w;
  gH = h;
  Refresh();
}

void kiv_TGadget::ChangeDimensions(float dw, float dh) {
  gW += dw;
  gH += dh;
  Refresh();
}

void kiv_TGadget::SetColour(int r, int g, int b, int) { gColour = {r, g, b}; }
void kiv_TGadget::SetTextColour(int r, int g, int b, int) { gTextColour = {r, g, b}; }
void kiv_TGadget::SetAlpha(float alpha, int) { gAlpha = alpha; }
void kiv_TGadget::SetTextAlpha(float alpha, int) { gTextAlpha = alpha; }

bool kiv_TGadget::ParseHexColour(const std::string& hex, std::array<int, 3>& rgb) {
  rgb = {0, 0, 0};
  if (hex.size() != 6) return false;
  std::array<int, 6> digits{};
  for (std::size_t i = 0; i < 6; ++i) {
    const char c = hex[i];
    if (c >= '0' && c <= '9') {
      digits[i] = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digits[i] = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digits[i] = c - 'A' + 10;
    } else {
      return false;  // not a colour: black, as for a text of the wrong length
    }
  }
  for (std::size_t i = 0; i < 3; ++i) rgb[i] = digits[2 * i] * 16 + digits[2 * i + 1];
  return true;
}

void kiv_TGadget::HexColour(const std::string& hex, int index) {
  std::array<int, 3> rgb{};
  ParseHexColour(hex, rgb);
  SetColour(rgb[0], rgb[1], rgb[2], index);
}

void kiv_TGadget::HexTextColour(const std::string& hex, int index) {
  std::array<int, 3> rgb{};
  ParseHexColour(hex, rgb);
  SetTextColour(rgb[0], rgb[1], rgb[2], index);
}

void kiv_TGadget::SetFont(const std::string& name) {
  gFont = kiv_GUI::GetFont(name);
  Refresh();
}

void kiv_TGadget::Hide() { gHidden = 1; }
void kiv_TGadget::Show() { gHidden = 0; }

void kiv_TGadget::AddChild(const kiv_GadgetPtr& gadget) {
  if (!gadget) return;
  gadget->gParent = this;
  gChildren.push_back(gadget);
}

kiv_GadgetPtr kiv_TGadget::GetChild(const std::string& path) {
  if (path.empty()) return nullptr;
  for (const auto& child : gChildren) {
    if (EqualsIgnoreCase(child->gName, path)) return child;
  }
  return nullptr;
}

void kiv_TGadget::Refresh() {}
