#include "framework/ui/Frame.h"

#include <QEvent>
#include <QMenuBar>

#include "framework/ui/Application.h"

namespace {

int frameCount = 0;

// A top-level window whose client area lies below its menu bar.
class NativeFrame final : public TNativeWindow<QWidget> {
 public:
  explicit NativeFrame(std::unique_ptr<CMenu> menu) : TNativeWindow<QWidget>(nullptr), menu_(std::move(menu)) {
    client_ = new QWidget(this);
    if (menu_) {
      bar_ = new QMenuBar(this);
      menu_->AttachTo(bar_, this);
    }
  }
  QWidget* Client() override { return client_; }
  CMenu* Menu() override { return menu_.get(); }

 protected:
  bool event(QEvent* event) override {
    if (event->type() == QEvent::Resize) LayOut();
    return TNativeWindow<QWidget>::event(event);
  }

 private:
  void LayOut() {
    int top = 0;
    if (bar_) {
      top = bar_->heightForWidth(width());
      if (top < 0) top = bar_->sizeHint().height();
      bar_->setGeometry(0, 0, width(), top);
    }
    client_->setGeometry(0, top, width(), height() - top);
  }

  std::unique_ptr<CMenu> menu_;
  QMenuBar* bar_ = nullptr;
  QWidget* client_;
};

}  // namespace

void CFrameBase::Create(uint32_t resourceId, const WindowClass& windowClass) {
  if (handle_) Close(0);
  auto accelerators = Resources().accelerators.find(resourceId);
  accelerators_ = accelerators == Resources().accelerators.end() ? std::vector<Accelerator>() : accelerators->second;
  std::unique_ptr<CMenu> menu;
  if (Resources().menus.count(resourceId)) menu = CMenu::Load(resourceId);
  auto* window = new NativeFrame(std::move(menu));
  ApplyWindowClass(window, windowClass);
  BindNew(window, 0);
}

void CFrameBase::DefaultProc(MessageRecord& record) {
  if (record.message == WM_NCCREATE) {
    ++frameCount;
  } else if (record.message == WM_NCDESTROY && --frameCount < 1) {
    PostQuit(0);
  }
  CWindowBase::DefaultProc(record);
}

int CFrameBase::FrameCount() { return frameCount; }
