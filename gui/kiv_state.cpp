// The program-wide stack of saved drawing states behind kiv_State::Push and Pop.
#include "gui/kiv_state.h"

#include <vector>

#include "gui/gui_local.h"

namespace {

std::vector<kiv_State>& Stack() {
  static auto& stack = *new std::vector<kiv_State>;  // never destroyed (see kiv_gui.cpp)
  return stack;
}

}  // namespace

void kiv_local::ClearStateStack() { Stack().clear(); }

kiv_State kiv_State::Current() {
  kiv_State s;
  GetColor(s.gColour[0], s.gColour[1], s.gColour[2]);
  GetClsColor(s.gClsColour[0], s.gClsColour[1], s.gClsColour[2]);
  s.gAlpha = GetAlpha();
  GetOrigin(s.gOrigin[0], s.gOrigin[1]);
  GetViewport(s.gViewport[0], s.gViewport[1], s.gViewport[2], s.gViewport[3]);
  s.gBlend = GetBlend();
  s.gFont = GetImageFont();
  s.gRotation = GetRotation();
  GetScale(s.gXScale, s.gYScale);
  return s;
}

void kiv_State::Apply() const {
  SetColor(gColour[0], gColour[1], gColour[2]);
  SetClsColor(gClsColour[0], gClsColour[1], gClsColour[2]);
  SetAlpha(gAlpha);
  SetOrigin(gOrigin[0], gOrigin[1]);
  SetViewport(gViewport[0], gViewport[1], gViewport[2], gViewport[3]);
  SetBlend(gBlend);
  SetImageFont(gFont);
  SetRotation(gRotation);
  SetScale(gXScale, gYScale);
}

void kiv_State::Push() { Stack().push_back(Current()); }

void kiv_State::Pop() {
  if (Stack().empty()) return;
  Stack().back().Apply();
  Stack().pop_back();
}

int kiv_State::Depth() { return static_cast<int>(Stack().size()); }
