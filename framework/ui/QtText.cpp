#include "framework/ui/QtText.h"

#include <string>

#include "platform/CodePage.h"

QString ToQt(std::string_view text) {
  const std::string utf8 = platform::CodePageToUtf8Marked(text);
  // The design's texts end lines with "\r\n"; Qt wants "\n" alone.
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())).remove(QChar('\r'));
}

CText FromQt(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  std::string converted;
  platform::Utf8ToCodePage(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())), &converted);
  return CText(std::string_view(converted));
}
