#include "ui/IconCache.h"

#include <QFileInfo>
#include <QIcon>
#include <QMimeDatabase>
#include <QStandardPaths>
#include <algorithm>

#include "framework/core/Exception.h"
#include "framework/ui/QtText.h"
#include "resources/ResourceIds.h"

void IconCache::Create() {
  // Without a desktop that names an icon theme Qt looks in none (nor, on some
  // platforms, in the system's icon folders), and every file would get the
  // generic icon; an installed full theme stands in.
  if (QIcon::themeName().isEmpty() || QIcon::themeName() == "hicolor") {
    QStringList folders = QIcon::themeSearchPaths();
    for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
      if (!folders.contains(data + "/icons")) folders << data + "/icons";
    for (const QString theme : {"Adwaita", "hicolor"}) {
      auto holds = [&](const QString& folder) { return QFileInfo::exists(folder + '/' + theme + "/index.theme"); };
      if (std::none_of(folders.begin(), folders.end(), holds)) continue;
      QIcon::setThemeSearchPaths(folders);
      QIcon::setThemeName(theme);
      break;
    }
  }
  small_.Create(16, 16, 1, 0, 0);
  large_.Create(32, 32, 1, 0, 0);
  byExtension_.clear();
  for (uint32_t id : {ResourceId::FileIcon, ResourceId::FolderIcon, ResourceId::TrackIcon, ResourceId::MediumIcon}) {
    const QIcon& icon = LoadIcon(id);
    small_.AddIcon(icon);
    large_.AddIcon(icon);
  }
}

int IconCache::IconIndexFor(const PlayerEntry& entry) {
  if (entry.IsFolder()) return FolderImage;
  const int dot = entry.longName.FindLast('.');
  const CText extension = dot < 0 ? CText() : entry.longName.Right(entry.longName.Length() - dot);
  for (const auto& [known, index] : byExtension_)
    if (known == extension) return index;
  if (extension.IsEmpty()) return FileImage;
  try {
    // The type's own icon, else the generic one of its kind (audio, text, …);
    // the database's fallback type for unknown names has none of its own.
    const QMimeType type =
        QMimeDatabase().mimeTypeForFile(ToQt(CText("file") + extension), QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault()) return FileImage;
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull()) icon = QIcon::fromTheme(type.genericIconName());
    if (icon.isNull()) return FileImage;
    large_.AddIcon(icon);
    const int index = small_.AddIcon(icon);
    byExtension_.emplace_back(extension, index);
    return index;
  } catch (const CException&) {
    return FileImage;
  }
}
