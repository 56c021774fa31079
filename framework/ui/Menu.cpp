#include "framework/ui/Menu.h"

#include <QMenuBar>
#include <QPointer>

#include "framework/ui/Application.h"
#include "framework/ui/Prompts.h"
#include "framework/ui/QtText.h"
#include "framework/ui/Window.h"

std::unique_ptr<CMenu> CMenu::Load(uint32_t id) {
  auto menu = std::make_unique<CMenu>();
  for (const MenuItem& popup : LoadMenuDescription(id)) menu->popups_.push_back(Build(popup));
  return menu;
}

std::unique_ptr<CMenu> CMenu::Build(const MenuItem& popup) {
  auto menu = std::make_unique<CMenu>();
  menu->menu_ = std::make_unique<QMenu>(ToQt(popup.text));
  for (const MenuItem& item : popup.items) {
    if (!item.items.empty()) {
      menu->popups_.push_back(Build(item));
      menu->menu_->addMenu(menu->popups_.back()->menu_.get());
    } else if (item.id == 0) {
      menu->menu_->addSeparator();
    } else {
      // Qt shows the text after a tab as the key of the item, as the design's menus do.
      QAction* action = menu->menu_->addAction(ToQt(item.text));
      action->setData(item.id);
    }
  }
  return menu;
}

CMenu* CMenu::Popup(int index) const {
  if (index < 0 || index >= PopupCount()) return nullptr;
  return popups_[static_cast<size_t>(index)].get();
}

std::vector<QAction*> CMenu::Actions(uint32_t id) const {
  std::vector<QAction*> found;
  if (menu_)
    for (QAction* action : menu_->actions())
      if (!action->menu() && !action->isSeparator() && action->data().toUInt() == id) found.push_back(action);
  for (const auto& popup : popups_) {
    std::vector<QAction*> inner = popup->Actions(id);
    found.insert(found.end(), inner.begin(), inner.end());
  }
  return found;
}

void CMenu::EnableItem(uint32_t id, bool enabled) {
  for (QAction* action : Actions(id)) action->setEnabled(enabled);
}

void CMenu::CheckItem(uint32_t id, bool checked) {
  for (QAction* action : Actions(id)) {
    // Only checked items are checkable, so that choosing an item never toggles it.
    action->setCheckable(checked);
    action->setChecked(checked);
  }
}

bool CMenu::IsItemEnabled(uint32_t id) const {
  std::vector<QAction*> actions = Actions(id);
  return !actions.empty() && actions.front()->isEnabled();
}

bool CMenu::IsItemChecked(uint32_t id) const {
  std::vector<QAction*> actions = Actions(id);
  return !actions.empty() && actions.front()->isChecked();
}

void CMenu::Track(CNativeWindow* owner, QPoint global) {
  if (!menu_) return;
  uint32_t command = 0;
  if (CPromptAnswerer* answerer = PromptAnswerer()) {
    command = answerer->AnswerPopupMenu(*this);
  } else {
    const CModalLoopScope modal;
    if (QAction* chosen = menu_->exec(global)) command = chosen->data().toUInt();
  }
  if (command) PostMessage(owner, WM_COMMAND, MakeWParam(static_cast<uint16_t>(command), 0), 0);
}

void CMenu::AttachTo(QMenuBar* bar, CNativeWindow* owner) {
  QPointer<QWidget> ownerWidget = owner->Widget();
  for (const auto& popup : popups_) {
    bar->addMenu(popup->menu_.get());
    QObject::connect(popup->menu_.get(), &QMenu::aboutToShow, bar, [this, ownerWidget] {
      if (ownerWidget) SendMessage(NativeWindowOf(ownerWidget), WM_INITMENU, reinterpret_cast<WPARAM>(this));
    });
  }
  ConnectCommands(ownerWidget);
}

void CMenu::ConnectCommands(const QPointer<QWidget>& owner) {
  if (menu_)
    for (QAction* action : menu_->actions()) {
      const uint32_t command = action->data().toUInt();
      if (action->menu() || action->isSeparator() || !command) continue;
      QObject::connect(action, &QAction::triggered, action, [owner, command] {
        if (owner) PostMessage(NativeWindowOf(owner), WM_COMMAND, MakeWParam(static_cast<uint16_t>(command), 0), 0);
      });
    }
  for (const auto& popup : popups_) popup->ConnectCommands(owner);
}
