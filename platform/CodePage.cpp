#include "platform/CodePage.h"

#include <iconv.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <functional>
#include <map>
#include <utility>

#include "platform/Errors.h"

namespace platform {

namespace {

std::atomic<uint32_t> activeCodePage{0};

bool IsSupported(uint32_t codePage) {
  switch (codePage) {
    case 932:
    case 936:
    case 949:
    case 950:
    case 1252:
    case CodePageUtf8:
      return true;
    default:
      return false;
  }
}

uint32_t CodePageFromEnvironment() {
  const char* value = std::getenv("TUNEWARDEN_CODEPAGE");
  if (value == nullptr) return CodePageUtf8;
  char* end = nullptr;
  unsigned long number = std::strtoul(value, &end, 10);
  if (end == value || *end != '\0' || !IsSupported(static_cast<uint32_t>(number))) {
    return CodePageUtf8;
  }
  return static_cast<uint32_t>(number);
}

const char* IconvName(uint32_t codePage) {
  switch (codePage) {
    case 932:
      return "CP932";
    case 936:
      return "CP936";
    case 949:
      return "CP949";
    case 950:
      return "CP950";
    case 1252:
      return "CP1252";
    default:
      return "UTF-8";
  }
}

// Strictly valid UTF-8 only (no overlong forms, surrogates or values past
// U+10FFFF): the length of the sequence at pos, or 0 when it is not valid.
size_t ValidUtf8Length(std::string_view text, size_t pos) {
  auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  uint8_t lead = byte(pos);
  if (lead < 0x80) return 1;
  size_t length;
  uint8_t low = 0x80, high = 0xBF;  // allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() - pos < length) return 0;
  if (byte(pos + 1) < low || byte(pos + 1) > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (byte(pos + i) < 0x80 || byte(pos + i) > 0xBF) return 0;
  }
  return length;
}

// Conversion descriptors are costly to open and not safe to share between
// threads, so each thread keeps the ones it used.
class IconvCache {
 public:
  ~IconvCache() {
    for (auto& entry : descriptors_) iconv_close(entry.second);
  }
  iconv_t Get(const char* to, const char* from) {
    auto key = std::make_pair(std::string(to), std::string(from));
    auto found = descriptors_.find(key);
    if (found != descriptors_.end()) {
      iconv(found->second, nullptr, nullptr, nullptr, nullptr);  // reset the shift state
      return found->second;
    }
    iconv_t descriptor = iconv_open(to, from);
    if (descriptor != reinterpret_cast<iconv_t>(-1)) descriptors_.emplace(key, descriptor);
    return descriptor;
  }

 private:
  std::map<std::pair<std::string, std::string>, iconv_t> descriptors_;
};

// Converts all of input, appending to output. Fails on the first byte
// sequence that is invalid or has no counterpart; output keeps what came
// before it.
bool Convert(const char* to, const char* from, std::string_view input, std::string* output) {
  thread_local IconvCache cache;
  iconv_t descriptor = cache.Get(to, from);
  if (descriptor == reinterpret_cast<iconv_t>(-1)) {
    SetLastError(Error::NotSupported);
    return false;
  }
  char* in = const_cast<char*>(input.data());
  size_t inLeft = input.size();
  char block[1024];
  while (true) {
    char* out = block;
    size_t outLeft = sizeof block;
    size_t result = iconv(descriptor, inLeft > 0 ? &in : nullptr, &inLeft, &out, &outLeft);
    int error = errno;
    output->append(block, out - block);
    if (result == static_cast<size_t>(-1) && error == E2BIG) continue;
    // A nonzero count means characters were replaced by look-alikes: the text
    // would not come back the same, which for a file name means another file.
    if (result != 0) {
      SetLastError(Error::NoUnicodeTranslation);
      return false;
    }
    if (inLeft == 0) return true;
  }
}

bool Utf8Validated(std::string_view text, std::string* output) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t length = ValidUtf8Length(text, pos);
    if (length == 0) {
      output->append(text.substr(0, pos));
      SetLastError(Error::NoUnicodeTranslation);
      return false;
    }
    pos += length;
  }
  output->append(text);
  return true;
}

// Converts character by character where the whole text does not convert;
// `length` steps one character of the input.
std::string ConvertMarked(std::string_view input, const std::function<bool(std::string_view, std::string*)>& convert,
                          const std::function<size_t(std::string_view, size_t)>& length, std::string_view mark) {
  std::string output;
  if (convert(input, &output)) return output;
  output.clear();
  for (size_t pos = 0; pos < input.size();) {
    const size_t step = length(input, pos);
    std::string piece;
    output += convert(input.substr(pos, step), &piece) ? piece : std::string(mark);
    pos += step;
  }
  return output;
}

size_t Utf8CharLength(std::string_view text, size_t pos) {
  const size_t length = ValidUtf8Length(text, pos);
  return length == 0 ? 1 : length;
}

// Well-formed UTF-8 and UTF-16 turn into each other the same way in every
// conforming converter, so they go without iconv, whose cost would dominate
// listing a folder. Text that is not well-formed goes through iconv, for its
// exact failure.
bool DecodeUtf8(std::string_view text, std::u16string* utf16) {
  // Names are mostly ASCII, which widens as it stands.
  const size_t ascii =
      size_t(std::find_if(text.begin(), text.end(), [](char c) { return uint8_t(c) >= 0x80; }) - text.begin());
  std::u16string result(text.begin(), text.begin() + long(ascii));
  result.reserve(text.size());
  for (size_t pos = ascii; pos < text.size();) {
    const size_t length = ValidUtf8Length(text, pos);
    if (length == 0) return false;
    const auto byte = [&](size_t i) { return char32_t(static_cast<uint8_t>(text[pos + i])); };
    char32_t code = length == 1 ? byte(0) : byte(0) & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) code = code << 6 | (byte(i) & 0x3F);
    if (code >= 0x10000) {
      result.push_back(char16_t(0xD800 + ((code - 0x10000) >> 10)));
      result.push_back(char16_t(0xDC00 + ((code - 0x10000) & 0x3FF)));
    } else {
      result.push_back(char16_t(code));
    }
    pos += length;
  }
  *utf16 = std::move(result);
  return true;
}

void AppendUtf8(char32_t code, std::string* text) {
  if (code < 0x80) {
    text->push_back(char(code));
  } else if (code < 0x800) {
    text->push_back(char(0xC0 | code >> 6));
    text->push_back(char(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    text->push_back(char(0xE0 | code >> 12));
    text->push_back(char(0x80 | (code >> 6 & 0x3F)));
    text->push_back(char(0x80 | (code & 0x3F)));
  } else {
    text->push_back(char(0xF0 | code >> 18));
    text->push_back(char(0x80 | (code >> 12 & 0x3F)));
    text->push_back(char(0x80 | (code >> 6 & 0x3F)));
    text->push_back(char(0x80 | (code & 0x3F)));
  }
}

bool EncodeUtf8(std::u16string_view utf16, std::string* text) {
  std::string result;
  result.reserve(utf16.size());
  for (size_t i = 0; i < utf16.size(); ++i) {
    char32_t code = utf16[i];
    if (code >= 0xDC00 && code < 0xE000) return false;
    if (code >= 0xD800 && code < 0xDC00) {
      if (i + 1 == utf16.size() || utf16[i + 1] < 0xDC00 || utf16[i + 1] >= 0xE000) return false;
      code = 0x10000 + ((code - 0xD800) << 10) + (utf16[++i] - 0xDC00);
    }
    AppendUtf8(code, &result);
  }
  *text = std::move(result);
  return true;
}

std::u16string FromUtf16Le(const std::string& bytes) {
  std::u16string result(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < result.size(); ++i) {
    result[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) | static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
  }
  return result;
}

std::string ToUtf16Le(std::u16string_view text) {
  std::string bytes(text.size() * 2, '\0');
  for (size_t i = 0; i < text.size(); ++i) {
    bytes[2 * i] = static_cast<char>(text[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<char>(text[i] >> 8);
  }
  return bytes;
}

}  // namespace

uint32_t ActiveCodePage() {
  uint32_t codePage = activeCodePage.load();
  if (codePage == 0) {
    codePage = CodePageFromEnvironment();
    activeCodePage.store(codePage);
  }
  return codePage;
}

void SetActiveCodePage(uint32_t codePage) { activeCodePage.store(IsSupported(codePage) ? codePage : 0); }

bool IsLeadByte(uint8_t byte) {
  switch (ActiveCodePage()) {
    case 932:
      return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:
    case 949:
    case 950:
      return byte >= 0x81 && byte <= 0xFE;
    case CodePageUtf8:
      return byte >= 0xC2 && byte <= 0xF4;
    default:
      return false;
  }
}

size_t CharLength(std::string_view text, size_t pos) {
  if (pos >= text.size()) return 0;
  if (ActiveCodePage() == CodePageUtf8) {
    size_t length = ValidUtf8Length(text, pos);
    return length == 0 ? 1 : length;  // a stray byte counts as one character
  }
  bool pair = IsLeadByte(static_cast<uint8_t>(text[pos])) && pos + 1 < text.size() && text[pos + 1] != '\0';
  return pair ? 2 : 1;
}

size_t CutAtCharBoundary(std::string_view text, size_t maxBytes) {
  if (text.size() <= maxBytes) return text.size();  // every step below ends inside the text
  size_t pos = 0;
  while (pos < text.size()) {
    size_t next = pos + CharLength(text, pos);
    if (next > maxBytes) break;
    pos = next;
  }
  return pos;
}

bool CodePageToUtf8(std::string_view text, std::string* utf8) {
  utf8->clear();
  uint32_t codePage = ActiveCodePage();
  if (codePage == CodePageUtf8) return Utf8Validated(text, utf8);
  return Convert("UTF-8", IconvName(codePage), text, utf8);
}

bool Utf8ToCodePage(std::string_view utf8, std::string* text) {
  text->clear();
  uint32_t codePage = ActiveCodePage();
  if (codePage == CodePageUtf8) return Utf8Validated(utf8, text);
  return Convert(IconvName(codePage), "UTF-8", utf8, text);
}

std::string CodePageToUtf8Marked(std::string_view text) {
  return ConvertMarked(text, CodePageToUtf8, CharLength, "\xEF\xBF\xBD");
}

std::string Utf8ToCodePageMarked(std::string_view utf8) {
  return ConvertMarked(utf8, Utf8ToCodePage, Utf8CharLength, "?");
}

std::string Latin1ToUtf8(std::string_view latin1) {
  // Latin-1's bytes are the first 256 code points.
  std::string utf8;
  for (const char c : latin1) AppendUtf8(static_cast<uint8_t>(c), &utf8);
  return utf8;
}

bool IsValidUtf8(std::string_view text) {
  for (size_t pos = 0; pos < text.size();) {
    const size_t length = ValidUtf8Length(text, pos);
    if (length == 0) return false;
    pos += length;
  }
  return true;
}

bool CodePageToUtf16(std::string_view text, std::u16string* utf16) {
  if (ActiveCodePage() == CodePageUtf8 && DecodeUtf8(text, utf16)) return true;
  std::string bytes;
  bool done = Convert("UTF-16LE", IconvName(ActiveCodePage()), text, &bytes);
  *utf16 = FromUtf16Le(bytes);
  return done;
}

bool Utf16ToCodePage(std::u16string_view utf16, std::string* text) {
  if (ActiveCodePage() == CodePageUtf8 && EncodeUtf8(utf16, text)) return true;
  text->clear();
  return Convert(IconvName(ActiveCodePage()), "UTF-16LE", ToUtf16Le(utf16), text);
}

}  // namespace platform
