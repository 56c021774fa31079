// Image lists and drawing.
#pragma once

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <memory>
#include <vector>

#include "framework/core/Root.h"
#include "framework/ui/Window.h"

// A list of equally sized images addressed by index (the design's image list).
class CImageSet : public CRoot {
 public:
  // The flags, initial count and growth of the design do not change anything here.
  void Create(int width, int height, uint32_t flags, int initialCount, int growth);
  void Destroy();
  // The index of the added icon; an icon that cannot be added throws CException.
  int AddIcon(const QIcon& icon);
  int Count() const { return static_cast<int>(images_.size()); }
  QSize ImageSize() const { return size_; }
  // An empty icon for an index the list lacks.
  QIcon Icon(int index) const;

 private:
  QSize size_;
  bool created_ = false;
  std::vector<QImage> images_;
};

// Drawing on a window during its paint. The painter is opened on first use
// with a transparent background; what is selected into it is restored when the
// context goes.
class CDrawContext : public CRoot {
 public:
  explicit CDrawContext(QWidget* target) : target_(target) {}
  ~CDrawContext() override;
  void FillRect(const CXYRect& rect, const QColor& colour);
  QPainter& Painter();

 private:
  QWidget* target_;
  std::unique_ptr<QPainter> painter_;
};
