#include "ui/MediaBar.h"

#include <algorithm>

#include "framework/ui/Graphics.h"

namespace {

constexpr uint32_t BarStyle = WS_CHILD | WS_VISIBLE;
// The design's width of the media list, the least it gets.
constexpr int MediaListWidth = 120;
constexpr uint32_t MediaListStyle = WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST;
constexpr uint32_t ToolBarStyle =
    WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_ALTDRAG | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NORESIZE;

}  // namespace

void MediaBar::Create(CNativeWindow* frame) {
  CreateChild(frame, BarStyle, 0, 0, WindowClass{COLOR_BTNFACE, 0}, 0, 0, 0, Height);
}

bool MediaBar::OnMessage(MessageRecord& record) {
  switch (record.message) {
    case WM_CREATE:
      OnCreate();
      return false;
    case WM_SIZE:
      OnSize(LowWord(static_cast<uintptr_t>(record.lParam)));
      return false;
    case WM_COMMAND:
      if (mediaList_.Handle() && record.lParam == reinterpret_cast<LPARAM>(mediaList_.Handle())) {
        if (HighWord(record.wParam) == CBN_SELCHANGE) SelectMedium(static_cast<uint8_t>(mediaList_.CurrentSelection()));
      } else {
        SendMessage(handle_->Parent(), WM_COMMAND, record.wParam, record.lParam);
      }
      return true;
    case UM_SELECTMEDIUM:
      if (HasMediaList()) {
        mediaList_.Select(static_cast<int>(record.wParam));
        SelectMedium(static_cast<uint8_t>(record.wParam & 0xFF));
      }
      return true;
    default:
      return false;
  }
}

void MediaBar::OnCreate() {
  if (HasMediaList()) {
    mediaList_.Create(handle_, MediaListStyle, 0);
    for (int medium = 0; medium < settings_.mediaCount; ++medium) mediaList_.AddText(settings_.MediaName(medium));
    mediaList_.Select(0);
  }
  toolBar_.Create(handle_, ToolBarStyle, ToolBarId);
}

void MediaBar::OnSize(int width) {
  if (HasMediaList()) {
    // A medium's name longer than the design's list widens it.
    const int listWidth = std::max(MediaListWidth, mediaList_.FittingWidth());
    mediaList_.Move(6, 6, listWidth, 160);
    toolBar_.Move(listWidth + 8, 2, width - listWidth, Height);
  } else {
    toolBar_.Move(0, 2, width, Height);
  }
  Move(0, 0, width, Height);
}

void MediaBar::SelectMedium(uint8_t medium) {
  settings_.selectedMedium = medium;
  SendMessage(handle_->Parent(), UM_RELOAD, 1, 0);
}

void MediaBar::LoadToolbar(uint32_t id) {
  toolBar_.RemoveAllButtons();
  if (HasMediaList()) toolBar_.AddSeparator();
  toolBar_.Load(id);
  toolBar_.SetBitmapSize(24, 24);
  toolBar_.SetButtonSize(31, 31);
}

void MediaBar::Paint(CDrawContext& context, const CXYRect& update) {
  if (update.width <= 0 || update.height <= 0) return;
  const int width = ClientSize().width;
  context.FillRect({0, 0, width, 1}, SystemColour(COLOR_BTNSHADOW));
  context.FillRect({0, 1, width, 1}, SystemColour(COLOR_BTNHIGHLIGHT));
}
