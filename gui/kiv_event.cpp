// Events and the toolkit's first-in first-out event queue.
#include "gui/kiv_event.h"

#include <deque>

namespace {

struct Queue {
  std::deque<kiv_EventPtr> events;
  kiv_TEvent current;  // an empty event (id 0) until the first poll takes one
};

Queue& TheQueue() {
  static Queue& queue = *new Queue;  // never destroyed, like the manager (see kiv_gui.cpp)
  return queue;
}

const char* EventName(int id) {
  switch (id) {
    case EVENT_SETSCREEN: return "SetScreen";
    case EVENT_GADGETACTION: return "GadgetAction";
    case EVENT_GADGETSELECT: return "GadgetSelect";
    case EVENT_GADGETOPEN: return "GadgetOpen";
    case EVENT_GADGETCLOSE: return "GadgetClose";
    case EVENT_MOUSEOVER: return "MouseOver";
    default: return nullptr;
  }
}

}  // namespace

kiv_EventPtr kiv_TEvent::Create(int id, const kiv_GadgetPtr& source, int data, int x, int y,
                                const kiv_Object& extra) {
  auto event = std::make_shared<kiv_TEvent>();
  event->gID = id;
  event->gSource = source;
  event->gData = data;
  event->gX = x;
  event->gY = y;
  event->gExtra = extra;
  TheQueue().events.push_back(event);
  return event;
}

std::string kiv_TEvent::ToString() const {
  const char* name = EventName(gID);
  std::string text = "Event: ";
  text += name != nullptr ? std::string(name) : "Unknown Event: " + std::to_string(gID);
  text += " Data: " + std::to_string(gData) + " X: " + std::to_string(gX) +
          " Y: " + std::to_string(gY) + " Source: ";
  text += gSource ? gSource->gName : "External Source";
  return text;
}

int kiv_PollEvent() {
  Queue& q = TheQueue();
  if (q.events.empty()) return 0;
  q.current = *q.events.front();
  q.events.pop_front();
  return q.current.gID;
}

int kiv_EventID() { return TheQueue().current.gID; }
kiv_GadgetPtr kiv_EventSource() { return TheQueue().current.gSource; }
int kiv_EventData() { return TheQueue().current.gData; }
int kiv_EventX() { return TheQueue().current.gX; }
int kiv_EventY() { return TheQueue().current.gY; }
kiv_Object kiv_EventExtra() { return TheQueue().current.gExtra; }

kiv_EventPtr kiv_CreateEvent(int id, const kiv_GadgetPtr& source, int data, int x, int y,
                             const kiv_Object& extra) {
  return kiv_TEvent::Create(id, source, data, x, y, extra);
}

int kiv_CountEvents() { return static_cast<int>(TheQueue().events.size()); }

namespace kiv_local {
/// Empties the queue and forgets the current event (kiv_GUI::Reset).
void ClearEvents() { TheQueue() = Queue{}; }
}  // namespace kiv_local
