#include "resources/ui/UiResources.h"

#include <QPainter>
#include <algorithm>

#include "framework/core/Exception.h"
#include "framework/ui/Resources.h"
#include "resources/CommandIds.h"
#include "resources/ResourceIds.h"
#include "resources/StringTables.h"
#include "resources/ui/Menus.h"
#include "resources/ui/Translated.h"

CText Translated::In(platform::Language language) const {
  switch (language) {
    case platform::Language::Japanese: return ResourceText(japanese);
    case platform::Language::Korean: return ResourceText(korean);
    case platform::Language::Chinese: return ResourceText(chinese);
    default: return ResourceText(english);
  }
}

namespace {

// A picture of the Qt resources; one that is missing is a build fault, told
// as a resource that cannot be found.
QImage Picture(const QString& path) {
  QImage image(path);
  if (image.isNull()) throw CException(ErrorResourceNotFound);
  return image.convertToFormat(QImage::Format_ARGB32);
}

void AddIcons(ResourceTable& table) {
  const std::pair<uint32_t, const char*> icons[] = {
      {ResourceId::MainFrame, "program"}, {ResourceId::FileIcon, "file"},     {ResourceId::FolderIcon, "folder"},
      {ResourceId::TrackIcon, "track"},   {ResourceId::MediumIcon, "medium"},
  };
  for (const auto& [id, name] : icons) {
    QIcon icon;
    for (int size : {16, 32}) icon.addPixmap(QPixmap::fromImage(Picture(QString(":/icons/%1-%2.xpm").arg(name).arg(size))));
    table.icons[id] = icon;
  }
}

// The tool bar's bitmap holds its button images side by side in the order of
// its buttons, in sixteen colours whose greys follow the system's.
void AddToolBar(ResourceTable& table) {
  const std::pair<uint32_t, const char*> images[] = {
      {CommandId::Refresh, "refresh"}, {CommandId::MediaFormat, "format"}, {CommandId::Properties, "properties"},
      {CommandId::Delete, "delete"},   {CommandId::MoveUp, "up"},          {CommandId::MoveDown, "down"},
  };
  ToolBarDescription bar{1, 24, 23,
                         {CommandId::Refresh, CommandId::MediaFormat, 0, CommandId::Properties, CommandId::Delete,
                          CommandId::MoveUp, CommandId::MoveDown}};
  const auto buttons = std::count_if(bar.commands.begin(), bar.commands.end(), [](uint16_t command) { return command != 0; });
  QImage strip(static_cast<int>(buttons) * bar.buttonWidth, bar.buttonHeight, QImage::Format_ARGB32);
  strip.fill(Qt::transparent);
  QPainter painter(&strip);
  int x = 0;
  for (uint16_t command : bar.commands) {
    if (command == 0) continue;
    for (const auto& [imageCommand, name] : images)
      if (imageCommand == command) painter.drawImage(x, 0, Picture(QString(":/toolbar/%1.xpm").arg(name)));
    x += bar.buttonWidth;
  }
  painter.end();
  table.toolBars[ResourceId::MainFrame] = std::move(bar);
  table.bitmaps[ResourceId::MainFrame] = strip;
}

void AddAboutDialog(ResourceTable& table, platform::Language language) {
  DialogTemplate about;
  about.id = ResourceId::AboutDialog;
  about.title = Translated{"About Tunewarden", "Tunewarden のバージョン情報", "Tunewarden 정보", "关于 Tunewarden"}.In(language);
  about.width = 180;
  about.height = 62;
  ControlTemplate icon{0, ControlKind::Icon, CText(), 12, 12, 21, 20};
  icon.resource = ResourceId::MainFrame;
  const ControlTemplate version{0, ControlKind::Static, CText("Tunewarden 1.00"), 44, 18, 120, 8};
  const ControlTemplate ok{IDOK, ControlKind::Button, Translated{"OK", "OK", "확인", "确定"}.In(language),
                           124, 40, 50, 14, WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON};
  about.controls = {icon, version, ok};
  table.dialogs[about.id] = std::move(about);
}

}  // namespace

void InstallUiResources() {
  InstallStringTables();
  const platform::Language language = ResourceLanguage();
  ResourceTable& table = Resources();
  AddMenus(table, language);
  AddAccelerators(table);
  AddToolBar(table);
  AddIcons(table);
  AddAboutDialog(table, language);
}
