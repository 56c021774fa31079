// What the transfer and deletion windows share: the animation, the progress
// bar, a stop that Cancel, Escape and the close box ask for (the window
// closes only when the work has noticed it), and work that runs in a message
// the window posts to itself at initialisation. A failure of the work is
// shown with the window as owner, a stop (code 0) silently.
#pragma once

#include "framework/ui/Controls.h"
#include "framework/ui/Dialog.h"

class ProgressDialog : public CDialogBase {
 public:
  bool OnMessage(MessageRecord& record) override;

 protected:
  // Runs the window of the template modally, playing the clip, and posts the
  // work message. 1 when the work ended normally, 2 after a failure.
  int RunWork(CNativeWindow* parent, uint32_t templateId, uint32_t clipId, uint32_t workMessage);
  // At initialisation, before the work message is posted.
  virtual void Initialise() {}
  // Throws what ends the run early.
  virtual void Work(uint32_t workMessage) = 0;

  bool StopAsked() const { return stopAsked_; }
  void AskStop() { stopAsked_ = true; }

  CProgressControl progressBar_;

 private:
  uint32_t clipId_ = 0;
  uint32_t workMessage_ = 0;
  bool stopAsked_ = false;
  CAnimationControl animation_;
};
