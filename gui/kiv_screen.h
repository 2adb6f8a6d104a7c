// kiv_TScreen: one named page of the GUI, a list of panels. The manager draws and updates only
// the active screen; screens switch through button links and kiv_SetScreen.
#pragma once

#include <memory>
#include <string>
#include <vector>

class kiv_TPanel;
class kiv_TScreen;
using kiv_ScreenPtr = std::shared_ptr<kiv_TScreen>;

class kiv_TScreen {
 public:
  std::string gName;
  std::string gFamily;
  std::vector<std::shared_ptr<kiv_TPanel>> gPanels;

  /// Draws the panels in the order they were added, each at (0, 0).
  void Render();
  /// Updates the panels last added first, so the topmost panel gets the mouse first.
  void Update();
  /// Appends a panel (ignored for null).
  void AddPanel(const std::shared_ptr<kiv_TPanel>& panel);
  /// First panel named `name` ignoring case; null for "" or no match.
  std::shared_ptr<kiv_TPanel> GetPanel(const std::string& name);
  std::string GetName() const { return gName; }
  std::string GetFamily() const { return gFamily; }

  /// A new screen registered with the manager; null (nothing created) for an empty name.
  static kiv_ScreenPtr Create(const std::string& name, const std::string& family);
};
