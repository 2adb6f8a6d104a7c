// GUI widgets: button captions and shapes, label geometry, the table (layout, scroll range,
// clamping, drawing only the visible rows, clicks, the wheel, row accessors) and the scroll bar
// (thumb layout, arrows, track, dragging). Headless, driven by injected mouse input.
#include <gtest/gtest.h>

#include <filesystem>

#include "fixtures/gui/skin_fixture.h"
#include "gui/kiv_gui.h"

namespace {

using gui_fixture::GuiTest;

// [SECTION] Buttons -------------------------------------------------------------------------------

TEST_F(GuiTest, ButtonCaptionsAreCentredAndRecentredForANewFont) {
  kiv_PanelPtr panel = MakeScreen();
  kiv_ButtonPtr play = kiv_CreateButton("screen2", "PLAY", 370, 250, 60, 25, panel);
  play->gBackground = 0;
  play->SetTextColour(78, 113, 176);
  for (const char* font : {"Default", "Big", "Small"}) {
    play->SetFont(font);
    const auto [w, h] = Measure(font, "PLAY");
    EXPECT_EQ(play->gCapX, static_cast<int>(30.0 + 370 - w / 2)) << font;
    EXPECT_EQ(play->gCapY, static_cast<int>(12.5 + 250 - h / 2)) << font;
    Frame();
    const auto texts = Draws("text", "PLAY");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].x, static_cast<float>(play->gCapX));
    EXPECT_EQ(texts[0].y, static_cast<float>(play->gCapY));
    EXPECT_EQ(texts[0].r, 78);
    EXPECT_EQ(texts[0].b, 176);
  }
  // The larger font moves the caption up and left.
  play->SetFont("Small");
  const int smallX = play->gCapX;
  play->SetFont("Big");
  EXPECT_LT(play->gCapX, smallX);
  EXPECT_TRUE(Draws("imagerect").empty());  // no skin
  play->SetText("A much longer caption");
  EXPECT_LT(play->gCapX, 370);
}

TEST_F(GuiTest, ACaptionInsideAPanelIsDrawnRelativeToIt) {
  kiv_ScreenPtr screen = kiv_CreateScreen("Screen 3", "");
  kiv_PanelPtr panel = kiv_CreatePanel("panel 3", 250, 130, 300, 300, nullptr);
  screen->AddPanel(panel);
  kiv_GUI::SetScreen(screen);
  kiv_ButtonPtr button = kiv_CreateButton("screen3", "main menu", 60, 200, 180, 25, panel);
  Frame();
  const auto texts = Draws("text", "main menu");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].x, 250.0f + static_cast<float>(button->gCapX));
  EXPECT_EQ(texts[0].y, 130.0f + static_cast<float>(button->gCapY));
  // The skinned button: nine pieces of the button picture at the button's screen rectangle.
  const auto skin = Draws("imagerect", Skin("/graphics/button.png"));
  ASSERT_EQ(skin.size(), 9u);
  EXPECT_EQ(skin[0].x, 310.0f);
  EXPECT_EQ(skin[0].y, 330.0f);
  // Hit-tested at its screen position; "MouseOver" gives the mouse relative to the button.
  EXPECT_EQ(button->AbsoluteX(), 310);
  EXPECT_EQ(button->AbsoluteY(), 330);
  InjectMouseMove(315, 340);
  const auto over = Only(Frame(), EVENT_MOUSEOVER, button);
  ASSERT_EQ(over.size(), 1u);
  EXPECT_EQ(over[0].gX, 5);
  EXPECT_EQ(over[0].gY, 10);
}

TEST_F(GuiTest, RoundButtonsAreHitByDistanceFromTheirCentre) {
  const std::string picture = Skin("/graphics/cursors/normal.png");  // 8 x 8
  kiv_PanelPtr panel = MakeScreen();
  kiv_ButtonPtr round = kiv_TButton::CreateCircle("round", picture, 200, 200, 20, panel);
  EXPECT_EQ(round->gCapX, 196);
  EXPECT_EQ(round->gCapY, 196);
  struct Case {
    int x, y;
    bool hit;
  };
  const Case cases[] = {{200, 200, true}, {219, 200, true},  {220, 200, false},
                        {214, 214, true}, {215, 215, false}, {181, 200, true}};
  for (const Case& c : cases) {
    InjectMouseMove(c.x, c.y);
    EXPECT_EQ(Only(Frame(), EVENT_MOUSEOVER, round).size(), c.hit ? 1u : 0u) << c.x << "," << c.y;
  }
  const auto drawn = Draws("image", picture);
  ASSERT_FALSE(drawn.empty());
  EXPECT_EQ(drawn[0].x, 196.0f);
  EXPECT_TRUE(Draws("imagerect", Skin("/graphics/button.png")).empty());  // round: no skin
}

TEST_F(GuiTest, ImageButtonsCentreTheirPictureAndReportAMissingOne) {
  kiv_PanelPtr panel = MakeScreen();
  kiv_ButtonPtr img =
      kiv_TButton::CreateImg("img", Skin("/graphics/cursors/normal.png"), 100, 100, 40, 20, panel);
  EXPECT_EQ(img->gCapX, 100 + 20 - 4);
  EXPECT_EQ(img->gCapY, 100 + 10 - 4);
  testing::internal::CaptureStdout();
  img->LoadImage("no/such/picture.png");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Null image, matey!\n");
  EXPECT_EQ(img->gButtonImage, nullptr);
}

// [SECTION] Labels --------------------------------------------------------------------------------

TEST_F(GuiTest, LabelsTakeTheSizeOfTheirTextAndAlignAboutTheirAnchor) {
  kiv_PanelPtr panel = MakeScreen();
  const int w = Measure("Default", "SELECT LEVEL").first;
  const int lineH = Measure("Default", "yY").second;
  ASSERT_GT(w, 0);
  struct Case {
    int xAlign, yAlign;
    int x, y;
  };
  const Case cases[] = {
      {0, 0, 290, 15}, {1, 1, 290 - w / 2, 15 - lineH / 2}, {2, 2, 290 - w, 15 - lineH}};
  for (const Case& c : cases) {
    kiv_LabelPtr label =
        kiv_CreateLabel("labelselect", "SELECT LEVEL", 290, 15, 100, 50, c.xAlign, c.yAlign, panel);
    EXPECT_EQ(label->gW, static_cast<float>(w));
    EXPECT_EQ(label->gH, static_cast<float>(lineH));
    EXPECT_EQ(label->gX, static_cast<float>(c.x)) << c.xAlign;
    EXPECT_EQ(label->gY, static_cast<float>(c.y)) << c.yAlign;
  }
  kiv_LabelPtr label = kiv_CreateLabel("l2", "abc", 100, 200, 0, 0, 0, 0, panel);
  label->HexTextColour("4E71B0");
  label->SetText("total best shots: 19");
  EXPECT_EQ(label->GetText(), "total best shots: 19");
  EXPECT_EQ(label->gW, static_cast<float>(Measure("Default", "total best shots: 19").first));
  label->SetFont("Small");
  EXPECT_EQ(label->gW, static_cast<float>(Measure("Small", "total best shots: 19").first));
  label->SetXAlign(2);
  EXPECT_EQ(label->gX, 100.0f - label->gW);
  Frame();
  const auto texts = Draws("text", "total best shots: 19");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].x, label->gX);
  EXPECT_EQ(texts[0].y, 200.0f);
  EXPECT_EQ(texts[0].g, 113);
}

// [SECTION] Tables --------------------------------------------------------------------------------

/// The level table as the level selection builds it.
kiv_TablePtr LevelTable(const kiv_PanelPtr& panel, int rows) {
  kiv_TablePtr table = kiv_CreateTable("Table", 34, 70, 498, "level", 150, 25, 1, panel);
  table->AddColumn("scores", 50);
  table->AddColumn("access", 30);
  table->HexColour("FFFFFF", 0);
  table->SetAlpha(0.4f, 0);
  table->HexColour("100000", 1);
  table->SetAlpha(0.5f, 1);
  table->HexColour("4E71B0", 2);
  table->HexTextColour("4E71B0", 0);
  table->HexTextColour("2FFFFF", 1);
  table->HexTextColour("ffffff", 2);
  table->SetFont("Small");
  for (int i = 1; i <= rows; ++i) {
    table->AddItem({"Level " + std::to_string(i), i % 3 == 0 ? std::to_string(i) : "",
                    i == 1 ? "Open" : "Close"},
                   i);
  }
  return table;
}

TEST_F(GuiTest, TableLayoutWidensNarrowColumnsAndSizesTheScrollBar) {
  kiv_PanelPtr panel = MakeScreen();
  kiv_TablePtr table = LevelTable(panel, 170);
  const int accessWidth = Measure("Default", "access").first + 6;  // measured before "Small"
  ASSERT_GT(accessWidth, 30);
  EXPECT_EQ(
      table->gWidth,
      (std::vector<int>{150, std::max(50, Measure("Default", "scores").first + 6), accessWidth}));
  EXPECT_EQ(table->gW, static_cast<float>(-3 + 153 + table->gWidth[1] + 3 + accessWidth + 3));
  const kiv_ScrollBarPtr& bar = table->gScroll;
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->gName, "Table:Scroll");
  EXPECT_EQ(bar->gParent, panel.get());
  EXPECT_EQ(bar->GetMax(), 4588);
  EXPECT_EQ(bar->GetRange(), 470);
  EXPECT_EQ(bar->gH, 470.0f);
  EXPECT_EQ(bar->gX, 34 + table->gW + 2);
  EXPECT_EQ(bar->gY, 70.0f + 28);
  EXPECT_EQ(bar->gInc, 27);
  EXPECT_EQ(bar->gBig, 270);
  EXPECT_EQ(bar->gHidden, 0);

  kiv_TablePtr small = LevelTable(panel, 10);
  EXPECT_EQ(small->gScroll->GetMax(), 268);
  EXPECT_EQ(small->gScroll->gHidden, 1);
  small->ClearItems();
  EXPECT_EQ(small->CountItems(), 0);
  EXPECT_EQ(small->gScroll->gHidden, 1);
}

TEST_F(GuiTest, TablesDrawOnlyTheVisibleRowsAtTheScrolledPosition) {
  kiv_PanelPtr panel = MakeScreen();
  kiv_TablePtr table = LevelTable(panel, 170);
  table->SelectItem(99);
  table->gScroll->SetValue(2475);  // the level selection's scroll for its last level 100
  Frame();
  // Rows drawn: only those that reach into the body (y 97 .. 567).
  std::vector<std::string> levels;
  for (const TDrawTraceEntry& d : Draws("text")) {
    if (d.path.rfind("Level ", 0) == 0) {
      levels.push_back(d.path);
      EXPECT_GT(d.y - 3 + 25, 97.0f) << d.path;
      EXPECT_LT(d.y - 3, 567.0f) << d.path;
    }
  }
  ASSERT_FALSE(levels.empty());
  EXPECT_LE(levels.size(), 19u);
  EXPECT_EQ(levels.front(), "Level 92");  // partly visible above level 93
  // The selected row lies 198 pixels below the body top, in the selection colours.
  const auto selected = Draws("text", "Level 100");
  ASSERT_EQ(selected.size(), 1u);
  EXPECT_EQ(selected[0].y, 70.0f + 27 + 198 + 3);
  EXPECT_EQ(selected[0].x, 34.0f + 3);
  EXPECT_EQ(selected[0].r, 0x2F);
  EXPECT_FLOAT_EQ(selected[0].alpha, 1.0f);
  int selectionRects = 0;
  for (const TDrawTraceEntry& d : Draws("rect")) {
    if (d.y == 70.0f + 27 + 198) {
      ++selectionRects;
      EXPECT_EQ(d.r, 0x10);
      EXPECT_FLOAT_EQ(d.alpha, 0.5f);
    }
  }
  EXPECT_EQ(selectionRects, 3);
  // Headings in the heading colours.
  const auto heading = Draws("text", "access");
  ASSERT_EQ(heading.size(), 1u);
  EXPECT_EQ(heading[0].y, 73.0f);
  EXPECT_EQ(heading[0].r, 255);
}

TEST_F(GuiTest, SetValueClampsToTheLastPageAndTheRowsMoveUpByIt) {
  kiv_PanelPtr panel = MakeScreen();
  kiv_TablePtr table = LevelTable(panel, 170);
  Drain();
  table->gScroll->SetValue(5000);
  EXPECT_EQ(table->gScroll->GetValue(), 4588 - 470);
  const auto events = Drain();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].gID, EVENT_GADGETACTION);
  EXPECT_EQ(events[0].gData, 4118);
  Frame();
  EXPECT_EQ(table->gOY, -4118);
  const auto last = Draws("text", "Level 170");
  ASSERT_EQ(last.size(), 1u);
  EXPECT_EQ(last[0].y, 70.0f - 4118 + 170 * 27 + 3);
  EXPECT_TRUE(Draws("text", "Level 1").empty());
  table->gScroll->SetValue(-10);
  EXPECT_EQ(table->gScroll->GetValue(), 0);
}

TEST_F(GuiTest, ClickingARowSelectsItAndClickingBelowTheLastRowDoesNothing) {
  kiv_PanelPtr panel = MakeScreen();
  kiv_TablePtr table = LevelTable(panel, 10);
  struct Case {
    int x, y;
    int row, column;  // -1: nothing selected, no event
  };
  const Case cases[] = {
      {40, 70 + 27 + 5, 0, 0},            // first row, first column
      {40 + 160, 70 + 27 * 4 + 1, 3, 1},  // fourth row, second column
      {40, 70 + 27 * 11 + 5, -1, -1},     // below the last row
      {40, 75, -1, -1},                   // the heading row
  };
  for (const Case& c : cases) {
    table->SelectItem(-1);
    InjectMouseMove(c.x, c.y);
    Frame();
    InjectMouseButton(1, true);
    EXPECT_TRUE(Only(Frame(), EVENT_GADGETSELECT).empty());
    InjectMouseButton(1, false);
    const auto selects = Only(Frame(), EVENT_GADGETSELECT, table);
    if (c.row < 0) {
      EXPECT_TRUE(selects.empty()) << c.y;
      EXPECT_EQ(table->SelectedItem(), -1);
      continue;
    }
    ASSERT_EQ(selects.size(), 1u) << c.y;
    EXPECT_EQ(selects[0].gY, c.row);
    EXPECT_EQ(selects[0].gX, c.column);
    EXPECT_EQ(selects[0].gData, c.row + 1);
    EXPECT_EQ(table->SelectedItem(), c.row);
    EXPECT_EQ(table->GetContent(-2, 0), "Level " + std::to_string(c.row + 1));
  }
}

TEST_F(GuiTest, QuickClicksSelectRowsAndStepTheScrollBar) {
  kiv_PanelPtr panel = MakeScreen();
  kiv_TablePtr table = LevelTable(panel, 170);
  const kiv_ScrollBarPtr& bar = table->gScroll;
  // Down and up between two frames, then one more frame for the release.
  const auto quickClick = [&](int x, int y) {
    InjectMouseMove(x, y);
    Frame();
    InjectMouseButton(1, true);
    InjectMouseButton(1, false);
    Frame();
    return Frame();
  };
  const auto selects = Only(quickClick(40, 70 + 27 * 4 + 1), EVENT_GADGETSELECT, table);
  ASSERT_EQ(selects.size(), 1u);
  EXPECT_EQ(selects[0].gY, 3);
  EXPECT_EQ(table->SelectedItem(), 3);
  const int x = static_cast<int>(bar->gX) + 7;
  quickClick(x, 98 + 470 - 5);  // down arrow
  EXPECT_EQ(bar->GetValue(), 27);
  quickClick(x, 400);  // track below the thumb
  EXPECT_EQ(bar->GetValue(), 297);
}

TEST_F(GuiTest, OneWheelChangeScrollsExactlyOneRowPitch) {
  kiv_PanelPtr panel = MakeScreen();
  kiv_TablePtr table = LevelTable(panel, 170);
  InjectMouseWheel(4);  // turned while the mouse was elsewhere: absorbed
  InjectMouseMove(700, 300);
  Frame();
  InjectMouseMove(100, 300);
  Frame();
  EXPECT_EQ(table->gScroll->GetValue(), 0);
  struct Step {
    int delta;
    int value;
  };
  const Step steps[] = {{-1, 27}, {-5, 54}, {-120, 81}, {3, 54}, {1, 27}, {2, 0}, {2, 0}};
  for (const Step& s : steps) {
    InjectMouseWheel(s.delta);
    const auto events = Frame();
    EXPECT_EQ(table->gScroll->GetValue(), s.value) << s.delta;
    const auto actions = Only(events, EVENT_GADGETACTION, table->gScroll);
    ASSERT_EQ(actions.size(), 1u);
    EXPECT_EQ(actions[0].gData, s.value);
    EXPECT_TRUE(Only(Frame(), EVENT_GADGETACTION).empty());  // no change, no step
  }
}

TEST_F(GuiTest, RowAccessorsIgnoreRowsAndColumnsOutOfRange) {
  kiv_PanelPtr panel = MakeScreen();
  kiv_TablePtr table = LevelTable(panel, 5);
  EXPECT_EQ(table->GetContent(-2, 1), "");  // no selection
  EXPECT_EQ(table->GetData(-2), 0);
  EXPECT_EQ(table->GetContent(5, 0), "");
  EXPECT_EQ(table->GetContent(0, 3), "");
  EXPECT_EQ(table->GetContent(-1, 0), "");
  table->SetContent(7, 0, "x");
  table->SetContent(0, 9, "x");
  EXPECT_EQ(table->GetAllContent(0), (std::vector<std::string>{"Level 1", "", "Open"}));

  table->AddItem({"only one"}, 77);
  table->AddItem({"a", "b", "c", "too many"}, 78);
  EXPECT_EQ(table->GetAllContent(5), (std::vector<std::string>{"only one", "", ""}));
  EXPECT_EQ(table->GetAllContent(6), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(table->FindData(78), 6);
  EXPECT_EQ(table->FindData(3, 3), -1);
  EXPECT_EQ(table->FindData(3), 2);

  table->SelectItem(2);
  table->SetContent(-2, 1, "12");
  table->SetContent(3, 2, "Open");
  EXPECT_EQ(table->GetContent(2, 1), "12");
  EXPECT_EQ(table->GetContent(3, 2), "Open");
  auto extra = std::make_shared<std::string>("thumb");
  table->SetExtra(-2, extra);
  EXPECT_EQ(table->GetExtra(2), extra);
  table->SetData(-2, 9);
  EXPECT_EQ(table->GetData(2), 9);

  // Removing a row above the selection keeps the same row selected.
  table->RemoveItem(0);
  EXPECT_EQ(table->SelectedItem(), 1);
  EXPECT_EQ(table->GetContent(-2, 1), "12");
  table->RemoveItem(-2);
  EXPECT_EQ(table->SelectedItem(), -1);
  EXPECT_EQ(table->CountItems(), 5);
  table->SelectItem(99);
  EXPECT_EQ(table->SelectedItem(), -1);
  EXPECT_EQ(table->gSelectedItem, nullptr);
}

TEST_F(GuiTest, RowsAddedBeforeAColumnDrawWithAnEmptyCell) {
  kiv_PanelPtr panel = MakeScreen();
  kiv_TablePtr table = kiv_CreateTable("t", 10, 10, 300, "a", 60, 25, 1, panel);
  table->AddItem({"early"});
  table->AddColumn("b", 60);
  table->AddItem({"late", "second"});
  Frame();
  EXPECT_EQ(Draws("text", "early").size(), 1u);
  EXPECT_EQ(Draws("text", "second").size(), 1u);
  EXPECT_EQ(table->GetContent(0, 1), "");
  EXPECT_EQ(Draws("rect").size(), 2u + 4u);  // two headings, two rows of two cells
}

TEST_F(GuiTest, ATableWithoutHeadingStartsItsRowsAtItsTop) {
  kiv_PanelPtr panel = MakeScreen();
  kiv_TablePtr table = kiv_CreateTable("t", 100, 100, 200, "col", 120, 0, 0, panel);
  EXPECT_EQ(table->gIH, 20);
  table->AddItem({"first"}, 1);
  table->AddItem({"second"}, 2);
  EXPECT_EQ(table->gScroll->gY, 100.0f);
  EXPECT_EQ(table->gScroll->GetRange(), 200);
  Frame();
  EXPECT_TRUE(Draws("text", "col").empty());
  const auto first = Draws("text", "first");
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0].y, 103.0f);
  InjectMouseMove(110, 100 + 22 + 5);
  Frame();
  InjectMouseButton(1, true);
  Frame();
  InjectMouseButton(1, false);
  const auto selects = Only(Frame(), EVENT_GADGETSELECT, table);
  ASSERT_EQ(selects.size(), 1u);
  EXPECT_EQ(selects[0].gY, 1);
}

// [SECTION] Scroll bars ---------------------------------------------------------------------------

TEST_F(GuiTest, TheScrollBarThumbShowsTheVisibleShare) {
  kiv_PanelPtr panel = MakeScreen();
  kiv_TablePtr table = LevelTable(panel, 170);
  const kiv_ScrollBarPtr& bar = table->gScroll;
  const float track = 470 - 30;
  EXPECT_FLOAT_EQ(bar->gUnit, track / 4588);
  EXPECT_FLOAT_EQ(bar->gLength, 470 * track / 4588);
  EXPECT_FLOAT_EQ(bar->gStart, 98 + 15);
  bar->SetValue(4118);
  EXPECT_NEAR(bar->gStart + bar->gLength, 98 + 470 - 15, 0.01);
  Frame();
  const float x = bar->gX;
  // Track, arrows and the three thumb pieces.
  const auto track_ = Draws("imagerect", Skin("/graphics/scrollback.png"));
  ASSERT_EQ(track_.size(), 1u);
  EXPECT_EQ(track_[0].x, x);
  EXPECT_EQ(track_[0].y, 98.0f + 10);
  EXPECT_EQ(track_[0].h, 470.0f - 20);
  const auto up = Draws("image", Skin("/graphics/scrollup.png"));
  const auto down = Draws("image", Skin("/graphics/scrolldown.png"));
  ASSERT_EQ(up.size(), 1u);
  ASSERT_EQ(down.size(), 1u);
  EXPECT_EQ(up[0].y, 98.0f);
  EXPECT_EQ(down[0].y, 98.0f + 470 - 15);
  std::vector<TDrawTraceEntry> thumb;
  for (const TDrawTraceEntry& d : Draws("imagerect", "")) thumb.push_back(d);
  ASSERT_EQ(thumb.size(), 3u);
  EXPECT_FLOAT_EQ(thumb[0].y, bar->gStart);
  EXPECT_FLOAT_EQ(thumb[0].h, 3);
  EXPECT_FLOAT_EQ(thumb[1].y, bar->gStart + 3);
  EXPECT_FLOAT_EQ(thumb[1].h, bar->gLength - 6);
  EXPECT_FLOAT_EQ(thumb[2].y, bar->gStart + bar->gLength - 3);

  // A bar whose content fits keeps a thumb of at least 6 pixels and at most the track.
  kiv_ScrollBarPtr lone =
      kiv_CreateScrollBar("lone", 500, 100, 100, kiv_TScrollBar::VERT_ALIGN, 100000, 10, panel);
  EXPECT_FLOAT_EQ(lone->gLength, 6);
  lone->SetRange(500000);
  EXPECT_FLOAT_EQ(lone->gLength, 70);
  lone->SetMax(-5);
  EXPECT_EQ(lone->GetMax(), 1);
  lone->SetInc(-3);
  EXPECT_EQ(lone->gInc, 0);
}

TEST_F(GuiTest, ScrollBarArrowsTrackAndThumbDrag) {
  kiv_PanelPtr panel = MakeScreen();
  kiv_TablePtr table = LevelTable(panel, 170);
  const kiv_ScrollBarPtr& bar = table->gScroll;
  const int x = static_cast<int>(bar->gX) + 7;
  const auto click = [&](int y) {
    InjectMouseMove(x, y);
    Frame();
    InjectMouseButton(1, true);
    Frame();
    InjectMouseButton(1, false);
    Frame();
  };
  click(98 + 470 - 5);  // down arrow: one row
  EXPECT_EQ(bar->GetValue(), 27);
  click(98 + 5);  // up arrow
  EXPECT_EQ(bar->GetValue(), 0);
  click(400);  // track below the thumb: ten rows
  EXPECT_EQ(bar->GetValue(), 270);
  click(98 + 16);  // track above the thumb
  EXPECT_EQ(bar->GetValue(), 0);

  // Drag the thumb by 44 track pixels: the value follows at gUnit pixels per value.
  const int grabY = static_cast<int>(bar->gStart) + 10;
  InjectMouseMove(x, grabY);
  Frame();
  InjectMouseButton(1, true);
  Frame();
  EXPECT_EQ(bar->gPart, kiv_TScrollBar::BAR_PART);
  InjectMouseMove(x + 100, grabY + 44);  // leaving the bar sideways keeps the drag
  Frame();
  EXPECT_EQ(bar->GetValue(), static_cast<int>(44 / bar->gUnit));
  InjectMouseMove(x, 590);
  Frame();
  EXPECT_EQ(bar->GetValue(), 4118);
  InjectMouseButton(1, false);
  Frame();
  EXPECT_EQ(bar->gPart, kiv_TScrollBar::NO_PART);
  EXPECT_EQ(table->gOY, -4118);
}

// [SECTION] A whole screen ----------------------------------------------------------------------

/// The level list beside a framed menu panel, as a player sees them; the picture is written to
/// the build folder (gui_demo_screen.png) for a person to look at.
TEST_F(GuiTest, DemoScreenIsDrawnAndSaved) {
  SetClsColor(30, 40, 60);
  kiv_PanelPtr back = MakeScreen("demo");
  kiv_TablePtr table = LevelTable(back, 170);
  table->SelectItem(99);
  table->gScroll->SetValue(2475);
  kiv_LabelPtr title = kiv_CreateLabel("labelselect", "SELECT LEVEL", 290, 15, 0, 0, 0, 0, back);
  title->HexTextColour("4E71B0");
  kiv_PanelPtr menu = kiv_CreatePanel("panel 3", 430, 130, 300, 300, nullptr);
  kiv_GUI::ActiveScreen()->AddPanel(menu);
  menu->HexColour("A5E3E6");
  menu->SetAlpha(0.7f);
  kiv_LabelPtr label = kiv_CreateLabel("labelcode3", "PAUSE MENU", 62, 10, 0, 0, 0, 0, menu);
  label->HexTextColour("4E71B0");
  const char* captions[] = {"resume game", "restart level", "select level", "main menu"};
  for (int i = 0; i < 4; ++i) {
    kiv_ButtonPtr b = kiv_CreateButton("b", captions[i], 50, 60 + 45 * i, 200, 35, menu);
    b->HexTextColour("4E71B0");
  }
  kiv_ButtonPtr sound = kiv_CreateButton("ok3", "sound on", -50, 250, 230, 25, menu);
  sound->gBackground = 0;
  sound->HexTextColour("4E71B0");
  sound->SetFont("Small");
  SetBlend(ALPHABLEND);
  InjectMouseMove(520, 240);
  Cls();
  Frame();
  PixmapPtr shot = GrabPixmap(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
  ASSERT_NE(shot, nullptr);
  const std::string file = std::string(BRAKKON_BUILD_DIR) + "/gui_demo_screen.png";
  ASSERT_TRUE(SavePixmapPNG(shot, file));
  EXPECT_TRUE(std::filesystem::exists(file));
  // Background where nothing is drawn; something drawn inside the framed panel.
  EXPECT_EQ(shot->ReadPixel(790, 590) & 0xFFFFFFu, 0x1E283Cu);
  EXPECT_NE(shot->ReadPixel(440, 140) & 0xFFFFFFu, 0x1E283Cu);
}

}  // namespace
