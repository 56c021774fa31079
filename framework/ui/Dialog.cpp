#include "framework/ui/Dialog.h"

#include <QAbstractEventDispatcher>
#include <QAbstractItemView>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QWindow>
#include <functional>
#include <memory>

#include "framework/ui/Application.h"
#include "framework/ui/Controls.h"
#include "framework/ui/Power.h"
#include "framework/ui/Prompts.h"
#include "framework/ui/QtText.h"

namespace {

// The modal runs in progress, innermost last: only the innermost one is
// waiting for the user.
std::vector<CDialogBase*> modalRuns;

}  // namespace

QRect DialogUnitsToPixels(const QFont& font, int x, int y, int width, int height) {
  const QFontMetrics metrics(font);
  const int baseX = (metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 26 + 1) / 2;
  const int baseY = metrics.height();
  return QRect(x * baseX / 4, y * baseY / 8, width * baseX / 4, height * baseY / 8);
}

LRESULT CDialogBase::RunModal(CNativeWindow* parent, uint32_t templateId) {
  if (handle_) Close(0);
  const DialogTemplate& dialogTemplate = LoadDialogTemplate(templateId);
  QWidget* owner = parent ? parent->Widget()->window() : nullptr;
  // The owner waits disabled while the dialog runs; a Qt child would be
  // disabled with it, so the dialog is only kept above its owner.
  auto* window = new TNativeWindow<QWidget>(nullptr);
  Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (dialogTemplate.style & WS_SYSMENU) flags |= Qt::WindowCloseButtonHint;
  window->setWindowFlags(flags);
  window->setWindowTitle(ToQt(dialogTemplate.title));
  window->setFixedSize(DialogUnitsToPixels(window->font(), 0, 0, dialogTemplate.width, dialogTemplate.height).size());
  if (owner) {
    window->winId();  // makes the window whose owner is set below
    window->windowHandle()->setTransientParent(owner->windowHandle());
    window->move(owner->frameGeometry().center() - window->rect().center());
  }
  for (const ControlTemplate& control : dialogTemplate.controls)
    CreateControl(control, window,
                  DialogUnitsToPixels(window->font(), control.x, control.y, control.width, control.height));

  // Modal before a dialog may show itself while it initialises.
  if (!PromptAnswerer()) window->setWindowModality(Qt::ApplicationModal);

  modal_ = true;
  ended_ = false;
  result_ = 0;
  QPointer<QWidget> dialog = window;
  Attach(window);
  SendMessage(window, WM_INITDIALOG);
  WaitForClose(dialogTemplate.style & WS_VISIBLE, owner);
  modal_ = false;
  if (dialog) DestroyWindow(NativeWindowOf(dialog));
  UpdateSleepInhibitor();
  return result_;
}

void CDialogBase::WaitForClose(bool visible, QWidget* owner) {
  if (ended_ || !handle_) return;
  QPointer<QWidget> disabledOwner = owner;
  if (owner) owner->setEnabled(false);
  QEventLoop loop;
  loop_ = &loop;
  modalRuns.push_back(this);
  QMetaObject::Connection idle;
  // The answerer plays the user once the dialog first waits; a dialog that
  // still waits after that is dismissed. The state outlives this run, since
  // an answer may still be queued when it ends.
  struct Answering {
    CDialogBase* dialog;
    CPromptAnswerer* answerer;
    int pumpDepth;  // passes begun before the dialog (a command run by one) are not its work's
    bool answered = false;
    bool running = true;
  };
  auto answering = std::make_shared<Answering>(Answering{this, PromptAnswerer(), PumpDepth()});
  if (answering->answerer) {
    QWidget* widget = Widget();
    // The loop is about to wait; the answer runs once the events before it
    // are through, and again later if it lands in work that pumps messages.
    auto answer = std::make_shared<std::function<void()>>();
    *answer = [answering, widget, weak = std::weak_ptr<std::function<void()>>(answer)] {
      if (!answering->running || answering->dialog->ended_ || modalRuns.back() != answering->dialog) return;
      if (PumpDepth() > answering->pumpDepth) {
        if (auto again = weak.lock()) QMetaObject::invokeMethod(widget, *again, Qt::QueuedConnection);
        return;
      }
      if (std::exchange(answering->answered, true)) {
        answering->dialog->Close(IDCANCEL);
      } else {
        answering->answerer->AnswerDialog(*answering->dialog);
      }
    };
    idle = QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, widget,
                            [answering, widget, answer] {
                              if (modalRuns.empty() || modalRuns.back() != answering->dialog) return;
                              QMetaObject::invokeMethod(widget, *answer, Qt::QueuedConnection);
                            });
  } else if (visible) {
    Widget()->show();
  }
  UpdateSleepInhibitor();  // the dialog may refuse to let the system sleep
  {
    const CModalLoopScope modal;
    loop.exec(QEventLoop::DialogExec);
  }
  answering->running = false;
  QObject::disconnect(idle);
  modalRuns.pop_back();
  loop_ = nullptr;
  if (disabledOwner) disabledOwner->setEnabled(true);
  if (!ended_) result_ = IDCANCEL;  // the program is quitting
}

void CDialogBase::Close(LRESULT result) {
  if (!modal_) {
    CWindowBase::Close(result);
    return;
  }
  if (ended_) return;
  ended_ = true;
  result_ = result;
  Attach(nullptr);
  if (loop_) loop_->exit(0);
}

void CDialogBase::DefaultProc(MessageRecord& record) {
  switch (record.message) {
    case WM_CLOSE:
      if (!modal_) break;
      Close(IDCANCEL);
      return;
    case WM_INITDIALOG:
      record.result = 1;
      return;
    case WM_COMMAND: {
      const int id = LowWord(record.wParam);
      if (!modal_ || (id != IDOK && id != IDCANCEL && id != IDYES && id != IDNO)) break;
      Close(id);
      return;
    }
  }
  CWindowBase::DefaultProc(record);
}

bool TranslateDialogKey(QWidget* target, const QKeyEvent& key) {
  const int virtualKey = VirtualKeyOf(key);
  if ((virtualKey != VK_RETURN && virtualKey != VK_ESCAPE) ||
      (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
    return false;
  CNativeWindow* window = NativeWindowOf(target->window());
  if (!window || !dynamic_cast<CDialogBase*>(window->Object())) return false;
  for (QWidget* widget = target; widget && widget != window->Widget(); widget = widget->parentWidget())
    if (qobject_cast<QAbstractItemView*>(widget)) return false;

  uint16_t id = IDCANCEL;
  CNativeWindow* button = nullptr;
  if (virtualKey == VK_RETURN) {
    id = IDOK;
    if (qobject_cast<QPushButton*>(target)) button = NativeWindowOf(target);
    for (QObject* child : window->Client()->children()) {
      auto* push = qobject_cast<QPushButton*>(child);
      if (!button && push && push->isDefault()) button = NativeWindowOf(push);
    }
    if (button) {
      if (!button->Widget()->isEnabled()) return true;
      id = static_cast<uint16_t>(button->Id());
    }
  }
  SendMessage(window, WM_COMMAND, MakeWParam(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  return true;
}
