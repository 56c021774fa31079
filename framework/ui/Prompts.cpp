#include "framework/ui/Prompts.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>
#include <QUrl>

#include "framework/ui/Application.h"
#include "framework/ui/Messages.h"
#include "framework/ui/QtText.h"
#include "framework/ui/Window.h"
#include "platform/Files.h"

namespace {

CPromptAnswerer* answerer = nullptr;

constexpr uint32_t ButtonsMask = 0x0F;
constexpr uint32_t IconMask = 0xF0;

QWidget* OwnerWidget(CNativeWindow* owner) { return owner ? owner->Widget()->window() : nullptr; }

// "MP3 Files\n*.MPG;*.MP3\nAll Files\n*.*\n" → "MP3 Files (*.MPG *.mpg *.MP3 *.mp3);;All Files (*)".
// Linux names are case-sensitive, so each pattern comes in both cases.
QString QtFilter(const CText& filter) {
  const QStringList parts = ToQt(filter).split(QChar('\n'), Qt::SkipEmptyParts);
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns;
    for (const QString& pattern : parts[i + 1].split(QChar(';'), Qt::SkipEmptyParts)) {
      if (pattern == "*.*") {
        patterns << "*";
        continue;
      }
      patterns << pattern;
      if (pattern.toLower() != pattern) patterns << pattern.toLower();
    }
    filters << QString("%1 (%2)").arg(parts[i], patterns.join(' '));
  }
  return filters.join(";;");
}

}  // namespace

int CPromptAnswerer::AnswerMessageBox(CNativeWindow*, const CText&, const CText&, uint32_t flags) {
  switch (flags & ButtonsMask) {
    case MB_OK:
      return IDOK;
    case MB_YESNO:
      return IDNO;
    default:
      return IDCANCEL;
  }
}

void CPromptAnswerer::AnswerDialog(CDialogBase&) {}

bool CPromptAnswerer::AnswerFiles(CNativeWindow*, const CText&, std::vector<CText>*) { return false; }

bool CPromptAnswerer::AnswerFolder(CNativeWindow*, const CText&, const CText&, CText*) { return false; }

uint32_t CPromptAnswerer::AnswerPopupMenu(CMenu&) { return 0; }

void CPromptAnswerer::AnswerOpenInShell(const CText&) {}

CPromptAnswerer* PromptAnswerer() { return answerer; }

void SetPromptAnswerer(CPromptAnswerer* newAnswerer) { answerer = newAnswerer; }

int MessageBox(CNativeWindow* owner, const CText& text, const CText& caption, uint32_t flags) {
  if (answerer) return answerer->AnswerMessageBox(owner, text, caption, flags);
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  switch (flags & IconMask) {
    case MB_ICONHAND:
      icon = QMessageBox::Critical;
      break;
    case MB_ICONQUESTION:
      icon = QMessageBox::Question;
      break;
    case MB_ICONEXCLAMATION:
      icon = QMessageBox::Warning;
      break;
    case MB_ICONINFORMATION:
      icon = QMessageBox::Information;
      break;
  }
  QMessageBox::StandardButtons buttons = QMessageBox::Ok;
  switch (flags & ButtonsMask) {
    case MB_OKCANCEL:
      buttons = QMessageBox::Ok | QMessageBox::Cancel;
      break;
    case MB_YESNOCANCEL:
      buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
      break;
    case MB_YESNO:
      buttons = QMessageBox::Yes | QMessageBox::No;
      break;
  }
  QMessageBox box(icon, ToQt(caption), ToQt(text), buttons, OwnerWidget(owner));
  const CModalLoopScope modal;
  switch (box.exec()) {
    case QMessageBox::Cancel:
      return IDCANCEL;
    case QMessageBox::Yes:
      return IDYES;
    case QMessageBox::No:
      return IDNO;
    default:
      return IDOK;
  }
}

bool ChooseFiles(CNativeWindow* owner, const CText& filter, std::vector<CText>* paths) {
  std::vector<CText> chosen;
  if (answerer) {
    if (!answerer->AnswerFiles(owner, filter, &chosen)) return false;
  } else {
    const CModalLoopScope modal;
    for (const QString& path : QFileDialog::getOpenFileNames(OwnerWidget(owner), QString(),
                                                             ToQt(platform::CurrentDirectory()), QtFilter(filter)))
      chosen.push_back(FromQt(path));
  }
  if (chosen.empty()) return false;
  *paths = std::move(chosen);
  platform::SetCurrentDirectory(FromQt(QFileInfo(ToQt(paths->front())).absolutePath() + '/').View());
  return true;
}

bool ChooseFolder(CNativeWindow* owner, const CText& title, const CText& start, CText* folder) {
  if (answerer) return answerer->AnswerFolder(owner, title, start, folder);
  const CModalLoopScope modal;
  QString chosen = QFileDialog::getExistingDirectory(OwnerWidget(owner), ToQt(title), ToQt(start));
  if (chosen.isEmpty()) return false;
  if (!chosen.endsWith('/')) chosen += '/';
  *folder = FromQt(chosen);
  return true;
}

void OpenInShell(const CText& path) {
  if (answerer) {
    answerer->AnswerOpenInShell(path);
    return;
  }
  QDesktopServices::openUrl(QUrl::fromLocalFile(ToQt(path)));
}
