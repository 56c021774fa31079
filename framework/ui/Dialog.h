// Modal dialogs built from dialog templates.
#pragma once

#include <QEventLoop>

#include "framework/ui/Window.h"

class QKeyEvent;

class CDialogBase : public CWindowBase {
 public:
  // Builds the dialog of the template (owned by parent), sends WM_INITDIALOG
  // and waits until Close; returns the result given to Close. A template
  // without WS_VISIBLE starts hidden. Throws CException when the template is
  // missing.
  LRESULT RunModal(CNativeWindow* parent, uint32_t templateId);
  // Ends a modal dialog with the result; destroys any other window.
  void Close(LRESULT result) override;
  // WM_CLOSE ends a modal dialog with IDCANCEL; WM_INITDIALOG gives 1; a
  // command with id IDOK, IDCANCEL, IDYES or IDNO ends it with that id.
  void DefaultProc(MessageRecord& record) override;
  bool IsModal() const { return modal_; }
  // Binds a control object to the dialog's control with that id.
  void BindItem(uint32_t id, CWindowBase& control) { control.Attach(Item(id)); }

 private:
  void WaitForClose(bool visible, QWidget* owner);

  bool modal_ = false;
  bool ended_ = false;
  LRESULT result_ = 0;
  QEventLoop* loop_ = nullptr;
};

// Return and Escape in a dialog are the dialog's: Return presses the focused
// or the default button (IDOK when there is none), Escape sends IDCANCEL.
// Lists keep their keys. True when the key was taken.
bool TranslateDialogKey(QWidget* target, const QKeyEvent& key);

// Dialog units (of the dialog font) to pixels.
QRect DialogUnitsToPixels(const QFont& font, int x, int y, int width, int height);
