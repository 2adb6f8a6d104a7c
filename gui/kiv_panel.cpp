// Panels: the skinned (or invisible) containers the screens are built from.
#include "gui/kiv_panel.h"

#include "gui/gui_local.h"
#include "gui/kiv_gui.h"

using namespace kiv_local;

namespace {

ImagePtr& PanelSkin() {
  static ImagePtr& pieces = *new ImagePtr;  // never destroyed (see kiv_gui.cpp)
  return pieces;
}

/// True when `gadget` is `panel` or lies somewhere below it.
bool Contains(const kiv_TGadget* panel, const kiv_TGadget* gadget) {
  for (; gadget != nullptr; gadget = gadget->gParent) {
    if (gadget == panel) return true;
  }
  return false;
}

}  // namespace

void kiv_TPanel::Render(float parentX, float parentY) {
  if (gHidden != 0) return;
  if (gBackground == 1) {
    SetColor(gColour[0], gColour[1], gColour[2]);
    ::SetAlpha(gAlpha);
    const auto x = static_cast<float>(TruncToInt(parentX + gX));
    const auto y = static_cast<float>(TruncToInt(parentY + gY));
    if (gBorder == 0) {
      if (PanelSkin()) DrawImageRect(PanelSkin(), x, y, gW, gH, CENTRE_PIECE);
    } else {
      DrawNinePiece(PanelSkin(), x, y, gW, gH);
    }
  }
  kiv_TGadget::Render(parentX, parentY);
}

void kiv_TPanel::Update(float parentX, float parentY) {
  if (gHidden != 0) return;
  const bool hovered = kiv_GUI::FocusPanel(this) && MouseInRect(parentX + gX, parentY + gY, gW, gH);
  if (hovered) kiv_GUI::SetFocusPanel(this);
  // NOTE: a gadget of this panel that holds the mouse button is updated even when the mouse has
  // left the panel, so the release reaches it as soon as the button goes up.
  if (hovered || Contains(this, kiv_GUI::GetActiveGadget())) {
    for (std::size_t i = gChildren.size(); i-- > 0;)
      gChildren[i]->Update(parentX + gX, parentY + gY);
  }
  gState = IDLE_STATE;
}

kiv_PanelPtr kiv_TPanel::Create(const std::string& name, int x, int y, int w, int h,
                                const kiv_GadgetPtr& parent) {
  if (name.empty()) return nullptr;
  auto panel = std::make_shared<kiv_TPanel>();
  panel->PopulateGadget(name, x, y, w, h, parent.get());
  kiv_GUI::AddPanel(panel);
  return panel;
}

void kiv_TPanel::RefreshSkin() {
  PanelSkin() = LoadSkinAnimImage("/graphics/panel.png", PIECE, PIECE, 9);
}
