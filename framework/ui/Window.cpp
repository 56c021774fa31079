#include "framework/ui/Window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPaintEvent>
#include <QPointer>
#include <utility>

#include "framework/core/DroppedFiles.h"
#include "framework/core/Exception.h"
#include "framework/ui/Graphics.h"
#include "framework/ui/Menu.h"
#include "framework/ui/QtText.h"
#include "platform/Errors.h"

namespace {

const QEvent::Type RecordEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// A posted message on its way through Qt's queue.
class QtRecordEvent : public QEvent {
 public:
  explicit QtRecordEvent(const MessageRecord& record) : QEvent(RecordEvent), record(record) {}
  MessageRecord record;
};

// The local files of a drop; null when it carries none.
std::unique_ptr<DropHandle> DroppedPaths(const QMimeData* mime) {
  if (!mime || !mime->hasUrls()) return nullptr;
  auto drop = std::make_unique<DropHandle>();
  for (const QUrl& url : mime->urls())
    if (url.isLocalFile()) drop->paths.push_back(FromQt(url.toLocalFile()));
  if (drop->paths.empty()) return nullptr;
  return drop;
}

WPARAM MouseKeys(const QMouseEvent& mouse) {
  WPARAM keys = 0;
  if (mouse.buttons() & Qt::LeftButton) keys |= MK_LBUTTON;
  if (mouse.buttons() & Qt::RightButton) keys |= MK_RBUTTON;
  if (mouse.modifiers() & Qt::ShiftModifier) keys |= MK_SHIFT;
  if (mouse.modifiers() & Qt::ControlModifier) keys |= MK_CONTROL;
  return keys;
}

}  // namespace

std::unique_ptr<DropHandle> TakeDropHandle(const MessageRecord& record) {
  return std::unique_ptr<DropHandle>(reinterpret_cast<DropHandle*>(record.wParam));
}

// ---------------------------------------------------------------- the handle

CNativeWindow::~CNativeWindow() {
  if (object_) object_->handle_ = nullptr;
}

void CNativeWindow::Place(const QRect& rect) {
  QWidget* widget = Widget();
  if (!widget->isWindow()) {
    widget->setGeometry(rect);
    return;
  }
  // A top-level window is placed by its outer rectangle, as the design's are.
  const QSize frame = widget->frameGeometry().size() - widget->size();
  widget->move(rect.topLeft());
  widget->resize(rect.size() - frame);
}

CNativeWindow* CNativeWindow::Parent() {
  for (QWidget* widget = Widget()->parentWidget(); widget; widget = widget->parentWidget())
    if (CNativeWindow* window = NativeWindowOf(widget)) return window;
  return nullptr;
}

LRESULT CNativeWindow::Procedure(MessageRecord& record) {
  CWindowBase* object = object_;
  if (!object) {
    DefaultProcessing(record);
    return record.result;
  }
  if (object->OnMessage(record) || !IsAlive() || !object_) return record.result;
  object_->DefaultProc(record);
  if (!IsAlive() || !object_) return record.result;

  if (record.message == WM_PAINT) {
    QRect area = Client()->rect();
    if (current_ && current_->record == &record) area = static_cast<QPaintEvent*>(current_->event)->rect();
    CDrawContext context(Widget());
    object_->Paint(context, {area.x(), area.y(), area.width(), area.height()});
  } else if (record.message == WM_NOTIFY && record.lParam) {
    // Notifications go back to the control that sent them.
    auto* header = reinterpret_cast<NotifyHeader*>(record.lParam);
    if (CNativeWindow* sender = std::exchange(header->from, nullptr))
      record.result = SendMessage(sender, WM_NOTIFY, record.wParam, record.lParam);
  }
  return record.result;
}

void CNativeWindow::DefaultProcessing(MessageRecord& record) {
  const bool fromQt = current_ && current_->record == &record;
  if (NativeMessage(record, fromQt)) return;
  if (fromQt && !current_->ran) {
    current_->ran = true;
    current_->result = (*current_->native)();
  }
}

bool CNativeWindow::NativeMessage(MessageRecord& record, bool) {
  switch (record.message) {
    case WM_CLOSE:
      DestroyWindow(this);
      return true;
    case WM_DROPFILES:
      TakeDropHandle(record);  // nobody took the drop: it ends here
      return true;
    default:
      return false;
  }
}

bool CNativeWindow::Translate(QEvent* event, const std::function<bool()>& native) {
  if (event->type() == RecordEvent) {
    if (IsAlive()) Procedure(static_cast<QtRecordEvent*>(event)->record);
    return true;
  }
  if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
    auto* drag = static_cast<QDropEvent*>(event);
    if (!DroppedPaths(drag->mimeData())) return native();
    drag->acceptProposedAction();
    return true;
  }
  if (event->type() == QEvent::WindowActivate && Widget()->isWindow()) {
    // Qt's activation is the design's WM_ACTIVATE, whose default gives the
    // window itself the focus: a frame then passes it on to its view.
    const bool handled = native();
    SendMessage(this, WM_SETFOCUS);
    return handled;
  }
  MessageRecord record;
  if (!IsAlive() || !RecordFor(event, &record)) return native();
  QtEvent call{event, &record, &native};
  QtEvent* outer = std::exchange(current_, &call);
  Procedure(record);
  current_ = outer;
  if (event->type() == QEvent::Close) {
    // Destruction is the window procedure's business, never Qt's.
    event->ignore();
    return true;
  }
  if (call.ran) return call.result;
  event->accept();
  return true;
}

bool CNativeWindow::RecordFor(QEvent* event, MessageRecord* record) {
  switch (event->type()) {
    case QEvent::Resize: {
      const QSize size = Client()->size();
      *record = {WM_SIZE, SIZE_RESTORED, MakeLParam(size.width(), size.height())};
      return true;
    }
    case QEvent::KeyPress: {
      const auto& key = *static_cast<QKeyEvent*>(event);
      const int virtualKey = VirtualKeyOf(key);
      if (!virtualKey) return false;
      // The keyboard's way to the context menu, as the system's default
      // handling turns these keys into one.
      const Qt::KeyboardModifiers held = key.modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
      if ((virtualKey == VK_APPS && !held) || (virtualKey == VK_F1 + 9 && held == Qt::ShiftModifier)) {
        *record = {WM_CONTEXTMENU, 0, -1};
        return true;
      }
      *record = {WM_KEYDOWN, WPARAM(virtualKey), LPARAM(1) | (key.isAutoRepeat() ? LPARAM(1) << 30 : 0)};
      return true;
    }
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonPress: {
      const auto& mouse = *static_cast<QMouseEvent*>(event);
      const bool doubleLeft = event->type() == QEvent::MouseButtonDblClick && mouse.button() == Qt::LeftButton;
      const bool right = event->type() == QEvent::MouseButtonPress && mouse.button() == Qt::RightButton;
      if (!doubleLeft && !right) return false;
      const QPoint at = mouse.position().toPoint();
      *record = {doubleLeft ? WM_LBUTTONDBLCLK : WM_RBUTTONDOWN, MouseKeys(mouse), MakeLParam(at.x(), at.y())};
      return true;
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      std::unique_ptr<DropHandle> paths = DroppedPaths(drop->mimeData());
      if (!paths) return false;
      drop->acceptProposedAction();
      *record = {WM_DROPFILES, reinterpret_cast<WPARAM>(paths.release()), 0};
      return true;
    }
    case QEvent::Close:
      *record = {WM_CLOSE};
      return true;
    case QEvent::Paint:
      *record = {WM_PAINT};
      return true;
    case QEvent::FocusIn:
      *record = {WM_SETFOCUS};
      return true;
    default:
      return false;
  }
}

CNativeWindow* NativeWindowOf(QObject* object) { return dynamic_cast<CNativeWindow*>(object); }

LRESULT SendMessage(CNativeWindow* window, uint32_t message, WPARAM wParam, LPARAM lParam) {
  if (!window || !window->IsAlive()) return 0;
  MessageRecord record{message, wParam, lParam};
  return window->Procedure(record);
}

void PostMessage(CNativeWindow* window, uint32_t message, WPARAM wParam, LPARAM lParam) {
  if (!window || !window->IsAlive()) return;
  QCoreApplication::postEvent(window->Widget(), new QtRecordEvent({message, wParam, lParam}));
}

void DestroyWindow(CNativeWindow* window) {
  if (!window || !window->IsAlive() || std::exchange(window->destroying_, true)) return;
  QWidget* widget = window->Widget();
  // Pre-order: parents hear WM_DESTROY before their children, and
  // WM_NCDESTROY after them.
  std::vector<QPointer<QWidget>> tree{widget};
  for (QWidget* child : widget->findChildren<QWidget*>())
    if (NativeWindowOf(child)) tree.emplace_back(child);
  widget->hide();
  for (const QPointer<QWidget>& member : tree)
    if (member) SendMessage(NativeWindowOf(member), WM_DESTROY);
  for (auto member = tree.rbegin(); member != tree.rend(); ++member) {
    if (!*member) continue;
    CNativeWindow* native = NativeWindowOf(*member);
    SendMessage(native, WM_NCDESTROY);
    native->destroyed_ = true;
    if (native->object_) native->object_->handle_ = nullptr;
    native->object_ = nullptr;
  }
  widget->deleteLater();
}

void DestroyAllWindows() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (CNativeWindow* window = NativeWindowOf(widget)) DestroyWindow(window);
}

int VirtualKeyOf(const QKeyEvent& event) {
  const int key = event.key();
  if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) return key;
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return VK_F1 + (key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Backspace:
      return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return VK_RETURN;
    case Qt::Key_Shift:
      return VK_SHIFT;
    case Qt::Key_Control:
      return VK_CONTROL;
    case Qt::Key_Alt:
      return VK_MENU;
    case Qt::Key_Escape:
      return VK_ESCAPE;
    case Qt::Key_Space:
      return VK_SPACE;
    case Qt::Key_PageUp:
      return VK_PRIOR;
    case Qt::Key_PageDown:
      return VK_NEXT;
    case Qt::Key_End:
      return VK_END;
    case Qt::Key_Home:
      return VK_HOME;
    case Qt::Key_Left:
      return VK_LEFT;
    case Qt::Key_Up:
      return VK_UP;
    case Qt::Key_Right:
      return VK_RIGHT;
    case Qt::Key_Down:
      return VK_DOWN;
    case Qt::Key_Insert:
      return VK_INSERT;
    case Qt::Key_Delete:
      return VK_DELETE;
    case Qt::Key_Menu:
      return VK_APPS;
    default:
      return 0;
  }
}

// ---------------------------------------------------------------- the object

CWindowBase::~CWindowBase() {
  if (handle_) handle_->object_ = nullptr;
}

void CWindowBase::Attach(CNativeWindow* window) {
  if (handle_) handle_->object_ = nullptr;
  handle_ = window;
  if (!window) return;
  if (window->object_) window->object_->handle_ = nullptr;
  window->object_ = this;
}

void CWindowBase::Close(LRESULT) {
  if (handle_) DestroyWindow(handle_);
}

void CWindowBase::Paint(CDrawContext& context, const CXYRect&) { Draw(context); }

void CWindowBase::Draw(CDrawContext&) {}

bool CWindowBase::OnMessage(MessageRecord&) { return false; }

void CWindowBase::DefaultProc(MessageRecord& record) {
  if (handle_) handle_->DefaultProcessing(record);
}

void CWindowBase::BindNew(CNativeWindow* window, uint32_t style) {
  Attach(window);
  SendMessage(window, WM_NCCREATE);
  if (SendMessage(window, WM_CREATE) == -1) {
    DestroyWindow(window);
    throw CException(platform::Error::InvalidWindowHandle);
  }
  if (style & WS_DISABLED) window->Widget()->setEnabled(false);
  if (style & WS_VISIBLE) window->Widget()->show();
}

void ApplyWindowClass(QWidget* widget, const WindowClass& windowClass) {
  if (windowClass.background >= 0) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, SystemColour(windowClass.background));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
  }
  auto icon = Resources().icons.find(windowClass.iconId);
  if (icon != Resources().icons.end()) widget->setWindowIcon(icon->second);
}

void CWindowBase::CreateChild(CNativeWindow* parent, uint32_t style, uint32_t exStyle, uint32_t id,
                              const WindowClass& windowClass, int x, int y, int width, int height) {
  Close(0);
  auto* window = new TNativeWindow<QWidget>(parent ? parent->Client() : nullptr);
  window->SetId(id);
  ApplyWindowClass(window, windowClass);
  window->setAcceptDrops(exStyle & WS_EX_ACCEPTFILES);
  window->setGeometry(x, y, width, height);
  BindNew(window, style);
}

LRESULT CWindowBase::Send(uint32_t message, WPARAM wParam, LPARAM lParam) {
  return SendMessage(handle_, message, wParam, lParam);
}

void CWindowBase::Post(uint32_t message, WPARAM wParam, LPARAM lParam) {
  PostMessage(handle_, message, wParam, lParam);
}

void CWindowBase::SetText(const CText& text) { SetWindowText(handle_, text); }

CText CWindowBase::Text() const { return WindowText(handle_); }

void CWindowBase::SetFocus() {
  if (handle_) handle_->Widget()->setFocus(Qt::OtherFocusReason);
}

void CWindowBase::Show(int command) {
  if (handle_) handle_->Widget()->setVisible(command != SW_HIDE);
}

void CWindowBase::BringToFront() {
  if (!handle_) return;
  QWidget* window = handle_->Widget()->window();
  window->show();
  window->raise();
  window->activateWindow();
}

void CWindowBase::Enable(bool enable) {
  if (handle_) handle_->Widget()->setEnabled(enable);
}

void CWindowBase::Move(int x, int y, int width, int height) {
  if (handle_) handle_->Place(QRect(x, y, width, height));
}

CXYSize CWindowBase::WindowSize() const {
  if (!handle_) return {};
  QWidget* widget = handle_->Widget();
  const QSize size = widget->isWindow() ? widget->frameGeometry().size() : widget->size();
  return {size.width(), size.height()};
}

CXYSize CWindowBase::ClientSize() const {
  if (!handle_) return {};
  const QSize size = handle_->Client()->size();
  return {size.width(), size.height()};
}

CXYPoint CWindowBase::PositionInParent() const {
  if (!handle_) return {};
  QWidget* widget = handle_->Widget();
  const QPoint at = widget->isWindow() ? widget->frameGeometry().topLeft() : widget->pos();
  return {at.x(), at.y()};
}

void CWindowBase::SetSize(int width, int height) {
  const CXYPoint at = PositionInParent();
  Move(at.x, at.y, width, height);
}

void CWindowBase::LockUpdates(bool lock) {
  if (handle_) handle_->Widget()->setUpdatesEnabled(!lock);
}

void CWindowBase::TrackPopupMenu(CMenu& popup, int x, int y) {
  if (handle_) popup.Track(handle_, handle_->ClientToGlobal(QPoint(x, y)));
}

CNativeWindow* CWindowBase::Item(uint32_t id) const {
  if (!handle_) return nullptr;
  for (QObject* child : handle_->Client()->children()) {
    CNativeWindow* window = NativeWindowOf(child);
    if (window && window->IsAlive() && window->Id() == id) return window;
  }
  return nullptr;
}

LRESULT CWindowBase::SendToItem(uint32_t id, uint32_t message, WPARAM wParam, LPARAM lParam) {
  return SendMessage(Item(id), message, wParam, lParam);
}

CText CWindowBase::ItemText(uint32_t id) const { return WindowText(Item(id)); }

void CWindowBase::SetItemText(uint32_t id, const CText& text) { SetWindowText(Item(id), text); }

void CWindowBase::EnableItem(uint32_t id, bool enable) {
  if (CNativeWindow* item = Item(id)) item->Widget()->setEnabled(enable);
}

void CWindowBase::SetCheck(uint32_t id, bool checked) {
  CNativeWindow* item = Item(id);
  if (auto* button = item ? qobject_cast<QAbstractButton*>(item->Widget()) : nullptr) button->setChecked(checked);
}

bool CWindowBase::IsChecked(uint32_t id) const {
  CNativeWindow* item = Item(id);
  auto* button = item ? qobject_cast<QAbstractButton*>(item->Widget()) : nullptr;
  return button && button->isChecked();
}

// ---------------------------------------------------------------- helpers

void SetWindowText(CNativeWindow* window, const CText& text) {
  if (!window) return;
  QWidget* widget = window->Widget();
  const QString qtText = ToQt(text);
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(qtText);
  } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    edit->setText(qtText);
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setText(qtText);
  } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
    group->setTitle(qtText);
  } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    combo->setCurrentIndex(combo->findText(qtText));
    if (combo->isEditable()) combo->setEditText(qtText);
  } else {
    widget->setWindowTitle(qtText);
  }
}

CText WindowText(CNativeWindow* window) {
  if (!window) return CText();
  QWidget* widget = window->Widget();
  if (auto* label = qobject_cast<QLabel*>(widget)) return FromQt(label->text());
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) return FromQt(edit->text());
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return FromQt(button->text());
  if (auto* group = qobject_cast<QGroupBox*>(widget)) return FromQt(group->title());
  if (auto* combo = qobject_cast<QComboBox*>(widget)) return FromQt(combo->currentText());
  return FromQt(widget->windowTitle());
}

QColor SystemColour(int index) {
  const QPalette palette = QApplication::palette();
  switch (index) {
    case COLOR_WINDOW:
      return palette.color(QPalette::Base);
    case COLOR_BTNFACE:
      return palette.color(QPalette::Button);
    case COLOR_BTNSHADOW:
      return palette.color(QPalette::Dark);
    case COLOR_BTNTEXT:
      return palette.color(QPalette::ButtonText);
    case COLOR_BTNHIGHLIGHT:
      return palette.color(QPalette::Light);
    default:
      return palette.color(QPalette::Window);
  }
}

void SetCursorShape(CursorShape shape) {
  while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
  if (shape == CursorShape::Wait) QApplication::setOverrideCursor(Qt::WaitCursor);
}
