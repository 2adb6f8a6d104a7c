// Labels: text anchored at a point, sized and placed by their text and font.
#include "gui/kiv_label.h"

#include "gui/gui_local.h"
#include "gui/kiv_gui.h"

using namespace kiv_local;

namespace {

/// The line height of a font, measured on a string with an ascender and a descender.
constexpr const char* LINE_SAMPLE = "yY";

int Aligned(int anchor, int extent, int align) {
  if (align == kiv_TLabel::ALIGN_CENTRE) return anchor - extent / 2;
  if (align == kiv_TLabel::ALIGN_END) return anchor - extent;
  return anchor;
}

}  // namespace

void kiv_TLabel::Render(float parentX, float parentY) {
  if (gHidden != 0) return;
  SetColor(gTextColour[0], gTextColour[1], gTextColour[2]);
  ::SetAlpha(gAlpha);
  SetImageFont(gFont);
  DrawText(gText, static_cast<float>(TruncToInt(parentX + gX)),
           static_cast<float>(TruncToInt(parentY + gY)));
  kiv_TGadget::Render(parentX, parentY);
}

void kiv_TLabel::Refresh() {
  FontScope scope(gFont);
  const int width = TextWidth(gText);
  const int height = TextHeight(LINE_SAMPLE);
  gX = static_cast<float>(Aligned(gOrigX, width, gXAlign));
  gY = static_cast<float>(Aligned(gOrigY, height, gYAlign));
  gW = static_cast<float>(width);
  gH = static_cast<float>(height);
}

void kiv_TLabel::SetText(const std::string& text) {
  gText = text;
  Refresh();
}

void kiv_TLabel::SetXAlign(int align) {
  gXAlign = align;
  Refresh();
}

void kiv_TLabel::SetYAlign(int align) {
  gYAlign = align;
  Refresh();
}

kiv_LabelPtr kiv_TLabel::Create(const std::string& name, const std::string& text, int x, int y,
                                int w, int h, int xAlign, int yAlign, const kiv_GadgetPtr& parent) {
  if (name.empty()) return nullptr;
  auto label = std::make_shared<kiv_TLabel>();
  label->PopulateGadget(name, x, y, w, h, parent.get());
  label->gOrigX = x;
  label->gOrigY = y;
  label->gXAlign = xAlign;
  label->gYAlign = yAlign;
  label->SetText(text);
  return label;
}
