#include "plugins/volkit/Names.h"

#include <algorithm>

#include "platform/CodePage.h"
#include "plugins/volkit/FsError.h"

namespace volkit {

namespace {

constexpr size_t MaxLongName = 255;
constexpr size_t RecordNameBytes = 255;  // DirEntryRecord::longName less its terminator

char16_t Upper(char16_t c) {
  if (c >= u'a' && c <= u'z') return c - 32;
  if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) || (c >= 0x430 && c <= 0x44F)) {
    return c - 32;
  }
  if (c >= 0x450 && c <= 0x45F) return c - 80;
  if (c >= 0xFF41 && c <= 0xFF5A) return c - 32;  // full-width Latin
  return c;
}

// Both are asked for every character of every name stored or looked up.
bool ForbiddenInLongName(char16_t c) {
  switch (c) {
    case u'"':
    case u'*':
    case u'/':
    case u':':
    case u'<':
    case u'>':
    case u'?':
    case u'\\':
    case u'|':
      return true;
    default:
      return c < 0x20;
  }
}

bool AllowedInShortName(char16_t c) {
  switch (c) {
    case u'$':
    case u'%':
    case u'\'':
    case u'-':
    case u'_':
    case u'@':
    case u'~':
    case u'`':
    case u'!':
    case u'(':
    case u')':
    case u'{':
    case u'}':
    case u'^':
    case u'#':
    case u'&':
      return true;
    default:
      return (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
  }
}

// The upper-cased base and extension of a short name; `lossy` when characters
// had to be dropped or replaced, `fits` when neither part was cut.
struct ShortParts {
  std::string base, ext;
  bool lossy = false;
  bool fits = true;
};

ShortParts SplitForShortName(std::u16string_view name) {
  ShortParts parts;
  size_t dot = name.rfind(u'.');
  if (dot == 0) dot = std::u16string_view::npos;  // ".profile" has no extension
  auto convert = [&](std::u16string_view part, size_t limit, std::string* out) {
    for (char16_t c : part) {
      if (c == u' ' || c == u'.') {
        parts.lossy = true;
        continue;
      }
      char16_t u = Upper(c);
      char ch = AllowedInShortName(u) ? char(u) : '_';
      if (ch == '_' && u != u'_') parts.lossy = true;
      if (out->size() == limit) {
        parts.fits = false;
        continue;
      }
      out->push_back(ch);
    }
  };
  convert(name.substr(0, dot), 8, &parts.base);
  if (dot != std::u16string_view::npos) convert(name.substr(dot + 1), 3, &parts.ext);
  return parts;
}

ShortName Compose(std::string_view base, std::string_view ext) {
  ShortName name;
  name.fill(' ');
  std::copy(base.begin(), base.end(), name.begin());
  std::copy(ext.begin(), ext.end(), name.begin() + 8);
  return name;
}

}  // namespace

std::u16string ToLongName(std::string_view text) {
  std::u16string name;
  if (!platform::CodePageToUtf16(text, &name)) Fail(FileSystemError::NotRepresentable);
  // Windows drops trailing blanks and dots; a name made only of them is none.
  size_t end = name.find_last_not_of(u" .");
  name.erase(end == std::u16string::npos ? 0 : end + 1);
  if (name.empty() || std::any_of(name.begin(), name.end(), ForbiddenInLongName)) {
    Fail(FileSystemError::InvalidName);
  }
  // No code page takes more than three bytes for a UTF-16 unit, so only a
  // longer name needs converting back to be measured.
  std::string back;
  if (name.size() > MaxLongName ||
      (name.size() * 3 > RecordNameBytes && platform::Utf16ToCodePage(name, &back) && back.size() > RecordNameBytes)) {
    Fail(FileSystemError::NameTooLong);
  }
  return name;
}

bool FromLongName(std::u16string_view name, std::string* text) {
  return platform::Utf16ToCodePage(name, text) && text->size() <= RecordNameBytes;
}

std::string FormatShortName(const ShortName& name, uint8_t caseFlags) {
  auto part = [&](size_t from, size_t length, bool lower) {
    std::string s(reinterpret_cast<const char*>(name.data()) + from, length);
    s.erase(s.find_last_not_of(' ') + 1);
    if (lower)
      std::transform(s.begin(), s.end(), s.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; });
    return s;
  };
  std::string base = part(0, 8, caseFlags & DirSlot::LowerBase);
  if (!base.empty() && uint8_t(base[0]) == DirSlot::EscapedE5) base[0] = char(DirSlot::FreeMark);
  std::string ext = part(8, 3, caseFlags & DirSlot::LowerExtension);
  if (!ext.empty()) base.append(1, '.').append(ext);
  return base;
}

bool ExactShortName(std::u16string_view name, ShortName* shortName) {
  // What SplitForShortName would keep unchanged and FormatShortName give back
  // as it was: one to eight characters, then a dot and one to three, each an
  // allowed one (all of which are upper case). Every file stored asks, so
  // nothing is built first.
  const size_t dot = name.find(u'.');
  const std::u16string_view base = name.substr(0, dot);
  const std::u16string_view ext = dot == std::u16string_view::npos ? std::u16string_view() : name.substr(dot + 1);
  if (base.empty() || base.size() > 8 || ext.size() > 3 || (dot != std::u16string_view::npos && ext.empty()) ||
      !std::all_of(base.begin(), base.end(), AllowedInShortName) ||
      !std::all_of(ext.begin(), ext.end(), AllowedInShortName))
    return false;
  const auto narrow = [](char16_t c) { return uint8_t(c); };
  shortName->fill(' ');
  std::transform(base.begin(), base.end(), shortName->begin(), narrow);
  std::transform(ext.begin(), ext.end(), shortName->begin() + 8, narrow);
  return true;
}

ShortName GenerateShortName(std::u16string_view name, const std::function<bool(const ShortName&)>& taken,
                            TailHints& hints) {
  ShortParts parts = SplitForShortName(name);
  if (parts.base.empty()) parts.base.assign(1, '_');
  ShortName candidate = Compose(parts.base, parts.ext);
  if (!parts.lossy && parts.fits && !taken(candidate)) return candidate;
  uint32_t& next = hints.try_emplace(parts.base + '.' + parts.ext, 1).first->second;
  for (uint32_t n = next;; ++n) {
    std::string tail = std::to_string(n).insert(0, 1, '~');
    std::string base = parts.base.substr(0, 8 - tail.size()) + tail;
    candidate = Compose(base, parts.ext);
    if (!taken(candidate)) {
      next = n + 1;
      return candidate;
    }
  }
}

uint8_t ShortNameChecksum(const ShortName& name) {
  uint8_t sum = 0;
  for (uint8_t c : name) sum = uint8_t(((sum & 1) << 7) + (sum >> 1) + c);
  return sum;
}

std::u16string FoldCase(std::u16string_view name) {
  std::u16string folded(name);
  for (char16_t& c : folded) c = Upper(c);
  return folded;
}

std::u16string FoldedShortName(const ShortName& name) {
  const auto kept = [&](size_t from, size_t length) {  // without the blanks that pad the part
    while (length > 0 && name[from + length - 1] == ' ') --length;
    return length;
  };
  const size_t base = kept(0, 8), ext = kept(8, 3);
  std::u16string folded;
  folded.reserve(base + 1 + ext);
  for (size_t i = 0; i < base; ++i)
    folded.push_back(Upper(i == 0 && name[0] == DirSlot::EscapedE5 ? char16_t(DirSlot::FreeMark) : char16_t(name[i])));
  if (ext > 0) folded.push_back(u'.');
  for (size_t i = 0; i < ext; ++i) folded.push_back(Upper(char16_t(name[8 + i])));
  return folded;
}

std::u16string AsciiToUtf16(std::string_view text) {
  std::u16string wide;
  for (unsigned char c : text) wide.push_back(c);
  return wide;
}

}  // namespace volkit
