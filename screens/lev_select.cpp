// The level selection screen. Only the status column decides which levels can be started.
#include "screens/lev_select.h"

#include <algorithm>
#include <filesystem>
#include <map>

#include "game/game.h"
#include "game/user_levels.h"
#include "screens/menu.h"
#include "screens/menu_game.h"
#include "state/globals.h"
#include "state/options.h"
#include "xml/xml_document.h"

namespace {

constexpr float THUMB_X = 420;
constexpr float THUMB_Y = 100;
constexpr int TABLE_ITEM_HEIGHT = 25;
constexpr int NOTICE_FRAMES = 360;
constexpr int TABLE_X = 34;
constexpr int TABLE_Y = 70;
constexpr int TABLE_HEIGHT = 498;
constexpr int ROW_STARS_X = 134;  // the first star's centre, inside the level column
constexpr int ROW_STAR_PITCH = 16;
constexpr int PAGE_ROWS = 10;

kiv_LabelPtr MenuLabel(const std::string& text, int x, int y, const kiv_GadgetPtr& parent) {
  kiv_LabelPtr label = kiv_CreateLabel("labelselect", text, x, y, 0, 0, 0, 0, parent);
  label->SetTextColour(MENU_TEXT_R, MENU_TEXT_G, MENU_TEXT_B);
  label->SetFont("Default");
  return label;
}

}  // namespace

TLevSelect::TLevSelect() {
  fon = LoadImage("fones/fon12.jpg");
  currentLine = 1;
  screen2 = kiv_CreateScreen("Screen 2", "");
  panel2 = kiv_CreatePanel("panel 2", 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, nullptr);
  panel2->BackgroundOff();
  panel2->BorderOff();
  screen2->AddPanel(panel2);

  table = kiv_CreateTable("Table", 34, 70, 498, "level", 150, TABLE_ITEM_HEIGHT, 1, panel2);
  table->AddColumn("scores", 50);
  table->AddColumn("access", 30);
  table->HexColour("FFFFFF", kiv_TTable::ROW_BACKGROUND);
  table->SetAlpha(0.4f, kiv_TTable::ROW_BACKGROUND);
  table->HexColour("100000", kiv_TTable::SELECTED_ROW);
  table->SetAlpha(0.5f, kiv_TTable::SELECTED_ROW);
  table->HexColour("4E71B0", kiv_TTable::HEADING_ROW);
  table->HexTextColour("4E71B0", kiv_TTable::ROW_BACKGROUND);
  table->HexTextColour("2FFFFF", kiv_TTable::SELECTED_ROW);
  table->HexTextColour("ffffff", kiv_TTable::HEADING_ROW);
  table->SetFont("Small");

  int lastLevel = 0;
  if (xmlNode* root = OptionsRoot()) {
    levelCount = OfferedLevelCount();
    for (int i = 1; i <= levelCount; ++i) {
      const xmlNode* record = root->GetChild(i);
      table->AddItem({"Level " + record->AttributeValueGet("num"),
                      record->AttributeValueGet("score"), record->AttributeValueGet("status")});
    }
    lastLevel = xmlTextToInt(root->AttributeValueGet("lastLevel"));
  }
  // A hand-edited file may name any number: a row outside the table selects none.
  if (lastLevel < 0 || lastLevel > levelCount) lastLevel = 0;
  table->SelectItem(lastLevel - 1);
  if (table->gScroll) table->gScroll->SetValue((lastLevel - 1) * TABLE_ITEM_HEIGHT);

  label1 = MenuLabel("SELECT LEVEL", 290, 15, panel2);
  label2 = MenuLabel("total best shots: ", 419, 380, panel2);
  label3 = MenuLabel("levels available: ", 419, 420, panel2);
  starsLabel = MenuLabel("stars: ", 419, 460, panel2);
  noticeLabel = MenuLabel("", 34, 575, panel2);
  noticeLabel->SetFont("Small");
  noticeLabel->Hide();
  button1 = MenuButton("playlevel", "start", 687, 542, 85, 30, panel2);
  button2 = MenuButton("menu", "menu", 420, 542, 80, 30, panel2);
  button2->SetNameLink("Screen 1");
  button3 = MenuButton("menuzz", "", 520, 820, 100, 54, panel2);
  button3->Hide();
  button3->SetNameLink("Screen 3");
  button5 = MenuButton("menuzz", "", 520, -120, 100, 54, panel2);
  button5->Hide();
  button5->SetNameLink("Screen 5");

  myTable = kiv_CreateTable("Table", 34, 70, 498, "my level", 150, TABLE_ITEM_HEIGHT, 1, panel2);
  myTable->AddColumn("scores", 50);
  myTable->HexColour("FFFFFF", kiv_TTable::ROW_BACKGROUND);
  myTable->SetAlpha(0.4f, kiv_TTable::ROW_BACKGROUND);
  myTable->HexColour("100000", kiv_TTable::SELECTED_ROW);
  myTable->SetAlpha(0.5f, kiv_TTable::SELECTED_ROW);
  myTable->HexColour("4E71B0", kiv_TTable::HEADING_ROW);
  myTable->HexTextColour("4E71B0", kiv_TTable::ROW_BACKGROUND);
  myTable->HexTextColour("2FFFFF", kiv_TTable::SELECTED_ROW);
  myTable->HexTextColour("ffffff", kiv_TTable::HEADING_ROW);
  myTable->SetFont("Small");
  myTable->Hide();
  myButton = MenuButton("mylevels", "my levels", 540, 542, 130, 30, panel2);

  ShowSelected();
  UpdateSumms();
}

void TLevSelect::ShowMyLevels(bool mine) {
  myButton->SetText(mine ? "all levels" : "my levels");
  // A table's scroll bar is a gadget of its own: it goes with its table.
  if (!mine) {
    myTable->Hide();
    if (myTable->gScroll) myTable->gScroll->Hide();
    table->Show();
    table->Refresh();
    shownRow = -2;  // the numbered level's thumbnail and start button again
    return;
  }
  table->Hide();
  if (table->gScroll) table->gScroll->Hide();
  myTable->Show();
  const int was = myTable->SelectedItem();
  const std::string wasName = was >= 0 && was < static_cast<int>(myNames.size())
                                  ? myNames[static_cast<std::size_t>(was)]
                                  : "";
  myTable->ClearItems();
  myNames = UserLevelNames();
  const std::map<std::string, int> bests = UserLevelBests();
  for (const std::string& name : myNames) {
    const auto best = bests.find(name);
    myTable->AddItem({name, best == bests.end() ? "" : std::to_string(best->second)});
  }
  const auto kept = std::find(myNames.begin(), myNames.end(), wasName);
  myTable->SelectItem(myNames.empty()         ? -1
                      : kept != myNames.end() ? static_cast<int>(kept - myNames.begin())
                                              : 0);
  myShownRow = -2;
}

void PlayOwnLevel(const std::shared_ptr<const TOwnLevel>& level) {
  if (session) session->exitAll();
  session = nullptr;
  if (pauseMenu) pauseMenu->show = 0;
  sessionCommand = COMMAND_NONE;
  session = StartOwnSession(level);
  gameState = STATE_PLAY;
  FlushMouse();
  // The pause menu is reached from the level selection's screen, as in a numbered level.
  if (levelSelect) ShowScreen(levelSelect->screen2);
}

void ShowLevelCompleted(kiv_TTable& table, int level, const TLevelCompletion& result) {
  table.SetContent(level - 1, 1, std::to_string(result.best));
  if (result.nextOpened) table.SetContent(level, 2, "Open");
}

int SelectNextRow(kiv_TTable& table) {
  const int row = table.SelectedItem();
  table.SelectItem(row + 1);
  return row;
}

std::string TLevSelect::SelectedStatus() const {
  return table->GetContent(table->SelectedItem(), 2);
}

void TLevSelect::ShowStartFor(const std::string& status) {
  if (status == "Close") button1->Hide();
  if (status == "Open") button1->Show();
}

std::string TLevSelect::UpdateSumms() {
  long long total = 0;  // best shots of a hand-edited file may add up past any int
  int open = 0;
  for (int row = 0; row < table->CountItems(); ++row) {
    total += xmlTextToInt(table->GetContent(row, 1));
    if (table->GetContent(row, 2) == "Open") ++open;
  }
  label2->SetText("total best shots: " + std::to_string(total));
  label3->SetText("levels available: " + std::to_string(open));
  starsLabel->SetText("stars: " + std::to_string(TotalStars()) + " of " +
                      std::to_string(3 * table->CountItems()));
  return std::to_string(total);
}

void TLevSelect::ShowSelected() {
  shownRow = table->SelectedItem();
  shownStatus = SelectedStatus();
  ShowStartFor(shownStatus);
  showThumb(shownStatus);
}

void TLevSelect::ScrollToSelected() {
  const kiv_ScrollBarPtr& bar = table->gScroll;
  const int row = table->SelectedItem();
  if (!bar || row < 0) return;
  const int top = row * table->Pitch();
  if (top < bar->GetValue() || top + table->gIH > bar->GetValue() + bar->GetRange()) {
    bar->SetValue(top);
  }
}

void TLevSelect::ReloadFromProgress() {
  for (int row = 0; row < table->CountItems(); ++row) {
    if (const xmlNode* record = LevelRecord(row + 1)) {
      table->SetContent(row, 1, record->AttributeValueGet("score"));
      table->SetContent(row, 2, record->AttributeValueGet("status"));
    }
  }
  table->SelectItem(0);
  ScrollToSelected();
  ShowSelected();
  UpdateSumms();
}

void TLevSelect::HandleKeys() {
  const int rows = table->CountItems();
  int row = table->SelectedItem();
  int step = 0;
  if (KeyHit(KEY_UP) != 0) step -= 1;
  if (KeyHit(KEY_DOWN) != 0) step += 1;
  if (KeyHit(KEY_PAGEUP) != 0) step -= PAGE_ROWS;
  if (KeyHit(KEY_PAGEDOWN) != 0) step += PAGE_ROWS;
  if (KeyHit(KEY_HOME) != 0) step = -rows;
  if (KeyHit(KEY_END) != 0) step = rows;
  if (step != 0 && rows > 0) {
    row = std::clamp(row < 0 ? 0 : row + step, 0, rows - 1);
    table->SelectItem(row);
    ScrollToSelected();
    kiv_CreateEvent(EVENT_GADGETSELECT, table, 0, 0, row);
  }
  if (BackKeyHit()) kiv_CreateEvent(EVENT_GADGETACTION, button2, 0, 0, 0);
  if (KeyHit(KEY_ENTER) != 0 && button1->gHidden == 0)
    kiv_CreateEvent(EVENT_GADGETACTION, button1, 0, 0, 0);
}

void TLevSelect::DrawRowStars() const {
  if (!shared.starSmall || !table->gScroll) return;
  const int pitch = table->Pitch();
  const int bodyTop = TABLE_Y + (table->gHeader != 0 ? pitch : 0);
  const int bodyBottom = TABLE_Y + TABLE_HEIGHT;
  const int scroll = table->gScroll->GetValue();
  const int first = std::max(0, scroll / pitch);
  SetBlend(ALPHABLEND);
  for (int row = first; row < table->CountItems(); ++row) {
    const int top = bodyTop + row * pitch - scroll;
    if (top + table->gIH > bodyBottom) break;
    if (top < bodyTop) continue;
    const int stars = LevelStars(row + 1);
    if (stars == 0) continue;
    // A hint's help shows as paler stars.
    SetAlpha(LevelHinted(row + 1) ? 0.45f : 1.0f);
    for (int i = 0; i < 3; ++i) {
      DrawImage(shared.starSmall, static_cast<float>(ROW_STARS_X + i * ROW_STAR_PITCH),
                static_cast<float>(top) + static_cast<float>(table->gIH) / 2, i < stars ? 0 : 1);
    }
  }
  SetAlpha(1);
}

void TLevSelect::StartMyLevel(int row) {
  if (row < 0 || row >= static_cast<int>(myNames.size())) return;
  const std::string& name = myNames[static_cast<std::size_t>(row)];
  const TUserLevel read = ReadUserLevel(UserLevelPath(name));
  if (!read.level) {
    SetPlayerNotice("Cannot play " + name + ": " + read.problem + ".");
    return;
  }
  auto own = std::make_shared<TOwnLevel>();
  own->name = name;
  own->path = UserLevelPath(name);
  own->level = read.level;
  own->returnState = STATE_LEVEL_SELECT;
  PlayOwnLevel(own);
}

void TLevSelect::DrawMissingThumbnail() {
  SetBlend(ALPHABLEND);
  SetAlpha(0.55f);
  SetColor(40, 52, 90);
  DrawRect(THUMB_X, THUMB_Y, THUMBNAIL_WIDTH, THUMBNAIL_HEIGHT);
  SetAlpha(1);
  SetColor(255, 255, 255);
  SetImageFont(kiv_GUI::GetFont("Default"));
  const std::string title = "no picture yet";
  DrawText(title, THUMB_X + (THUMBNAIL_WIDTH - static_cast<float>(TextWidth(title))) / 2,
           THUMB_Y + THUMBNAIL_HEIGHT / 2 - 24);
  SetImageFont(kiv_GUI::GetFont("Small"));
  const std::string hint = "the editor makes one when it saves";
  DrawText(hint, THUMB_X + (THUMBNAIL_WIDTH - static_cast<float>(TextWidth(hint))) / 2,
           THUMB_Y + THUMBNAIL_HEIGHT / 2 + 10);
}

int TLevSelect::showThumb(const std::string& status) {
  if (status == "Open") {
    thumb_t = LoadImage("levels_thumbs/level_thumb_" + std::to_string(table->SelectedItem() + 1) +
                        ".jpg");
    return 1;
  }
  thumb_t = shared.closeThumb;
  return 0;
}

void TLevSelect::Update() {
  // The selected level is the likely next to start: its pictures and sounds are readied while
  // the player looks (not at start-up, which they would only slow down).
  if (table->SelectedItem() != preparedRow && SelectedStatus() == "Open") {
    ForgetPreparation();
    PrepareLevel(table->SelectedItem() + 1);
  }
  preparedRow = table->SelectedItem();
  if (ShowsMyLevels()) {
    if (myTable->SelectedItem() != myShownRow) {
      myShownRow = myTable->SelectedItem();
      const int row = myShownRow;
      const bool any = row >= 0 && row < static_cast<int>(myNames.size());
      const std::string thumb = any ? UserThumbPath(myNames[static_cast<std::size_t>(row)]) : "";
      thumb_t = any && std::filesystem::is_regular_file(thumb) ? LoadImage(thumb) : nullptr;
      // A level written by hand has no picture until the editor saves it: not a locked level.
      if (!thumb_t && !any) thumb_t = shared.closeThumb;
      if (any)
        button1->Show();
      else
        button1->Hide();
    }
  } else if (table->SelectedItem() != shownRow || SelectedStatus() != shownStatus) {
    ShowSelected();
    ScrollToSelected();
  }
  ShowScreen(screen2);
  // A damaged progress file or a failed save is told once, for a few seconds.
  if (ProgressNoticeSerial() != noticeShown) {
    noticeShown = ProgressNoticeSerial();
    noticeLabel->SetText(ProgressNotice());
    noticeLabel->Show();
    noticeFrames = NOTICE_FRAMES;
  }
  if (noticeFrames > 0 && --noticeFrames == 0) noticeLabel->Hide();
  PollSystem();
  Cls();
  DrawImage(fon, 0, 0, 0);
  if (thumb_t) {
    DrawImage(thumb_t, THUMB_X, THUMB_Y, 0);
  } else {
    DrawMissingThumbnail();
  }
  SetBlend(ALPHABLEND);
  kiv_RefreshGUI();
  DrawRowStars();
  button1->SetFont("Default");
  button2->SetFont("Default");
  HandleKeys();
  myButton->SetFont("Default");
  while (kiv_PollEvent() != 0) {
    const int id = kiv_EventID();
    const kiv_GadgetPtr source = kiv_EventSource();
    if (id == EVENT_GADGETACTION && source == button2) {
      FlushMouse();
      gameState = STATE_MAIN_MENU;
      SetColor(255, 255, 255);
    }
    if (id == EVENT_GADGETACTION && source == myButton) {
      FlushMouse();
      ShowMyLevels(!ShowsMyLevels());
    }
    if (id == EVENT_GADGETACTION && source == button1 && ShowsMyLevels()) {
      FlushMouse();
      StartMyLevel(myTable->SelectedItem());
      continue;
    }
    if (id == EVENT_GADGETACTION && source == button1) {
      FlushMouse();
      sessionCommand = COMMAND_NONE;
      const int row = table->SelectedItem();
      if (table->GetContent(row, 2) == "Open") {
        if (pauseMenu) pauseMenu->show = 0;
        levelBestShots = xmlTextToInt(table->GetContent(row, 1));
        session = StartSession(row + 1);
        gameState = STATE_PLAY;
        SetColor(255, 255, 255);
      }
    }
    if (id == EVENT_MOUSEOVER && (source == button1 || source == button2 || source == myButton))
      source->SetFont("Big");
    if (id == EVENT_GADGETSELECT && !ShowsMyLevels()) ShowSelected();
  }
  SetColor(255, 255, 255);
  Flip(-1);
}
