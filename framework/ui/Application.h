// The application object and its message loop. The entry function calls Init,
// RunAll and Term on the one application object and returns RunAll's result.
#pragma once

#include <QApplication>
#include <QTranslator>
#include <memory>

#include "framework/core/Root.h"
#include "framework/core/Text.h"
#include "framework/ui/Messages.h"

class CNativeWindow;

class CApplication : public CRoot {
 public:
  // The first application object made is the program's.
  CApplication();
  ~CApplication() override;
  CApplication(const CApplication&) = delete;
  CApplication& operator=(const CApplication&) = delete;

  virtual void InitInstance() {}
  // Runs until PostQuit; returns its code.
  virtual int Run();
  virtual void ExitInstance() {}
  // Starts Qt, records the program's folder and file name and makes the
  // folder the current directory, so that files beside the program are found
  // by bare names.
  virtual void Init(int argc, char** argv);
  // InitInstance, Run, ExitInstance; returns Run's result.
  virtual int RunAll();
  virtual void Term();

  const CText& ProgramFolder() const { return folder_; }  // ends in '/'
  const CText& ProgramFileName() const { return fileName_; }

  static CApplication* Current();

 private:
  void InstallQtTranslation();

  int argc_ = 0;
  char** argv_ = nullptr;
  std::unique_ptr<QApplication> qt_;
  std::unique_ptr<QTranslator> translator_;
  CText folder_;
  CText fileName_;
};

// Queues the quit message: the loop ends with the code once it gets there,
// also when it is only started afterwards.
void PostQuit(int code);
// Runs `count` passes over the pending events; long operations call this
// between blocks to keep the windows alive.
void PumpMessages(int count);
// How many PumpMessages calls are on the stack: above what it was when a
// modal dialog began waiting, the code on the stack is busy, not waiting.
int PumpDepth();

// Marks a modal loop (a dialog or box waiting, a popup menu open) for its
// lifetime.
class CModalLoopScope {
 public:
  CModalLoopScope();
  ~CModalLoopScope();
  CModalLoopScope(const CModalLoopScope&) = delete;
  CModalLoopScope& operator=(const CModalLoopScope&) = delete;
};
// True inside a modal loop (long operations pump messages inside theirs): the
// code that started it is on the stack and relies on what it left.
bool IsInModalLoop();
// Posts the message once the last modal loop has ended (at once outside
// one). The same message held twice for a window is posted once.
void PostAfterModalLoops(CNativeWindow* window, uint32_t message, WPARAM wParam = 0, LPARAM lParam = 0);
// Whether a key is held, by virtual-key code (VK_RSHIFT and VK_RMENU tell the
// right-hand keys apart).
bool IsKeyDown(int virtualKey);
