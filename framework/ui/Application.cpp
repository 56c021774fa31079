#include "framework/ui/Application.h"

#include <QKeyEvent>
#include <QLibraryInfo>
#include <QPointer>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "framework/ui/Dialog.h"
#include "framework/ui/Menu.h"
#include "framework/ui/Resources.h"
#include "framework/ui/Window.h"
#include "platform/Files.h"
#include "platform/Keyboard.h"
#include "platform/Locale.h"

namespace {

CApplication* current = nullptr;
bool quitPending = false;
bool loopRunning = false;
int pumpDepth = 0;
int modalDepth = 0;
struct HeldMessage {
  QPointer<QWidget> window;
  uint32_t message;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<HeldMessage> heldMessages;
int quitCode = 0;
std::set<int> keysDown;

void TrackKey(const QKeyEvent& key) {
  for (int code : {VirtualKeyOf(key), platform::SideKeyOfScanCode(key.nativeScanCode())}) {
    if (!code) continue;
    if (key.type() == QEvent::KeyPress) {
      keysDown.insert(code);
    } else {
      keysDown.erase(code);
    }
  }
}

// The active window's accelerator table sees a key first. A command whose
// menu item is grayed (after WM_INITMENU) is swallowed, as the system does.
bool TranslateAccelerator(QWidget* target, const QKeyEvent& key) {
  CNativeWindow* window = NativeWindowOf(target->window());
  CWindowBase* object = window ? window->Object() : nullptr;
  const std::vector<Accelerator>* table = object ? object->Accelerators() : nullptr;
  if (!table) return false;
  const int virtualKey = VirtualKeyOf(key);
  const Qt::KeyboardModifiers modifiers = key.modifiers();
  for (const Accelerator& entry : *table) {
    if (!(entry.flags & FVIRTKEY) || entry.key != virtualKey) continue;
    if (bool(entry.flags & FSHIFT) != bool(modifiers & Qt::ShiftModifier) ||
        bool(entry.flags & FCONTROL) != bool(modifiers & Qt::ControlModifier) ||
        bool(entry.flags & FALT) != bool(modifiers & Qt::AltModifier))
      continue;
    if (CMenu* menu = window->Menu(); menu && menu->HasItem(entry.command)) {
      SendMessage(window, WM_INITMENU, reinterpret_cast<WPARAM>(menu));
      if (!menu->IsItemEnabled(entry.command)) return true;
    }
    SendMessage(window, WM_COMMAND, MakeWParam(entry.command, COMMAND_FROM_ACCELERATOR));
    return true;
  }
  return false;
}

// Every key passes the message loop's own handling before it reaches a window.
class QtApplication final : public QApplication {
 public:
  QtApplication(int& argc, char** argv) : QApplication(argc, argv) {}

  bool notify(QObject* receiver, QEvent* event) override {
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
      const auto& key = *static_cast<QKeyEvent*>(event);
      TrackKey(key);
      if (type == QEvent::KeyPress && receiver->isWidgetType()) {
        auto* target = static_cast<QWidget*>(receiver);
        if (TranslateAccelerator(target, key) || TranslateDialogKey(target, key)) return true;
      }
    } else if (type == QEvent::ApplicationDeactivate) {
      keysDown.clear();  // releases happen elsewhere now
    }
    return QApplication::notify(receiver, event);
  }
};

}  // namespace

// Qt's own words (the buttons of message boxes, the file dialogs) in the
// interface language.
void CApplication::InstallQtTranslation() {
  const char* name = nullptr;
  switch (platform::InterfaceLanguage()) {
    case platform::Language::Japanese:
      name = "qtbase_ja";
      break;
    case platform::Language::Korean:
      name = "qtbase_ko";
      break;
    case platform::Language::Chinese:
      name = "qtbase_zh_CN";
      break;
    case platform::Language::English:
      return;
  }
  translator_ = std::make_unique<QTranslator>();
  if (translator_->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(translator_.get());
}

CApplication::CApplication() {
  if (!current) current = this;
}

CApplication::~CApplication() {
  if (current == this) current = nullptr;
}

CApplication* CApplication::Current() { return current; }

void CApplication::Init(int argc, char** argv) {
  if (!QApplication::instance()) {
    argc_ = argc;
    argv_ = argv;
    qt_ = std::make_unique<QtApplication>(argc_, argv_);
  }
  QApplication::setQuitOnLastWindowClosed(false);
  InstallQtTranslation();
  const std::string path = platform::ProgramPath();
  const size_t slash = path.rfind('/');
  folder_ = CText(std::string_view(platform::ProgramFolder()));
  fileName_ = CText(std::string_view(slash == std::string::npos ? path : path.substr(slash + 1)));
  platform::SetCurrentDirectory(folder_.View());
}

int CApplication::RunAll() {
  InitInstance();
  const int result = Run();
  ExitInstance();
  return result;
}

int CApplication::Run() {
  if (!quitPending) {
    loopRunning = true;
    quitCode = QApplication::exec();
    loopRunning = false;
  }
  quitPending = false;
  return quitCode;
}

void CApplication::Term() {
  if (translator_) QCoreApplication::removeTranslator(translator_.get());
  translator_.reset();
  if (!qt_) return;
  // Windows still open (Exit ends the loop without closing the frame) go
  // the ordinary way, so that objects bound to them are released; then the
  // widgets waiting to be deleted go before Qt does.
  DestroyAllWindows();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  Resources() = ResourceTable();  // its icons and pictures go before Qt does
  qt_.reset();
}

void PostQuit(int code) {
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [code] {
        quitPending = true;
        quitCode = code;
        // Outside Run there is no loop to end, and Qt would keep the request
        // for the next loop of any kind, a dialog's included.
        if (loopRunning) QCoreApplication::exit(code);
      },
      Qt::QueuedConnection);
}

void PumpMessages(int count) {
  ++pumpDepth;
  for (int pass = 0; pass < count; ++pass) QCoreApplication::processEvents(QEventLoop::AllEvents);
  --pumpDepth;
}

int PumpDepth() { return pumpDepth; }

CModalLoopScope::CModalLoopScope() { ++modalDepth; }

CModalLoopScope::~CModalLoopScope() {
  if (--modalDepth > 0) return;
  for (const HeldMessage& held : std::exchange(heldMessages, {}))
    if (CNativeWindow* window = NativeWindowOf(held.window))
      PostMessage(window, held.message, held.wParam, held.lParam);
}

bool IsInModalLoop() { return modalDepth > 0; }

void PostAfterModalLoops(CNativeWindow* window, uint32_t message, WPARAM wParam, LPARAM lParam) {
  if (modalDepth == 0) {
    PostMessage(window, message, wParam, lParam);
    return;
  }
  for (const HeldMessage& held : heldMessages)
    if (held.window == window->Widget() && held.message == message && held.wParam == wParam && held.lParam == lParam)
      return;
  heldMessages.push_back({window->Widget(), message, wParam, lParam});
}

bool IsKeyDown(int virtualKey) {
  const Qt::KeyboardModifiers modifiers = QGuiApplication::queryKeyboardModifiers();
  switch (virtualKey) {
    case VK_SHIFT:
      return modifiers & Qt::ShiftModifier;
    case VK_CONTROL:
      return modifiers & Qt::ControlModifier;
    case VK_MENU:
      return modifiers & Qt::AltModifier;
    default:
      return keysDown.count(virtualKey) != 0;
  }
}
