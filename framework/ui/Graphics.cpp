#include "framework/ui/Graphics.h"

#include "framework/core/Exception.h"
#include "platform/Errors.h"

void CImageSet::Create(int width, int height, uint32_t, int, int) {
  size_ = QSize(width, height);
  images_.clear();
  created_ = true;
}

void CImageSet::Destroy() {
  images_.clear();
  created_ = false;
}

int CImageSet::AddIcon(const QIcon& icon) {
  if (!created_) throw CException(platform::Error::InvalidHandle);
  if (icon.isNull()) throw CException(platform::Error::InvalidParameter);
  QImage image = icon.pixmap(size_).toImage();
  if (image.size() != size_) image = image.scaled(size_, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  images_.push_back(std::move(image));
  return Count() - 1;
}

QIcon CImageSet::Icon(int index) const {
  if (index < 0 || index >= Count()) return QIcon();
  return QIcon(QPixmap::fromImage(images_[static_cast<size_t>(index)]));
}

CDrawContext::~CDrawContext() {
  if (painter_) painter_->restore();
}

QPainter& CDrawContext::Painter() {
  if (!painter_) {
    painter_ = std::make_unique<QPainter>(target_);
    painter_->save();
    painter_->setBackgroundMode(Qt::TransparentMode);
  }
  return *painter_;
}

void CDrawContext::FillRect(const CXYRect& rect, const QColor& colour) {
  Painter().fillRect(QRect(rect.left, rect.top, rect.width, rect.height), colour);
}
