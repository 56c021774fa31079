#include "framework/ui/ListControl.h"

#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTreeWidget>
#include <algorithm>
#include <functional>

#include "framework/ui/Graphics.h"
#include "framework/ui/QtText.h"

namespace {

constexpr int ValueRole = Qt::UserRole;
constexpr int ImageRole = Qt::UserRole + 1;

class NativeList final : public TNativeWindow<QTreeWidget> {
 public:
  NativeList(QWidget* parent, uint32_t style, uint32_t exStyle) : TNativeWindow<QTreeWidget>(parent) {
    setColumnCount(0);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(SelectRows);
    setSelectionMode((style & LVS_SINGLESEL) ? SingleSelection : ExtendedSelection);
    editable_ = style & LVS_EDITLABELS;
    setEditTriggers(editable_ ? QAbstractItemView::SelectedClicked : QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(ScrollPerPixel);
    header()->setStretchLastSection(false);
    header()->setSectionsClickable(true);
    header()->setSectionsMovable(false);
    const bool acceptFiles = exStyle & WS_EX_ACCEPTFILES;
    setAcceptDrops(acceptFiles);
    viewport()->setAcceptDrops(acceptFiles);
    showSelectionAlways_ = style & LVS_SHOWSELALWAYS;
    ShowSelection(showSelectionAlways_);

    connect(header(), &QHeaderView::sectionClicked, this, [this](int column) {
      ListViewNotify notify;
      notify.subItem = column;
      Notify(LVN_COLUMNCLICK, -1, notify);
      ShowSortMark();  // Qt's header flips its own mark on a click; only the owner sets it
    });
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
              ReportSelection(deselected, LVIS_SELECTED, 0);
              ReportSelection(selected, 0, LVIS_SELECTED);
            });
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& now, const QModelIndex& before) {
              ReportState(before, LVIS_FOCUSED, 0);
              ReportState(now, 0, LVIS_FOCUSED);
            });
  }

  QWidget* Client() override { return viewport(); }

  LRESULT Notify(int32_t code, int row, ListViewNotify notify = {}) {
    notify.header = {this, Id(), code};
    notify.item = row;
    if (row >= 0) notify.itemValue = Value(row);
    return SendMessage(Parent(), WM_NOTIFY, Id(), reinterpret_cast<LPARAM>(&notify));
  }

  LPARAM Value(int row) const {
    const QTreeWidgetItem* rowItem = topLevelItem(row);
    return rowItem ? static_cast<LPARAM>(rowItem->data(0, ValueRole).toLongLong()) : 0;
  }

  QModelIndex RowIndex(int row) const { return model()->index(row, 0); }

  int InsertColumn(const QString& text, int format, int width, int index) {
    const int count = columnCount();
    if (index < 0 || index > count) index = count;
    // QTreeWidget only appends columns: move the later ones one place right.
    setColumnCount(count + 1);
    for (int column = count; column > index; --column) {
      MoveColumn(headerItem(), column);
      for (int row = 0; row < topLevelItemCount(); ++row) MoveColumn(topLevelItem(row), column);
      setColumnWidth(column, columnWidth(column - 1));
    }
    const Qt::Alignment alignment =
        (format & LVCFMT_RIGHT) ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter;
    headerItem()->setText(index, text);
    headerItem()->setTextAlignment(index, alignment);
    setColumnWidth(index, width);
    alignments_.insert(alignments_.begin() + index, alignment);
    return index;
  }

  static void MoveColumn(QTreeWidgetItem* item, int column) {
    item->setText(column, item->text(column - 1));
    item->setTextAlignment(column, Qt::Alignment(item->textAlignment(column - 1)));
    item->setText(column - 1, QString());
  }

  // Opens the label editor of a row as the design's "edit label" does.
  void EditLabel(int row) {
    if (row >= 0 && row < topLevelItemCount()) edit(RowIndex(row), AllEditTriggers, nullptr);
  }

  int InsertRow(LPARAM value, int index) {
    const int count = topLevelItemCount();
    if (index < 0 || index > count) index = count;
    auto* row = new QTreeWidgetItem();
    row->setData(0, ValueRole, static_cast<qlonglong>(value));
    row->setData(0, ImageRole, -1);
    if (editable_) row->setFlags(row->flags() | Qt::ItemIsEditable);
    for (size_t column = 0; column < alignments_.size(); ++column)
      row->setTextAlignment(static_cast<int>(column), alignments_[column]);
    insertTopLevelItem(index, row);
    return index;
  }

  void SetImage(int row, int image) {
    QTreeWidgetItem* item = topLevelItem(row);
    if (!item) return;
    item->setData(0, ImageRole, image);
    item->setIcon(0, images_ ? images_->Icon(image) : QIcon());
  }

  void SetImages(CImageSet* images) {
    images_ = images;
    if (images) setIconSize(images->ImageSize());
  }

  // Row removals and reordering are not item changes.
  void Quietly(const std::function<void()>& change) {
    const bool outer = std::exchange(quiet_, true);
    change();
    quiet_ = outer;
  }

  void RemoveRow(int row) {
    if (editing_.isValid() && editing_.row() == row) CancelEdit();
    Notify(LVN_DELETEITEM, row);
    ++removals_;
    Quietly([&] { delete takeTopLevelItem(row); });
  }

  void RemoveAll() {
    CancelEdit();
    if (!Notify(LVN_DELETEALLITEMS, -1))
      for (int row = 0; row < topLevelItemCount(); ++row) Notify(LVN_DELETEITEM, row);
    ++removals_;
    Quietly([&] { clear(); });
  }

  // The header's mark of the column the rows are sorted by; -1 for none.
  void SetSortMark(int column, bool ascending) {
    sortColumn_ = column;
    sortAscending_ = ascending;
    ShowSortMark();
  }

  // What a cell of the column needs to show the text whole, and its heading.
  int ColumnWidthFor(int column, const QString& text) {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.text = text;
    option.features |= QStyleOptionViewItem::HasDisplay;
    if (column == 0 && images_) {
      option.features |= QStyleOptionViewItem::HasDecoration;
      option.decorationSize = iconSize();
    }
    const int cell = style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this).width();
    return std::max(cell, header()->sectionSizeHint(column));
  }

  void SortRows(const std::function<int(LPARAM, LPARAM)>& compare) {
    Quietly([&] {
      QTreeWidgetItem* current = currentItem();
      const QList<QTreeWidgetItem*> selected = selectedItems();
      QList<QTreeWidgetItem*> rows = invisibleRootItem()->takeChildren();
      std::stable_sort(rows.begin(), rows.end(), [&](QTreeWidgetItem* a, QTreeWidgetItem* b) {
        return compare(a->data(0, ValueRole).toLongLong(), b->data(0, ValueRole).toLongLong()) < 0;
      });
      invisibleRootItem()->addChildren(rows);
      for (QTreeWidgetItem* row : selected) row->setSelected(true);
      if (current) setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
    });
  }

 protected:
  bool event(QEvent* event) override {
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
      ShowSelection(showSelectionAlways_ || event->type() == QEvent::FocusIn);
    // The rows are painted on the viewport; the frame around them is Qt's.
    // Keys the label editor passed on (its Return) are the editor's, not the list's.
    const bool qtOnly =
        event->type() == QEvent::Paint || (event->type() == QEvent::KeyPress && state() == EditingState);
    // NOLINTNEXTLINE(bugprone-parent-virtual-call): these skip the translation into records on purpose
    if (qtOnly) return QTreeWidget::event(event);
    return TNativeWindow<QTreeWidget>::event(event);
  }

  // A click that filled the list anew (a double click that opened a folder)
  // leaves the new rows alone: Qt would select the row that is now under the
  // pointer when the click goes on or the button comes up.
  void mousePressEvent(QMouseEvent* event) override {
    pressRemovals_ = removals_;
    QTreeWidget::mousePressEvent(event);
  }
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    if (removals_ == pressRemovals_) QTreeWidget::mouseDoubleClickEvent(event);
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (removals_ == pressRemovals_) QTreeWidget::mouseReleaseEvent(event);
  }

  // Only drops of files, which the window procedure takes, are welcome.
  void dragEnterEvent(QDragEnterEvent* event) override { event->ignore(); }
  void dragMoveEvent(QDragMoveEvent* event) override { event->ignore(); }

  bool viewportEvent(QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseButtonPress:
      case QEvent::DragEnter:
      case QEvent::DragMove:
      case QEvent::Drop:
        return Translate(event, [this, event] { return QTreeWidget::viewportEvent(event); });
      default:
        return QTreeWidget::viewportEvent(event);
    }
  }

  bool NativeMessage(MessageRecord& record, bool fromQt) override {
    if (record.message != WM_LBUTTONDOWN || fromQt) return CNativeWindow::NativeMessage(record, fromQt);
    // A click at client coordinates: the row there becomes the only selected
    // one; empty space clears the selection.
    const QModelIndex at = indexAt(QPoint(SignedLowWord(record.lParam), SignedHighWord(record.lParam)));
    if (at.isValid()) {
      selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    } else {
      clearSelection();
    }
    return true;
  }

  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override {
    // Clicking a selected row only arms Qt's delayed edit, which comes back
    // here with AllEditTriggers; that is when the label edit begins.
    const bool opens = index.isValid() && state() != EditingState &&
                       (trigger == AllEditTriggers || ((trigger & editTriggers()) && trigger != SelectedClicked));
    if (!opens) return QTreeWidget::edit(index, trigger, event);
    const QModelIndex label = index.siblingAtColumn(0);
    if (Notify(LVN_BEGINLABELEDITA, label.row())) return false;
    editing_ = label;
    if (QTreeWidget::edit(label, trigger, event)) return true;
    editing_ = QPersistentModelIndex();
    return false;
  }

  void commitData(QWidget* editor) override {
    if (!editing_.isValid()) return;
    const QPersistentModelIndex label = std::exchange(editing_, QPersistentModelIndex());
    auto* line = qobject_cast<QLineEdit*>(editor);
    const QString typed = line ? line->text() : QString();
    const CText text = FromQt(typed);
    ListViewNotify notify;
    notify.text = text.Chars();
    // The receiver may hand back another text for the label.
    if (Notify(LVN_ENDLABELEDITA, label.row(), notify) && label.isValid())
      model()->setData(label, ToQt(CText(notify.text)), Qt::EditRole);
  }

  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override {
    CancelEdit();
    QTreeWidget::closeEditor(editor, hint);
  }

  // Ends an edit in progress without a text; Qt closes the editor with its row.
  void CancelEdit() {
    if (!editing_.isValid()) return;
    const QPersistentModelIndex label = std::exchange(editing_, QPersistentModelIndex());
    Notify(LVN_ENDLABELEDITA, label.row());
  }

 private:
  // Without LVS_SHOWSELALWAYS the selection shows only while the list has
  // the focus.
  void ShowSelection(bool shown) {
    QPalette colours = palette();
    const QPalette system = QApplication::palette(this);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
      colours.setColor(group, QPalette::Highlight, system.color(group, shown ? QPalette::Highlight : QPalette::Base));
      colours.setColor(group, QPalette::HighlightedText,
                       system.color(group, shown ? QPalette::HighlightedText : QPalette::Text));
    }
    setPalette(colours);
  }

  void ShowSortMark() {
    header()->setSortIndicatorShown(sortColumn_ >= 0);
    if (sortColumn_ >= 0)
      header()->setSortIndicator(sortColumn_, sortAscending_ ? Qt::AscendingOrder : Qt::DescendingOrder);
  }

  void ReportState(const QModelIndex& index, uint32_t oldState, uint32_t newState) {
    if (quiet_ || !index.isValid()) return;
    ListViewNotify notify;
    notify.oldState = oldState;
    notify.newState = newState;
    notify.changed = LVIF_STATE;
    Notify(LVN_ITEMCHANGED, index.row(), notify);
  }

  void ReportSelection(const QItemSelection& rows, uint32_t oldState, uint32_t newState) {
    for (const QModelIndex& index : rows.indexes())
      if (index.column() == 0) ReportState(index, oldState, newState);
  }

  bool editable_ = false;
  bool showSelectionAlways_ = false;
  bool quiet_ = false;
  int removals_ = 0;  // row removals so far, to tell whether a click's rows are still there
  int pressRemovals_ = 0;
  int sortColumn_ = -1;
  bool sortAscending_ = true;
  CImageSet* images_ = nullptr;
  std::vector<Qt::Alignment> alignments_;
  QPersistentModelIndex editing_;
};

NativeList* ListOf(CNativeWindow* window) { return window ? dynamic_cast<NativeList*>(window) : nullptr; }

}  // namespace

CNativeWindow* NewListWindow(QWidget* parent, uint32_t style, uint32_t exStyle) {
  return new NativeList(parent, style, exStyle);
}

void CListControl::OnColumnClick(int) {}

int CListControl::Compare(LPARAM, LPARAM, uint32_t) { return 0; }

void CListControl::DefaultProc(MessageRecord& record) {
  if (record.message == WM_NOTIFY && record.lParam) {
    const auto* notify = reinterpret_cast<const ListViewNotify*>(record.lParam);
    if (notify->header.code == LVN_COLUMNCLICK) OnColumnClick(notify->subItem);
  }
  CControlBase::DefaultProc(record);
}

int CListControl::ItemCount() const {
  NativeList* list = ListOf(handle_);
  return list ? list->topLevelItemCount() : 0;
}

int CListControl::SelectedCount() const {
  NativeList* list = ListOf(handle_);
  return list ? static_cast<int>(list->selectionModel()->selectedRows().size()) : 0;
}

int CListControl::ColumnCount() const {
  NativeList* list = ListOf(handle_);
  return list ? list->columnCount() : 0;
}

void CListControl::SetImageList(CImageSet* images, int) {
  if (NativeList* list = ListOf(handle_)) list->SetImages(images);
}

int CListControl::InsertColumn(const CText& text, int format, int width, int index) {
  NativeList* list = ListOf(handle_);
  return list ? list->InsertColumn(ToQt(text), format, width, index) : -1;
}

int CListControl::InsertItem(LPARAM value, int index) {
  NativeList* list = ListOf(handle_);
  return list ? list->InsertRow(value, index) : -1;
}

void CListControl::SetItemText(int item, int subItem, const CText& text) {
  NativeList* list = ListOf(handle_);
  if (QTreeWidgetItem* row = list ? list->topLevelItem(item) : nullptr) row->setText(subItem, ToQt(text));
}

CText CListControl::ItemText(int item, int subItem) const {
  NativeList* list = ListOf(handle_);
  QTreeWidgetItem* row = list ? list->topLevelItem(item) : nullptr;
  return row ? FromQt(row->text(subItem)) : CText();
}

void CListControl::SetItemImage(int item, int image) {
  if (NativeList* list = ListOf(handle_)) list->SetImage(item, image);
}

int CListControl::ItemImage(int item) const {
  NativeList* list = ListOf(handle_);
  QTreeWidgetItem* row = list ? list->topLevelItem(item) : nullptr;
  return row ? row->data(0, ImageRole).toInt() : -1;
}

uint32_t CListControl::ItemState(int item, uint32_t mask) const {
  NativeList* list = ListOf(handle_);
  if (!list || item < 0 || item >= list->topLevelItemCount()) return 0;
  const QItemSelectionModel* selection = list->selectionModel();
  uint32_t state = 0;
  if (selection->isRowSelected(item, QModelIndex())) state |= LVIS_SELECTED;
  if (selection->currentIndex().isValid() && selection->currentIndex().row() == item) state |= LVIS_FOCUSED;
  return state & mask;
}

void CListControl::SetItemState(int item, uint32_t state, uint32_t mask) {
  NativeList* list = ListOf(handle_);
  if (!list || item < 0 || item >= list->topLevelItemCount()) return;
  const QModelIndex index = list->RowIndex(item);
  QItemSelectionModel* selection = list->selectionModel();
  if (mask & LVIS_SELECTED) {
    selection->select(index, ((state & LVIS_SELECTED) ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                                 QItemSelectionModel::Rows);
  }
  if (mask & LVIS_FOCUSED) {
    if (state & LVIS_FOCUSED) {
      selection->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    } else if (selection->currentIndex().row() == item) {
      selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
  }
}

LPARAM CListControl::ItemValue(int item) const {
  NativeList* list = ListOf(handle_);
  return list ? list->Value(item) : 0;
}

void CListControl::SetItemValue(int item, LPARAM value) {
  NativeList* list = ListOf(handle_);
  if (QTreeWidgetItem* row = list ? list->topLevelItem(item) : nullptr)
    row->setData(0, ValueRole, static_cast<qlonglong>(value));
}

int CListControl::NextItem(int start, uint32_t flags) const {
  for (int item = std::max(start + 1, 0); item < ItemCount(); ++item)
    if (ItemState(item, flags) == flags) return item;  // LVNI_ bits are the LVIS_ bits
  return -1;
}

void CListControl::SelectItem(int item) {
  SetItemState(item, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void CListControl::StartLabelEdit(int item) {
  if (NativeList* list = ListOf(handle_)) list->EditLabel(item);
}

void CListControl::DeleteAllItems() {
  if (NativeList* list = ListOf(handle_)) list->RemoveAll();
}

void CListControl::DeleteItem(int item) {
  NativeList* list = ListOf(handle_);
  if (list && item >= 0 && item < list->topLevelItemCount()) list->RemoveRow(item);
}

void CListControl::SelectAll() {
  LockUpdates(true);
  for (int item = 0; item < ItemCount(); ++item) SetItemState(item, LVIS_SELECTED, LVIS_SELECTED);
  LockUpdates(false);
}

void CListControl::Sort(uint32_t sortValue) {
  if (NativeList* list = ListOf(handle_))
    list->SortRows([this, sortValue](LPARAM a, LPARAM b) { return Compare(a, b, sortValue); });
}

void CListControl::Scroll(int dx, int dy) {
  NativeList* list = ListOf(handle_);
  if (!list) return;
  list->horizontalScrollBar()->setValue(list->horizontalScrollBar()->value() + dx);
  list->verticalScrollBar()->setValue(list->verticalScrollBar()->value() + dy);
}

void CListControl::SetSortMark(int column, bool ascending) {
  if (NativeList* list = ListOf(handle_)) list->SetSortMark(column, ascending);
}

int CListControl::ColumnWidthFor(int column, const CText& text) const {
  NativeList* list = ListOf(handle_);
  return list ? list->ColumnWidthFor(column, ToQt(text)) : 0;
}

void CListControl::SetColumnWidth(int column, int width) {
  if (NativeList* list = ListOf(handle_)) list->setColumnWidth(column, width);
}

int CListControl::ColumnWidth(int column) const {
  NativeList* list = ListOf(handle_);
  return list ? list->columnWidth(column) : 0;
}

CXYRect CListControl::ItemRect(int item) const {
  NativeList* list = ListOf(handle_);
  QTreeWidgetItem* row = list ? list->topLevelItem(item) : nullptr;
  if (!row) return {};
  const QRect rect = list->visualItemRect(row);
  return {rect.x(), rect.y(), rect.width(), rect.height()};
}
