// kiv_TEvent and the toolkit's event queue: widgets post events while the GUI is refreshed, the
// game takes them one by one with kiv_PollEvent and reads the current one with kiv_Event...().
#pragma once

#include <memory>
#include <string>

#include "gui/kiv_gadget.h"

class kiv_TEvent;
using kiv_EventPtr = std::shared_ptr<kiv_TEvent>;

/// Event ids.
constexpr int EVENT_SETSCREEN = 1;      ///< active screen changed; extra = the new kiv_TScreen
constexpr int EVENT_GADGETACTION = 11;  ///< button held (each frame); scroll bar value set
constexpr int EVENT_GADGETSELECT = 12;  ///< button released; table row clicked (x column, y row)
constexpr int EVENT_GADGETOPEN = 13;
constexpr int EVENT_GADGETCLOSE = 14;
constexpr int EVENT_MOUSEOVER = 21;  ///< first gadget under the mouse in a frame

class kiv_TEvent {
 public:
  int gID = 0;
  kiv_GadgetPtr gSource;  ///< null for events from outside the widgets
  int gData = 0;
  int gX = 0;
  int gY = 0;
  kiv_Object gExtra;

  /// Builds the event and appends it to the queue.
  static kiv_EventPtr Create(int id, const kiv_GadgetPtr& source, int data, int x, int y,
                             const kiv_Object& extra = nullptr);
  /// "Event: GadgetSelect Data: 0 X: 1 Y: 4 Source: Table" (a readable form for logs).
  std::string ToString() const;
};

/// Takes the first queued event and makes it the current one; returns its id, or 0 (and keeps
/// the current event) when the queue is empty.
int kiv_PollEvent();
/// Fields of the current event (0 or null before the first event).
int kiv_EventID();
kiv_GadgetPtr kiv_EventSource();
int kiv_EventData();
int kiv_EventX();
int kiv_EventY();
kiv_Object kiv_EventExtra();
/// Builds an event and appends it to the queue.
kiv_EventPtr kiv_CreateEvent(int id, const kiv_GadgetPtr& source, int data, int x, int y,
                             const kiv_Object& extra = nullptr);
/// Number of queued events (tests and diagnostics).
int kiv_CountEvents();
