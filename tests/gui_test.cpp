// GUI toolkit core: fonts by name, colours from text, events and the queue, the drawing-state
// stack, the mouse state machine (overlap, press, hold, release, hidden and moved-onto gadgets),
// screen switching, panel routing and clipping, the cursor and the skin folder lookup. Headless,
// driven by injected mouse input through kiv_RefreshGUI frames.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "fixtures/gui/skin_fixture.h"
#include "gui/kiv_gui.h"

namespace {

using gui_fixture::GuiTest;

std::uint32_t Pixel(int x, int y) {
  PixmapPtr p = GrabPixmap(x, y, 1, 1);
  return p ? (p->ReadPixel(0, 0) & 0xFFFFFFu) : 0xDEADu;
}

// [SECTION] Fonts and colours ---------------------------------------------------------------------

TEST_F(GuiTest, FontsAreFoundIgnoringCaseAndNewGadgetsTakeTheDefaultFont) {
  const FontPtr def = kiv_GUI::GetFont("Default");
  ASSERT_NE(def, nullptr);
  EXPECT_EQ(kiv_GUI::GetFont("DEFAULT"), def);
  EXPECT_EQ(kiv_GUI::GetFont("default"), def);
  EXPECT_EQ(def->Size(), 26);
  EXPECT_EQ(kiv_GUI::GetFont("big")->Size(), 30);
  EXPECT_EQ(kiv_GUI::GetFont(""), nullptr);
  EXPECT_EQ(kiv_GUI::GetFont("Huge"), nullptr);

  kiv_PanelPtr panel = MakeScreen();
  kiv_ButtonPtr button = kiv_CreateButton("b", "x", 0, 0, 10, 10, panel);
  EXPECT_EQ(button->gFont, def);
  button->SetFont("SMALL2");
  EXPECT_EQ(button->gFont, kiv_GUI::GetFont("Small2"));
  kiv_GUI::AddFont("", "font.ttf", 12);  // ignored
  EXPECT_EQ(kiv_GUI::GetFont(""), nullptr);
}

TEST_F(GuiTest, HexColoursAcceptExactlySixDigitsInEitherCase) {
  struct Case {
    const char* hex;
    std::array<int, 3> rgb;
  };
  const Case cases[] = {
      {"4E71B0", {78, 113, 176}}, {"ffffff", {255, 255, 255}}, {"a5E3e6", {165, 227, 230}},
      {"000000", {0, 0, 0}},      {"FFF", {0, 0, 0}},          {"", {0, 0, 0}},
      {"1234567", {0, 0, 0}},     {"12345G", {0, 0, 0}},       {"#FFFFF", {0, 0, 0}},
  };
  kiv_PanelPtr panel = MakeScreen();
  kiv_ButtonPtr button = kiv_CreateButton("b", "x", 0, 0, 10, 10, panel);
  for (const Case& c : cases) {
    button->SetColour(9, 9, 9);
    button->SetTextColour(9, 9, 9);
    button->HexColour(c.hex);
    button->HexTextColour(c.hex);
    EXPECT_EQ(button->gColour, c.rgb) << c.hex;
    EXPECT_EQ(button->gTextColour, c.rgb) << c.hex;
  }
}

// [SECTION] Events --------------------------------------------------------------------------------

TEST_F(GuiTest, EventsHaveATextForm) {
  kiv_PanelPtr panel = MakeScreen();
  kiv_ButtonPtr button = kiv_CreateButton("Start", "go", 0, 0, 10, 10, panel);
  struct Case {
    int id;
    kiv_GadgetPtr source;
    const char* text;
  };
  const Case cases[] = {
      {1, nullptr, "Event: SetScreen Data: 0 X: 0 Y: 0 Source: External Source"},
      {11, button, "Event: GadgetAction Data: 5 X: 1 Y: 2 Source: Start"},
      {12, button, "Event: GadgetSelect Data: 5 X: 1 Y: 2 Source: Start"},
      {13, button, "Event: GadgetOpen Data: 5 X: 1 Y: 2 Source: Start"},
      {14, button, "Event: GadgetClose Data: 5 X: 1 Y: 2 Source: Start"},
      {21, button, "Event: MouseOver Data: 5 X: 1 Y: 2 Source: Start"},
      {7, button, "Event: Unknown Event: 7 Data: 5 X: 1 Y: 2 Source: Start"},
  };
  for (const Case& c : cases) {
    kiv_TEvent e;
    e.gID = c.id;
    e.gSource = c.source;
    e.gData = c.source ? 5 : 0;
    e.gX = c.source ? 1 : 0;
    e.gY = c.source ? 2 : 0;
    EXPECT_EQ(e.ToString(), c.text);
  }
}

TEST_F(GuiTest, QueueIsFirstInFirstOutAndAnEmptyPollKeepsTheCurrentEvent) {
  EXPECT_EQ(kiv_PollEvent(), 0);
  EXPECT_EQ(kiv_EventID(), 0);
  EXPECT_EQ(kiv_EventSource(), nullptr);

  kiv_PanelPtr panel = MakeScreen();
  auto extra = std::make_shared<int>(42);
  kiv_CreateEvent(11, panel, 3, 4, 5, extra);
  kiv_CreateEvent(12, nullptr, 6, 7, 8);
  EXPECT_EQ(kiv_CountEvents(), 2);
  ASSERT_EQ(kiv_PollEvent(), 11);
  EXPECT_EQ(kiv_EventSource(), panel);
  EXPECT_EQ(kiv_EventData(), 3);
  EXPECT_EQ(kiv_EventX(), 4);
  EXPECT_EQ(kiv_EventY(), 5);
  EXPECT_EQ(*std::static_pointer_cast<int>(kiv_EventExtra()), 42);
  ASSERT_EQ(kiv_PollEvent(), 12);
  EXPECT_EQ(kiv_PollEvent(), 0);
  EXPECT_EQ(kiv_PollEvent(), 0);
  // The last event taken stays current.
  EXPECT_EQ(kiv_EventID(), 12);
  EXPECT_EQ(kiv_EventData(), 6);
  EXPECT_EQ(kiv_EventSource(), nullptr);
}

// [SECTION] Drawing state -------------------------------------------------------------------------

TEST_F(GuiTest, RefreshLeavesTheWholeDrawingStateAsItFoundIt) {
  kiv_PanelPtr panel = MakeScreen();
  panel->gBackground = 1;
  kiv_CreateButton("b", "text", 10, 10, 100, 30, panel)->HexTextColour("102030");
  kiv_CreateLabel("l", "label", 10, 50, 0, 0, 0, 0, panel);
  kiv_TablePtr table = kiv_CreateTable("t", 10, 100, 200, "h", 50, 20, 1, panel);
  for (int i = 0; i < 30; ++i) table->AddItem({"row"});

  SetColor(1, 2, 3);
  SetClsColor(4, 5, 6);
  SetAlpha(0.25f);
  SetBlend(LIGHTBLEND);
  SetRotation(30);
  SetScale(2, 3);
  SetOrigin(7, 8);
  SetViewport(1, 2, 300, 400);
  SetImageFont(kiv_GUI::GetFont("Small"));
  const kiv_State before = kiv_State::Current();
  InjectMouseMove(20, 20);
  Frame();
  const kiv_State after = kiv_State::Current();
  EXPECT_EQ(after.gColour, before.gColour);
  EXPECT_EQ(after.gClsColour, before.gClsColour);
  EXPECT_EQ(after.gAlpha, before.gAlpha);
  EXPECT_EQ(after.gBlend, before.gBlend);
  EXPECT_EQ(after.gRotation, before.gRotation);
  EXPECT_EQ(after.gXScale, before.gXScale);
  EXPECT_EQ(after.gYScale, before.gYScale);
  EXPECT_EQ(after.gOrigin, before.gOrigin);
  EXPECT_EQ(after.gViewport, before.gViewport);
  EXPECT_EQ(after.gFont, before.gFont);
  EXPECT_EQ(kiv_State::Depth(), 0);
  // The widgets were drawn upright even though the game left a rotation set.
  for (const TDrawTraceEntry& d : DrawTrace()) EXPECT_EQ(d.rotation, 0.0f) << d.op << " " << d.path;
}

// [SECTION] Mouse state machine -------------------------------------------------------------------

TEST_F(GuiTest, OnlyTheLastAddedOfTwoOverlappingButtonsGetsMouseOver) {
  kiv_PanelPtr panel = MakeScreen();
  kiv_ButtonPtr first = kiv_CreateButton("first", "1", 100, 100, 100, 40, panel);
  kiv_ButtonPtr second = kiv_CreateButton("second", "2", 150, 110, 100, 40, panel);
  InjectMouseMove(170, 120);
  const auto events = Frame();
  const auto over = Only(events, EVENT_MOUSEOVER);
  ASSERT_EQ(over.size(), 1u);
  EXPECT_EQ(over[0].gSource, second);
  // The mouse position relative to the gadget.
  EXPECT_EQ(over[0].gX, 20);
  EXPECT_EQ(over[0].gY, 10);
  EXPECT_EQ(kiv_GUI::GetMouseOver(), second.get());
  EXPECT_EQ(kiv_GUI::GetCursor(), 1);

  // Pressing there presses only the top button.
  InjectMouseButton(1, true);
  const auto pressed = Frame();
  ASSERT_EQ(Only(pressed, EVENT_GADGETACTION).size(), 1u);
  EXPECT_EQ(Only(pressed, EVENT_GADGETACTION)[0].gSource, second);
  EXPECT_EQ(first->gState, kiv_TGadget::IDLE_STATE);  // the mouse belongs to `second` now
  EXPECT_EQ(second->gState, kiv_TGadget::MOUSEDOWN_STATE);
}

TEST_F(GuiTest, HoldingAButtonActsEveryFrameAndSelectsOnceAtTheRelease) {
  kiv_PanelPtr panel = MakeScreen();
  kiv_ButtonPtr button = kiv_CreateButton("b", "hold", 100, 100, 100, 40, panel);
  InjectMouseMove(120, 120);
  EXPECT_TRUE(Only(Frame(), EVENT_GADGETACTION).empty());
  InjectMouseButton(1, true);
  for (int frame = 0; frame < 4; ++frame) {
    const auto events = Frame();
    EXPECT_EQ(Only(events, EVENT_GADGETACTION, button).size(), 1u) << frame;
    EXPECT_TRUE(Only(events, EVENT_GADGETSELECT).empty());
    EXPECT_EQ(kiv_GUI::GetActiveGadget(), button.get());
    EXPECT_EQ(kiv_GUI::GetCursor(), 2);
  }
  InjectMouseMove(500, 500);  // the release does not ask where the mouse is
  InjectMouseButton(1, false);
  const auto released = Frame();
  EXPECT_EQ(Only(released, EVENT_GADGETSELECT, button).size(), 1u);
  EXPECT_TRUE(Only(released, EVENT_GADGETACTION).empty());
  EXPECT_EQ(button->gState, kiv_TGadget::MOUSERELEASE_STATE);
  EXPECT_EQ(kiv_GUI::GetActiveGadget(), nullptr);
  EXPECT_TRUE(Only(Frame(), EVENT_GADGETSELECT).empty());
  EXPECT_EQ(button->gState, kiv_TGadget::IDLE_STATE);
}

TEST_F(GuiTest, FlushingTheMouseAfterAnActionTurnsTheNextFrameIntoTheRelease) {
  kiv_PanelPtr panel = MakeScreen();
  kiv_ButtonPtr button = kiv_CreateButton("b", "x", 100, 100, 100, 40, panel);
  InjectMouseMove(120, 120);
  InjectMouseButton(1, true);
  EXPECT_EQ(Only(Frame(), EVENT_GADGETACTION).size(), 1u);
  FlushMouse();
  const auto events = Frame();
  EXPECT_TRUE(Only(events, EVENT_GADGETACTION).empty());
  EXPECT_EQ(Only(events, EVENT_GADGETSELECT, button).size(), 1u);
}

TEST_F(GuiTest, APressReleasedBeforeTheNextFrameIsStillAClick) {
  kiv_PanelPtr panel = MakeScreen();
  kiv_ButtonPtr button = kiv_CreateButton("b", "x", 100, 100, 100, 40, panel);
  InjectMouseMove(120, 120);
  Frame();
  // Clicks that touchpads and automation send: down and up before the toolkit looks.
  for (int click = 0; click < 3; ++click) {
    InjectMouseButton(1, true);
    InjectMouseButton(1, false);
    const auto pressed = Frame();
    EXPECT_EQ(Only(pressed, EVENT_GADGETACTION, button).size(), 1u) << click;
    EXPECT_TRUE(Only(pressed, EVENT_GADGETSELECT).empty()) << click;
    const auto released = Frame();
    EXPECT_TRUE(Only(released, EVENT_GADGETACTION).empty()) << click;
    EXPECT_EQ(Only(released, EVENT_GADGETSELECT, button).size(), 1u) << click;
    EXPECT_EQ(kiv_GUI::GetActiveGadget(), nullptr);
  }
  // A second quick click while the first is being released: it presses again at once.
  InjectMouseButton(1, true);
  InjectMouseButton(1, false);
  EXPECT_EQ(Only(Frame(), EVENT_GADGETACTION, button).size(), 1u);
  InjectMouseButton(1, true);
  InjectMouseButton(1, false);
  EXPECT_EQ(Only(Frame(), EVENT_GADGETSELECT, button).size(), 1u) << "the first click ends";
  const auto second = Frame();
  EXPECT_EQ(Only(second, EVENT_GADGETACTION, button).size(), 1u) << "the second one presses";
  EXPECT_EQ(Only(Frame(), EVENT_GADGETSELECT, button).size(), 1u);
  const auto after = Frame();
  EXPECT_TRUE(Only(after, EVENT_GADGETACTION).empty() && Only(after, EVENT_GADGETSELECT).empty())
      << "nothing is left over";

  // A quick click beside the button is used up there: moving onto it later presses nothing.
  InjectMouseMove(400, 400);
  InjectMouseButton(1, true);
  InjectMouseButton(1, false);
  Frame();
  InjectMouseMove(120, 120);
  EXPECT_TRUE(Only(Frame(), EVENT_GADGETACTION).empty());
  EXPECT_EQ(button->gState, kiv_TGadget::MOUSEOVER_STATE);
}

TEST_F(GuiTest, LettingGoOfTheHeldGadgetEndsItsPressWithoutARelease) {
  kiv_PanelPtr panel = MakeScreen();
  kiv_ButtonPtr button = kiv_CreateButton("b", "x", 100, 100, 100, 40, panel);
  InjectMouseMove(120, 120);
  InjectMouseButton(1, true);
  Frame();
  ASSERT_EQ(kiv_GUI::GetActiveGadget(), button.get());
  kiv_GUI::DropActiveGadget();
  EXPECT_EQ(kiv_GUI::GetActiveGadget(), nullptr);
  EXPECT_EQ(button->gState, kiv_TGadget::IDLE_STATE);
  InjectMouseButton(1, false);
  EXPECT_TRUE(Only(Frame(), EVENT_GADGETSELECT).empty());
}

TEST_F(GuiTest, MovingOntoAButtonWithTheMouseAlreadyDownPressesIt) {
  kiv_PanelPtr panel = MakeScreen();
  kiv_ButtonPtr button = kiv_CreateButton("b", "x", 100, 100, 100, 40, panel);
  InjectMouseMove(400, 400);
  InjectMouseButton(1, true);
  EXPECT_TRUE(Only(Frame(), EVENT_GADGETACTION).empty());
  InjectMouseMove(150, 120);
  const auto events = Frame();
  EXPECT_EQ(Only(events, EVENT_GADGETACTION, button).size(), 1u);
  EXPECT_EQ(button->gState, kiv_TGadget::MOUSEDOWN_STATE);
}

TEST_F(GuiTest, APressedGadgetKeepsTheMouseWhileOthersWait) {
  kiv_PanelPtr panel = MakeScreen();
  kiv_ButtonPtr held = kiv_CreateButton("held", "x", 100, 100, 100, 40, panel);
  kiv_ButtonPtr other = kiv_CreateButton("other", "y", 300, 100, 100, 40, panel);
  InjectMouseMove(120, 120);
  InjectMouseButton(1, true);
  Frame();
  InjectMouseMove(320, 120);  // dragged onto the other button
  const auto events = Frame();
  EXPECT_EQ(Only(events, EVENT_GADGETACTION, held).size(), 1u);
  EXPECT_TRUE(Only(events, EVENT_GADGETACTION, other).empty());
  EXPECT_TRUE(Only(events, EVENT_MOUSEOVER, other).empty());
  EXPECT_EQ(other->gState, kiv_TGadget::IDLE_STATE);
}

TEST_F(GuiTest, APressedThenHiddenGadgetIsStillReleased) {
  kiv_PanelPtr panel = MakeScreen();
  kiv_ButtonPtr button = kiv_CreateButton("b", "x", 100, 100, 100, 40, panel);
  InjectMouseMove(120, 120);
  InjectMouseButton(1, true);
  Frame();
  button->Hide();
  EXPECT_EQ(Only(Frame(), EVENT_GADGETACTION, button).size(), 1u);  // still held
  InjectMouseButton(1, false);
  const auto events = Frame();
  EXPECT_EQ(Only(events, EVENT_GADGETSELECT, button).size(), 1u);
  EXPECT_EQ(kiv_GUI::GetActiveGadget(), nullptr);
  // Hidden: no longer drawn nor hit.
  InjectMouseButton(1, true);
  EXPECT_TRUE(Frame().empty());
  EXPECT_TRUE(Draws("text", "x").empty());
}

TEST_F(GuiTest, AReleaseReachesAPressedGadgetAfterTheMouseLeftItsPanel) {
  kiv_ScreenPtr screen = kiv_CreateScreen("s", "");
  kiv_PanelPtr panel = kiv_CreatePanel("p", 250, 130, 300, 300, nullptr);
  screen->AddPanel(panel);
  kiv_GUI::SetScreen(screen);
  kiv_ButtonPtr button = kiv_CreateButton("b", "x", 50, 80, 200, 25, panel);
  InjectMouseMove(320, 220);
  InjectMouseButton(1, true);
  EXPECT_EQ(Only(Frame(), EVENT_GADGETACTION, button).size(), 1u);
  InjectMouseMove(700, 550);  // out of the panel
  InjectMouseButton(1, false);
  EXPECT_EQ(Only(Frame(), EVENT_GADGETSELECT, button).size(), 1u);
  EXPECT_EQ(kiv_GUI::GetActiveGadget(), nullptr);
}

TEST_F(GuiTest, ALabelIsHitTestedButOnlyPostsMouseOver) {
  kiv_PanelPtr panel = MakeScreen();
  kiv_LabelPtr label = kiv_CreateLabel("l", "Some label", 100, 100, 10, 10, 0, 0, panel);
  InjectMouseMove(110, 110);
  InjectMouseButton(1, true);
  auto events = Frame();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].gID, EVENT_MOUSEOVER);
  EXPECT_EQ(events[0].gSource, label);
  InjectMouseButton(1, false);
  for (const kiv_TEvent& e : Frame()) EXPECT_EQ(e.gID, EVENT_MOUSEOVER);
}

// [SECTION] Screens -------------------------------------------------------------------------------

TEST_F(GuiTest, LinkedButtonsSwitchScreensAtTheirRelease) {
  kiv_PanelPtr menuPanel = MakeScreen("Screen 1");
  kiv_ScreenPtr menu = kiv_GUI::ActiveScreen();
  kiv_ScreenPtr levels = kiv_CreateScreen("Screen 2", "");
  kiv_PanelPtr levelPanel = kiv_CreatePanel("panel 2", 0, 0, 800, 600, nullptr);
  levels->AddPanel(levelPanel);
  kiv_ButtonPtr play = kiv_CreateButton("screen2", "PLAY", 370, 250, 60, 25, menuPanel);
  play->SetNameLink("SCREEN 2");
  kiv_ButtonPtr back = kiv_CreateButton("menuzz", "", 520, 820, 100, 54, levelPanel);
  back->SetLink(menu);
  back->Hide();
  EXPECT_EQ(play->gLink, levels);

  InjectMouseMove(380, 260);
  InjectMouseButton(1, true);
  Frame();
  EXPECT_EQ(kiv_GUI::ActiveScreen(), menu);  // not before the release
  InjectMouseButton(1, false);
  const auto events = Frame();
  EXPECT_EQ(kiv_GUI::ActiveScreen(), levels);
  const auto switched = Only(events, EVENT_SETSCREEN);
  ASSERT_EQ(switched.size(), 1u);
  EXPECT_EQ(switched[0].gSource, play);
  EXPECT_EQ(std::static_pointer_cast<kiv_TScreen>(switched[0].gExtra), levels);
  // The select comes before the switch.
  EXPECT_EQ(events[events.size() - 2].gID, EVENT_GADGETSELECT);

  // A hidden button pressed from code switches too.
  back->UpdateMouseRelease(0, 0);
  EXPECT_EQ(kiv_GUI::ActiveScreen(), menu);
  EXPECT_EQ(Only(Drain(), EVENT_SETSCREEN, back).size(), 1u);
}

TEST_F(GuiTest, ScreensByNameAndTheNullScreen) {
  MakeScreen("Screen 1");
  kiv_ScreenPtr two = kiv_CreateScreen("Screen 2", "family");
  EXPECT_EQ(kiv_CreateScreen("", "x"), nullptr);
  EXPECT_EQ(kiv_GUI::GetScreen(""), nullptr);
  EXPECT_EQ(kiv_GUI::GetScreen("nothing"), nullptr);
  EXPECT_EQ(kiv_GUI::GetScreen("screen 2"), two);
  EXPECT_EQ(two->GetFamily(), "family");
  EXPECT_EQ(kiv_GUI::GetPanel("PANEL SCREEN 1")->gName, "panel Screen 1");
  EXPECT_EQ(kiv_GUI::GetPanel(""), nullptr);

  kiv_SetScreen("SCREEN 2");
  EXPECT_EQ(kiv_GUI::ActiveScreen(), two);
  auto events = Drain();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].gID, EVENT_SETSCREEN);
  EXPECT_EQ(events[0].gSource, nullptr);
  EXPECT_EQ(std::static_pointer_cast<kiv_TScreen>(events[0].gExtra), two);

  testing::internal::CaptureStdout();
  kiv_GUI::SetScreen(nullptr);
  kiv_SetScreen("no such screen");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "What the fuck?\nWhat the fuck?\n");
  EXPECT_EQ(kiv_GUI::ActiveScreen(), two);
}

TEST_F(GuiTest, CreatorsWithAnEmptyNameCreateNothing) {
  kiv_PanelPtr panel = MakeScreen();
  EXPECT_EQ(kiv_CreatePanel("", 0, 0, 10, 10, panel), nullptr);
  EXPECT_EQ(kiv_CreateButton("", "x", 0, 0, 10, 10, panel), nullptr);
  EXPECT_EQ(kiv_CreateLabel("", "x", 0, 0, 10, 10, 0, 0, panel), nullptr);
  EXPECT_EQ(kiv_CreateTable("", 0, 0, 100, "h", 10, 20, 1, panel), nullptr);
  EXPECT_TRUE(panel->gChildren.empty());
}

// [SECTION] Panels --------------------------------------------------------------------------------

TEST_F(GuiTest, TheTopmostPanelUnderTheMouseTakesItAndCoveredPanelsDoNot) {
  kiv_ScreenPtr screen = kiv_CreateScreen("s", "");
  kiv_PanelPtr bottom = kiv_CreatePanel("bottom", 0, 0, 400, 400, nullptr);
  kiv_PanelPtr top = kiv_CreatePanel("top", 100, 100, 200, 200, nullptr);
  top->gBackground = 0;
  bottom->gBackground = 0;
  screen->AddPanel(bottom);
  screen->AddPanel(top);
  kiv_GUI::SetScreen(screen);
  kiv_ButtonPtr under = kiv_CreateButton("under", "u", 120, 120, 60, 30, bottom);
  kiv_ButtonPtr outside = kiv_CreateButton("outside", "o", 10, 10, 60, 30, bottom);
  InjectMouseMove(130, 130);  // inside both panels and over `under`
  auto events = Frame();
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(under->gState, kiv_TGadget::IDLE_STATE);
  InjectMouseMove(20, 20);
  events = Frame();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].gSource, outside);
}

TEST_F(GuiTest, APanelWithoutBackgroundDrawsNothingButRoutesTheMouse) {
  kiv_PanelPtr panel = MakeScreen();  // background and border off
  kiv_ButtonPtr button = kiv_CreateButton("b", "x", 10, 10, 50, 20, panel);
  button->gBackground = 0;
  InjectMouseMove(20, 20);
  const auto events = Frame();
  EXPECT_EQ(Only(events, EVENT_MOUSEOVER, button).size(), 1u);
  EXPECT_TRUE(Draws("imagerect").empty());
  EXPECT_EQ(Draws("text").size(), 1u);
}

TEST_F(GuiTest, FramedPanelsAreDrawnFromNinePiecesAndPlainOnesFromTheCentre) {
  kiv_ScreenPtr screen = kiv_CreateScreen("s", "");
  kiv_PanelPtr panel = kiv_CreatePanel("p", 250, 130, 300, 200, nullptr);
  screen->AddPanel(panel);
  kiv_GUI::SetScreen(screen);
  panel->HexColour("A5E3E6");
  panel->SetAlpha(0.7f);
  Frame();
  const std::string path = Skin("/graphics/panel.png");
  const auto pieces = Draws("imagerect", path);
  struct Piece {
    int frame;
    float x, y, w, h;
  };
  const Piece expected[] = {
      {0, 250, 130, 5, 5},   {2, 545, 130, 5, 5},   {6, 250, 325, 5, 5},
      {8, 545, 325, 5, 5},   {1, 255, 130, 290, 5}, {7, 255, 325, 290, 5},
      {3, 250, 135, 5, 190}, {5, 545, 135, 5, 190}, {4, 255, 135, 290, 190},
  };
  ASSERT_EQ(pieces.size(), 9u);
  for (const Piece& p : expected) {
    bool found = false;
    for (const TDrawTraceEntry& d : pieces) {
      if (d.frame == p.frame) {
        found = true;
        EXPECT_EQ(d.x, p.x) << p.frame;
        EXPECT_EQ(d.y, p.y) << p.frame;
        EXPECT_EQ(d.w, p.w) << p.frame;
        EXPECT_EQ(d.h, p.h) << p.frame;
        EXPECT_EQ(d.r, 165);
        EXPECT_EQ(d.g, 227);
        EXPECT_EQ(d.b, 230);
        EXPECT_FLOAT_EQ(d.alpha, 0.7f);
      }
    }
    EXPECT_TRUE(found) << p.frame;
  }

  panel->BorderOff();
  Frame();
  const auto plain = Draws("imagerect", path);
  ASSERT_EQ(plain.size(), 1u);
  EXPECT_EQ(plain[0].frame, 4);
  EXPECT_EQ(plain[0].x, 250);
  EXPECT_EQ(plain[0].w, 300);
  EXPECT_EQ(plain[0].h, 200);
}

TEST_F(GuiTest, ChildrenAreClippedTwoPixelsInsideTheirPanel) {
  SetBlend(SOLIDBLEND);
  kiv_ScreenPtr screen = kiv_CreateScreen("s", "");
  kiv_PanelPtr panel = kiv_CreatePanel("p", 100, 100, 100, 100, nullptr);
  panel->BackgroundOff();
  screen->AddPanel(panel);
  kiv_GUI::SetScreen(screen);
  // A skinned button sticking out of the panel on the left.
  kiv_CreateButton("b", "", -50, 20, 100, 40, panel);
  InjectMouseMove(700, 500);
  Cls();
  Frame();
  const std::uint32_t edge = gui_fixture::PieceColour(gui_fixture::BUTTON_BASE, 1) & 0xFFFFFFu;
  EXPECT_EQ(Pixel(95, 120), 0u);     // left of the panel
  EXPECT_EQ(Pixel(101, 120), 0u);    // in the 2-pixel border
  EXPECT_EQ(Pixel(103, 120), edge);  // inside: the button's top edge piece
  EXPECT_EQ(Pixel(120, 120), edge);
}

// [SECTION] Cursor --------------------------------------------------------------------------------

TEST_F(GuiTest, TheSkinCursorFollowsTheMouseAndShowsTheMouseState) {
  kiv_PanelPtr panel = MakeScreen();
  kiv_CreateButton("b", "x", 100, 100, 100, 40, panel);
  const std::string normal = Skin("/graphics/cursors/normal.png");
  const std::string over = Skin("/graphics/cursors/mouseover.png");
  const std::string down = Skin("/graphics/cursors/mousedown.png");
  struct Case {
    int x, y;
    bool pressed;
    std::string picture;
    float drawnX;
  };
  const Case cases[] = {
      {400, 300, false, normal, 400}, {150, 120, false, over, 145}, {150, 120, true, down, 145}};
  for (const Case& c : cases) {
    InjectMouseMove(c.x, c.y);
    InjectMouseButton(1, c.pressed);
    Frame();
    ASSERT_FALSE(DrawTrace().empty());
    const TDrawTraceEntry& last = DrawTrace().back();  // drawn above everything
    EXPECT_EQ(last.op, "image");
    EXPECT_EQ(last.path, c.picture);
    EXPECT_EQ(last.x, c.drawnX);
    EXPECT_EQ(last.y, c.y);
    EXPECT_EQ(last.r, 255);
    EXPECT_EQ(last.alpha, 1.0f);
  }
  InjectMouseButton(1, false);
  Frame();

  // With the system cursor and a third resolution value the normal cursor is not drawn.
  kiv_SystemCursor(1);
  kiv_SetRes(800, 600, 1);
  InjectMouseMove(400, 300);
  Frame();
  EXPECT_TRUE(Draws("image", normal).empty());
  InjectMouseMove(150, 120);
  Frame();
  EXPECT_EQ(Draws("image", over).size(), 1u);
}

// [SECTION] Skin folder ---------------------------------------------------------------------------

TEST_F(GuiTest, TheSkinFolderIsFoundInTheWorkingFolderThenBesideTheProgram) {
  namespace fs = std::filesystem;
  const std::string name = "gui_test_skin_" + std::to_string(::getpid());
  const fs::path beside = fs::path(ExecutableFolder()) / name;
  const fs::path work = fs::temp_directory_path() / ("gui_test_work_" + std::to_string(::getpid()));
  gui_fixture::WriteSkin(beside);
  fs::create_directories(work);
  const fs::path savedCwd = fs::current_path();
  fs::current_path(work);

  kiv_LoadSkin(name);
  EXPECT_EQ(kiv_GUI::SkinPath(), ExecutableFolder() + name);
  kiv_AddFont("Beside", "font.ttf", 12);
  EXPECT_NE(kiv_GUI::GetFont("Beside"), nullptr);

  gui_fixture::WriteSkin(work / name);  // the working folder wins
  kiv_LoadSkin(name);
  EXPECT_EQ(kiv_GUI::SkinPath(), name);

  fs::current_path(savedCwd);
  std::error_code ec;
  fs::remove_all(beside, ec);
  fs::remove_all(work, ec);
}

TEST_F(GuiTest, AMissingSkinOrFontIsReportedOnceAndTheToolkitKeepsWorking) {
  const std::string missing =
      (std::filesystem::temp_directory_path() / "no_such_skin_here").string();
  testing::internal::CaptureStderr();
  kiv_LoadSkin(missing);
  kiv_AddFont("Gone", "font.ttf", 20);
  kiv_AddFont("Gone2", "font.ttf", 30);  // the same missing file: no second line
  const std::string err = testing::internal::GetCapturedStderr();
  const auto lines = std::count(err.begin(), err.end(), '\n');
  // panel, button, 4 scroll bar pictures, 3 cursors, the font file (the thumb is one file).
  EXPECT_EQ(lines, 10) << err;
  EXPECT_NE(err.find(missing + "/graphics/panel.png"), std::string::npos);
  EXPECT_NE(err.find(missing + "/Fonts/font.ttf"), std::string::npos);

  kiv_PanelPtr panel = MakeScreen();
  panel->gBackground = 1;
  kiv_ButtonPtr button = kiv_CreateButton("b", "caption", 10, 10, 200, 40, panel);
  button->SetFont("Gone");
  EXPECT_EQ(button->gFont, nullptr);
  EXPECT_GT(button->gCapX, 10);  // measured with the built-in font
  InjectMouseMove(20, 20);
  const auto events = Frame();
  EXPECT_EQ(Only(events, EVENT_MOUSEOVER, button).size(), 1u);
  EXPECT_TRUE(Draws("imagerect").empty());
  EXPECT_TRUE(Draws("image").empty());
  EXPECT_EQ(Draws("text", "caption").size(), 1u);
}

}  // namespace
