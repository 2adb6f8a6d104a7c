// kiv_TLabel: a line of text anchored at a point and aligned left, centred or right (and top,
// middle or bottom) about it. Its size is that of its text; it posts only "MouseOver".
#pragma once

#include <memory>
#include <string>

#include "gui/kiv_gadget.h"

class kiv_TLabel;
using kiv_LabelPtr = std::shared_ptr<kiv_TLabel>;

class kiv_TLabel : public kiv_TGadget {
 public:
  static constexpr int ALIGN_START = 0;  ///< left / top at the anchor
  static constexpr int ALIGN_CENTRE = 1;
  static constexpr int ALIGN_END = 2;  ///< right / bottom at the anchor

  std::string gText;
  int gXAlign = ALIGN_START;
  int gYAlign = ALIGN_START;
  int gOrigX = 0, gOrigY = 0;  ///< the anchor given at creation

  void Render(float parentX, float parentY) override;
  /// Places and sizes the label from its text and font: gW is the text width, gH the height
  /// of "yY".
  void Refresh() override;

  void SetText(const std::string& text);
  std::string GetText() const { return gText; }
  void SetXAlign(int align);
  void SetYAlign(int align);

  /// The width and height given are replaced by the text's own size.
  static kiv_LabelPtr Create(const std::string& name, const std::string& text, int x, int y, int w,
                             int h, int xAlign, int yAlign, const kiv_GadgetPtr& parent);
};
