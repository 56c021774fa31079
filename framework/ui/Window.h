// Window objects and the windows that present them. A window object (a
// CWindowBase) is bound to a window handle, the framework's own subclass of the
// Qt widget that presents it. The handle turns Qt events into message records;
// the object's OnMessage sees each record first and DefaultProc runs when
// OnMessage leaves it.
#pragma once

#include <QWidget>
#include <functional>

#include "framework/core/Root.h"
#include "framework/core/Text.h"
#include "framework/ui/Messages.h"
#include "framework/ui/Resources.h"

class CDrawContext;
class CMenu;
class CWindowBase;
class QKeyEvent;

struct CXYPoint {
  int x = 0;
  int y = 0;
};
struct CXYSize {
  int width = 0;
  int height = 0;
};
struct CXYRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// What the design's window class gives a window that is not a control.
struct WindowClass {
  int background = COLOR_WINDOW;  // a system colour, or -1 for none
  uint32_t iconId = 0;            // 0: no icon
};

// The handle side of a window: the bound object and the translation of Qt
// events into records. Every window handle is a widget that also derives from
// this.
class CNativeWindow {
 public:
  CNativeWindow() = default;
  CNativeWindow(const CNativeWindow&) = delete;
  CNativeWindow& operator=(const CNativeWindow&) = delete;
  virtual ~CNativeWindow();

  virtual QWidget* Widget() = 0;
  // Where child windows live and whose size is the client size.
  virtual QWidget* Client() { return Widget(); }
  // Client coordinates to screen coordinates.
  virtual QPoint ClientToGlobal(QPoint point) { return Client()->mapToGlobal(point); }
  // Places the window (client coordinates of the parent, or the screen).
  virtual void Place(const QRect& rect);

  CWindowBase* Object() const { return object_; }
  uint32_t Id() const { return id_; }
  void SetId(uint32_t id) { id_ = id; }
  // False once the window has been destroyed (its widget goes at the next pass).
  bool IsAlive() const { return !destroyed_; }
  // The nearest window above this one (the owner of a top-level window).
  CNativeWindow* Parent();

  // The shared window procedure.
  LRESULT Procedure(MessageRecord& record);
  // The presenting control's own handling of a record (the previous window
  // procedure of the design); CWindowBase::DefaultProc ends here.
  void DefaultProcessing(MessageRecord& record);

  // The menu shown in this window, if any.
  virtual CMenu* Menu() { return nullptr; }

 protected:
  // Records that the presenting control handles itself when they were sent
  // rather than produced by Qt (WM_CLOSE destroys the window, for instance).
  virtual bool NativeMessage(MessageRecord& record, bool fromQt);
  // Turns a Qt event into a record for the procedure; `native` is Qt's own
  // handling, which runs when default processing is reached.
  bool Translate(QEvent* event, const std::function<bool()>& native);
  // The record for a Qt event; false for events that are not translated.
  virtual bool RecordFor(QEvent* event, MessageRecord* record);

 private:
  friend class CWindowBase;
  friend void DestroyWindow(CNativeWindow* window);
  struct QtEvent {
    QEvent* event;
    const MessageRecord* record;
    const std::function<bool()>* native;
    bool ran = false;
    bool result = false;
  };
  CWindowBase* object_ = nullptr;
  uint32_t id_ = 0;
  bool destroying_ = false;
  bool destroyed_ = false;
  QtEvent* current_ = nullptr;
};

// A window handle presented by the Qt widget class Q.
template <class Q>
class TNativeWindow : public Q, public CNativeWindow {
 public:
  explicit TNativeWindow(QWidget* parent) : Q(parent) {}
  QWidget* Widget() override { return this; }

 protected:
  bool event(QEvent* event) override {
    return Translate(event, [this, event] { return Q::event(event); });
  }
};

// The handle of a widget, or null when it is not a window handle.
CNativeWindow* NativeWindowOf(QObject* object);

// Send runs the target's procedure at once and returns its result; a window
// that is gone answers 0. Post queues the record; a pumping pass delivers it.
LRESULT SendMessage(CNativeWindow* window, uint32_t message, WPARAM wParam = 0, LPARAM lParam = 0);
void PostMessage(CNativeWindow* window, uint32_t message, WPARAM wParam = 0, LPARAM lParam = 0);
// Sends WM_DESTROY and WM_NCDESTROY (children before parents for the latter),
// unbinds the objects and lets the widgets go.
void DestroyWindow(CNativeWindow* window);
// Every top-level window still open, as the program ends.
void DestroyAllWindows();

// The virtual-key code of a key event (0 for keys the design has no code for).
int VirtualKeyOf(const QKeyEvent& event);

class CWindowBase : public CRoot {
 public:
  CWindowBase() = default;
  CWindowBase(const CWindowBase&) = delete;
  CWindowBase& operator=(const CWindowBase&) = delete;
  // Unbinds; the window itself stays unless a derived destructor closes it.
  ~CWindowBase() override;

  // The accelerator table of this window (none by default).
  virtual const std::vector<Accelerator>* Accelerators() { return nullptr; }
  // Binds the object to the handle (null unbinds).
  virtual void Attach(CNativeWindow* window);
  // Ends a modal dialog with the result, otherwise destroys the window.
  virtual void Close(LRESULT result);
  virtual void Paint(CDrawContext& context, const CXYRect& update);
  virtual void Draw(CDrawContext& context);
  // True when the message was handled.
  virtual bool OnMessage(MessageRecord& record);
  virtual void DefaultProc(MessageRecord& record);

  CNativeWindow* Handle() const { return handle_; }
  QWidget* Widget() const { return handle_ ? handle_->Widget() : nullptr; }

  // Creates a plain child window (parent's client coordinates) and binds it.
  void CreateChild(CNativeWindow* parent, uint32_t style, uint32_t exStyle, uint32_t id, const WindowClass& windowClass,
                   int x, int y, int width, int height);

  LRESULT Send(uint32_t message, WPARAM wParam = 0, LPARAM lParam = 0);
  void Post(uint32_t message, WPARAM wParam = 0, LPARAM lParam = 0);
  void SetText(const CText& text);
  CText Text() const;
  void SetFocus();
  void Show(int command);
  void BringToFront();
  void Enable(bool enable);
  // Position and size, without changing the z-order or activating.
  void Move(int x, int y, int width, int height);
  CXYSize WindowSize() const;
  CXYSize ClientSize() const;
  CXYPoint PositionInParent() const;
  void SetSize(int width, int height);
  // While locked the window is not redrawn.
  void LockUpdates(bool lock);
  // Shows a popup at a point in client coordinates; the chosen command
  // arrives as WM_COMMAND.
  void TrackPopupMenu(CMenu& popup, int x, int y);

  // Dialog-item helpers: the child window with a control id.
  CNativeWindow* Item(uint32_t id) const;
  LRESULT SendToItem(uint32_t id, uint32_t message, WPARAM wParam = 0, LPARAM lParam = 0);
  CText ItemText(uint32_t id) const;
  void SetItemText(uint32_t id, const CText& text);
  void EnableItem(uint32_t id, bool enable);
  void SetCheck(uint32_t id, bool checked);
  void ClearCheck(uint32_t id) { SetCheck(id, false); }
  bool IsChecked(uint32_t id) const;

 protected:
  // Binds a new window and sends it the creation messages; a window that
  // refuses WM_CREATE (-1) is destroyed and CException is thrown.
  void BindNew(CNativeWindow* window, uint32_t style);

  CNativeWindow* handle_ = nullptr;

 private:
  friend class CNativeWindow;
  friend void DestroyWindow(CNativeWindow* window);
};

// Texts of windows and controls (the title of a top-level window).
void SetWindowText(CNativeWindow* window, const CText& text);
CText WindowText(CNativeWindow* window);

// Gives a new window the background and icon of its window class.
void ApplyWindowClass(QWidget* widget, const WindowClass& windowClass);

// The pointer shape over every window of the program (the design's SetCursor
// with the wait cursor or the arrow).
enum class CursorShape { Arrow, Wait };
void SetCursorShape(CursorShape shape);

// The Qt colour of a system colour index.
QColor SystemColour(int index);
