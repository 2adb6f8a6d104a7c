// kiv_TButton: the clickable widget. A caption (or a picture) centred in a rectangle, or around
// the centre of a round button; it posts "GadgetAction" every frame while held and "GadgetSelect"
// at the release, and a linked button makes its screen the active one when released.
#pragma once

#include <memory>
#include <string>

#include "gui/kiv_gadget.h"
#include "gui/kiv_screen.h"

class kiv_TButton;
using kiv_ButtonPtr = std::shared_ptr<kiv_TButton>;

class kiv_TButton : public kiv_TGadget {
 public:
  std::string gText;
  int gCapX = 0, gCapY = 0;  ///< caption position relative to the parent
  int gCircle = 0;           ///< 1: round button, hit-tested by distance from (gX, gY)
  int gRadius = 0;
  ImagePtr gButtonImage;  ///< drawn instead of the caption when set
  int gBackground = 1;    ///< 1: draw the button skin; 0: caption only
  kiv_ScreenPtr gLink;    ///< made active when the button is released

  void Render(float parentX, float parentY) override;
  void UpdateMouseOver(float parentX, float parentY) override;
  void UpdateMouseDown(float parentX, float parentY) override;
  void UpdateMouseRelease(float parentX, float parentY) override;
  /// Centres the caption (or picture) for the current text, font, image and size.
  void Refresh() override;

  void SetText(const std::string& text);
  void SetImage(const ImagePtr& image);
  /// Loads and sets the picture; logs "Null image, matey!" when it cannot be loaded.
  void LoadImage(const std::string& path);
  void SetLink(const kiv_ScreenPtr& screen) { gLink = screen; }
  /// Links to the screen of that name when it exists.
  void SetNameLink(const std::string& name);
  void SetBackground(int flag) { gBackground = flag; }

  static kiv_ButtonPtr Create(const std::string& name, const std::string& text, int x, int y, int w,
                              int h, const kiv_GadgetPtr& parent);
  /// A button showing a picture instead of a caption.
  static kiv_ButtonPtr CreateImg(const std::string& name, const std::string& path, int x, int y,
                                 int w, int h, const kiv_GadgetPtr& parent);
  /// A round picture button centred on (x, y).
  static kiv_ButtonPtr CreateCircle(const std::string& name, const std::string& path, int x, int y,
                                    int radius, const kiv_GadgetPtr& parent);
  /// Loads "/graphics/button.png" (15 x 15, nine pieces) from the skin folder.
  static void RefreshSkin();

 protected:
  /// The rectangle, or for a round button the distance from (gX, gY) below gRadius.
  bool MouseInside(float parentX, float parentY) override;
};
