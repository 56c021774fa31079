#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "framework/core/Helpers.h"
#include "platform/CodePage.h"
#include "resources/StringTables.h"

namespace {

using platform::Language;
constexpr Language AllLanguages[] = {Language::English, Language::Japanese, Language::Korean, Language::Chinese};

// The ids that the code defines as constants, by name.
std::map<std::string, uint32_t> DefinedIds(const char* header) {
  std::ifstream file(std::string(TUNEWARDEN_SOURCE_DIR) + "/resources/" + header);
  std::stringstream text;
  text << file.rdbuf();
  const std::string source = text.str();
  std::map<std::string, uint32_t> ids;
  const std::regex constant(R"(constexpr uint32_t (\w+) = (\d+);)");
  for (auto it = std::sregex_iterator(source.begin(), source.end(), constant); it != std::sregex_iterator(); ++it)
    ids[(*it)[1]] = static_cast<uint32_t>(std::stoul((*it)[2]));
  return ids;
}

std::map<std::string, uint32_t> AllStringIds() {
  std::map<std::string, uint32_t> ids = DefinedIds("StringIds.h");
  for (const auto& [name, id] : DefinedIds("CommandIds.h")) ids["CommandId::" + name] = id;
  return ids;
}

const char* Find(Language language, uint32_t id) {
  for (const StringEntry& entry : StringsOf(language))
    if (entry.id == id) return entry.text;
  return nullptr;
}

// The conversions in order, "%%" left out.
std::vector<std::string> Specifiers(const std::string& text) {
  std::vector<std::string> found;
  const std::regex specifier(R"(%(%|[-+ 0#]*\d*(\.\d+)?[a-zA-Z]))");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), specifier); it != std::sregex_iterator(); ++it)
    if ((*it)[1] != "%") found.push_back(it->str());
  return found;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::stringstream stream(text);
  for (std::string line; std::getline(stream, line, '\n');) lines.push_back(line);
  return lines;
}

// The language settings of the environment and the code page, as a user has them.
void UseLocale(const char* tunewardenLang, const char* lang, uint32_t codePage) {
  unsetenv("LC_ALL");
  unsetenv("LC_MESSAGES");
  for (const auto& [name, value] : {std::pair{"TUNEWARDEN_LANG", tunewardenLang}, std::pair{"LANG", lang}})
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  platform::SetActiveCodePage(codePage);
  InstallStringTables();
}

std::string Utf8(const CText& text) {
  std::string utf8;
  platform::CodePageToUtf8(text.View(), &utf8);
  return utf8;
}

TEST(StringTablesTest, EveryDefinedIdHasItsTextInEveryLanguageAndNoTableHasOthers) {
  const std::map<std::string, uint32_t> ids = AllStringIds();
  ASSERT_GT(ids.size(), 60u) << "the id headers were not read";
  std::set<uint32_t> defined;
  for (const auto& [name, id] : ids) defined.insert(id);
  for (Language language : AllLanguages) {
    std::set<uint32_t> seen;
    for (const StringEntry& entry : StringsOf(language)) {
      EXPECT_TRUE(defined.count(entry.id))
          << "language " << int(language) << " has an entry " << entry.id << " that no constant names";
      EXPECT_TRUE(seen.insert(entry.id).second) << "language " << int(language) << " repeats " << entry.id;
    }
    for (const auto& [name, id] : ids)
      EXPECT_TRUE(seen.count(id)) << name << " (" << id << ") is missing in language " << int(language);
  }
}

TEST(StringTablesTest, TranslationsKeepTheFormatLinesAndPatternsOfEnglish) {
  for (const StringEntry& english : EnglishStrings()) {
    const std::vector<std::string> englishLines = Lines(english.text);
    for (Language language : AllLanguages) {
      const char* text = Find(language, english.id);
      if (text == nullptr) continue;  // reported by the test above
      SCOPED_TRACE(testing::Message() << "id " << english.id << " language " << int(language) << ": " << text);
      EXPECT_EQ(Specifiers(text), Specifiers(english.text));
      // Lines are media names, column headings and tool tips: their count is fixed.
      const std::vector<std::string> lines = Lines(text);
      ASSERT_EQ(lines.size(), englishLines.size());
      if (english.id == 301 || english.id == 302) {
        for (size_t line = 1; line < lines.size(); line += 2) EXPECT_EQ(lines[line], englishLines[line]);
      }
    }
  }
}

TEST(StringTablesTest, TheLanguageFollowsTheLocaleUnlessTheCodePageCannotShowItAndLoadsWhole) {
  struct Case {
    const char* tunewardenLang;
    const char* lang;
    uint32_t codePage;
    Language expected;
  };
  // The order of the environment variables belongs to the platform layer.
  for (const Case& locale : {Case{"ja", nullptr, 932, Language::Japanese}, Case{"zh", nullptr, 936, Language::Chinese},
                             Case{nullptr, "ko_KR.UTF-8", platform::CodePageUtf8, Language::Korean},
                             Case{"ja", nullptr, 1252, Language::English},
                             // Shift-JIS lacks simplified characters such as those of "删除".
                             Case{"zh", nullptr, 932, Language::English}}) {
    SCOPED_TRACE(testing::Message() << (locale.tunewardenLang ? locale.tunewardenLang : "-") << " "
                                    << (locale.lang ? locale.lang : "-") << " " << locale.codePage);
    UseLocale(locale.tunewardenLang, locale.lang, locale.codePage);
    ASSERT_EQ(ResourceLanguage(), locale.expected);
    // Every text fits the length that loading allows.
    for (const StringEntry& entry : StringsOf(locale.expected))
      EXPECT_EQ(Utf8(LoadStringText(entry.id)), entry.text) << "id " << entry.id;
  }
  // Handed out in the code page, not in UTF-8.
  UseLocale("ko", nullptr, 949);
  EXPECT_NE(std::string(LoadStringText(103).View()), Find(Language::Korean, 103));
  UseLocale("en", nullptr, 0);
}

}  // namespace
