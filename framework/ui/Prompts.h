// The one seam for everything that waits for the user: message boxes, modal
// dialogs, popup menus and the file and folder choosers; and for the desktop's
// file manager, which the program only asks to open a folder. Product code always
// goes through these; with no answerer set they show the real Qt dialogs, and
// a test sets an answerer that plays the user instead.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/core/Text.h"

class CDialogBase;
class CMenu;
class CNativeWindow;

// Each default answers as a user pressing Escape would.
class CPromptAnswerer {
 public:
  virtual ~CPromptAnswerer() = default;
  // The button pressed (IDOK, IDCANCEL, IDYES, IDNO).
  virtual int AnswerMessageBox(CNativeWindow* owner, const CText& text, const CText& caption, uint32_t flags);
  // Called once, when the modal dialog first waits for the user; it may send
  // commands and set items. A dialog still open the next time it waits ends
  // with IDCANCEL.
  virtual void AnswerDialog(CDialogBase& dialog);
  // Full paths of the chosen files; false when cancelled.
  virtual bool AnswerFiles(CNativeWindow* owner, const CText& filter, std::vector<CText>* paths);
  virtual bool AnswerFolder(CNativeWindow* owner, const CText& title, const CText& start, CText* folder);
  // The command chosen from a popup menu, 0 when dismissed.
  virtual uint32_t AnswerPopupMenu(CMenu& popup);
  // What the desktop was asked to open; nothing opens.
  virtual void AnswerOpenInShell(const CText& path);
};

CPromptAnswerer* PromptAnswerer();
// Null restores the real dialogs.
void SetPromptAnswerer(CPromptAnswerer* answerer);

// Sets an answerer for its lifetime.
class CAnswererScope {
 public:
  explicit CAnswererScope(CPromptAnswerer& answerer) : previous_(PromptAnswerer()) { SetPromptAnswerer(&answerer); }
  ~CAnswererScope() { SetPromptAnswerer(previous_); }
  CAnswererScope(const CAnswererScope&) = delete;
  CAnswererScope& operator=(const CAnswererScope&) = delete;

 private:
  CPromptAnswerer* previous_;
};

// A message box with the design's flags (buttons MB_OK…MB_YESNOCANCEL, icon
// MB_ICON…); returns the button pressed.
int MessageBox(CNativeWindow* owner, const CText& text, const CText& caption, uint32_t flags);
// The multiple-selection open dialog. The filter is the design's: name and
// patterns in turn, each ended by a line feed ("All Files\n*.*\n"). Gives the
// full paths and, as the system's dialog does, makes their folder the current
// directory. False when cancelled.
bool ChooseFiles(CNativeWindow* owner, const CText& filter, std::vector<CText>* paths);
// A folder (ending in '/'), starting at `start`; false when cancelled.
bool ChooseFolder(CNativeWindow* owner, const CText& title, const CText& start, CText* folder);
// Opens a PC folder or file with the desktop's handler (a folder in its file
// manager), as the shell's "open" does; the result is not checked.
void OpenInShell(const CText& path);
