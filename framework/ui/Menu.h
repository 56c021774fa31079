// Menus built from menu resources. Items are found by command id; enabled and
// checked states are set by id before a menu opens (WM_INITMENU).
#pragma once

#include <QMenu>
#include <QPointer>
#include <memory>
#include <vector>

#include "framework/ui/Resources.h"

class CNativeWindow;
class QMenuBar;

class CMenu {
 public:
  // A menu resource: a menu whose popups are the resource's popups.
  static std::unique_ptr<CMenu> Load(uint32_t id);

  int PopupCount() const { return static_cast<int>(popups_.size()); }
  // Null for an index the menu lacks.
  CMenu* Popup(int index) const;

  // Items the menu does not contain are skipped, as the system does.
  void EnableItem(uint32_t id, bool enabled);
  void CheckItem(uint32_t id, bool checked);
  bool HasItem(uint32_t id) const { return !Actions(id).empty(); }
  bool IsItemEnabled(uint32_t id) const;
  bool IsItemChecked(uint32_t id) const;

  // Shows this popup at a screen point; the chosen command is posted to the
  // owner as WM_COMMAND. Answered through the prompt seam when one is set.
  void Track(CNativeWindow* owner, QPoint global);

  // Puts the popups into a menu bar whose commands go to the owner, which
  // hears WM_INITMENU before any of them opens.
  void AttachTo(QMenuBar* bar, CNativeWindow* owner);
  QMenu* QtMenu() const { return menu_.get(); }

 private:
  static std::unique_ptr<CMenu> Build(const MenuItem& popup);
  std::vector<QAction*> Actions(uint32_t id) const;
  // Every command item posts WM_COMMAND to the owner when chosen.
  void ConnectCommands(const QPointer<QWidget>& owner);

  std::unique_ptr<QMenu> menu_;  // null for the top of a menu resource
  std::vector<std::unique_ptr<CMenu>> popups_;
};
