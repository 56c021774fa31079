#include "cli/Cli.h"
#include "framework/core/Exception.h"
#include "platform/CodePage.h"
#include "platform/Errors.h"
#include "resources/StringIds.h"

CliSession::CliSession() : connection(settings) {
  settings.SetDefaults();
  connection.LoadPlugins();
}

CliSession::~CliSession() { connection.Close(); }

void CliSession::Connect() {
  connection.Open(0);
  connection.SelectMedia();
  connection.OpenFileSystem();
}

void CliSession::EnterFolder(const CText& folder) {
  if (folder.IsEmpty() || folder == "\\") return;
  connection.ChangeFolder(PlayerConnection::UserEntryName);
  if (folder != PlayerConnection::UserEntryName) connection.ChangeFolder(folder);
}

void CliSession::EnterUserFolder(const CText& folder, const char* command) {
  EnterFolder(folder);
  if (connection.folderMode != PlayerConnection::UserTreeMode)
    throw UsageError{std::string(command) + " works in USER folders, such as <USER> or \\USER\\A"};
}

CText FromShell(const std::string& text) {
  std::string converted;
  if (!platform::Utf8ToCodePage(text, &converted)) throw CMediaException(StringId::UnsupportedCharacterCode);
  return CText(std::string_view(converted));
}

std::string ToShell(const CText& text) { return platform::CodePageToUtf8Marked(text.View()); }

void PrintLine(const CText& text) { std::printf("%s\n", ToShell(text).c_str()); }

std::string ShellMessage(const CText& message) {
  const std::string shell = ToShell(message);
  std::string text;
  for (size_t from = 0;;) {
    const size_t at = shell.find("\r\n", from);
    text.append(shell, from, at - from);  // to the end when at is npos
    if (at == std::string::npos) break;
    text += '\n';
    from = at + 2;
  }
  return text;
}

bool TakeOption(std::vector<std::string>& args, const std::string& name, std::string* value) {
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] != name) continue;
    if (i + 1 == args.size()) throw UsageError{name + " needs a value"};
    *value = args[i + 1];
    args.erase(args.begin() + long(i), args.begin() + long(i) + 2);
    return true;
  }
  return false;
}

PlayerEntry FindOrFail(PlayerConnection& connection, const CText& name) {
  PlayerEntry entry;
  if (!connection.FindEntry(name, &entry)) throw CException(platform::Error::FileNotFound);
  return entry;
}
