// The control wrappers: status bar, tool bar, combo box, progress bar and
// animation (the list view has its own header). Each wraps the control bound
// to it; operations on an unbound wrapper do nothing.
#pragma once

#include <QImage>
#include <vector>

#include "framework/ui/Resources.h"
#include "framework/ui/Window.h"

// A new control of a kind, not yet shown (the creators place it). Controls
// report to the window above them: WM_COMMAND with their id and a
// notification code, or WM_NOTIFY.
CNativeWindow* NewControl(ControlKind kind, QWidget* parent, uint32_t style, uint32_t exStyle);
// The control of a dialog template at a rectangle in pixels.
CNativeWindow* CreateControl(const ControlTemplate& control, QWidget* parent, const QRect& pixels);

// Creating a wrapper's control: child of the parent's client area, at the
// default position and size until the parent's layout places it.
class CControlBase : public CWindowBase {
 protected:
  void CreateControl(ControlKind kind, CNativeWindow* parent, uint32_t style, uint32_t exStyle, uint32_t id);
};

class CStatusLine : public CControlBase {
 public:
  // A status bar sent WM_SIZE places itself along the bottom of its parent.
  void Create(CNativeWindow* parent, uint32_t style, uint32_t id) {
    CreateControl(ControlKind::StatusBar, parent, style, 0, id);
  }
  // The right edge of each part; -1 reaches the right end.
  void SetParts(const std::vector<int>& rightEdges);
  void SetText(int part, uint32_t style, const CText& text);
  CText PartText(int part) const;
  // The width a part needs to show the text whole.
  int PartWidthFor(int part, const CText& text) const;
};

class CToolStrip : public CControlBase {
 public:
  void Create(CNativeWindow* parent, uint32_t style, uint32_t id) {
    CreateControl(ControlKind::ToolBar, parent, style, 0, id);
  }
  // Adds the buttons of a tool bar resource with the images of the bitmap of
  // the same id (its colours mapped to the system's button colours); a
  // command id 0 is a separator. Throws CException for a missing resource.
  void Load(uint32_t resourceId);
  void AddSeparator();
  void RemoveAllButtons();
  void EnableButton(uint32_t command, bool enable);
  bool IsButtonEnabled(uint32_t command) const;
  int ButtonCount() const;  // separators not counted
  void SetBitmapSize(int width, int height);
  void SetButtonSize(int width, int height);
  // Answers a button's tip text from the string of its command id, the part
  // after the first line feed.
  void DefaultProc(MessageRecord& record) override;

 private:
  QImage bitmap_;
};

class CComboControl : public CControlBase {
 public:
  void Create(CNativeWindow* parent, uint32_t style, uint32_t id) {
    CreateControl(ControlKind::ComboBox, parent, style, 0, id);
  }
  int CurrentSelection() const;  // -1 when none
  void Select(int index);
  int AddText(const CText& text);  // the new item's index
  int Count() const;
  // The width that shows the widest item whole.
  int FittingWidth() const;
};

class CProgressControl : public CControlBase {
 public:
  void SetRange(int upper);  // 0 .. upper
  void SetPosition(int position);
  int Position() const;
  void Fill();  // to the upper end of the range
  void SetStep(int step);
  // Advances by the step; past the upper end it starts over at 0.
  void Step();
};

// An animated picture that plays a clip by itself until it is closed or the
// control is destroyed.
class CAnimationControl : public CControlBase {
 public:
  // Throws CException for a missing clip.
  void OpenClip(uint32_t clipId);
  void CloseClip();
  bool IsPlaying() const;
};
