// The list view: report view, several rows selectable, labels of column 0
// editable in place, header clicks. It reports to its parent with WM_NOTIFY
// (LVN_ITEMCHANGED, LVN_DELETEITEM, LVN_DELETEALLITEMS, LVN_BEGINLABELEDITA,
// LVN_ENDLABELEDITA, LVN_COLUMNCLICK); the parent's window procedure reflects
// them back to the list's own object.
#pragma once

#include "framework/ui/Controls.h"

class CImageSet;

class CListControl : public CControlBase {
 public:
  void Create(CNativeWindow* parent, uint32_t style, uint32_t exStyle, uint32_t id) {
    CreateControl(ControlKind::ListView, parent, style, exStyle, id);
  }
  virtual void OnColumnClick(int column);
  // The order of two rows by their item values: negative, 0 or positive.
  virtual int Compare(LPARAM value1, LPARAM value2, uint32_t sortValue);
  // Column clicks call OnColumnClick, then the message goes on.
  void DefaultProc(MessageRecord& record) override;

  int ItemCount() const;
  int SelectedCount() const;
  int ColumnCount() const;
  // The list shares the image set; it never destroys it.
  void SetImageList(CImageSet* images, int which = LVSIL_SMALL);
  // Index -1 appends; returns the column's index.
  int InsertColumn(const CText& text, int format, int width, int index = -1);
  // Index -1 appends; returns the row's index.
  int InsertItem(LPARAM value, int index = -1);
  void SetItemText(int item, int subItem, const CText& text);
  CText ItemText(int item, int subItem) const;
  void SetItemImage(int item, int image);
  int ItemImage(int item) const;
  // LVIS_SELECTED and LVIS_FOCUSED.
  uint32_t ItemState(int item, uint32_t mask) const;
  void SetItemState(int item, uint32_t state, uint32_t mask);
  LPARAM ItemValue(int item) const;
  void SetItemValue(int item, LPARAM value);
  bool IsSelected(int item) const { return ItemState(item, LVIS_SELECTED) != 0; }
  bool IsFocused(int item) const { return ItemState(item, LVIS_FOCUSED) != 0; }
  // The next row after `start` (-1: from the first) with the flags
  // (LVNI_ALL, LVNI_SELECTED, LVNI_FOCUSED); -1 when none.
  int NextItem(int start, uint32_t flags) const;
  // Selects and focuses a row; other rows keep their state.
  void SelectItem(int item);
  void StartLabelEdit(int item);
  // LVN_DELETEALLITEMS first; unless it answers nonzero, LVN_DELETEITEM for
  // every row.
  void DeleteAllItems();
  void DeleteItem(int item);
  // Every row selected, with drawing locked during the loop.
  void SelectAll();
  // Orders the rows with Compare and the sort value.
  void Sort(uint32_t sortValue);
  // Scrolls by pixels.
  void Scroll(int dx, int dy);
  // The header's sort mark (HDF_SORTUP, HDF_SORTDOWN) on one column, -1 for
  // none; the header never sets it by itself.
  void SetSortMark(int column, bool ascending);
  // The width a column needs to show the text in a cell whole, and its
  // heading.
  int ColumnWidthFor(int column, const CText& text) const;
  void SetColumnWidth(int column, int width);
  int ColumnWidth(int column) const;
  // The row's rectangle in client coordinates; empty for no row.
  CXYRect ItemRect(int item) const;
};

CNativeWindow* NewListWindow(QWidget* parent, uint32_t style, uint32_t exStyle);
