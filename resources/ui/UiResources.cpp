#include "resources/ui/UiResources.h"

#include <QPainter>
#include <algorithm>

#include "framework/core/Exception.h"
#include "framework/ui/Resources.h"
#include "resources/CommandIds.h"
#include "resources/ResourceIds.h"
#include "resources/StringTables.h"
#include "resources/ui/DialogWriter.h"
#include "resources/ui/Menus.h"
#include "resources/ui/ToolDialogs.h"
#include "resources/ui/TrackDialog.h"
#include "resources/ui/TransferDialogs.h"
#include "resources/ui/Translated.h"
#include "tunewarden/Version.h"

CText Translated::In(platform::Language language) const {
  switch (language) {
    case platform::Language::Japanese:
      return ResourceText(japanese);
    case platform::Language::Korean:
      return ResourceText(korean);
    case platform::Language::Chinese:
      return ResourceText(chinese);
    default:
      return ResourceText(english);
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
      {ResourceId::TrackIcon, "track"},   {ResourceId::MediumIcon, "medium"}, {ResourceId::QuestionIcon, "question"},
  };
  for (const auto& [id, name] : icons) {
    QIcon icon;
    for (int size : {16, 32})
      icon.addPixmap(QPixmap::fromImage(Picture(QString(":/icons/%1-%2.xpm").arg(name).arg(size))));
    table.icons[id] = icon;
  }
}

// The clips of the transfer and deletion windows: a page flies from a folder
// to the player, or into the waste bin; drawn small, shown at twice the size.
void AddAnimations(ResourceTable& table) {
  constexpr int FrameCount = 8;
  const std::pair<uint32_t, const char*> clips[] = {{ResourceId::TransferClip, "copy"},
                                                    {ResourceId::DeleteClip, "delete"}};
  for (const auto& [id, name] : clips) {
    AnimationClip clip;
    for (int frame = 1; frame <= FrameCount; ++frame)
      clip.frames.push_back(Picture(QString(":/animations/%1-%2.xpm").arg(name).arg(frame)).scaled(224, 64));
    clip.frameMilliseconds = 120;
    table.animations[id] = std::move(clip);
  }
}

// The tool bar's buttons in order, each with its picture (24 x 23 pixels in
// the sixteen colours whose greys follow the system's); 0 is a separator.
struct Button {
  uint16_t command;
  const char* picture;
};
constexpr Button Buttons[] = {
    {CommandId::Refresh, "refresh"},       {CommandId::MediaFormat, "format"}, {0, nullptr},
    {CommandId::Properties, "properties"}, {CommandId::Delete, "delete"},      {CommandId::MoveUp, "up"},
    {CommandId::MoveDown, "down"},
};

// The bitmap holds the button pictures side by side.
void AddToolBar(ResourceTable& table) {
  ToolBarDescription bar{1, 24, 23, {}};
  const auto pictures = std::count_if(std::begin(Buttons), std::end(Buttons), [](Button b) { return b.picture; });
  QImage strip(static_cast<int>(pictures) * bar.buttonWidth, bar.buttonHeight, QImage::Format_ARGB32);
  strip.fill(Qt::transparent);
  QPainter painter(&strip);
  int x = 0;
  for (const Button& button : Buttons) {
    bar.commands.push_back(button.command);
    if (!button.picture) continue;
    painter.drawImage(x, 0, Picture(QString(":/toolbar/%1.xpm").arg(button.picture)));
    x += bar.buttonWidth;
  }
  painter.end();
  table.toolBars[ResourceId::MainFrame] = std::move(bar);
  table.bitmaps[ResourceId::MainFrame] = strip;
}

void AddAboutDialog(ResourceTable& table, platform::Language language) {
  DialogTemplate about;
  about.id = ResourceId::AboutDialog;
  about.title =
      Translated{"About Tunewarden", "Tunewarden のバージョン情報", "Tunewarden 정보", "关于 Tunewarden"}.In(language);
  about.width = 180;
  about.height = 62;
  ControlTemplate icon{0, ControlKind::Icon, CText(), 12, 12, 21, 20};
  icon.resource = ResourceId::MainFrame;
  const ControlTemplate version{0, ControlKind::Static, CText("Tunewarden ") + TunewardenVersion, 44, 18, 120, 8};
  const ControlTemplate ok{
      IDOK, ControlKind::Button, OkLabel.In(language), 124, 40, 50, 14, WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON};
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
  AddToolDialogs(table, language);
  AddTransferDialogs(table, language);
  AddTrackDialog(table, language);
  AddAnimations(table);
}
