// kiv_State: a saved copy of the drawing state. The toolkit saves the state before it draws and
// puts it back afterwards, so the game's colour, alpha, font and clipping survive every refresh.
#pragma once

#include <array>

#include "media/media.h"

class kiv_State {
 public:
  std::array<int, 3> gColour{255, 255, 255};
  std::array<int, 3> gClsColour{0, 0, 0};
  float gAlpha = 1.0f;
  std::array<float, 2> gOrigin{0, 0};
  std::array<int, 4> gViewport{0, 0, SCREEN_WIDTH, SCREEN_HEIGHT};
  int gBlend = MASKBLEND;
  FontPtr gFont;
  float gRotation = 0.0f;
  float gXScale = 1.0f;
  float gYScale = 1.0f;

  /// The drawing state as it is now.
  static kiv_State Current();
  /// Makes this the drawing state.
  void Apply() const;

  /// Saves the drawing state on the program-wide stack.
  static void Push();
  /// Restores the last saved state and removes it; does nothing on an empty stack.
  static void Pop();
  /// Saved states on the stack (0 between refreshes).
  static int Depth();
};
