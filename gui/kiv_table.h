// kiv_TTable: a list of rows in columns with an optional heading row, a selection, and a vertical
// scroll bar created beside it in the same parent. Only the rows inside the visible body are
// drawn, so a long list costs no more per frame than a short one. Rows are numbered from 0; the
// row -2 means the selected row.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "gui/kiv_gadget.h"
#include "gui/kiv_scrollbar.h"

class kiv_TTableItem;
class kiv_TTable;
using kiv_TableItemPtr = std::shared_ptr<kiv_TTableItem>;
using kiv_TablePtr = std::shared_ptr<kiv_TTable>;

/// One row: a text per column, a number and an object of the caller's.
class kiv_TTableItem {
 public:
  std::vector<std::string> gContent;
  kiv_Object gExtra;
  int gData = 0;

  static kiv_TableItemPtr Create(const std::vector<std::string>& contents, int data,
                                 const kiv_Object& extra);
  /// "" beyond the columns.
  std::string GetContent(int column) const;
  const std::vector<std::string>& GetAllContent() const { return gContent; }
  kiv_Object GetExtra() const { return gExtra; }
  int GetData() const { return gData; }
  /// Ignored beyond the columns.
  void SetContent(int column, const std::string& text);
  void SetAllContent(const std::vector<std::string>& contents) { gContent = contents; }
  void SetExtra(const kiv_Object& extra) { gExtra = extra; }
  void SetData(int data) { gData = data; }
};

class kiv_TTable : public kiv_TGadget {
 public:
  static constexpr int ROW_BACKGROUND = 0;  ///< colour index: row background / text
  static constexpr int SELECTED_ROW = 1;    ///< colour index: selected row
  static constexpr int HEADING_ROW = 2;     ///< colour index: heading row
  static constexpr int SELECTED = -2;       ///< row number meaning "the selected row"
  static constexpr int CELL_PADDING = 3;    ///< text inset, and the gap between columns
  static constexpr int DEFAULT_ITEM_HEIGHT = 20;

  std::vector<std::string> gHeading;
  std::vector<int> gWidth;
  int gIH = DEFAULT_ITEM_HEIGHT;  ///< row height; rows are gIH + 2 apart
  std::vector<kiv_TableItemPtr> gItems;
  int gHeader = 1;     ///< 1: show the heading row
  int gHighlight = 1;  ///< 1: draw the selected row in the selection colours
  std::array<std::array<int, 3>, 3> gColour{{{255, 255, 255}, {0, 0, 0}, {255, 255, 255}}};
  std::array<std::array<int, 3>, 3> gTextColour{{{0, 0, 0}, {255, 255, 255}, {0, 0, 0}}};
  std::array<float, 3> gAlpha{1.0f, 1.0f, 1.0f};
  std::array<float, 3> gTextAlpha{1.0f, 1.0f, 1.0f};
  int gSelected = -1;
  kiv_TableItemPtr gSelectedItem;
  kiv_ScrollBarPtr gScroll;
  int gOY = 0;                           ///< vertical scroll offset: minus the scroll bar's value
  int gHiRow = -1, gHiColumn = -1;       ///< row and column under the mouse
  std::array<int, 2> gBackground{1, 1};  ///< draw [0] row, [1] heading backgrounds
  int gOZ = 0;                           ///< last mouse-wheel position seen

  void Render(float parentX, float parentY) override;
  void Update(float parentX, float parentY) override;
  void UpdateMouseOver(float parentX, float parentY) override;
  void UpdateMouseDown(float parentX, float parentY) override;
  void UpdateMouseRelease(float parentX, float parentY) override;
  void SetColour(int r, int g, int b, int index = 0) override;
  void SetTextColour(int r, int g, int b, int index = 0) override;
  void SetAlpha(float alpha, int index = 0) override;
  void SetTextAlpha(float alpha, int index = 0) override;
  /// Width from the columns; moves, sizes and shows or hides the scroll bar.
  void Refresh() override;

  /// A column at least as wide as its heading (measured with the table's font now) + 6.
  void AddColumn(const std::string& heading, int width);
  void SetItemHighlight(int flag) { gHighlight = flag; }
  void SetWidth(int column, int width);
  /// Appends a row, its contents cut or padded to the number of columns.
  void AddItem(const std::vector<std::string>& contents, int data = 0,
               const kiv_Object& extra = nullptr);
  void RemoveItem(int row);
  void ClearItems();
  int CountItems() const { return static_cast<int>(gItems.size()); }
  void SetHeader(int flag);
  void SetBackground(int index, int flag);
  /// Selects a row 0..count-1; any other value clears the selection.
  void SelectItem(int row);
  /// The selected row, -1 for none.
  int SelectedItem() const { return gSelected; }
  std::string GetContent(int row, int column) const;
  std::vector<std::string> GetAllContent(int row) const;
  int GetData(int row) const;
  /// First row from `startRow` on whose data is `data`; -1 when none.
  int FindData(int data, int startRow = 0) const;
  kiv_Object GetExtra(int row) const;
  void SetContent(int row, int column, const std::string& text);
  void SetAllContent(int row, const std::vector<std::string>& contents);
  void SetExtra(int row, const kiv_Object& extra);
  void SetData(int row, int data);
  /// Distance between the tops of two rows, pixels (the scroll bar's values are in these).
  int Pitch() const { return gIH + 2; }

  static kiv_TablePtr Create(const std::string& name, int x, int y, int h,
                             const std::string& heading, int width, int itemHeight, int header,
                             const kiv_GadgetPtr& parent);

 private:
  /// Top of the heading row, or one pitch above the table without one.
  float RowsTop(float parentY) const;
  /// The visible body (below the heading) in screen pixels.
  void BodyRect(float parentX, float parentY, float& x, float& y, float& w, float& h) const;
  /// Row number for `row`, resolving -2; -1 when out of range.
  int ResolveRow(int row) const;
  kiv_TableItemPtr Item(int row) const;
  std::vector<std::string> Fitted(const std::vector<std::string>& contents) const;
};
