// Tables: columns, rows and the selection; drawing of the heading and of the visible rows only,
// clipped to the body; row hit tests, clicks and mouse-wheel scrolling through the scroll bar.
#include "gui/kiv_table.h"

#include <algorithm>

#include "gui/gui_local.h"
#include "gui/kiv_gui.h"

using namespace kiv_local;

// [SECTION] Rows ----------------------------------------------------------------------------------

kiv_TableItemPtr kiv_TTableItem::Create(const std::vector<std::string>& contents, int data,
                                        const kiv_Object& extra) {
  auto item = std::make_shared<kiv_TTableItem>();
  item->gContent = contents;
  item->gData = data;
  item->gExtra = extra;
  return item;
}

std::string kiv_TTableItem::GetContent(int column) const {
  if (column < 0 || column >= static_cast<int>(gContent.size())) return "";
  return gContent[static_cast<std::size_t>(column)];
}

void kiv_TTableItem::SetContent(int column, const std::string& text) {
  if (column < 0 || column >= static_cast<int>(gContent.size())) return;
  gContent[static_cast<std::size_t>(column)] = text;
}

// [SECTION] Layout -------------------------------------------------------------------------------

kiv_TablePtr kiv_TTable::Create(const std::string& name, int x, int y, int h,
                                const std::string& heading, int width, int itemHeight, int header,
                                const kiv_GadgetPtr& parent) {
  if (name.empty()) return nullptr;
  auto table = std::make_shared<kiv_TTable>();
  table->PopulateGadget(name, x, y, 0, h, parent.get());
  table->gIH = itemHeight != 0 ? itemHeight : DEFAULT_ITEM_HEIGHT;
  table->gHeader = header;
  const int ih = table->gIH;
  table->gScroll = kiv_TScrollBar::Create(name + ":Scroll", x + 2, y + ih + 3, h - (ih + 3),
                                          kiv_TScrollBar::VERT_ALIGN, 0, h - (ih + 3), parent);
  table->gScroll->SetInc(ih + 2);
  table->gScroll->SetBigInc((ih + 2) * 10);
  table->AddColumn(heading, width);
  table->Refresh();
  return table;
}

void kiv_TTable::Refresh() {
  int width = -CELL_PADDING;
  for (int w : gWidth) width += w + CELL_PADDING;
  gW = static_cast<float>(width);
  if (!gScroll) return;
  const int headerHeight = (gIH + 3) * gHeader;
  gScroll->PositionGadget(gX + gW + 2, gY + static_cast<float>(headerHeight));
  const int body = TruncToInt(gH) - headerHeight;
  gScroll->SetLength(body);
  gScroll->SetRange(body);
  gScroll->SetMax(CountItems() * Pitch() - 2);
  if (gScroll->GetRange() < gScroll->GetMax()) {
    gScroll->Show();
  } else {
    gScroll->Hide();
  }
}

void kiv_TTable::AddColumn(const std::string& heading, int width) {
  int headingWidth = 0;
  {
    FontScope scope(gFont);
    headingWidth = TextWidth(heading) + 2 * CELL_PADDING;
  }
  gHeading.push_back(heading);
  gWidth.push_back(std::max(width, headingWidth));
  Refresh();
}

void kiv_TTable::SetWidth(int column, int width) {
  if (column < 0 || column >= static_cast<int>(gWidth.size())) return;
  gWidth[static_cast<std::size_t>(column)] = width;
  Refresh();
}

void kiv_TTable::SetHeader(int flag) {
  gHeader = flag;
  Refresh();
}

void kiv_TTable::SetBackground(int index, int flag) {
  if (index >= 0 && index < static_cast<int>(gBackground.size()))
    gBackground[static_cast<std::size_t>(index)] = flag;
}

float kiv_TTable::RowsTop(float parentY) const {
  return parentY + gY - static_cast<float>(Pitch() * (1 - gHeader));
}

void kiv_TTable::BodyRect(float parentX, float parentY, float& x, float& y, float& w,
                          float& h) const {
  x = parentX + gX;
  y = RowsTop(parentY) + static_cast<float>(Pitch());
  w = gW;
  h = gH - static_cast<float>(Pitch() * gHeader);
}

// [SECTION] Colours ------------------------------------------------------------------------------

void kiv_TTable::SetColour(int r, int g, int b, int index) {
  if (index >= 0 && index < 3) gColour[static_cast<std::size_t>(index)] = {r, g, b};
}

void kiv_TTable::SetTextColour(int r, int g, int b, int index) {
  if (index >= 0 && index < 3) gTextColour[static_cast<std::size_t>(index)] = {r, g, b};
}

void kiv_TTable::SetAlpha(float alpha, int index) {
  if (index >= 0 && index < 3) gAlpha[static_cast<std::size_t>(index)] = alpha;
}

void kiv_TTable::SetTextAlpha(float alpha, int index) {
  if (index >= 0 && index < 3) gTextAlpha[static_cast<std::size_t>(index)] = alpha;
}

// [SECTION] Drawing ------------------------------------------------------------------------------

void kiv_TTable::Render(float parentX, float parentY) {
  if (gHidden != 0) return;
  // The bar may have been moved from code since the last update; draw at its value now.
  if (gScroll) gOY = -gScroll->GetValue();
  kiv_State::Push();
  SetImageFont(gFont);
  const float x = parentX + gX;
  const float top = RowsTop(parentY);
  const int pitch = Pitch();
  const auto ih = static_cast<float>(gIH);

  if (gHeader == 1) {
    const auto& colour = gColour[HEADING_ROW];
    const auto& text = gTextColour[HEADING_ROW];
    float offset = 0;
    for (std::size_t c = 0; c < gWidth.size(); ++c) {
      const auto w = static_cast<float>(gWidth[c]);
      if (gBackground[1] == 1) {
        SetColor(colour[0], colour[1], colour[2]);
        ::SetAlpha(gAlpha[HEADING_ROW]);
        DrawRect(x + offset, top, w, ih);
      }
      SetColor(text[0], text[1], text[2]);
      ::SetAlpha(gTextAlpha[HEADING_ROW]);
      DrawText(gHeading[c], x + CELL_PADDING + offset, top + CELL_PADDING);
      offset += w + CELL_PADDING;
    }
  }

  float bodyX = 0, bodyY = 0, bodyW = 0, bodyH = 0;
  BodyRect(parentX, parentY, bodyX, bodyY, bodyW, bodyH);
  int vx = 0, vy = 0, vw = 0, vh = 0;
  GetViewport(vx, vy, vw, vh);
  const int clipLeft = std::max(vx, TruncToInt(bodyX));
  const int clipTop = std::max(vy, TruncToInt(bodyY));
  const int clipRight = std::min(vx + vw, TruncToInt(bodyX) + TruncToInt(bodyW));
  const int clipBottom = std::min(vy + vh, TruncToInt(bodyY) + TruncToInt(bodyH));
  SetViewport(clipLeft, clipTop, std::max(clipRight - clipLeft, 0),
              std::max(clipBottom - clipTop, 0));

  // Only the rows that reach into the clip rectangle are looked at: row r spans
  // [firstY + r * pitch, firstY + r * pitch + gIH).
  const float firstY = top + static_cast<float>(gOY + pitch);
  const int count = CountItems();
  const int firstRow = std::max(
      0, TruncToInt((static_cast<float>(clipTop) - firstY - ih) / static_cast<float>(pitch)));
  const int lastRow = std::min(
      count - 1, TruncToInt((static_cast<float>(clipBottom) - firstY) / static_cast<float>(pitch)));
  for (int r = firstRow; r <= lastRow && clipRight > clipLeft; ++r) {
    const float y = firstY + static_cast<float>(r * pitch);
    if (y + ih <= static_cast<float>(clipTop) || y >= static_cast<float>(clipBottom)) continue;
    const bool selected = r == gSelected;
    const std::size_t look = selected && gHighlight == 1 ? SELECTED_ROW : ROW_BACKGROUND;
    const kiv_TTableItem& item = *gItems[static_cast<std::size_t>(r)];
    const bool background = gBackground[0] == 1 || selected;
    float offset = 0;
    for (std::size_t c = 0; c < gWidth.size(); ++c) {
      const auto w = static_cast<float>(gWidth[c]);
      const float cellX = x + offset;
      offset += w + CELL_PADDING;
      if (cellX + w <= static_cast<float>(clipLeft) || cellX >= static_cast<float>(clipRight))
        continue;
      if (background) {
        SetColor(gColour[look][0], gColour[look][1], gColour[look][2]);
        ::SetAlpha(gAlpha[look]);
        DrawRect(cellX, y, w, ih);
      }
      // Rows added before a column was, or given contents directly, may be short.
      if (c >= item.gContent.size() || item.gContent[c].empty()) continue;
      const std::string& text = item.gContent[c];
      SetColor(gTextColour[look][0], gTextColour[look][1], gTextColour[look][2]);
      ::SetAlpha(gTextAlpha[look]);
      DrawText(text, cellX + CELL_PADDING, y + CELL_PADDING);
    }
  }
  kiv_State::Pop();
  kiv_TGadget::Render(parentX, parentY);
}

// [SECTION] Mouse --------------------------------------------------------------------------------

void kiv_TTable::Update(float parentX, float parentY) {
  if (gScroll) gOY = -gScroll->GetValue();
  kiv_TGadget::Update(parentX, parentY);
  if (gState == IDLE_STATE) gOZ = MouseZ();
}

void kiv_TTable::UpdateMouseOver(float parentX, float parentY) {
  kiv_GUI::SetCursor(1);
  kiv_TGadget::UpdateMouseOver(parentX, parentY);
  float bodyX = 0, bodyY = 0, bodyW = 0, bodyH = 0;
  BodyRect(parentX, parentY, bodyX, bodyY, bodyW, bodyH);
  if (MouseInRect(bodyX, bodyY, bodyW, bodyH)) {
    const int scrolledTop = TruncToInt(bodyY) + gOY;
    gHiRow = (MouseY() - scrolledTop) / Pitch();
    gHiColumn = -1;
    const int mx = MouseX() - TruncToInt(bodyX);
    int right = -1;
    for (std::size_t c = 0; c < gWidth.size(); ++c) {
      right += gWidth[c] + CELL_PADDING;
      if (right > mx) {
        gHiColumn = static_cast<int>(c);
        break;
      }
    }
  } else {
    gHiRow = -1;
    gHiColumn = -1;
  }
  const int wheel = MouseZ();
  if (wheel != gOZ && gScroll) {
    // One step per change, however far the wheel turned.
    gScroll->gPart = wheel > gOZ ? kiv_TScrollBar::DEC_PART : kiv_TScrollBar::INC_PART;
    gOZ = wheel;
    gScroll->UpdateMouseRelease(0, 0);
    gOY = -gScroll->GetValue();
  }
}

void kiv_TTable::UpdateMouseDown(float parentX, float parentY) {
  kiv_GUI::SetCursor(2);
  kiv_TGadget::UpdateMouseDown(parentX, parentY);
}

void kiv_TTable::UpdateMouseRelease(float parentX, float parentY) {
  kiv_TGadget::UpdateMouseRelease(parentX, parentY);
  float bodyX = 0, bodyY = 0, bodyW = 0, bodyH = 0;
  BodyRect(parentX, parentY, bodyX, bodyY, bodyW, bodyH);
  if (!MouseInRect(bodyX, bodyY, bodyW, bodyH) || gHiRow < 0 || gHiRow >= CountItems()) return;
  SelectItem(gHiRow);
  kiv_CreateEvent(EVENT_GADGETSELECT, shared_from_this(), gSelectedItem->gData, gHiColumn, gHiRow);
}

// [SECTION] Items --------------------------------------------------------------------------------

std::vector<std::string> kiv_TTable::Fitted(const std::vector<std::string>& contents) const {
  std::vector<std::string> fitted(
      contents.begin(),
      contents.begin() + static_cast<std::ptrdiff_t>(std::min(contents.size(), gWidth.size())));
  fitted.resize(gWidth.size());
  return fitted;
}

void kiv_TTable::AddItem(const std::vector<std::string>& contents, int data,
                         const kiv_Object& extra) {
  gItems.push_back(kiv_TTableItem::Create(Fitted(contents), data, extra));
  Refresh();
}

void kiv_TTable::RemoveItem(int row) {
  const int index = ResolveRow(row);
  if (index < 0) return;
  gItems.erase(gItems.begin() + index);
  if (index == gSelected) {
    SelectItem(-1);
  } else if (index < gSelected) {
    --gSelected;  // the same item stays selected
  }
  Refresh();
}

void kiv_TTable::ClearItems() {
  gItems.clear();
  SelectItem(-1);
  Refresh();
}

void kiv_TTable::SelectItem(int row) {
  if (row >= 0 && row < CountItems()) {
    gSelected = row;
    gSelectedItem = gItems[static_cast<std::size_t>(row)];
  } else {
    gSelected = -1;
    gSelectedItem = nullptr;
  }
}

int kiv_TTable::ResolveRow(int row) const {
  if (row == SELECTED) row = gSelected;
  return row >= 0 && row < CountItems() ? row : -1;
}

kiv_TableItemPtr kiv_TTable::Item(int row) const {
  const int index = ResolveRow(row);
  return index >= 0 ? gItems[static_cast<std::size_t>(index)] : nullptr;
}

std::string kiv_TTable::GetContent(int row, int column) const {
  const kiv_TableItemPtr item = Item(row);
  return item ? item->GetContent(column) : "";
}

std::vector<std::string> kiv_TTable::GetAllContent(int row) const {
  const kiv_TableItemPtr item = Item(row);
  return item ? item->GetAllContent() : std::vector<std::string>{};
}

int kiv_TTable::GetData(int row) const {
  const kiv_TableItemPtr item = Item(row);
  return item ? item->GetData() : 0;
}

int kiv_TTable::FindData(int data, int startRow) const {
  for (int r = std::max(startRow, 0); r < CountItems(); ++r) {
    if (gItems[static_cast<std::size_t>(r)]->gData == data) return r;
  }
  return -1;
}

kiv_Object kiv_TTable::GetExtra(int row) const {
  const kiv_TableItemPtr item = Item(row);
  return item ? item->GetExtra() : nullptr;
}

void kiv_TTable::SetContent(int row, int column, const std::string& text) {
  if (const kiv_TableItemPtr item = Item(row)) item->SetContent(column, text);
}

void kiv_TTable::SetAllContent(int row, const std::vector<std::string>& contents) {
  if (const kiv_TableItemPtr item = Item(row)) item->SetAllContent(Fitted(contents));
}

void kiv_TTable::SetExtra(int row, const kiv_Object& extra) {
  if (const kiv_TableItemPtr item = Item(row)) item->SetExtra(extra);
}

void kiv_TTable::SetData(int row, int data) {
  if (const kiv_TableItemPtr item = Item(row)) item->SetData(data);
}
