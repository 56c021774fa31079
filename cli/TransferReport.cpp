// What put and get show and ask.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "cli/Cli.h"
#include "framework/core/Helpers.h"
#include "resources/StringIds.h"

namespace {

// One line of standard input without its end, as std::getline reads it;
// false at the end of the input. (<iostream> alone costs every start its
// stream set-up.)
bool ReadLine(std::string* line) {
  line->clear();
  int c = 0;
  while ((c = std::getchar()) != EOF && c != '\n') line->push_back(char(c));
  return c == '\n' || !line->empty();
}

// A description of the replacement question on one line.
std::string OneLine(const CText& text) {
  std::string line = ToShell(text);
  for (size_t at; (at = line.find("\r\n")) != std::string::npos;) line.replace(at, 2, ", ");
  return line;
}

}  // namespace

ReplaceMode TakeReplaceMode(std::vector<std::string>& args) {
  std::string mode;
  if (!TakeOption(args, "--replace", &mode))
    return isatty(STDIN_FILENO) && isatty(STDERR_FILENO) ? ReplaceMode::Ask : ReplaceMode::None;
  if (mode == "ask") return ReplaceMode::Ask;
  if (mode == "all") return ReplaceMode::All;
  if (mode == "none") return ReplaceMode::None;
  throw UsageError{"--replace takes ask, all or none"};
}

CliTransfer::CliTransfer(TransferDirection direction, ReplaceMode mode)
    : direction_(direction), mode_(mode), terminal_(isatty(STDERR_FILENO)) {
  progress_.StartRun();
}

void CliTransfer::FileStarting(const CText& name, uint32_t) {
  name_ = name;
  progress_.StartFile();
}

bool CliTransfer::FileProgress(const TransferRequest& request) {
  TransferProgress::Display display;
  if (progress_.Advance(request, &display) != TransferProgress::Step::Update || !terminal_) return true;
  std::fprintf(stderr, "\r%s  %s  %s\033[K", ToShell(name_).c_str(), AmountText(display).Chars(),
               ToShell(SpeedText(display)).c_str());
  std::fflush(stderr);
  lineShown_ = true;
  return true;
}

void CliTransfer::ClearProgressLine() {
  if (!lineShown_) return;
  std::fprintf(stderr, "\r\033[K");
  lineShown_ = false;
}

void CliTransfer::FileDone() {
  ClearProgressLine();
  PrintLine(name_);
  std::fflush(stdout);
}

void CliTransfer::NotSent(const CText& path, uint32_t reasonId) {
  ClearProgressLine();
  CText reason;
  reason.Format(LoadStringText(reasonId).Chars(), path.Chars());
  std::fprintf(stderr, "tunewarden-cli: %s\n", ToShell(reason).c_str());
  if (reasonId != StringId::NotSentDuplicate) allSent_ = false;  // a skip asked for is no failure
}

ReplaceAnswer CliTransfer::AskReplace(const CText& pcPath, const PlayerEntry& playerEntry) {
  ClearProgressLine();
  if (mode_ == ReplaceMode::All) return ReplaceAnswer::YesToAll;
  const ReplaceQuestion question = MakeReplaceQuestion(direction_, pcPath, playerEntry);
  if (mode_ == ReplaceMode::None) {
    std::fprintf(stderr, "tunewarden-cli: %s Kept (--replace all replaces it).\n", ToShell(question.message).c_str());
    return ReplaceAnswer::No;
  }
  std::fprintf(stderr, "%s\n  existing: %s\n  new:      %s\n", ToShell(question.message).c_str(),
               OneLine(question.existingFile).c_str(), OneLine(question.newFile).c_str());
  for (;;) {
    std::fprintf(stderr, "Replace it? [y]es, yes to [a]ll, [n]o, [c]ancel: ");
    std::fflush(stderr);
    std::string answer;
    if (!ReadLine(&answer)) {
      std::fprintf(stderr, "\n");
      return ReplaceAnswer::Cancel;
    }
    switch (answer.empty() ? ' ' : answer[0]) {
      case 'y':
      case 'Y':
        return ReplaceAnswer::Yes;
      case 'a':
      case 'A':
        return ReplaceAnswer::YesToAll;
      case 'n':
      case 'N':
        return ReplaceAnswer::No;
      case 'c':
      case 'C':
        return ReplaceAnswer::Cancel;
    }
  }
}
