// Top-level frame windows: a menu bar, an accelerator table, and the frame
// count that ends the message loop when the last frame goes.
#pragma once

#include <memory>
#include <vector>

#include "framework/ui/Menu.h"
#include "framework/ui/Window.h"

class CFrameBase : public CWindowBase {
 public:
  // Creates the (hidden) top-level window with the menu and the accelerator
  // table of the resource id; either may be missing. Throws CException when
  // the window refuses its creation.
  void Create(uint32_t resourceId, const WindowClass& windowClass);
  const std::vector<Accelerator>* Accelerators() override { return &accelerators_; }
  // Counts frames in at WM_NCCREATE and out at WM_NCDESTROY; the last one
  // out ends the message loop.
  void DefaultProc(MessageRecord& record) override;
  // The frame's menu, or null.
  CMenu* Menu() const { return handle_ ? handle_->Menu() : nullptr; }

  static int FrameCount();

 private:
  std::vector<Accelerator> accelerators_;
};
