// make-icon-png ART SIZE OUTPUT: writes the program's pixel art as a PNG icon of
// SIZE pixels, enlarged by a whole factor so that every pixel stays sharp.
#include <QImage>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: make-icon-png ART SIZE OUTPUT\n");
    return 2;
  }
  const QImage art(QString::fromLocal8Bit(argv[1]));
  const int size = std::atoi(argv[2]);
  if (art.isNull() || art.width() != art.height() || size <= 0 || size % art.width() != 0) {
    std::fprintf(stderr, "make-icon-png: %s is no square picture that enlarges to %s pixels\n", argv[1], argv[2]);
    return 1;
  }
  const QImage icon =
      art.convertToFormat(QImage::Format_ARGB32).scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  if (!icon.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
    std::fprintf(stderr, "make-icon-png: cannot write %s\n", argv[3]);
    return 1;
  }
  return 0;
}
