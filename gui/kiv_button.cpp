// Buttons: skinned or caption-only text buttons, picture buttons and round buttons, and the
// screen switch of linked buttons.
#include "gui/kiv_button.h"

#include "gui/gui_local.h"
#include "gui/kiv_gui.h"

using namespace kiv_local;

namespace {

ImagePtr& ButtonSkin() {
  static ImagePtr& pieces = *new ImagePtr;  // never destroyed (see kiv_gui.cpp)
  return pieces;
}

}  // namespace

void kiv_TButton::Render(float parentX, float parentY) {
  if (gHidden != 0) return;
  SetColor(gColour[0], gColour[1], gColour[2]);
  ::SetAlpha(gAlpha);
  SetImageFont(gFont);
  if (gBackground == 1 && gCircle == 0)
    DrawNinePiece(ButtonSkin(), parentX + gX, parentY + gY, gW, gH);
  const float capX = static_cast<float>(gCapX) + parentX;
  const float capY = static_cast<float>(gCapY) + parentY;
  if (gButtonImage) {
    DrawImage(gButtonImage, capX, capY);
  } else {
    SetColor(gTextColour[0], gTextColour[1], gTextColour[2]);
    DrawText(gText, capX, capY);
  }
  kiv_TGadget::Render(parentX, parentY);
}

bool kiv_TButton::MouseInside(float parentX, float parentY) {
  if (gCircle == 0) return kiv_TGadget::MouseInside(parentX, parentY);
  const double dx = MouseX() - (parentX + gX);
  const double dy = MouseY() - (parentY + gY);
  return dx * dx + dy * dy < static_cast<double>(gRadius) * gRadius;
}

void kiv_TButton::UpdateMouseOver(float parentX, float parentY) {
  kiv_GUI::SetCursor(1);
  kiv_TGadget::UpdateMouseOver(parentX, parentY);
}

void kiv_TButton::UpdateMouseDown(float parentX, float parentY) {
  kiv_GUI::SetCursor(2);
  kiv_TGadget::UpdateMouseDown(parentX, parentY);
  kiv_CreateEvent(EVENT_GADGETACTION, shared_from_this(), 0, 0, 0);
}

void kiv_TButton::UpdateMouseRelease(float parentX, float parentY) {
  kiv_TGadget::UpdateMouseRelease(parentX, parentY);
  kiv_CreateEvent(EVENT_GADGETSELECT, shared_from_this(), 0, 0, 0);
  if (gLink) {
    kiv_GUI::SetScreen(gLink);
    kiv_CreateEvent(EVENT_SETSCREEN, shared_from_this(), 0, 0, 0, gLink);
  }
}

void kiv_TButton::Refresh() {
  int width = 0;
  int height = 0;
  if (gButtonImage) {
    width = ImageWidth(gButtonImage);
    height = ImageHeight(gButtonImage);
  } else {
    FontScope scope(gFont);
    width = TextWidth(gText);
    height = TextHeight(gText);
  }
  // Halves are whole pixels, rounded towards zero, before the caption is placed.
  const int halfW = width / 2;
  const int halfH = height / 2;
  if (gCircle != 0) {
    gCapX = TruncToInt(gX - static_cast<float>(halfW));
    gCapY = TruncToInt(gY - static_cast<float>(halfH));
  } else {
    gCapX = TruncToInt(gW / 2.0 + gX - halfW);
    gCapY = TruncToInt(gH / 2.0 + gY - halfH);
  }
}

void kiv_TButton::SetText(const std::string& text) {
  gText = text;
  Refresh();
}

void kiv_TButton::SetImage(const ImagePtr& image) {
  gButtonImage = image;
  Refresh();
}

void kiv_TButton::LoadImage(const std::string& path) {
  ImagePtr image = ::LoadImage(path);
  if (!image) LogLine("Null image, matey!");
  SetImage(image);
}

void kiv_TButton::SetNameLink(const std::string& name) {
  if (kiv_ScreenPtr screen = kiv_GUI::GetScreen(name)) gLink = screen;
}

kiv_ButtonPtr kiv_TButton::Create(const std::string& name, const std::string& text, int x, int y,
                                  int w, int h, const kiv_GadgetPtr& parent) {
  if (name.empty()) return nullptr;
  auto button = std::make_shared<kiv_TButton>();
  button->PopulateGadget(name, x, y, w, h, parent.get());
  button->SetText(text);
  return button;
}

kiv_ButtonPtr kiv_TButton::CreateImg(const std::string& name, const std::string& path, int x, int y,
                                     int w, int h, const kiv_GadgetPtr& parent) {
  if (name.empty()) return nullptr;
  auto button = std::make_shared<kiv_TButton>();
  button->PopulateGadget(name, x, y, w, h, parent.get());
  button->LoadImage(path);
  return button;
}

kiv_ButtonPtr kiv_TButton::CreateCircle(const std::string& name, const std::string& path, int x,
                                        int y, int radius, const kiv_GadgetPtr& parent) {
  if (name.empty()) return nullptr;
  auto button = std::make_shared<kiv_TButton>();
  button->PopulateGadget(name, x, y, 2 * radius, 2 * radius, parent.get());
  button->gCircle = 1;
  button->gRadius = radius;
  button->LoadImage(path);
  return button;
}

void kiv_TButton::RefreshSkin() {
  ButtonSkin() = LoadSkinAnimImage("/graphics/button.png", PIECE, PIECE, 9);
}
