// kiv_TPanel: a container gadget, drawn with the panel skin (a stretched centre piece, or the
// full nine-piece frame) or not at all. It routes the mouse to its children only while the mouse
// is over it; it never reacts to the mouse itself and posts no events.
#pragma once

#include <memory>
#include <string>

#include "gui/kiv_gadget.h"

class kiv_TPanel;
using kiv_PanelPtr = std::shared_ptr<kiv_TPanel>;

class kiv_TPanel : public kiv_TGadget {
 public:
  int gBackground = 1;  ///< 1: draw the panel skin
  int gBorder = 1;      ///< 1: nine-piece frame; 0: the centre piece stretched over the panel

  void Render(float parentX, float parentY) override;
  void Update(float parentX, float parentY) override;

  void BackgroundOn() { gBackground = 1; }
  void BackgroundOff() { gBackground = 0; }
  void BorderOn() { gBorder = 1; }
  void BorderOff() { gBorder = 0; }

  /// A new panel registered in the manager's panel list; null for an empty name.
  static kiv_PanelPtr Create(const std::string& name, int x, int y, int w, int h,
                             const kiv_GadgetPtr& parent);
  /// Loads "/graphics/panel.png" (15 x 15, nine pieces) from the skin folder.
  static void RefreshSkin();
};
