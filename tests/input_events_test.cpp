// The media layer's SDL side: events pushed into SDL's own queue and read back through the input
// queries (keys and modifiers, focus loss, the fullscreen keys, quick clicks, the wheel, a
// virtual joystick), and channel handles after their mixer channel went to another sound.
#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <vector>

#include "media/media.h"

namespace {

/// A hidden window on SDL's dummy driver: the event queue is SDL's, as in the game.
class InputEventsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetHeadless(true);
    ASSERT_TRUE(Graphics(SCREEN_WIDTH, SCREEN_HEIGHT, 0, 60, 0));
    FlushKeys();
    FlushMouse();
  }
  void TearDown() override { EndGraphics(); }

  static void Push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError(); }

  static void Key(Uint32 type, SDL_Keycode key, Uint16 mod = KMOD_NONE) {
    SDL_Event e{};
    e.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = key;
    e.key.keysym.mod = mod;
    Push(e);
  }
  static void Down(SDL_Keycode key, Uint16 mod = KMOD_NONE) { Key(SDL_KEYDOWN, key, mod); }
  static void Up(SDL_Keycode key) { Key(SDL_KEYUP, key); }

  static void Button(Uint32 type, Uint8 button, int x, int y) {
    SDL_Event e{};
    e.type = type;
    e.button.button = button;
    e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.button.x = x;
    e.button.y = y;
    Push(e);
  }

  static void Window(Uint8 event) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = event;
    Push(e);
  }
};

TEST_F(InputEventsTest, KeysReachTheGameUnderTheirVirtualCodes) {
  struct Case {
    SDL_Keycode sdl;
    int key;
  };
  const std::vector<Case> cases = {
      {SDLK_a, KEY_A},
      {SDLK_z, KEY_A + 25},
      {SDLK_0, KEY_0},
      {SDLK_F9, KEY_F9},
      {SDLK_F12, KEY_F12},
      {SDLK_KP_0, KEY_NUMPAD0},
      {SDLK_KP_9, KEY_NUMPAD1 + 8},
      {SDLK_KP_ENTER, KEY_ENTER},
      {SDLK_RETURN, KEY_ENTER},
      {SDLK_ESCAPE, KEY_ESCAPE},
      {SDLK_SPACE, KEY_SPACE},
      {SDLK_INSERT, KEY_INSERT},
      {SDLK_COMMA, KEY_COMMA},
      {SDLK_MINUS, KEY_MINUS},
      {SDLK_SLASH, KEY_SLASH},
      {SDLK_SEMICOLON, KEY_SEMICOLON},
      {SDLK_EQUALS, KEY_EQUALS},
      {SDLK_PERIOD, KEY_PERIOD},
  };
  for (const Case& c : cases) {
    Down(c.sdl);
    EXPECT_TRUE(KeyDown(c.key)) << c.key;
    Down(c.sdl);  // a second down without an up is held, not pressed again
    Up(c.sdl);
    EXPECT_FALSE(KeyDown(c.key)) << c.key;
    EXPECT_EQ(KeyHit(c.key), 1) << c.key;
  }
  // Auto-repeat is not a press; a key the game has no code for changes nothing.
  SDL_Event repeat{};
  repeat.type = SDL_KEYDOWN;
  repeat.key.repeat = 1;
  repeat.key.keysym.sym = SDLK_b;
  Push(repeat);
  Down(SDLK_CAPSLOCK);
  EXPECT_EQ(KeyHit(KEY_A + 1), 0);
  for (int key = 1; key < KEY_COUNT; ++key) EXPECT_FALSE(KeyDown(key)) << key;
}

TEST_F(InputEventsTest, AModifierStaysHeldWhileEitherOfItsKeysIs) {
  struct Case {
    SDL_Keycode left, right;
    int leftKey, rightKey, generic;
  };
  const std::vector<Case> cases = {
      {SDLK_LSHIFT, SDLK_RSHIFT, KEY_LSHIFT, KEY_RSHIFT, KEY_SHIFT},
      {SDLK_LCTRL, SDLK_RCTRL, KEY_LCONTROL, KEY_RCONTROL, KEY_CONTROL},
      {SDLK_LALT, SDLK_RALT, KEY_LALT, KEY_RALT, KEY_ALT}};
  for (const Case& c : cases) {
    Down(c.left);
    Down(c.right);
    EXPECT_TRUE(KeyDown(c.leftKey) && KeyDown(c.rightKey) && KeyDown(c.generic)) << c.generic;
    EXPECT_EQ(KeyHit(c.generic), 1) << "the second key is no new press of " << c.generic;
    Up(c.left);
    EXPECT_TRUE(KeyDown(c.generic)) << "the other key still holds " << c.generic;
    EXPECT_FALSE(KeyDown(c.leftKey));
    Down(c.left);
    EXPECT_EQ(KeyHit(c.generic), 0) << "held throughout";
    Up(c.right);
    Up(c.left);
    EXPECT_FALSE(KeyDown(c.generic)) << c.generic;
  }
}

TEST_F(InputEventsTest, LosingTheFocusLetsGoOfEverythingHeld) {
  Down(SDLK_LSHIFT);
  Down(SDLK_p);
  Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 10);
  EXPECT_TRUE(KeyDown(KEY_SHIFT) && KeyDown(KEY_P) && MouseDown(1));
  Window(SDL_WINDOWEVENT_FOCUS_LOST);
  // The keys come up while another window has the focus: their ups never arrive here.
  EXPECT_FALSE(KeyDown(KEY_SHIFT));
  EXPECT_FALSE(KeyDown(KEY_LSHIFT));
  EXPECT_FALSE(KeyDown(KEY_P));
  EXPECT_FALSE(MouseDown(1));
  EXPECT_EQ(KeyHit(KEY_P), 1) << "the press made before still counts";
  Down(SDLK_p);
  EXPECT_EQ(KeyHit(KEY_P), 1) << "back in focus, a press is a press again";
}

TEST_F(InputEventsTest, FullscreenKeysAreTheWindowsAndNotTheGames) {
  Down(SDLK_F11);
  Up(SDLK_F11);
  EXPECT_EQ(KeyHit(KEY_F11), 0);
  Down(SDLK_LALT);
  Down(SDLK_RETURN, KMOD_LALT);
  Up(SDLK_RETURN);
  Up(SDLK_LALT);
  EXPECT_EQ(KeyHit(KEY_ENTER), 0) << "Alt+Enter is no Enter for the game";
  EXPECT_EQ(KeyHit(KEY_ALT), 1);
  Down(SDLK_RETURN);
  EXPECT_EQ(KeyHit(KEY_ENTER), 1);
}

TEST_F(InputEventsTest, FullscreenKeysToggleAWindowOnADisplay) {
  // A window of its own, not headless, on the dummy driver asked for by name.
  EndGraphics();
  SetHeadless(false);
  SDL_setenv("SDL_VIDEODRIVER", "dummy", 1);
  const bool opened = Graphics(SCREEN_WIDTH, SCREEN_HEIGHT, 0, 60, 0);
  ASSERT_TRUE(opened);
  SDL_Window* window = SDL_GetWindowFromID(1);
  for (Uint32 id = 1; window == nullptr && id < 16; ++id) window = SDL_GetWindowFromID(id);
  ASSERT_NE(window, nullptr);
  const auto fullscreen = [&] {
    MouseX();  // pumps the events
    return (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP) ==
           SDL_WINDOW_FULLSCREEN_DESKTOP;
  };
  ASSERT_FALSE(fullscreen());
  Down(SDLK_F11);
  EXPECT_TRUE(fullscreen());
  Up(SDLK_F11);
  Down(SDLK_RETURN, KMOD_RALT);
  EXPECT_FALSE(fullscreen());
  EndGraphics();
  SetHeadless(true);
  ASSERT_TRUE(Graphics(SCREEN_WIDTH, SCREEN_HEIGHT, 0, 60, 0));
}

TEST_F(InputEventsTest, APressAndReleaseBetweenTwoLooksIsStillSeen) {
  const std::uint64_t before = MousePresses(1);
  const std::uint64_t rightBefore = MousePresses(2);
  Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 120, 130);
  Button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 121, 131);
  EXPECT_FALSE(MouseDown(1));
  EXPECT_EQ(MouseX(), 121);
  EXPECT_EQ(MouseY(), 131);
  EXPECT_EQ(MousePresses(1), before + 1);
  EXPECT_EQ(MouseHit(1), 1);
  EXPECT_EQ(MousePresses(1), before + 1) << "reading the hits leaves the count";
  FlushMouse();
  EXPECT_EQ(MousePresses(1), before + 1) << "and so does flushing";
  Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 0, 0);
  EXPECT_EQ(MousePresses(1), before + 1) << "another button's press";
  EXPECT_EQ(MousePresses(2), rightBefore + 1);
  EXPECT_TRUE(MouseDown(2));
  Button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 0, 0);  // no up came between: the same press
  EXPECT_EQ(MousePresses(2), rightBefore + 1);
}

TEST_F(InputEventsTest, TheWheelCountsNotchesInTheDirectionTheUserMeant) {
  const int start = MouseZ();
  for (const Uint32 direction : {SDL_MOUSEWHEEL_NORMAL, SDL_MOUSEWHEEL_FLIPPED}) {
    SDL_Event e{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.y = 2;
    e.wheel.direction = direction;
    Push(e);
  }
  SDL_Event e{};
  e.type = SDL_MOUSEWHEEL;
  e.wheel.y = 3;
  Push(e);
  EXPECT_EQ(MouseZ(), start + 2 - 2 + 3);
}

TEST_F(InputEventsTest, AJoystickIsOpenedWhenItArrivesAndForgottenWhenItGoes) {
  // The hidden window never has the focus, and SDL keeps joystick input from unfocused programs.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 4, 0);
  ASSERT_GE(index, 0) << SDL_GetError();
  EXPECT_FALSE(JoyDown(3)) << "the arrival is read with the first look";
  SDL_Joystick* own = SDL_JoystickOpen(index);  // the test's handle, to move the buttons
  ASSERT_NE(own, nullptr);
  ASSERT_EQ(SDL_JoystickSetVirtualButton(own, 2, SDL_PRESSED), 0);
  SDL_JoystickUpdate();
  EXPECT_TRUE(JoyDown(3));
  EXPECT_FALSE(JoyDown(1));
  EXPECT_FALSE(JoyDown(3, 1)) << "only the first port";
  EXPECT_FALSE(JoyDown(0));
  SDL_JoystickClose(own);
  ASSERT_EQ(SDL_JoystickDetachVirtual(index), 0);
  // The removal arrives as an event; afterwards no stale button is read from a gone device,
  // and the next joystick to arrive is the one read.
  EXPECT_FALSE(JoyDown(3));
  const int again = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 4, 0);
  ASSERT_GE(again, 0) << SDL_GetError();
  EXPECT_FALSE(JoyDown(1));
  SDL_Joystick* second = SDL_JoystickOpen(again);
  ASSERT_NE(second, nullptr);
  ASSERT_EQ(SDL_JoystickSetVirtualButton(second, 0, SDL_PRESSED), 0);
  SDL_JoystickUpdate();
  EXPECT_TRUE(JoyDown(1));
  SDL_JoystickClose(second);
  ASSERT_EQ(SDL_JoystickDetachVirtual(again), 0);
  EXPECT_FALSE(JoyDown(1));
}

TEST_F(InputEventsTest, AGameControllerAimsWithItsStickAndPressesKeys) {
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  ASSERT_TRUE(AttachVirtualPad()) << SDL_GetError();
  EXPECT_TRUE(PadConnected()) << "opened as a game controller when it arrives";
  // The left stick, y down, with a dead zone around the middle.
  ASSERT_TRUE(SetVirtualPadStick(1.0f, -0.5f));
  EXPECT_NEAR(StickX(), 1.0f, 0.02f);
  EXPECT_LT(StickY(), -0.2f);
  ASSERT_TRUE(SetVirtualPadStick(0.05f, -0.05f));
  EXPECT_EQ(StickX(), 0.0f);
  EXPECT_EQ(StickY(), 0.0f);
  // Buttons arrive as the keys the menus and the game already read.
  const struct {
    SDL_GameControllerButton button;
    int key;
  } keys[] = {
      {SDL_CONTROLLER_BUTTON_A, KEY_ENTER},         {SDL_CONTROLLER_BUTTON_B, KEY_PAD_BACK},
      {SDL_CONTROLLER_BUTTON_START, KEY_PAD_START}, {SDL_CONTROLLER_BUTTON_DPAD_UP, KEY_UP},
      {SDL_CONTROLLER_BUTTON_DPAD_DOWN, KEY_DOWN},  {SDL_CONTROLLER_BUTTON_DPAD_LEFT, KEY_LEFT},
      {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, KEY_RIGHT}};
  for (const auto& k : keys) {
    ASSERT_TRUE(SetVirtualPadButton(k.button, true));
    EXPECT_TRUE(KeyDown(k.key)) << "button " << k.button;
    EXPECT_EQ(KeyHit(k.key), 1) << "button " << k.button;
    ASSERT_TRUE(SetVirtualPadButton(k.button, false));
    EXPECT_FALSE(KeyDown(k.key)) << "button " << k.button;
  }
  // Unplugged while the stick is held: no stale aim, no stuck key.
  ASSERT_TRUE(SetVirtualPadStick(-1.0f, 0.0f));
  ASSERT_TRUE(SetVirtualPadButton(SDL_CONTROLLER_BUTTON_A, true));
  EXPECT_TRUE(KeyDown(KEY_ENTER));
  DetachVirtualPad();
  EXPECT_FALSE(PadConnected());
  EXPECT_EQ(StickX(), 0.0f);
  EXPECT_FALSE(KeyDown(KEY_ENTER));
}

// [SECTION] Channels -----------------------------------------------------------------------------

/// Mixer channels handed from one sound to the next, as the game's many short sounds do.
class ChannelTest : public InputEventsTest {
 protected:
  void SetUp() override {
    InputEventsTest::SetUp();
    RegisterEmbeddedAssets();
    if (!AudioAvailable()) GTEST_SKIP() << "no audio device, not even the dummy one";
    Mix_HaltChannel(-1);
  }
};

TEST_F(ChannelTest, AHandleWhoseChannelWentToAnotherSoundChangesNothing) {
  const SoundPtr first = LoadSound("sounds/rain1.ogg", SOUND_LOOP);
  const SoundPtr second = LoadSound("sounds/rain2.ogg", SOUND_LOOP);
  ASSERT_TRUE(first && second);
  const ChannelPtr old = PlaySound(first);
  ASSERT_GE(old->mixerChannel, 0);
  EXPECT_TRUE(ChannelPlaying(old));
  // The sound ends by itself (here: the mixer stops it), and the next sound gets its channel.
  Mix_HaltChannel(old->mixerChannel);
  const ChannelPtr now = PlaySound(second);
  ASSERT_EQ(now->mixerChannel, old->mixerChannel) << "the freed channel is the one taken";
  EXPECT_FALSE(ChannelPlaying(old));
  EXPECT_TRUE(ChannelPlaying(now));

  SetChannelVolume(old, 0.0f);
  EXPECT_EQ(Mix_Volume(now->mixerChannel, -1), MIX_MAX_VOLUME) << "the old handle set no volume";
  StopChannel(old);
  EXPECT_TRUE(ChannelPlaying(now)) << "nor stopped the new sound";
  // Played again through the old handle, the first sound takes a channel of its own.
  PlaySound(first, old);
  EXPECT_NE(old->mixerChannel, now->mixerChannel);
  EXPECT_TRUE(ChannelPlaying(old));
  EXPECT_TRUE(ChannelPlaying(now));

  // A handle that still owns its channel keeps it when played again.
  const int kept = now->mixerChannel;
  PlaySound(second, now);
  EXPECT_EQ(now->mixerChannel, kept);
  StopChannel(now);
  EXPECT_FALSE(ChannelPlaying(now));
  EXPECT_TRUE(ChannelPlaying(old));
}

TEST_F(ChannelTest, AMusicHandleLosesTheStreamToTheNextMusic) {
  const SoundPtr theme = LoadSound("sounds/theme1.ogg");
  const SoundPtr next = LoadSound("sounds/theme2.ogg");
  ASSERT_TRUE(theme && next);
  ASSERT_TRUE(theme->IsStreamed());
  const ChannelPtr old = PlaySound(theme);
  EXPECT_TRUE(ChannelPlaying(old));
  const ChannelPtr now = PlaySound(next);
  EXPECT_FALSE(ChannelPlaying(old));
  EXPECT_TRUE(ChannelPlaying(now));
  SetChannelVolume(old, 0.0f);
  EXPECT_EQ(Mix_VolumeMusic(-1), MIX_MAX_VOLUME);
  StopChannel(old);
  EXPECT_TRUE(ChannelPlaying(now));
  StopChannel(now);
  EXPECT_FALSE(ChannelPlaying(now));
}

}  // namespace
