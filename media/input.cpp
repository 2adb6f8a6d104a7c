// Polled input: the window's events and injected input both land in one state that the game
// queries (presses counted since last asked, held states, wheel), plus the close request, the
// fullscreen toggle and frame-stamped input scripts.
#include <SDL.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

#include "media/media_local.h"

namespace {

constexpr int MOUSE_BUTTONS = 4;  // 1 left, 2 right, 3 middle
constexpr int JOY_BUTTONS = 32;

struct InputState {
  int mouseX = 0;
  int mouseY = 0;
  int mouseZ = 0;
  std::array<int, MOUSE_BUTTONS> mouseHits{};
  std::array<bool, MOUSE_BUTTONS> mouseDown{};
  std::array<int, KEY_COUNT> keyHits{};
  std::array<bool, KEY_COUNT> keyDown{};
  std::array<bool, JOY_BUTTONS> joyDown{};  // injected
  bool closeRequested = false;
  std::deque<std::string> droppedFiles;
  SDL_Joystick* joystick = nullptr;
  SDL_GameController* pad = nullptr;  // the first game controller plugged in
  std::array<float, 2> padStick{};    // left stick from the controller, -1..1
  std::array<float, 2> injectedStick{};
  int virtualPad = -1;  // device index of the automation's virtual controller
  SDL_Joystick* virtualJoystick = nullptr;
};

InputState input;
// Outside the input state: the count only grows, also across a window closed and opened again,
// so that a reader's last look never lies ahead of it.
std::array<std::uint64_t, MOUSE_BUTTONS> mousePresses{};
std::atomic<bool> signalClose{false};

struct ScriptCommand {
  int frame = 0;
  std::string verb;
  int a = 0;
  int b = 0;
  std::string text;  ///< drop: the path
};
std::vector<ScriptCommand> script;  // sorted by frame
std::size_t scriptNext = 0;
int scriptOrigin = 0;  // FrameCount() at which script frame 0 falls

extern "C" void OnTerminateSignal(int) { signalClose.store(true); }

int MapKey(SDL_Keycode key) {
  if (key >= SDLK_a && key <= SDLK_z) return KEY_A + (key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return KEY_0 + (key - SDLK_0);
  if (key >= SDLK_F1 && key <= SDLK_F12) return KEY_F1 + (key - SDLK_F1);
  if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return KEY_NUMPAD1 + (key - SDLK_KP_1);
  switch (key) {
    case SDLK_KP_0: return KEY_NUMPAD0;
    case SDLK_BACKSPACE: return KEY_BACKSPACE;
    case SDLK_TAB: return KEY_TAB;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return KEY_ENTER;
    case SDLK_ESCAPE: return KEY_ESCAPE;
    case SDLK_SPACE: return KEY_SPACE;
    case SDLK_PAGEUP: return KEY_PAGEUP;
    case SDLK_PAGEDOWN: return KEY_PAGEDOWN;
    case SDLK_END: return KEY_END;
    case SDLK_HOME: return KEY_HOME;
    case SDLK_LEFT: return KEY_LEFT;
    case SDLK_UP: return KEY_UP;
    case SDLK_RIGHT: return KEY_RIGHT;
    case SDLK_DOWN: return KEY_DOWN;
    case SDLK_INSERT: return KEY_INSERT;
    case SDLK_DELETE: return KEY_DELETE;
    case SDLK_LSHIFT: return KEY_LSHIFT;
    case SDLK_RSHIFT: return KEY_RSHIFT;
    case SDLK_LCTRL: return KEY_LCONTROL;
    case SDLK_RCTRL: return KEY_RCONTROL;
    case SDLK_LALT: return KEY_LALT;
    case SDLK_RALT: return KEY_RALT;
    case SDLK_COMMA: return KEY_COMMA;
    case SDLK_MINUS: return KEY_MINUS;
    case SDLK_PERIOD: return KEY_PERIOD;
    case SDLK_SLASH: return KEY_SLASH;
    case SDLK_SEMICOLON: return KEY_SEMICOLON;
    case SDLK_EQUALS: return KEY_EQUALS;
    default: return 0;
  }
}

struct ModifierKeys {
  int left, right, generic;
};
constexpr std::array<ModifierKeys, 3> MODIFIERS = {{{KEY_LSHIFT, KEY_RSHIFT, KEY_SHIFT},
                                                    {KEY_LCONTROL, KEY_RCONTROL, KEY_CONTROL},
                                                    {KEY_LALT, KEY_RALT, KEY_ALT}}};

void SetOneKey(int key, bool down) {
  if (key <= 0 || key >= KEY_COUNT) return;
  if (down && !input.keyDown[static_cast<std::size_t>(key)])
    ++input.keyHits[static_cast<std::size_t>(key)];
  input.keyDown[static_cast<std::size_t>(key)] = down;
}

/// A key of a modifier also sets the modifier's own code, which stays held while either of its
/// two keys is (two Shift keys held and one released: Shift is still down).
void SetKey(int key, bool down) {
  SetOneKey(key, down);
  for (const ModifierKeys& m : MODIFIERS) {
    if (key != m.left && key != m.right) continue;
    const auto held = [](int k) { return input.keyDown[static_cast<std::size_t>(k)]; };
    SetOneKey(m.generic, held(m.left) || held(m.right));
  }
}

void SetMouseButton(int button, bool down) {
  if (button < 1 || button >= MOUSE_BUTTONS) return;
  const auto b = static_cast<std::size_t>(button);
  if (down && !input.mouseDown[b]) ++mousePresses[b];
  if (down) ++input.mouseHits[b];
  input.mouseDown[b] = down;
}

/// The controller's buttons as the game's own key codes: A is Enter (it fires and presses), the
/// d-pad the arrow keys, B and Start codes of their own.
int MapPadButton(int button) {
  switch (button) {
    case SDL_CONTROLLER_BUTTON_A: return KEY_ENTER;
    case SDL_CONTROLLER_BUTTON_B: return KEY_PAD_BACK;
    case SDL_CONTROLLER_BUTTON_START: return KEY_PAD_START;
    case SDL_CONTROLLER_BUTTON_DPAD_UP: return KEY_UP;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: return KEY_DOWN;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: return KEY_LEFT;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: return KEY_RIGHT;
    default: return 0;
  }
}

constexpr float STICK_DEAD_ZONE = 0.25f;

/// An axis value of SDL (-32768..32767) as -1..1, 0 inside the dead zone, the rest rescaled so
/// that the stick starts moving gently at the zone's edge.
float StickValue(Sint16 raw) {
  const float v = std::clamp(static_cast<float>(raw) / 32767.0f, -1.0f, 1.0f);
  if (std::fabs(v) < STICK_DEAD_ZONE) return 0.0f;
  return (v - std::copysign(STICK_DEAD_ZONE, v)) / (1.0f - STICK_DEAD_ZONE);
}

void ClosePad() {
  if (input.pad != nullptr) SDL_GameControllerClose(input.pad);
  input.pad = nullptr;
  input.padStick = {};
}

void ToggleFullscreen() {
  SDL_Window* w = media_local::Win().window;
  if (w == nullptr || IsHeadless()) return;
  const bool full = (SDL_GetWindowFlags(w) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
  SDL_SetWindowFullscreen(w, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
}

void HandleEvent(const SDL_Event& e) {
  switch (e.type) {
    case SDL_QUIT: input.closeRequested = true; break;
    case SDL_DROPFILE:
      if (e.drop.file != nullptr) {
        InjectDroppedFile(e.drop.file);
        SDL_free(e.drop.file);
      }
      break;
    case SDL_KEYDOWN: {
      if (e.key.repeat != 0) break;
      const bool altEnter = e.key.keysym.sym == SDLK_RETURN && (e.key.keysym.mod & KMOD_ALT) != 0;
      if (e.key.keysym.sym == SDLK_F11 || altEnter) {
        ToggleFullscreen();
        break;
      }
      SetKey(MapKey(e.key.keysym.sym), true);
      break;
    }
    case SDL_KEYUP: SetKey(MapKey(e.key.keysym.sym), false); break;
    case SDL_MOUSEMOTION:
      // With a logical size set, SDL reports mouse positions in logical pixels.
      input.mouseX = e.motion.x;
      input.mouseY = e.motion.y;
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      input.mouseX = e.button.x;
      input.mouseY = e.button.y;
      int button = 0;
      if (e.button.button == SDL_BUTTON_LEFT) button = 1;
      if (e.button.button == SDL_BUTTON_RIGHT) button = 2;
      if (e.button.button == SDL_BUTTON_MIDDLE) button = 3;
      SetMouseButton(button, e.type == SDL_MOUSEBUTTONDOWN);
      break;
    }
    case SDL_MOUSEWHEEL:
      input.mouseZ += e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
      break;
    case SDL_CONTROLLERDEVICEADDED:
      if (input.pad == nullptr) input.pad = SDL_GameControllerOpen(e.cdevice.which);
      break;
    case SDL_CONTROLLERDEVICEREMOVED:
      if (input.pad != nullptr &&
          SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(input.pad)) == e.cdevice.which) {
        // Buttons held as it went stay held no longer.
        for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) {
          if (SDL_GameControllerGetButton(input.pad, static_cast<SDL_GameControllerButton>(b)))
            SetKey(MapPadButton(b), false);
        }
        ClosePad();
      }
      break;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP:
      if (input.pad != nullptr &&
          SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(input.pad)) == e.cbutton.which)
        SetKey(MapPadButton(e.cbutton.button), e.type == SDL_CONTROLLERBUTTONDOWN);
      break;
    case SDL_CONTROLLERAXISMOTION:
      if (input.pad != nullptr &&
          SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(input.pad)) == e.caxis.which) {
        if (e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX)
          input.padStick[0] = StickValue(e.caxis.value);
        if (e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY)
          input.padStick[1] = StickValue(e.caxis.value);
      }
      break;
    case SDL_JOYDEVICEADDED:
      if (input.joystick == nullptr) input.joystick = SDL_JoystickOpen(e.jdevice.which);
      break;
    case SDL_JOYDEVICEREMOVED:
      if (input.joystick != nullptr && SDL_JoystickInstanceID(input.joystick) == e.jdevice.which) {
        SDL_JoystickClose(input.joystick);
        input.joystick = nullptr;
      }
      break;
    case SDL_WINDOWEVENT:
      if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
        // Keys released while the window had no focus would otherwise stay held.
        input.keyDown.fill(false);
        input.mouseDown.fill(false);
      }
      break;
    default: break;
  }
}

void ApplyScript() {
  const int frame = FrameCount() - scriptOrigin;
  while (scriptNext < script.size() && script[scriptNext].frame <= frame) {
    const ScriptCommand& c = script[scriptNext++];
    if (c.verb == "move")
      InjectMouseMove(c.a, c.b);
    else if (c.verb == "press")
      InjectMouseButton(c.a, true);
    else if (c.verb == "release")
      InjectMouseButton(c.a, false);
    else if (c.verb == "click") {
      InjectMouseButton(c.a, true);
      InjectMouseButton(c.a, false);
    } else if (c.verb == "wheel")
      InjectMouseWheel(c.a);
    else if (c.verb == "keydown")
      InjectKey(c.a, true);
    else if (c.verb == "keyup")
      InjectKey(c.a, false);
    else if (c.verb == "key") {
      InjectKey(c.a, true);
      InjectKey(c.a, false);
    } else if (c.verb == "joydown")
      InjectJoyButton(c.a, true);
    else if (c.verb == "joyup")
      InjectJoyButton(c.a, false);
    else if (c.verb == "stick")
      InjectStick(static_cast<float>(c.a) / 1000.0f, static_cast<float>(c.b) / 1000.0f);
    else if (c.verb == "close")
      InjectCloseRequest();
    else if (c.verb == "drop")
      InjectDroppedFile(c.text);
  }
}

}  // namespace

namespace media_local {

void PumpEvents() {
  ApplyScript();
  if (signalClose.exchange(false)) {
    // A signal is an outside request: say why the game ends (it saves as on a window close).
    std::fprintf(stderr, "brakkon: asked to stop by a signal; saving and closing\n");
    input.closeRequested = true;
  }
  if (Win().window == nullptr) return;
  SDL_Event e;
  while (SDL_PollEvent(&e) != 0) HandleEvent(e);
}

void ResetInput() {
  if (input.joystick != nullptr) SDL_JoystickClose(input.joystick);
  ClosePad();
  DetachVirtualPad();
  input = InputState{};
  script.clear();
  scriptNext = 0;
}

void InstallSignalHandlers() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  std::signal(SIGINT, OnTerminateSignal);
  std::signal(SIGTERM, OnTerminateSignal);
}

}  // namespace media_local

using namespace media_local;

void PollSystem() { PumpEvents(); }

bool AppTerminate() {
  PumpEvents();
  const bool requested = input.closeRequested;
  input.closeRequested = false;
  return requested;
}

int MouseX() {
  PumpEvents();
  return input.mouseX;
}

int MouseY() {
  PumpEvents();
  return input.mouseY;
}

std::uint64_t MousePresses(int button) {
  PumpEvents();
  if (button < 1 || button >= MOUSE_BUTTONS) return 0;
  return mousePresses[static_cast<std::size_t>(button)];
}

int MouseHit(int button) {
  PumpEvents();
  if (button < 1 || button >= MOUSE_BUTTONS) return 0;
  return std::exchange(input.mouseHits[static_cast<std::size_t>(button)], 0);
}

bool MouseDown(int button) {
  PumpEvents();
  if (button < 1 || button >= MOUSE_BUTTONS) return false;
  return input.mouseDown[static_cast<std::size_t>(button)];
}

int MouseZ() {
  PumpEvents();
  return input.mouseZ;
}

void FlushMouse() {
  PumpEvents();
  input.mouseHits.fill(0);
  input.mouseDown.fill(false);
  input.mouseZ = 0;
}

int KeyHit(int key) {
  PumpEvents();
  if (key <= 0 || key >= KEY_COUNT) return 0;
  return std::exchange(input.keyHits[static_cast<std::size_t>(key)], 0);
}

bool KeyDown(int key) {
  PumpEvents();
  if (key <= 0 || key >= KEY_COUNT) return false;
  return input.keyDown[static_cast<std::size_t>(key)];
}

void FlushKeys() {
  PumpEvents();
  input.keyHits.fill(0);
  input.keyDown.fill(false);
}

bool JoyDown(int button, int port) {
  PumpEvents();
  if (button < 1 || button > JOY_BUTTONS || port != 0) return false;
  if (input.joyDown[static_cast<std::size_t>(button - 1)]) return true;
  return input.joystick != nullptr && SDL_JoystickGetButton(input.joystick, button - 1) != 0;
}

void InjectMouseMove(int x, int y) {
  input.mouseX = x;
  input.mouseY = y;
}
void InjectMouseButton(int button, bool down) { SetMouseButton(button, down); }
void InjectMouseWheel(int delta) { input.mouseZ += delta; }
void InjectKey(int key, bool down) { SetKey(key, down); }
void InjectJoyButton(int button, bool down) {
  if (button >= 1 && button <= JOY_BUTTONS)
    input.joyDown[static_cast<std::size_t>(button - 1)] = down;
}
void InjectCloseRequest() { input.closeRequested = true; }
void InjectStick(float x, float y) {
  input.injectedStick = {std::clamp(x, -1.0f, 1.0f), std::clamp(y, -1.0f, 1.0f)};
}

float StickX() {
  PumpEvents();
  return std::clamp(input.padStick[0] + input.injectedStick[0], -1.0f, 1.0f);
}

float StickY() {
  PumpEvents();
  return std::clamp(input.padStick[1] + input.injectedStick[1], -1.0f, 1.0f);
}

bool PadConnected() {
  PumpEvents();
  return input.pad != nullptr;
}

bool AttachVirtualPad() {
  if (input.virtualPad >= 0) return true;
  if (SDL_WasInit(SDL_INIT_GAMECONTROLLER) == 0 && SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0)
    return false;
  input.virtualPad = SDL_JoystickAttachVirtual(
      SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX, SDL_CONTROLLER_BUTTON_MAX, 0);
  if (input.virtualPad < 0) return false;
  // A handle of its own to set its buttons through; the game opens it as any other controller.
  input.virtualJoystick = SDL_JoystickOpen(input.virtualPad);
  return input.virtualJoystick != nullptr;
}

bool SetVirtualPadButton(int button, bool down) {
  SDL_Joystick* joystick = input.virtualJoystick;
  return joystick != nullptr && SDL_JoystickSetVirtualButton(joystick, button, down ? 1 : 0) == 0;
}

bool SetVirtualPadStick(float x, float y) {
  SDL_Joystick* joystick = input.virtualJoystick;
  auto raw = [](float v) { return static_cast<Sint16>(std::clamp(v, -1.0f, 1.0f) * 32767.0f); };
  return joystick != nullptr &&
         SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTX, raw(x)) == 0 &&
         SDL_JoystickSetVirtualAxis(joystick, SDL_CONTROLLER_AXIS_LEFTY, raw(y)) == 0;
}

void DetachVirtualPad() {
  if (input.virtualPad < 0) return;
  if (input.virtualJoystick != nullptr) SDL_JoystickClose(input.virtualJoystick);
  input.virtualJoystick = nullptr;
  SDL_JoystickDetachVirtual(input.virtualPad);
  input.virtualPad = -1;
}

bool IsFullscreen() {
  SDL_Window* w = media_local::Win().window;
  return w != nullptr && (SDL_GetWindowFlags(w) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
}

void SetFullscreen(bool on) {
  if (IsFullscreen() != on) ToggleFullscreen();
}

void InjectDroppedFile(const std::string& path) {
  // A window takes a few files at a time; a flood of drops keeps only the first ones.
  constexpr std::size_t MAX_DROPPED_FILES = 16;
  if (input.droppedFiles.size() < MAX_DROPPED_FILES) input.droppedFiles.push_back(path);
}

std::string TakeDroppedFile() {
  if (input.droppedFiles.empty()) return "";
  std::string path = std::move(input.droppedFiles.front());
  input.droppedFiles.pop_front();
  return path;
}

void SetInputScriptOrigin() { scriptOrigin = FrameCount(); }

bool ParseInputScript(const std::string& text, std::string* error) {
  static const std::vector<std::pair<std::string, int>> VERBS = {
      {"move", 2},    {"press", 1}, {"release", 1}, {"click", 1},   {"wheel", 1},
      {"keydown", 1}, {"keyup", 1}, {"key", 1},     {"joydown", 1}, {"joyup", 1},
      {"stick", 2},   {"close", 0}, {"drop", -1}};
  // Bounds that keep every sum a script can make (the wheel's, the pointer's offsets) far from
  // overflowing: a million commands turning the wheel by a thousand at most is 10^9.
  constexpr std::size_t MAX_COMMANDS = 1000000;
  constexpr int MAX_WHEEL = 1000;
  constexpr int MAX_POINTER = 100000;  // pixels either way of the window
  constexpr int MAX_STICK = 1000;      // thousandths of the stick's full way
  std::vector<ScriptCommand> parsed;
  // Lines end in LF, CR LF or a lone CR.
  std::string normalised = text;
  for (std::size_t i = 0; i < normalised.size(); ++i) {
    if (normalised[i] != '\r') continue;
    if (i + 1 < normalised.size() && normalised[i + 1] == '\n')
      normalised.erase(i, 1);
    else
      normalised[i] = '\n';
  }
  std::istringstream lines(normalised);
  std::string line;
  int lineNumber = 0;
  while (std::getline(lines, line)) {
    ++lineNumber;
    const auto hash = line.find('#');
    if (hash != std::string::npos) line.erase(hash);
    std::istringstream words(line);
    ScriptCommand c;
    if (!(words >> c.frame)) {
      std::string rest;
      if (std::istringstream(line) >> rest) {
        if (error != nullptr)
          *error = "line " + std::to_string(lineNumber) + ": expected a frame number";
        return false;
      }
      continue;  // blank or comment line
    }
    auto verb = VERBS.end();
    if (words >> c.verb) {
      verb = std::find_if(VERBS.begin(), VERBS.end(),
                          [&](const auto& v) { return v.first == c.verb; });
    }
    if (c.verb == "drop") {  // the rest of the line is the path
      std::getline(words >> std::ws, c.text);
      while (!c.text.empty() && std::isspace(static_cast<unsigned char>(c.text.back())))
        c.text.pop_back();
    }
    const bool argsOk = verb != VERBS.end() && (c.verb != "drop" || !c.text.empty()) &&
                        (verb->second < 1 || static_cast<bool>(words >> c.a)) &&
                        (verb->second < 2 || static_cast<bool>(words >> c.b));
    std::string extra;
    auto within = [](int v, int limit) { return v >= -limit && v <= limit; };
    const bool inRange =
        (c.verb != "wheel" || within(c.a, MAX_WHEEL)) &&
        (c.verb != "move" || (within(c.a, MAX_POINTER) && within(c.b, MAX_POINTER))) &&
        (c.verb != "stick" || (within(c.a, MAX_STICK) && within(c.b, MAX_STICK)));
    if (c.frame < 0 || !argsOk || (words >> extra) || !inRange) {
      // Control characters would garble the message on a terminal.
      std::replace_if(
          line.begin(), line.end(), [](unsigned char ch) { return ch < 0x20 || ch == 0x7F; }, '?');
      if (error != nullptr) {
        *error = "line " + std::to_string(lineNumber) + ": cannot read \"" + line + "\"" +
                 (inRange ? ""
                          : " (the wheel turns by " + std::to_string(MAX_WHEEL) +
                                " at most, positions lie within " + std::to_string(MAX_POINTER) +
                                " either way)");
      }
      return false;
    }
    if (parsed.size() == MAX_COMMANDS) {
      if (error != nullptr) *error = "more than " + std::to_string(MAX_COMMANDS) + " commands";
      return false;
    }
    parsed.push_back(c);
  }
  std::stable_sort(
      parsed.begin(), parsed.end(),
      [](const ScriptCommand& x, const ScriptCommand& y) { return x.frame < y.frame; });
  script = std::move(parsed);
  scriptNext = 0;
  scriptOrigin = FrameCount();
  return true;
}

bool LoadInputScript(const std::string& fileName, std::string* error) {
  // A script is a small text file: a folder, a device or a pipe (which may never end) is not one,
  // and a file past the size limit is refused after reading one byte more than it.
  constexpr std::size_t MAX_SCRIPT_BYTES = 32 << 20;
  auto fail = [&](const std::string& why) {
    if (error != nullptr) *error = why;
    return false;
  };
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(fileName, ec);
  if (ec || !std::filesystem::exists(status)) return fail("cannot open " + fileName);
  if (std::filesystem::is_directory(status)) return fail("is a folder, not a script");
  if (!std::filesystem::is_regular_file(status))
    return fail("is not a regular file (a device or a pipe?)");
  std::ifstream in(fileName, std::ios::binary);
  if (!in) return fail("cannot open " + fileName);
  std::string text(MAX_SCRIPT_BYTES + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (in.bad()) return fail("cannot read " + fileName);
  text.resize(static_cast<std::size_t>(in.gcount()));
  if (text.size() > MAX_SCRIPT_BYTES)
    return fail("is larger than " + std::to_string(MAX_SCRIPT_BYTES) + " bytes");
  return ParseInputScript(text, error);
}
