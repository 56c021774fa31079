// The resources the windows are built from: dialog templates, menus,
// accelerator tables, tool bars, bitmaps, icons and animation clips, each by
// id. The resources module registers them in the interface language; the
// framework loads them when a window needs them.
#pragma once

#include <QIcon>
#include <QImage>
#include <cstdint>
#include <map>
#include <vector>

#include "framework/core/Text.h"
#include "framework/ui/Messages.h"

// Resource loading fails with this code (the design's "resource not found").
constexpr uint32_t ErrorResourceNotFound = 1814;

enum class ControlKind {
  Button,
  CheckBox,
  Static,
  Edit,
  ComboBox,
  ListView,
  ProgressBar,
  Animation,
  Icon,
  GroupBox,
  StatusBar,
  ToolBar
};

// One control of a dialog template; positions and sizes in dialog units.
struct ControlTemplate {
  uint32_t id = 0;
  ControlKind kind = ControlKind::Static;
  CText text;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  uint32_t style = WS_CHILD | WS_VISIBLE;
  uint32_t resource = 0;  // the icon of an Icon control
};

struct DialogTemplate {
  uint32_t id = 0;
  CText title;
  int width = 0;  // dialog units
  int height = 0;
  uint32_t style = WS_VISIBLE | WS_SYSMENU;  // without WS_VISIBLE it starts hidden
  std::vector<ControlTemplate> controls;
};

// A menu item: a command (id), a popup (items), or a separator (neither).
struct MenuItem {
  CText text;
  uint32_t id = 0;
  std::vector<MenuItem> items;
};
// A menu resource: its popups in order.
using MenuDescription = std::vector<MenuItem>;

// Accelerator flags.
constexpr uint8_t FVIRTKEY = 0x01;
constexpr uint8_t FNOINVERT = 0x02;
constexpr uint8_t FSHIFT = 0x04;
constexpr uint8_t FCONTROL = 0x08;
constexpr uint8_t FALT = 0x10;

struct Accelerator {
  uint8_t flags = FVIRTKEY;
  uint16_t key = 0;  // virtual-key code
  uint16_t command = 0;
};

// A tool bar: button image size and the command ids (0 = separator); its
// button images come from the bitmap of the same id, one after another.
struct ToolBarDescription {
  uint16_t version = 1;
  uint16_t buttonWidth = 0;
  uint16_t buttonHeight = 0;
  std::vector<uint16_t> commands;
};

struct AnimationClip {
  std::vector<QImage> frames;
  int frameMilliseconds = 100;
};

// Filled by the resources module; read through the Load functions.
struct ResourceTable {
  std::map<uint32_t, DialogTemplate> dialogs;
  std::map<uint32_t, MenuDescription> menus;
  std::map<uint32_t, std::vector<Accelerator>> accelerators;
  std::map<uint32_t, ToolBarDescription> toolBars;
  std::map<uint32_t, QImage> bitmaps;
  std::map<uint32_t, QIcon> icons;
  std::map<uint32_t, AnimationClip> animations;
};
ResourceTable& Resources();

// Each throws CException(ErrorResourceNotFound) for an id the table lacks.
const DialogTemplate& LoadDialogTemplate(uint32_t id);
const MenuDescription& LoadMenuDescription(uint32_t id);
const std::vector<Accelerator>& LoadAccelerators(uint32_t id);
const ToolBarDescription& LoadToolBarDescription(uint32_t id);
const QImage& LoadBitmap(uint32_t id);
const QIcon& LoadIcon(uint32_t id);
const AnimationClip& LoadAnimation(uint32_t id);
