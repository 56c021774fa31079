#include "ui/IconCache.h"

#include <QMimeDatabase>

#include "framework/core/Exception.h"
#include "framework/ui/QtText.h"
#include "resources/ResourceIds.h"

void IconCache::Create() {
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
